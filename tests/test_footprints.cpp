// Tree names, tree footprints and line brushes: cells blocked, edges, refusals.
#include "raster/Footprints.h"

#include "common/UTypes.h"
#include "support/PathmapUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
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

void ExpectFailure(const std::function<void()>& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "expected \"" << message << "\"";
  } catch (const Exception& e) {
    EXPECT_EQ(e.what(), message);
  }
}

// The shapes as drawn, centre O; every X and O is blocked.
const std::vector<std::string> kTankPicture = {
    "...X...", //
    ".XXXXX.", //
    ".XXXXX.", //
    "XXXOXXX", //
    ".XXXXX.", //
    ".XXXXX.", //
    "...X...", //
};
const std::vector<std::string> kCarPicture = {
    "....X....", //
    ".XXXXXXX.", //
    ".XXXXXXX.", //
    ".XXXXXXX.", //
    "XXXXOXXXX", //
    ".XXXXXXX.", //
    ".XXXXXXX.", //
    ".XXXXXXX.", //
    "....X....", //
};

// Hands one cell to Block when it is representable as Block's unsigned coordinates at all.
void PlainBlock(TPathmap& map, int64_t row, int64_t column) {
  map.CheckInitialised();
  constexpr int64_t limit = std::numeric_limits<uint32_t>::max();
  if (row >= 0 && column >= 0 && row <= limit && column <= limit)
    map.Block(static_cast<uint32_t>(row), static_cast<uint32_t>(column));
}

// The reference brush: the picture's cells one by one through Block.
void PlainStamp(TPathmap& map, int64_t row, int64_t column, const std::vector<std::string>& shape) {
  const auto reach = static_cast<int64_t>(shape.size() / 2);
  for (size_t i = 0; i < shape.size(); ++i)
    for (size_t j = 0; j < shape[i].size(); ++j)
      if (shape[i][j] != '.')
        PlainBlock(map, row - reach + static_cast<int64_t>(i),
                   column - reach + static_cast<int64_t>(j));
}

CellSet ShapeAt(int64_t row, int64_t column, const std::vector<std::string>& shape) {
  TPathmap map;
  map.SetSize(128);
  PlainStamp(map, row, column, shape);
  return BlockedCells(map);
}

const char* const kTreeNames[] = {"jungle_tree11_m1",
                                  "jungle_tree11b_m1",
                                  "jungle_tree10_m1",
                                  "afri_tree1_m1",
                                  "afri_tree2_m1",
                                  "afri_tree3_m1",
                                  "afri_tree4_m1",
                                  "afri_tree5_m1",
                                  "afri_tree6_m1",
                                  "afri_tree7_m1",
                                  "afri_tree8_m1",
                                  "afri_tree9_m1",
                                  "djungle_monstrea_m1",
                                  "eu_asp1_m1",
                                  "eu_asp2_m1",
                                  "eu_asp3_m1",
                                  "eu_birtch1_m1",
                                  "eu_birtch2_m1",
                                  "eu_birtch3_m1",
                                  "eu_pine1_m1",
                                  "eu_pine2_m1",
                                  "eu_pine3_m1",
                                  "eu_pine4_m1",
                                  "eu_pine5_m1",
                                  "eu_pine6_m1",
                                  "eu_pine7_m1",
                                  "eu_spruce1_m1",
                                  "eu_spruce2_m1",
                                  "eu_spruce3_m1",
                                  "eu_spruce4_m1",
                                  "eu_spruce_large_m1",
                                  "jungle_plant1_m1",
                                  "jungle_plant2_m1",
                                  "jungle_plant3_m1",
                                  "jungle_plant3b_m1",
                                  "jungle_plant3c_m1",
                                  "jungle_plant3d_m1",
                                  "jungle_plant4_m1",
                                  "jungle_plant4b_m1",
                                  "jungle_plant5_m1",
                                  "jungle_plant6_m1",
                                  "jungle_plant7_m1",
                                  "jungle_plant8_m1",
                                  "pacific_palm_1_m1",
                                  "pacific_palm_2_m1",
                                  "pacific_palm_3_m1",
                                  "pacific_palm_4_m1",
                                  "pacific_palm_a_m1",
                                  "pacific_palm_c_m1",
                                  "pacific_palm_d_m1",
                                  "pacific_palm_large_1_m1",
                                  "pacific_palm_large_2_m1",
                                  "pacific_palm_large_m1",
                                  "palmhigh_m1",
                                  "palmshort_m1"};

TEST(TreeNames, AllFiftyFiveNamesAreTreesInAnyLetterCase) {
  ASSERT_EQ(std::size(kTreeNames), 55u);
  for (const char* name : kTreeNames) {
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
}

TEST(TreeNames, NearMissesAreNoTrees) {
  const std::vector<std::string> misses = {
      "",
      "eu_pine1",
      "eu_pine1_m",
      "eu_pine1_m1.sm",
      " eu_pine1_m1",
      "eu_pine1_m1 ",
      "eu_pine1_m1\t",
      "eu_pine8_m1",
      "eu_pine1_m2",
      "afri_tree10_m1",
      "pacific_palm_b_m1",
      "palm_m1",
      std::string("eu_pine1_m1\0", 12),
      "eu-pine1-m1",
      "xeu_pine1_m1",
      "house_m1",
  };
  for (const std::string& name : misses)
    EXPECT_FALSE(IsTreeMesh(name)) << "'" << name << "'";
}

struct InfantryCase {
  double X, Z;
  CellSet Expected;
};

void PrintTo(const InfantryCase& c, std::ostream* out) {
  *out << "x " << c.X << ", z " << c.Z;
}

class InfantryTree : public testing::TestWithParam<InfantryCase> {};

TEST_P(InfantryTree, BlocksTheCellsChosenByTheFractions) {
  TPathmap map;
  map.SetSize(64);
  StampTreeInfantry(map, GetParam().X, GetParam().Z);
  EXPECT_EQ(BlockedCells(map), GetParam().Expected)
      << "x " << GetParam().X << ", z " << GetParam().Z;
}

INSTANTIATE_TEST_SUITE_P(
    Positions, InfantryTree,
    testing::Values(InfantryCase{10.5, 20.5, {{20, 10}}},
                    InfantryCase{10.1, 20.9, {{20, 9}, {20, 10}, {21, 9}, {21, 10}}},
                    InfantryCase{10.0, 20.5, {{20, 9}, {20, 10}}},
                    InfantryCase{10.25, 20.75, {{20, 9}, {20, 10}, {21, 9}, {21, 10}}},
                    InfantryCase{10.75, 20.5, {{20, 10}, {20, 11}}},
                    InfantryCase{10.5, 20.25, {{19, 10}, {20, 10}}},
                    InfantryCase{10.26, 20.74, {{20, 10}}}, InfantryCase{10.74, 20.26, {{20, 10}}},
                    InfantryCase{-0.5, 5.5, {{5, 0}}}, InfantryCase{-1.0, 5.5, {}},
                    InfantryCase{5.5, -0.9, {{0, 5}}}, InfantryCase{5.5, -1.5, {}},
                    InfantryCase{63.9, 0.1, {{0, 63}}}, InfantryCase{63.5, 63.8, {{63, 63}}},
                    InfantryCase{64.1, 10.5, {{10, 63}}}, InfantryCase{0.0, 0.0, {{0, 0}}}));

TEST(TankTree, AtTheGridCornerBlocksElevenCells) {
  TPathmap map;
  map.SetSize(64);
  StampTreeTank(map, 0.5, 0.5);
  const CellSet expected = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2},
                            {2, 0}, {2, 1}, {2, 2}, {0, 3}, {3, 0}};
  EXPECT_EQ(BlockedCells(map), expected);
}

TEST(CarTree, NearTheGridCornerBlocksTwentySevenCells) {
  TPathmap map;
  map.SetSize(64);
  StampTreeCar(map, 1.5, 1.5);
  CellSet expected = {{1, 5}, {5, 1}};
  for (int64_t r = 0; r <= 4; ++r)
    for (int64_t c = 0; c <= 4; ++c)
      expected.insert({r, c});
  EXPECT_EQ(BlockedCells(map), expected);
  EXPECT_EQ(expected.size(), 27u);
}

TEST(TreeFootprints, InTheOpenBlockTheWholeShapes) {
  TPathmap map;
  map.SetSize(64);
  StampTreeTank(map, 10.2, 10.9);
  EXPECT_EQ(BlockedCells(map).size(), 29u);
  EXPECT_EQ(BlockedCells(map), ShapeAt(10, 10, kTankPicture));
  map.Clear();
  StampTreeCar(map, 10.9, 10.2);
  EXPECT_EQ(BlockedCells(map).size(), 53u);
  EXPECT_EQ(BlockedCells(map), ShapeAt(10, 10, kCarPicture));
}

TEST(TreeFootprints, TruncateNegativePositionsTowardZero) {
  TPathmap map;
  map.SetSize(64);
  StampTreeTank(map, -0.5, 20.5);
  EXPECT_EQ(BlockedCells(map), ShapeAt(20, 0, kTankPicture));
  map.Clear();
  StampTreeCar(map, 30.5, -0.7);
  EXPECT_EQ(BlockedCells(map), ShapeAt(0, 30, kCarPicture));
  map.Clear();
  StampTreeTank(map, -1.0, 20.5);
  EXPECT_EQ(BlockedCells(map), ShapeAt(20, -1, kTankPicture));
}

TEST(Brushes, TakeXAsTheColumnAndYAsTheRow) {
  TPathmap map;
  map.SetSize(64);
  TPathmap* target = &map;
  EXPECT_TRUE(BrushInfantry(7, 3, &target));
  EXPECT_EQ(BlockedCells(map), (CellSet{{3, 7}}));
  map.Clear();
  EXPECT_TRUE(BrushTank(20, 5, &target));
  EXPECT_EQ(BlockedCells(map), ShapeAt(5, 20, kTankPicture));
  map.Clear();
  EXPECT_TRUE(BrushCar(30, 12, &target));
  EXPECT_EQ(BlockedCells(map), ShapeAt(12, 30, kCarPicture));
}

TEST(Brushes, LeftOfTheGridBlockThePartInside) {
  TPathmap map;
  map.SetSize(64);
  TPathmap* target = &map;
  BrushTank(-1, 10, &target);
  const CellSet expected = {{10, 0}, {10, 1}, {9, 0},  {9, 1},  {11, 0}, {11, 1},
                            {8, 0},  {8, 1},  {12, 0}, {12, 1}, {10, 2}};
  EXPECT_EQ(BlockedCells(map), expected);
}

TEST(Brushes, DrawIntoTheMapTheContextVariableHolds) {
  TPathmap first, second;
  first.SetSize(64);
  second.SetSize(64);
  TPathmap* target = &first;
  BrushCar(5, 5, &target);
  target = &second;
  BrushInfantry(40, 41, &target);
  EXPECT_EQ(BlockedCells(first), ShapeAt(5, 5, kCarPicture));
  EXPECT_EQ(BlockedCells(second), (CellSet{{41, 40}}));
}

using BrushFn = bool (*)(int64_t, int64_t, void*);

struct BrushUnderTest {
  const char* Name;
  BrushFn Brush;
  std::vector<std::string> Shape;
};

const std::vector<BrushUnderTest>& AllBrushes() {
  static const std::vector<BrushUnderTest> brushes = {
      {"infantry", BrushInfantry, {"O"}},
      {"tank", BrushTank, kTankPicture},
      {"car", BrushCar, kCarPicture},
  };
  return brushes;
}

bool SameWords(const TPathmap& a, const TPathmap& b) {
  const size_t words = static_cast<size_t>(a.Size()) * static_cast<size_t>(a.SegmentCount());
  return std::equal(a.Row(0), a.Row(0) + words, b.Row(0));
}

TEST(Brushes, BlockExactlyThePlainCellByCellShapeAtEveryCentreAroundTheGrid) {
  // Three words per row, so shapes also straddle the word borders at columns 63/64, 127/128.
  TPathmap masked, plain;
  masked.SetSize(192);
  plain.SetSize(192);
  TPathmap* target = &masked;
  for (const BrushUnderTest& b : AllBrushes())
    for (int64_t y = -7; y <= 198; ++y)
      for (int64_t x = -7; x <= 198; ++x) {
        masked.Clear();
        plain.Clear();
        b.Brush(x, y, &target);
        PlainStamp(plain, y, x, b.Shape);
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
  const std::vector<int64_t> far = {
      kMin, -(int64_t{1} << 40), -5, 68, (int64_t{1} << 32) + 5, (int64_t{1} << 32) - 1, kMax};
  for (const BrushUnderTest& b : AllBrushes())
    for (int64_t v : far) {
      b.Brush(v, 5, &target);
      b.Brush(5, v, &target);
      b.Brush(v, v, &target);
    }
  EXPECT_TRUE(BlockedCells(map).empty());
}

// The per-cell rule of the infantry tree, as the reference for the row-at-a-time stamp.
void PlainInfantryTree(TPathmap& map, double x, double z) {
  const auto r0 = static_cast<int64_t>(z), c0 = static_cast<int64_t>(x);
  const double fz = z - static_cast<double>(r0), fx = x - static_cast<double>(c0);
  for (int64_t r = fz <= 0.25 ? r0 - 1 : r0; r <= (fz >= 0.75 ? r0 + 1 : r0); ++r)
    for (int64_t c = fx <= 0.25 ? c0 - 1 : c0; c <= (fx >= 0.75 ? c0 + 1 : c0); ++c)
      PlainBlock(map, r, c);
}

TEST(TreeFootprints, BlockExactlyThePlainCellByCellShapesAtRandomPositions) {
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
    stamped.Clear();
    plain.Clear();
    StampTreeInfantry(stamped, x, z);
    PlainInfantryTree(plain, x, z);
    ASSERT_TRUE(SameWords(stamped, plain)) << "infantry at x " << x << ", z " << z;
    stamped.Clear();
    plain.Clear();
    StampTreeTank(stamped, x, z);
    PlainStamp(plain, static_cast<int64_t>(z), static_cast<int64_t>(x), kTankPicture);
    ASSERT_TRUE(SameWords(stamped, plain)) << "tank at x " << x << ", z " << z;
    stamped.Clear();
    plain.Clear();
    StampTreeCar(stamped, x, z);
    PlainStamp(plain, static_cast<int64_t>(z), static_cast<int64_t>(x), kCarPicture);
    ASSERT_TRUE(SameWords(stamped, plain)) << "car at x " << x << ", z " << z;
  }
}

TEST(Footprints, OnAnUnsizedMapRaiseNotInitialisedWhereverTheyAre) {
  TPathmap map;
  TPathmap* target = &map;
  const std::string message = "Pathmap not initialised";
  for (double x : {5.5, -100.0}) {
    ExpectFailure([&] { StampTreeInfantry(map, x, 5.5); }, message);
    ExpectFailure([&] { StampTreeTank(map, x, 5.5); }, message);
    ExpectFailure([&] { StampTreeCar(map, x, 5.5); }, message);
  }
  for (const BrushUnderTest& b : AllBrushes())
    for (int64_t x : {int64_t{5}, int64_t{-100}})
      ExpectFailure([&] { b.Brush(x, 5, &target); }, message);
}

TEST(TreeFootprints, RefuseNaNAndPositionsBeyondTwoToTheSixtySecond) {
  using Stamp = void (*)(TPathmap&, double, double);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double limit = std::ldexp(1.0, 62);
  TPathmap map;
  map.SetSize(64);
  for (Stamp stamp : {static_cast<Stamp>(StampTreeInfantry), static_cast<Stamp>(StampTreeTank),
                      static_cast<Stamp>(StampTreeCar)}) {
    ExpectFailure([&] { stamp(map, nan, 5.0); }, kInvalidFloatOp);
    ExpectFailure([&] { stamp(map, 5.0, nan); }, kInvalidFloatOp);
    for (double big : {inf, -inf, limit, -limit, 1e300}) {
      ExpectFailure([&] { stamp(map, big, 5.0); }, kFloatOverflow);
      ExpectFailure([&] { stamp(map, 5.0, big); }, kFloatOverflow);
    }
    // Just inside the limit: accepted, and far outside the grid.
    stamp(map, std::nextafter(limit, 0.0), -std::nextafter(limit, 0.0));
    // The position is checked before the map.
    TPathmap unsized;
    ExpectFailure([&] { stamp(unsized, nan, 5.0); }, kInvalidFloatOp);
  }
  EXPECT_TRUE(BlockedCells(map).empty());
}

} // namespace
