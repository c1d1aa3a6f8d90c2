// What a map alone tells: statistics, and regions, gaps, shortest paths and sealing against
// their plain cell-by-cell forms on random maps.
#include "analysis/MapStats.h"
#include "support/PlainRegions.h"
#include "support/TestMaps.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

using namespace quarnel;
using namespace testutil;

namespace {

Cells Segment(uint32_t i, uint32_t j, size_t spared = 0) { // its cells, less the last few
  Cells cells;
  for (uint32_t r = 64 * i; r < 64 * i + 64; ++r)
    for (uint32_t c = 64 * j; c < 64 * j + 64; ++c)
      cells.push_back({r, c});
  cells.resize(cells.size() - spared);
  return cells;
}

TEST(MapStats, CountBlockedCellsAndEachKindOfSegment) {
  Cells known = Segment(0, 1), oneFree = Segment(15, 15, 1);
  known.push_back({70, 3});
  oneFree.push_back({0, 0});
  const struct {
    TPathmap Map;
    TMapStats Stats;
  } cases[] = {{MakeMap(64), {64, 1, 0, 0, 1, 0, 0}},
               {MakeMap(64, Segment(0, 0)), {64, 1, 0, 4096, 0, 1, 0}},
               {MakeMap(192, {{191, 0}}), {192, 3, 1, 1, 8, 0, 1}},
               {MakeMap(128, known), {128, 2, 1, 4097, 2, 1, 1}},
               {MakeMap(1024, oneFree), {1024, 16, 4, 4096, 254, 0, 2}}};
  for (const auto& c : cases)
    EXPECT_EQ(ComputeStats(c.Map), c.Stats) << c.Map.Size();
}

// Two versions of a map labelled in step, the second taking the labels of the segments it
// shares with the first: each as the flood fill labels it alone, cell by cell.
TEST(Analyses, TwoVersionsOfAMapLabelledTogetherHaveTheRegionsOfEachAlone) {
  std::mt19937_64 rng(11);
  for (int round = 0; round < 6; ++round) {
    const TPathmap a = RandomMap(round % 2 == 0 ? 128 : 192, rng);
    const uint32_t n = a.Size();
    // b: a with rectangles (over segment borders too) drawn anew; none in round 0; in round 5 a
    // map of another size.
    TPathmap b = MakeMap(round == 5 ? n + 64 : n);
    std::vector<uint8_t> redrawn(size_t(n) * n, 0);
    for (int k = 0; k < (round == 0 ? 0 : 4); ++k) {
      const uint32_t r0 = rng() % n, c0 = rng() % n, h = 1 + rng() % 40, w = 1 + rng() % 40;
      for (uint32_t r = r0; r < std::min(n, r0 + h); ++r)
        for (uint32_t c = c0; c < std::min(n, c0 + w); ++c)
          redrawn[size_t(r) * n + c] = 1 + rng() % 2;
    }
    for (uint32_t r = 0; r < n; ++r)
      for (uint32_t c = 0; c < n; ++c)
        if (redrawn[size_t(r) * n + c] == 0 ? a.IsBlocked(r, c) : redrawn[size_t(r) * n + c] == 2)
          b.Block(r, c);
    const std::array<TRegions, 2> twins = LabelTwinRegions(a, b);
    for (int v = 0; v < 2; ++v) {
      SCOPED_TRACE(testing::Message() << "round " << round << (v == 0 ? " first" : " second"));
      const TPathmap& map = v == 0 ? a : b;
      const PlainRegions plain = FloodFill(map, false);
      ASSERT_EQ(twins[v].Regions, plain.Regions);
      std::vector<uint32_t> cells, labels;
      for (int32_t i = 0; i < map.SegmentCount(); ++i) {
        RegionRows(map, twins[v], i, cells);
        labels.insert(labels.end(), cells.begin(), cells.end());
      }
      EXPECT_TRUE(labels == plain.Label);
    }
  }
}

// Each random map is labelled with both kinds of step, and paths are asked between free cells,
// blocked ones and cells outside the grid.
TEST(Analyses, RegionsPathsAndSealingAgreeWithThePlainFormsOnRandomMaps) {
  std::mt19937_64 rng(7);
  std::map<TPathOutcome, int> outcomes;
  size_t pockets = 0;
  for (int round = 0; round < 10; ++round) {
    const TPathmap map = RandomMap(round % 2 == 0 ? 128 : 192, rng);
    const uint32_t n = map.Size();
    for (bool diagonal : {false, true}) {
      SCOPED_TRACE(testing::Message() << "round " << round << (diagonal ? " diagonal" : ""));
      const PlainRegions plain = FloodFill(map, diagonal);
      EXPECT_EQ(RegionsFault(map, diagonal, plain), "");
      // Ends mostly on the grid's edges and on segment borders, where steps and scans cross
      // words and segments, moved along their row to a free cell when there is one.
      const auto pick = [&]() -> TCell {
        const uint32_t lines[] = {0, n - 1, 63, 64, n - 65, n - 64};
        TCell cell{lines[rng() % 6], uint32_t(rng() % n)};
        if (rng() % 2)
          std::swap(cell.Row, cell.Column);
        for (uint32_t c = 0; c < n && map.IsBlocked(cell.Row, cell.Column); ++c)
          cell.Column = (cell.Column + 1) % n;
        return cell;
      };
      // The start is looked at first: a blocked start with an end outside the grid is blocked.
      TCell blocked{0, 0};
      while (!map.IsBlocked(blocked.Row, blocked.Column))
        blocked = {uint32_t(rng() % n), uint32_t(rng() % n)};
      for (int k = 0; k < 12; ++k) {
        const TCell start = k == 0 ? TCell{n, 0} : k == 2 ? blocked : pick();
        const TCell end = k == 1 ? TCell{1, 1} : k == 2 ? TCell{0, n + 1} : pick();
        TPathOutcome outcome;
        EXPECT_EQ(PathFault(map, diagonal, plain, start, end, outcome), "")
            << start.Row << "," << start.Column << " to " << end.Row << "," << end.Column;
        ++outcomes[outcome];
      }
      pockets += plain.Regions.size() - 1;
      EXPECT_EQ(SealFault(map, diagonal, plain, round == 9 ? UINT64_MAX : 2 + rng() % 40), "");
    }
  }
  EXPECT_GT(pockets, 50u);
  for (const TPathOutcome outcome :
       {TPathOutcome::Found, TPathOutcome::Apart, TPathOutcome::Blocked, TPathOutcome::Outside})
    EXPECT_GT(outcomes[outcome], 0);
  const TPathResult same = FindPath(MakeMap(64), {7, 7}, {7, 7}, true);
  EXPECT_TRUE(same.Outcome == TPathOutcome::Found && same.Steps() == 0 && same.Turns.size() == 1);
}

} // namespace
