// Regions and shortest paths in their plain forms, cell by cell: a flood fill that numbers the
// regions as Regions.h says and looks at every 2 by 2 square for gaps, and Dijkstra's
// algorithm over every cell. The tests and the map file fuzz target check the segment-wise
// labelling and the path search against them.
#pragma once

#include "analysis/Regions.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace testutil {

using quarnel::TCell;
using quarnel::TGap;
using quarnel::TPathmap;
using quarnel::TRegion;

// The plain forms: a flood fill over cells, regions numbered as the header says, and every
// 2 by 2 square looked at.
struct PlainRegions {
  std::vector<uint32_t> Label; // region number per cell, row-major; 0 when blocked
  std::vector<TRegion> Regions;
  std::vector<TGap> Gaps;
};

inline PlainRegions FloodFill(const TPathmap& map, bool diagonal) {
  const int64_t n = map.Size();
  const auto free = [&](int64_t r, int64_t c) {
    return r >= 0 && c >= 0 && r < n && c < n && !map.IsBlocked(uint32_t(r), uint32_t(c));
  };
  std::vector<int64_t> seed(size_t(n * n), -1);
  std::vector<TRegion> found;
  for (int64_t start = 0; start < n * n; ++start) {
    if (seed[size_t(start)] >= 0 || !free(start / n, start % n))
      continue;
    const auto id = static_cast<int64_t>(found.size());
    TRegion region{0, {uint32_t(start / n), uint32_t(start % n)}, UINT32_MAX, 0, UINT32_MAX, 0};
    std::deque<int64_t> queue{start};
    seed[size_t(start)] = id;
    while (!queue.empty()) {
      const int64_t cell = queue.front(), r = cell / n, c = cell % n;
      queue.pop_front();
      ++region.Size;
      region.MinRow = std::min(region.MinRow, uint32_t(r)),
      region.MaxRow = std::max(region.MaxRow, uint32_t(r));
      region.MinColumn = std::min(region.MinColumn, uint32_t(c));
      region.MaxColumn = std::max(region.MaxColumn, uint32_t(c));
      region.TouchesEdge |= r == 0 || c == 0 || r == n - 1 || c == n - 1;
      for (int64_t dr = -1; dr <= 1; ++dr)
        for (int64_t dc = -1; dc <= 1; ++dc)
          if ((dr == 0) != (dc == 0) || (diagonal && dr != 0)) {
            if (free(r + dr, c + dc) && seed[size_t((r + dr) * n + c + dc)] < 0) {
              seed[size_t((r + dr) * n + c + dc)] = id;
              queue.push_back((r + dr) * n + c + dc);
            }
          }
    }
    found.push_back(region);
  }
  // Found in order of first cell, so a stable sort by size numbers them as the header says.
  std::vector<size_t> order(found.size());
  for (size_t k = 0; k < order.size(); ++k)
    order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return found[a].Size > found[b].Size; });
  std::vector<uint32_t> number(found.size());
  PlainRegions plain;
  for (size_t k = 0; k < order.size(); ++k)
    number[order[k]] = uint32_t(k + 1), plain.Regions.push_back(found[order[k]]);
  plain.Label.resize(seed.size());
  for (size_t k = 0; k < seed.size(); ++k)
    plain.Label[k] = seed[k] < 0 ? 0 : number[size_t(seed[k])];
  const auto label = [&](int64_t r, int64_t c) { return plain.Label[size_t(r * n + c)]; };
  for (int64_t r = 0; r + 1 < n; ++r)
    for (int64_t c = 0; c + 1 < n; ++c) {
      const bool rising = free(r, c) && free(r + 1, c + 1) && !free(r, c + 1) && !free(r + 1, c);
      const bool falling = free(r, c + 1) && free(r + 1, c) && !free(r, c) && !free(r + 1, c + 1);
      const uint32_t lower = label(r, rising ? c : c + 1), upper = label(r + 1, rising ? c + 1 : c);
      if ((rising || falling) && lower != upper)
        plain.Gaps.push_back({{uint32_t(r), uint32_t(c)}, rising, lower, upper});
    }
  return plain;
}

// The plain shortest-path search: Dijkstra over every cell, the cost to each.
inline std::vector<double> Dijkstra(const TPathmap& map, TCell start, bool diagonal) {
  const int64_t n = map.Size();
  std::vector<double> cost(size_t(n * n), INFINITY);
  using Entry = std::pair<double, int64_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
  cost[size_t(start.Row * n + start.Column)] = 0;
  open.push({0, start.Row * n + start.Column});
  while (!open.empty()) {
    const auto [g, cell] = open.top();
    open.pop();
    if (g > cost[size_t(cell)])
      continue;
    for (int64_t dr = -1; dr <= 1; ++dr)
      for (int64_t dc = -1; dc <= 1; ++dc) {
        const int64_t r = cell / n + dr, c = cell % n + dc;
        if ((dr == 0 && dc == 0) || (!diagonal && dr != 0 && dc != 0) || r < 0 || c < 0 || r >= n ||
            c >= n || map.IsBlocked(uint32_t(r), uint32_t(c)))
          continue;
        const double next = g + (dr != 0 && dc != 0 ? std::sqrt(2.0) : 1.0);
        if (next < cost[size_t(r * n + c)])
          cost[size_t(r * n + c)] = next, open.push({next, r * n + c});
      }
  }
  return cost;
}

} // namespace testutil
