// The map file reader: every defect it reports, exact decoding and round trips.
#include "segutils/MapFileReader.h"
#include "segutils/SegUtils.h"
#include "support/PathmapUtil.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace quarnel;
using testutil::Int32;
using testutil::MapHeader;
using testutil::MessageOf;
using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;

namespace {

std::vector<std::pair<uint32_t, uint32_t>> BlockedCells(const TPathmap& map) {
  std::vector<std::pair<uint32_t, uint32_t>> cells;
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c)
      if (map.IsBlocked(r, c))
        cells.emplace_back(r, c);
  return cells;
}

bool SameCells(const TPathmap& a, const TPathmap& b) {
  if (a.Size() != b.Size())
    return false;
  for (uint32_t r = 0; r < a.Size(); ++r)
    for (int32_t j = 0; j < a.SegmentCount(); ++j)
      if (a.Row(r)[j] != b.Row(r)[j])
        return false;
  return true;
}

// A 128 map whose four records are, in file order: free at byte 32; mixed at 36 with its
// cells at 40 to 551, only cell (0, 64) blocked; blocked at 552; mixed at 556 with its cells
// at 560 to 1071, every cell blocked but (127, 127). 1072 bytes in all.
std::string ValidFile() {
  std::string mostlyBlocked(512, '\xFF');
  mostlyBlocked[511] = '\x7F';
  std::string oneCell(512, '\0');
  oneCell[0] = 1;
  return MapHeader(1) + Int32(0) + Int32(-1) + oneCell + Int32(1) + Int32(-1) + mostlyBlocked;
}

struct DefectCase {
  const char* Name;
  std::function<std::string(std::string)> Change;
  std::string Message; // after "<file>: "
};

void PrintTo(const DefectCase& c, std::ostream* os) {
  *os << c.Name;
}

std::string SetByte(std::string s, size_t offset, char value) {
  s[offset] = value;
  return s;
}

const DefectCase kDefects[] = {
    {"AnEmptyFileEndsInsideTheHeader", [](std::string) { return std::string(); },
     "byte 0: the file ends inside the 32-byte header"},
    {"AFileCutInsideTheHeaderIsReportedWhereItEnds", [](std::string s) { return s.substr(0, 31); },
     "byte 31: the file ends inside the 32-byte header"},
    {"ThirdHeaderFieldMustBeSix", [](std::string s) { return SetByte(s, 8, 7); },
     "byte 8: header field is 7, expected 6"},
    {"FourthHeaderFieldMustBeZero", [](std::string s) { return SetByte(s, 15, 1); },
     "byte 12: header field is 16777216, expected 0"},
    {"FifthHeaderFieldMustBeZero", [](std::string s) { return SetByte(s, 16, 1); },
     "byte 16: header field is 1, expected 0"},
    {"SixthHeaderFieldMustBeTwo", [](std::string s) { return SetByte(s, 20, 3); },
     "byte 20: header field is 3, expected 2"},
    {"SeventhHeaderFieldMustBeZero", [](std::string s) { return SetByte(s, 25, 1); },
     "byte 24: header field is 256, expected 0"},
    {"LastHeaderFieldMustBeMinusOne", [](std::string s) { return SetByte(s, 31, 0x7F); },
     "byte 28: header field is 2147483647, expected -1"},
    {"FirstLevelCountMustMatchTheImpliedSize", [](std::string s) { return SetByte(s, 0, 2); },
     "byte 0: level count 2 does not match the 1 of a 128 by 128 map"},
    {"SecondLevelCountMustMatchTheImpliedSize", [](std::string s) { return SetByte(s, 4, 0); },
     "byte 4: level count 0 does not match the 1 of a 128 by 128 map"},
    {"ASegmentCodeOfTwoIsRejected", [](std::string s) { return SetByte(s, 32, 2); },
     "byte 32: segment record 0 has the code 2; expected 0, 1 or -1"},
    {"ASegmentCodeOfMinusTwoIsRejected", [](std::string s) { return SetByte(s, 556, '\xFE'); },
     "byte 556: segment record 3 has the code -2; expected 0, 1 or -1"},
    {"ABlockedCodeWithAHighByteSetIsRejected", [](std::string s) { return SetByte(s, 555, 1); },
     "byte 552: segment record 2 has the code 16777217; expected 0, 1 or -1"},
    {"AFileCutInsideTheCellBytesIsReportedWhereItEnds",
     [](std::string s) { return s.substr(0, 1071); },
     "byte 1071: the file ends inside the 512 cell bytes of segment record 3 (from byte 560)"},
    {"AFileCutInsideACodeIsReportedWhereItEnds", [](std::string s) { return s.substr(0, 554); },
     "byte 554: the file ends inside the code of segment record 2 (from byte 552)"},
    {"AFileCutAfterACodeOfMinusOneLacksItsCells", [](std::string s) { return s.substr(0, 40); },
     "byte 40: the file ends inside the 512 cell bytes of segment record 1 (from byte 40)"},
    {"OneTrailingByteIsACutCode", [](std::string s) { return s + '\0'; },
     "byte 1073: the file ends inside the code of segment record 4 (from byte 1072)"},
    {"FourTrailingZeroBytesAreAFifthRecordAndNoSquare", [](std::string s) { return s + Int32(0); },
     "byte 1072: 5 segment records do not make a square map; the first 4 (a 128 by 128 map) "
     "end here"},
    {"TrailingGarbageIsAnInvalidCode", [](std::string s) { return s + "junk"; },
     "byte 1072: segment record 4 has the code 1802401130; expected 0, 1 or -1"},
    {"ThreeRecordsAreNoSquare", [](std::string s) { return s.substr(0, 556); },
     "byte 36: 3 segment records do not make a square map; the first 1 (a 64 by 64 map) end "
     "here"},
    {"AHeaderWithoutRecordsIsNoMap", [](std::string s) { return s.substr(0, 32); },
     "byte 32: no segment records follow the header"},
    {"AMixedRecordWhoseCellsAreAllFreeIsRejected", [](std::string s) { return SetByte(s, 40, 0); },
     "byte 40: segment record 1 is marked mixed but its cells are all free"},
    {"AMixedRecordWhoseCellsAreAllBlockedIsRejected",
     [](std::string s) { return SetByte(s, 1071, '\xFF'); },
     "byte 560: segment record 3 is marked mixed but its cells are all blocked"},
    {"AMissingRecordBeforeTheEndIsNoSquare", [](std::string s) { return s.erase(32, 4); },
     "byte 548: 3 segment records do not make a square map; the first 1 (a 64 by 64 map) end "
     "here"},
    {"TheLevelCountOfALargerMapIsWrongForASingleRecord",
     [](std::string s) { return s.substr(0, 36); },
     "byte 0: level count 1 does not match the 0 of a 64 by 64 map"},
};

class MapFileDefect : public testing::TestWithParam<DefectCase> {};

TEST_P(MapFileDefect, IsReportedWithTheFileAndTheByteOffsetAndLeavesTheMapAlone) {
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  WriteFile(name, GetParam().Change(ValidFile()));
  TPathmap map;
  map.SetSize(64);
  map.Block(3, 4);
  EXPECT_EQ(MessageOf([&] { LoadMapFile(name, map); }), name + ": " + GetParam().Message);
  EXPECT_EQ(map.Size(), 64u);
  EXPECT_EQ(BlockedCells(map), (std::vector<std::pair<uint32_t, uint32_t>>{{3, 4}}));
}

INSTANTIATE_TEST_SUITE_P(Defects, MapFileDefect, testing::ValuesIn(kDefects),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(MapFileReader, TheUnchangedTestFileLoadsIntoTheCellsItDescribes) {
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  WriteFile(name, ValidFile());
  TPathmap map;
  LoadMapFile(name, map);
  ASSERT_EQ(map.Size(), 128u);
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t c = 0; c < 128; ++c) {
      const bool expected = (r == 0 && c == 64) || (r >= 64 && c < 64) ||
                            (r >= 64 && c >= 64 && !(r == 127 && c == 127));
      ASSERT_EQ(map.IsBlocked(r, c), expected) << "cell (" << r << ", " << c << ")";
    }
}

TEST(MapFileReader, CellBytesAreReadRowByRowWithBitZeroTheFirstColumn) {
  // A 128 map written by hand: only cell (70, 3), which is byte 48 = 8 of segment (1, 0).
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  std::string cells(512, '\0');
  cells[48] = 8;
  WriteFile(name, MapHeader(1) + Int32(0) + Int32(0) + Int32(-1) + cells + Int32(0));
  TPathmap map;
  LoadMapFile(name, map);
  EXPECT_EQ(BlockedCells(map), (std::vector<std::pair<uint32_t, uint32_t>>{{70, 3}}));
}

TEST(MapFileReader, EveryCellOfAMixedRecordLandsInItsOwnCell) {
  // Segment (1, 2) of a 192 map with a pattern that differs in every row and column.
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  std::string cells(512, '\0');
  std::vector<std::pair<uint32_t, uint32_t>> expected;
  for (uint32_t k = 0; k < 64; ++k)
    for (uint32_t c = 0; c < 64; ++c)
      if ((k * 7 + c * 13) % 5 == 0) {
        cells[k * 8 + c / 8] = static_cast<char>(cells[k * 8 + c / 8] | (1 << (c % 8)));
        expected.emplace_back(64 + k, 128 + c);
      }
  std::string file = MapHeader(1);
  for (int record = 0; record < 9; ++record)
    file += record == 5 ? Int32(-1) + cells : Int32(0);
  WriteFile(name, file);
  TPathmap map;
  LoadMapFile(name, map);
  EXPECT_EQ(BlockedCells(map), expected);
}

TEST(MapFileReader, ABlockedCodeBlocksEveryCellOfItsSegmentAndNoOther) {
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  WriteFile(name, MapHeader(1) + Int32(0) + Int32(1) + Int32(0) + Int32(0));
  TPathmap map;
  LoadMapFile(name, map);
  for (uint32_t r = 0; r < 128; ++r)
    for (uint32_t c = 0; c < 128; ++c)
      ASSERT_EQ(map.IsBlocked(r, c), r < 64 && c >= 64) << "cell (" << r << ", " << c << ")";
}

TEST(MapFileReader, AMissingFileOrADirectoryCannotBeOpened) {
  TempDir dir;
  TPathmap map;
  const std::string missing = (dir / "none.raw").string();
  EXPECT_EQ(MessageOf([&] { LoadMapFile(missing, map); }), "Error opening file: " + missing);
  EXPECT_EQ(MessageOf([&] { LoadMapFile(dir.Path.string(), map); }),
            "Error opening file: " + dir.Path.string());
  EXPECT_EQ(map.Size(), 0u);
}

TEST(MapFileReader, LoadingResizesAMapThatHadAnotherSize) {
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  TPathmap written;
  written.SetSize(64);
  written.Block(1, 2);
  written.SaveToFile(name);
  TPathmap map;
  map.SetSize(256);
  map.Block(200, 200);
  LoadMapFile(name, map);
  EXPECT_EQ(map.Size(), 64u);
  EXPECT_EQ(map.SegmentCount(), 1);
  EXPECT_EQ(BlockedCells(map), (std::vector<std::pair<uint32_t, uint32_t>>{{1, 2}}));
}

struct RoundTripCase {
  uint32_t Size;
  double Share;        // of cells blocked at random
  double UniformShare; // of segments then made all free or all blocked
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << "size " << c.Size << ", share " << c.Share << ", uniform " << c.UniformShare;
}

class MapFileRoundTrip : public testing::TestWithParam<RoundTripCase> {};

TEST_P(MapFileRoundTrip, LoadingAWrittenMapGivesItsCellsAndWritingItAgainTheSameBytes) {
  const auto& c = GetParam();
  std::mt19937_64 rng(c.Size * 1000 + static_cast<uint64_t>(c.Share * 100));
  std::bernoulli_distribution blocked(c.Share), uniform(c.UniformShare), full(0.5);
  TPathmap original;
  original.SetSize(c.Size);
  for (uint32_t r = 0; r < c.Size; ++r)
    for (uint32_t col = 0; col < c.Size; ++col)
      if (blocked(rng))
        original.Block(r, col);
  for (int32_t i = 0; i < original.SegmentCount(); ++i)
    for (int32_t j = 0; j < original.SegmentCount(); ++j)
      if (uniform(rng)) {
        const uint64_t word = full(rng) ? ~uint64_t{0} : 0;
        for (uint32_t k = 0; k < 64; ++k)
          original.Row(static_cast<uint32_t>(i) * 64 + k)[j] = word;
      }

  TempDir dir;
  const std::string first = (dir / "first.raw").string();
  const std::string second = (dir / "second.raw").string();
  original.SaveToFile(first);
  TPathmap loaded;
  LoadMapFile(first, loaded);
  EXPECT_TRUE(SameCells(original, loaded));
  loaded.SaveToFile(second);
  EXPECT_EQ(ReadFile(second), ReadFile(first));
}

INSTANTIATE_TEST_SUITE_P(RandomMaps, MapFileRoundTrip,
                         testing::Values(RoundTripCase{64, 0.0, 0.0}, RoundTripCase{64, 1.0, 0.0},
                                         RoundTripCase{64, 0.001, 0.0},
                                         RoundTripCase{128, 0.5, 0.0}, RoundTripCase{192, 0.3, 0.5},
                                         RoundTripCase{320, 0.02, 0.4},
                                         RoundTripCase{1024, 0.1, 0.7}));

} // namespace
