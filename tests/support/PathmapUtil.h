// Test helpers for pathmaps: the plain per-cell hole filling and blocking, cell comparisons
// and the bytes of map file fields.
#pragma once

#include "segutils/SegUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <utility>

namespace testutil {

using quarnel::TPathmap;

// Hole filling as the plain scan: every free cell whose four edge neighbours are blocked,
// in row order, one cell at a time.
inline void FillHolesPerCell(TPathmap& map) {
  const uint32_t n = map.Size();
  for (uint32_t r = 0; r < n; ++r)
    for (uint32_t c = 0; c < n; ++c) {
      if (map.IsBlocked(r, c))
        continue;
      const bool left = c == 0 || map.IsBlocked(r, c - 1);
      const bool right = c == n - 1 || map.IsBlocked(r, c + 1);
      const bool up = r == 0 || map.IsBlocked(r - 1, c);
      const bool down = r == n - 1 || map.IsBlocked(r + 1, c);
      if (left && right && up && down)
        map.Block(r, c);
    }
}

// The blocked cells of a map as (row, column).
inline std::set<std::pair<int64_t, int64_t>> BlockedCells(const TPathmap& map) {
  std::set<std::pair<int64_t, int64_t>> cells;
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c)
      if (map.IsBlocked(r, c))
        cells.insert({r, c});
  return cells;
}

// Block for a cell given as 64-bit (row, column), one cell at a time: a cell outside the
// grid is dropped, and a map without a size raises.
inline void PlainBlock(TPathmap& map, int64_t row, int64_t column) {
  map.CheckInitialised();
  constexpr int64_t limit = std::numeric_limits<uint32_t>::max();
  if (row >= 0 && column >= 0 && row <= limit && column <= limit)
    map.Block(static_cast<uint32_t>(row), static_cast<uint32_t>(column));
}

// SameCells for two maps of one size, word by word: fast enough for millions of maps.
inline bool SameWords(const TPathmap& a, const TPathmap& b) {
  for (uint32_t r = 0; r < a.Size(); ++r)
    for (int32_t j = 0; j < a.SegmentCount(); ++j)
      if (a.Row(r)[j] != b.Row(r)[j])
        return false;
  return true;
}

inline ::testing::AssertionResult SameCells(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size())
    return ::testing::AssertionFailure() << "sizes " << a.Size() << " and " << b.Size();
  for (uint32_t r = 0; r < a.Size(); ++r)
    for (uint32_t c = 0; c < a.Size(); ++c)
      if (a.IsBlocked(r, c) != b.IsBlocked(r, c))
        return ::testing::AssertionFailure() << "cell (" << r << ", " << c << ") differs";
  return ::testing::AssertionSuccess();
}

// A little-endian 32-bit field of a map file.
inline std::string Int32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16),
          static_cast<char>(u >> 24)};
}

// The 32-byte header of a map file with the given level count.
inline std::string MapHeader(int32_t levels) {
  return Int32(levels) + Int32(levels) + Int32(6) + Int32(0) + Int32(0) + Int32(2) + Int32(0) +
         Int32(-1);
}

} // namespace testutil
