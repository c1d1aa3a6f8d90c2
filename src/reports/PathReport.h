// What --path prints.
#pragma once

#include "analysis/PathSearch.h"

#include <ostream>
#include <string>

namespace quarnel {

struct TPathQuery {
  std::string Map;
  uint32_t Size = 0; // the map's side
  bool Diagonal = false;
  TCell Start, End;
};

// Prints the path's length, steps and turning points, or why there is none.
void PrintPathText(std::ostream& out, const TPathQuery& query, const TPathResult& path);
// The same as one JSON object on one line.
std::string PathJson(const TPathQuery& query, const TPathResult& path);

} // namespace quarnel
