// The line walker against the textbook eight-case walk, and clipped walks against whole ones.
#include "raster/Bresham.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <tuple>
#include <vector>

using namespace quarnel;

namespace {

using Cells = std::vector<std::pair<int64_t, int64_t>>; // (x, y)
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

bool Collect(int64_t x, int64_t y, void* context) {
  static_cast<Cells*>(context)->push_back({x, y});
  return true;
}

Cells Walk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  Cells cells;
  EXPECT_TRUE(WalkLine(x0, y0, x1, y1, Collect, &cells));
  return cells;
}

Cells Clipped(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t lo, int64_t hi) {
  Cells cells;
  EXPECT_TRUE(WalkLineClipped(x0, y0, x1, y1, lo, lo, hi, hi, Collect, &cells));
  return cells;
}

// The textbook walk: the eight cases by their sign comparisons, the error term d with its
// straight and diagonal increments; only the cells in lo..hi are kept. Small lines only.
Cells EightCaseWalk(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t lo = kMin,
                    int64_t hi = kMax) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  // Cases 1 and 2, 3, 4, then 5 and 6, 7, 8: {x major, major step, minor step}.
  const auto [xMajor, majorStep, minorStep] = dy >= 0 ? (dx >= 0     ? std::tuple{dy <= dx, 1, 1}
                                                         : dy >= -dx ? std::tuple{false, 1, -1}
                                                                     : std::tuple{true, -1, 1})
                                                      : (dx <= 0 ? std::tuple{-dx >= -dy, -1, -1}
                                                         : dx <= -dy ? std::tuple{false, -1, 1}
                                                                     : std::tuple{true, 1, -1});
  const int64_t a = std::abs(xMajor ? dx : dy), b = std::abs(xMajor ? dy : dx);
  int64_t d = 2 * b - a, x = x0, y = y0;
  int64_t& major = xMajor ? x : y;
  int64_t& minor = xMajor ? y : x;
  Cells cells;
  for (const int64_t end = xMajor ? x1 : y1;; major += majorStep) {
    if (x >= lo && x <= hi && y >= lo && y <= hi)
      cells.push_back({x, y});
    if (major == end)
      return cells;
    if (d > 0)
      d += 2 * b - 2 * a, minor += minorStep;
    else
      d += 2 * b;
  }
}

TEST(ClippedWalk, VisitsExactlyTheWholeWalksCellsInsideRandomWindows) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int64_t> coordinate(-60, 160), bound(-10, 110), far(-30000, 30000);
  for (int i = 0; i < 100000; ++i) {
    const int64_t x0 = coordinate(rng), y0 = coordinate(rng), x1 = coordinate(rng),
                  y1 = coordinate(rng);
    const int64_t minX = bound(rng), maxX = bound(rng), minY = bound(rng), maxY = bound(rng);
    Cells clipped, kept;
    WalkLineClipped(x0, y0, x1, y1, minX, minY, maxX, maxY, Collect, &clipped);
    for (auto [x, y] : EightCaseWalk(x0, y0, x1, y1))
      if (x >= minX && x <= maxX && y >= minY && y <= maxY)
        kept.push_back({x, y});
    ASSERT_EQ(clipped, kept) << x0 << ", " << y0 << " to " << x1 << ", " << y1;
    if (i % 100 == 0) { // one end far away, so that the line crosses the window's edges
      const int64_t fx = far(rng), fy = far(rng);
      ASSERT_EQ(Clipped(fx, fy, x1, y1, -4, 131), EightCaseWalk(fx, fy, x1, y1, -4, 131));
    }
  }
}

// The minor coordinate after k of A steps has moved floor((2kB + A - 1) / (2A)) cells.
Cells ClosedFormInWindow(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t lo, int64_t hi) {
  using U128 = unsigned __int128;
  auto dist = [](int64_t a, int64_t b) {
    return a <= b ? uint64_t(b) - uint64_t(a) : uint64_t(a) - uint64_t(b);
  };
  const bool xMajor = dist(x0, x1) >= dist(y0, y1);
  const int64_t m0 = xMajor ? x0 : y0, m1 = xMajor ? x1 : y1, n0 = xMajor ? y0 : x0,
                n1 = xMajor ? y1 : x1;
  const uint64_t a = dist(m0, m1), b = dist(n0, n1);
  const int64_t majorDir = m1 < m0 ? -1 : 1, minorDir = n1 < n0 ? -1 : 1;
  Cells cells;
  for (int64_t i = 0; i <= hi - lo; ++i) {
    const int64_t major = majorDir > 0 ? lo + i : hi - i;
    if ((major - m0) * majorDir < 0 || uint64_t((major - m0) * majorDir) > a)
      continue;
    const auto k = U128(uint64_t((major - m0) * majorDir));
    const int64_t minor = n0 + minorDir * int64_t((2 * k * b + a - 1) / (2 * U128{a}));
    if (minor >= lo && minor <= hi)
      cells.push_back(xMajor ? std::pair{major, minor} : std::pair{minor, major});
  }
  return cells;
}

TEST(ClippedWalk, StartsHugeLinesWithTheExactErrorTermWhereTheyCrossTheWindow) {
  EXPECT_EQ(Clipped(kMin, -1, kMax, 0, -2, 2), (Cells{{-2, -1}, {-1, -1}, {0, 0}, {1, 0}, {2, 0}}));
  std::mt19937_64 rng(9);
  const int64_t limit = (int64_t{1} << 62) - 1;
  std::uniform_int_distribution<int64_t> huge(-limit, limit), inside(0, 99);
  int crossing = 0;
  for (int i = 0; i < 3000; ++i) {
    // Through a cell of the window: the far end mirrored about it; now and then anywhere.
    const int64_t x0 = huge(rng) / 2, y0 = huge(rng) / 2;
    const int64_t x1 = i % 3 ? 2 * inside(rng) - x0 + i % 7 - 3 : huge(rng);
    const int64_t y1 = i % 3 ? 2 * inside(rng) - y0 - i % 5 + 2 : huge(rng);
    const Cells expected = ClosedFormInWindow(x0, y0, x1, y1, -4, 103);
    crossing += !expected.empty();
    ASSERT_EQ(Clipped(x0, y0, x1, y1, -4, 103), expected)
        << x0 << ", " << y0 << " to " << x1 << ", " << y1;
  }
  EXPECT_GT(crossing, 1500);
  for (int64_t a = 1; a <= 64; ++a) // whole walks of every small line, against the closed form
    for (int64_t b = -a; b <= a; ++b)
      ASSERT_EQ(Walk(0, 0, a, b), ClosedFormInWindow(0, 0, a, b, -64, 64));
}

} // namespace
