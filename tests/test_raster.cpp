// What one object blocks: the class shapes, tree footprints, brushes, placement, outlines and
// the widening of traced outlines, each fast form against its plain per-cell form.
#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "raster/Transform.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
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
const CellVisitor kBrushes[] = {BrushInfantry, BrushTank, BrushCar};

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

TEST(TreeFootprints, KnowTreesByTheirWholeNameInAnyLetterCase) {
  for (const char* name : {"eu_pine1_m1", "EU_Pine7_M1", "palmshort_m1", "jungle_tree11b_m1",
                           "pacific_palm_large_m1", "djungle_monstrea_m1"})
    EXPECT_TRUE(IsTreeMesh(name)) << name;
  for (const char* name :
       {"eu_pine8_m1", "eu_pine1_m1.sm", " eu_pine1_m1", "eu_pine1", "", "house_m1"})
    EXPECT_FALSE(IsTreeMesh(name)) << name;
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
      {{100, 5, 200}, {1, 1, 1}, {90, 0, 0}, {0, 0, 1, 1}, {101, 5, 200, 1}},
      {{0, 0, 0}, {1, 1, 1}, {0, 90, 0}, {0, 1, 0, 1}, {0, 0, 1, 1}},
      {{0, 0, 0}, {1, 1, 1}, {0, 90, 0}, {0, 0, 1, 1}, {0, -1, 0, 1}},
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
  node.Mesh =
      std::make_shared<TCollisionMesh>(TCollisionMesh{std::move(vertices), std::move(faces)});
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

// The outline the long way: every edge walked whole, every cell handed to the plain shape.
bool PlainVisit(int64_t x, int64_t y, void* context) {
  auto* target = static_cast<std::pair<TPathmap*, const TShape*>*>(context);
  PlainShape(*target->first, y, x, *target->second);
  return true;
}

TEST(Outline, BlocksWhatWholeWalksWithThePlainShapesBlockForMeshesAroundAndAcrossTheGrid) {
  std::mt19937_64 rng(4);
  int drawn = 0;
  for (int i = 0; i < 400; ++i) {
    const double spread = i % 50 == 0 ? 8000 : 60; // now and then edges of thousands of cells
    std::uniform_real_distribution<double> position(-80, 336), local(-spread, spread),
        near(-40, 40), angle(-180, 180), scale(-2.5, 2.5);
    std::vector<TVector4> vertices;
    for (int v = 0; v < 12; ++v)
      vertices.push_back(v % 2 ? TVector4{near(rng), near(rng), near(rng), 1}
                               : TVector4{local(rng), local(rng), local(rng), 1});
    std::uniform_int_distribution<int32_t> index(0, 11);
    std::vector<TFace> faces;
    for (int f = 0; f < 10; ++f)
      faces.push_back({index(rng), index(rng), index(rng)});
    const auto node =
        Node(vertices, faces, {position(rng), 0, position(rng)},
             {angle(rng), angle(rng), angle(rng)}, {scale(rng), scale(rng), scale(rng)});
    const std::vector<TCellPoint> points = PlaceMeshVertices(node);
    for (int k = 0; k < 3; ++k) {
      TPathmap fast = Sized(256), plain = Sized(256);
      PathMeshOutline(fast, node, kBrushes[k]);
      std::pair<TPathmap*, const TShape*> target{&plain, kShapes[k]};
      for (const TFace& f : faces)
        for (auto [a, b] : {std::pair{f.A, f.B}, {f.B, f.C}, {f.C, f.A}})
          WalkLine(points[a].X, points[a].Y, points[b].X, points[b].Y, PlainVisit, &target);
      ASSERT_TRUE(SameCells(fast, plain)) << "mesh " << i << ", class " << k;
      drawn += !Blocked(fast).empty();
    }
  }
  EXPECT_GT(drawn, 600);
}

// Placements that overflow from a file are checked end to end; these need a node made here.
TEST(Outline, RefusesBadPlacementsAndFaceIndicesBeforeDrawingAnyEdge) {
  const double nan = NAN, limit = std::ldexp(1.0, 62), below = std::nextafter(limit, 0.0);
  const std::vector<TVector4> good = {{1, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}, {1, 0, 1, 1}};
  TPathmap map = Sized(64), unsized;
  for (auto [vertex, message] :
       {std::pair{TVector4{1, 0, nan, 1}, kInvalidFloatOp}, {{1, 0, -limit, 1}, kFloatOverflow}}) {
    std::vector<TVector4> vertices = good; // the last vertex, used by no face, is placed first
    vertices.back() = vertex;
    EXPECT_EQ(MessageOf([&] {
                PathMeshOutline(map, Node(vertices, {{0, 1, 2}}), BrushCar);
              }),
              message);
  }
  for (TFace face : {TFace{0, 1, 4}, TFace{-1, 1, 2}})
    EXPECT_EQ(MessageOf([&] { PathMeshOutline(map, Node(good, {face}), BrushCar); }),
              kRangeCheckError);
  EXPECT_TRUE(Blocked(map).empty());
  PathMeshOutline(
      map, Node({{below, 1e300, -below, 1}, {-below, 0, below, 1}, {0, 0, 0, 1}}, {{0, 1, 2}}),
      BrushInfantry);
  EXPECT_TRUE(map.IsBlocked(0, 0));
  EXPECT_EQ(MessageOf([&] {
              PathMeshOutline(unsized, Node({{-5e6, 0, -5e6, 1}}, {{0, 0, 0}}), BrushInfantry);
            }),
            "Pathmap not initialised");
  EXPECT_EQ(MessageOf([&] { PathMeshOutline(unsized, Node(good, {}), BrushInfantry); }),
            "<no error>");
  for (CellVisitor brush : kBrushes) {
    TPathmap* target = &unsized;
    EXPECT_EQ(MessageOf([&] { brush(-100, -100, &target); }), "Pathmap not initialised");
  }
  EXPECT_EQ(MessageOf([&] { StampTreeCar(unsized, -100, -100); }), "Pathmap not initialised");
  EXPECT_EQ(MessageOf([&] { StampTreeInfantry(map, nan, 1); }), kInvalidFloatOp);
  TCellMask mask(64);
  EXPECT_EQ(MessageOf([&] { MarkTreeCentre(mask, 1, -limit); }), kFloatOverflow);
}

} // namespace
