// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <thread>
#include <vector>

namespace quarnel {

TCellMask::TCellMask(uint32_t size, bool shared)
    : FSize(size), Extent(size == 0 ? 0 : uint64_t{size} + 2 * kMaxBrushReach),
      TilesPerRow(size / 64 + 2), Shared(shared) {
  assert(size % 64 == 0 && size < (uint32_t{1} << 28));
  const uint64_t tiles = uint64_t{TilesPerRow} * TilesPerRow;
  if (tiles >= UINT32_MAX) // 1 + a place must fit a slot
    throw Exception(kOutOfMemory);
  // calloc hands out zeroed pages lazily: only the pages that tiles take are ever touched.
  Words.reset(static_cast<uint64_t*>(std::calloc(tiles, 64 * sizeof(uint64_t))));
  Slots.reset(static_cast<uint32_t*>(std::calloc(tiles, sizeof(uint32_t))));
  if (!Words || !Slots)
    throw Exception(kOutOfMemory);
}

// A tile's place is claimed before it is taken, so that threads that mark the same new tile at
// once agree on its place and no place is left unused.
uint64_t* TCellMask::WritableTile(size_t index) {
  constexpr uint32_t kClaimed = UINT32_MAX;
  std::atomic_ref<uint32_t> slot(Slots[index]);
  uint32_t place = slot.load(std::memory_order_acquire);
  if (place == 0 && slot.compare_exchange_strong(place, kClaimed, std::memory_order_acquire)) {
    place = Placed.fetch_add(1, std::memory_order_relaxed) + 1;
    slot.store(place, std::memory_order_release);
  }
  while (place == kClaimed) { // another thread is placing it
    std::this_thread::yield();
    place = slot.load(std::memory_order_acquire);
  }
  return Words.get() + 64 * size_t{place - 1};
}

std::vector<size_t> TCellMask::MarkedTiles() const {
  std::vector<size_t> tiles;
  tiles.reserve(Placed.load());
  for (size_t index = 0; index < TilesPerRow * TilesPerRow; ++index)
    if (Slots[index] != 0)
      tiles.push_back(index);
  return tiles;
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
  const auto j = static_cast<size_t>((first + 64) >> 6); // the tile column, from -1
  uint64_t* tile = nullptr;
  int64_t tileRow = -1;
  for (int64_t row = rowLo; row <= rowHi; ++row) {
    const uint64_t bits = words[static_cast<size_t>(row - firstRow) * stride] & keep;
    if (bits == 0)
      continue;
    const int64_t r = row + 64; // from the corner of tile (-1, -1)
    if ((r >> 6) != tileRow) {  // a tile's words are looked up once per 64 rows
      tileRow = r >> 6;
      tile = WritableTile(static_cast<size_t>(tileRow) * TilesPerRow + j);
    }
    Or(tile[r & 63], bits);
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
  uint64_t WestAny = 0, EastAny = 0;                // the or of West's and of East's rows

  // Widens rows lo to hi of the tile's spill (within -Reach to 63 + Reach); false when none
  // of them can hold a cell. Middle then holds one: the rows looked at are within reach.
  bool Widen(const uint64_t* tile, const TShape& shape, int lo, int hi);
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
      WestAny |= west;
      EastAny |= east;
    }
  }
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
bool TSpill::Widen(const uint64_t* tile, const TShape& shape, int lo, int hi) {
  constexpr int pad = 2 * kMaxBrushReach; // rows of the tile from -pad to 63 + pad, 0 outside
  const int reach = shape.Reach;
  // Only the tile's rows within the reach of rows lo to hi count.
  const int from = std::max(lo - reach, 0), to = std::min(hi + reach, 63);
  uint64_t rows[64 + 2 * pad] = {};
  int first = 64, last = -1;
  for (int k = from; k <= to; ++k) {
    rows[k + pad] = tile[k];
    if (tile[k] != 0) {
      first = std::min(first, k);
      last = k;
    }
  }
  First = std::max(first - reach, lo);
  Last = std::min(last + reach, hi);
  if (First > Last)
    return false;
  const int o = kMaxBrushReach; // row k of the spill is at k + o
  for (int k = First; k <= Last; ++k)
    West[k + o] = Middle[k + o] = East[k + o] = 0;
  WestAny = EastAny = 0;
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
  return true;
}

} // namespace

TMarkedRows::TMarkedRows(const TCellMask& mask) {
  const auto tiles = static_cast<size_t>(mask.Size() / 64 + 2); // tile rows and columns
  Starts.assign(tiles + 1, 0);
  for (const size_t index : mask.MarkedTiles()) { // in row order
    ++Starts[index / tiles + 1];
    Columns.push_back(static_cast<int32_t>(index % tiles) - 1);
  }
  for (size_t r = 0; r < tiles; ++r)
    Starts[r + 1] += Starts[r];
}

std::span<const int32_t> TMarkedRows::Row(int32_t i) const {
  const auto r = static_cast<size_t>(i + 1);
  return {Columns.data() + Starts[r], Columns.data() + Starts[r + 1]};
}

TWidenedBand::TWidenedBand(uint32_t mapSize)
    : SegmentCount(static_cast<int32_t>(mapSize / 64)),
      Words(static_cast<uint64_t*>(std::calloc(mapSize / 64 * 64 + 1, sizeof(uint64_t)))),
      Written(static_cast<size_t>(SegmentCount), false) {
  if (!Words)
    throw std::bad_alloc();
}

// A marked cell reaches at most kMaxBrushReach < 64 rows, so band i takes the spills of the
// tiles in rows i - 1 to i + 1: rows 0 to 63 of those in row i, rows 64 and up (the reach
// above the tile) of those in row i - 1, and rows -1 and down of those in row i + 1. Each tile
// spills into its own column of segments and the two beside it.
void TWidenedBand::Widen(const TCellMask& mask, const TMarkedRows& rows, const TShape& shape,
                         int32_t i) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  Clear();
  Band = i;
  TSpill spill;
  for (int32_t d = -1; d <= 1; ++d) {
    // Row k of a spill of tile row i + d is row k + 64d of the band.
    const int32_t tileRow = i + d;
    const int lo = std::max(-64 * d, -shape.Reach), hi = std::min(63 - 64 * d, 63 + shape.Reach);
    if (lo > hi)
      continue;
    for (const int32_t j : rows.Row(tileRow)) {
      if (!spill.Widen(mask.Tile(tileRow, j), shape, lo, hi))
        continue;
      const int shift = 64 * d;
      if (spill.WestAny != 0) // a segment that gains no blocked cell is not written
        Add(j - 1, spill.West + kMaxBrushReach, spill.First, spill.Last, shift);
      Add(j, spill.Middle + kMaxBrushReach, spill.First, spill.Last, shift);
      if (spill.EastAny != 0)
        Add(j + 1, spill.East + kMaxBrushReach, spill.First, spill.Last, shift);
    }
  }
}

void TWidenedBand::Add(int32_t j, const uint64_t* words, int first, int last, int shift) {
  if (j < 0 || j >= SegmentCount)
    return;
  uint64_t* segment = Words.get() + 64 * static_cast<size_t>(j);
  for (int k = first; k <= last; ++k)
    segment[k + shift] |= words[k];
  if (!Written[static_cast<size_t>(j)]) {
    Written[static_cast<size_t>(j)] = true;
    Columns.push_back(j);
  }
}

void TWidenedBand::Clear() {
  for (const int32_t j : Columns) {
    std::fill_n(Words.get() + 64 * static_cast<size_t>(j), 64, 0);
    Written[static_cast<size_t>(j)] = false;
  }
  Columns.clear();
}

void TWidenedBand::BlockInto(TPathmap& map) const {
  for (const int32_t j : Columns) {
    const uint64_t* words = Words.get() + 64 * static_cast<size_t>(j);
    uint64_t* segment = map.WritableSegment(Band, j);
    for (int k = 0; k < 64; ++k)
      segment[k] |= words[k];
  }
}

void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map) {
  assert(mask.Size() == map.Size());
  const TMarkedRows rows(mask);
  TWidenedBand band(map.Size());
  for (int32_t i = 0; i < map.SegmentCount(); ++i) {
    band.Widen(mask, rows, shape, i);
    band.BlockInto(map);
  }
}

} // namespace quarnel
