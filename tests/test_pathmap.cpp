// The pathmap: the map file reader against hand-made files, hole filling against the plain
// scan, and the grid's failures.
#include "segutils/MapFileReader.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace quarnel;
using namespace testutil;

namespace {

std::string Int32(int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  return {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

std::string Header(int32_t levels) {
  return Int32(levels) + Int32(levels) + Int32(6) + Int32(0) + Int32(0) + Int32(2) + Int32(0) +
         Int32(-1);
}

// 512 segment bytes, all zero but the given ones.
std::string Cells(std::vector<std::pair<size_t, char>> bytes, char fill = 0) {
  std::string cells(512, fill);
  for (auto [at, value] : bytes)
    cells[at] = value;
  return cells;
}

TEST(MapFile, TheReaderNamesEachDefectWithItsByteOffsetAndLeavesTheMapAlone) {
  // A 128 map: free at 32; mixed at 36 (cells 40..551, only (0, 64)); blocked at 552; mixed
  // at 556 (cells 560..1071, all but (127, 127)). 1072 bytes.
  const std::string valid = Header(1) + Int32(0) + Int32(-1) + Cells({{0, 1}}) + Int32(1) +
                            Int32(-1) + Cells({{511, 0x7F}}, char(0xFF));
  auto set = [&](size_t at, char v) { return valid.substr(0, at) + v + valid.substr(at + 1); };
  const std::pair<std::string, std::string> cases[] = {
      {"", "byte 0: the file ends inside the 32-byte header"},
      {valid.substr(0, 31), "byte 31: the file ends inside the 32-byte header"},
      {set(8, 7), "byte 8: header field is 7, expected 6"},
      {set(15, 1), "byte 12: header field is 16777216, expected 0"},
      {set(31, 0x7F), "byte 28: header field is 2147483647, expected -1"},
      {set(0, 2), "byte 0: level count 2 does not match the 1 of a 128 by 128 map"},
      {set(32, 2), "byte 32: segment record 0 has the code 2; expected 0, 1 or -1"},
      {set(555, 1), "byte 552: segment record 2 has the code 16777217; expected 0, 1 or -1"},
      {valid.substr(0, 1071),
       "byte 1071: the file ends inside the 512 cell bytes of segment record 3 (from byte 560)"},
      {valid.substr(0, 554),
       "byte 554: the file ends inside the code of segment record 2 (from byte 552)"},
      {valid + Int32(0), "byte 1072: 5 segment records do not make a square map; the first 4 "
                         "(a 128 by 128 map) end here"},
      {valid.substr(0, 556), "byte 36: 3 segment records do not make a square map; the first 1 "
                             "(a 64 by 64 map) end here"},
      {valid.substr(0, 32), "byte 32: no segment records follow the header"},
      {set(40, 0), "byte 40: segment record 1 is marked mixed but its cells are all free"},
      {set(1071, char(0xFF)),
       "byte 560: segment record 3 is marked mixed but its cells are all blocked"},
      {valid.substr(0, 36), "byte 0: level count 1 does not match the 0 of a 64 by 64 map"},
  };
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  for (const auto& [bytes, message] : cases) {
    WriteFile(name, bytes);
    TPathmap map;
    map.SetSize(64);
    map.Block(3, 4);
    EXPECT_EQ(MessageOf([&] { LoadMapFile(name, map); }), name + ": " + message);
    EXPECT_TRUE(map.Size() == 64 && map.IsBlocked(3, 4) && !map.IsBlocked(4, 3));
  }
  WriteFile(name, valid);
  TPathmap map;
  LoadMapFile(name, map);
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t c = 0; c < 128; ++c)
      ASSERT_EQ(map.IsBlocked(r, c), (r == 0 && c == 64) || (r >= 64 && !(r == 127 && c == 127)))
          << r << ", " << c;
  EXPECT_EQ(MessageOf([&] { LoadMapFile(dir.Path.string(), map); }),
            "Error opening file: " + dir.Path.string());
}

TEST(Pathmap, FailsAndKeepsItsStateAsEachOperationRequires) {
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  TPathmap map;
  EXPECT_EQ(MessageOf([&] { map.IsBlocked(0, 0); }), "Pathmap not initialised");
  WriteFile(name, "kept");
  EXPECT_EQ(MessageOf([&] { map.SaveToFile(name); }), "Pathmap not initialised");
  EXPECT_EQ(ReadFile(name), "kept");
  EXPECT_EQ(MessageOf([&] { map.SetSize(4294967232u); }), "Range check error");
  EXPECT_EQ(MessageOf([&] { map.SetSize(4194304u * 64u - 64u); }), "Out of memory");
  EXPECT_EQ(map.Size(), 0u);
  map.SetSize(128);
  map.Block(5, 9);
  EXPECT_EQ(MessageOf([&] { map.SetSize(100); }), "Invalid pathmap size: 100");
  EXPECT_EQ(MessageOf([&] { map.SetSize(4294967295u); }), "Invalid pathmap size: 4294967295");
  EXPECT_TRUE(map.Size() == 128 && map.SegmentCount() == 2 && map.IsBlocked(5, 9));
  for (uint32_t outside : {128u, 4294967295u}) {
    map.Block(outside, 0);
    map.Block(0, outside);
    EXPECT_TRUE(map.IsBlocked(outside, 0) && map.IsBlocked(0, outside));
  }
  map.SaveToFile(name); // replaces the file
  EXPECT_EQ(ReadFile(name).size(), 32u + 4 * 4 + 512);
  map.Clear();
  EXPECT_TRUE(map.Size() == 128 && !map.IsBlocked(5, 9));
  const std::pair<uint32_t, int32_t> levels[] = {
      {64, 0},   {128, 1},   {192, 1},   {1024, 4},  {2048, 5},       {4096, 6},
      {8192, 7}, {16384, 8}, {32704, 8}, {32768, 0}, {4294967232u, 0}};
  for (auto [size, count] : levels)
    EXPECT_EQ(TPathmap::LevelCount(size), count) << size;
}

TEST(FillHoles, BlocksExactlyTheFreeCellsEnclosedOnFourEdgesAsThePlainScanDoes) {
  std::mt19937_64 rng(3);
  for (uint32_t size : {64u, 128u, 192u, 320u})
    for (double density : {0.3, 0.6, 0.75, 0.9}) {
      std::bernoulli_distribution blocked(density);
      TPathmap fast, plain;
      fast.SetSize(size);
      plain.SetSize(size);
      for (uint32_t r = 0; r < size; ++r)
        for (uint32_t c = 0; c < size; ++c)
          if (blocked(rng) || (size == 320 && (r + c) % 2 == 0)) // and a checkerboard
            fast.Block(r, c), plain.Block(r, c);
      FillHoles(fast);
      FillHolesPerCell(plain);
      ASSERT_TRUE(SameCells(fast, plain)) << size << ", " << density;
      FillHoles(plain);
      ASSERT_TRUE(SameCells(fast, plain)) << "a second pass blocks nothing more";
    }
}

} // namespace
