// The cells that brushes are centred on, kept apart from any map so that each map class
// can widen them with its own shape in one sweep over whole words.
#pragma once

#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <vector>

namespace quarnel {

// A bit grid of the map's cells and a margin of kMaxBrushReach cells on every side, since a
// brush centred in the margin still reaches into the map. It is kept in a TPathmap one
// segment larger on every side: cell (r, c) is cell (r + 64, c + 64) there, so tile (i, j)
// of the mask, i and j from -1 to SegmentCount, holds the cells of map segment (i, j). Like
// the map's, its memory grows with the tiles marked, not with its area.
class TCellMask {
public:
  // size is the map's size, a multiple of 64 below 2^28 (the largest a TPathmap takes).
  explicit TCellMask(uint32_t size);

  uint32_t Size() const { return FSize; }
  // Marks a cell; cells outside the map and its margin are ignored.
  void Mark(int64_t row, int64_t column) {
    // Unsigned, a row or column below -kMaxBrushReach wraps around to a huge number.
    if (static_cast<uint64_t>(row + kMaxBrushReach) >= Extent ||
        static_cast<uint64_t>(column + kMaxBrushReach) >= Extent)
      return;
    const int64_t r = row + 64, c = column + 64; // in Cells
    Cells.WritableSegment(static_cast<int32_t>(r >> 6), static_cast<int32_t>(c >> 6))[r & 63] |=
        uint64_t{1} << (c & 63);
  }
  // Marks the cells of a column of words: bit t of words[k × stride] is the cell of row
  // firstRow + k and column first + t, for k from 0 to rows - 1; first is a multiple of 64.
  // Cells outside the map and its margin are ignored.
  void MarkWords(int64_t firstRow, int64_t first, const uint64_t* words, size_t stride,
                 int64_t rows);
  // A CellVisitor that marks the cell (row y, column x) in the TCellMask at context.
  static bool MarkVisitor(int64_t x, int64_t y, void* context);
  // The 64 words of tile (i, j), word k holding row 64i + k, or null when none of its cells
  // is marked.
  const uint64_t* Tile(int32_t i, int32_t j) const { return Cells.Segment(i + 1, j + 1); }
  // The tiles with a marked cell, each as (i + 1) × (SegmentCount + 2) + j + 1.
  const std::vector<size_t>& MarkedTiles() const { return Cells.WrittenSegments(); }

private:
  uint32_t FSize;
  uint64_t Extent; // the side of the map and its margins, 0 for a map of size 0
  TPathmap Cells;
};

// Marks the cell of a tree at world position (x, z), truncated toward zero as the tree
// footprints place it; raises for a NaN, infinite or huge position as they do.
void MarkTreeCentre(TCellMask& mask, double x, double z);

// Blocks in map every cell that shape, centred on a marked cell, covers: the same cells as
// the brush of that shape's class applied at every marked cell. The shape's half widths must
// not grow away from its centre row. The cost follows the marked tiles, and only segments
// that gain a blocked cell are written.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map);

} // namespace quarnel
