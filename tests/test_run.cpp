// The whole run, end to end: the built tool in a fresh folder, checked against
// hand-worked maps, report files and console output.
#include "support/MapDecode.h"
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <set>

#ifndef _WIN32

using testutil::DecodeMap;
using testutil::Lines;
using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

namespace {

using Cells = std::set<std::pair<uint32_t, uint32_t>>;

const char* const kMapFiles[] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                 "Car4Level0Map.raw"};

// A world folder with an object file and a mesh folder, run with the built tool.
struct World {
  TempDir Dir;
  fs::path Meshes = Dir / "meshes";
  World() { fs::create_directory(Meshes); }

  void Objects(const std::string& text) { WriteFile(Dir / "objects.con", text); }
  void Mesh(const std::string& name, const std::string& bytes) { WriteFile(Meshes / name, bytes); }
  testutil::RunResult Run(const std::string& size = "256") {
    return testutil::RunTool({"objects.con", "meshes", size}, Dir.Path);
  }
  Cells MapCells(const char* name, uint32_t size = 256) {
    const auto map = DecodeMap(ReadFile(Dir / name), size);
    EXPECT_TRUE(map.Valid) << name;
    return map.Blocked;
  }
  std::string NotPathed() { return ReadFile(Dir / "NotPathed.txt"); }
};

// One triangle, in mesh space.
std::string TriangleMesh(float ax, float az, float bx, float bz, float cx, float cz) {
  meshfile::Block block;
  block.Vertices = {{ax, 0, az}, {bx, 0, bz}, {cx, 0, cz}};
  block.Faces = {{0, 1, 2}};
  meshfile::File file;
  file.Blocks.push_back(block);
  return meshfile::Write(file);
}

std::vector<std::string> RunLines(const std::vector<std::string>& middle) {
  std::vector<std::string> lines = {
      "", "Quarnel 1.1 by Ostwyn",   "Create a pathfinding map with static objects pathed out",
      "", "Pathmap size: 256 x 256", "Number of segments: 4 x 4"};
  lines.insert(lines.end(), middle.begin(), middle.end());
  return lines;
}

// The cells a tree footprint or brush of the given reach covers around a centre: one cell
// for infantry; for tanks (3) and cars (4) a square of reach - 1 with four arms of reach.
std::vector<std::pair<int, int>> Shape(int reach) {
  std::vector<std::pair<int, int>> shape;
  for (int dr = -reach; dr <= reach; ++dr)
    for (int dc = -reach; dc <= reach; ++dc)
      if ((std::abs(dr) < reach && std::abs(dc) < reach) || dr == 0 || dc == 0)
        shape.push_back({dr, dc});
  return shape;
}

Cells Widen(const Cells& centres, int reach, uint32_t size) {
  Cells out;
  for (auto [r, c] : centres)
    for (auto [dr, dc] : Shape(reach)) {
      const int64_t row = int64_t(r) + dr, col = int64_t(c) + dc;
      if (row >= 0 && col >= 0 && row < size && col < size)
        out.insert({uint32_t(row), uint32_t(col)});
    }
  return out;
}

// Free cells whose four edge neighbours are blocked (or outside) become blocked.
Cells FilledHoles(const Cells& blocked, uint32_t size) {
  Cells out = blocked;
  auto isBlocked = [&](int64_t r, int64_t c) {
    return r < 0 || c < 0 || r >= size || c >= size || blocked.count({uint32_t(r), uint32_t(c)});
  };
  for (int64_t r = 0; r < size; ++r)
    for (int64_t c = 0; c < size; ++c)
      if (!isBlocked(r, c) && isBlocked(r - 1, c) && isBlocked(r + 1, c) && isBlocked(r, c - 1) &&
          isBlocked(r, c + 1))
        out.insert({uint32_t(r), uint32_t(c)});
  return out;
}

TEST(Run, AnObjectFileWithoutObjectsWritesThreeFreeMapsAndZeroCounts) {
  World w;
  w.Objects("rem nothing here\r\nobject.absoluteposition 1/2/3\r\n");
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(Lines(result.Output),
            RunLines({"Creating Infantry1Level0Map.raw...", "Creating Tank0Level0Map.raw...",
                      "Creating Car4Level0Map.raw...", "Objects read: 0", "Trees pathed: 0",
                      "Meshes pathed: 0", "Total pathed: 0"}));
  for (const char* name : kMapFiles) {
    EXPECT_EQ(fs::file_size(w.Dir / name), 32u + 16 * 4) << name;
    EXPECT_TRUE(w.MapCells(name).empty()) << name;
  }
  EXPECT_EQ(w.NotPathed(), "Objects that have no collision mesh:\r\n");
}

TEST(Run, ObjectsWithoutMeshAreListedOnceUnderTheirAliasedNames) {
  World w;
  w.Objects("object.create Crate_m1\nobject.create aMMoBoX\nobject.create MEDICLOCKER\n"
            "object.create Crate_m1\n");
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(w.NotPathed(), "Objects that have no collision mesh:\r\nCrate_m1\r\nAmmoBox_m1\r\n"
                           "MedicLocker_m1\r\nCrate_m1\r\n");
  EXPECT_EQ(Lines(result.Output).back(), "Total pathed: 0");
  for (const char* name : kMapFiles)
    EXPECT_TRUE(w.MapCells(name).empty()) << name;
}

TEST(Run, AnAmmoBoxInAnyCaseTakesTheAmmoBoxMesh) {
  World w;
  w.Objects("object.create AMMObox\nobject.absoluteposition 100/0/50\n");
  w.Mesh("AmmoBox_m1.sm", TriangleMesh(0, 0, 0, 0, 0, 0));
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(w.NotPathed(), "Objects that have no collision mesh:\r\n");
  EXPECT_EQ(w.MapCells("Infantry1Level0Map.raw"), (Cells{{50, 100}}));
  EXPECT_EQ(Lines(result.Output).back(), "Total pathed: 1");
}

TEST(Run, ATreeWithAMeshFileIsStampedAndCountedAsATree) {
  World w;
  w.Objects("object.create EU_Pine1_m1\nobject.absoluteposition 10.5/7/20.5\n");
  // Drawn as a mesh, this triangle would block a long line far from the tree.
  w.Mesh("EU_Pine1_m1.sm", TriangleMesh(0, 0, 100, 0, 0, 100));
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  const auto lines = Lines(result.Output);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"Objects read: 1", "Trees pathed: 1", "Meshes pathed: 0",
                                      "Total pathed: 1"}));
  EXPECT_EQ(w.MapCells("Infantry1Level0Map.raw"), (Cells{{20, 10}}));
  EXPECT_EQ(w.MapCells("Tank0Level0Map.raw"), Widen({{20, 10}}, 3, 256));
  EXPECT_EQ(w.MapCells("Tank0Level0Map.raw").size(), 29u);
  EXPECT_EQ(w.MapCells("Car4Level0Map.raw").size(), 53u);
}

TEST(Run, AMeshedObjectBlocksItsOutlineWithEachClassBrush) {
  World w;
  w.Objects("object.create Wedge_m1\nobject.absoluteposition 100/0/200\n");
  w.Mesh("Wedge_m1.sm", TriangleMesh(0, 0, 10, 0, 0, 10));
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  // The three edges: row 200 from column 100 to 110, the diagonal from (200, 110) to
  // (210, 100), and column 100 from row 210 back to 200.
  Cells outline;
  for (uint32_t k = 0; k <= 10; ++k) {
    outline.insert({200, 100 + k});
    outline.insert({200 + k, 110 - k});
    outline.insert({200 + k, 100});
  }
  ASSERT_EQ(outline.size(), 30u);
  EXPECT_EQ(w.MapCells("Infantry1Level0Map.raw"), FilledHoles(outline, 256));
  EXPECT_EQ(w.MapCells("Infantry1Level0Map.raw"), outline) << "no hole in a thin outline";
  EXPECT_EQ(w.MapCells("Tank0Level0Map.raw"), FilledHoles(Widen(outline, 3, 256), 256));
  EXPECT_EQ(w.MapCells("Car4Level0Map.raw"), FilledHoles(Widen(outline, 4, 256), 256));
}

TEST(Run, AWorldSizeOfZeroFailsInTheFirstPassBeforeAnyMapExists) {
  World w;
  w.Objects("object.create Crate_m1\n");
  const auto result = w.Run("0");
  EXPECT_EQ(result.Status, 1);
  const auto lines = Lines(result.Output);
  EXPECT_EQ(
      std::vector<std::string>(lines.begin() + 4, lines.end()),
      (std::vector<std::string>{"Pathmap size: 0 x 0", "Number of segments: 0 x 0",
                                "Creating Infantry1Level0Map.raw...", "Pathmap not initialised"}));
  for (const char* name : kMapFiles)
    EXPECT_FALSE(fs::exists(w.Dir / name));
}

TEST(Run, AMeshErrorEndsTheRunBeforeAnyMapExists) {
  World w;
  w.Objects("object.create Good_m1\nobject.create Bad_m1\n");
  w.Mesh("Good_m1.sm", TriangleMesh(0, 0, 1, 0, 0, 1));
  w.Mesh("Bad_m1.sm", std::string("\x08\0\0\0", 4) + std::string(40, '\0'));
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output).back(), "Unsupported header type");
  for (const char* name : kMapFiles)
    EXPECT_FALSE(fs::exists(w.Dir / name));
}

TEST(Run, AMapFileThatCannotBeCreatedEndsTheRunAndKeepsEarlierMaps) {
  World w;
  w.Objects("object.create Crate_m1\n");
  fs::create_directory(w.Dir / "Tank0Level0Map.raw");
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output),
            RunLines({"Creating Infantry1Level0Map.raw...", "Creating Tank0Level0Map.raw...",
                      "Error opening file: Tank0Level0Map.raw"}));
  EXPECT_EQ(fs::file_size(w.Dir / "Infantry1Level0Map.raw"), 32u + 16 * 4);
  EXPECT_FALSE(fs::exists(w.Dir / "Car4Level0Map.raw"));
  EXPECT_FALSE(fs::exists(w.Dir / "NotPathed.txt"));
}

TEST(Run, TheReportIsFlushedWhenTheCarMapFails) {
  World w;
  w.Objects("object.create Crate_m1\n");
  fs::create_directory(w.Dir / "Car4Level0Map.raw");
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output).back(), "Error opening file: Car4Level0Map.raw");
  EXPECT_EQ(w.NotPathed(), "Objects that have no collision mesh:\r\nCrate_m1\r\n");
}

TEST(Run, AReportThatCannotBeCreatedFailsAfterTheFirstTwoMaps) {
  World w;
  w.Objects("object.create Crate_m1\n");
  fs::create_directory(w.Dir / "NotPathed.txt");
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output).back(), "File access denied");
  EXPECT_TRUE(fs::exists(w.Dir / "Infantry1Level0Map.raw"));
  EXPECT_TRUE(fs::exists(w.Dir / "Tank0Level0Map.raw"));
  EXPECT_FALSE(fs::exists(w.Dir / "Car4Level0Map.raw"));
}

TEST(Run, AMissingObjectFileIsReportedAsNotFound) {
  World w;
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output), RunLines({"File not found"}));
}

TEST(Run, ASuccessfulRunPrintsExactlyTheDesignedConsoleOutput) {
  World w;
  w.Objects("object.create afri_tree1_m1\r\nobject.absoluteposition 30/0/30\r\n"
            "object.create Hut_m1\r\nobject.absoluteposition 60/0/60\r\n"
            "object.create Shed_m1\r\n");
  w.Mesh("Hut_m1.sm", TriangleMesh(0, 0, 4, 0, 0, 4));
  const auto result = w.Run();
  EXPECT_EQ(result.Status, 0);
  EXPECT_EQ(result.Output, "\r\nQuarnel 1.1 by Ostwyn\r\n"
                           "Create a pathfinding map with static objects pathed out\r\n\r\n"
                           "Pathmap size: 256 x 256\r\nNumber of segments: 4 x 4\r\n"
                           "Creating Infantry1Level0Map.raw...\r\n"
                           "Creating Tank0Level0Map.raw...\r\n"
                           "Creating Car4Level0Map.raw...\r\n"
                           "Objects read: 3\r\nTrees pathed: 1\r\nMeshes pathed: 1\r\n"
                           "Total pathed: 2\r\n");
  EXPECT_EQ(w.NotPathed(), "Objects that have no collision mesh:\r\nShed_m1\r\n");
}

} // namespace

#endif
