// Maps for the tests: one with given cells blocked, and random ones in which uniform and mixed
// segments, regions, gaps and walls all occur, at the grid's edges too.
#pragma once

#include "segutils/SegUtils.h"

#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace testutil {

using quarnel::TPathmap;
using Cells = std::vector<std::pair<uint32_t, uint32_t>>; // (row, column), or pixels (x, y)

inline TPathmap MakeMap(uint32_t size, const Cells& blocked = {}) {
  TPathmap map;
  map.SetSize(size);
  for (auto [row, column] : blocked)
    map.Block(row, column);
  return map;
}

// Whole segments free or blocked, and mixed ones of random density or thin random walls.
inline TPathmap RandomMap(uint32_t size, std::mt19937_64& rng) {
  TPathmap map = MakeMap(size);
  std::uniform_real_distribution<double> unit(0, 1);
  const uint32_t n = size / 64;
  for (uint32_t i = 0; i < n; ++i)
    for (uint32_t j = 0; j < n; ++j) {
      const double kind = unit(rng), density = 0.3 + 0.4 * unit(rng);
      if (kind < 0.25)
        continue; // all free
      for (uint32_t r = 64 * i; r < 64 * i + 64; ++r)
        for (uint32_t c = 64 * j; c < 64 * j + 64; ++c)
          if (kind < 0.4 || (kind < 0.8 ? unit(rng) < density : (r + c) % 7 == 0 || c % 9 == 0))
            map.Block(r, c);
    }
  return map;
}

} // namespace testutil
