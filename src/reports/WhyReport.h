// The answer of --why: for each class whether the cell is blocked, the objects and hole filling
// that block it or the objects near it, and what the map files named hold there.
#pragma once

#include "explain/WhyCell.h"

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

// A map file named and whether it blocks the cell.
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

} // namespace quarnel
