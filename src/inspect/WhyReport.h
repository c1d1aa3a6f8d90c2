// quarnel-inspect --why: loads a world, explains one cell and prints the answer as text or JSON.
#pragma once

#include "common/UTypes.h"
#include "inspect/WhyCell.h"
#include "segutils/MapFormat.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

struct TWhyRequest {
  uint32_t Row = 0, Column = 0;
  std::string ObjectFile;
  std::string MeshDir; // as given; a path delimiter is added when it lacks one
  uint32_t WorldSize = 0;
  bool Json = false;
  std::vector<std::string> Maps; // map files whose cell is checked against the answer
};

// A map file named in the request and whether it blocks the cell.
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

// Checks the world size, loads the world as the run does (an object is named as written, before
// its name aliases), explains the cell, reads the map
// files and prints the answer. Returns false when a map file disagrees with the answer. Raises
// "Invalid world size: " and the size, the failures of the object list, the mesh reader,
// ExplainCell and LoadMapFile, and for a map of another size "<file>: the map is N by N cells,
// but the world is M by M".
bool RunWhy(const TWhyRequest& request, std::ostream& out);

} // namespace quarnel
