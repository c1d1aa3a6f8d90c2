// Tree names, tree footprints and line brushes, stamped into the grid a row at a time.
#include "raster/Footprints.h"

#include "raster/CellPoint.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_set>

namespace quarnel {

namespace {

const std::unordered_set<std::string_view>& TreeMeshNames() {
  static const std::unordered_set<std::string_view> names = {"jungle_tree11_m1",
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
  return names;
}

// Blocks columns first..last of one row with word masks; the span is narrower than 64 cells, so
// it touches one word or two. Cells outside the grid are dropped, as Block drops them; the map
// must be initialised.
void BlockSpan(TPathmap& map, int64_t row, int64_t first, int64_t last) {
  const int64_t size = map.Size();
  if (row < 0 || row >= size)
    return;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, size - 1);
  if (first > last)
    return;
  const auto words = map.Row(static_cast<uint32_t>(row));
  const int64_t firstWord = first >> 6;
  const int64_t lastWord = last >> 6;
  const uint64_t head = ~uint64_t{0} << (first & 63);
  const uint64_t tail = ~uint64_t{0} >> (63 - (last & 63));
  if (firstWord == lastWord) {
    words[firstWord] |= head & tail;
  } else {
    words[firstWord] |= head;
    words[lastWord] |= tail;
  }
}

// The cells of row i (offset i - Reach) of a shape as a mask whose bit 0 is column offset
// -Reach.
uint64_t RowMask(const TShape& shape, int i) {
  const int half = shape.HalfWidth[i];
  return ((uint64_t{2} << (2 * half)) - 1) << (shape.Reach - half);
}

// Brushes run once per cell of every outline, so a shape wholly inside the grid (the usual
// case) is or-ed in as one shifted mask per row, spread over at most two words.
void StampShape(TPathmap& map, int64_t row, int64_t column, const TShape& shape) {
  const int64_t reach = shape.Reach;
  const int rows = 2 * shape.Reach + 1;
  const int64_t size = map.Size();
  if (size == 0)
    map.CheckInitialised();
  if (row >= reach && column >= reach && row < size - reach && column < size - reach) {
    const int64_t left = column - reach;
    const unsigned shift = static_cast<unsigned>(left & 63);
    const auto j = static_cast<int32_t>(left >> 6);
    // The rows lie in one segment row or two, south and south + 1 (rows grow north); the shape
    // spills into the next word when its widest row (2 × reach + 1 cells) does, and then that
    // word lies inside the grid.
    const int64_t south = (row - reach) >> 6;
    const int spans = ((row + reach) >> 6) == south ? 1 : 2;
    const bool spills = shift + 2 * reach >= 64;
    uint64_t* here[2] = {};
    uint64_t* east[2] = {};
    for (int k = 0; k < spans; ++k) {
      here[k] = map.WritableSegment(static_cast<int32_t>(south + k), j);
      if (spills)
        east[k] = map.WritableSegment(static_cast<int32_t>(south + k), j + 1);
    }
    for (int i = 0; i < rows; ++i) {
      const int64_t r = row - reach + i;
      const auto k = static_cast<size_t>((r >> 6) - south);
      const uint64_t mask = RowMask(shape, i);
      here[k][r & 63] |= mask << shift;
      if (spills) // then shift > 0
        east[k][r & 63] |= mask >> (64 - shift);
    }
    return;
  }
  // A centre farther out than the reach blocks nothing; this also keeps the sums below in range.
  if (row < -reach || column < -reach || row >= size + reach || column >= size + reach)
    return;
  for (int i = 0; i < rows; ++i)
    BlockSpan(map, row - reach + i, column - shape.HalfWidth[i], column + shape.HalfWidth[i]);
}

TPathmap& MapOf(void* context) {
  return **static_cast<TPathmap**>(context);
}

} // namespace

bool IsTreeMesh(std::string_view name) {
  char lowered[32]; // longer than any tree's name
  if (name.size() > sizeof lowered)
    return false;
  for (size_t i = 0; i < name.size(); ++i)
    lowered[i] = LowerAscii(name[i]);
  return TreeMeshNames().count(std::string_view(lowered, name.size())) != 0;
}

TCellBlock InfantryTreeCells(double x, double z) {
  const int64_t r0 = TruncCell(z);
  const int64_t c0 = TruncCell(x);
  const double fz = z - static_cast<double>(r0);
  const double fx = x - static_cast<double>(c0);
  return {fz <= kTreeLowFraction ? r0 - 1 : r0, fz >= kTreeHighFraction ? r0 + 1 : r0,
          fx <= kTreeLowFraction ? c0 - 1 : c0, fx >= kTreeHighFraction ? c0 + 1 : c0};
}

bool TreeCovers(MapClass mapClass, double x, double z, int64_t row, int64_t column) {
  if (mapClass == MapClass::Infantry) {
    const TCellBlock cells = InfantryTreeCells(x, z);
    return row >= cells.RowFirst && row <= cells.RowLast && column >= cells.ColumnFirst &&
           column <= cells.ColumnLast;
  }
  const int64_t r0 = TruncCell(z);
  return ShapeCovers(ShapeOf(mapClass), row - r0, column - TruncCell(x));
}

void StampTreeInfantry(TPathmap& map, double x, double z) {
  const TCellBlock cells = InfantryTreeCells(x, z);
  map.CheckInitialised();
  for (int64_t r = cells.RowFirst; r <= cells.RowLast; ++r)
    BlockSpan(map, r, cells.ColumnFirst, cells.ColumnLast);
}

void StampTreeTank(TPathmap& map, double x, double z) {
  const int64_t r0 = TruncCell(z);
  const int64_t c0 = TruncCell(x);
  StampShape(map, r0, c0, kTankShape);
}

void StampTreeCar(TPathmap& map, double x, double z) {
  const int64_t r0 = TruncCell(z);
  const int64_t c0 = TruncCell(x);
  StampShape(map, r0, c0, kCarShape);
}

bool BrushInfantry(int64_t x, int64_t y, void* context) {
  TPathmap& map = MapOf(context);
  map.CheckInitialised();
  const int64_t size = map.Size();
  if (x >= 0 && y >= 0 && x < size && y < size)
    map.Block(static_cast<uint32_t>(y), static_cast<uint32_t>(x));
  return true;
}

bool BrushTank(int64_t x, int64_t y, void* context) {
  StampShape(MapOf(context), y, x, kTankShape);
  return true;
}

bool BrushCar(int64_t x, int64_t y, void* context) {
  StampShape(MapOf(context), y, x, kCarShape);
  return true;
}

} // namespace quarnel
