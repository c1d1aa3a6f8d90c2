// Gathering an object's outline cells in the box of its points.
#include "raster/BoxMarks.h"

#include "raster/LineWalk.h"

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

// A walk's cells are its start plus offsets that depend only on the differences of its end
// points, so it is walked in the box's own coordinates.
void TBoxMarks::MarkLine(TKey a, TKey b) {
  const linewalk::TWalk walk = linewalk::MakeWalk(a & 511, a >> 9, b & 511, b >> 9);
  linewalk::Run(walk, 0, walk.A, [&](int64_t x, int64_t y) {
    Words[y * kWordsPerRow + (x >> 6)] |= uint64_t{1} << (x & 63);
    return true;
  });
}

void TBoxMarks::MarkInto(TCellMask& mask) {
  for (int64_t w = 0; w < UsedWords; ++w)
    mask.MarkWords(Row0, Column0 + 64 * w, Words + w, kWordsPerRow, UsedRows);
}

} // namespace quarnel
