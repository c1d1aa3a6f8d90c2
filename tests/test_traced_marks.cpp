// Outlines traced into a cell mask through a box of words, against the visitor form.
#include "raster/BoxMarks.h"
#include "raster/CellMask.h"
#include "raster/Outline.h"
#include "raster/OutlineTracer.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

using namespace quarnel;

namespace {

// Every word of two masks of one size, their margins included, is the same.
::testing::AssertionResult SameMarks(const TCellMask& a, const TCellMask& b) {
  const auto n = static_cast<int32_t>(a.Size() / 64);
  for (int32_t i = -1; i <= n; ++i)
    for (int32_t j = -1; j <= n; ++j)
      for (int k = 0; k < 64; ++k) {
        const uint64_t* x = a.Tile(i, j);
        const uint64_t* y = b.Tile(i, j);
        if ((x == nullptr ? 0 : x[k]) != (y == nullptr ? 0 : y[k]))
          return ::testing::AssertionFailure() << "tile (" << i << ", " << j << "), row " << k;
      }
  return ::testing::AssertionSuccess();
}

// A mesh on a coarse lattice, so that faces share cells and walls project onto lines, placed
// anywhere from beyond the map's margin to well inside it.
TStaticObjectMeshNode RandomNode(std::mt19937_64& rng, uint32_t size, double spread) {
  std::uniform_int_distribution<int> lattice(-4, 4), count(3, 40);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<TVector4> vertices(static_cast<size_t>(count(rng)));
  for (TVector4& v : vertices)
    v = {lattice(rng) * spread / 8, unit(rng) * 5, lattice(rng) * spread / 8, 1};
  std::uniform_int_distribution<int32_t> index(0, static_cast<int32_t>(vertices.size()) - 1);
  std::vector<TFace> faces(static_cast<size_t>(count(rng)));
  for (TFace& f : faces)
    f = {index(rng), index(rng), index(rng)};
  TStaticObjectMeshNode node;
  node.Position = {-spread + unit(rng) * (size + 2 * spread), 0, -20 + unit(rng) * (size + 40)};
  // Mostly upright, so that vertices differing only in height are placed alike.
  node.Rotation = {unit(rng) * 360, unit(rng) < 0.1 ? unit(rng) * 40 : 0,
                   unit(rng) < 0.1 ? unit(rng) * 40 : 0};
  node.Scale = {0.5 + unit(rng), 1, 0.5 + unit(rng)};
  node.Mesh = MakeCollisionMesh(vertices, faces);
  node.HasMesh = true;
  return node;
}

TEST(TracedOutline, MarksTheCellsThatTheVisitorFormMarks) {
  std::mt19937_64 rng(17);
  // Small meshes, meshes near the largest box (512 cells) and meshes too wide for a box.
  for (double spread : {6.0, 60.0, 300.0, 1200.0})
    for (int round = 0; round < 150; ++round) {
      const uint32_t size = 64u * static_cast<uint32_t>(1 + round % 3);
      const TStaticObjectMeshNode node = RandomNode(rng, size, spread);
      TCellMask traced(size), visited(size);
      TraceMeshOutline(node, traced);
      TraceMeshOutline(node, size, TCellMask::MarkVisitor, &visited);
      ASSERT_TRUE(SameMarks(traced, visited)) << "spread " << spread << ", round " << round;
    }
}

bool Collect(int64_t x, int64_t y, void* cells) {
  static_cast<std::set<std::pair<int64_t, int64_t>>*>(cells)->insert({x, y});
  return true;
}

TEST(BoxMarks, TellWhenTheWalkBackHasTheSameCells) {
  int same = 0;
  for (int64_t x = 0; x <= 80; ++x)
    for (int64_t y = 0; y <= 80; ++y) {
      std::set<std::pair<int64_t, int64_t>> there, back;
      WalkLine(40, 40, x, y, Collect, &there);
      WalkLine(x, y, 40, 40, Collect, &back);
      const auto dx = static_cast<uint32_t>(std::abs(x - 40)),
                 dy = static_cast<uint32_t>(std::abs(y - 40));
      ASSERT_EQ(TBoxMarks::SameCellsBack(std::max(dx, dy), std::min(dx, dy)), there == back)
          << x << ", " << y;
      same += there == back;
    }
  EXPECT_GT(same, 3000);
  EXPECT_LT(same, 6000);
}

} // namespace
