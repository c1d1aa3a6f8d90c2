// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "common/ZeroedMemory.h"
#include "raster/CellPoint.h"

#include <algorithm>
#include <array>
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
  // Zeroed pages are handed out lazily: only the pages that tiles take are ever touched, and
  // tiles take them front to back.
  Words.reset(static_cast<uint64_t*>(ReserveZeroed(tiles, 64 * sizeof(uint64_t))));
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
  // Sets (Assign) or adds to rows First to Last the rows of v (row k at v[k]) widened by Half
  // columns either way.
  template <int Half, bool Assign> void Spread(const uint64_t* v) {
    for (int k = First; k <= Last; ++k) {
      const uint64_t x = v[k];
      uint64_t middle = x, west = 0, east = 0;
      for (int s = 1; s <= Half; ++s) {
        middle |= (x << s) | (x >> s);
        west |= x << (64 - s);
        east |= x >> (64 - s);
      }
      const int at = k + kMaxBrushReach;
      Middle[at] = Assign ? middle : Middle[at] | middle;
      West[at] = Assign ? west : West[at] | west;
      East[at] = Assign ? east : East[at] | east;
      WestAny |= west;
      EastAny |= east;
    }
  }
  template <bool Assign> void SpreadAs(int half, const uint64_t* v);
  void SpreadBy(int half, bool assign, const uint64_t* v);
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
  const int reach = shape.Reach;
  // Only the tile's rows within the reach of rows lo to hi count: first to last of them.
  int first = std::max(lo - reach, 0), last = std::min(hi + reach, 63);
  while (first <= last && tile[first] == 0)
    ++first;
  if (first > last)
    return false;
  while (tile[last] == 0)
    --last;
  First = std::max(first - reach, lo);
  Last = std::min(last + reach, hi);
  assert(First <= Last);
  constexpr int pad = 2 * kMaxBrushReach; // row k at k + pad
  uint64_t rows[64 + 2 * pad];            // the tile's rows from First - reach to Last + reach
  std::fill(rows + (First - reach + pad), rows + (first + pad), 0);
  std::copy(tile + first, tile + last + 1, rows + (first + pad));
  std::fill(rows + (last + 1 + pad), rows + (Last + reach + 1 + pad), 0);
  const int o = kMaxBrushReach; // row k of the spill is at k + o
  uint64_t v[kRows];            // V_e of row k at k + o
  std::copy(rows + (First + pad), rows + (Last + 1 + pad), v + (First + o));
  bool assign = true; // the first spread sets the rows, the others add to them
  for (int e = 0; e <= reach; ++e) {
    if (e > 0)
      for (int k = First; k <= Last; ++k)
        v[k + o] |= rows[k + pad - e] | rows[k + pad + e];
    const int half = shape.HalfWidth[reach + e];
    if (e < reach && shape.HalfWidth[reach + e + 1] == half)
      continue;
    assert(e == reach || shape.HalfWidth[reach + e + 1] < half);
    assert(half <= kMaxBrushReach);
    SpreadBy(half, assign, v + o);
    assign = false;
  }
  return true;
}

// A fixed half width lets the loop over rows run on whole vectors.
template <bool Assign> void TSpill::SpreadAs(int half, const uint64_t* v) {
  switch (half) {
  case 0:
    return Spread<0, Assign>(v);
  case 1:
    return Spread<1, Assign>(v);
  case 2:
    return Spread<2, Assign>(v);
  case 3:
    return Spread<3, Assign>(v);
  default:
    return Spread<kMaxBrushReach, Assign>(v);
  }
}

void TSpill::SpreadBy(int half, bool assign, const uint64_t* v) {
  if (!assign)
    return SpreadAs<false>(half, v);
  WestAny = EastAny = 0;
  SpreadAs<true>(half, v);
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

TMapBand::TMapBand(uint32_t mapSize, uint64_t* words)
    : SegmentCount(static_cast<int32_t>(mapSize / 64)), Words(words),
      Written(static_cast<size_t>(SegmentCount), false), South(Written.size(), 0),
      North(Written.size(), 0) {
  Columns.reserve(Written.size()); // making a band allocates nothing
}

// A marked cell reaches at most kMaxBrushReach < 64 rows, so band i takes the spills of the
// tiles in rows i - 1 to i + 1: rows 0 to 63 of those in row i, rows 64 and up (the reach
// above the tile) of those in row i - 1, and rows -1 and down of those in row i + 1. Each tile
// spills into its own column of segments and the two beside it.
void TMapBand::Widen(const TCellMask& mask, const TMarkedRows& rows, const TShape& shape,
                     int32_t i) {
  assert(shape.Reach >= 0 && shape.Reach <= kMaxBrushReach);
  Clear();
  Band = i;
  if (shape.Reach == 0) { // the cells themselves
    for (const int32_t j : rows.Row(i))
      if (j >= 0 && j < SegmentCount)
        Add(j, mask.Tile(i, j), 0, 63, 0);
    return;
  }
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

uint64_t* TMapBand::WritableSegment(int32_t j) {
  if (!Written[static_cast<size_t>(j)]) {
    Written[static_cast<size_t>(j)] = true;
    Columns.push_back(j);
  }
  return Words + 64 * static_cast<size_t>(j);
}

void TMapBand::Add(int32_t j, const uint64_t* words, int first, int last, int shift) {
  if (j < 0 || j >= SegmentCount)
    return;
  uint64_t* segment = WritableSegment(j);
  for (int k = first; k <= last; ++k)
    segment[k + shift] |= words[k];
}

// Rows and columns are those of the map: columns first to last of a row lie in one word or
// two, the block being narrower than 64 cells.
void TMapBand::Block(const TCellBlock& block) {
  const int64_t size = int64_t{SegmentCount} * 64;
  const int64_t firstRow = std::max<int64_t>(block.RowFirst, int64_t{Band} * 64);
  const int64_t lastRow = std::min<int64_t>(block.RowLast, int64_t{Band} * 64 + 63);
  const int64_t first = std::max<int64_t>(block.ColumnFirst, 0);
  const int64_t last = std::min<int64_t>(block.ColumnLast, size - 1);
  assert(last - first < 64);
  for (int64_t row = firstRow; row <= lastRow; ++row)
    for (int64_t word = first >> 6; word <= last >> 6; ++word) {
      const int64_t from = std::max(first, 64 * word) & 63,
                    to = std::min(last, 64 * word + 63) & 63;
      WritableSegment(static_cast<int32_t>(word))[row & 63] |=
          (~uint64_t{0} >> (63 - to)) & (~uint64_t{0} << from);
    }
}

void TMapBand::KeepEdges() {
  for (const int32_t j : Columns) {
    South[static_cast<size_t>(j)] = Words[64 * static_cast<size_t>(j)];
    North[static_cast<size_t>(j)] = Words[64 * static_cast<size_t>(j) + 63];
  }
}

void TMapBand::FillHoles(const TMapBand* below, const TMapBand* above) {
  static constexpr uint64_t kFree[64] = {};
  static constexpr auto kOutside = [] {
    std::array<uint64_t, 64> words{};
    words.fill(~uint64_t{0});
    return words;
  }();
  auto beside = [&](int32_t j) -> const uint64_t* {
    if (j < 0 || j >= SegmentCount)
      return kOutside.data();
    return Written[static_cast<size_t>(j)] ? Words + 64 * static_cast<size_t>(j) : kFree;
  };
  for (const int32_t j : Columns) { // a segment never written holds no hole
    const auto k = static_cast<size_t>(j);
    FillSegmentHoles(Words + 64 * k, beside(j - 1), beside(j + 1),
                     below != nullptr ? below->North[k] : ~uint64_t{0},
                     above != nullptr ? above->South[k] : ~uint64_t{0});
  }
}

void TMapBand::PutInto(TMapFileWriter& file) const {
  for (int32_t j = 0; j < SegmentCount; ++j)
    file.Put(Written[static_cast<size_t>(j)] ? Words + 64 * static_cast<size_t>(j) : nullptr);
}

void TMapBand::CopyInto(TPathmap& map, int32_t i) const {
  for (int32_t j = 0; j < SegmentCount; ++j)
    if (Written[static_cast<size_t>(j)])
      std::copy_n(Words + 64 * static_cast<size_t>(j), 64, map.WritableSegment(i, j));
}

void TMapBand::Clear() {
  for (const int32_t j : Columns) {
    std::fill_n(Words + 64 * static_cast<size_t>(j), 64, 0);
    Written[static_cast<size_t>(j)] = false;
    South[static_cast<size_t>(j)] = North[static_cast<size_t>(j)] = 0;
  }
  Columns.clear();
}

} // namespace quarnel
