// What the viewer page is asked to show.
#pragma once

#include "explain/WorldChanges.h"
#include "segutils/SegUtils.h"

#include <array>
#include <string>
#include <vector>

namespace quarnel {

// What a page of the changes between two versions of a world shows.
struct TChangesView {
  const TWorldChanges* Changes = nullptr;
  const std::array<TPathmap, 3>* After = nullptr; // the maps after, shown with the changes
  std::string Report;                             // the changes as one JSON document
};

struct TViewRequest {
  std::string Page;              // the HTML file to write
  bool Diff = false;             // two builds of one map (A, B) instead of the three classes
  std::vector<std::string> Maps; // infantry, tank, car; or A, B
  std::string ObjectFile;        // the world's con script, or empty for no objects
  std::string MeshDir;           // its standard mesh folder (only with ObjectFile)
  const TChangesView* Changes = nullptr; // --changes: shown instead of map files
};

} // namespace quarnel
