// quarnel-inspect's command line: its values and mistakes, and the text, JSON, pictures and
// files of the map, regions, path and seal modes.
#include "analysis/MapStats.h"
#include "analysis/Seal.h"
#include "inspect/CommandLine.h"
#include "reports/StatsReport.h"
#include "pictures/PathPicture.h"
#include "pictures/Pictures.h"
#include "segutils/MapFileReader.h"
#include "support/TestMaps.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

using namespace quarnel;
using namespace testutil;

namespace {

std::string Save(const TempDir& dir, const std::string& name, uint32_t size,
                 const Cells& blocked = {}) {
  MakeMap(size, blocked).SaveToFile((dir / name).string());
  return (dir / name).string();
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

// One mistake per rule of the option table, each reported with a pointer to the usage.
TEST(InspectCommandLine, ReportsEachMistakeWithAPointerToTheUsage) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--verbose", "a.raw"}, "unknown option --verbose"},
      {{"a.raw", "--png"}, "--png needs a value"},
      {{"--path", "1,1", "a.raw"}, "--path needs two cells as ROW,COL, not 'a.raw'"},
      {{"--path", "1,2,3", "0,4294967296", "a.raw"},
       "--path needs two cells as ROW,COL, not '1,2,3'"},
      {{"--path", "0,4294967295", ",1", "a.raw"}, "--path needs two cells as ROW,COL, not ',1'"},
      {{"--limit", "+1", "--regions", "a.raw"}, "--limit needs a whole number, not '+1'"},
      {{"--limit", "00000000001", "--regions", "a.raw"},
       "--limit needs a whole number, not '00000000001'"},
      {{"--png", "x.png", "--scale", "2x", "a.raw"},
       "--scale needs a whole number of 1 or more, not '2x'"},
      {{"--png", "x.png", "--scale", "4294967296", "a.raw"},
       "--scale needs a whole number of 1 or more, not '4294967296'"},
      {{"--seal", "-3", "a.raw", "o.raw"}, "--seal needs a size in cells, not '-3'"},
      {{"--regions", "--limit", "many", "a.raw"}, "--limit needs a whole number, not 'many'"},
      {{"--scale", "2", "a.raw"}, "--scale needs --png OUT.png"},
      {{"--png", "x.png"}, "no map file given"},
      {{"--png", "x.png", "a.raw", "b.raw"},
       "--png draws one map, but 2 are given (--overlay draws three)"},
      {{"--regions", "a.raw", "a.raw", "--png", "x.png"}, "--png draws one map, but 2 are given"},
      {{"--overlay", "a.raw", "b.raw", "--png", "x.png"},
       "--overlay needs three map files (infantry, tank, car), not 2"},
      {{"--seal", "5", "a.raw"}, "--seal needs the map to read and the file to write, not 1"},
      {{"--diff", "--overlay", "a.raw", "b.raw"}, "--diff goes without --overlay"},
      {{"--view", "v.html", "a", "b", "c", "--objects", "o.con"},
       "--objects needs --meshes MESHDIR"},
      {{"--view", "v.html", "--diff", "a", "b", "--objects", "o", "--meshes", "m"},
       "--objects does not go with --diff"},
      {{"--json", "a.raw"}, "--json goes with --why, --regions, --path or --changes"},
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
  EXPECT_EQ(run.Out, "Map: " + dash +
                         "\nSize: 192 by 192 cells\nSegments: 3 by 3 (9 of 64 by 64 cells)\n"
                         "Level count: 1\nBlocked cells: 1 of 36864 (0.00%)\nUniform free "
                         "segments: 8\nUniform blocked segments: 0\nMixed segments: 1\n"
                         "Picture: p.png (39 by 39 pixels, one per 5 by 5 cells)\n");
  ASSERT_EQ(run.Pictures.size(), 1u);
  EXPECT_EQ(run.Pictures[0].At(0, 38), colours::Blocked);
  WriteFile(dir / "cut.raw", ReadFile(a).substr(0, 42));
  run = Inspect({(dir / "cut.raw").string(), a});
  EXPECT_EQ(run.Status, 2) << "a defective map fails the run, the others are still shown";
  EXPECT_EQ(run.Err,
            "quarnel-inspect: " + (dir / "cut.raw").string() +
                ": byte 42: the file ends inside the code of segment record 2 (from byte 40)\n");
  EXPECT_EQ(run.Out.substr(0, 5 + a.size()), "Map: " + a);
  std::ostringstream share;
  PrintStats(share, "m", {1024, 16, 4, 4097, 2, 1, 1});
  EXPECT_NE(share.str().find("Blocked cells: 4097 of 1048576 (0.39%)\n"), std::string::npos);
}

// A 64 map: a 5 by 5 wall around a pocket of 9 cells, open only at its corner (14, 14); a
// wall around the one cell (21, 21); the corner cell (0, 0) cut off by (0, 1) and (1, 0).
TPathmap HandMadeMap() {
  TPathmap map = MakeMap(64, {{0, 1}, {1, 0}});
  for (uint32_t k = 0; k < 5; ++k)
    for (auto [r, c] : {std::pair{10 + k, 10u}, {10 + k, 14u}, {10u, 10 + k}, {14u, 10 + k}})
      if (r != 14 || c != 14)
        map.Block(r, c);
  for (uint32_t k = 0; k < 3; ++k)
    for (auto [r, c] : {std::pair{20 + k, 20u}, {20 + k, 22u}, {20u, 20 + k}, {22u, 20 + k}})
      map.Block(r, c);
  return map;
}

// The map file is named in the Windows code page (the byte 0xE9, e), and so in UTF-8 in JSON.
TEST(RegionsModes, PrintTheRegionsGapsAndPathsOfAHandMadeMapAsTextAndJson) {
  TempDir dir;
  const std::string map = (dir / "h\xE9.raw").string();
  // quoted, with "\\" on Windows
  const std::string utf8Map = nlohmann::json((dir / "h").string() + "\xC3\xA9.raw").dump();
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
      R"({"map":)" + utf8Map +
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
      R"({"map":)" + utf8Map +
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

// A failure other than a mistake on the command line: its message alone, status 2, and no
// file left behind.
TEST(RegionsModes, ReportEachFailureWithStatusTwoAndWriteNoPartialCopy) {
  TempDir dir;
  const std::string map = (dir / "in.raw").string(), same = (dir.Path / "." / "in.raw").string();
  HandMadeMap().SaveToFile(map);
  WriteFile(dir / "cut.raw", ReadFile(map).substr(0, 40));
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--seal", "5", map, same},
       "--seal writes a copy: " + same + " is the map it reads (" + map + ")"},
      {{"--seal", "5", map, (dir / "no" / "o.raw").string()},
       "Error opening file: " + (dir / "no" / "o.raw").string()},
      {{"--regions", (dir / "cut.raw").string()},
       (dir / "cut.raw").string() + ": byte 40: the file ends inside the 512 cell bytes of segment "
                                    "record 0 (from byte 36)"}};
  for (const auto& [args, message] : cases) {
    const InspectRun run = Inspect(args);
    EXPECT_EQ(run.Status, 2) << message;
    EXPECT_EQ(run.Err, "quarnel-inspect: " + message + "\n");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path), fs::directory_iterator()), 2)
      << "no file is left behind";
}

TEST(RegionsModes, SealWritesTheSealedCopyBesideTheUnchangedInput) {
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

#ifndef _WIN32 // runs the built program
// Limits on the size of a file, in blocks of 512 bytes, that cut each file at several places.
TEST(InspectTool, AWriteCutShortFailsLeavingTheOlderPicturePageAndSealedMapWhole) {
  TempDir dir;
  std::mt19937_64 rng(12);
  for (const char* map : {"i.raw", "t.raw", "c.raw"})
    RandomMap(512, rng).SaveToFile((dir / map).string());
  const struct {
    std::vector<std::string> Args;
    std::string File, Message;
  } cases[] = {{{"--overlay", "i.raw", "t.raw", "c.raw", "--png", "out.png"},
                "out.png",
                "Error writing file: out.png (the file could not be written)"},
               {{"--view", "out.html", "i.raw", "t.raw", "c.raw"},
                "out.html",
                "Error writing file: out.html"},
               {{"--seal", "10", "i.raw", "out.raw"}, "out.raw", "Error writing file: out.raw"}};
  for (const auto& c : cases) {
    ASSERT_EQ(RunProgram(QUARNEL_INSPECT_EXE, c.Args, dir.Path).Status, 0) << c.File;
    const size_t blocks = (fs::file_size(dir / c.File) - 1) / 512;
    ASSERT_GE(blocks, 6u) << c.File;
    for (const size_t limit : {size_t{1}, blocks / 3, 2 * blocks / 3, blocks}) {
      WriteFile(dir / c.File, "an older file");
      const RunResult result =
          RunProgram(QUARNEL_INSPECT_EXE, c.Args, dir.Path, FileSizeLimit(limit));
      EXPECT_EQ(result.Status, 2);
      EXPECT_EQ(result.Error, "quarnel-inspect: " + c.Message + "\n") << limit << " blocks";
      EXPECT_EQ(ReadFile(dir / c.File), "an older file");
      for (const auto& entry : fs::directory_iterator(dir.Path))
        EXPECT_EQ(entry.path().string().find(".partial"), std::string::npos) << entry.path();
    }
  }
}

TEST(InspectTool, EachReportThatCannotBeWrittenToStandardOutputEndsWithStatusTwo) {
  TempDir dir;
  std::mt19937_64 rng(13);
  for (const char* map : {"i.raw", "t.raw", "c.raw"})
    RandomMap(512, rng).SaveToFile((dir / map).string());
  const std::string sample = std::string(QUARNEL_SOURCE_DIR) + "/sample/";
  const std::vector<std::string> why = {"--why",     "300,380",
                                        "--objects", sample + "StaticObjects.con",
                                        "--meshes",  sample + "StandardMesh",
                                        "--size",    "512"};
  std::vector<std::string> whyJson = why;
  whyJson.push_back("--json");
  const std::vector<std::string> cases[] = {
      {"i.raw", "t.raw"},
      {"--overlay", "i.raw", "t.raw", "c.raw", "--png", "o.png"},
      {"--diff", "i.raw", "t.raw"},
      {"--view", "v.html", "i.raw", "t.raw", "c.raw"},
      why,
      whyJson,
      {"--regions", "i.raw", "t.raw"},
      {"--regions", "i.raw", "--json"},
      {"--path", "0,0", "511,511", "i.raw", "--diagonal"},
      {"--path", "0,0", "511,511", "i.raw", "--json"},
      {"--seal", "10", "i.raw", "s.raw"},
      {"--help"},
      {"--version"}};
  for (const auto& args : cases) {
    const RunResult result = RunProgram(QUARNEL_INSPECT_EXE, args, dir.Path, "", "/dev/full");
    EXPECT_EQ(result.Status, 2) << args[0];
    EXPECT_EQ(result.Error,
              "quarnel-inspect: cannot write standard output: No space left on device\n")
        << args[0];
  }
}
#endif

} // namespace
