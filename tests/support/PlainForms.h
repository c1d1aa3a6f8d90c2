// Hole filling as the plain scan, cell by cell, against the map as it was: the form the
// word-parallel pass is checked and measured against.
#pragma once

#include "segutils/SegUtils.h"

#include <utility>
#include <vector>

namespace testutil {

using quarnel::TPathmap;

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
