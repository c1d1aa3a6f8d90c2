// What one object blocks: the class shapes, the infantry tree footprint, the placement of a
// mesh and its outline. The fast forms are checked against these end to end.
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Transform.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <tuple>

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

// The placed x and z of a point, as the steps of the placement: scale, turn by the third angle
// about Z, by the second about X, by the first about Y, then move.
std::pair<double, double> PlacedByTurns(TVector4 p, const TVector3& position,
                                        const TVector3& rotation, const TVector3& scale) {
  const double a = rotation.X * kDegToRad, b = rotation.Y * kDegToRad, c = rotation.Z * kDegToRad;
  double x = p.x * scale.X, y = p.y * scale.Y, z = p.z * scale.Z;
  std::tie(x, y) = std::pair(x * std::cos(c) - y * std::sin(c), x * std::sin(c) + y * std::cos(c));
  std::tie(y, z) = std::pair(y * std::cos(b) - z * std::sin(b), y * std::sin(b) + z * std::cos(b));
  std::tie(x, z) = std::pair(x * std::cos(a) + z * std::sin(a), -x * std::sin(a) + z * std::cos(a));
  return {x + position.X, z + position.Z};
}

bool Collect(int64_t x, int64_t y, void* cells) {
  if (x >= 0 && y >= 0 && x < 64 && y < 64)
    static_cast<CellSet*>(cells)->insert({y, x});
  return true;
}

TEST(Outline, AMeshWithHeightTurnedByThreeAnglesBlocksTheEdgesOfItsPlacedCorners) {
  std::mt19937_64 rng(25);
  std::uniform_real_distribution<double> at(-9, 9), angle(5, 175);
  for (int round = 0; round < 40; ++round) {
    std::vector<TVector4> vertices(4);
    for (TVector4& v : vertices)
      v = {at(rng), at(rng), at(rng), 1}; // every vertex has height
    const TVector3 position{32 + at(rng), at(rng), 32 + at(rng)};
    const TVector3 rotation{angle(rng), -angle(rng), angle(rng)}, scale{1.5, 0.75, 1.25};
    const std::vector<TFace> faces = {{0, 1, 2}, {3, 2, 1}};
    TPathmap map = Sized(64);
    PathMeshOutline(map, Node(vertices, faces, position, rotation, scale), BrushInfantry);
    CellSet expected;
    for (const TFace& f : faces)
      for (auto [from, to] : {std::pair{f.A, f.B}, {f.B, f.C}, {f.C, f.A}}) {
        const auto p = PlacedByTurns(vertices[size_t(from)], position, rotation, scale);
        const auto q = PlacedByTurns(vertices[size_t(to)], position, rotation, scale);
        WalkLine(int64_t(std::floor(p.first)), int64_t(std::floor(p.second)),
                 int64_t(std::floor(q.first)), int64_t(std::floor(q.second)), Collect, &expected);
      }
    EXPECT_EQ(Blocked(map), expected) << "round " << round;
  }
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
