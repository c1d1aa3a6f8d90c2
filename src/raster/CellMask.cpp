// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace quarnel {

TCellMask::TCellMask(uint32_t size)
    : FSize(size), Extent(size == 0 ? 0 : uint64_t{size} + 2 * kMaxBrushReach) {
  assert(size % 64 == 0 && size < (uint32_t{1} << 28));
  if (size != 0)
    Cells.SetSize(size + 128);
}

void TCellMask::MarkWords(int64_t firstRow, int64_t first, const uint64_t* words, size_t stride,
                          int64_t rows) {
  assert(first % 64 == 0);
  if (FSize == 0)
    return;
  // Keep columns -kMaxBrushReach to Size + kMaxBrushReach - 1 (bit t is column first + t) and
  // the rows of the same range.
  uint64_t keep = ~uint64_t{0};
  const int64_t lo = -kMaxBrushReach - first, hi = int64_t{FSize} + kMaxBrushReach - 1 - first;
  if (lo > 0)
    keep = lo >= 64 ? 0 : keep & (~uint64_t{0} << lo);
  if (hi < 63)
    keep = hi < 0 ? 0 : keep & (~uint64_t{0} >> (63 - hi));
  const int64_t rowLo = std::max(firstRow, int64_t{-kMaxBrushReach});
  const int64_t rowHi = std::min(firstRow + rows - 1, int64_t{FSize} + kMaxBrushReach - 1);
  if (keep == 0)
    return;
  const auto j = static_cast<int32_t>((first + 64) >> 6); // the tile column in Cells
  uint64_t* tile = nullptr;
  int64_t tileRow = -1;
  for (int64_t row = rowLo; row <= rowHi; ++row) {
    const uint64_t bits = words[static_cast<size_t>(row - firstRow) * stride] & keep;
    if (bits == 0)
      continue;
    const int64_t r = row + 64; // in Cells
    if ((r >> 6) != tileRow) {  // a tile's words are looked up once per 64 rows
      tileRow = r >> 6;
      tile = Cells.WritableSegment(static_cast<int32_t>(tileRow), j);
    }
    tile[r & 63] |= bits;
  }
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

// The cells that a shape centred on the marks of one tile covers: rows -kMaxBrushReach to
// 63 + kMaxBrushReach of the tile, each as three words, those of the tile and of its
// neighbours to the west and to the east. Widening distributes over the union of marks, so
// the map takes the union of these spills of every marked tile.
struct TSpill {
  static constexpr int kRows = 64 + 2 * kMaxBrushReach;
  uint64_t West[kRows], Middle[kRows], East[kRows]; // row k at k + kMaxBrushReach
  int First = 0, Last = -1;                         // the rows that may hold a cell

  void Widen(const uint64_t* tile, const TShape& shape);
  // Adds rows first to last of v (row k at v[k]) widened by Half columns either way.
  template <int Half> void Spread(const uint64_t* v, int first, int last) {
    for (int k = first; k <= last; ++k) {
      const uint64_t x = v[k];
      uint64_t middle = x, west = 0, east = 0;
      for (int s = 1; s <= Half; ++s) {
        middle |= (x << s) | (x >> s);
        west |= x << (64 - s);
        east |= x >> (64 - s);
      }
      Middle[k + kMaxBrushReach] |= middle;
      West[k + kMaxBrushReach] |= west;
      East[k + kMaxBrushReach] |= east;
    }
  }
  // Blocks the spill in map, the tile being map segment (i, j), -1 to SegmentCount.
  void BlockInto(TPathmap& map, int64_t i, int64_t j) const;
};

// The shape is the union, over its rows, of the marked cells d rows away widened by the half
// width w(d) of that row. With V_e the union of the rows within e of the centre, and the half
// widths not growing with |d|, that is the union of V_e widened by w(e), taken only at the e
// where w changes (and at the last row): e.g. for the tank, V_0 by 3, V_2 by 2 and V_3 by 0.
//
// Column 64j + t is bit t of word j, so a left shift moves every cell east (to a higher
// column). A cell s columns east of bit t of a tile's word v is bit t + s of v << s, or, when
// t + s >= 64, bit t + s - 64 of the east word: v >> (64 - s). Likewise westwards: v >> s in
// the tile, v << (64 - s) in the west word. 0 < s < 64.
void TSpill::Widen(const uint64_t* tile, const TShape& shape) {
  constexpr int pad = 2 * kMaxBrushReach; // rows of the tile from -pad to 63 + pad, 0 outside
  uint64_t rows[64 + 2 * pad] = {};
  int first = 64, last = -1;
  for (int k = 0; k < 64; ++k) {
    rows[k + pad] = tile[k];
    if (tile[k] != 0) {
      first = std::min(first, k);
      last = k;
    }
  }
  const int reach = shape.Reach;
  First = first - reach;
  Last = last + reach;
  const int o = kMaxBrushReach; // row k of the spill is at k + o
  for (int k = First; k <= Last; ++k)
    West[k + o] = Middle[k + o] = East[k + o] = 0;
  uint64_t v[kRows]; // V_e of row k at k + o
  for (int k = First; k <= Last; ++k)
    v[k + o] = rows[k + pad];
  for (int e = 0; e <= reach; ++e) {
    if (e > 0)
      for (int k = First; k <= Last; ++k)
        v[k + o] |= rows[k + pad - e] | rows[k + pad + e];
    const int half = shape.HalfWidth[reach + e];
    if (e < reach && shape.HalfWidth[reach + e + 1] == half)
      continue;
    assert(e == reach || shape.HalfWidth[reach + e + 1] < half);
    assert(half <= kMaxBrushReach);
    switch (half) { // a fixed half width lets the loop over rows run on whole vectors
    case 0:
      Spread<0>(v + o, First, Last);
      break;
    case 1:
      Spread<1>(v + o, First, Last);
      break;
    case 2:
      Spread<2>(v + o, First, Last);
      break;
    case 3:
      Spread<3>(v + o, First, Last);
      break;
    default:
      Spread<kMaxBrushReach>(v + o, First, Last);
    }
  }
}

void TSpill::BlockInto(TPathmap& map, int64_t i, int64_t j) const {
  const int64_t n = map.SegmentCount();
  const uint64_t* columns[3] = {West, Middle, East};
  for (int di = -1; di <= 1; ++di) {
    // Rows of the spill in segment i + di: those of the tile, or the reach below or above it.
    const int from = std::max(First, 64 * di), to = std::min(Last, 64 * di + 63);
    if (from > to || i + di < 0 || i + di >= n)
      continue;
    for (int dj = -1; dj <= 1; ++dj) {
      if (j + dj < 0 || j + dj >= n)
        continue;
      const uint64_t* words = columns[dj + 1] + kMaxBrushReach;
      uint64_t any = 0;
      for (int k = from; k <= to; ++k)
        any |= words[k];
      if (any == 0) // a segment that gains no blocked cell is not written
        continue;
      uint64_t* segment =
          map.WritableSegment(static_cast<int32_t>(i + di), static_cast<int32_t>(j + dj));
      for (int k = from; k <= to; ++k)
        segment[k - 64 * di] |= words[k];
    }
  }
}

} // namespace

// A marked cell reaches at most kMaxBrushReach < 64 cells, so the cells covered around the
// marks of a tile lie in the tile's map segment and its eight neighbours: each marked tile is
// widened on its own and its spill or-ed into those segments.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  assert(mask.Size() == map.Size());
  const int64_t tilesPerRow = int64_t{map.SegmentCount()} + 2;
  TSpill spill;
  for (size_t index : mask.MarkedTiles()) {
    const int64_t i = static_cast<int64_t>(index) / tilesPerRow - 1; // -1 to SegmentCount
    const int64_t j = static_cast<int64_t>(index) % tilesPerRow - 1;
    spill.Widen(mask.Tile(static_cast<int32_t>(i), static_cast<int32_t>(j)), shape);
    spill.BlockInto(map, i, j);
  }
}

} // namespace quarnel
