// The map viewer: one self-contained HTML page that draws maps and explains their cells.
#pragma once

#include "viewer/ViewRequest.h"

#include <string>
#include <string_view>

namespace quarnel {

// The page source (src/viewer/page) with its styles and script in place, holding the
// line "@QUARNEL_DATA@" where the data goes; generated at build time.
std::string_view ViewerTemplate();

// Writes the page, replacing any file of that name. Raises the failures of BuildViewData
// (ViewData.h), "Error opening file: " followed by the page's name, or "Error writing file: "
// followed by it.
void WriteViewPage(const TViewRequest& request);

} // namespace quarnel
