// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnel {

TCellMask::TCellMask(uint32_t size) : FSize(size), WordsPerRow(size / 64 + 2) {
  if (size == 0)
    return;
  const size_t rows = static_cast<size_t>(size) + 2 * kMaxBrushReach;
  Words.reset(static_cast<uint64_t*>(std::calloc(rows, WordsPerRow * sizeof(uint64_t))));
  if (!Words)
    throw Exception(kOutOfMemory);
}

void TCellMask::Mark(int64_t row, int64_t column) {
  const int64_t size = FSize;
  if (size == 0 || row < -kMaxBrushReach || column < -kMaxBrushReach ||
      row >= size + kMaxBrushReach || column >= size + kMaxBrushReach)
    return;
  const auto c = static_cast<uint64_t>(column + 64);
  Words[static_cast<size_t>(row + kMaxBrushReach) * WordsPerRow + (c >> 6)] |= uint64_t{1}
                                                                               << (c & 63);
}

bool TCellMask::MarkVisitor(int64_t x, int64_t y, void* context) {
  static_cast<TCellMask*>(context)->Mark(y, x);
  return true;
}

void MarkTreeCentre(TCellMask& mask, double x, double z) {
  const int64_t row = TruncCell(z);
  mask.Mark(row, TruncCell(x));
}

namespace {

// Column 64j + t is bit t of word j, so a left shift moves every cell east (to a higher
// column). FromWest(x, j, s) is word j of row x with every
// cell replaced by the cell s columns west of it (lower columns), its top bits carried in from
// word j - 1; FromEast likewise from s columns east, carried in from word j + 1.
// 0 < s < 64, and j has a neighbour on either side.
inline uint64_t FromWest(const uint64_t* x, size_t j, int s) {
  return (x[j] << s) | (x[j - 1] >> (64 - s));
}
inline uint64_t FromEast(const uint64_t* x, size_t j, int s) {
  return (x[j] >> s) | (x[j + 1] << (64 - s));
}

} // namespace

// The shape is the union, over its rows, of the marked cells d rows away widened by the half
// width w(d) of that row. With V_e the union of the rows within e of the centre, and the half
// widths not growing with |d|, that is the union of V_e widened by w(e), taken only at the e
// where w changes (and at the last row): e.g. for the tank, V_0 by 3, V_2 by 2 and V_3 by 0.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  assert(mask.Size() == map.Size());
  const int reach = shape.Reach;
  const uint32_t size = map.Size();
  const size_t width = mask.RowWords();
  std::vector<uint64_t> rows(width), widened(width);
  for (uint32_t r = 0; r < size; ++r) {
    const uint64_t* centre = mask.Row(r);
    rows.assign(centre, centre + width);
    std::fill(widened.begin(), widened.end(), 0);
    for (int e = 0; e <= reach; ++e) {
      if (e > 0) {
        const uint64_t* south = mask.Row(int64_t{r} - e);
        const uint64_t* north = mask.Row(int64_t{r} + e);
        for (size_t j = 0; j < width; ++j)
          rows[j] |= south[j] | north[j];
      }
      const int half = shape.HalfWidth[reach + e];
      if (e < reach && shape.HalfWidth[reach + e + 1] == half)
        continue;
      assert(e == reach || shape.HalfWidth[reach + e + 1] < half);
      for (size_t j = 1; j + 1 < width; ++j) {
        uint64_t v = rows[j];
        for (int s = 1; s <= half; ++s)
          v |= FromWest(rows.data(), j, s) | FromEast(rows.data(), j, s);
        widened[j] |= v;
      }
    }
    uint64_t* out = map.Row(r); // word j of the mask is word j - 1 of the map
    for (size_t j = 1; j + 1 < width; ++j)
      out[j - 1] |= widened[j];
  }
}

} // namespace quarnel
