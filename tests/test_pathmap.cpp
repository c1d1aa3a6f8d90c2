// The pathmap grid: sizing, cell addressing and errors.
#include "common/UTypes.h"
#include "segutils/SegUtils.h"

#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace quarnel;

using testutil::MessageOf;

namespace {

// The one non-zero byte of a map, as (segment i, segment j, byte, value).
struct SetByte {
  int32_t I, J;
  int Byte;
  uint8_t Value;
  bool operator==(const SetByte&) const = default;
};

std::vector<SetByte> NonZeroBytes(const TPathmap& map) {
  std::vector<SetByte> found;
  for (int32_t i = 0; i < map.SegmentCount(); ++i)
    for (int32_t j = 0; j < map.SegmentCount(); ++j)
      for (int b = 0; b < 512; ++b)
        if (map.SegmentByte(i, j, b) != 0)
          found.push_back({i, j, b, map.SegmentByte(i, j, b)});
  return found;
}

struct AddressCase {
  uint32_t Row, Column;
  SetByte Expected;
};

class CellAddress : public testing::TestWithParam<AddressCase> {};

TEST_P(CellAddress, BlockingOneCellSetsExactlyItsBit) {
  const auto& c = GetParam();
  TPathmap map;
  map.SetSize(128);
  map.Block(c.Row, c.Column);
  EXPECT_EQ(NonZeroBytes(map), std::vector<SetByte>{c.Expected});
  EXPECT_TRUE(map.IsBlocked(c.Row, c.Column));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, CellAddress,
    testing::Values(AddressCase{0, 0, {0, 0, 0, 1}}, AddressCase{0, 7, {0, 0, 0, 128}},
                    AddressCase{0, 8, {0, 0, 1, 1}}, AddressCase{1, 0, {0, 0, 8, 1}},
                    AddressCase{63, 63, {0, 0, 511, 128}}, AddressCase{0, 64, {0, 1, 0, 1}},
                    AddressCase{64, 0, {1, 0, 0, 1}}, AddressCase{5, 9, {0, 0, 41, 2}},
                    AddressCase{70, 3, {1, 0, 48, 8}}, AddressCase{127, 127, {1, 1, 511, 128}}));

TEST(Pathmap, BlockedCellIsNotMirroredAcrossTheDiagonal) {
  TPathmap map;
  map.SetSize(64);
  map.Block(5, 9);
  EXPECT_TRUE(map.IsBlocked(5, 9));
  EXPECT_FALSE(map.IsBlocked(9, 5));
}

TEST(Pathmap, CellsOutsideTheGridCountAsBlockedAndCannotBeBlocked) {
  TPathmap map;
  map.SetSize(64);
  const uint32_t minusOne = static_cast<uint32_t>(-1);
  for (auto [r, c] : std::vector<std::pair<uint32_t, uint32_t>>{
           {64, 0}, {0, 64}, {minusOne, 0}, {0, minusOne}, {0x80000000u, 3}}) {
    EXPECT_TRUE(map.IsBlocked(r, c));
    map.Block(r, c);
  }
  EXPECT_TRUE(NonZeroBytes(map).empty());
  EXPECT_FALSE(map.IsBlocked(63, 63));
}

TEST(Pathmap, AnUnsizedMapRefusesCellOperations) {
  TPathmap map;
  map.SetSize(0);
  EXPECT_EQ(map.Size(), 0u);
  EXPECT_EQ(MessageOf([&] { map.Block(0, 0); }), "Pathmap not initialised");
  EXPECT_EQ(MessageOf([&] { map.IsBlocked(0, 0); }), "Pathmap not initialised");
  map.Clear(); // does nothing and raises nothing
  EXPECT_EQ(MessageOf([&] { FillHoles(map); }), "Pathmap not initialised");
}

TEST(Pathmap, SizeThatIsNoMultipleOf64IsRefusedAndTheMapKept) {
  TPathmap map;
  map.SetSize(128);
  map.Block(3, 4);
  EXPECT_EQ(MessageOf([&] { map.SetSize(100); }), "Invalid pathmap size: 100");
  EXPECT_EQ(MessageOf([&] { map.SetSize(static_cast<uint32_t>(-1)); }),
            "Invalid pathmap size: 4294967295");
  EXPECT_EQ(map.Size(), 128u);
  EXPECT_EQ(map.SegmentCount(), 2);
  EXPECT_TRUE(map.IsBlocked(3, 4));
}

TEST(Pathmap, ClearFreesEveryCellAndKeepsTheDimensions) {
  TPathmap map;
  map.SetSize(192);
  map.Block(0, 0);
  map.Block(191, 191);
  map.Block(100, 64);
  map.Clear();
  EXPECT_EQ(map.Size(), 192u);
  EXPECT_EQ(map.SegmentCount(), 3);
  EXPECT_TRUE(NonZeroBytes(map).empty());
}

TEST(Pathmap, ResizingDiscardsEveryBlock) {
  TPathmap map;
  map.SetSize(64);
  map.Block(1, 1);
  map.SetSize(128);
  EXPECT_EQ(map.SegmentCount(), 2);
  EXPECT_TRUE(NonZeroBytes(map).empty());
}

TEST(Pathmap, SizesBeyondMemoryFailWithTheRunTimeMessages) {
  TPathmap map;
  EXPECT_EQ(MessageOf([&] { map.SetSize(4294967232u); }), "Range check error");
  EXPECT_EQ(map.Size(), 0u);
  EXPECT_EQ(MessageOf([&] { map.SetSize(4194304u * 64u - 64u); }), "Out of memory");
  EXPECT_EQ(map.Size(), 0u);
}

TEST(LevelCount, FollowsTheLargestPowerOfTwoOfTheSegmentCount) {
  const std::vector<std::pair<uint32_t, int32_t>> table = {
      {0, 0},    {64, 0},   {128, 1},   {192, 1},   {1024, 4},  {2048, 5},
      {4096, 6}, {8192, 7}, {16384, 8}, {32704, 8}, {32768, 0}, {4294967232u, 0}};
  for (auto [size, levels] : table)
    EXPECT_EQ(TPathmap::LevelCount(size), levels) << "size " << size;
}

} // namespace
