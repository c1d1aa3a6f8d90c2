// quarnel-inspect --why: loads a world, explains one cell and prints the answer as text or JSON.
#pragma once

#include "inspect/InspectOptions.h"

namespace quarnel {

// --why: checks the world size, loads the world as the run does (an object is named as written,
// before its name aliases), explains the cell, reads the map files and prints the answer.
// Returns kInspectMapsDiffer when a map file disagrees with the answer. Raises "Invalid world
// size: " and the size, the failures of the object list, the mesh reader, ExplainCell and
// LoadMapFile, and for a map of another size "<file>: the map is N by N cells, but the world is
// M by M".
int RunWhyMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
