// quarnel-inspect: statistics, diffs, pictures, its command line, exit statuses and PNG files.
#include "common/UTypes.h"
#include "inspect/CommandLine.h"
#include "inspect/MapStats.h"
#include "segutils/SegUtils.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#ifdef QUARNEL_INSPECT_PNG
#include <png.h>
#endif

using namespace quarnel;
using testutil::MessageOf;
using testutil::TempDir;

namespace {

using Cells = std::vector<std::pair<uint32_t, uint32_t>>; // cells (row, column) or pixels (x, y)

Cells operator+(Cells a, const Cells& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The cells of segment (i, j) in row order, but for the last `spared` of them.
Cells Segment(uint32_t i, uint32_t j, size_t spared = 0) {
  Cells cells;
  for (uint32_t r = 64 * i; r < 64 * i + 64; ++r)
    for (uint32_t c = 64 * j; c < 64 * j + 64; ++c)
      cells.push_back({r, c});
  cells.resize(cells.size() - spared);
  return cells;
}

// The known map, of size 128: segment (0, 1) all blocked, cell (70, 3) blocked, the rest free.
const Cells kKnown = Segment(0, 1) + Cells{{70, 3}};

void Make(TPathmap& map, uint32_t size, const Cells& blocked = {}) {
  map.SetSize(size);
  for (const auto& [row, column] : blocked)
    map.Block(row, column);
}

std::string SaveMap(const TempDir& dir, const std::string& name, uint32_t size,
                    const Cells& blocked = {}) {
  TPathmap map;
  Make(map, size, blocked);
  const std::string path = (dir / name).string();
  map.SaveToFile(path);
  return path;
}

std::string KnownStats(const std::string& name) {
  TPathmap map;
  Make(map, 128, kKnown);
  std::ostringstream out;
  PrintStats(out, name, ComputeStats(map));
  return out.str();
}

// The pixels of a picture that are not the given colour.
Cells PixelsOtherThan(const TImage& image, TRgb colour) {
  Cells found;
  for (uint32_t y = 0; y < image.Height; ++y)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(image.At(x, y) == colour))
        found.emplace_back(x, y);
  return found;
}

// ---- Statistics and comparison ----------------------------------------------------------

TEST(MapStatistics, CountBlockedCellsAndSegmentsOfEachKind) {
  struct StatsCase {
    const char* What;
    uint32_t Size;
    Cells Blocked;
    TMapStats Expected;
  };
  const StatsCase cases[] = {
      {"a free map has only free segments", 64, {}, {64, 1, 0, 0, 1, 0, 0}},
      {"a full map has only blocked segments", 64, Segment(0, 0), {64, 1, 0, 4096, 0, 1, 0}},
      {"one cell makes its segment mixed", 192, {{191, 0}}, {192, 3, 1, 1, 8, 0, 1}},
      {"the known map counts each kind of segment", 128, kKnown, {128, 2, 1, 4097, 2, 1, 1}},
      {"a segment with one free cell is mixed",
       1024,
       Segment(15, 15, 1) + Cells{{0, 0}},
       {1024, 16, 4, 4096, 254, 0, 2}}};
  for (const StatsCase& c : cases) {
    TPathmap map;
    Make(map, c.Size, c.Blocked);
    EXPECT_EQ(ComputeStats(map), c.Expected) << c.What;
  }
}

TEST(MapStatistics, ArePrintedOneFactPerLine) {
  EXPECT_EQ(KnownStats("known.raw"), "Map: known.raw\n"
                                     "Size: 128 by 128 cells\n"
                                     "Segments: 2 by 2 (4 of 64 by 64 cells)\n"
                                     "Level count: 1\n"
                                     "Blocked cells: 4097 of 16384 (25.01%)\n"
                                     "Uniform free segments: 2\n"
                                     "Uniform blocked segments: 1\n"
                                     "Mixed segments: 1\n");
}

TEST(MapDiff, CountsEachDirectionAndListsCellsByRowThenColumnUpToTheLimit) {
  TPathmap a, b, known, same;
  Make(a, 128, {{0, 5}, {64, 0}});
  Make(b, 128, {{0, 5}, {3, 127}, {127, 0}, {3, 2}});
  Make(known, 128, kKnown);
  Make(same, 128, kKnown);
  const TMapDiff diff = DiffMaps(a, b, 10);
  EXPECT_EQ(diff.OnlyInA, 1u);
  EXPECT_EQ(diff.OnlyInB, 3u);
  EXPECT_EQ(diff.First, (std::vector<TCell>{{3, 2}, {3, 127}, {64, 0}, {127, 0}}));
  const TMapDiff none = DiffMaps(known, same, 10);
  EXPECT_EQ(none.Count(), 0u);
  EXPECT_TRUE(none.First.empty());
  TPathmap empty, diagonal;
  Make(empty, 64);
  Make(diagonal, 64);
  for (uint32_t k = 0; k < 15; ++k)
    diagonal.Block(63 - k, k);
  const TMapDiff limited = DiffMaps(empty, diagonal, 10);
  EXPECT_EQ(limited.Count(), 15u);
  std::vector<TCell> expected;
  for (uint32_t k = 14; k >= 5; --k)
    expected.push_back({63 - k, k});
  EXPECT_EQ(limited.First, expected);
}

TEST(MapDiffAndPictures, RefuseMapsOfDifferentSizesAndAScaleOfZero) {
  TPathmap small, large;
  Make(small, 64);
  Make(large, 128);
  const std::string sizes = "maps of different sizes: 64 by 64 and 128 by 128";
  EXPECT_EQ(MessageOf([&] { DiffMaps(small, large, 10); }), sizes);
  EXPECT_EQ(MessageOf([&] { RenderOverlay(small, small, large, 1); }), sizes);
  EXPECT_EQ(MessageOf([&] { RenderMap(small, 0); }), "the scale must be 1 or more");
}

// ---- Pictures ---------------------------------------------------------------------------

TEST(Pictures, HaveOnePixelPerScaleByScaleBlockRoundedUp) {
  const uint32_t cases[][3] = {{64, 1, 64},  {192, 5, 39},    {64, 64, 1},
                               {64, 100, 1}, {4096, 3, 1366}, {4294967232u, 4294967295u, 1}};
  for (const auto& [size, scale, side] : cases)
    EXPECT_EQ(PictureSide(size, scale), side) << size << " at scale " << scale;
}

TEST(Pictures, ShowEachBlockedPixelWhereItsCellLies) {
  struct PictureCase {
    const char* What;
    uint32_t Size, Scale;
    Cells Blocked, Pixels;
  };
  // Block (1, 1) of 4 by 4 cells is pixel (1, 30), block (31, 0) the top left pixel. When the
  // scale does not divide the size, the top row and the right column of pixels hold the
  // remainder: block (38, 38) of 5 by 5 cells holds cells 190 and 191 only.
  const PictureCase cases[] = {
      {"row 0, column 0 is bottom left", 192, 1, {{0, 0}}, {{0, 191}}},
      {"row 0, the last column is bottom right", 192, 1, {{0, 191}}, {{191, 191}}},
      {"the last row, column 0 is top left", 192, 1, {{191, 0}}, {{0, 0}}},
      {"the last row and column are top right", 192, 1, {{191, 191}}, {{191, 0}}},
      {"scaled pixels show any blocked cell", 128, 4, {{5, 6}, {127, 0}}, {{0, 0}, {1, 30}}},
      {"edge pixels hold the remainder", 192, 5, {{191, 191}, {0, 190}}, {{38, 0}, {38, 38}}}};
  for (const PictureCase& c : cases) {
    TPathmap map;
    Make(map, c.Size, c.Blocked);
    const TImage image = RenderMap(map, c.Scale);
    EXPECT_EQ(image.Width, PictureSide(c.Size, c.Scale)) << c.What;
    EXPECT_EQ(image.Height, image.Width) << c.What;
    EXPECT_EQ(PixelsOtherThan(image, colours::Free), c.Pixels) << c.What;
    for (const auto& [x, y] : c.Pixels)
      EXPECT_EQ(image.At(x, y), colours::Blocked) << c.What;
  }
}

TEST(Pictures, TheOverlayShowsTheFirstClassThatBlocksACell) {
  TPathmap infantry, tank, car;
  // Infantry alone in column 3 still shows as infantry.
  Make(infantry, 64, {{0, 0}, {0, 3}});
  Make(tank, 64, {{0, 0}, {0, 1}, {63, 63}});
  Make(car, 64, {{0, 0}, {0, 1}, {0, 2}});
  const TImage image = RenderOverlay(infantry, tank, car, 1);
  EXPECT_EQ(image.At(0, 63), colours::Infantry);
  EXPECT_EQ(image.At(1, 63), colours::Tank);
  EXPECT_EQ(image.At(2, 63), colours::Car);
  EXPECT_EQ(image.At(3, 63), colours::Infantry);
  EXPECT_EQ(image.At(63, 0), colours::Tank);
  EXPECT_EQ(PixelsOtherThan(image, colours::Free).size(), 5u);
}

TEST(Pictures, TheDiffHighlightsEachDirectionOverADimFirstMap) {
  TPathmap a, b;
  // Only in A, in both, and in the block of cells (10, 10) to (11, 11) one of each.
  Make(a, 64, {{0, 0}, {0, 4}, {10, 10}});
  Make(b, 64, {{0, 2}, {0, 4}, {11, 11}});
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

TEST(InspectCommandLine, HelpPrintsTheUsageAndSucceedsButNoArgumentsAreAnError) {
  const InProcessRun help = Inspect({"--help"}), none = Inspect({});
  EXPECT_EQ(help.Status, 0);
  EXPECT_EQ(help.Out, InspectUsage(true));
  EXPECT_EQ(help.Err, "");
  for (const char* word : {"--png", "--scale", "--overlay", "--diff", "Exit status"})
    EXPECT_NE(help.Out.find(word), std::string::npos) << word;
  EXPECT_EQ(none.Status, 2);
  EXPECT_EQ(none.Out, "");
  EXPECT_EQ(none.Err, InspectUsage(true));
}

TEST(InspectCommandLine, MistakesAreReportedWithAPointerToTheUsage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
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
       "give --overlay or --diff once, not both or twice"}};
  for (const auto& [args, message] : cases) {
    const InProcessRun run = Inspect(args);
    SCOPED_TRACE(message);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err,
              "quarnel-inspect: " + message + "\nRun quarnel-inspect --help for the usage.\n");
    EXPECT_TRUE(run.Pictures.empty());
  }
}

TEST(InspectCommandLine, WithoutPngSupportThePngOptionIsRefusedAndTheUsageSaysSo) {
  TempDir dir;
  const std::string map = SaveMap(dir, "a.raw", 128);
  const InProcessRun run = Inspect({"--png", "x.png", map}, /*withPng=*/false);
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: this build has no PNG support: --png is not available\n");
  EXPECT_NE(InspectUsage(false).find("This build has no PNG support"), std::string::npos);
  EXPECT_EQ(InspectUsage(true).find("no PNG support"), std::string::npos);
  EXPECT_EQ(Inspect({map}, /*withPng=*/false).Status, 0);
}

TEST(InspectCommandLine, ADoubleDashEndsTheOptions) {
  TempDir dir;
  const std::string map = SaveMap(dir, "--diff", 128);
  const InProcessRun run = Inspect({"--", map});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')), "Map: " + map);
}

TEST(InspectStats, EveryMapIsCheckedAndADefectiveOneFailsTheRun) {
  TempDir dir;
  const std::string good = SaveMap(dir, "good.raw", 128, kKnown);
  const std::string bad = (dir / "bad.raw").string();
  testutil::WriteFile(bad, testutil::ReadFile(good).substr(0, 42));
  const InProcessRun run = Inspect({bad, good, good});
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Err, "quarnel-inspect: " + bad +
                         ": byte 42: the file ends inside the code of segment record 2 (from "
                         "byte 40)\n");
  EXPECT_EQ(run.Out, KnownStats(good) + "\n" + KnownStats(good));
}

TEST(InspectStats, APictureOfTheMapGoesToTheWriterAndIsReported) {
  TempDir dir;
  const std::string map = SaveMap(dir, "a.raw", 192, {{0, 0}});
  const InProcessRun run = Inspect({map, "--png", "out.png", "--scale", "5"});
  EXPECT_EQ(run.Status, 0);
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(run.Pictures[0].first, "out.png");
  EXPECT_EQ(PixelsOtherThan(run.Pictures[0].second, colours::Free), (Cells{{0, 38}}));
  EXPECT_NE(run.Out.find("Picture: out.png (39 by 39 pixels, one per 5 by 5 cells)\n"),
            std::string::npos);
}

TEST(InspectOverlay, DrawsTheThreeMapsInTheirOrder) {
  TempDir dir;
  const std::string i = SaveMap(dir, "i.raw", 128, {{0, 0}});
  const std::string t = SaveMap(dir, "t.raw", 128, {{0, 1}});
  const std::string c = SaveMap(dir, "c.raw", 128, {{0, 2}});
  const InProcessRun run = Inspect({"--overlay", i, t, c, "--png", "o.png"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "Picture: o.png (128 by 128 pixels)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  const TImage& image = run.Pictures[0].second;
  EXPECT_EQ(image.At(0, 127), colours::Infantry);
  EXPECT_EQ(image.At(1, 127), colours::Tank);
  EXPECT_EQ(image.At(2, 127), colours::Car);
}

TEST(InspectOverlayAndDiff, MapsOfDifferentSizesAreRefusedOrDifferWithoutAPicture) {
  TempDir dir;
  const std::string small = SaveMap(dir, "s.raw", 64), large = SaveMap(dir, "l.raw", 128);
  const InProcessRun overlay = Inspect({"--overlay", small, small, large, "--png", "o.png"});
  EXPECT_EQ(overlay.Status, 2);
  EXPECT_EQ(overlay.Err, "quarnel-inspect: the three maps must have one size, but they are 64 "
                         "by 64, 64 by 64 and 128 by 128 cells\n");
  EXPECT_TRUE(overlay.Pictures.empty());
  const InProcessRun diff = Inspect({"--diff", small, large, "--png", "d.png"});
  EXPECT_EQ(diff.Status, 1);
  EXPECT_NE(diff.Out.find("Sizes differ: A is 64 by 64 cells, B is 128 by 128 cells\n"
                          "No picture: maps of different sizes are not compared cell by cell\n"),
            std::string::npos);
  EXPECT_TRUE(diff.Pictures.empty());
}

TEST(InspectDiff, ReportsTheCountsAndTheFirstCells) {
  TempDir dir;
  const std::string a = SaveMap(dir, "a.raw", 128, {{64, 0}});
  const std::string b = SaveMap(dir, "b.raw", 128, {{3, 127}, {127, 0}});
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
  Cells diagonal;
  for (uint32_t k = 0; k < 12; ++k)
    diagonal.push_back({k, k});
  const InProcessRun run =
      Inspect({"--diff", SaveMap(dir, "a.raw", 128), SaveMap(dir, "b.raw", 128, diagonal)});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("Differing cells: 12 (0 blocked only in A, 12 blocked only in B)\n"
                         "First 10 differing cells (row, column):\n  (0, 0) blocked only in B\n"),
            std::string::npos);
  EXPECT_NE(run.Out.find("  (9, 9) blocked only in B\n"), std::string::npos);
  EXPECT_EQ(run.Out.find("(10, 10)"), std::string::npos);
}

// ---- The executable ---------------------------------------------------------------------

#ifndef _WIN32

// Runs quarnel-inspect in the folder cwd; its standard error goes to a file there.
testutil::RunResult RunInspectTool(const std::vector<std::string>& args, const TempDir& cwd) {
  return testutil::RunProgram(QUARNEL_INSPECT_EXE, args, cwd.Path, {}, "stderr.txt");
}

TEST(InspectTool, DiffExitsAsCmpDoesWithErrorsOnStandardErrorAlone) {
  TempDir dir;
  SaveMap(dir, "a.raw", 128, kKnown);
  SaveMap(dir, "same.raw", 128, kKnown);
  SaveMap(dir, "other.raw", 128, kKnown + Cells{{127, 127}});
  SaveMap(dir, "small.raw", 64);
  testutil::WriteFile(dir / "cut.raw", testutil::ReadFile(dir / "a.raw").substr(0, 100));
  const std::pair<std::string, int> cases[] = {
      {"same.raw", 0}, {"other.raw", 1}, {"small.raw", 1}, {"missing.raw", 2}, {"cut.raw", 2}};
  for (const auto& [second, status] : cases) {
    const auto run = RunInspectTool({"--diff", "a.raw", second}, dir);
    EXPECT_EQ(run.Status, status) << second;
    EXPECT_EQ(run.Error.empty(), status != 2) << second << ": " << run.Error;
  }
}

TEST(InspectTool, PrintsTheStatisticsOfASoundMapAndFailsOnADefectiveOne) {
  TempDir dir;
  SaveMap(dir, "a.raw", 128, kKnown);
  std::string bytes = testutil::ReadFile(dir / "a.raw");
  bytes[8] = 5;
  testutil::WriteFile(dir / "bad.raw", bytes);
  const auto good = RunInspectTool({"a.raw"}, dir);
  EXPECT_EQ(good.Status, 0);
  EXPECT_NE(good.Output.find("Blocked cells: 4097 of 16384 (25.01%)\n"), std::string::npos);
  const auto bad = RunInspectTool({"bad.raw"}, dir);
  EXPECT_EQ(bad.Status, 2);
  EXPECT_EQ(bad.Output, "");
  EXPECT_EQ(bad.Error, "quarnel-inspect: bad.raw: byte 8: header field is 5, expected 6\n");
  EXPECT_EQ(RunInspectTool({"--help"}, dir).Status, 0);
}

#ifdef QUARNEL_INSPECT_PNG

// A PNG file decoded by libpng into 8-bit RGB, rows from the top; Ok only for a file that is
// 8-bit RGB itself, with neither alpha nor palette.
struct DecodedPng {
  bool Ok = false;
  TImage Image;
};

DecodedPng DecodePng(const testutil::fs::path& path) {
  DecodedPng decoded;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return decoded;
  const bool rgb = image.format == PNG_FORMAT_RGB;
  image.format = PNG_FORMAT_RGB;
  TImage read(image.width, image.height);
  if (read.Pixels.size() != PNG_IMAGE_SIZE(image) ||
      !png_image_finish_read(&image, nullptr, read.Pixels.data(), 0, nullptr))
    return decoded;
  return {rgb, read};
}

TEST(InspectPng, TheWrittenFileHoldsThePictureOfTheRunPixelForPixel) {
  TempDir dir;
  const auto path = [&](const char* name) { return (dir / name).string(); };
  // Cells near three corners, one of them twice, so that any turn or mirror shows.
  const Cells cells = {{0, 0}, {191, 191}, {2, 190}, {0, 191}, {1, 191}};
  SaveMap(dir, "a.raw", 192, cells);
  SaveMap(dir, "b.raw", 192, {{0, 0}, {100, 7}, {191, 0}});
  SaveMap(dir, "c.raw", 192, cells + Cells{{100, 7}, {191, 0}});
  const std::vector<std::vector<std::string>> commands = {
      {path("a.raw"), "--png", path("p.png")},
      {path("a.raw"), "--png", path("p.png"), "--scale", "5"},
      {"--overlay", path("b.raw"), path("a.raw"), path("c.raw"), "--png", path("p.png")},
      {"--diff", path("a.raw"), path("b.raw"), "--png", path("p.png"), "--scale", "2"}};
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0] + " " + args[1] + " ... " + args.back());
    const InProcessRun expected = Inspect(args);
    ASSERT_EQ(expected.Pictures.size(), 1u);
    std::filesystem::remove(path("p.png"));
    EXPECT_EQ(RunInspectTool(args, dir).Status, expected.Status);
    const DecodedPng png = DecodePng(path("p.png"));
    const TImage& image = expected.Pictures[0].second;
    EXPECT_TRUE(png.Ok);
    EXPECT_EQ(png.Image.Width, image.Width);
    EXPECT_EQ(png.Image.Height, image.Height);
    EXPECT_TRUE(png.Image.Pixels == image.Pixels);
  }
}

TEST(InspectPng, AnUnwritablePictureFailsTheRun) {
  TempDir dir;
  SaveMap(dir, "a.raw", 128);
  const auto run = RunInspectTool({"a.raw", "--png", "no-such-folder/a.png"}, dir);
  EXPECT_EQ(run.Status, 2);
  EXPECT_EQ(run.Error, "quarnel-inspect: Error opening file: no-such-folder/a.png\n");
}

#endif // QUARNEL_INSPECT_PNG
#endif // _WIN32

} // namespace
