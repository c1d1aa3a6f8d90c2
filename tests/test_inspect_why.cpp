// quarnel-inspect --why end to end: its text, its JSON and its mistakes.
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#ifndef _WIN32 // runs the built programs

using testutil::RunResult;
using testutil::TempDir;
namespace fs = std::filesystem;

namespace {

// Wall_m1, a box 20 by 1 from its origin, and Post_m1 and MedicLocker_m1, a triangle of side 3.
void WriteMeshes(const fs::path& dir) {
  fs::create_directories(dir);
  meshfile::File wall, post;
  wall.Blocks = {meshfile::Box(0, 0, 0, 20, 3, 1)};
  post.Blocks.resize(1);
  post.Blocks[0].Vertices = {{0, 0, 0}, {3, 0, 0}, {0, 0, 3}};
  post.Blocks[0].Faces = {{0, 1, 2}};
  meshfile::WriteTo(dir / "Wall_m1.sm", wall);
  meshfile::WriteTo(dir / "Post_m1.sm", post);
  meshfile::WriteTo(dir / "MedicLocker_m1.sm", post);
}

// A wall (object 1) and a post (2) that overlap; a medic locker (3, the post's shape) half
// beyond the grid's left edge, which leaves a hole at (41, 0) for infantry; a tree (4); an
// object without a mesh (5).
class WhyWorld : public ::testing::Test {
protected:
  void SetUp() override {
    WriteMeshes(Dir / "m");
    testutil::WriteFile(Dir / "w.con",
                        "Object.create Wall_m1\nObject.absolutePosition 10/0/20\n"
                        "Object.create post_M1\nObject.absolutePosition 11.5/0/19.5\n"
                        "Object.create mediclocker\nObject.absolutePosition -0.5/0/40.5\n"
                        "Object.create eu_pine1_m1\nObject.absolutePosition 15.5/0/15.5\n"
                        "Object.create Crate_m1\nObject.absolutePosition 12/0/18\n");
    ASSERT_EQ(testutil::RunProgram(QUARNEL_EXE, {"w.con", "m", "64"}, Dir.Path).Status, 0);
  }

  // quarnel-inspect --why with args, which replace the defaults of the options they give.
  RunResult Why(std::vector<std::string> args) {
    for (std::string option : {"--why", "--objects", "--meshes", "--size"})
      if (std::find(args.begin(), args.end(), option) == args.end())
        args.insert(args.end(), {option, option == "--why"       ? "1,2"
                                         : option == "--objects" ? "w.con"
                                         : option == "--meshes"  ? "m"
                                                                 : "64"});
    return testutil::RunProgram(QUARNEL_INSPECT_EXE, args, Dir.Path);
  }

  TempDir Dir;
};

} // namespace

TEST_F(WhyWorld, ACellFreeForInfantryNextToAWallAndAPostIsBlockedForTanksByBothAndForCarsByATree) {
  fs::create_directories(Dir / "old");
  fs::copy_file(Dir / "Infantry1Level0Map.raw", Dir / "old" / "Car4Level0Map.raw");
  const std::string wall = "Object 1 \"Wall_m1\" (line 1): position 10/0/20, rotation 0/0/0, "
                           "scale 1/1/1, mesh m/Wall_m1.sm\n";
  const std::string post = "Object 2 \"post_M1\" (line 3): position 11.5/0/19.5, rotation "
                           "0/0/0, scale 1/1/1, mesh m/Post_m1.sm\n";
  const std::string wallEdge = "    its outline covers the cell: face 0 (vertices 0, 1, 3), edge "
                               "0-1; ";
  const std::string postEdge = "    its outline covers the cell: face 0 (vertices 0, 1, 2), edge "
                               "0-1; 3 face edges cover it\n";
  const RunResult result =
      Why({"--why", "18,13", "Infantry1Level0Map.raw", "old/Car4Level0Map.raw"});
  EXPECT_EQ(result.Output,
            "Cell 18,13: row 18, column 13, the world square X 13 to 14, Z 18 to 19\n\n"
            "Infantry (Infantry1Level0Map.raw): free\n"
            "  Infantry1Level0Map.raw: free, as these inputs give\n"
            "  Objects that block a cell within two cells of it:\n    " +
                wall + "    " + post + "\nTank (Tank0Level0Map.raw): blocked\n  " + wall +
                wallEdge + "16 face edges cover it\n  " + post + postEdge +
                "\nCar (Car4Level0Map.raw): blocked\n  WARNING: old/Car4Level0Map.raw has the "
                "cell free, but these inputs block it: the map is out of date\n  " +
                wall + wallEdge + "26 face edges cover it\n  " + post + postEdge +
                "  Object 4 \"eu_pine1_m1\" (line 7): position 15.5/0/15.5, rotation 0/0/0, "
                "scale 1/1/1, no mesh\n    its tree footprint covers the cell\n");
  EXPECT_EQ(result.Status, 1);
}

TEST_F(WhyWorld, ACellWhoseNeighboursAreBlockedOrOutsideTheGridIsBlockedByHoleFilling) {
  const std::string post =
      "Object 3 \"mediclocker\" (line 5): position -0.5/0/40.5, rotation "
      "0/0/0, scale 1/1/1, mesh m/MedicLocker_m1.sm\n    its outline covers the "
      "cell: face 0 (vertices 0, 1, 2), edge 0-1; 3 face edges cover it\n";
  EXPECT_EQ(Why({"--why", "41,0"}).Output,
            "Cell 41,0: row 41, column 0, the world square X 0 to 1, Z 41 to 42\n\n"
            "Infantry (Infantry1Level0Map.raw): blocked\n  Hole filling: each of the cell's "
            "four neighbours is blocked or outside the grid\n\n"
            "Tank (Tank0Level0Map.raw): blocked\n  " +
                post + "\nCar (Car4Level0Map.raw): blocked\n  " + post);
}

// The document read back: the checked files of each class, a cell outside the grid, and a mesh
// folder whose name holds the byte 0xE9 (e in the Windows code page), written as UTF-8.
TEST_F(WhyWorld, TheJsonAnswerListsEveryCheckedFileAndIsValidUtf8ForAnyPath) {
  fs::create_directories(Dir / "old");
  fs::copy_file(Dir / "Tank0Level0Map.raw", Dir / "old" / "Infantry1Level0Map.raw");
  fs::copy(Dir / "m", Dir / "m\xE9");
  const RunResult result =
      Why({"--why", "18,13", "--meshes", "m\xE9", "--json", "Infantry1Level0Map.raw",
           "Car4Level0Map.raw", "old/Infantry1Level0Map.raw"});
  EXPECT_EQ(result.Status, 1) << "the old map disagrees";
  const auto doc = nlohmann::json::parse(result.Output); // refuses anything but UTF-8
  using Files = std::vector<std::tuple<std::string, bool, bool>>;
  const Files expected[3] = {
      {{"Infantry1Level0Map.raw", false, true}, {"old/Infantry1Level0Map.raw", true, false}},
      {},
      {{"Car4Level0Map.raw", true, true}}};
  for (size_t k = 0; k < 3; ++k) {
    Files files;
    for (const auto& file : doc["classes"][k]["files"])
      files.emplace_back(file["file"], file["blocked"], file["agrees"]);
    EXPECT_EQ(files, expected[k]) << k;
  }
  EXPECT_EQ(doc["classes"][1]["causes"][0]["object"]["mesh"], "m\xC3\xA9/Wall_m1.sm");
  for (const std::string cell : {"64,3", "3,64", "4294967295,0"}) {
    const auto outside = nlohmann::json::parse(Why({"--why", cell, "--json"}).Output);
    EXPECT_FALSE(outside["inside"]) << cell;
    for (const auto& answered : outside["classes"])
      EXPECT_TRUE(answered["blocked"] == true && answered["causes"].empty()) << cell;
  }
}

TEST_F(WhyWorld, MistakesAndFailuresGiveTheToolsMessagesAndStatusTwo) {
  meshfile::File bad;
  bad.HeaderType = 7;
  meshfile::WriteTo(Dir / "m" / "Wall_m1.sm", bad);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--why", "3;4"}, "--why needs a cell as ROW,COL, not '3;4'"},
      {{"--why", "1a,2"}, "--why needs a cell as ROW,COL, not '1a,2'"},
      {{"--why", "x,5"}, "--why needs a cell as ROW,COL, not 'x,5'"},
      {{}, "Unsupported header type"},
      {{"Infantry.raw"},
       "--why recognises a map by its file name, Infantry1Level0Map.raw, "
       "Tank0Level0Map.raw or Car4Level0Map.raw, not 'Infantry.raw'"}};
  for (const auto& [args, message] : cases) {
    const RunResult result = Why(args);
    EXPECT_EQ(result.Error.substr(0, result.Error.find('\n')), "quarnel-inspect: " + message);
    EXPECT_EQ(result.Status, 2) << message;
  }
}

#endif
