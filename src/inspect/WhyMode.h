// quarnel-inspect --why: loads a world, explains one cell and prints the answer as text or JSON.
#pragma once

#include "explain/WhyCell.h"
#include "inspect/InspectOptions.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

// A map file named on the command line and whether it blocks the cell.
struct TWhyFile {
  std::string Name;
  bool Blocked = false;
};

// What the answer is printed from.
struct TWhyReport {
  TWhyAnswer Answer;
  uint32_t WorldSize = 0;
  std::vector<std::string> Names; // object n's name as the object file writes it, at n - 1
  std::array<std::vector<TWhyFile>, 3> Files; // infantry, tank, car
};

void PrintWhyText(std::ostream& out, const TWhyReport& report);
void PrintWhyJson(std::ostream& out, const TWhyReport& report);

// --why: checks the world size, loads the world as the run does (an object is named as written,
// before its name aliases), explains the cell, reads the map files and prints the answer.
// Returns kInspectMapsDiffer when a map file disagrees with the answer. Raises "Invalid world
// size: " and the size, the failures of the object list, the mesh reader, ExplainCell and
// LoadMapFile, and for a map of another size "<file>: the map is N by N cells, but the world is
// M by M".
int RunWhyMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
