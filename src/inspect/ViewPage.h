// The map viewer: one self-contained HTML page that draws maps and explains their cells.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// What quarnel-inspect --view is asked to show.
struct TViewRequest {
  std::string Page;              // the HTML file to write
  bool Diff = false;             // two builds of one map (A, B) instead of the three classes
  std::vector<std::string> Maps; // infantry, tank, car; or A, B
  std::string ObjectFile;        // the world's con script, or empty for no objects
  std::string MeshDir;           // its standard mesh folder (only with ObjectFile)
};

// The page source (src/inspect/viewer) with its styles and script in place, holding the
// line "@QUARNEL_DATA@" where the data goes; generated at build time.
std::string_view ViewerTemplate();

// Writes the page, replacing any file of that name. Raises the failures of BuildViewData
// (ViewData.h), "Error opening file: " followed by the page's name, or "Error writing file: "
// followed by it.
void WriteViewPage(const TViewRequest& request);

} // namespace quarnel
