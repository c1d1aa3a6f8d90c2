// Bresenham's midpoint line walk over 64-bit cell coordinates, whole or clipped to a window.
#include "raster/Bresham.h"

#include "raster/LineWalk.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace quarnel {

namespace linewalk {

namespace {

// start + step * count, for a count that keeps the result between the end points.
int64_t Moved(int64_t start, int64_t step, uint64_t count) {
  const auto s = static_cast<uint64_t>(start);
  return static_cast<int64_t>(step > 0 ? s + count : step < 0 ? s - count : s);
}

struct TQuotient {
  uint64_t Quot = 0;
  uint64_t Rem = 0;
};

// floor((a * b + c) / d) and its remainder, for d > 0, b <= d, c <= d and a quotient below
// 2^64. Doubling and adding keeps every intermediate value within 64 bits.
TQuotient MulAddDiv(uint64_t a, uint64_t b, uint64_t c, uint64_t d) {
  assert(d > 0 && b <= d && c <= d);
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

} // namespace

bool StepRange(const TWalk& w, int64_t minX, int64_t minY, int64_t maxX, int64_t maxY,
               uint64_t& first, uint64_t& last) {
  if (WithinWindow(w, minX, minY, maxX, maxY)) { // the usual case
    first = 0;
    last = w.A;
    return true;
  }
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

TStep StepAt(const TWalk& w, uint64_t k) {
  assert(k <= w.A);
  TStep at;
  uint64_t minor = 0;
  at.R = w.Bias;
  if (k > 0) {
    const TQuotient q = MulAddDiv(k, w.B, w.Bias, w.A);
    minor = q.Quot;
    at.R = q.Rem;
  }
  at.X = Moved(Moved(w.X0, w.MajorX, k), w.MinorX, minor);
  at.Y = Moved(Moved(w.Y0, w.MajorY, k), w.MinorY, minor);
  return at;
}

} // namespace linewalk

using namespace linewalk;

namespace {

bool Run(const TWalk& w, uint64_t first, uint64_t last, CellVisitor visitor, void* context) {
  return linewalk::Run(w, first, last,
                       [&](int64_t x, int64_t y) { return visitor(x, y, context); });
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
