// What --path prints and draws.
#pragma once

#include "inspect/PathSearch.h"
#include "inspect/Pictures.h"

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

namespace colours {
inline constexpr TRgb PathCell{220, 0, 0};
inline constexpr TRgb PathStart{0, 160, 0};
inline constexpr TRgb PathEnd{0, 90, 230};
} // namespace colours

// The map as RenderMap draws it with the path's cells over it: red, the start green and the
// end blue (a pixel of several cells takes the colour of the last of them along the path).
TImage RenderPath(const TPathmap& map, const TPathResult& path, uint32_t scale);

} // namespace quarnel
