// Mesh outlines: the drawn cells, clipping against whole walks, refusals and failures.
#include "raster/Outline.h"

#include "common/UTypes.h"
#include "raster/Footprints.h"
#include "raster/Transform.h"
#include "support/PathmapUtil.h"
#include "support/PlainBrushes.h"
#include "support/TestUtil.h"

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
using testutil::BrushPair;
using testutil::kBrushPairs;
using testutil::MessageOf;
using testutil::PlainShape;
using testutil::PlainShapeCells;
using testutil::SameWords;

namespace {

using Cell = std::pair<int64_t, int64_t>; // (row, column)
using CellSet = std::set<Cell>;

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

// The cells a node's outline blocks in a map of the given size.
CellSet Outlined(const TStaticObjectMeshNode& node, CellVisitor brush, uint32_t size = 64) {
  TPathmap map;
  map.SetSize(size);
  PathMeshOutline(map, node, brush);
  return BlockedCells(map);
}

struct OutlineCase {
  const char* What;
  TStaticObjectMeshNode Node;
  CellVisitor Brush;
  CellSet Expected;
  uint32_t Size = 64;
};

TEST(Outline, BlocksTheDesignedCells) {
  CellSet halfCell, placed;
  for (int64_t i = 0; i <= 6; ++i)
    halfCell.insert({{0, i}, {i, 6 - i}, {i, 0}}); // along row 0, the diagonal, column 0
  for (int64_t i = 0; i <= 10; ++i)
    placed.insert({{200, 100 + i}, {200 + i, 110 - i}, {200 + i, 100}});
  ASSERT_EQ(halfCell.size(), 18u);
  ASSERT_EQ(placed.size(), 30u);
  TStaticObjectMeshNode noMesh;
  noMesh.Scale = {1, 1, 1};
  const OutlineCase cases[] = {
      {"a triangle with half-cell corners blocks its eighteen edge cells",
       MakeNode({{0.5, 0, 0.5, 1}, {6.5, 0, 0.5, 1}, {0.5, 0, 6.5, 1}}, {{0, 1, 2}}), BrushInfantry,
       halfCell},
      {"a placed triangle blocks its thirty edge cells",
       MakeNode({{0, 0, 0, 1}, {10, 0, 0, 1}, {0, 0, 10, 1}}, {{0, 1, 2}}, {100, 0, 200}),
       BrushInfantry, placed, 256},
      {"a mesh without faces blocks nothing whatever its vertices",
       MakeNode({{1, 0, 1, 1}, {30, 0, 30, 1}, {5, 0, 40, 1}}, {}),
       BrushCar,
       {}},
      {"a node without a mesh blocks nothing", noMesh, BrushCar, {}},
      {"a face in one cell blocks the brush shape around it",
       MakeNode({{20.2, 0, 30.7, 1}, {20.2, 5, 30.7, 1}, {20.2, -9, 30.7, 1}}, {{0, 1, 2}}),
       BrushTank, PlainShapeCells(30, 20, kTankShape)},
      {"the height of the vertices plays no part",
       MakeNode({{3, 900, 4, 1}, {40, -50, 9, 1}, {12, 7, 50, 1}}, {{0, 1, 2}}), BrushTank,
       Outlined(MakeNode({{3, 0, 4, 1}, {40, 0, 9, 1}, {12, 0, 50, 1}}, {{0, 1, 2}}), BrushTank)},
      // A to B, B to B, and B back to A: the two walks of one edge differ at their ties.
      {"each edge is walked from its face order, so both directions of an edge are drawn",
       MakeNode({{0.5, 0, 0.5, 1}, {4.5, 0, 2.5, 1}}, {{0, 1, 1}}),
       BrushInfantry,
       {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 3}, {1, 1}}},
      // Trees truncate toward zero and would centre this one in column 0.
      {"end points are rounded down", MakeNode({{-0.5, 0, 5.5, 1}}, {{0, 0, 0}}), BrushTank,
       PlainShapeCells(5, -1, kTankShape)}};
  for (const OutlineCase& c : cases)
    EXPECT_EQ(Outlined(c.Node, c.Brush, c.Size), c.Expected) << c.What;
  EXPECT_EQ(PlainShapeCells(30, 20, kTankShape).size(), 29u);
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

TEST(Outline, BlocksExactlyWhatWholeWalksWithPlainBrushesBlockAroundAndFarOutsideTheGrid) {
  struct Round {
    uint64_t Seed;
    int Meshes;
    double Spread, Reach;
    int LeastDrawn;
  };
  TPathmap blank;
  blank.SetSize(256);
  // The second round has edges of thousands of cells, many of them crossing the grid somewhere.
  for (const Round& round : {Round{4, 600, 60, 80, 1200}, Round{6, 12, 8000, 100, 30}}) {
    std::mt19937_64 rng(round.Seed);
    int drawn = 0;
    for (int i = 0; i < round.Meshes && !HasFailure(); ++i) {
      const TStaticObjectMeshNode node = RandomNode(rng, round.Spread, round.Reach);
      for (const BrushPair& brush : kBrushPairs) {
        TPathmap clipped, plain;
        clipped.SetSize(256);
        plain.SetSize(256);
        PathMeshOutline(clipped, node, brush.Brush);
        PlainOutline(plain, node, brush.Plain);
        EXPECT_TRUE(SameWords(clipped, plain)) << brush.Name << " brush, mesh " << i;
        drawn += !SameWords(clipped, blank);
      }
    }
    EXPECT_GT(drawn, round.LeastDrawn) << "seed " << round.Seed;
  }
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
    PlainShape(expected, 10, x, kCarShape);
    const int64_t k = 1000000000 - x;
    PlainShape(expected, 10 + (2 * k * b + a - 1) / (2 * a), x, kCarShape);
  }
  EXPECT_TRUE(SameWords(map, expected));
  EXPECT_TRUE(map.IsBlocked(12, 100) && map.IsBlocked(16, 100) && !map.IsBlocked(17, 100));
}

struct RefusalCase {
  const char* What;
  TStaticObjectMeshNode Node;
  std::string Message;
};

TEST(Outline, RefusesNaNOverflowingPlacedCoordinatesAndFaceIndicesOutsideTheVertices) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double limit = std::ldexp(1.0, 62);
  const std::vector<TVector4> good = {{1, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}};
  // The odd vertex is used by no face: every vertex is placed, and checked, before any edge.
  const auto odd = [&](TVector4 extra, TVector3 scale = {1, 1, 1}) {
    std::vector<TVector4> vertices = good;
    vertices.push_back(extra);
    return MakeNode(vertices, {{0, 1, 2}}, {}, {}, scale);
  };
  const auto faces = [&](TFace face) { return MakeNode(good, {face}); };
  const RefusalCase cases[] = {
      {"a NaN x", odd({nan, 0, 1, 1}), kInvalidFloatOp},
      {"a NaN z", odd({1, 0, nan, 1}), kInvalidFloatOp},
      {"an x of 2^62", odd({limit, 0, 1, 1}), kFloatOverflow},
      {"a z of -2^62", odd({1, 0, -limit, 1}), kFloatOverflow},
      {"an x of 1e300", odd({1e300, 0, 1, 1}), kFloatOverflow},
      {"an infinite x position", MakeNode(good, {{0, 1, 2}}, {inf, 0, 0}), kFloatOverflow},
      {"an infinite z position", MakeNode(good, {{0, 1, 2}}, {0, 0, -inf}), kFloatOverflow},
      {"a NaN position", MakeNode(good, {{0, 1, 2}}, {nan, 0, 0}), kInvalidFloatOp},
      {"a finite vertex and scale whose product exceeds the double range",
       odd({1e308, 0, 1, 1}, {10, 1, 1}), kFloatOverflow},
      {"0 times an infinite scale",
       MakeNode({{0, 0, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}}, {{0, 1, 2}}, {}, {}, {inf, 1, 1}),
       kInvalidFloatOp},
      {"a face index equal to the vertex count", faces({0, 1, 3}), kRangeCheckError},
      {"a face index of -1", faces({-1, 1, 2}), kRangeCheckError},
      {"a face index beyond the vertices", faces({0, 7, 2}), kRangeCheckError}};
  TPathmap map;
  map.SetSize(64);
  for (const RefusalCase& c : cases)
    for (CellVisitor brush : {BrushInfantry, BrushCar})
      EXPECT_EQ(MessageOf([&] { PathMeshOutline(map, c.Node, brush); }), c.Message) << c.What;
  EXPECT_TRUE(BlockedCells(map).empty());
}

TEST(Outline, AcceptsAnyHeightAndTheLargestCoordinatesBelowTwoToTheSixtySecond) {
  const double below = std::nextafter(std::ldexp(1.0, 62), 0.0);
  EXPECT_EQ(
      Outlined(MakeNode({{1, 1e300, 1, 1}, {9, 0, 1, 1}, {1, 0, 9, 1}}, {{0, 1, 2}}), BrushInfantry)
          .size(),
      24u);
  EXPECT_TRUE(
      Outlined(MakeNode({{below, 0, -below, 1}, {-below, 0, below, 1}, {0, 0, 0, 1}}, {{0, 1, 2}}),
               BrushInfantry)
          .contains({0, 0}));
}

TEST(Outline, OnAnUnsizedMapRaisesNotInitialisedOnceThereIsAFace) {
  TPathmap map;
  const auto far =
      MakeNode({{-5e6, 0, -5e6, 1}, {-4e6, 0, -5e6, 1}, {-5e6, 0, -4e6, 1}}, {{0, 1, 2}});
  EXPECT_EQ(MessageOf([&] { PathMeshOutline(map, far, BrushInfantry); }),
            "Pathmap not initialised");
  EXPECT_EQ(MessageOf([&] {
              PathMeshOutline(map, MakeNode({{1, 0, 1, 1}}, {}), BrushInfantry);
            }),
            "<no error>");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(MessageOf([&] {
              PathMeshOutline(map, MakeNode({{nan, 0, 1, 1}}, {{0, 0, 0}}), BrushCar);
            }),
            kInvalidFloatOp);
}

} // namespace
