// Tree names, tree footprints and line brushes: cells blocked, edges, refusals.
#include "raster/Footprints.h"

#include "common/UTypes.h"
#include "support/PathmapUtil.h"
#include "support/PlainBrushes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace quarnel;
using testutil::BlockedCells;
using testutil::BrushPair;
using testutil::kBrushPairs;
using testutil::MessageOf;
using testutil::PlainBlock;
using testutil::PlainShape;
using testutil::PlainShapeCells;
using testutil::SameWords;

namespace {

using Cell = std::pair<int64_t, int64_t>; // (row, column)
using CellSet = std::set<Cell>;
using Stamp = void (*)(TPathmap&, double, double);

// The 55 names of trees and plants, separated by blanks.
const char* const kTreeNames =
    "jungle_tree11_m1 jungle_tree11b_m1 jungle_tree10_m1 afri_tree1_m1 afri_tree2_m1 "
    "afri_tree3_m1 afri_tree4_m1 afri_tree5_m1 afri_tree6_m1 afri_tree7_m1 afri_tree8_m1 "
    "afri_tree9_m1 djungle_monstrea_m1 eu_asp1_m1 eu_asp2_m1 eu_asp3_m1 eu_birtch1_m1 "
    "eu_birtch2_m1 eu_birtch3_m1 eu_pine1_m1 eu_pine2_m1 eu_pine3_m1 eu_pine4_m1 eu_pine5_m1 "
    "eu_pine6_m1 eu_pine7_m1 eu_spruce1_m1 eu_spruce2_m1 eu_spruce3_m1 eu_spruce4_m1 "
    "eu_spruce_large_m1 jungle_plant1_m1 jungle_plant2_m1 jungle_plant3_m1 jungle_plant3b_m1 "
    "jungle_plant3c_m1 jungle_plant3d_m1 jungle_plant4_m1 jungle_plant4b_m1 jungle_plant5_m1 "
    "jungle_plant6_m1 jungle_plant7_m1 jungle_plant8_m1 pacific_palm_1_m1 pacific_palm_2_m1 "
    "pacific_palm_3_m1 pacific_palm_4_m1 pacific_palm_a_m1 pacific_palm_c_m1 "
    "pacific_palm_d_m1 pacific_palm_large_1_m1 pacific_palm_large_2_m1 pacific_palm_large_m1 "
    "palmhigh_m1 palmshort_m1";

TEST(TreeNames, AllFiftyFiveNamesAreTreesInAnyLetterCase) {
  std::istringstream names(kTreeNames);
  int count = 0;
  for (std::string name; names >> name; ++count) {
    std::string upper = name, mixed = name;
    for (size_t i = 0; i < upper.size(); ++i) {
      if (upper[i] >= 'a' && upper[i] <= 'z')
        upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
      if (i % 2 == 0)
        mixed[i] = upper[i];
    }
    EXPECT_TRUE(IsTreeMesh(name)) << name;
    EXPECT_TRUE(IsTreeMesh(upper)) << upper;
    EXPECT_TRUE(IsTreeMesh(mixed)) << mixed;
  }
  EXPECT_EQ(count, 55);
}

TEST(TreeNames, NearMissesAreNoTrees) {
  for (const std::string& name :
       std::vector<std::string>{"", std::string("eu_pine1_m1\0", 12), "eu_pine1", "eu_pine1_m",
                                "eu_pine1_m1.sm", " eu_pine1_m1", "eu_pine1_m1 ", "eu_pine1_m1\t",
                                "eu_pine8_m1", "eu_pine1_m2", "afri_tree10_m1", "pacific_palm_b_m1",
                                "palm_m1", "eu-pine1-m1", "xeu_pine1_m1", "house_m1"})
    EXPECT_FALSE(IsTreeMesh(name)) << "'" << name << "'";
}

struct StampCase {
  const char* What;
  Stamp Footprint;
  double X, Z;
  CellSet Expected;
};

CellSet OneCell(int64_t row, int64_t column) {
  return {{row, column}};
}

// The cells of rows r0 to r1 by columns c0 to c1, and the extra ones.
CellSet Rect(int64_t r0, int64_t r1, int64_t c0, int64_t c1, CellSet extra = {}) {
  for (int64_t r = r0; r <= r1; ++r)
    for (int64_t c = c0; c <= c1; ++c)
      extra.insert({r, c});
  return extra;
}

TEST(TreeFootprints, BlockTheDesignedCells) {
  const Stamp infantry = StampTreeInfantry, tank = StampTreeTank, car = StampTreeCar;
  const std::vector<StampCase> cases = {
      {"an infantry tree in mid-cell blocks its cell alone", infantry, 10.5, 20.5, OneCell(20, 10)},
      {"an infantry tree near a corner reaches over", infantry, 10.1, 20.9, Rect(20, 21, 9, 10)},
      {"an infantry tree on a cell edge reaches left", infantry, 10.0, 20.5, Rect(20, 20, 9, 10)},
      {"an infantry tree at x .25, z .75 reaches over", infantry, 10.25, 20.75,
       Rect(20, 21, 9, 10)},
      {"an infantry tree at x .75 reaches right", infantry, 10.75, 20.5, Rect(20, 20, 10, 11)},
      {"an infantry tree at x -0.5 keeps column 0", infantry, -0.5, 5.5, OneCell(5, 0)},
      {"an infantry tree at x -1 lies outside", infantry, -1.0, 5.5, CellSet{}},
      {"a tank tree at the corner blocks 11 cells", tank, 0.5, 0.5,
       Rect(0, 2, 0, 2, {{0, 3}, {3, 0}})},
      {"a car tree near the corner blocks 27 cells", car, 1.5, 1.5,
       Rect(0, 4, 0, 4, {{1, 5}, {5, 1}})},
      {"a tank tree in the open blocks its whole shape", tank, 10.2, 10.9,
       PlainShapeCells(10, 10, kTankShape)},
      {"a car tree in the open blocks its whole shape", car, 10.9, 10.2,
       PlainShapeCells(10, 10, kCarShape)},
      {"a tank tree at x -0.5 is centred in column 0", tank, -0.5, 20.5,
       PlainShapeCells(20, 0, kTankShape)},
      {"a tank tree at x -1 is centred in column -1", tank, -1.0, 20.5,
       PlainShapeCells(20, -1, kTankShape)}};
  for (const StampCase& c : cases) {
    TPathmap map;
    map.SetSize(64);
    c.Footprint(map, c.X, c.Z);
    EXPECT_EQ(BlockedCells(map), c.Expected) << c.What;
  }
  EXPECT_EQ(PlainShapeCells(10, 10, kTankShape).size(), 29u);
  EXPECT_EQ(PlainShapeCells(10, 10, kCarShape).size(), 53u);
}

TEST(TreeFootprints, BlockExactlyThePlainCellByCellShapesAtRandomPositions) {
  // The per-cell rule of the infantry tree.
  const auto plainInfantry = [](TPathmap& map, double x, double z) {
    const auto r0 = static_cast<int64_t>(z), c0 = static_cast<int64_t>(x);
    const double fz = z - static_cast<double>(r0), fx = x - static_cast<double>(c0);
    for (int64_t r = fz <= 0.25 ? r0 - 1 : r0; r <= (fz >= 0.75 ? r0 + 1 : r0); ++r)
      for (int64_t c = fx <= 0.25 ? c0 - 1 : c0; c <= (fx >= 0.75 ? c0 + 1 : c0); ++c)
        PlainBlock(map, r, c);
  };
  TPathmap stamped, plain;
  stamped.SetSize(128);
  plain.SetSize(128);
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<int> quarter(-40, 4 * 136);
  std::uniform_real_distribution<double> anywhere(-10.0, 138.0);
  for (int i = 0; i < 30000; ++i) {
    // Exact quarters now and then, to land on the thresholds.
    const double x = i % 2 ? quarter(rng) / 4.0 : anywhere(rng);
    const double z = i % 3 ? quarter(rng) / 4.0 : anywhere(rng);
    const auto row = static_cast<int64_t>(z), column = static_cast<int64_t>(x);
    for (int kind = 0; kind < 3; ++kind) {
      stamped.Clear();
      plain.Clear();
      (kind == 0 ? StampTreeInfantry : kind == 1 ? StampTreeTank : StampTreeCar)(stamped, x, z);
      if (kind == 0)
        plainInfantry(plain, x, z);
      else
        PlainShape(plain, row, column, kind == 1 ? kTankShape : kCarShape);
      ASSERT_TRUE(SameWords(stamped, plain)) << "kind " << kind << " at x " << x << ", z " << z;
    }
  }
}

TEST(TreeFootprints, RefuseNaNAndPositionsBeyondTwoToTheSixtySecond) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double limit = std::ldexp(1.0, 62);
  TPathmap map, unsized;
  map.SetSize(64);
  for (Stamp stamp : {StampTreeInfantry, StampTreeTank, StampTreeCar}) {
    EXPECT_EQ(MessageOf([&] { stamp(map, nan, 5.0); }), kInvalidFloatOp);
    EXPECT_EQ(MessageOf([&] { stamp(map, 5.0, nan); }), kInvalidFloatOp);
    for (double big : {inf, -inf, limit, -limit, 1e300}) {
      EXPECT_EQ(MessageOf([&] { stamp(map, big, 5.0); }), kFloatOverflow);
      EXPECT_EQ(MessageOf([&] { stamp(map, 5.0, big); }), kFloatOverflow);
    }
    // Just inside the limit: accepted, and far outside the grid.
    stamp(map, std::nextafter(limit, 0.0), -std::nextafter(limit, 0.0));
    // The position is checked before the map.
    EXPECT_EQ(MessageOf([&] { stamp(unsized, nan, 5.0); }), kInvalidFloatOp);
  }
  EXPECT_TRUE(BlockedCells(map).empty());
}

TEST(Brushes, TakeXAsTheColumnAndKeepThePartInsideTheGrid) {
  TPathmap map;
  map.SetSize(64);
  TPathmap* target = &map;
  EXPECT_TRUE(BrushInfantry(7, 3, &target));
  EXPECT_EQ(BlockedCells(map), (CellSet{{3, 7}}));
  map.Clear();
  EXPECT_TRUE(BrushTank(-1, 10, &target));
  EXPECT_EQ(BlockedCells(map), Rect(8, 12, 0, 1, {{10, 2}}));
}

TEST(Brushes, DrawIntoTheMapTheContextVariableHolds) {
  TPathmap first, second;
  first.SetSize(64);
  second.SetSize(64);
  TPathmap* target = &first;
  EXPECT_TRUE(BrushCar(5, 5, &target));
  target = &second;
  EXPECT_TRUE(BrushTank(40, 41, &target));
  EXPECT_EQ(BlockedCells(first), PlainShapeCells(5, 5, kCarShape));
  EXPECT_EQ(BlockedCells(second), PlainShapeCells(41, 40, kTankShape));
}

TEST(Brushes, BlockExactlyThePlainCellByCellShapeAtEveryCentreAroundTheGrid) {
  // Three words per row, so shapes also straddle the word borders at columns 63/64, 127/128.
  TPathmap masked, plain;
  masked.SetSize(192);
  plain.SetSize(192);
  TPathmap *maskedTarget = &masked, *plainTarget = &plain;
  for (const BrushPair& b : kBrushPairs)
    for (int64_t y = -7; y <= 198; ++y)
      for (int64_t x = -7; x <= 198; ++x) {
        masked.Clear();
        plain.Clear();
        EXPECT_TRUE(b.Brush(x, y, &maskedTarget));
        b.Plain(x, y, &plainTarget);
        ASSERT_TRUE(SameWords(masked, plain)) << b.Name << " at x " << x << ", y " << y;
      }
}

TEST(Brushes, FarOutsideTheGridBlockNothing) {
  TPathmap map;
  map.SetSize(64);
  TPathmap* target = &map;
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  // 2^32 + 5 would land on column 5 if it were cut to 32 bits.
  for (const BrushPair& b : kBrushPairs)
    for (int64_t v : {kMin, -(int64_t{1} << 40), int64_t{-5}, int64_t{68}, (int64_t{1} << 32) + 5,
                      (int64_t{1} << 32) - 1, kMax}) {
      b.Brush(v, 5, &target);
      b.Brush(5, v, &target);
      b.Brush(v, v, &target);
    }
  EXPECT_TRUE(BlockedCells(map).empty());
}

TEST(Footprints, OnAnUnsizedMapRaiseNotInitialisedWhereverTheyAre) {
  TPathmap map;
  TPathmap* target = &map;
  const std::string message = "Pathmap not initialised";
  for (Stamp stamp : {StampTreeInfantry, StampTreeTank, StampTreeCar})
    for (double x : {5.5, -100.0})
      EXPECT_EQ(MessageOf([&] { stamp(map, x, 5.5); }), message);
  for (const BrushPair& b : kBrushPairs)
    for (int64_t x : {int64_t{5}, int64_t{-100}})
      EXPECT_EQ(MessageOf([&] { b.Brush(x, 5, &target); }), message);
}

} // namespace
