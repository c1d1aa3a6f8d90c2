// Gathering an object's outline cells in the box of its points.
#include "raster/BoxMarks.h"

#include <algorithm>
#include <bit>

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

// Steps 1 to major - 1 of the walk of LineWalk.h whose start is bit of word, its remainder
// stepped without a branch: this runs for every cell of every outline. The column moves by
// ColumnStep (1 east, -1 west) at every step when ColumnMajor, otherwise with the minor
// coordinate; the row moves by rowStep words likewise.
template <bool ColumnMajor, int ColumnStep>
void MarkSteps(uint64_t* words, int32_t word, uint64_t bit, uint32_t major, uint32_t minor,
               int32_t rowStep) {
  // d = r - (major - minor), so that the minor coordinate moves when d >= 0.
  auto d = static_cast<int32_t>((major - 1) / 2) - static_cast<int32_t>(major - minor);
  const auto straight = static_cast<int32_t>(minor), back = static_cast<int32_t>(major);
  for (uint32_t k = 1; k < major; ++k) {
    const int32_t moves = ~(d >> 31); // all ones when d >= 0
    d += straight - (back & moves);
    word += ColumnMajor ? rowStep & moves : rowStep;
    // A column east of bit 63 is bit 0 of the next word, one west of bit 0 bit 63 of the one
    // before.
    const uint64_t columnMoves = ColumnMajor ? ~uint64_t{0} : static_cast<uint64_t>(moves);
    if (ColumnStep > 0) {
      word += static_cast<int32_t>(bit >> 63 & columnMoves);
      bit = columnMoves != 0 ? std::rotl(bit, 1) : bit;
    } else {
      word -= static_cast<int32_t>(bit & 1 & columnMoves);
      bit = columnMoves != 0 ? std::rotr(bit, 1) : bit;
    }
    words[word] |= bit;
  }
}

// Steps 1 to major - 1 of the walk from (x0, y0) to (x1, y1).
template <bool ColumnMajor>
void MarkWalk(uint64_t* words, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t major,
              uint32_t minor) {
  const int32_t rowStep = y1 < y0 ? -8 : 8;
  const int32_t word = y0 * 8 + (x0 >> 6);
  const uint64_t bit = uint64_t{1} << (x0 & 63);
  if (x1 >= x0)
    MarkSteps<ColumnMajor, 1>(words, word, bit, major, minor, rowStep);
  else
    MarkSteps<ColumnMajor, -1>(words, word, bit, major, minor, rowStep);
}

} // namespace

void TBoxMarks::MarkWalks(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t dx, uint32_t dy,
                          bool back) {
  static_assert(kWordsPerRow == 8);
  if (dx >= dy) { // as in LineWalk.h, the column leads on a tie
    MarkWalk<true>(Words, x0, y0, x1, y1, dx, dy);
    if (back && !SameCellsBack(dx, dy))
      MarkWalk<true>(Words, x1, y1, x0, y0, dx, dy);
  } else {
    MarkWalk<false>(Words, x0, y0, x1, y1, dy, dx);
    if (back && !SameCellsBack(dy, dx))
      MarkWalk<false>(Words, x1, y1, x0, y0, dy, dx);
  }
}

void TBoxMarks::MarkInto(TCellMask& mask) {
  for (int64_t w = 0; w < UsedWords; ++w)
    mask.MarkWords(Row0, Column0 + 64 * w, Words + w, kWordsPerRow, UsedRows);
}

} // namespace quarnel
