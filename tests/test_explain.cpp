// Explaining cells and changes: every cell of random worlds, and of random edits of them, against
// the run's maps and each object drawn alone.
#include "explain/WhyCell.h"
#include "explain/WorldChanges.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"
#include "support/RandomWorld.h"
#include "support/StepByStepMaps.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#ifndef _WIN32 // runs the built program

using namespace quarnel;
using testutil::TempDir;
namespace fs = std::filesystem;

// A cell has a cause exactly when the run's map blocks it, and each object named, drawn alone
// without hole filling, blocks that cell.
TEST(WhyCell, EveryCellOfRandomWorldsHasACauseExactlyWhenTheRunBlocksIt) {
  constexpr uint32_t kSize = 128;
  int holes = 0, causes = 0;
  for (uint64_t seed = 1; seed <= 3; ++seed) {
    TempDir dir;
    testutil::WriteRandomWorld(dir.Path, kSize, seed, 25);
    ASSERT_EQ(testutil::RunProgram(QUARNEL_EXE, {"objects.con", "meshes", "128"}, dir.Path).Status,
              0);
    TStaticObjectLL objects;
    LoadWorldObjects((dir / "objects.con").string(), (dir / "meshes/").string(), objects);
    std::array<TPathmap, 3> maps;
    std::vector<std::array<TPathmap, 3>> alone(static_cast<size_t>(objects.Count));
    for (size_t k = 0; k < 3; ++k) {
      const auto mapClass = static_cast<MapClass>(k);
      LoadMapFile((dir / MapFileNameOf(mapClass)).string(), maps[k]);
      size_t i = 0;
      for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next, ++i) {
        alone[i][k].SetSize(kSize);
        stepbystep::DrawObject(alone[i][k], MeshNodeOf(n), mapClass);
      }
    }
    for (uint32_t r = 0; r < kSize; ++r)
      for (uint32_t c = 0; c < kSize; ++c) {
        const TWhyAnswer answer = ExplainCell(objects, kSize, r, c);
        for (size_t k = 0; k < 3; ++k) {
          const TWhyClass& why = answer.Classes[k];
          ASSERT_EQ(maps[k].IsBlocked(r, c), !why.Causes.empty()) << r << "," << c << " " << k;
          for (const TWhyCause& cause : why.Causes) {
            holes += cause.Kind == TWhyKind::Hole;
            causes += cause.Kind != TWhyKind::Hole;
            ASSERT_TRUE(cause.Kind == TWhyKind::Hole ||
                        alone[size_t(cause.Object.Number - 1)][k].IsBlocked(r, c))
                << r << "," << c;
          }
        }
      }
  }
  EXPECT_GT(holes, 0);
  EXPECT_GT(causes, 1000);
}

#endif

#ifndef _WIN32
namespace {

// A world's objects and the maps that the built quarnel wrote for them.
void RunWorld(const fs::path& dir, uint32_t size, TBuiltWorld& built) {
  ASSERT_EQ(testutil::RunProgram(QUARNEL_EXE, {"objects.con", "meshes", std::to_string(size)}, dir)
                .Status,
            0);
  LoadWorldObjects((dir / "objects.con").string(), (dir / "meshes/").string(), built.Objects,
                   &built.Names);
  for (size_t k = 0; k < 3; ++k)
    LoadMapFile((dir / MapFileNameOf(static_cast<MapClass>(k))).string(), built.Maps[k]);
}

// The cells of a map, as a map of its size with only those.
TPathmap Alone(const TStaticObjectMeshNode& node, uint32_t size, size_t k) {
  TPathmap map;
  map.SetSize(size);
  stepbystep::DrawObject(map, node, static_cast<MapClass>(k));
  return map;
}

} // namespace

// Random worlds and random edits of them (moves, turns, scales, additions, removals, a mesh
// drawn anew, another order), both built by the run and drawn in memory alike: every changed cell
// of the maps is put down to changes whose objects, drawn alone, cover it in one version and not
// the other, or to hole filling of a cell enclosed where it is blocked; and each changed object's
// cover is its drawing alone.
TEST(Changes, EveryChangedCellOfRandomEditsIsPutDownToAnObjectThatCoversItOrToHoleFilling) {
  constexpr uint32_t kSize = 128;
  uint64_t credited = 0, holes = 0, changes = 0;
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    TempDir dir;
    testutil::WriteRandomWorld(dir / "old", kSize, seed, 60);
    testutil::WriteEditedWorld(dir / "old", dir / "new", seed, 0.3, seed % 2 == 0, seed > 2);
    TBuiltWorld before, after;
    RunWorld(dir / "old", kSize, before);
    RunWorld(dir / "new", kSize, after);
    // The maps that --changes builds in memory, on one thread and on two, are the run's.
    for (const unsigned threads : {1u, 2u}) {
      TBuiltWorld built;
      BuildWorld((dir / "new" / "objects.con").string(), (dir / "new" / "meshes").string(), kSize,
                 built, threads);
      for (size_t k = 0; k < 3; ++k)
        ASSERT_TRUE(testutil::SameCells(built.Maps[k], after.Maps[k])) << "class " << k;
    }
    const TWorldChanges result = CompareWorlds(before, after, kSize);
    changes += result.Changes.size();
    std::vector<std::array<std::array<TPathmap, 3>, 2>> alone(result.Changes.size());
    for (size_t c = 0; c < result.Changes.size(); ++c)
      for (size_t k = 0; k < 3; ++k)
        for (size_t v = 0; v < 2; ++v) {
          const TVersionObject& object = v == 0 ? result.Changes[c].Old : result.Changes[c].New;
          alone[c][v][k].SetSize(kSize);
          if (object.Node != nullptr)
            alone[c][v][k] = Alone(*object.Node, kSize, k);
          const TObjectCover cover = object.Node ? CoverOf(*object.Node, kSize) : TObjectCover{};
          for (uint32_t r = 0; r < kSize; ++r)
            for (uint32_t col = 0; col < kSize; ++col)
              ASSERT_EQ(cover.Covers(k, r, col), alone[c][v][k].IsBlocked(r, col))
                  << "change " << c << " class " << k << " cell " << r << "," << col;
        }
    for (size_t k = 0; k < 3; ++k) {
      const TClassChanges& cells = result.Classes[k];
      EXPECT_TRUE(cells.Unaccounted.empty()) << "seed " << seed << " class " << k;
      uint64_t differing = 0;
      for (uint32_t r = 0; r < kSize; ++r)
        for (uint32_t c = 0; c < kSize; ++c)
          differing += before.Maps[k].IsBlocked(r, c) != after.Maps[k].IsBlocked(r, c);
      ASSERT_EQ(cells.Cells.size(), differing);
      for (size_t i = 0; i < cells.Cells.size(); ++i) {
        const TCell cell = cells.Cells[i];
        ASSERT_EQ(cells.Blocked[i] != 0, after.Maps[k].IsBlocked(cell.Row, cell.Column));
        for (uint32_t n = cells.CauseBegin[i]; n < cells.CauseBegin[i + 1]; ++n) {
          const uint32_t c = cells.Causes[n];
          if (c == kHoleFilling) {
            ++holes;
            const TPathmap& blocked = cells.Blocked[i] ? after.Maps[k] : before.Maps[k];
            for (const auto& [dr, dc] : {std::pair{0, 1}, {0, -1}, {1, 0}, {-1, 0}})
              EXPECT_TRUE(blocked.IsBlocked(cell.Row + dr, cell.Column + dc));
            continue;
          }
          ++credited;
          EXPECT_NE(alone[c][0][k].IsBlocked(cell.Row, cell.Column),
                    alone[c][1][k].IsBlocked(cell.Row, cell.Column))
              << "change " << c << " at " << cell.Row << "," << cell.Column;
        }
      }
    }
  }
  EXPECT_GT(changes, 40u);
  EXPECT_GT(credited, 1000u);
  EXPECT_GT(holes, 0u);
}

TEST(Changes, ObjectsMatchByNameAndPlacementThenByNearestPositionAndReorderingChangesNothing) {
  TempDir dir;
  testutil::WriteRandomWorld(dir / "old", 128, 9, 80);
  testutil::WriteEditedWorld(dir / "old", dir / "new", 9, 0, true, false);
  TBuiltWorld before, after;
  RunWorld(dir / "old", 128, before);
  RunWorld(dir / "new", 128, after);
  EXPECT_NE(testutil::ReadFile(dir / "old" / "objects.con"),
            testutil::ReadFile(dir / "new" / "objects.con"));
  const TWorldChanges reordered = CompareWorlds(before, after, 128);
  EXPECT_TRUE(reordered.Changes.empty());
  for (const TClassChanges& cells : reordered.Classes)
    EXPECT_TRUE(cells.Cells.empty());
  // Two houses of one name swap places and a third moves: they match as they lie nearest.
  const auto world = [&](const char* name, const std::string& con) {
    testutil::WriteFile(dir / name, con);
    auto version = std::make_unique<TBuiltWorld>();
    LoadWorldObjects((dir / name).string(), (dir / "old" / "meshes/").string(), version->Objects,
                     &version->Names);
    return version;
  };
  const auto a = world("a.con", "object.create m1\nobject.absoluteposition 10/0/10\n"
                                "object.create M1\nobject.absoluteposition 50/0/50\n"
                                "object.create m1\nobject.absoluteposition 90/0/90\n"
                                "object.create m2\nobject.absoluteposition 5/0/5\n");
  const auto b = world("b.con", "object.create m1\nobject.absoluteposition 52/0/50\n"
                                "object.create m1\nobject.absoluteposition 90/0/90\n"
                                "object.create m1\nobject.absoluteposition 10/0/10\n"
                                "object.create m2\nobject.absoluteposition 5/0/5\n"
                                "object.rotation 30/0/0\nobject.create m4\n");
  const std::vector<TObjectChange> changes = MatchObjects(*a, *b);
  ASSERT_EQ(changes.size(), 3u);
  EXPECT_TRUE(changes[0].What == kMoved && changes[0].Old.Number == 2 &&
              changes[0].New.Number == 1);
  EXPECT_TRUE(changes[1].What == kTurned && changes[1].Old.Number == 4 &&
              changes[1].New.Number == 4);
  EXPECT_TRUE(changes[2].What == kAdded && changes[2].Old.Node == nullptr &&
              changes[2].New.Number == 5);
}
#endif
