// Bresenham's midpoint line walk over 64-bit cell coordinates, whole or clipped to a window.
#include "raster/Bresham.h"

#include <algorithm>
#include <bit>

namespace quarnel {

namespace {

// A walk of A + 1 cells: at step k (0 to A) the major coordinate is MajorStart + k in the major
// direction and the minor coordinate has moved m(k) = floor((2kB + A - 1) / (2A)) cells in the
// minor direction, which is floor((kB + Bias) / A) with Bias = floor((A - 1) / 2): the nearest
// whole cell to kB / A, a tie keeping the cell on the start point's side.
//
// Instead of the classic error term d the walk keeps r = (kB + Bias) mod A, which lies in 0 to
// A - 1 and so fits 64 bits for any pair of 64-bit end points. The classic test d > 0 is
// r >= A - B: d = 2(r + B - A) + 2 - (A mod 2).
struct TWalk {
  int64_t X0 = 0, Y0 = 0;
  int64_t MajorX = 0, MajorY = 0; // the step along the major axis: one is 0, the other +1 or -1
  int64_t MinorX = 0, MinorY = 0; // the step along the minor axis
  uint64_t A = 0, B = 0;          // major and minor coordinate differences, B <= A
  uint64_t Bias = 0;
};

uint64_t Distance(int64_t a, int64_t b) {
  return a <= b ? static_cast<uint64_t>(b) - static_cast<uint64_t>(a)
                : static_cast<uint64_t>(a) - static_cast<uint64_t>(b);
}

// start + step * count, for a count that keeps the result between the end points.
int64_t Moved(int64_t start, int64_t step, uint64_t count) {
  const auto s = static_cast<uint64_t>(start);
  return static_cast<int64_t>(step > 0 ? s + count : step < 0 ? s - count : s);
}

TWalk MakeWalk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  TWalk w;
  w.X0 = x0;
  w.Y0 = y0;
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

struct TQuotient {
  uint64_t Quot = 0;
  uint64_t Rem = 0;
};

// floor((a * b + c) / d) and its remainder, for d > 0, b <= d, c <= d and a quotient below
// 2^64. Doubling and adding keeps every intermediate value within 64 bits.
TQuotient MulAddDiv(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  uint64_t q = 0;
  uint64_t r = 0; // always below d
  for (int bit = std::bit_width(a) - 1; bit >= 0; --bit) {
    q <<= 1;
    if (r >= d - r) {
      r -= d - r;
      ++q;
    } else {
      r += r;
    }
    if ((a >> bit) & 1) {
      if (r >= d - b) {
        r -= d - b;
        ++q;
      } else {
        r += b;
      }
    }
  }
  if (r >= d - c) {
    r -= d - c;
    ++q;
  } else {
    r += c;
  }
  return {q, r};
}

// The first step at which the minor coordinate has moved m cells, for 1 <= m <= B: the least k
// with kB + Bias >= mA, that is floor(((m - 1)A + E) / B) + 1 with E = A - 1 - Bias.
uint64_t FirstStepWithMinor(const TWalk& w, uint64_t m) {
  const uint64_t e = w.A - 1 - w.Bias;
  const uint64_t qa = w.A / w.B, ra = w.A % w.B;
  const uint64_t qe = e / w.B, re = e % w.B;
  // Every term is at most the result, which is at most A.
  return (m - 1) * qa + qe + MulAddDiv(m - 1, ra, re, w.B).Quot + 1;
}

// The offsets o >= 0 for which start + dir * o lies in lo..hi; false when there are none.
bool OffsetRange(int64_t start, int64_t dir, int64_t lo, int64_t hi, uint64_t& first,
                 uint64_t& last) {
  if (lo > hi)
    return false;
  if (dir >= 0) {
    if (hi < start)
      return false;
    first = lo > start ? Distance(start, lo) : 0;
    last = Distance(start, hi);
  } else {
    if (lo > start)
      return false;
    first = hi < start ? Distance(hi, start) : 0;
    last = Distance(lo, start);
  }
  return true;
}

// The steps first..last of the walk whose cells lie in the window; false when there are none.
bool StepRange(const TWalk& w, int64_t minX, int64_t minY, int64_t maxX, int64_t maxY,
               uint64_t& first, uint64_t& last) {
  const bool xMajor = w.MajorX != 0;
  uint64_t lo = 0, hi = 0;
  if (!(xMajor ? OffsetRange(w.X0, w.MajorX, minX, maxX, lo, hi)
               : OffsetRange(w.Y0, w.MajorY, minY, maxY, lo, hi)))
    return false;
  if (lo > w.A)
    return false;
  hi = std::min(hi, w.A);
  // The minor offset never decreases along the walk, so the window on the minor axis is also
  // one run of steps.
  uint64_t mLo = 0, mHi = 0;
  if (!(xMajor ? OffsetRange(w.Y0, w.MinorY, minY, maxY, mLo, mHi)
               : OffsetRange(w.X0, w.MinorX, minX, maxX, mLo, mHi)))
    return false;
  if (mLo > w.B)
    return false;
  if (mLo > 0)
    lo = std::max(lo, FirstStepWithMinor(w, mLo));
  if (mHi < w.B)
    hi = std::min(hi, FirstStepWithMinor(w, mHi + 1) - 1);
  first = lo;
  last = hi;
  return lo <= hi;
}

// Visits steps first..last (last <= A) of the walk, starting with the exact error term of the
// whole walk at step first.
bool Run(const TWalk& w, uint64_t first, uint64_t last, CellVisitor visitor, void* context) {
  uint64_t minor = 0;
  uint64_t r = w.Bias;
  if (first > 0) {
    const TQuotient at = MulAddDiv(first, w.B, w.Bias, w.A);
    minor = at.Quot;
    r = at.Rem;
  }
  int64_t x = Moved(Moved(w.X0, w.MajorX, first), w.MinorX, minor);
  int64_t y = Moved(Moved(w.Y0, w.MajorY, first), w.MinorY, minor);
  const uint64_t diagonal = w.A - w.B; // r >= A - B is the classic d > 0
  for (uint64_t k = first;; ++k) {
    const bool goOn = visitor(x, y, context);
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

} // namespace

bool WalkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, CellVisitor visitor, void* context) {
  const TWalk w = MakeWalk(x0, y0, x1, y1);
  return Run(w, 0, w.A, visitor, context);
}

bool WalkLineClipped(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t minX, int64_t minY,
                     int64_t maxX, int64_t maxY, CellVisitor visitor, void* context) {
  const TWalk w = MakeWalk(x0, y0, x1, y1);
  uint64_t first = 0, last = 0;
  if (!StepRange(w, minX, minY, maxX, maxY, first, last))
    return true;
  return Run(w, first, last, visitor, context);
}

} // namespace quarnel
