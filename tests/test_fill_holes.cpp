// Hole filling: the word-wide pass against the plain per-cell scan.
#include "segutils/SegUtils.h"
#include "support/PathmapUtil.h"

#include <gtest/gtest.h>

#include <random>

using namespace quarnel;
using testutil::FillHolesPerCell;
using testutil::SameCells;

namespace {

void CopyMap(const TPathmap& from, TPathmap& to) {
  to.SetSize(from.Size());
  for (uint32_t r = 0; r < from.Size(); ++r)
    for (int32_t j = 0; j < from.SegmentCount(); ++j)
      to.Row(r)[j] = from.Row(r)[j];
}

// A 64 map from a picture: '#' blocked, '.' free, placed with its top-left at (row, col).
void Draw(TPathmap& map, uint32_t row, uint32_t col, std::initializer_list<const char*> rows) {
  for (const char* line : rows) {
    for (uint32_t c = 0; line[c] != 0; ++c)
      if (line[c] == '#')
        map.Block(row, col + c);
    ++row;
  }
}

TEST(FillHoles, AFreeCellEnclosedOnItsFourEdgesIsBlockedWhateverItsDiagonals) {
  TPathmap map;
  map.SetSize(64);
  Draw(map, 9, 9, {".#.", "#.#", ".#."});
  FillHoles(map);
  EXPECT_TRUE(map.IsBlocked(10, 10));
  EXPECT_FALSE(map.IsBlocked(9, 9));
  EXPECT_FALSE(map.IsBlocked(11, 11));
}

TEST(FillHoles, TwoFreeCellsSideBySideStayFree) {
  TPathmap map;
  map.SetSize(64);
  Draw(map, 9, 9, {".##.", "#..#", ".##."});
  Draw(map, 20, 20, {".#.", "#.#", "#.#", ".#."});
  FillHoles(map);
  EXPECT_FALSE(map.IsBlocked(10, 10));
  EXPECT_FALSE(map.IsBlocked(10, 11));
  EXPECT_FALSE(map.IsBlocked(21, 21));
  EXPECT_FALSE(map.IsBlocked(22, 21));
}

TEST(FillHoles, TheGridEdgeCountsAsBlocked) {
  TPathmap map;
  map.SetSize(128);
  const uint32_t last = 127;
  map.Block(0, 1);
  map.Block(1, 0); // corner (0, 0)
  map.Block(0, 4);
  map.Block(0, 6);
  map.Block(1, 5); // (0, 5) on the first row
  map.Block(last, 9);
  map.Block(last, 11);
  map.Block(last - 1, 10); // (last, 10) on the last row
  map.Block(30, last);
  map.Block(32, last);
  map.Block(31, last - 1); // (31, last) in the last column
  map.Block(last, last - 1);
  map.Block(last - 1, last); // the far corner
  map.Block(40, 63);
  map.Block(40, 65);
  map.Block(39, 64);
  map.Block(41, 64); // (40, 64) on a word boundary
  FillHoles(map);
  for (auto [r, c] : std::vector<std::pair<uint32_t, uint32_t>>{
           {0, 0}, {0, 5}, {last, 10}, {31, last}, {last, last}, {40, 64}})
    EXPECT_TRUE(map.IsBlocked(r, c)) << r << ", " << c;
  EXPECT_FALSE(map.IsBlocked(0, 2));
}

TEST(FillHoles, ACheckerboardBecomesCompletelyBlocked) {
  TPathmap map;
  map.SetSize(128);
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t c = 0; c < 128; ++c)
      if ((r + c) % 2 == 0)
        map.Block(r, c);
  FillHoles(map);
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t c = 0; c < 128; ++c)
      ASSERT_TRUE(map.IsBlocked(r, c));
}

TEST(FillHoles, EmptyAndFullMapsAreUnchanged) {
  TPathmap map;
  map.SetSize(64);
  FillHoles(map);
  EXPECT_FALSE(map.IsBlocked(30, 30));
  for (uint32_t r = 0; r < 64; ++r)
    for (uint32_t c = 0; c < 64; ++c)
      map.Block(r, c);
  FillHoles(map);
  EXPECT_TRUE(map.IsBlocked(30, 30));
}

struct RandomCase {
  uint32_t Size;
  double Share;
};

class FillHolesRandom : public testing::TestWithParam<RandomCase> {};

TEST_P(FillHolesRandom, MatchesThePerCellScanAndIsIdempotent) {
  std::mt19937_64 rng(GetParam().Size * 1000 + static_cast<uint64_t>(GetParam().Share * 100));
  std::bernoulli_distribution blocked(GetParam().Share);
  for (int round = 0; round < 3; ++round) {
    TPathmap fast, plain;
    fast.SetSize(GetParam().Size);
    for (uint32_t r = 0; r < fast.Size(); ++r)
      for (uint32_t c = 0; c < fast.Size(); ++c)
        if (blocked(rng))
          fast.Block(r, c);
    CopyMap(fast, plain);
    FillHoles(fast);
    FillHolesPerCell(plain);
    ASSERT_TRUE(SameCells(fast, plain));
    FillHoles(fast);
    ASSERT_TRUE(SameCells(fast, plain)) << "a second pass changed the map";
  }
}

INSTANTIATE_TEST_SUITE_P(SizesAndDensities, FillHolesRandom,
                         testing::Values(RandomCase{64, 0.3}, RandomCase{64, 0.7},
                                         RandomCase{128, 0.5}, RandomCase{192, 0.3},
                                         RandomCase{192, 0.8}, RandomCase{256, 0.6},
                                         RandomCase{320, 0.9}));

} // namespace
