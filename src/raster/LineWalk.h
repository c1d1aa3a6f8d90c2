// The walk of Bresham.h in its parts: set-up, clipping to a window and the steps, for callers
// that take the cells of a walk inline instead of through a CellVisitor call per cell.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace quarnel::linewalk {

// A walk of A + 1 cells: at step k (0 to A) the major coordinate is MajorStart + k in the major
// direction and the minor coordinate has moved m(k) = floor((2kB + A - 1) / (2A)) cells in the
// minor direction, which is floor((kB + Bias) / A) with Bias = floor((A - 1) / 2): the nearest
// whole cell to kB / A, a tie keeping the cell on the start point's side.
//
// Instead of the classic error term d the walk keeps r = (kB + Bias) mod A, which lies in 0 to
// A - 1 and so fits 64 bits for any pair of 64-bit end points. The classic test d > 0 is
// r >= A - B: d = 2(r + B - A) + 2 - (A mod 2).
struct TWalk {
  int64_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0; // the end points
  int64_t MajorX = 0, MajorY = 0; // the step along the major axis: one is 0, the other +1 or -1
  int64_t MinorX = 0, MinorY = 0; // the step along the minor axis
  uint64_t A = 0, B = 0;          // major and minor coordinate differences, B <= A
  uint64_t Bias = 0;
};

// |b - a| for any two 64-bit values.
inline uint64_t Distance(int64_t a, int64_t b) {
  return a <= b ? static_cast<uint64_t>(b) - static_cast<uint64_t>(a)
                : static_cast<uint64_t>(a) - static_cast<uint64_t>(b);
}

// The walk from (x0, y0) to (x1, y1).
inline TWalk MakeWalk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  TWalk w;
  w.X0 = x0;
  w.Y0 = y0;
  w.X1 = x1;
  w.Y1 = y1;
  const uint64_t adx = Distance(x0, x1);
  const uint64_t ady = Distance(y0, y1);
  const int64_t sx = x1 < x0 ? -1 : 1;
  const int64_t sy = y1 < y0 ? -1 : 1;
  // With |dx| = |dy| every step is diagonal, so either axis may lead; with a difference of 0 the
  // minor axis never moves, so its direction does not matter.
  if (adx >= ady) {
    w.MajorX = sx;
    w.MinorY = sy;
    w.A = adx;
    w.B = ady;
  } else {
    w.MajorY = sy;
    w.MinorX = sx;
    w.A = ady;
    w.B = adx;
  }
  w.Bias = w.A > 0 ? (w.A - 1) / 2 : 0;
  return w;
}

// True when both end points, and so every cell of the walk, lie in the window.
inline bool WithinWindow(const TWalk& w, int64_t minX, int64_t minY, int64_t maxX, int64_t maxY) {
  return std::min(w.X0, w.X1) >= minX && std::max(w.X0, w.X1) <= maxX &&
         std::min(w.Y0, w.Y1) >= minY && std::max(w.Y0, w.Y1) <= maxY;
}

// The steps first..last of the walk whose cells lie in the window minX..maxX by minY..maxY
// (bounds included); false when there are none.
bool StepRange(const TWalk& w, int64_t minX, int64_t minY, int64_t maxX, int64_t maxY,
               uint64_t& first, uint64_t& last);

// The cell of step k (k <= A) and the walk's remainder r there.
struct TStep {
  int64_t X = 0, Y = 0;
  uint64_t R = 0;
};
TStep StepAt(const TWalk& w, uint64_t k);

// Hands the cells of steps first..last (last <= A) to visit(x, y) in order, while it returns
// true; returns the result of the last call.
template <typename Visit>
inline bool Run(const TWalk& w, uint64_t first, uint64_t last, Visit&& visit) {
  assert(first <= last && last <= w.A);
  const TStep at = first == 0 ? TStep{w.X0, w.Y0, w.Bias} : StepAt(w, first);
  int64_t x = at.X, y = at.Y;
  uint64_t r = at.R;
  const uint64_t diagonal = w.A - w.B; // r >= A - B is the classic d > 0
  for (uint64_t k = first;; ++k) {
    const bool goOn = visit(x, y);
    if (!goOn || k == last)
      return goOn;
    if (r >= diagonal) {
      r -= diagonal;
      x += w.MinorX;
      y += w.MinorY;
    } else {
      r += w.B;
    }
    x += w.MajorX;
    y += w.MajorY;
  }
}

} // namespace quarnel::linewalk
