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

// A class's shape one cell at a time: every cell it covers handed to Block on its own.
inline void PlainShape(TPathmap& map, int64_t row, int64_t column, const quarnel::TShape& shape) {
  for (int64_t dr = -shape.Reach; dr <= shape.Reach; ++dr)
    for (int64_t dc = -shape.Reach; dc <= shape.Reach; ++dc)
      if (quarnel::ShapeCovers(shape, dr, dc))
        PlainBlock(map, row + dr, column + dc);
}

// The cells (row, column) of a plain tank or car shape around one cell of a 64 map.
inline std::set<std::pair<int64_t, int64_t>> PlainShapeCells(int64_t row, int64_t column,
                                                             const quarnel::TShape& shape) {
  TPathmap map;
  map.SetSize(64);
  PlainShape(map, row, column, shape);
  return BlockedCells(map);
}

// Brushes as the line walker calls them: context points at a TPathmap* variable.
inline bool PlainInfantry(int64_t x, int64_t y, void* context) {
  PlainBlock(**static_cast<TPathmap**>(context), y, x);
  return true;
}
inline bool PlainTank(int64_t x, int64_t y, void* context) {
  PlainShape(**static_cast<TPathmap**>(context), y, x, quarnel::kTankShape);
  return true;
}
inline bool PlainCar(int64_t x, int64_t y, void* context) {
  PlainShape(**static_cast<TPathmap**>(context), y, x, quarnel::kCarShape);
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
