// Widening marked cells into a map, against the brushes applied cell by cell.
#include "common/UTypes.h"
#include "raster/Bresham.h"
#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "support/PathmapUtil.h"

#include <gtest/gtest.h>

#include <random>

using namespace quarnel;
using testutil::SameCells;

namespace {

struct BrushCase {
  const TShape* Shape;
  CellVisitor Brush;
};

class WidenIntoMatchesBrush : public testing::TestWithParam<BrushCase> {};

TEST_P(WidenIntoMatchesBrush, OnRandomCellsInAndAroundTheGrid) {
  std::mt19937_64 rng(GetParam().Shape->Reach + 7);
  for (uint32_t size : {64u, 128u, 192u}) {
    // Centres from 6 cells outside the grid to 6 beyond it: the margin and past it.
    std::uniform_int_distribution<int64_t> coordinate(-6, size + 5);
    TCellMask mask(size);
    TPathmap widened, brushed;
    widened.SetSize(size);
    brushed.SetSize(size);
    TPathmap* target = &brushed;
    for (int i = 0; i < 300; ++i) {
      const int64_t row = coordinate(rng), column = coordinate(rng);
      mask.Mark(row, column);
      GetParam().Brush(column, row, &target);
    }
    WidenInto(mask, *GetParam().Shape, widened);
    EXPECT_TRUE(SameCells(widened, brushed)) << "size " << size;
  }
}

TEST_P(WidenIntoMatchesBrush, AtEveryCellAlongTheEdgesAndWordBorders) {
  const uint32_t size = 192;
  std::vector<int64_t> places = {-5, -4,  -3,  -1,  0,   1,   3,   4,   62,  63,  64,
                                 65, 127, 128, 187, 188, 190, 191, 192, 194, 195, 196};
  for (int64_t row : places)
    for (int64_t column : places) {
      TCellMask mask(size);
      TPathmap widened, brushed;
      widened.SetSize(size);
      brushed.SetSize(size);
      TPathmap* target = &brushed;
      mask.Mark(row, column);
      GetParam().Brush(column, row, &target);
      WidenInto(mask, *GetParam().Shape, widened);
      ASSERT_TRUE(SameCells(widened, brushed)) << "centre (" << row << ", " << column << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Classes, WidenIntoMatchesBrush,
                         testing::Values(BrushCase{&kInfantryShape, BrushInfantry},
                                         BrushCase{&kTankShape, BrushTank},
                                         BrushCase{&kCarShape, BrushCar}),
                         [](const auto& info) {
                           return "Reach" + std::to_string(info.param.Shape->Reach);
                         });

TEST(TreeCentre, IsMarkedWhereTheTreeFootprintsCentreTheirShape) {
  // Positions between -1 and 0 truncate to cell 0, as tree footprints do.
  for (auto [x, z] : std::vector<std::pair<double, double>>{
           {10.9, 20.1}, {-0.5, 5.5}, {0.5, -0.9}, {-3.5, 70.2}, {63.99, 64.0}}) {
    TCellMask mask(128);
    TPathmap widened, stamped;
    widened.SetSize(128);
    stamped.SetSize(128);
    MarkTreeCentre(mask, x, z);
    WidenInto(mask, kCarShape, widened);
    StampTreeCar(stamped, x, z);
    EXPECT_TRUE(SameCells(widened, stamped)) << x << ", " << z;
  }
}

TEST(TreeCentre, RefusesAPositionThatIsNotANumber) {
  TCellMask mask(64);
  EXPECT_THROW(MarkTreeCentre(mask, std::nan(""), 1), Exception);
}

TEST(CellMask, OfSizeZeroMarksNothingAndWidensNothing) {
  TCellMask mask(0);
  mask.Mark(0, 0);
  TPathmap map;
  WidenInto(mask, kCarShape, map);
  EXPECT_EQ(map.Size(), 0u);
}

} // namespace
