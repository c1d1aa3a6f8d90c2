// Gathering an object's outline cells in the box of its points.
#include "raster/BoxMarks.h"

#include <algorithm>

namespace quarnel {

bool TBoxMarks::Begin(std::span<const TCellPoint> points) {
  // The previous box is cleared here rather than after its cells were or-ed into a mask, so
  // that a failure part way through an object leaves nothing behind.
  for (int64_t t = 0; t < UsedRows; ++t)
    std::fill_n(Words + t * kWordsPerRow, UsedWords, 0);
  UsedRows = UsedWords = 0;
  PointKeys.clear();
  if (points.empty())
    return false;
  int64_t firstColumn = points[0].Column, lastColumn = firstColumn, firstRow = points[0].Row,
          lastRow = firstRow;
  for (const TCellPoint& p : points) {
    firstColumn = std::min(firstColumn, p.Column);
    lastColumn = std::max(lastColumn, p.Column);
    firstRow = std::min(firstRow, p.Row);
    lastRow = std::max(lastRow, p.Row);
  }
  // Placed points lie within 2^62 of 0, so these differences do not overflow.
  Column0 = firstColumn & ~int64_t{63}; // rounded down to a multiple of 64
  Row0 = firstRow;
  if (lastColumn - Column0 >= 64 * kWordsPerRow || lastRow - Row0 >= kRows)
    return false;
  UsedWords = ((lastColumn - Column0) >> 6) + 1;
  UsedRows = lastRow - Row0 + 1;
  PointKeys.resize(points.size());
  for (size_t i = 0; i < points.size(); ++i)
    PointKeys[i] = static_cast<TKey>((points[i].Row - Row0) << 9 | (points[i].Column - Column0));
  return true;
}

namespace {

// Steps 1 to major - 1 of the walk of LineWalk.h from column x of row words, its remainder
// stepped without a branch: this runs for every cell of every outline. rowStep is the words
// from one row to the next in the walk's row direction, columnStep the column direction.
template <bool ColumnMajor>
void MarkSteps(uint64_t* row, int32_t x, uint32_t major, uint32_t minor, int32_t columnStep,
               int32_t rowStep) {
  const uint32_t diagonal = major - minor; // r >= major - minor: the minor coordinate moves
  uint32_t r = (major - 1) / 2;
  for (uint32_t k = 1; k < major; ++k) {
    const int32_t moves = -static_cast<int32_t>(r >= diagonal);
    r += minor - (major & static_cast<uint32_t>(moves));
    if constexpr (ColumnMajor) {
      x += columnStep;
      row += rowStep & moves;
    } else {
      x += columnStep & moves;
      row += rowStep;
    }
    row[x >> 6] |= uint64_t{1} << (x & 63);
  }
}

} // namespace

void TBoxMarks::MarkWalkInside(TKey a, TKey b) {
  const auto x0 = static_cast<int32_t>(a & 511), y0 = static_cast<int32_t>(a >> 9);
  const auto x1 = static_cast<int32_t>(b & 511), y1 = static_cast<int32_t>(b >> 9);
  const auto dx = static_cast<uint32_t>(x1 > x0 ? x1 - x0 : x0 - x1);
  const auto dy = static_cast<uint32_t>(y1 > y0 ? y1 - y0 : y0 - y1);
  const int32_t columnStep = x1 < x0 ? -1 : 1;
  const int32_t rowStep = y1 < y0 ? -kWordsPerRow : kWordsPerRow;
  uint64_t* row = Words + y0 * kWordsPerRow;
  if (dx >= dy) // as in LineWalk.h, the column leads when the differences are equal
    MarkSteps<true>(row, x0, dx, dy, columnStep, rowStep);
  else
    MarkSteps<false>(row, x0, dy, dx, columnStep, rowStep);
}

void TBoxMarks::MarkInto(TCellMask& mask) {
  for (int64_t w = 0; w < UsedWords; ++w)
    mask.MarkWords(Row0, Column0 + 64 * w, Words + w, kWordsPerRow, UsedRows);
}

} // namespace quarnel
