// Regions, diagonal gaps, shortest paths and sealing, against plain cell-by-cell forms on
// random maps; the --regions, --path and --seal modes end to end.
#include "analysis/PathSearch.h"
#include "analysis/Regions.h"
#include "analysis/Seal.h"
#include "inspect/CommandLine.h"
#include "pictures/PathPicture.h"
#include "pictures/Pictures.h"
#include "pictures/RegionsPicture.h"

#include "segutils/MapFileReader.h"
#include "support/PlainRegions.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

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

TEST(Regions, AgreeWithAFloodFillOnRandomMapsOfUniformAndMixedSegments) {
  std::mt19937_64 rng(7);
  for (int round = 0; round < 12; ++round) {
    const TPathmap map = RandomMap(round % 2 == 0 ? 128 : 192, rng);
    for (bool diagonal : {false, true}) {
      SCOPED_TRACE(testing::Message() << "round " << round << (diagonal ? " diagonal" : ""));
      const PlainRegions plain = FloodFill(map, diagonal);
      const TRegions regions = LabelRegions(map, diagonal, SIZE_MAX);
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
      const size_t listed = diagonal ? 0 : plain.Gaps.size();
      EXPECT_TRUE(regions.FirstGaps ==
                  std::vector<TGap>(plain.Gaps.begin(), plain.Gaps.begin() + ptrdiff_t(listed)));
    }
  }
}

TEST(PathSearch, FindsPathsAsShortAsDijkstrasStepByStepAndOnlyWithinARegion) {
  std::mt19937_64 rng(11);
  int found = 0, apart = 0;
  for (int round = 0; round < 8; ++round) {
    const TPathmap map = RandomMap(128, rng);
    const bool diagonal = round % 2 == 1;
    const PlainRegions plain = FloodFill(map, diagonal);
    std::vector<TCell> free;
    for (uint32_t r = 0; r < 128; ++r)
      for (uint32_t c = 0; c < 128; ++c)
        if (!map.IsBlocked(r, c))
          free.push_back({r, c});
    for (int k = 0; k < 6 && !free.empty(); ++k) {
      const TCell start = free[rng() % free.size()], end = free[rng() % free.size()];
      SCOPED_TRACE(testing::Message() << "round " << round << " from " << start.Row << ","
                                      << start.Column << " to " << end.Row << "," << end.Column);
      const TPathResult path = FindPath(map, start, end, diagonal);
      const double best = Dijkstra(map, start, diagonal)[size_t(end.Row) * 128 + end.Column];
      if (std::isinf(best)) {
        ++apart;
        EXPECT_EQ(path.Outcome, TPathOutcome::Apart);
        EXPECT_EQ(path.StartRegion, plain.Label[size_t(start.Row) * 128 + start.Column]);
        EXPECT_EQ(path.EndRegionSize, plain.Regions[path.EndRegion - 1].Size);
        continue;
      }
      ++found;
      ASSERT_EQ(path.Outcome, TPathOutcome::Found);
      EXPECT_NEAR(path.Length, best, 1e-9);
      const std::vector<TCell> cells = PathCells(path);
      ASSERT_EQ(cells.size(), path.Steps() + 1);
      EXPECT_TRUE(cells.front() == start && cells.back() == end);
      uint64_t diagonals = 0;
      for (size_t s = 0; s < cells.size(); ++s) {
        EXPECT_FALSE(map.IsBlocked(cells[s].Row, cells[s].Column));
        if (s == 0)
          continue;
        const int64_t dr = int64_t(cells[s].Row) - cells[s - 1].Row;
        const int64_t dc = int64_t(cells[s].Column) - cells[s - 1].Column;
        EXPECT_TRUE(std::max(std::abs(dr), std::abs(dc)) == 1 && (diagonal || dr * dc == 0));
        diagonals += dr != 0 && dc != 0;
      }
      EXPECT_EQ(path.DiagonalSteps, diagonals);
      // A turning point lies between steps of different directions, and only there.
      for (size_t t = 1; t + 1 < path.Turns.size(); ++t) {
        const auto at = std::find(cells.begin(), cells.end(), path.Turns[t]) - cells.begin();
        ASSERT_TRUE(at > 0 && size_t(at) + 1 < cells.size());
        EXPECT_FALSE(cells[size_t(at) + 1].Row - cells[size_t(at)].Row ==
                         cells[size_t(at)].Row - cells[size_t(at) - 1].Row &&
                     cells[size_t(at) + 1].Column - cells[size_t(at)].Column ==
                         cells[size_t(at)].Column - cells[size_t(at) - 1].Column);
      }
    }
  }
  EXPECT_GT(found, 10);
  EXPECT_GT(apart, 3);
  TPathmap map;
  map.SetSize(64);
  map.Block(5, 5);
  const TPathResult blocked = FindPath(map, {0, 0}, {5, 5}, false);
  EXPECT_TRUE(blocked.Outcome == TPathOutcome::Blocked && !blocked.AtStart);
  const TPathResult outside = FindPath(map, {64, 0}, {5, 5}, false);
  EXPECT_TRUE(outside.Outcome == TPathOutcome::Outside && outside.AtStart);
  const TPathResult same = FindPath(map, {7, 7}, {7, 7}, true);
  EXPECT_TRUE(same.Outcome == TPathOutcome::Found && same.Steps() == 0 && same.Turns.size() == 1);
}

TEST(Seal, BlocksExactlyTheCellsOfTheSmallRegionsOtherThanTheMainOne) {
  std::mt19937_64 rng(5);
  for (int round = 0; round < 4; ++round) {
    TPathmap map = RandomMap(round < 2 ? 128 : 192, rng);
    const bool diagonal = round % 2 == 0;
    const PlainRegions plain = FloodFill(map, diagonal);
    const uint64_t minSize = round == 3 ? UINT64_MAX : 2 + rng() % 40;
    TSealResult expected;
    for (size_t k = 1; k < plain.Regions.size(); ++k)
      if (plain.Regions[k].Size < minSize)
        ++expected.Regions, expected.Cells += plain.Regions[k].Size;
    const TSealResult result = SealRegions(map, minSize, diagonal);
    EXPECT_TRUE(result.Regions == expected.Regions && result.Cells == expected.Cells);
    EXPECT_GT(result.Regions, 0u);
    for (uint32_t r = 0; r < map.Size(); ++r)
      for (uint32_t c = 0; c < map.Size(); ++c) {
        const uint32_t region = plain.Label[size_t(r) * map.Size() + c];
        ASSERT_EQ(map.IsBlocked(r, c),
                  region == 0 || (region > 1 && plain.Regions[region - 1].Size < minSize))
            << r << "," << c;
      }
  }
}

// A 64 map: a 5 by 5 wall around a pocket of 9 cells, open only at its corner (14, 14); a
// wall around the one cell (21, 21); the corner cell (0, 0) cut off by (0, 1) and (1, 0).
TPathmap HandMadeMap() {
  TPathmap map;
  map.SetSize(64);
  for (uint32_t k = 0; k < 5; ++k)
    for (auto [r, c] : {std::pair{10 + k, 10u}, {10 + k, 14u}, {10u, 10 + k}, {14u, 10 + k}})
      if (r != 14 || c != 14)
        map.Block(r, c);
  for (uint32_t k = 0; k < 3; ++k)
    for (auto [r, c] : {std::pair{20 + k, 20u}, {20 + k, 22u}, {20u, 20 + k}, {22u, 20 + k}})
      map.Block(r, c);
  map.Block(0, 1), map.Block(1, 0);
  return map;
}

struct InspectRun {
  int Status;
  std::string Out, Err;
  std::vector<TImage> Pictures;
};

InspectRun Inspect(const std::vector<std::string>& args) {
  InspectRun run{};
  std::ostringstream out, err;
  run.Status = RunInspect(args, out, err, [&](const TImage& image, const std::string&) {
    run.Pictures.push_back(image);
  });
  run.Out = out.str(), run.Err = err.str();
  return run;
}

TEST(RegionsCommands, PrintTheRegionsGapsAndPathsOfAHandMadeMapAsTextAndJson) {
  TempDir dir;
  const std::string map = (dir / "hand.raw").string();
  const std::string jsonMap = nlohmann::json(map).dump(); // quoted, "\\" on Windows
  HandMadeMap().SaveToFile(map);
  InspectRun run = Inspect({"--regions", map, "--limit", "1"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "Map: " + map +
                         "\nSteps: to edge neighbours\nFree cells: 4071 of 4096\nRegions: 4\n"
                         "Main region: 4060 cells (99.73% of the free cells), first cell (0, 2), "
                         "rows 0 to 63, columns 0 to 63, touches the edge\n"
                         "Other regions, largest first:\n"
                         "  2: 9 cells, first cell (11, 11), rows 11 to 13, columns 11 to 13, "
                         "inside\n  and 2 more, of 2 cells in all\n"
                         "Free cells outside the main region: 11\nDiagonal gaps: 2\n"
                         "  (0, 0) and (1, 1): regions 3 and 1\n  and 1 more\n");
  run = Inspect({"--regions", "--json", "--diagonal", "--limit", "1", map, map});
  const std::string one =
      R"({"map":)" + jsonMap +
      R"(,"size":64,"diagonal":true,"freeCells":4071,"regions":2,"main":{"number":1,"cells":4070,"first":{"row":0,"column":0},"rows":[0,63],"columns":[0,63],"touchesEdge":true,"share":0.9997543601080816},"others":[{"number":2,"cells":1,"first":{"row":21,"column":21},"rows":[21,21],"columns":[21,21],"touchesEdge":false}],"more":{"regions":0,"cells":0},"cellsOutsideMain":1})";
  EXPECT_EQ(run.Out, "[" + one + "," + one + "]\n");
  run = Inspect({"--regions", "--json", "--limit", "0", map});
  EXPECT_NE(run.Out.find(R"("gaps":{"count":2,"first":[]})"), std::string::npos) << run.Out;
  run = Inspect({"--path", "12,12", "15,16", map, "--diagonal", "--png", "p.png"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "Map: " + map +
                         "\nSteps: to edge and corner neighbours\nFrom (12, 12) to (15, 16)\n"
                         "Path: length 5.243 in 4 steps (1 edge, 3 diagonal), within region 1 "
                         "of 4070 cells\nTurning points (row, column):\n  (12, 12)\n  (15, 15)\n"
                         "  (15, 16)\nPicture: p.png (64 by 64 pixels)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(run.Pictures[0].At(12, 63 - 12), colours::PathStart);
  EXPECT_EQ(run.Pictures[0].At(14, 63 - 14), colours::PathCell);
  run = Inspect({"--path", "12,12", "15,16", map, "--json"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(
      run.Out,
      R"({"map":)" + jsonMap +
          R"(,"diagonal":false,"from":{"row":12,"column":12},"to":{"row":15,"column":16},"found":false,"reason":"regions","regions":[{"number":2,"cells":9},{"number":1,"cells":4060}]})"
          "\n");
  const std::pair<std::vector<std::string>, std::string> noPath[] = {
      {{"--path", "0,0", "64,3", map}, "No path: the end (64, 3) is outside the 64 by 64 map\n"},
      {{"--path", "10,10", "1,1", map}, "No path: the start (10, 10) is blocked\n"}};
  for (const auto& [args, reason] : noPath) {
    run = Inspect(args);
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out.substr(run.Out.find("No path")), reason);
  }
}

// A map file named in the Windows code page (the byte 0xE9, e) is named in UTF-8 in the JSON.
TEST(RegionsCommands, NameTheMapInUtf8InTheirJson) {
  TempDir dir;
  const std::string map = (dir / "h\xE9.raw").string();
  HandMadeMap().SaveToFile(map);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--regions", map, "--json"}, {"--path", "0,0", "1,1", map, "--json"}})
    EXPECT_TRUE(nlohmann::json::parse(Inspect(args).Out)["map"].get<std::string>().ends_with(
        "h\xC3\xA9.raw"));
}

TEST(RegionsCommands, ReportEachMistakeWithStatusTwoAndWriteNoPartialCopy) {
  TempDir dir;
  const std::string map = (dir / "in.raw").string(), same = (dir.Path / "." / "in.raw").string();
  HandMadeMap().SaveToFile(map);
  WriteFile(dir / "cut.raw", ReadFile(map).substr(0, 40));
  const std::string usage = "\nRun quarnel-inspect --help for the usage.\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--path", "1,x", "2,2", map}, "--path needs two cells as ROW,COL, not '1,x'" + usage},
      {{"--path", "1,1", map}, "--path needs two cells as ROW,COL, not '" + map + "'" + usage},
      {{"--path", "1,1", "2,2", map, map}, "--path needs one map file, not 2" + usage},
      {{"--seal", "-3", map, "o.raw"}, "--seal needs a size in cells, not '-3'" + usage},
      {{"--seal", "5", map}, "--seal needs the map to read and the file to write, not 1" + usage},
      {{"--regions", "--diff", map, map}, "--regions goes without --diff" + usage},
      {{"--regions", "--limit", "many", map}, "--limit needs a whole number, not 'many'" + usage},
      {{"--diagonal", map}, "--diagonal goes with --regions, --path or --seal" + usage},
      {{"--path", "1,1", "2,2", map, "--limit", "3"}, "--limit does not go with --path" + usage},
      {{"--regions", map, map, "--png", "x.png"}, "--png draws one map, but 2 are given" + usage},
      {{"--seal", "5", map, same},
       "--seal writes a copy: " + same + " is the map it reads (" + map + ")\n"},
      {{"--seal", "5", map, (dir / "no" / "o.raw").string()},
       "Error opening file: " + (dir / "no" / "o.raw").string() + "\n"},
      {{"--regions", (dir / "cut.raw").string()},
       (dir / "cut.raw").string() + ": byte 40: the file ends inside the 512 cell bytes of segment "
                                    "record 0 (from byte 36)\n"}};
  for (const auto& [args, message] : cases) {
    const InspectRun run = Inspect(args);
    EXPECT_EQ(run.Status, 2) << message;
    EXPECT_EQ(run.Err, "quarnel-inspect: " + message);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 2)
      << "no file is left behind";
}

TEST(RegionsCommands, SealWritesTheSealedCopyBesideTheUnchangedInput) {
  TempDir dir;
  std::mt19937_64 rng(3);
  TPathmap map = RandomMap(192, rng);
  const std::string in = (dir / "in.raw").string(), out = (dir / "out.raw").string();
  map.SaveToFile(in);
  WriteFile(out, "an older file");
  const std::string before = ReadFile(in);
  const InspectRun run = Inspect({"--seal", "30", in, out});
  const TSealResult sealed = SealRegions(map, 30, false);
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "Map: " + in + "\nSealed: " + std::to_string(sealed.Regions) + " regions of " +
                         std::to_string(sealed.Cells) +
                         " cells in all (every region but the main one with fewer than 30 "
                         "cells)\nWritten: " +
                         out + "\n");
  TPathmap written;
  LoadMapFile(out, written);
  EXPECT_TRUE(SameCells(written, map));
  EXPECT_EQ(ReadFile(in), before);
}

TEST(RegionsPicture, ShowsNeighbouringRegionsInDifferentColoursAndTheMainOneWhite) {
  std::mt19937_64 rng(9);
  for (const bool diagonal : {false, true}) {
    const TPathmap map = RandomMap(128, rng);
    const TRegions regions = LabelRegions(map, diagonal);
    const PlainRegions plain = FloodFill(map, diagonal);
    const std::vector<TRgb> colour = RegionColours(map, regions);
    const TImage image = RenderRegions(map, regions, 1);
    int pairs = 0;
    for (int64_t r = 0; r < 128; ++r)
      for (int64_t c = 0; c < 128; ++c) {
        const uint32_t a = plain.Label[size_t(r * 128 + c)];
        EXPECT_EQ(image.At(uint32_t(c), uint32_t(127 - r)), a == 0 ? colours::Blocked : colour[a]);
        for (int64_t dr = 0; dr <= 2; ++dr)
          for (int64_t dc = -2; dc <= 2; ++dc) {
            if (r + dr >= 128 || c + dc < 0 || c + dc >= 128)
              continue;
            const uint32_t b = plain.Label[size_t((r + dr) * 128 + c + dc)];
            if (a > 1 && b > 1 && a != b) {
              ++pairs;
              EXPECT_FALSE(colour[a] == colour[b]) << a << " and " << b;
            }
          }
      }
    EXPECT_GT(pairs, 100);
    EXPECT_EQ(colour[1], colours::Free);
  }
}

} // namespace
