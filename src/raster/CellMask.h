// The cells that brushes are centred on, kept apart from any map so that each map class
// can widen them with its own shape in one sweep over whole words.
#pragma once

#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace quarnel {

// A bit grid of the map's cells and a margin of kMaxBrushReach cells on every side, since a
// brush centred in the margin still reaches into the map. Row r, column c is bit
// (c + 64) mod 64 of word (c + 64) div 64 of row r + kMaxBrushReach: one spare word on
// either side of every row keeps shifted neighbours inside the row.
class TCellMask {
public:
  explicit TCellMask(uint32_t size);

  uint32_t Size() const { return FSize; }
  // Marks a cell; cells outside the map and its margin are ignored.
  void Mark(int64_t row, int64_t column);
  // A CellVisitor that marks the cell (row y, column x) in the TCellMask at context.
  static bool MarkVisitor(int64_t x, int64_t y, void* context);

  // The words of row r, for r from -kMaxBrushReach to Size + kMaxBrushReach - 1.
  const uint64_t* Row(int64_t r) const {
    return Words.get() + static_cast<size_t>(r + kMaxBrushReach) * WordsPerRow;
  }
  size_t RowWords() const { return WordsPerRow; }

private:
  uint32_t FSize;
  size_t WordsPerRow;
  struct FreeDeleter {
    void operator()(uint64_t* p) const { std::free(p); }
  };
  // Zeroed by calloc, so that pages no outline reaches are never touched.
  std::unique_ptr<uint64_t[], FreeDeleter> Words;
};

// Marks the cell of a tree at world position (x, z), truncated toward zero as the tree
// footprints place it; raises for a NaN, infinite or huge position as they do.
void MarkTreeCentre(TCellMask& mask, double x, double z);

// Blocks in map every cell that shape, centred on a marked cell, covers: the same cells as
// the brush of that shape's class applied at every marked cell. The shape's half widths must
// not grow away from its centre row.
void WidenInto(const TCellMask& mask, const TShape& shape, TPathmap& map);

} // namespace quarnel
