// quarnel-inspect: statistics, differences and pictures of maps, its command line and the
// built program's output, statuses and PNG files.
#include "analysis/MapStats.h"
#include "inspect/Arguments.h"
#include "inspect/CommandLine.h"
#include "inspect/MapModes.h"
#include "pictures/Pictures.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#ifdef QUARNEL_INSPECT_PNG
#include "common/UTypes.h"
#include "pictures/PngWriter.h"

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include <memory>
#endif

using namespace quarnel;
using namespace testutil;

namespace {

using Cells = std::vector<std::pair<uint32_t, uint32_t>>; // cells (row, column) or pixels (x, y)

TPathmap Make(uint32_t size, const Cells& blocked = {}) {
  TPathmap map;
  map.SetSize(size);
  for (auto [row, column] : blocked)
    map.Block(row, column);
  return map;
}

std::string Save(const TempDir& dir, const std::string& name, uint32_t size,
                 const Cells& blocked = {}) {
  Make(size, blocked).SaveToFile((dir / name).string());
  return (dir / name).string();
}

Cells Segment(uint32_t i, uint32_t j, size_t spared = 0) { // its cells, less the last few
  Cells cells;
  for (uint32_t r = 64 * i; r < 64 * i + 64; ++r)
    for (uint32_t c = 64 * j; c < 64 * j + 64; ++c)
      cells.push_back({r, c});
  cells.resize(cells.size() - spared);
  return cells;
}

Cells Pixels(const TImage& image, TRgb background) {
  Cells found;
  for (uint32_t y = 0; y < image.Height; ++y)
    for (uint32_t x = 0; x < image.Width; ++x)
      if (!(image.At(x, y) == background))
        found.emplace_back(x, y);
  return found;
}

TEST(MapStats, CountBlockedCellsAndEachKindOfSegment) {
  Cells known = Segment(0, 1), oneFree = Segment(15, 15, 1);
  known.push_back({70, 3});
  oneFree.push_back({0, 0});
  const struct {
    TPathmap Map;
    TMapStats Stats;
  } cases[] = {{Make(64), {64, 1, 0, 0, 1, 0, 0}},
               {Make(64, Segment(0, 0)), {64, 1, 0, 4096, 0, 1, 0}},
               {Make(192, {{191, 0}}), {192, 3, 1, 1, 8, 0, 1}},
               {Make(128, known), {128, 2, 1, 4097, 2, 1, 1}},
               {Make(1024, oneFree), {1024, 16, 4, 4096, 254, 0, 2}}};
  for (const auto& c : cases)
    EXPECT_EQ(ComputeStats(c.Map), c.Stats) << c.Map.Size();
  std::ostringstream out;
  PrintStats(out, "known.raw", ComputeStats(cases[3].Map));
  EXPECT_EQ(out.str(),
            "Map: known.raw\nSize: 128 by 128 cells\nSegments: 2 by 2 (4 of 64 by 64 cells)\n"
            "Level count: 1\nBlocked cells: 4097 of 16384 (25.01%)\nUniform free segments: 2\n"
            "Uniform blocked segments: 1\nMixed segments: 1\n");
}

TEST(Pictures, PutRowZeroAtTheBottomAndShowAnyBlockedCellOfAScaledPixel) {
  struct Case {
    uint32_t Size, Scale;
    Cells Blocked, Pixels;
  };
  const Case cases[] = {{192, 1, {{0, 0}}, {{0, 191}}},
                        {192, 1, {{0, 191}}, {{191, 191}}},
                        {192, 1, {{191, 0}}, {{0, 0}}},
                        {128, 4, {{5, 6}, {127, 0}}, {{0, 0}, {1, 30}}},
                        {192, 5, {{191, 191}, {0, 190}}, {{38, 0}, {38, 38}}}};
  for (const Case& c : cases) {
    const TImage image = RenderMap(Make(c.Size, c.Blocked), c.Scale);
    EXPECT_EQ(image.Width, PictureSide(c.Size, c.Scale));
    EXPECT_EQ(Pixels(image, colours::Free), c.Pixels) << c.Size << " at scale " << c.Scale;
    EXPECT_EQ(image.At(c.Pixels[0].first, c.Pixels[0].second), colours::Blocked);
  }
  EXPECT_EQ(PictureSide(4294967232u, 4294967295u), 1u);
  const TImage overlay =
      RenderOverlay(Make(64, {{0, 0}, {0, 3}}), Make(64, {{0, 0}, {0, 1}, {63, 63}}),
                    Make(64, {{0, 0}, {0, 1}, {0, 2}}), 1);
  EXPECT_EQ(Pixels(overlay, colours::Free), (Cells{{63, 0}, {0, 63}, {1, 63}, {2, 63}, {3, 63}}));
  for (auto [x, colour] : {std::pair{0, colours::Infantry},
                           {1, colours::Tank},
                           {2, colours::Car},
                           {3, colours::Infantry}})
    EXPECT_EQ(overlay.At(x, 63), colour) << x;
  const TPathmap a = Make(64, {{0, 0}, {0, 4}, {10, 10}}), b = Make(64, {{0, 2}, {0, 4}, {11, 11}});
  const TImage diff = RenderDiff(a, b, 1), scaled = RenderDiff(a, b, 2);
  EXPECT_EQ(diff.At(0, 63), colours::OnlyInA);
  EXPECT_EQ(diff.At(2, 63), colours::OnlyInB);
  EXPECT_EQ(diff.At(4, 63), colours::DimBlocked);
  EXPECT_EQ(diff.At(1, 63), colours::DimFree);
  EXPECT_EQ(scaled.At(5, 26), colours::BothWays);
  EXPECT_EQ(Pixels(scaled, colours::DimFree).size(), 4u);
}

struct InspectRun {
  int Status;
  std::string Out, Err;
  std::vector<TImage> Pictures;
};

InspectRun Inspect(const std::vector<std::string>& args, bool withPng = true) {
  InspectRun run{};
  std::ostringstream out, err;
  TImageWriter writer;
  if (withPng)
    writer = [&](const TImage& image, const std::string&) { run.Pictures.push_back(image); };
  run.Status = RunInspect(args, out, err, writer);
  run.Out = out.str(), run.Err = err.str();
  return run;
}

TEST(InspectArguments, DecimalNumbersAndCellsAreDigitsOnlyWithinTheirLimits) {
  const struct {
    const char* Text;
    uint32_t Limit;
    std::optional<uint32_t> Value;
  } decimals[] = {{"0", 9, 0},
                  {"0007", 9, 7},
                  {"10", 9, {}},
                  {"4294967295", UINT32_MAX, UINT32_MAX},
                  {"4294967296", UINT32_MAX, {}},
                  {"00000000001", 9, {}},
                  {"", 9, {}},
                  {"+1", 9, {}},
                  {"1 ", 9, {}}};
  for (const auto& c : decimals) {
    uint32_t value = 12345;
    EXPECT_EQ(ParseDecimal(c.Text, c.Limit, value), c.Value.has_value()) << c.Text;
    EXPECT_EQ(value, c.Value.value_or(12345)) << c.Text;
  }
  const std::pair<const char*, Cells> cells[] = {
      {"3,4", {{3, 4}}}, {"0,4294967295", {{0, UINT32_MAX}}},
      {"1a,2", {}},      {"x,5", {}},
      {"1,", {}},        {",1", {}},
      {"1,2,3", {}},     {"1;2", {}}};
  for (const auto& [text, cell] : cells) {
    uint32_t row = 7, column = 7;
    EXPECT_EQ(ParseCell(text, row, column), !cell.empty()) << text;
    EXPECT_EQ((Cells{{row, column}}), (cell.empty() ? Cells{{7, 7}} : cell)) << text;
  }
}

TEST(InspectCommandLine, ReportsEachMistakeWithAPointerToTheUsage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--verbose", "a.raw"}, "unknown option --verbose"},
      {{"a.raw", "--png"}, "--png needs a value"},
      {{"--png", "x.png", "--scale", "2x", "a.raw"},
       "--scale needs a whole number of 1 or more, not '2x'"},
      {{"--png", "x.png", "--scale", "4294967296", "a.raw"},
       "--scale needs a whole number of 1 or more, not '4294967296'"},
      {{"--scale", "2", "a.raw"}, "--scale needs --png OUT.png"},
      {{"--png", "x.png"}, "no map file given"},
      {{"--png", "x.png", "a.raw", "b.raw"},
       "--png draws one map, but 2 are given (--overlay draws three)"},
      {{"--overlay", "a.raw", "b.raw", "--png", "x.png"},
       "--overlay needs three map files (infantry, tank, car), not 2"},
      {{"--diff", "a.raw", "b.raw", "c.raw"}, "--diff needs two map files, not 3"},
      {{"--diff", "--overlay", "a.raw", "b.raw"}, "--diff goes without --overlay"},
      {{"--view", "v.html", "a.raw", "b.raw"},
       "--view needs three map files (infantry, tank, car), or --diff and two, not 2"},
      {{"--view", "v.html", "a", "b", "c", "--objects", "o.con"},
       "--objects needs --meshes MESHDIR"},
      {{"--view", "v.html", "a", "b", "c", "--size", "64"}, "--size does not go with --view"},
      {{"--view", "v.html", "--diff", "a", "b", "--objects", "o", "--meshes", "m"},
       "--objects does not go with --diff"},
      {{"--json", "a.raw"}, "--json goes with --why, --regions or --path"},
      {{"--why", "1,2", "--objects", "o", "--meshes", "m"}, "--why needs --size WORLDSIZE"}};
  for (const auto& [args, message] : cases) {
    const InspectRun run = Inspect(args);
    EXPECT_EQ(run.Status, 2);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err,
              "quarnel-inspect: " + message + "\nRun quarnel-inspect --help for the usage.\n");
  }
  EXPECT_EQ(Inspect({}).Err, InspectUsage(true));
  EXPECT_EQ(Inspect({"--help"}).Out, InspectUsage(true));
  EXPECT_EQ(Inspect({"--version", "--verbose"}).Out, "quarnel-inspect " QUARNEL_VERSION "\n");
  for (const char* line : {"\n  quarnel-inspect --version\n", "\n  --png OUT.png  write a picture",
                           "\n  --view OUT.html\n                 write a page"})
    EXPECT_NE(InspectUsage(true).find(line), std::string::npos) << line;
  EXPECT_EQ(Inspect({"--png", "x.png", "a.raw"}, false).Err,
            "quarnel-inspect: this build has no PNG support: --png is not available\n");
  EXPECT_NE(InspectUsage(false).find("This build has no PNG support"), std::string::npos);
  EXPECT_EQ(Inspect({"--view", "v.html", "a", "b", "c"}).Err,
            "quarnel-inspect: this build has no zlib: --view is not available\n");
}

TEST(InspectCommandLine, PrintsStatisticsDifferencesAndPicturesOfEachMode) {
  TempDir dir;
  const std::string a = Save(dir, "a.raw", 128, {{64, 0}}),
                    b = Save(dir, "b.raw", 128, {{3, 127}, {127, 0}});
  const std::string dash = Save(dir, "--diff", 192, {{0, 0}}), small = Save(dir, "s.raw", 64);
  InspectRun run = Inspect({"--diff", a, b, "--png", "d.png"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "A: " + a + "\nB: " + b +
                         "\nSize: 128 by 128 cells\n"
                         "Differing cells: 3 (1 blocked only in A, 2 blocked only in B)\n"
                         "Differing cells (row, column):\n  (3, 127) blocked only in B\n"
                         "  (64, 0) blocked only in A\n  (127, 0) blocked only in B\nPicture: "
                         "d.png (128 by 128 pixels)\n");
  run = Inspect({"--diff", small, a, "--png", "d.png"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Out.find("Sizes differ: A is 64 by 64 cells, B is 128 by 128 cells\nNo picture"),
            std::string::npos);
  run = Inspect({"--overlay", small, small, a, "--png", "o.png"});
  EXPECT_EQ(run.Err, "quarnel-inspect: the three maps must have one size, but they are 64 by 64, "
                     "64 by 64 and 128 by 128 cells\n");
  run = Inspect({"--png", "p.png", "--scale", "5", "--", dash});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out.substr(0, run.Out.find('\n')), "Map: " + dash);
  EXPECT_NE(run.Out.find("Picture: p.png (39 by 39 pixels, one per 5 by 5 cells)\n"),
            std::string::npos);
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(Pixels(run.Pictures[0], colours::Free), (Cells{{0, 38}}));
  WriteFile(dir / "cut.raw", ReadFile(a).substr(0, 42));
  run = Inspect({(dir / "cut.raw").string(), a});
  EXPECT_EQ(run.Status, 2) << "a defective map fails the run, the others are still shown";
  EXPECT_EQ(run.Err,
            "quarnel-inspect: " + (dir / "cut.raw").string() +
                ": byte 42: the file ends inside the code of segment record 2 (from byte 40)\n");
  EXPECT_EQ(run.Out.substr(0, 5 + a.size()), "Map: " + a);
}

#if !defined(_WIN32) && defined(QUARNEL_INSPECT_PNG)
TImage DecodePng(const std::string& bytes) {
  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                            static_cast<int>(bytes.size()), &width, &height, &channels, 0),
      stbi_image_free);
  if (pixels == nullptr || channels != 3)
    return {};
  TImage image(width, height);
  std::copy_n(pixels.get(), image.Pixels.size(), image.Pixels.begin());
  return image;
}

TEST(InspectTool, WritesThePicturePixelForPixelAndAnUnwritableOneFailsTheRun) {
  TempDir dir;
  const std::string a = Save(dir, "a.raw", 192, {{0, 0}, {191, 191}, {2, 190}, {0, 191}});
  const std::string b = Save(dir, "b.raw", 192, {{0, 0}, {100, 7}, {191, 0}});
  const std::vector<std::string> args = {"--overlay", b, a, b, "--png", (dir / "p.png").string()};
  EXPECT_EQ(RunProgram(QUARNEL_INSPECT_EXE, args, dir.Path).Status, 0);
  const TImage expected = Inspect(args).Pictures.at(0);
  const TImage read = DecodePng(ReadFile(dir / "p.png"));
  EXPECT_EQ(read.Width, expected.Width);
  EXPECT_EQ(read.Pixels, expected.Pixels);
  const auto bad = RunProgram(QUARNEL_INSPECT_EXE, {"a.raw", "--png", "no/a.png"}, dir.Path);
  EXPECT_EQ(bad.Status, 2);
  EXPECT_EQ(bad.Error, "quarnel-inspect: Error opening file: no/a.png\n");
}

TEST(PngWriter, NamesTheFileAndTheReasonOfEachFailure) {
  TempDir dir;
  TImage tooWide; // the size alone decides: no pixels are needed to refuse it
  tooWide.Width = 300'000'000, tooWide.Height = 1;
  TImage tooTall;
  tooTall.Width = 30'000, tooTall.Height = 30'000;
  const std::string big = (dir / "big.png").string(), tooLarge = "the picture is too large for "
                                                                 "PNG: give a larger --scale";
  const struct {
    TImage Image;
    std::string Name, Reason;
  } cases[] = {{tooWide, big, tooLarge},
               {tooTall, big, tooLarge},
               {TImage(64, 64), "/dev/full", "the file could not be written"}};
  for (const auto& c : cases) {
    try {
      WritePng(c.Image, c.Name);
      ADD_FAILURE() << c.Reason;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), "Error writing file: " + c.Name + " (" + c.Reason + ")");
    }
  }
  EXPECT_FALSE(fs::exists(big)) << "a picture too large is refused before the file is made";
}
#endif

} // namespace
