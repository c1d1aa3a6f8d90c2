// quarnel-inspect: statistics, diffs, pictures, its command line, exit statuses and PNG files.
#include "common/UTypes.h"
#include "inspect/Inspect.h"
#include "segutils/SegUtils.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#ifdef QUARNEL_INSPECT_PNG
#include <png.h>
#endif

using namespace quarnel;
using testutil::TempDir;

using testutil::MessageOf;

namespace {

void BlockSegment(TPathmap& map, uint32_t i, uint32_t j) {
  for (uint32_t k = 0; k < 64; ++k)
    map.Row(64 * i + k)[j] = ~uint64_t{0};
}

// A 128 map: segment (0, 1) all blocked, cell (70, 3) blocked, the rest free.
void MakeKnownMap(TPathmap& map) {
  map.SetSize(128);
  BlockSegment(map, 0, 1);
  map.Block(70, 3);
}

std::string SaveMap(const TempDir& dir, const std::string& name,
                    const std::function<void(TPathmap&)>& fill, uint32_t size = 128) {
  TPathmap map;
  map.SetSize(size);
  fill(map);
  const std::string path = (dir / name).string();
  map.SaveToFile(path);
  return path;
}

// ---- Statistics -------------------------------------------------------------------------

struct StatsCase {
  const char* Name;
  uint32_t Size;
  std::function<void(TPathmap&)> Fill;
  TMapStats Expected;
};

void PrintTo(const StatsCase& c, std::ostream* os) {
  *os << c.Name;
}

const StatsCase kStatsCases[] = {
    {"AFreeMapHasOnlyFreeSegments", 64, [](TPathmap&) {}, {64, 1, 0, 0, 1, 0, 0}},
    {"AFullMapHasOnlyBlockedSegments",
     64,
     [](TPathmap& m) { BlockSegment(m, 0, 0); },
     {64, 1, 0, 4096, 0, 1, 0}},
    {"OneCellMakesItsSegmentMixed",
     192,
     [](TPathmap& m) { m.Block(191, 0); },
     {192, 3, 1, 1, 8, 0, 1}},
    {"TheKnownMapCountsEachKindOfSegment",
     128,
     [](TPathmap& m) {
       BlockSegment(m, 0, 1);
       m.Block(70, 3);
     },
     {128, 2, 1, 4097, 2, 1, 1}},
    {"ASegmentWithOneFreeCellIsMixed",
     1024,
     [](TPathmap& m) {
       BlockSegment(m, 15, 15);
       m.Row(1023)[15] &= ~(uint64_t{1} << 63);
       m.Block(0, 0);
     },
     {1024, 16, 4, 4096, 254, 0, 2}},
};

class MapStatistics : public testing::TestWithParam<StatsCase> {};

TEST_P(MapStatistics, CountBlockedCellsAndSegmentsOfEachKind) {
  TPathmap map;
  map.SetSize(GetParam().Size);
  GetParam().Fill(map);
  EXPECT_EQ(ComputeStats(map), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(KnownMaps, MapStatistics, testing::ValuesIn(kStatsCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MapStatistics, ArePrintedOneFactPerLine) {
  TPathmap map;
  MakeKnownMap(map);
  std::ostringstream out;
  PrintStats(out, "known.raw", ComputeStats(map));
  EXPECT_EQ(out.str(), "Map: known.raw\n"
                       "Size: 128 by 128 cells\n"
                       "Segments: 2 by 2 (4 of 64 by 64 cells)\n"
                       "Level count: 1\n"
                       "Blocked cells: 4097 of 16384 (25.01%)\n"
                       "Uniform free segments: 2\n"
                       "Uniform blocked segments: 1\n"
                       "Mixed segments: 1\n");
}

// ---- Comparison -------------------------------------------------------------------------

TEST(MapDiff, EqualMapsHaveNoDifferingCell) {
  TPathmap a, b;
  MakeKnownMap(a);
  MakeKnownMap(b);
  const TMapDiff diff = DiffMaps(a, b, 10);
  EXPECT_EQ(diff.Count(), 0u);
  EXPECT_TRUE(diff.First.empty());
}

TEST(MapDiff, CountsEachDirectionAndListsCellsByRowThenColumn) {
  TPathmap a, b;
  a.SetSize(128);
  b.SetSize(128);
  for (TPathmap* m : {&a, &b})
    m->Block(0, 5);
  a.Block(64, 0);
  b.Block(3, 127);
  b.Block(127, 0);
  b.Block(3, 2);
  const TMapDiff diff = DiffMaps(a, b, 10);
  EXPECT_EQ(diff.OnlyInA, 1u);
  EXPECT_EQ(diff.OnlyInB, 3u);
  EXPECT_EQ(diff.First, (std::vector<TCell>{{3, 2}, {3, 127}, {64, 0}, {127, 0}}));
}

TEST(MapDiff, ListsNoMoreThanTheLimitButCountsEveryCell) {
  TPathmap a, b;
  a.SetSize(64);
  b.SetSize(64);
  for (uint32_t k = 0; k < 15; ++k)
    b.Block(63 - k, k);
  const TMapDiff diff = DiffMaps(a, b, 10);
  EXPECT_EQ(diff.Count(), 15u);
  std::vector<TCell> expected;
  for (uint32_t k = 14; k >= 5; --k)
    expected.push_back({63 - k, k});
  EXPECT_EQ(diff.First, expected);
}

TEST(MapDiff, RefusesMapsOfDifferentSizes) {
  TPathmap a, b;
  a.SetSize(64);
  b.SetSize(128);
  EXPECT_EQ(MessageOf([&] { DiffMaps(a, b, 10); }),
            "maps of different sizes: 64 by 64 and 128 by 128");
}

// ---- Pictures ---------------------------------------------------------------------------

struct SideCase {
  uint32_t Size, Scale, Side;
};

TEST(Pictures, HaveOnePixelPerScaleByScaleBlockRoundedUp) {
  for (const SideCase& c :
       {SideCase{64, 1, 64}, SideCase{192, 5, 39}, SideCase{64, 64, 1}, SideCase{64, 100, 1},
        SideCase{4096, 3, 1366}, SideCase{4294967232u, 4294967295u, 1}})
    EXPECT_EQ(PictureSide(c.Size, c.Scale), c.Side) << c.Size << " at scale " << c.Scale;
}

// The pixels of a picture that are not the given colour.
std::vector<std::pair<uint32_t, uint32_t>> PixelsOtherThan(const TImage& image, TRgb colour) {
  std::vector<std::pair<uint32_t, uint32_t>> found;
  for (uint32_t y = 0; y < image.Height; ++y)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(image.At(x, y) == colour))
        found.emplace_back(x, y);
  return found;
}

struct CornerCase {
  const char* Name;
  uint32_t Row, Column; // a cell of a 192 map
  uint32_t X, Y;        // its pixel, y from the top
};

void PrintTo(const CornerCase& c, std::ostream* os) {
  *os << c.Name;
}

const CornerCase kCorners[] = {
    {"RowZeroColumnZeroIsBottomLeft", 0, 0, 0, 191},
    {"RowZeroLastColumnIsBottomRight", 0, 191, 191, 191},
    {"LastRowColumnZeroIsTopLeft", 191, 0, 0, 0},
    {"LastRowLastColumnIsTopRight", 191, 191, 191, 0},
};

class PictureCorner : public testing::TestWithParam<CornerCase> {};

TEST_P(PictureCorner, ABlockedCellIsTheOnlyBlackPixelAtItsPlace) {
  TPathmap map;
  map.SetSize(192);
  map.Block(GetParam().Row, GetParam().Column);
  const TImage image = RenderMap(map, 1);
  ASSERT_EQ(image.Width, 192u);
  ASSERT_EQ(image.Height, 192u);
  EXPECT_EQ(image.At(GetParam().X, GetParam().Y), colours::Blocked);
  EXPECT_EQ(PixelsOtherThan(image, colours::Free),
            (std::vector<std::pair<uint32_t, uint32_t>>{{GetParam().X, GetParam().Y}}));
}

INSTANTIATE_TEST_SUITE_P(Corners, PictureCorner, testing::ValuesIn(kCorners),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Pictures, AScaledPixelIsBlockedWhenAnyCellOfItsBlockIs) {
  TPathmap map;
  map.SetSize(128);
  map.Block(5, 6);   // block (1, 1) of 4 by 4 cells: pixel x 1, y 32 - 1 - 1
  map.Block(127, 0); // block (31, 0): the top left pixel
  const TImage image = RenderMap(map, 4);
  ASSERT_EQ(image.Width, 32u);
  EXPECT_EQ(PixelsOtherThan(image, colours::Free),
            (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}, {1, 30}}));
}

TEST(Pictures, TheTopRowAndRightColumnHoldTheRemainderWhenTheScaleDoesNotDivide) {
  TPathmap map;
  map.SetSize(192);
  map.Block(191, 191); // block (38, 38) of 5 by 5 cells, which holds cells 190 and 191 only
  map.Block(0, 190);
  const TImage image = RenderMap(map, 5);
  ASSERT_EQ(image.Width, 39u);
  EXPECT_EQ(PixelsOtherThan(image, colours::Free),
            (std::vector<std::pair<uint32_t, uint32_t>>{{38, 0}, {38, 38}}));
}

TEST(Pictures, AScaleOfZeroIsRefused) {
  TPathmap map;
  map.SetSize(64);
  EXPECT_EQ(MessageOf([&] { RenderMap(map, 0); }), "the scale must be 1 or more");
}

TEST(Pictures, TheOverlayShowsTheFirstClassThatBlocksACell) {
  TPathmap infantry, tank, car;
  for (TPathmap* m : {&infantry, &tank, &car})
    m->SetSize(64);
  for (TPathmap* m : {&infantry, &tank, &car})
    m->Block(0, 0);
  tank.Block(0, 1);
  car.Block(0, 1);
  car.Block(0, 2);
  infantry.Block(0, 3); // infantry alone still shows as infantry
  tank.Block(63, 63);
  const TImage image = RenderOverlay(infantry, tank, car, 1);
  EXPECT_EQ(image.At(0, 63), colours::Infantry);
  EXPECT_EQ(image.At(1, 63), colours::Tank);
  EXPECT_EQ(image.At(2, 63), colours::Car);
  EXPECT_EQ(image.At(3, 63), colours::Infantry);
  EXPECT_EQ(image.At(63, 0), colours::Tank);
  EXPECT_EQ(PixelsOtherThan(image, colours::Free).size(), 5u);
}

TEST(Pictures, TheOverlayRefusesMapsOfDifferentSizes) {
  TPathmap infantry, tank, car;
  infantry.SetSize(64);
  tank.SetSize(64);
  car.SetSize(128);
  EXPECT_EQ(MessageOf([&] { RenderOverlay(infantry, tank, car, 1); }),
            "maps of different sizes: 64 by 64 and 128 by 128");
}

TEST(Pictures, TheDiffHighlightsEachDirectionOverADimFirstMap) {
  TPathmap a, b;
  a.SetSize(64);
  b.SetSize(64);
  a.Block(0, 0); // only in A
  b.Block(0, 2); // only in B
  a.Block(0, 4); // in both
  b.Block(0, 4);
  a.Block(10, 10); // one of each in the block of cells (10, 10) to (11, 11)
  b.Block(11, 11);
  const TImage plain = RenderDiff(a, b, 1);
  EXPECT_EQ(plain.At(0, 63), colours::OnlyInA);
  EXPECT_EQ(plain.At(2, 63), colours::OnlyInB);
  EXPECT_EQ(plain.At(4, 63), colours::DimBlocked);
  EXPECT_EQ(plain.At(1, 63), colours::DimFree);
  const TImage scaled = RenderDiff(a, b, 2);
  EXPECT_EQ(scaled.At(5, 31 - 5), colours::BothWays);
  EXPECT_EQ(scaled.At(0, 31), colours::OnlyInA);
  EXPECT_EQ(scaled.At(1, 31), colours::OnlyInB);
  EXPECT_EQ(scaled.At(2, 31), colours::DimBlocked);
  EXPECT_EQ(PixelsOtherThan(scaled, colours::DimFree).size(), 4u);
}

// ---- Command line, run in process -------------------------------------------------------

struct InProcessRun {
  int Status = -1;
  std::string Out, Err;
  std::vector<std::pair<std::string, TImage>> Pictures;
};

InProcessRun Inspect(const std::vector<std::string>& args, bool withPng = true) {
  InProcessRun run;
  std::ostringstream out, err;
  TImageWriter writer;
  if (withPng)
    writer = [&](const TImage& image, const std::string& name) {
      run.Pictures.emplace_back(name, image);
    };
  run.Status = RunInspect(args, out, err, writer);
  run.Out = out.str();
  run.Err = err.str();
  return run;
}

TEST(InspectCommandLine, HelpPrintsTheUsageAndSucceeds) {
  const InProcessRun run = Inspect({"--help"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, InspectUsage(true));
  EXPECT_EQ(run.Err, "");
  for (const char* word : {"--png", "--scale", "--overlay", "--diff", "Exit status"})
    EXPECT_NE(run.Out.find(word), std::string::npos) << word;
}

TEST(InspectCommandLine, NoArgumentsPrintTheUsageAsAnError) {
  const InProcessRun run = Inspect({});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Out, "");
  EXPECT_EQ(run.Err, InspectUsage(true));
}

struct UsageErrorCase {
  std::vector<std::string> Args;
  std::string Message;
};

TEST(InspectCommandLine, MistakesAreReportedWithAPointerToTheUsage) {
  const UsageErrorCase cases[] = {
      {{"--verbose", "a.raw"}, "unknown option --verbose"},
      {{"a.raw", "--png"}, "--png needs a value"},
      {{"--png", "", "a.raw"}, "--png needs a file name"},
      {{"--png", "x.png", "--png", "y.png", "a.raw"}, "--png is given twice"},
      {{"--png", "x.png", "--scale", "0", "a.raw"},
       "--scale needs a whole number of 1 or more, not '0'"},
      {{"--png", "x.png", "--scale", "2x", "a.raw"},
       "--scale needs a whole number of 1 or more, not '2x'"},
      {{"--png", "x.png", "--scale", "4294967296", "a.raw"},
       "--scale needs a whole number of 1 or more, not '4294967296'"},
      {{"--png", "x.png", "--scale", "2", "--scale", "3", "a.raw"}, "--scale is given twice"},
      {{"--scale", "2", "a.raw"}, "--scale applies to the picture: give --png too"},
      {{"--png", "x.png"}, "no map file given"},
      {{"--png", "x.png", "a.raw", "b.raw"},
       "--png draws one map, but 2 are given (--overlay draws three)"},
      {{"--overlay", "a.raw", "b.raw", "--png", "x.png"},
       "--overlay needs three map files (infantry, tank, car), not 2"},
      {{"--overlay", "a.raw", "b.raw", "c.raw"}, "--overlay needs --png OUT.png"},
      {{"--diff", "a.raw", "b.raw", "c.raw"}, "--diff needs two map files, not 3"},
      {{"--diff", "--overlay", "a.raw", "b.raw"},
       "give --overlay or --diff once, not both or twice"},
  };
  for (const UsageErrorCase& c : cases) {
    const InProcessRun run = Inspect(c.Args);
    SCOPED_TRACE(c.Message);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err,
              "quarnel-inspect: " + c.Message + "\nRun quarnel-inspect --help for the usage.\n");
    EXPECT_TRUE(run.Pictures.empty());
  }
}

TEST(InspectCommandLine, WithoutPngSupportThePngOptionIsRefusedAndTheUsageSaysSo) {
  TempDir dir;
  const std::string map = SaveMap(dir, "a.raw", [](TPathmap&) {});
  const InProcessRun run = Inspect({"--png", "x.png", map}, /*withPng=*/false);
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: this build has no PNG support: --png is not available\n");
  EXPECT_NE(InspectUsage(false).find("This build has no PNG support"), std::string::npos);
  EXPECT_EQ(InspectUsage(true).find("no PNG support"), std::string::npos);
  EXPECT_EQ(Inspect({map}, /*withPng=*/false).Status, 0);
}

TEST(InspectCommandLine, ADoubleDashEndsTheOptions) {
  TempDir dir;
  const std::string map = SaveMap(dir, "--diff", [](TPathmap&) {});
  const InProcessRun run = Inspect({"--", map});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')), "Map: " + map);
}

TEST(InspectStats, EveryMapIsCheckedAndADefectiveOneFailsTheRun) {
  TempDir dir;
  const std::string good = SaveMap(dir, "good.raw", MakeKnownMap);
  const std::string bad = (dir / "bad.raw").string();
  testutil::WriteFile(bad, testutil::ReadFile(good).substr(0, 42));
  const InProcessRun run = Inspect({bad, good, good});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: " + bad +
                         ": byte 42: the file ends inside the code of segment record 2 (from "
                         "byte 40)\n");
  TPathmap map;
  MakeKnownMap(map);
  std::ostringstream one;
  PrintStats(one, good, ComputeStats(map));
  EXPECT_EQ(run.Out, one.str() + "\n" + one.str());
}

TEST(InspectStats, APictureOfTheMapGoesToTheWriterAndIsReported) {
  TempDir dir;
  const std::string map = SaveMap(
      dir, "a.raw", [](TPathmap& m) { m.Block(0, 0); }, 192);
  const InProcessRun run = Inspect({map, "--png", "out.png", "--scale", "5"});
  EXPECT_EQ(run.Status, 0);
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(run.Pictures[0].first, "out.png");
  EXPECT_EQ(PixelsOtherThan(run.Pictures[0].second, colours::Free),
            (std::vector<std::pair<uint32_t, uint32_t>>{{0, 38}}));
  EXPECT_NE(run.Out.find("Picture: out.png (39 by 39 pixels, one per 5 by 5 cells)\n"),
            std::string::npos);
}

TEST(InspectOverlay, DrawsTheThreeMapsInTheirOrder) {
  TempDir dir;
  const std::string i = SaveMap(dir, "i.raw", [](TPathmap& m) { m.Block(0, 0); });
  const std::string t = SaveMap(dir, "t.raw", [](TPathmap& m) { m.Block(0, 1); });
  const std::string c = SaveMap(dir, "c.raw", [](TPathmap& m) { m.Block(0, 2); });
  const InProcessRun run = Inspect({"--overlay", i, t, c, "--png", "o.png"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "Picture: o.png (128 by 128 pixels)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  const TImage& image = run.Pictures[0].second;
  EXPECT_EQ(image.At(0, 127), colours::Infantry);
  EXPECT_EQ(image.At(1, 127), colours::Tank);
  EXPECT_EQ(image.At(2, 127), colours::Car);
}

TEST(InspectOverlay, RefusesMapsOfDifferentSizes) {
  TempDir dir;
  const std::string small = SaveMap(
      dir, "s.raw", [](TPathmap&) {}, 64);
  const std::string large = SaveMap(dir, "l.raw", [](TPathmap&) {});
  const InProcessRun run = Inspect({"--overlay", small, small, large, "--png", "o.png"});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: the three maps must have one size, but they are 64 by "
                     "64, 64 by 64 and 128 by 128 cells\n");
  EXPECT_TRUE(run.Pictures.empty());
}

TEST(InspectDiff, ReportsTheCountsAndTheFirstCells) {
  TempDir dir;
  const std::string a = SaveMap(dir, "a.raw", [](TPathmap& m) { m.Block(64, 0); });
  const std::string b = SaveMap(dir, "b.raw", [](TPathmap& m) {
    m.Block(3, 127);
    m.Block(127, 0);
  });
  const InProcessRun run = Inspect({"--diff", a, b, "--png", "d.png"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "A: " + a + "\nB: " + b +
                         "\n"
                         "Size: 128 by 128 cells\n"
                         "Differing cells: 3 (1 blocked only in A, 2 blocked only in B)\n"
                         "Differing cells (row, column):\n"
                         "  (3, 127) blocked only in B\n"
                         "  (64, 0) blocked only in A\n"
                         "  (127, 0) blocked only in B\n"
                         "Picture: d.png (128 by 128 pixels)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(run.Pictures[0].second.At(0, 63), colours::OnlyInA);
}

TEST(InspectDiff, SaysHowManyOfTheCellsItLists) {
  TempDir dir;
  const std::string a = SaveMap(dir, "a.raw", [](TPathmap&) {});
  const std::string b = SaveMap(dir, "b.raw", [](TPathmap& m) {
    for (uint32_t k = 0; k < 12; ++k)
      m.Block(k, k);
  });
  const InProcessRun run = Inspect({"--diff", a, b});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("Differing cells: 12 (0 blocked only in A, 12 blocked only in B)\n"
                         "First 10 differing cells (row, column):\n  (0, 0) blocked only in B\n"),
            std::string::npos);
  EXPECT_NE(run.Out.find("  (9, 9) blocked only in B\n"), std::string::npos);
  EXPECT_EQ(run.Out.find("(10, 10)"), std::string::npos);
}

TEST(InspectDiff, MapsOfDifferentSizesDifferWithoutAPicture) {
  TempDir dir;
  const std::string small = SaveMap(
      dir, "s.raw", [](TPathmap&) {}, 64);
  const std::string large = SaveMap(dir, "l.raw", [](TPathmap&) {});
  const InProcessRun run = Inspect({"--diff", small, large, "--png", "d.png"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("Sizes differ: A is 64 by 64 cells, B is 128 by 128 cells\n"
                         "No picture: maps of different sizes are not compared cell by cell\n"),
            std::string::npos);
  EXPECT_TRUE(run.Pictures.empty());
}

// ---- The executable ---------------------------------------------------------------------

#ifndef _WIN32

struct ToolRun {
  int Status = -1; // exit status, or -1 when the process did not exit normally
  std::string Out, Err;
};

// Runs quarnel-inspect in the folder cwd; its standard error goes to a file there.
ToolRun RunInspectTool(const std::vector<std::string>& args, const TempDir& cwd) {
  const auto run = testutil::RunProgram(QUARNEL_INSPECT_EXE, args, cwd.Path, {}, "stderr.txt");
  return {run.Status, run.Output, run.Error};
}

struct DiffStatusCase {
  const char* Name;
  std::string SecondFile; // compared with a.raw, the known map
  int Status;
};

void PrintTo(const DiffStatusCase& c, std::ostream* os) {
  *os << c.Name;
}

const DiffStatusCase kDiffStatuses[] = {
    {"EqualMapsExitWithZero", "same.raw", 0},
    {"MapsWithADifferentCellExitWithOne", "other.raw", 1},
    {"MapsOfDifferentSizesExitWithOne", "small.raw", 1},
    {"AMissingFileExitsWithTwo", "missing.raw", 2},
    {"ADefectiveFileExitsWithTwo", "cut.raw", 2},
};

class InspectDiffStatus : public testing::TestWithParam<DiffStatusCase> {};

TEST_P(InspectDiffStatus, FollowsCmp) {
  TempDir dir;
  SaveMap(dir, "a.raw", MakeKnownMap);
  SaveMap(dir, "same.raw", MakeKnownMap);
  SaveMap(dir, "other.raw", [](TPathmap& m) {
    MakeKnownMap(m);
    m.Block(127, 127);
  });
  SaveMap(
      dir, "small.raw", [](TPathmap&) {}, 64);
  testutil::WriteFile(dir / "cut.raw", testutil::ReadFile(dir / "a.raw").substr(0, 100));
  const ToolRun run = RunInspectTool({"--diff", "a.raw", GetParam().SecondFile}, dir);
  EXPECT_EQ(run.Status, GetParam().Status);
  // Errors go to standard error alone.
  EXPECT_EQ(run.Err.empty(), GetParam().Status != 2) << run.Err;
}

INSTANTIATE_TEST_SUITE_P(Statuses, InspectDiffStatus, testing::ValuesIn(kDiffStatuses),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(InspectTool, PrintsTheStatisticsOfASoundMapAndFailsOnADefectiveOne) {
  TempDir dir;
  SaveMap(dir, "a.raw", MakeKnownMap);
  std::string bytes = testutil::ReadFile(dir / "a.raw");
  bytes[8] = 5;
  testutil::WriteFile(dir / "bad.raw", bytes);
  const ToolRun good = RunInspectTool({"a.raw"}, dir);
  EXPECT_EQ(good.Status, 0);
  EXPECT_NE(good.Out.find("Blocked cells: 4097 of 16384 (25.01%)\n"), std::string::npos);
  const ToolRun bad = RunInspectTool({"bad.raw"}, dir);
  EXPECT_EQ(bad.Status, 2);
  EXPECT_EQ(bad.Out, "");
  EXPECT_EQ(bad.Err, "quarnel-inspect: bad.raw: byte 8: header field is 5, expected 6\n");
  EXPECT_EQ(RunInspectTool({"--help"}, dir).Status, 0);
}

#ifdef QUARNEL_INSPECT_PNG

// A PNG file decoded by libpng into 8-bit RGB, rows from the top.
struct DecodedPng {
  bool Ok = false;
  uint32_t Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  TRgb At(uint32_t x, uint32_t y) const {
    const uint8_t* p = &Rgb[(size_t{y} * Width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

DecodedPng DecodePng(const testutil::fs::path& path) {
  DecodedPng decoded;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return decoded;
  // An 8-bit RGB file with neither alpha nor palette reads back unconverted.
  const bool rgb = image.format == PNG_FORMAT_RGB;
  image.format = PNG_FORMAT_RGB;
  decoded.Rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, decoded.Rgb.data(), 0, nullptr))
    return decoded;
  decoded.Width = image.width;
  decoded.Height = image.height;
  decoded.Ok = rgb;
  return decoded;
}

class InspectPngCorner : public testing::TestWithParam<CornerCase> {};

TEST_P(InspectPngCorner, TheWrittenFileShowsTheCellAtItsCorner) {
  const CornerCase& c = GetParam();
  TempDir dir;
  SaveMap(
      dir, "a.raw", [&](TPathmap& m) { m.Block(c.Row, c.Column); }, 192);
  ASSERT_EQ(RunInspectTool({"--png", "a.png", "a.raw"}, dir).Status, 0);
  const DecodedPng png = DecodePng(dir / "a.png");
  ASSERT_TRUE(png.Ok);
  ASSERT_EQ(png.Width, 192u);
  ASSERT_EQ(png.Height, 192u);
  for (uint32_t x : {0u, 191u})
    for (uint32_t y : {0u, 191u})
      EXPECT_EQ(png.At(x, y), x == c.X && y == c.Y ? colours::Blocked : colours::Free)
          << "pixel (" << x << ", " << y << ")";
}

INSTANTIATE_TEST_SUITE_P(Corners, InspectPngCorner, testing::ValuesIn(kCorners),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(InspectPng, AScaledPictureKeepsTheCornersInPlace) {
  TempDir dir;
  SaveMap(
      dir, "a.raw",
      [](TPathmap& m) {
        m.Block(0, 0);
        m.Block(191, 191);
        m.Block(2, 190);
      },
      192);
  ASSERT_EQ(RunInspectTool({"a.raw", "--png", "a.png", "--scale", "5"}, dir).Status, 0);
  const DecodedPng png = DecodePng(dir / "a.png");
  ASSERT_TRUE(png.Ok);
  ASSERT_EQ(png.Width, 39u);
  ASSERT_EQ(png.Height, 39u);
  EXPECT_EQ(png.At(0, 38), colours::Blocked);
  EXPECT_EQ(png.At(38, 38), colours::Blocked);
  EXPECT_EQ(png.At(38, 0), colours::Blocked);
  EXPECT_EQ(png.At(0, 0), colours::Free);
  EXPECT_EQ(png.At(1, 38), colours::Free);
}

TEST(InspectPng, TheOverlayFileHasEachClassInItsColour) {
  TempDir dir;
  SaveMap(dir, "i.raw", [](TPathmap& m) { m.Block(127, 0); });
  SaveMap(dir, "t.raw", [](TPathmap& m) {
    m.Block(127, 0);
    m.Block(0, 127);
  });
  SaveMap(dir, "c.raw", [](TPathmap& m) {
    m.Block(127, 0);
    m.Block(0, 127);
    m.Block(0, 0);
  });
  ASSERT_EQ(RunInspectTool({"--overlay", "i.raw", "t.raw", "c.raw", "--png", "o.png"}, dir).Status,
            0);
  const DecodedPng png = DecodePng(dir / "o.png");
  ASSERT_TRUE(png.Ok);
  EXPECT_EQ(png.At(0, 0), colours::Infantry);
  EXPECT_EQ(png.At(127, 127), colours::Tank);
  EXPECT_EQ(png.At(0, 127), colours::Car);
  EXPECT_EQ(png.At(127, 0), colours::Free);
}

TEST(InspectPng, TheDiffFileHighlightsTheDifferences) {
  TempDir dir;
  SaveMap(dir, "a.raw", [](TPathmap& m) {
    m.Block(0, 0);
    m.Block(127, 127);
  });
  SaveMap(dir, "b.raw", [](TPathmap& m) {
    m.Block(0, 127);
    m.Block(127, 127);
  });
  ASSERT_EQ(RunInspectTool({"--diff", "a.raw", "b.raw", "--png", "d.png"}, dir).Status, 1);
  const DecodedPng png = DecodePng(dir / "d.png");
  ASSERT_TRUE(png.Ok);
  EXPECT_EQ(png.At(0, 127), colours::OnlyInA);
  EXPECT_EQ(png.At(127, 127), colours::OnlyInB);
  EXPECT_EQ(png.At(127, 0), colours::DimBlocked);
  EXPECT_EQ(png.At(0, 0), colours::DimFree);
}

TEST(InspectPng, AnUnwritablePictureFailsTheRun) {
  TempDir dir;
  SaveMap(dir, "a.raw", [](TPathmap&) {});
  const ToolRun run = RunInspectTool({"a.raw", "--png", "no-such-folder/a.png"}, dir);
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: Error opening file: no-such-folder/a.png\n");
}

#endif // QUARNEL_INSPECT_PNG
#endif // _WIN32

} // namespace
