// The map viewer: one self-contained HTML page that draws maps and explains their cells.
#pragma once

#include "viewer/ViewRequest.h"

#include <string>
#include <string_view>

namespace quarnel {

// The page source (src/viewer/page) with its styles and script in place, holding the
// line "@QUARNEL_DATA@" where the data goes; generated at build time.
std::string_view ViewerTemplate();

// Writes the page beside its name and renames it over any file of that name, which a failure
// leaves as it was. Raises the failures of BuildViewData (ViewData.h), "Error opening file: "
// followed by the page's name when it cannot be made or one of that name replaced, or "Error
// writing file: " followed by it.
void WriteViewPage(const TViewRequest& request);

} // namespace quarnel
