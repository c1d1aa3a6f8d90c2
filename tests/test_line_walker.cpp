// The line walker: example walks, the eight cases, ties, stops, and clipped walks.
#include "raster/Bresham.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace quarnel;

namespace {

using Cell = std::pair<int64_t, int64_t>; // (x, y)
using Cells = std::vector<Cell>;

constexpr int64_t kMin64 = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

bool Collect(int64_t x, int64_t y, void* context) {
  static_cast<Cells*>(context)->push_back({x, y});
  return true;
}

Cells Walk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  Cells cells;
  EXPECT_TRUE(WalkLine(x0, y0, x1, y1, Collect, &cells));
  return cells;
}

Cells Clipped(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t minX, int64_t minY,
              int64_t maxX, int64_t maxY) {
  Cells cells;
  EXPECT_TRUE(WalkLineClipped(x0, y0, x1, y1, minX, minY, maxX, maxY, Collect, &cells));
  return cells;
}

// The textbook eight-case walk: the cases by their sign comparisons and the error term
// d with its straight and diagonal increments. Only for small coordinates.
Cells EightCaseWalk(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  bool xMajor = false;
  int64_t majorStep = 0, minorStep = 0;
  if (dy >= 0) {
    if (dx >= 0)
      xMajor = dy <= dx, majorStep = 1, minorStep = 1; // case 1, else case 2
    else if (dy >= -dx)
      xMajor = false, majorStep = 1, minorStep = -1; // case 3
    else
      xMajor = true, majorStep = -1, minorStep = 1; // case 4
  } else {
    if (dx <= 0)
      xMajor = -dx >= -dy, majorStep = -1, minorStep = -1; // case 5, else case 6
    else if (dx <= -dy)
      xMajor = false, majorStep = -1, minorStep = 1; // case 7
    else
      xMajor = true, majorStep = 1, minorStep = -1; // case 8
  }
  const int64_t a = xMajor ? std::abs(dx) : std::abs(dy);
  const int64_t b = xMajor ? std::abs(dy) : std::abs(dx);
  const int64_t straight = 2 * b, diagonal = 2 * b - 2 * a;
  int64_t d = 2 * b - a;
  int64_t x = x0, y = y0;
  Cells cells{{x, y}};
  int64_t& major = xMajor ? x : y;
  int64_t& minor = xMajor ? y : x;
  const int64_t end = xMajor ? x1 : y1;
  while (majorStep > 0 ? major < end : major > end) {
    if (d > 0) {
      d += diagonal;
      minor += minorStep;
    } else {
      d += straight;
    }
    major += majorStep;
    cells.push_back({x, y});
  }
  return cells;
}

Cells InWindow(const Cells& cells, int64_t minX, int64_t minY, int64_t maxX, int64_t maxY) {
  Cells kept;
  for (const Cell& c : cells)
    if (c.first >= minX && c.first <= maxX && c.second >= minY && c.second <= maxY)
      kept.push_back(c);
  return kept;
}

std::string LineText(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  return "(" + std::to_string(x0) + ", " + std::to_string(y0) + ") to (" + std::to_string(x1) +
         ", " + std::to_string(y1) + ")";
}

struct WalkCase {
  const char* What;
  int64_t X0, Y0, X1, Y1;
  Cells Expected;
};

TEST(LineWalker, VisitsTheCellsOfTheDesignedExamplesInOrderFromStartToEnd) {
  const WalkCase cases[] = {
      {"the worked example", 0, 0, 6, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}}},
      {"a short line", 0, 0, 2, 1, {{0, 0}, {1, 0}, {2, 1}}},
      {"a short line reversed", 2, 1, 0, 0, {{2, 1}, {1, 1}, {0, 0}}},
      {"a shallow line", 0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}},
      {"a shallow line reversed", 4, 1, 0, 0, {{4, 1}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
      {"a tie keeps the start side", 0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
      {"a reversed tie keeps its start side", 4, 2, 0, 0, {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
      {"case 2", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
      {"case 3", 0, 0, -2, 5, {{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}},
      {"left", 0, 0, -4, 0, {{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}}},
      {"right", 0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
      {"down", 0, 0, 0, -3, {{0, 0}, {0, -1}, {0, -2}, {0, -3}}},
      {"up", 0, 0, 0, 3, {{0, 0}, {0, 1}, {0, 2}, {0, 3}}},
      {"an exact diagonal", 5, 5, 2, 2, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
      {"negative coordinates", -3, -1, 2, 1, {{-3, -1}, {-2, -1}, {-1, 0}, {0, 0}, {1, 1}, {2, 1}}},
      {"a single cell", 7, -9, 7, -9, {{7, -9}}}};
  for (const WalkCase& c : cases)
    EXPECT_EQ(Walk(c.X0, c.Y0, c.X1, c.Y1), c.Expected) << c.What;
}

TEST(LineWalker, MatchesTheEightCaseMethodForEveryShortLineAndRandomLongOnes) {
  for (const Cell& s : std::vector<Cell>{{0, 0}, {-7, 3}, {100, -200}, {-31, -64}})
    for (int64_t dx = -16; dx <= 16; ++dx)
      for (int64_t dy = -16; dy <= 16; ++dy) {
        const int64_t x1 = s.first + dx, y1 = s.second + dy;
        ASSERT_EQ(Walk(s.first, s.second, x1, y1), EightCaseWalk(s.first, s.second, x1, y1))
            << LineText(s.first, s.second, x1, y1);
      }
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int64_t> coordinate(-5000, 5000);
  for (int i = 0; i < 2000; ++i) {
    const int64_t x0 = coordinate(rng), y0 = coordinate(rng);
    const int64_t x1 = coordinate(rng), y1 = coordinate(rng);
    ASSERT_EQ(Walk(x0, y0, x1, y1), EightCaseWalk(x0, y0, x1, y1)) << LineText(x0, y0, x1, y1);
  }
}

struct StopCounter {
  int Calls = 0;
  int StopAt = 0; // the call that returns false; 0 never
};

bool StopAtCall(int64_t, int64_t, void* context) {
  auto* s = static_cast<StopCounter*>(context);
  return ++s->Calls != s->StopAt;
}

TEST(LineWalker, StopsAtTheCallThatReturnsFalseAndReturnsTheLastCallsResult) {
  struct StopCase {
    int64_t X0, Y0, X1, Y1, MinX, MaxX; // a window of one row, y 0, for the clipped walk
    bool Clipped;
    int StopAt, Calls;
  };
  // The last: no cell in the window, so no call, and true.
  std::vector<StopCase> cases = {{3, 3, 3, 3, 0, 0, false, 1, 1},
                                 {3, 3, 3, 3, 0, 0, false, 0, 1},
                                 {0, 0, 6, 2, 0, 0, false, 0, 7},
                                 {-100, 0, 100, 0, 0, 9, true, 0, 10},
                                 {-100, 5, 100, 5, 0, 9, true, 1, 0}};
  for (int k = 1; k <= 7; ++k)
    cases.push_back({0, 0, 6, 2, 0, 0, false, k, k});
  for (int k = 1; k <= 4; ++k)
    cases.push_back({-100, 0, 100, 0, 0, 9, true, k, k});
  for (const StopCase& c : cases) {
    StopCounter s{0, c.StopAt};
    const bool result =
        c.Clipped ? WalkLineClipped(c.X0, c.Y0, c.X1, c.Y1, c.MinX, 0, c.MaxX, 0, StopAtCall, &s)
                  : WalkLine(c.X0, c.Y0, c.X1, c.Y1, StopAtCall, &s);
    // False exactly when the call that returns false came.
    EXPECT_EQ(result, c.StopAt == 0 || c.Calls < c.StopAt) << LineText(c.X0, c.Y0, c.X1, c.Y1);
    EXPECT_EQ(s.Calls, c.Calls) << LineText(c.X0, c.Y0, c.X1, c.Y1) << " stop at " << c.StopAt;
  }
}

void* gExpectedContext = nullptr;
int gContextCalls = 0, gContextMismatches = 0;

bool CheckContext(int64_t, int64_t, void* context) {
  ++gContextCalls;
  gContextMismatches += context != gExpectedContext;
  return true;
}

TEST(LineWalker, PassesTheContextUnchangedToEveryCall) {
  int marker = 0;
  for (void* context : {static_cast<void*>(&marker), static_cast<void*>(nullptr),
                        reinterpret_cast<void*>(uintptr_t{0x1234})}) {
    gExpectedContext = context;
    gContextCalls = gContextMismatches = 0;
    WalkLine(-2, 5, 9, -1, CheckContext, context);
    WalkLineClipped(-20, 5, 90, -1, 0, -10, 10, 10, CheckContext, context);
    EXPECT_EQ(gContextCalls, 12 + 11);
    EXPECT_EQ(gContextMismatches, 0);
  }
}

TEST(LineWalker, WalksLinesAtTheEndsOfThe64BitRangeLikeShiftedShortLines) {
  const Cells reference = Walk(0, 0, 9, -4);
  for (const Cell& offset : std::vector<Cell>{{kMax64 - 9, kMin64 + 4},
                                              {kMin64, kMax64},
                                              {(int64_t{1} << 62) - 10, -(int64_t{1} << 62)}}) {
    Cells shifted;
    for (const Cell& c : reference)
      shifted.push_back({c.first + offset.first, c.second + offset.second});
    EXPECT_EQ(Walk(offset.first, offset.second, offset.first + 9, offset.second - 4), shifted);
  }
}

TEST(ClippedWalk, CrossesTheWhole64BitRangeInAFewCells) {
  EXPECT_EQ(Clipped(kMin64, kMin64, kMax64, kMax64, -3, -3, 3, 3),
            (Cells{{-3, -3}, {-2, -2}, {-1, -1}, {0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(Clipped(kMax64, 1, kMin64, 1, -2, 0, 2, 5),
            (Cells{{2, 1}, {1, 1}, {0, 1}, {-1, 1}, {-2, 1}}));
  // Minor difference 1 over 2^64 - 1 steps: the minor coordinate moves just past halfway.
  EXPECT_EQ(Clipped(kMin64, -1, kMax64, 0, -2, -2, 2, 2),
            (Cells{{-2, -1}, {-1, -1}, {0, 0}, {1, 0}, {2, 0}}));
  EXPECT_EQ(Clipped(kMin64, kMin64, kMax64, 0, kMax64 - 2, -2, kMax64, 2),
            (Cells{{kMax64 - 2, -1}, {kMax64 - 1, -1}, {kMax64, 0}}));
  EXPECT_EQ(Clipped(kMin64, kMin64, kMax64, kMax64, 5, -3, 9, 3), Cells{});
}

// The clipped walk against the cells of the whole eight-case walk inside the window.
testing::AssertionResult ClippedIsWholeWalkInWindow(int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                                                    int64_t minX, int64_t minY, int64_t maxX,
                                                    int64_t maxY) {
  if (Clipped(x0, y0, x1, y1, minX, minY, maxX, maxY) ==
      InWindow(EightCaseWalk(x0, y0, x1, y1), minX, minY, maxX, maxY))
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << LineText(x0, y0, x1, y1) << " in x " << minX << ".." << maxX
                                     << ", y " << minY << ".." << maxY;
}

TEST(ClippedWalk, EqualsTheWholeWalkInRandomWindowsForLinesFromFarOutsideAndAlongTheEdges) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int64_t> coordinate(-60, 160), bound(-10, 110);
  for (int i = 0; i < 100000; ++i) {
    const int64_t x0 = coordinate(rng), y0 = coordinate(rng);
    const int64_t x1 = coordinate(rng), y1 = coordinate(rng);
    int64_t minX = bound(rng), maxX = bound(rng), minY = bound(rng), maxY = bound(rng);
    if (i % 8 != 0) { // now and then an empty window
      if (minX > maxX)
        std::swap(minX, maxX);
      if (minY > maxY)
        std::swap(minY, maxY);
    }
    ASSERT_TRUE(ClippedIsWholeWalkInWindow(x0, y0, x1, y1, minX, minY, maxX, maxY));
  }
  std::uniform_int_distribution<int64_t> far(-300000, 300000), near(-20, 150);
  for (int i = 0; i < 600; ++i) {
    // One end far away, the other near or inside the window, so most lines cross an edge.
    int64_t x0 = far(rng), y0 = far(rng), x1 = near(rng), y1 = near(rng);
    if (i % 2)
      std::swap(x0, x1), std::swap(y0, y1);
    if (i % 5 == 0)
      x1 = far(rng);
    ASSERT_TRUE(ClippedIsWholeWalkInWindow(x0, y0, x1, y1, -4, -4, 131, 131));
  }
  const int64_t edges[] = {-70, -1, 0, 1, 31, 62, 63, 64, 130};
  for (int64_t x0 : edges)
    for (int64_t y0 : edges)
      for (int64_t x1 : edges)
        for (int64_t y1 : edges)
          ASSERT_TRUE(ClippedIsWholeWalkInWindow(x0, y0, x1, y1, 0, 0, 63, 63));
}

// After k steps of a walk with major difference A and minor difference B the minor
// coordinate has moved floor((2kB + A - 1) / (2A)) cells; exactly, for A < 2^63.
uint64_t MinorOffset(uint64_t k, uint64_t a, uint64_t b) {
  using U128 = unsigned __int128;
  return static_cast<uint64_t>((2 * U128{k} * b + a - 1) / (2 * U128{a}));
}

uint64_t Dist(int64_t a, int64_t b) {
  return a <= b ? static_cast<uint64_t>(b) - static_cast<uint64_t>(a)
                : static_cast<uint64_t>(a) - static_cast<uint64_t>(b);
}

// The cells of a huge walk inside the window, from the closed form at every major coordinate
// of the window.
Cells ClosedFormInWindow(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t lo, int64_t hi) {
  const bool xMajor = Dist(x0, x1) >= Dist(y0, y1);
  const int64_t majorStart = xMajor ? x0 : y0, majorEnd = xMajor ? x1 : y1;
  const int64_t minorStart = xMajor ? y0 : x0, minorEnd = xMajor ? y1 : x1;
  const uint64_t a = Dist(majorStart, majorEnd), b = Dist(minorStart, minorEnd);
  const int64_t majorDir = majorEnd < majorStart ? -1 : 1;
  const int64_t minorDir = minorEnd < minorStart ? -1 : 1;
  Cells cells;
  for (int64_t i = 0; i <= hi - lo; ++i) {
    const int64_t major = majorDir > 0 ? lo + i : hi - i; // in walking order
    if ((major - majorStart) * majorDir < 0)
      continue;
    const auto k = static_cast<uint64_t>((major - majorStart) * majorDir);
    if (k > a)
      continue;
    const auto m = static_cast<int64_t>(MinorOffset(k, a, b));
    const int64_t minor = minorStart + minorDir * m;
    if (minor < lo || minor > hi)
      continue;
    cells.push_back(xMajor ? Cell{major, minor} : Cell{minor, major});
  }
  return cells;
}

TEST(LineWalker, MovesTheMinorAxisByTheClosedFormForEverySmallLineAndRandomLongOnes) {
  std::vector<Cell> lines = {{1 << 20, (1 << 19) - 1}, {(1 << 20) - 1, 1}}; // (A, B)
  for (int64_t a = 1; a <= 64; ++a)
    for (int64_t b = 0; b <= a; ++b)
      lines.push_back({a, b});
  std::mt19937_64 rng(5);
  for (int i = 0; i < 20; ++i) {
    const int64_t a = std::uniform_int_distribution<int64_t>(100000, 1 << 20)(rng);
    lines.push_back({a, std::uniform_int_distribution<int64_t>(0, a)(rng)});
  }
  for (const auto& [a, b] : lines)
    ASSERT_EQ(Walk(0, 0, a, b), ClosedFormInWindow(0, 0, a, b, 0, a)) << "A " << a << ", B " << b;
}

TEST(ClippedWalk, StartsWithTheExactErrorTermOfHugeLines) {
  // The closed form itself, against the whole walk where that is affordable.
  std::mt19937_64 medium(10);
  std::uniform_int_distribution<int64_t> coordinate(-40000, 40000);
  for (int i = 0; i < 200; ++i) {
    const int64_t x0 = coordinate(medium), y0 = coordinate(medium);
    const int64_t x1 = -x0 + (i % 9), y1 = -y0 - (i % 4);
    ASSERT_EQ(ClosedFormInWindow(x0, y0, x1, y1, -4, 103),
              InWindow(EightCaseWalk(x0, y0, x1, y1), -4, -4, 103, 103))
        << LineText(x0, y0, x1, y1);
  }
  std::mt19937_64 rng(9);
  const int64_t limit = (int64_t{1} << 62) - 1;
  std::uniform_int_distribution<int64_t> huge(-limit, limit);
  std::uniform_int_distribution<int64_t> inside(0, 99);
  const int64_t lo = -4, hi = 103;
  int crossing = 0;
  for (int i = 0; i < 3000; ++i) {
    int64_t x0 = huge(rng), y0 = huge(rng), x1 = 0, y1 = 0;
    if (i % 3 == 0) {
      x1 = huge(rng), y1 = huge(rng); // rarely crosses; checks that nothing is made up
    } else {
      // Through a cell of the window: mirror the far end about it, kept within range.
      const int64_t px = inside(rng), py = inside(rng);
      x0 /= 2, y0 /= 2;
      x1 = 2 * px - x0 + (i % 7) - 3;
      y1 = 2 * py - y0 - (i % 5) + 2;
    }
    const Cells expected = ClosedFormInWindow(x0, y0, x1, y1, lo, hi);
    crossing += !expected.empty();
    ASSERT_EQ(Clipped(x0, y0, x1, y1, lo, lo, hi, hi), expected) << LineText(x0, y0, x1, y1);
  }
  EXPECT_GT(crossing, 1500);
}

} // namespace
