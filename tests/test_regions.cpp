// Regions, diagonal gaps, shortest paths and sealing, against plain cell-by-cell forms on
// random maps; the --regions, --path and --seal modes end to end.
#include "inspect/Regions.h"

#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

using namespace quarnel;
using namespace testutil;

namespace {

// A map of whole segments free or blocked and mixed ones of random density, or thin random
// walls, so that regions, gaps and uniform segments all occur, at the grid's edges too.
TPathmap RandomMap(uint32_t size, std::mt19937_64& rng) {
  TPathmap map;
  map.SetSize(size);
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

// The plain forms: a flood fill over cells, regions numbered as the header says, and every
// 2 by 2 square looked at.
struct PlainRegions {
  std::vector<uint32_t> Label; // region number per cell, row-major; 0 when blocked
  std::vector<TRegion> Regions;
  std::vector<TGap> Gaps;
};

PlainRegions FloodFill(const TPathmap& map, bool diagonal) {
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

TEST(Regions, AgreeWithAFloodFillOnRandomMapsOfUniformAndMixedSegments) {
  std::mt19937_64 rng(7);
  for (int round = 0; round < 12; ++round) {
    const TPathmap map = RandomMap(round % 2 == 0 ? 128 : 192, rng);
    for (bool diagonal : {false, true}) {
      SCOPED_TRACE(testing::Message() << "round " << round << (diagonal ? " diagonal" : ""));
      const PlainRegions plain = FloodFill(map, diagonal);
      const TRegions regions = LabelRegions(map, diagonal, 5);
      ASSERT_EQ(regions.Regions.size(), plain.Regions.size());
      EXPECT_TRUE(regions.Regions == plain.Regions);
      std::vector<uint32_t> cells;
      for (int32_t i = 0; i < map.SegmentCount(); ++i) {
        RegionRows(map, regions, i, cells);
        EXPECT_TRUE(std::equal(cells.begin(), cells.end(),
                               plain.Label.begin() + ptrdiff_t(64) * i * map.Size()));
      }
      const uint32_t r = uint32_t(rng() % map.Size()), c = uint32_t(rng() % map.Size());
      EXPECT_EQ(RegionOf(map, regions, r, c), plain.Label[size_t(r) * map.Size() + c]);
      EXPECT_EQ(regions.GapCount, diagonal ? 0 : plain.Gaps.size());
      const size_t listed = diagonal ? 0 : std::min<size_t>(5, plain.Gaps.size());
      EXPECT_TRUE(regions.FirstGaps ==
                  std::vector<TGap>(plain.Gaps.begin(), plain.Gaps.begin() + ptrdiff_t(listed)));
    }
  }
}

} // namespace
