// Explaining cells: every cell of random worlds against the run's maps and each object drawn
// alone.
#include "explain/WhyCell.h"
#include "mesh/WorldObjects.h"
#include "segutils/MapFileReader.h"
#include "segutils/MapFormat.h"
#include "support/RandomWorld.h"
#include "support/StepByStepMaps.h"

#include <gtest/gtest.h>

#include <array>

#ifndef _WIN32 // runs the built program

using namespace quarnel;
using testutil::TempDir;

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
