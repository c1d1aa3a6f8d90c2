// The brushes cell by cell, the references for the fast ones: every cell of a shape handed
// to Block on its own.
#pragma once

#include "raster/Bresham.h"
#include "raster/Footprints.h"
#include "support/PathmapUtil.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>

namespace testutil {

// The tank (half 2) and car (half 3) shape: a square of half width `half` around the centre
// and one arm cell beyond it on each side.
inline void PlainShape(TPathmap& map, int64_t row, int64_t column, int64_t half) {
  for (int64_t dr = -half - 1; dr <= half + 1; ++dr)
    for (int64_t dc = -half - 1; dc <= half + 1; ++dc) {
      const bool square = std::abs(dr) <= half && std::abs(dc) <= half;
      const bool arm =
          (dr == 0 && std::abs(dc) == half + 1) || (dc == 0 && std::abs(dr) == half + 1);
      if (square || arm)
        PlainBlock(map, row + dr, column + dc);
    }
}

// The cells (row, column) of a plain tank or car shape around one cell of a 64 map.
inline std::set<std::pair<int64_t, int64_t>> PlainShapeCells(int64_t row, int64_t column,
                                                             int64_t half) {
  TPathmap map;
  map.SetSize(64);
  PlainShape(map, row, column, half);
  return BlockedCells(map);
}

// Brushes as the line walker calls them: context points at a TPathmap* variable.
inline bool PlainInfantry(int64_t x, int64_t y, void* context) {
  PlainBlock(**static_cast<TPathmap**>(context), y, x);
  return true;
}
inline bool PlainTank(int64_t x, int64_t y, void* context) {
  PlainShape(**static_cast<TPathmap**>(context), y, x, 2);
  return true;
}
inline bool PlainCar(int64_t x, int64_t y, void* context) {
  PlainShape(**static_cast<TPathmap**>(context), y, x, 3);
  return true;
}

struct BrushPair {
  const char* Name;
  quarnel::CellVisitor Brush, Plain;
};

inline const BrushPair kBrushPairs[] = {{"infantry", quarnel::BrushInfantry, PlainInfantry},
                                        {"tank", quarnel::BrushTank, PlainTank},
                                        {"car", quarnel::BrushCar, PlainCar}};

} // namespace testutil
