// What the viewer page is asked to show.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

struct TViewRequest {
  std::string Page;              // the HTML file to write
  bool Diff = false;             // two builds of one map (A, B) instead of the three classes
  std::vector<std::string> Maps; // infantry, tank, car; or A, B
  std::string ObjectFile;        // the world's con script, or empty for no objects
  std::string MeshDir;           // its standard mesh folder (only with ObjectFile)
};

} // namespace quarnel
