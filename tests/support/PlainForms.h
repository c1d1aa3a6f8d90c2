// The plain per-cell forms that the fast ones are checked against.
#pragma once

#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <utility>
#include <vector>

namespace testutil {

using quarnel::TPathmap;

// Block for a 64-bit (row, column): a cell outside the grid is dropped.
inline void PlainBlock(TPathmap& map, int64_t row, int64_t column) {
  map.CheckInitialised();
  if (row >= 0 && column >= 0 && row < map.Size() && column < map.Size())
    map.Block(static_cast<uint32_t>(row), static_cast<uint32_t>(column));
}

// A class's shape one cell at a time.
inline void PlainShape(TPathmap& map, int64_t row, int64_t column, const quarnel::TShape& shape) {
  for (int64_t dr = -shape.Reach; dr <= shape.Reach; ++dr)
    for (int64_t dc = -shape.Reach; dc <= shape.Reach; ++dc)
      if (quarnel::ShapeCovers(shape, dr, dc))
        PlainBlock(map, row + dr, column + dc);
}

// Hole filling as the plain scan against the map as it was.
inline void FillHolesPerCell(TPathmap& map) {
  const int64_t n = map.Size();
  auto blocked = [&](int64_t r, int64_t c) {
    return r < 0 || c < 0 || r >= n || c >= n ||
           map.IsBlocked(static_cast<uint32_t>(r), static_cast<uint32_t>(c));
  };
  std::vector<std::pair<uint32_t, uint32_t>> holes;
  for (int64_t r = 0; r < n; ++r)
    for (int64_t c = 0; c < n; ++c)
      if (!blocked(r, c) && blocked(r, c - 1) && blocked(r, c + 1) && blocked(r - 1, c) &&
          blocked(r + 1, c))
        holes.push_back({static_cast<uint32_t>(r), static_cast<uint32_t>(c)});
  for (auto [r, c] : holes)
    map.Block(r, c);
}

} // namespace testutil
