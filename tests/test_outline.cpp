// Mesh outlines: the drawn cells, clipping against whole walks, refusals and failures.
#include "raster/Outline.h"

#include "common/UTypes.h"
#include "raster/Footprints.h"
#include "raster/Transform.h"
#include "support/PathmapUtil.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace quarnel;
using testutil::BlockedCells;

namespace {

using Cell = std::pair<int64_t, int64_t>; // (row, column)
using CellSet = std::set<Cell>;

bool SameWords(const TPathmap& a, const TPathmap& b) {
  const size_t words = static_cast<size_t>(a.Size()) * static_cast<size_t>(a.SegmentCount());
  return std::equal(a.Row(0), a.Row(0) + words, b.Row(0));
}

void ExpectFailure(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "expected \"" << message << "\"";
  } catch (const Exception& e) {
    EXPECT_EQ(e.what(), message);
  }
}

TStaticObjectMeshNode MakeNode(std::vector<TVector4> vertices, std::vector<TFace> faces,
                               TVector3 position = {0, 0, 0}, TVector3 rotation = {0, 0, 0},
                               TVector3 scale = {1, 1, 1}) {
  TStaticObjectMeshNode node;
  node.Name = "test_object";
  node.Position = position;
  node.Rotation = rotation;
  node.Scale = scale;
  node.Mesh =
      std::make_shared<TCollisionMesh>(TCollisionMesh{std::move(vertices), std::move(faces)});
  node.HasMesh = true;
  return node;
}

// The plain brushes: every cell of the shape handed to Block, as the shapes are defined: a
// square of half width 2 (tank) or 3 (car) and one arm cell beyond it on each side.
void PlainBlock(TPathmap& map, int64_t row, int64_t column) {
  map.CheckInitialised();
  constexpr int64_t limit = std::numeric_limits<uint32_t>::max();
  if (row >= 0 && column >= 0 && row <= limit && column <= limit)
    map.Block(static_cast<uint32_t>(row), static_cast<uint32_t>(column));
}

void PlainShape(TPathmap& map, int64_t row, int64_t column, int64_t half) {
  for (int64_t dr = -half - 1; dr <= half + 1; ++dr)
    for (int64_t dc = -half - 1; dc <= half + 1; ++dc) {
      const bool square = std::abs(dr) <= half && std::abs(dc) <= half;
      const bool arm =
          (dr == 0 && std::abs(dc) == half + 1) || (dc == 0 && std::abs(dr) == half + 1);
      if (square || arm)
        PlainBlock(map, row + dr, column + dc);
    }
}

TPathmap& MapOf(void* context) {
  return **static_cast<TPathmap**>(context);
}

bool PlainInfantry(int64_t x, int64_t y, void* context) {
  PlainBlock(MapOf(context), y, x);
  return true;
}
bool PlainTank(int64_t x, int64_t y, void* context) {
  PlainShape(MapOf(context), y, x, 2);
  return true;
}
bool PlainCar(int64_t x, int64_t y, void* context) {
  PlainShape(MapOf(context), y, x, 3);
  return true;
}

struct BrushPair {
  const char* Name;
  CellVisitor Brush;
  CellVisitor Plain;
};

const BrushPair kBrushes[] = {{"infantry", BrushInfantry, PlainInfantry},
                              {"tank", BrushTank, PlainTank},
                              {"car", BrushCar, PlainCar}};

// The outline the long way: every vertex placed, floored, and every edge walked in full.
void PlainOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush) {
  TMatrix4 m;
  BuildObjectMatrix(node.Position.X, node.Position.Y, node.Position.Z, node.Scale.X, node.Scale.Y,
                    node.Scale.Z, node.Rotation.X, node.Rotation.Y, node.Rotation.Z, m);
  std::vector<Cell> points; // (x, y) here
  for (const TVector4& v : node.Vertices()) {
    const TVector4 p = TransformPoint(v, m);
    points.push_back(
        {static_cast<int64_t>(std::floor(p.x)), static_cast<int64_t>(std::floor(p.z))});
  }
  TPathmap* target = &map;
  for (const TFace& f : node.Faces()) {
    const Cell a = points[static_cast<size_t>(f.A)], b = points[static_cast<size_t>(f.B)],
               c = points[static_cast<size_t>(f.C)];
    WalkLine(a.first, a.second, b.first, b.second, brush, &target);
    WalkLine(b.first, b.second, c.first, c.second, brush, &target);
    WalkLine(c.first, c.second, a.first, a.second, brush, &target);
  }
}

TEST(Outline, OfAHalfCellTriangleBlocksItsEighteenEdgeCells) {
  TPathmap map;
  map.SetSize(64);
  const auto node = MakeNode({{0.5, 0, 0.5, 1}, {6.5, 0, 0.5, 1}, {0.5, 0, 6.5, 1}}, {{0, 1, 2}});
  PathMeshOutline(map, node, BrushInfantry);
  CellSet expected;
  for (int64_t i = 0; i <= 6; ++i) {
    expected.insert({0, i});     // first edge, along row 0
    expected.insert({i, 6 - i}); // second edge, the diagonal
    expected.insert({i, 0});     // third edge, down column 0
  }
  EXPECT_EQ(expected.size(), 18u);
  EXPECT_EQ(BlockedCells(map), expected);
  EXPECT_FALSE(map.IsBlocked(1, 1));
  EXPECT_FALSE(map.IsBlocked(2, 2));
  EXPECT_FALSE(map.IsBlocked(1, 3));
}

TEST(Outline, OfAPlacedTriangleBlocksItsThirtyEdgeCells) {
  TPathmap map;
  map.SetSize(256);
  const auto node =
      MakeNode({{0, 0, 0, 1}, {10, 0, 0, 1}, {0, 0, 10, 1}}, {{0, 1, 2}}, {100, 0, 200});
  PathMeshOutline(map, node, BrushInfantry);
  CellSet expected;
  for (int64_t i = 0; i <= 10; ++i) {
    expected.insert({200, 100 + i});
    expected.insert({200 + i, 110 - i});
    expected.insert({200 + i, 100});
  }
  EXPECT_EQ(expected.size(), 30u);
  EXPECT_EQ(BlockedCells(map), expected);
}

TEST(Outline, WithoutFacesBlocksNothingWhateverTheVertices) {
  TPathmap map;
  map.SetSize(64);
  PathMeshOutline(map, MakeNode({{1, 0, 1, 1}, {30, 0, 30, 1}, {5, 0, 40, 1}}, {}), BrushCar);
  TStaticObjectMeshNode noMesh;
  noMesh.Scale = {1, 1, 1};
  PathMeshOutline(map, noMesh, BrushCar);
  EXPECT_TRUE(BlockedCells(map).empty());
}

TEST(Outline, OfAFaceInOneCellBlocksTheBrushShapeAroundIt) {
  TPathmap map, expected;
  map.SetSize(64);
  expected.SetSize(64);
  // Three vertices that differ only in height.
  const auto node =
      MakeNode({{20.2, 0, 30.7, 1}, {20.2, 5, 30.7, 1}, {20.2, -9, 30.7, 1}}, {{0, 1, 2}});
  PathMeshOutline(map, node, BrushTank);
  PlainShape(expected, 30, 20, 2);
  EXPECT_TRUE(SameWords(map, expected));
  EXPECT_EQ(BlockedCells(map).size(), 29u);
}

TEST(Outline, IgnoresTheHeightOfTheFace) {
  TPathmap low, high;
  low.SetSize(64);
  high.SetSize(64);
  PathMeshOutline(low, MakeNode({{3, 0, 4, 1}, {40, 0, 9, 1}, {12, 0, 50, 1}}, {{0, 1, 2}}),
                  BrushTank);
  PathMeshOutline(high, MakeNode({{3, 900, 4, 1}, {40, -50, 9, 1}, {12, 7, 50, 1}}, {{0, 1, 2}}),
                  BrushTank);
  EXPECT_TRUE(SameWords(low, high));
  EXPECT_FALSE(BlockedCells(low).empty());
}

TEST(Outline, WalksEachEdgeFromItsFaceOrderSoBothDirectionsOfAnEdgeAreDrawn) {
  TPathmap map;
  map.SetSize(64);
  // A to B, B to B, and B back to A: the two walks of one edge differ at their ties.
  PathMeshOutline(map, MakeNode({{0.5, 0, 0.5, 1}, {4.5, 0, 2.5, 1}}, {{0, 1, 1}}), BrushInfantry);
  const CellSet expected = {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 3}, {1, 1}};
  EXPECT_EQ(BlockedCells(map), expected);
}

TEST(Outline, RoundsEndPointsDownWhereTreesTruncate) {
  TPathmap outline, tree;
  outline.SetSize(64);
  tree.SetSize(64);
  PathMeshOutline(outline, MakeNode({{-0.5, 0, 5.5, 1}}, {{0, 0, 0}}), BrushTank);
  StampTreeTank(tree, -0.5, 5.5);
  TPathmap expected;
  expected.SetSize(64);
  PlainShape(expected, 5, -1, 2); // column -1: only the part right of it lands in the grid
  EXPECT_TRUE(SameWords(outline, expected));
  EXPECT_FALSE(SameWords(outline, tree));
}

// Random meshes placed around and across a 256 grid, against the whole walks and plain brushes.
TStaticObjectMeshNode RandomNode(std::mt19937_64& rng, double spread, double reach) {
  std::uniform_real_distribution<double> position(-reach, 256 + reach), local(-spread, spread),
      angle(-180, 180), scale(-2.5, 2.5);
  std::vector<TVector4> vertices;
  std::uniform_real_distribution<double> near(-40, 40);
  // Every other vertex near the object's origin, so many edges run from near into the distance.
  for (int i = 0; i < 12; ++i)
    if (i % 2)
      vertices.push_back({near(rng), near(rng), near(rng), 1});
    else
      vertices.push_back({local(rng), local(rng), local(rng), 1});
  std::vector<TFace> faces;
  std::uniform_int_distribution<int32_t> index(0, 11);
  for (int i = 0; i < 10; ++i)
    faces.push_back({index(rng), index(rng), index(rng)});
  return MakeNode(vertices, faces, {position(rng), position(rng), position(rng)},
                  {angle(rng), angle(rng), angle(rng)}, {scale(rng), scale(rng), scale(rng)});
}

// Compares the outline against the plain form; returns the number of cells it blocked.
size_t ExpectSameAsPlain(const TStaticObjectMeshNode& node, const BrushPair& brush, int i) {
  TPathmap clipped, plain;
  clipped.SetSize(256);
  plain.SetSize(256);
  PathMeshOutline(clipped, node, brush.Brush);
  PlainOutline(plain, node, brush.Plain);
  EXPECT_TRUE(SameWords(clipped, plain)) << brush.Name << " brush, mesh " << i;
  const size_t words = static_cast<size_t>(clipped.Size()) * clipped.SegmentCount();
  size_t cells = 0;
  for (size_t w = 0; w < words; ++w)
    cells += static_cast<size_t>(std::popcount(clipped.Row(0)[w]));
  return cells;
}

TEST(Outline, BlocksExactlyWhatWholeWalksWithPlainBrushesBlockAroundTheGrid) {
  std::mt19937_64 rng(4);
  int drawn = 0;
  for (int i = 0; i < 600; ++i) {
    const TStaticObjectMeshNode node = RandomNode(rng, 60, 80);
    for (const BrushPair& brush : kBrushes)
      drawn += ExpectSameAsPlain(node, brush, i) > 0;
    if (HasFailure())
      return;
  }
  EXPECT_GT(drawn, 1200);
}

TEST(Outline, BlocksExactlyWhatWholeWalksBlockForMeshesReachingFarOutside) {
  std::mt19937_64 rng(6);
  int drawn = 0;
  for (int i = 0; i < 12; ++i) {
    // Edges of thousands of cells, many of them crossing the grid somewhere.
    const TStaticObjectMeshNode node = RandomNode(rng, 8000, 100);
    for (const BrushPair& brush : kBrushes)
      drawn += ExpectSameAsPlain(node, brush, i) > 0;
    if (HasFailure())
      return;
  }
  EXPECT_GT(drawn, 30);
}

TEST(Outline, OfAnObjectABillionUnitsAwayDrawsOnlyWhereItsEdgesCrossTheGrid) {
  TPathmap map, expected;
  map.SetSize(256);
  expected.SetSize(256);
  // Placed (x, z): (-1e9, 10), (1e9, 10), (-1e9, 15).
  const auto node =
      MakeNode({{-2e9, 0, 0, 1}, {0, 0, 0, 1}, {-2e9, 0, 5, 1}}, {{0, 1, 2}}, {1e9, 0, 10});
  PathMeshOutline(map, node, BrushCar);
  // Row 10 all along; the long edge from (1e9, 10) to (-1e9, 15) by its closed form, with
  // major difference 2e9 and minor difference 5 (it lies in row 12 over the grid, 13 left of
  // it); the short edge at x = -1e9 reaches nothing.
  const int64_t a = 2000000000, b = 5;
  for (int64_t x = -10; x <= 270; ++x) {
    PlainShape(expected, 10, x, 3);
    const int64_t k = 1000000000 - x;
    PlainShape(expected, 10 + (2 * k * b + a - 1) / (2 * a), x, 3);
  }
  EXPECT_TRUE(SameWords(map, expected));
  EXPECT_TRUE(map.IsBlocked(12, 100) && map.IsBlocked(16, 100) && !map.IsBlocked(17, 100));
}

TEST(Outline, RefusesNaNAndOverflowingPlacedCoordinates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double limit = std::ldexp(1.0, 62);
  TPathmap map;
  map.SetSize(64);
  const std::vector<TVector4> good = {{1, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}};
  auto withVertex = [&](TVector4 extra) {
    std::vector<TVector4> vertices = good;
    vertices.push_back(extra);
    return vertices;
  };
  // The odd vertex is used by no face: every vertex is placed, and checked, before any edge.
  for (TVector4 bad : {TVector4{nan, 0, 1, 1}, TVector4{1, 0, nan, 1}})
    ExpectFailure(
        [&] {
          PathMeshOutline(map, MakeNode(withVertex(bad), {{0, 1, 2}}), BrushCar);
        },
        kInvalidFloatOp);
  for (TVector4 bad :
       {TVector4{limit, 0, 1, 1}, TVector4{1, 0, -limit, 1}, TVector4{1e300, 0, 1, 1}})
    ExpectFailure(
        [&] {
          PathMeshOutline(map, MakeNode(withVertex(bad), {{0, 1, 2}}), BrushCar);
        },
        kFloatOverflow);
  for (TVector3 position : {TVector3{inf, 0, 0}, TVector3{0, 0, -inf}})
    ExpectFailure(
        [&] {
          PathMeshOutline(map, MakeNode(good, {{0, 1, 2}}, position), BrushCar);
        },
        kFloatOverflow);
  // A finite vertex and scale whose product exceeds the double range.
  ExpectFailure(
      [&] {
        PathMeshOutline(
            map, MakeNode(withVertex({1e308, 0, 1, 1}), {{0, 1, 2}}, {}, {}, {10, 1, 1}), BrushCar);
      },
      kFloatOverflow);
  // 0 times an infinite scale is no number at all.
  const std::vector<TVector4> onAxis = {{0, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}};
  ExpectFailure(
      [&] {
        PathMeshOutline(map, MakeNode(onAxis, {{0, 1, 2}}, {}, {}, {inf, 1, 1}), BrushCar);
      },
      kInvalidFloatOp);
  ExpectFailure(
      [&] {
        PathMeshOutline(map, MakeNode(good, {{0, 1, 2}}, {nan, 0, 0}), BrushInfantry);
      },
      kInvalidFloatOp);
  EXPECT_TRUE(BlockedCells(map).empty());

  // The height is not a cell coordinate, and the largest values below 2^62 are accepted.
  const double below = std::nextafter(limit, 0.0);
  PathMeshOutline(map, MakeNode(withVertex({1, 1e300, 1, 1}), {{0, 1, 2}}), BrushInfantry);
  EXPECT_EQ(BlockedCells(map).size(), 24u);
  map.Clear();
  PathMeshOutline(
      map, MakeNode({{below, 0, -below, 1}, {-below, 0, below, 1}, {0, 0, 0, 1}}, {{0, 1, 2}}),
      BrushInfantry);
  EXPECT_TRUE(map.IsBlocked(0, 0));
}

TEST(Outline, OnAnUnsizedMapRaisesNotInitialisedOnceThereIsAFace) {
  TPathmap map;
  const auto far =
      MakeNode({{-5e6, 0, -5e6, 1}, {-4e6, 0, -5e6, 1}, {-5e6, 0, -4e6, 1}}, {{0, 1, 2}});
  ExpectFailure([&] { PathMeshOutline(map, far, BrushInfantry); }, "Pathmap not initialised");
  PathMeshOutline(map, MakeNode({{1, 0, 1, 1}}, {}), BrushInfantry); // no face, no walk
  const double nan = std::numeric_limits<double>::quiet_NaN();
  ExpectFailure(
      [&] {
        PathMeshOutline(map, MakeNode({{nan, 0, 1, 1}}, {{0, 0, 0}}), BrushCar);
      },
      kInvalidFloatOp);
}

TEST(Outline, RefusesAFaceIndexOutsideTheVertices) {
  TPathmap map;
  map.SetSize(64);
  const std::vector<TVector4> vertices = {{1, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}};
  for (TFace bad : {TFace{0, 1, 3}, TFace{-1, 1, 2}, TFace{0, 7, 2}})
    ExpectFailure([&] { PathMeshOutline(map, MakeNode(vertices, {bad}), BrushInfantry); },
                  kRangeCheckError);
}

} // namespace
