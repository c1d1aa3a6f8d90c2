// The cells that brushes are centred on, kept apart from any map so that each map class
// can widen them with its own shape in one sweep over whole words.
#pragma once

#include "raster/Footprints.h"
#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace quarnel {

// A bit grid of the map's cells and a margin of kMaxBrushReach cells on every side, since a
// brush centred in the margin still reaches into the map, in tiles of 64 by 64 cells: tile
// (i, j), i and j from -1 to SegmentCount, holds the cells of map segment (i, j) (those of the
// margin in the tiles around the map). Like a map's, its memory grows with the tiles marked,
// not with its area: a tile takes its place in the storage reserved for all when first marked.
class TCellMask {
public:
  // size is the map's size, a multiple of 64 below 2^28. With shared, cells may be marked from
  // several threads at once. Raises "Out of memory" when the storage cannot be reserved.
  explicit TCellMask(uint32_t size, bool shared = false);

  uint32_t Size() const { return FSize; }
  // Marks a cell; cells outside the map and its margin are ignored.
  void Mark(int64_t row, int64_t column) {
    // Unsigned, a row or column below -kMaxBrushReach wraps around to a huge number.
    if (static_cast<uint64_t>(row + kMaxBrushReach) >= Extent ||
        static_cast<uint64_t>(column + kMaxBrushReach) >= Extent)
      return;
    const int64_t r = row + 64, c = column + 64; // from the corner of tile (-1, -1)
    Or(WritableTile(static_cast<size_t>(r >> 6) * TilesPerRow +
                    static_cast<size_t>(c >> 6))[r & 63],
       uint64_t{1} << (c & 63));
  }
  // Marks the cells of a column of words: bit t of words[k × stride] is the cell of row
  // firstRow + k and column first + t, for k from 0 to rows - 1; first is a multiple of 64.
  // Cells outside the map and its margin are ignored.
  void MarkWords(int64_t firstRow, int64_t first, const uint64_t* words, size_t stride,
                 int64_t rows);
  // A CellVisitor that marks the cell (row y, column x) in the TCellMask at context.
  static bool MarkVisitor(int64_t x, int64_t y, void* context);
  // The 64 words of tile (i, j), word k holding row 64i + k, or null when none of its cells
  // is marked. Not while cells are being marked.
  const uint64_t* Tile(int32_t i, int32_t j) const {
    const uint32_t slot =
        Slots[static_cast<size_t>(i + 1) * TilesPerRow + static_cast<size_t>(j + 1)];
    return slot == 0 ? nullptr : Words.get() + 64 * size_t{slot - 1};
  }
  // The tiles with a marked cell, each as (i + 1) × (SegmentCount + 2) + j + 1, ascending.
  // Not while cells are being marked.
  std::vector<size_t> MarkedTiles() const;

private:
  template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
  };
  template <typename T> using TBlock = std::unique_ptr<T[], FreeDeleter<T>>;

  // The words of tile index (as in MarkedTiles), given their place when it has none.
  uint64_t* WritableTile(size_t index);
  void Or(uint64_t& word, uint64_t bits) {
    if (Shared)
      std::atomic_ref<uint64_t>(word).fetch_or(bits, std::memory_order_relaxed);
    else
      word |= bits;
  }

  uint32_t FSize;
  uint64_t Extent;    // the side of the map and its margins, 0 for a map of size 0
  size_t TilesPerRow; // SegmentCount + 2
  bool Shared;
  TBlock<uint64_t> Words; // the tiles' words, in the order the tiles were first marked
  TBlock<uint32_t> Slots; // for each tile 1 + its place in Words, or 0 when none is marked
  std::atomic<uint32_t> Placed{0};
};

// Marks the cell of a tree at world position (x, z), truncated toward zero as the tree
// footprints place it; raises for a NaN, infinite or huge position as they do.
void MarkTreeCentre(TCellMask& mask, double x, double z);

// The marked tiles of a mask, row by row.
class TMarkedRows {
public:
  explicit TMarkedRows(const TCellMask& mask);
  // The columns (-1 to SegmentCount) of the marked tiles of tile row i (-1 to SegmentCount),
  // ascending.
  std::span<const int32_t> Row(int32_t i) const;

private:
  std::vector<uint32_t> Starts; // row i's columns from Starts[i + 1] to Starts[i + 2]
  std::vector<int32_t> Columns;
};

// One band of a map (the 64 rows of one row of segments) as the run makes it: the cells that a
// shape centred on a mask's marked cells covers there, any other blocks, and its holes
// filled; so that the bands of a map can be made on any number of threads, each on its own,
// and written in order.
class TMapBand {
public:
  // A band of a map of this size (a multiple of 64) in words, zeroed storage for mapSize words
  // that the band keeps zeroed between bands, and which outlives it.
  TMapBand(uint32_t mapSize, uint64_t* words);

  // Forgets the band made before and widens band i (0 to SegmentCount - 1) of the map: the
  // cells of the band that shape covers centred on any marked cell of mask (rows is
  // TMarkedRows(mask)). The shape's half widths must not grow away from its centre row. The
  // cost follows the marked tiles around the band.
  void Widen(const TCellMask& mask, const TMarkedRows& rows, const TShape& shape, int32_t i);
  // Blocks the cells of block that lie in the band.
  void Block(const TCellBlock& block);
  // Keeps the band's first and last rows as they are now, for filling the bands beside it.
  void KeepEdges();
  // Fills the band's holes as FillHoles fills those of the whole map: below and above are the
  // bands beside it, null beyond the map, once they kept their edges.
  void FillHoles(const TMapBand* below, const TMapBand* above);
  // Puts the band's segments into file, in order.
  void PutInto(TMapFileWriter& file) const;
  // Copies the band's segments into band i of map (of the band's map size).
  void CopyInto(TPathmap& map, int32_t i) const;

private:
  // Adds rows first to last of words (row k at words[k], one of them not 0) to segment j, row
  // k at k + shift.
  void Add(int32_t j, const uint64_t* words, int first, int last, int shift);
  // The words of segment j, written.
  uint64_t* WritableSegment(int32_t j);
  void Clear();

  int32_t SegmentCount;
  int32_t Band = 0;
  uint64_t* Words; // segment j's row k at 64j + k
  std::vector<bool> Written;
  std::vector<int32_t> Columns;       // the segments written, in the order first written
  std::vector<uint64_t> South, North; // row 0 and row 63 of each segment, kept by KeepEdges
};

} // namespace quarnel
