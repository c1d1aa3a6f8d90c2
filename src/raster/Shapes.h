// The shape each map class blocks around one cell of a mesh outline: the single source of
// the brushes, the tank and car tree footprints and the widening of traced outlines.
#pragma once

#include "common/UTypes.h"

#include <cassert>
#include <cstdint>

namespace quarnel {

// How far any shape reaches from its centre cell, in cells along a row or a column.
inline constexpr int kMaxBrushReach = 4;

// A shape symmetric about its centre, given row by row: row offset d (from -Reach to +Reach,
// rows away from the centre in either direction) covers the column offsets -HalfWidth[d +
// Reach] to +HalfWidth[d + Reach].
struct TShape {
  int Reach = 0;
  int8_t HalfWidth[2 * kMaxBrushReach + 1] = {};
};

// Infantry: the centre cell alone.
inline constexpr TShape kInfantryShape{0, {0}};
// Tank: the 25 cells within 2 rows and 2 columns, and four arms of 3 cells (29 cells).
inline constexpr TShape kTankShape{3, {0, 2, 2, 3, 2, 2, 0}};
// Car: the 49 cells within 3 rows and 3 columns, and four arms of 4 cells (53 cells).
inline constexpr TShape kCarShape{4, {0, 3, 3, 3, 4, 3, 3, 3, 0}};

inline constexpr const TShape& ShapeOf(MapClass mapClass) {
  return mapClass == MapClass::Infantry ? kInfantryShape
         : mapClass == MapClass::Tank   ? kTankShape
                                        : kCarShape;
}

// True when the shape centred on a cell covers the cell dRow rows and dColumn columns away.
inline constexpr bool ShapeCovers(const TShape& shape, int64_t dRow, int64_t dColumn) {
  if (dRow < -shape.Reach || dRow > shape.Reach)
    return false;
  const int64_t half = shape.HalfWidth[dRow + shape.Reach];
  return dColumn >= -half && dColumn <= half;
}

} // namespace quarnel
