// The line walker: example walks, the eight cases, ties, stops, and clipped walks.
#include "raster/Bresham.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <sstream>
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
    if (dx >= 0) {
      xMajor = dy <= dx; // case 1, else case 2
      majorStep = 1;
      minorStep = 1;
    } else if (dy >= -dx) { // case 3
      xMajor = false;
      majorStep = 1;
      minorStep = -1;
    } else { // case 4
      xMajor = true;
      majorStep = -1;
      minorStep = 1;
    }
  } else {
    if (dx <= 0) {
      xMajor = -dx >= -dy; // case 5, else case 6
      majorStep = -1;
      minorStep = -1;
    } else if (dx <= -dy) { // case 7
      xMajor = false;
      majorStep = -1;
      minorStep = 1;
    } else { // case 8
      xMajor = true;
      majorStep = 1;
      minorStep = -1;
    }
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
  std::ostringstream text;
  text << "(" << x0 << ", " << y0 << ") to (" << x1 << ", " << y1 << ")";
  return text.str();
}

struct WalkCase {
  const char* What;
  int64_t X0, Y0, X1, Y1;
  Cells Expected;
};

void PrintTo(const WalkCase& c, std::ostream* out) {
  *out << c.What;
}

class ExampleWalks : public testing::TestWithParam<WalkCase> {};

TEST_P(ExampleWalks, VisitTheirCellsInOrderFromStartToEnd) {
  const WalkCase& c = GetParam();
  EXPECT_EQ(Walk(c.X0, c.Y0, c.X1, c.Y1), c.Expected) << c.What;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ExampleWalks,
    testing::Values(
        WalkCase{"six by two, case 1",
                 0,
                 0,
                 6,
                 2,
                 {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}, {6, 2}}},
        WalkCase{"short line", 0, 0, 2, 1, {{0, 0}, {1, 0}, {2, 1}}},
        WalkCase{"short line reversed", 2, 1, 0, 0, {{2, 1}, {1, 1}, {0, 0}}},
        WalkCase{"shallow line", 0, 0, 4, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}},
        WalkCase{"shallow line reversed", 4, 1, 0, 0, {{4, 1}, {3, 1}, {2, 1}, {1, 0}, {0, 0}}},
        WalkCase{"tie keeps the start side", 0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        WalkCase{"tie reversed keeps its own start side",
                 4,
                 2,
                 0,
                 0,
                 {{4, 2}, {3, 2}, {2, 1}, {1, 1}, {0, 0}}},
        WalkCase{"case 1", 0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        WalkCase{"case 2", 0, 0, 2, 5, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}}},
        WalkCase{"case 3", 0, 0, -2, 5, {{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}},
        WalkCase{"case 4", 0, 0, -5, 2, {{0, 0}, {-1, 0}, {-2, 1}, {-3, 1}, {-4, 2}, {-5, 2}}},
        WalkCase{"case 5", 0, 0, -5, -2, {{0, 0}, {-1, 0}, {-2, -1}, {-3, -1}, {-4, -2}, {-5, -2}}},
        WalkCase{"case 6", 0, 0, -2, -5, {{0, 0}, {0, -1}, {-1, -2}, {-1, -3}, {-2, -4}, {-2, -5}}},
        WalkCase{"case 7", 0, 0, 2, -5, {{0, 0}, {0, -1}, {1, -2}, {1, -3}, {2, -4}, {2, -5}}},
        WalkCase{"case 8", 0, 0, 5, -2, {{0, 0}, {1, 0}, {2, -1}, {3, -1}, {4, -2}, {5, -2}}},
        WalkCase{"left", 0, 0, -4, 0, {{0, 0}, {-1, 0}, {-2, 0}, {-3, 0}, {-4, 0}}},
        WalkCase{"right", 0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        WalkCase{"down", 0, 0, 0, -3, {{0, 0}, {0, -1}, {0, -2}, {0, -3}}},
        WalkCase{"up", 0, 0, 0, 3, {{0, 0}, {0, 1}, {0, 2}, {0, 3}}},
        WalkCase{"exact diagonal", 5, 5, 2, 2, {{5, 5}, {4, 4}, {3, 3}, {2, 2}}},
        WalkCase{"anti-diagonal", 2, -2, -1, 1, {{2, -2}, {1, -1}, {0, 0}, {-1, 1}}},
        WalkCase{"negative coordinates",
                 -3,
                 -1,
                 2,
                 1,
                 {{-3, -1}, {-2, -1}, {-1, 0}, {0, 0}, {1, 1}, {2, 1}}},
        WalkCase{"single cell", 7, -9, 7, -9, {{7, -9}}}));

TEST(LineWalker, MatchesTheEightCaseMethodForEveryShortLine) {
  const std::vector<Cell> starts = {{0, 0}, {-7, 3}, {100, -200}, {-31, -64}};
  for (const Cell& s : starts)
    for (int64_t dx = -16; dx <= 16; ++dx)
      for (int64_t dy = -16; dy <= 16; ++dy) {
        const int64_t x1 = s.first + dx, y1 = s.second + dy;
        ASSERT_EQ(Walk(s.first, s.second, x1, y1), EightCaseWalk(s.first, s.second, x1, y1))
            << LineText(s.first, s.second, x1, y1);
      }
}

TEST(LineWalker, MatchesTheEightCaseMethodForRandomLongLines) {
  std::mt19937_64 rng(11);
  std::uniform_int_distribution<int64_t> coordinate(-5000, 5000);
  for (int i = 0; i < 2000; ++i) {
    const int64_t x0 = coordinate(rng), y0 = coordinate(rng);
    const int64_t x1 = coordinate(rng), y1 = coordinate(rng);
    ASSERT_EQ(Walk(x0, y0, x1, y1), EightCaseWalk(x0, y0, x1, y1)) << LineText(x0, y0, x1, y1);
  }
}

// After k steps of a walk with major difference A and minor difference B the minor
// coordinate has moved floor((2kB + A - 1) / (2A)) cells.
void ExpectMinorOffsets(int64_t a, int64_t b) {
  const Cells cells = Walk(0, 0, a, b);
  ASSERT_EQ(cells.size(), static_cast<size_t>(a) + 1);
  for (int64_t k = 0; k <= a; ++k) {
    ASSERT_EQ(cells[static_cast<size_t>(k)].first, k);
    ASSERT_EQ(cells[static_cast<size_t>(k)].second, (2 * k * b + a - 1) / (2 * a))
        << "A " << a << ", B " << b << ", step " << k;
  }
}

TEST(LineWalker, MovesTheMinorAxisByTheClosedFormForEverySmallLine) {
  for (int64_t a = 1; a <= 64; ++a)
    for (int64_t b = 0; b <= a; ++b)
      ExpectMinorOffsets(a, b);
}

TEST(LineWalker, MovesTheMinorAxisByTheClosedFormForLongLines) {
  std::mt19937_64 rng(5);
  for (int i = 0; i < 20; ++i) {
    const int64_t a = std::uniform_int_distribution<int64_t>(100000, 1 << 20)(rng);
    const int64_t b = std::uniform_int_distribution<int64_t>(0, a)(rng);
    ExpectMinorOffsets(a, b);
  }
  ExpectMinorOffsets(1 << 20, (1 << 19) - 1);
  ExpectMinorOffsets((1 << 20) - 1, 1);
}

struct StopCounter {
  int Calls = 0;
  int StopAt = 0; // the call that returns false; 0 never
};

bool StopAtCall(int64_t, int64_t, void* context) {
  auto* s = static_cast<StopCounter*>(context);
  return ++s->Calls != s->StopAt;
}

TEST(LineWalker, StopsAtTheCallThatReturnsFalseAndReportsIt) {
  for (int k = 1; k <= 7; ++k) {
    StopCounter s{0, k};
    EXPECT_FALSE(WalkLine(0, 0, 6, 2, StopAtCall, &s)) << "stop at " << k;
    EXPECT_EQ(s.Calls, k);
  }
  StopCounter never{0, 0};
  EXPECT_TRUE(WalkLine(0, 0, 6, 2, StopAtCall, &never));
  EXPECT_EQ(never.Calls, 7);
}

TEST(LineWalker, ReturnsTheOnlyCallsResultForASingleCell) {
  StopCounter stop{0, 1};
  EXPECT_FALSE(WalkLine(3, 3, 3, 3, StopAtCall, &stop));
  EXPECT_EQ(stop.Calls, 1);
  StopCounter go{0, 0};
  EXPECT_TRUE(WalkLine(3, 3, 3, 3, StopAtCall, &go));
  EXPECT_EQ(go.Calls, 1);
}

struct ContextCheck {
  void* Expected = nullptr;
  int Mismatches = 0;
  int Calls = 0;
};

ContextCheck* gContextCheck = nullptr;

bool CheckContext(int64_t, int64_t, void* context) {
  ++gContextCheck->Calls;
  if (context != gContextCheck->Expected)
    ++gContextCheck->Mismatches;
  return true;
}

TEST(LineWalker, PassesTheContextUnchangedToEveryCall) {
  int marker = 0;
  for (void* context : {static_cast<void*>(&marker), static_cast<void*>(nullptr),
                        reinterpret_cast<void*>(uintptr_t{0x1234})}) {
    ContextCheck check{context, 0, 0};
    gContextCheck = &check;
    WalkLine(-2, 5, 9, -1, CheckContext, context);
    EXPECT_EQ(check.Calls, 12);
    EXPECT_EQ(check.Mismatches, 0);
    check.Calls = 0;
    WalkLineClipped(-20, 5, 90, -1, 0, -10, 10, 10, CheckContext, context);
    EXPECT_EQ(check.Calls, 11);
    EXPECT_EQ(check.Mismatches, 0);
  }
  gContextCheck = nullptr;
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
  EXPECT_EQ(Clipped(kMin64, kMin64, kMax64, kMax64, 5, -3, 9, 3), Cells{});
}

TEST(ClippedWalk, EqualsTheWholeWalkInsideRandomWindows) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int64_t> coordinate(-60, 160);
  std::uniform_int_distribution<int64_t> bound(-10, 110);
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
    ASSERT_EQ(Clipped(x0, y0, x1, y1, minX, minY, maxX, maxY),
              InWindow(EightCaseWalk(x0, y0, x1, y1), minX, minY, maxX, maxY))
        << LineText(x0, y0, x1, y1) << " in x " << minX << ".." << maxX << ", y " << minY << ".."
        << maxY;
  }
}

TEST(ClippedWalk, EqualsTheWholeWalkForLinesFromFarOutside) {
  std::mt19937_64 rng(8);
  std::uniform_int_distribution<int64_t> far(-300000, 300000);
  std::uniform_int_distribution<int64_t> near(-20, 150);
  const int64_t lo = -4, hi = 131;
  for (int i = 0; i < 600; ++i) {
    // One end far away, the other near or inside the window, so most lines cross an edge.
    int64_t x0 = far(rng), y0 = far(rng), x1 = near(rng), y1 = near(rng);
    if (i % 2)
      std::swap(x0, x1), std::swap(y0, y1);
    if (i % 5 == 0)
      x1 = far(rng);
    ASSERT_EQ(Clipped(x0, y0, x1, y1, lo, lo, hi, hi),
              InWindow(EightCaseWalk(x0, y0, x1, y1), lo, lo, hi, hi))
        << LineText(x0, y0, x1, y1);
  }
}

TEST(ClippedWalk, EqualsTheWholeWalkAlongAndAcrossTheWindowEdges) {
  const int64_t lo = 0, hi = 63;
  std::vector<int64_t> edges = {-70, -1, 0, 1, 31, 62, 63, 64, 130};
  for (int64_t x0 : edges)
    for (int64_t y0 : edges)
      for (int64_t x1 : edges)
        for (int64_t y1 : edges)
          ASSERT_EQ(Clipped(x0, y0, x1, y1, lo, lo, hi, hi),
                    InWindow(EightCaseWalk(x0, y0, x1, y1), lo, lo, hi, hi))
              << LineText(x0, y0, x1, y1);
}

TEST(ClippedWalk, StopsAtTheCallThatReturnsFalse) {
  for (int k = 1; k <= 4; ++k) {
    StopCounter s{0, k};
    EXPECT_FALSE(WalkLineClipped(-100, 0, 100, 0, 0, 0, 9, 0, StopAtCall, &s));
    EXPECT_EQ(s.Calls, k);
  }
  StopCounter outside{0, 1};
  EXPECT_TRUE(WalkLineClipped(-100, 5, 100, 5, 0, 0, 9, 0, StopAtCall, &outside));
  EXPECT_EQ(outside.Calls, 0);
}

// A 128-bit unsigned number as two halves, for checking huge walks exactly.
struct U128 {
  uint64_t Hi = 0, Lo = 0;
};

U128 Mul(uint64_t a, uint64_t b) {
  const uint64_t aL = a & 0xffffffffu, aH = a >> 32, bL = b & 0xffffffffu, bH = b >> 32;
  const uint64_t ll = aL * bL, lh = aL * bH, hl = aH * bL, hh = aH * bH;
  const uint64_t mid = (ll >> 32) + (lh & 0xffffffffu) + (hl & 0xffffffffu);
  return {hh + (lh >> 32) + (hl >> 32) + (mid >> 32), (mid << 32) | (ll & 0xffffffffu)};
}

U128 Add(U128 a, uint64_t b) {
  const uint64_t lo = a.Lo + b;
  return {a.Hi + (lo < b ? 1 : 0), lo};
}

bool LessOrEqual(U128 a, U128 b) {
  return a.Hi != b.Hi ? a.Hi < b.Hi : a.Lo <= b.Lo;
}

// floor((2kB + A - 1) / (2A)) for A < 2^63: estimated, then corrected by exact comparisons.
uint64_t MinorOffset(uint64_t k, uint64_t a, uint64_t b) {
  const U128 n = Add(Mul(2 * k, b), a - 1);
  auto m = static_cast<uint64_t>(static_cast<long double>(k) * static_cast<long double>(b) /
                                     static_cast<long double>(a) +
                                 0.5L);
  while (!LessOrEqual(Mul(2 * a, m), n))
    --m;
  while (LessOrEqual(Mul(2 * a, m + 1), n))
    ++m;
  return m;
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

TEST(ClippedWalk, StartsWithTheExactErrorTermOfHugeLines) {
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

TEST(ClippedWalk, AgreesWithTheClosedFormCheckOnMediumLines) {
  // The closed-form check itself, against the whole walk where that is affordable.
  std::mt19937_64 rng(10);
  std::uniform_int_distribution<int64_t> coordinate(-40000, 40000);
  for (int i = 0; i < 200; ++i) {
    const int64_t x0 = coordinate(rng), y0 = coordinate(rng);
    const int64_t x1 = -x0 + (i % 9), y1 = -y0 - (i % 4);
    ASSERT_EQ(ClosedFormInWindow(x0, y0, x1, y1, -4, 103),
              InWindow(EightCaseWalk(x0, y0, x1, y1), -4, -4, 103, 103))
        << LineText(x0, y0, x1, y1);
  }
}

} // namespace
