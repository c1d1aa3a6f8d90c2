// The cells of one object's outline, gathered in a small dense grid before they join the
// cell mask.
#pragma once

#include "raster/CellMask.h"
#include "raster/CellPoint.h"

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

namespace quarnel {

// A grid over the box of an object's placed points. Every cell of a walk lies in the box of
// its end points, so the cells of the object's walks are marked here with no look-up and no
// bounds check, and then or-ed into a TCellMask a word at a time.
class TBoxMarks {
public:
  // A cell of the box as one number: (row - first row) × 512 + (column - first column).
  using TKey = uint32_t;
  static constexpr int kKeyBits = 18;

  // Forgets every cell and starts over with the box of points and the key of every point;
  // false, with no keys, when the box is more than 512 cells high or spans more than 8 words
  // of 64 columns.
  bool Begin(std::span<const TCellPoint> points);
  // The key of each point given to Begin, in order.
  const std::vector<TKey>& Keys() const { return PointKeys; }

  void Mark(TKey cell) {
    // The row's words start at word 8 × row; the column's word is column div 64.
    Words[(cell >> 9) << 3 | (cell & 511) >> 6] |= uint64_t{1} << (cell & 63);
  }
  // Marks the cells of the walk from a to b (WalkLine) but its end points, and also those of
  // the walk back from b to a when back is set and they differ.
  void MarkEdge(TKey a, TKey b, bool back) {
    const auto x0 = static_cast<int32_t>(a & 511), y0 = static_cast<int32_t>(a >> 9);
    const auto x1 = static_cast<int32_t>(b & 511), y1 = static_cast<int32_t>(b >> 9);
    const auto dx = static_cast<uint32_t>(x1 > x0 ? x1 - x0 : x0 - x1);
    const auto dy = static_cast<uint32_t>(y1 > y0 ? y1 - y0 : y0 - y1);
    if (dx > 1 || dy > 1) // a cell between the ends
      MarkWalks(x0, y0, x1, y1, dx, dy, back);
  }
  // True when the walk back along a line with major and minor differences A and B (LineWalk.h)
  // has the same cells as the walk there.
  //
  // The walk there moves m(k) = floor((kB + Bias) / A) minor cells by step k, Bias =
  // floor((A - 1) / 2); the walk back reaches the same major position at step A - k, B - m(A - k)
  // minor cells from the start. With kB = qA + r (0 <= r < A), m(k) = q + [r >= A - Bias] and
  // B - m(A - k) = q + [r > Bias]. These agree for every r when A is odd (A - Bias = Bias + 1),
  // and for an even A differ exactly when r = A / 2: the walks differ exactly when A / 2 is a
  // multiple of gcd(A, B) (the remainders kB mod A, k = 0 to A, are the multiples of the gcd),
  // that is when A has more factors of 2 than B.
  static bool SameCellsBack(uint32_t major, uint32_t minor) {
    return std::countr_zero(major) <= std::countr_zero(minor);
  }
  // Marks the gathered cells in mask, those in the map and its margin.
  void MarkInto(TCellMask& mask);

private:
  void MarkWalks(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t dx, uint32_t dy,
                 bool back);

  static constexpr int32_t kRows = 512, kWordsPerRow = 8;

  int64_t Column0 = 0, Row0 = 0;       // the box's first column (a multiple of 64) and row
  int64_t UsedRows = 0, UsedWords = 0; // the rows and the words of a row that the box takes
  std::vector<TKey> PointKeys;
  uint64_t Words[kRows * kWordsPerRow] = {}; // row t, word w at 8t + w; 0 outside the box
};

} // namespace quarnel
