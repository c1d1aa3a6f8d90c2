// Marked cells and their widening into a map by whole-word shifts and ors.
#include "raster/CellMask.h"

#include "raster/CellPoint.h"

#include <cassert>

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

// Word j of row x shifted s columns towards higher columns, and towards lower ones;
// 0 < s < 64, and j has a neighbour on either side.
inline uint64_t ShiftUp(const uint64_t* x, size_t j, int s) {
  return (x[j] << s) | (x[j - 1] >> (64 - s));
}
inline uint64_t ShiftDown(const uint64_t* x, size_t j, int s) {
  return (x[j] >> s) | (x[j + 1] << (64 - s));
}

} // namespace

void WidenInto(const TCellMask& mask, int reach, TPathmap& map) {
  assert(reach >= 0 && reach <= kMaxBrushReach);
  assert(mask.Size() == map.Size());
  const uint32_t size = map.Size();
  const size_t width = mask.RowWords();
  std::vector<uint64_t> square(width);
  for (uint32_t r = 0; r < size; ++r) {
    uint64_t* out = map.Row(r); // word j of the mask is word j - 1 of the map
    const uint64_t* centre = mask.Row(r);
    if (reach == 0) {
      for (size_t j = 1; j + 1 < width; ++j)
        out[j - 1] |= centre[j];
      continue;
    }
    // The square part: rows within reach - 1, then columns within reach - 1.
    const int half = reach - 1;
    for (size_t j = 0; j < width; ++j) {
      uint64_t v = 0;
      for (int d = -half; d <= half; ++d)
        v |= mask.Row(int64_t{r} + d)[j];
      square[j] = v;
    }
    const uint64_t* above = mask.Row(int64_t{r} - reach);
    const uint64_t* below = mask.Row(int64_t{r} + reach);
    for (size_t j = 1; j + 1 < width; ++j) {
      uint64_t v = square[j];
      for (int s = 1; s <= half; ++s)
        v |= ShiftUp(square.data(), j, s) | ShiftDown(square.data(), j, s);
      // The four arms: straight up and down, and reach columns either way.
      v |= above[j] | below[j] | ShiftUp(centre, j, reach) | ShiftDown(centre, j, reach);
      out[j - 1] |= v;
    }
  }
}

} // namespace quarnel
