// Regions and shortest paths in their plain forms, cell by cell: a flood fill that numbers the
// regions as Regions.h says and looks at every 2 by 2 square for gaps, and Dijkstra's
// algorithm over every cell; and the checks of the segment-wise labelling, the path search and
// sealing against them, which the tests and the map file fuzz target share.
#pragma once

#include "analysis/PathSearch.h"
#include "analysis/Regions.h"
#include "analysis/Seal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

using namespace quarnel;

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

// What the regions and gaps of map get wrong against the flood fill plain of it, or "" when
// nothing. (The regions of each cell are checked through the paths' ends and the pictures.)
inline std::string RegionsFault(const TPathmap& map, bool diagonal, const PlainRegions& plain) {
  const TRegions regions = LabelRegions(map, diagonal, SIZE_MAX);
  if (regions.Regions != plain.Regions)
    return "the regions";
  return regions.GapCount == (diagonal ? 0 : plain.Gaps.size()) &&
                 regions.FirstGaps == (diagonal ? std::vector<TGap>{} : plain.Gaps)
             ? ""
             : "the gaps";
}

// What the path from start to end (either may lie outside the grid) gets wrong, or "": its
// outcome and regions, its length against Dijkstra's, and its cells: free, one step apart, and
// turning exactly at its turning points. Sets outcome.
inline std::string PathFault(const TPathmap& map, bool diagonal, const PlainRegions& plain,
                             TCell start, TCell end, TPathOutcome& outcome) {
  const TPathResult path = FindPath(map, start, end, diagonal);
  outcome = path.Outcome;
  const size_t n = map.Size();
  const auto at = [&](TCell c) { return size_t(c.Row) * n + c.Column; };
  // The start is looked at first: outside the grid, then blocked; then the end.
  const auto fault = [&](TCell c) {
    return c.Row >= n || c.Column >= n ? TPathOutcome::Outside
           : plain.Label[at(c)] == 0   ? TPathOutcome::Blocked
                                       : TPathOutcome::Found;
  };
  const bool atStart = fault(start) != TPathOutcome::Found;
  const TPathOutcome expected = atStart                             ? fault(start)
                                : fault(end) != TPathOutcome::Found ? fault(end)
                                : plain.Label[at(start)] != plain.Label[at(end)]
                                    ? TPathOutcome::Apart
                                    : TPathOutcome::Found;
  if (path.Outcome != expected)
    return "the outcome";
  if ((expected == TPathOutcome::Outside || expected == TPathOutcome::Blocked) &&
      path.AtStart != atStart)
    return "the end at fault";
  if (expected == TPathOutcome::Apart)
    return path.StartRegion == plain.Label[at(start)] &&
                   path.EndRegionSize == plain.Regions[path.EndRegion - 1].Size
               ? ""
               : "the regions of the ends";
  if (expected != TPathOutcome::Found)
    return "";
  if (std::fabs(path.Length - Dijkstra(map, start, diagonal)[at(end)]) > 1e-9)
    return "the length";
  const std::vector<TCell> cells = PathCells(path);
  if (cells.size() != path.Steps() + 1 || cells.front() != start || cells.back() != end)
    return "the ends or the count of steps";
  uint64_t diagonals = 0;
  std::vector<TCell> turns = {start};
  for (size_t s = 1; s < cells.size(); ++s) {
    const int64_t dr = int64_t(cells[s].Row) - cells[s - 1].Row;
    const int64_t dc = int64_t(cells[s].Column) - cells[s - 1].Column;
    if (map.IsBlocked(cells[s].Row, cells[s].Column) || std::max(std::abs(dr), std::abs(dc)) != 1 ||
        (!diagonal && dr * dc != 0))
      return "step " + std::to_string(s);
    diagonals += dr != 0 && dc != 0;
    if (s + 1 < cells.size() && (int64_t(cells[s + 1].Row) - cells[s].Row != dr ||
                                 int64_t(cells[s + 1].Column) - cells[s].Column != dc))
      turns.push_back(cells[s]);
  }
  if (cells.size() > 1)
    turns.push_back(end);
  return path.DiagonalSteps != diagonals ? "the diagonal steps"
         : path.Turns != turns           ? "the turning points"
                                         : "";
}

// What sealing a copy of map gets wrong, or "": it must block exactly the cells of the regions
// but the main one with fewer than minSize cells, and count them.
inline std::string SealFault(const TPathmap& map, bool diagonal, const PlainRegions& plain,
                             uint64_t minSize) {
  TPathmap sealed;
  sealed.SetSize(map.Size());
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c)
      if (map.IsBlocked(r, c))
        sealed.Block(r, c);
  const TSealResult result = SealRegions(sealed, minSize, diagonal);
  TSealResult expected;
  for (size_t k = 1; k < plain.Regions.size(); ++k)
    if (plain.Regions[k].Size < minSize)
      ++expected.Regions, expected.Cells += plain.Regions[k].Size;
  if (result.Regions != expected.Regions || result.Cells != expected.Cells)
    return "the counts";
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c) {
      const uint32_t region = plain.Label[size_t(r) * map.Size() + c];
      if (sealed.IsBlocked(r, c) !=
          (region == 0 || (region > 1 && plain.Regions[region - 1].Size < minSize)))
        return "cell " + std::to_string(r) + "," + std::to_string(c);
    }
  return "";
}

} // namespace testutil
