// What one object blocks: the class shapes, the infantry tree footprint, the placement of a
// mesh and its outline. The fast forms are checked against these end to end.
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Transform.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace quarnel;
using namespace testutil;

namespace {

using CellSet = std::set<std::pair<int64_t, int64_t>>; // (row, column)

CellSet Blocked(const TPathmap& map) {
  CellSet cells;
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c)
      if (map.IsBlocked(r, c))
        cells.insert({r, c});
  return cells;
}

TPathmap Sized(uint32_t size) {
  TPathmap map;
  map.SetSize(size);
  return map;
}

const TShape* const kShapes[] = {&kInfantryShape, &kTankShape, &kCarShape};

TEST(Shapes, AreTheCellAloneAndSquaresOfTwoAndThreeCellsWithArmsOfThreeAndFour) {
  const std::vector<std::string> pictures[] = {
      {"X"},
      {"...X...", ".XXXXX.", ".XXXXX.", "XXXXXXX", ".XXXXX.", ".XXXXX.", "...X..."},
      {"....X....", ".XXXXXXX.", ".XXXXXXX.", ".XXXXXXX.", "XXXXXXXXX", ".XXXXXXX.", ".XXXXXXX.",
       ".XXXXXXX.", "....X...."}};
  for (int k = 0; k < 3; ++k) {
    const int reach = kShapes[k]->Reach;
    ASSERT_EQ(pictures[k].size(), size_t(2 * reach + 1));
    for (int dr = -reach - 1; dr <= reach + 1; ++dr)
      for (int dc = -reach - 1; dc <= reach + 1; ++dc) {
        const bool inside = std::abs(dr) <= reach && std::abs(dc) <= reach;
        EXPECT_EQ(ShapeCovers(*kShapes[k], dr, dc),
                  inside && pictures[k][size_t(dr + reach)][size_t(dc + reach)] == 'X')
            << k << ": " << dr << ", " << dc;
      }
  }
}

TEST(TreeFootprints, BlockTheCellsAroundThePositionTruncatedTowardZero) {
  const CellSet four = {{20, 9}, {20, 10}, {21, 9}, {21, 10}};
  const std::pair<std::pair<double, double>, CellSet> infantry[] = {
      // clang-format off
      {{10.5, 20.5}, {{20, 10}}}, {{10.1, 20.9}, four}, {{10.0, 20.5}, {{20, 9}, {20, 10}}},
      {{10.25, 20.75}, four}, {{10.75, 20.5}, {{20, 10}, {20, 11}}}, {{-0.5, 5.5}, {{5, 0}}},
      {{63.9, 0.1}, {{0, 63}}}};
  // clang-format on
  for (const auto& [position, cells] : infantry) {
    TPathmap map = Sized(64);
    StampTreeInfantry(map, position.first, position.second);
    EXPECT_EQ(Blocked(map), cells) << position.first << ", " << position.second;
  }
}

TEST(Transform, PlacesPointsByScaleThenTheThirdSecondAndFirstAngleThenPosition) {
  struct Case {
    TVector3 Position, Scale, Rotation;
    TVector4 Point, Expected;
  };
  const Case cases[] = {
      // clang-format off
      {{10, 0, 20}, {1, 1, 1}, {0, 0, 0}, {1.5, 2, -3, 1}, {11.5, 2, 17, 1}},
      {{0, 0, 0}, {2, 3, 4}, {0, 0, 0}, {1, 1, 1, 1}, {2, 3, 4, 1}},
      {{100, 5, 200}, {1, 1, 1}, {90, 0, 0}, {1, 0, 0, 1}, {100, 5, 199, 1}},
      {{0, 0, 0}, {1, 1, 1}, {0, 90, 0}, {0, 1, 0, 1}, {0, 0, 1, 1}},
      {{0, 0, 0}, {1, 1, 1}, {0, 0, 90}, {1, 0, 0, 1}, {0, 1, 0, 1}},
      {{0, 0, 0}, {1, 1, 1}, {30, 0, 0}, {2, 0, 0, 1}, {std::sqrt(3.0), 0, -1, 1}},
      {{0, 0, 0}, {-1, 1, 1}, {0, 0, 90}, {1, 0, 0, 1}, {0, -1, 0, 1}},
      {{1, 2, 3}, {1, 1, 1}, {20, 30, 40}, {0, 0, 0, 1}, {1, 2, 3, 1}}};
  // clang-format on
  for (const Case& c : cases) {
    TMatrix4 m;
    BuildObjectMatrix(c.Position.X, c.Position.Y, c.Position.Z, c.Scale.X, c.Scale.Y, c.Scale.Z,
                      c.Rotation.X, c.Rotation.Y, c.Rotation.Z, m);
    const TVector4 p = TransformPoint(c.Point, m);
    EXPECT_NEAR(p.x, c.Expected.x, 1e-12);
    EXPECT_NEAR(p.y, c.Expected.y, 1e-12);
    EXPECT_NEAR(p.z, c.Expected.z, 1e-12);
    EXPECT_EQ(p.w, 1.0);
  }
  TMatrix4 m;
  BuildObjectMatrix(0, 0, 0, 1, 1, 1, 360, 0, 0, m);
  EXPECT_NE(m.m[2][0], 0.0) << "angles are used unreduced: sin 360 degrees is not 0";
}

TStaticObjectMeshNode Node(std::vector<TVector4> vertices, std::vector<TFace> faces,
                           TVector3 position = {}, TVector3 rotation = {},
                           TVector3 scale = {1, 1, 1}) {
  TStaticObjectMeshNode node;
  node.Position = position, node.Rotation = rotation, node.Scale = scale;
  node.Mesh = MakeCollisionMesh(std::move(vertices), std::move(faces));
  node.HasMesh = true;
  return node;
}

TEST(Outline, ATriangleWithHalfCellCornersBlocksItsEighteenEdgeCellsAndNotItsInside) {
  TPathmap map = Sized(64);
  PathMeshOutline(map, Node({{0.5, 0, 0.5, 1}, {6.5, 0, 0.5, 1}, {0.5, 0, 6.5, 1}}, {{0, 1, 2}}),
                  BrushInfantry);
  CellSet expected;
  for (int64_t i = 0; i <= 6; ++i)
    expected.insert({{0, i}, {i, 6 - i}, {i, 0}});
  EXPECT_EQ(Blocked(map), expected);
}

} // namespace
