// The map file: header, segment records and write failures, byte for byte.
#include "segutils/SegUtils.h"
#include "support/PathmapUtil.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace quarnel;
using testutil::Int32;
using testutil::MapHeader;
using testutil::ReadFile;
using testutil::TempDir;

using testutil::MessageOf;

namespace {

std::string SaveAndRead(const TPathmap& map, const TempDir& dir) {
  const auto path = dir / "map.raw";
  map.SaveToFile(path.string());
  return ReadFile(path);
}

TEST(MapFile, AFreeMapOf64IsTheHeaderAndOneZeroCode) {
  TempDir dir;
  TPathmap map;
  map.SetSize(64);
  EXPECT_EQ(SaveAndRead(map, dir), MapHeader(0) + Int32(0));
}

TEST(MapFile, AFullyBlockedMapOf64IsTheHeaderAndCodeOne) {
  TempDir dir;
  TPathmap map;
  map.SetSize(64);
  for (uint32_t r = 0; r < 64; ++r)
    for (uint32_t c = 0; c < 64; ++c)
      map.Block(r, c);
  EXPECT_EQ(SaveAndRead(map, dir), MapHeader(0) + Int32(1));
}

TEST(MapFile, OneBlockedCellMakesItsSegmentMixedWithItsBytes) {
  TempDir dir;
  TPathmap map;
  map.SetSize(64);
  map.Block(0, 0);
  std::string data(512, '\0');
  data[0] = 1;
  const std::string bytes = SaveAndRead(map, dir);
  EXPECT_EQ(bytes.size(), 548u);
  EXPECT_EQ(bytes, MapHeader(0) + Int32(-1) + data);
}

TEST(MapFile, SegmentsAreWrittenRowByRowOfSegments) {
  TempDir dir;
  TPathmap map;
  map.SetSize(128);
  map.Block(70, 3);
  std::string data(512, '\0');
  data[48] = 8;
  const std::string bytes = SaveAndRead(map, dir);
  EXPECT_EQ(bytes.size(), 560u);
  EXPECT_EQ(bytes, MapHeader(1) + Int32(0) + Int32(0) + Int32(-1) + data + Int32(0));
}

TEST(MapFile, ASegmentWithOneCellFreeIsMixed) {
  TempDir dir;
  TPathmap map;
  map.SetSize(64);
  for (uint32_t r = 0; r < 64; ++r)
    for (uint32_t c = 0; c < 64; ++c)
      if (r != 63 || c != 56)
        map.Block(r, c);
  std::string data(512, '\xFF');
  data[511] = static_cast<char>(0xFE);
  EXPECT_EQ(SaveAndRead(map, dir), MapHeader(0) + Int32(-1) + data);
}

TEST(MapFile, EveryCellLandsInItsOwnBit) {
  // Each row of segment (1, 2) of a 192 map gets a distinct pattern; the file must hold
  // each row's 8 bytes in little-endian order at offset 4 + row × 8 of its record.
  TempDir dir;
  TPathmap map;
  map.SetSize(192);
  std::string expected(512, '\0');
  for (uint32_t k = 0; k < 64; ++k)
    for (uint32_t c = 0; c < 64; ++c)
      if ((k * 7 + c * 13) % 5 == 0) {
        map.Block(64 + k, 128 + c);
        expected[k * 8 + c / 8] = static_cast<char>(expected[k * 8 + c / 8] | (1 << (c % 8)));
      }
  const std::string bytes = SaveAndRead(map, dir);
  // Records 0..4 are free, record 5 is segment (1, 2).
  const std::string prefix = MapHeader(1) + Int32(0) + Int32(0) + Int32(0) + Int32(0) + Int32(0);
  ASSERT_EQ(bytes.substr(0, prefix.size()), prefix);
  EXPECT_EQ(bytes.substr(prefix.size(), 4), Int32(-1));
  EXPECT_EQ(bytes.substr(prefix.size() + 4, 512), expected);
  EXPECT_EQ(bytes.size(), prefix.size() + 516 + 3 * 4);
}

TEST(MapFile, HeaderCarriesTheLevelCountOfTheSize) {
  TempDir dir;
  TPathmap map;
  map.SetSize(4096);
  const std::string bytes = SaveAndRead(map, dir);
  EXPECT_EQ(bytes.size(), 32u + 4u * 64 * 64);
  EXPECT_EQ(bytes.substr(0, 32), MapHeader(6));
}

TEST(MapFile, AnExistingFileIsReplacedNotAppendedTo) {
  TempDir dir;
  testutil::WriteFile(dir / "map.raw", std::string(5000, 'x'));
  TPathmap map;
  map.SetSize(64);
  EXPECT_EQ(SaveAndRead(map, dir), MapHeader(0) + Int32(0));
}

TEST(MapFile, AnUnsizedMapTouchesNothingOnDisk) {
  TempDir dir;
  testutil::WriteFile(dir / "map.raw", "keep");
  TPathmap map;
  EXPECT_EQ(MessageOf([&] { map.SaveToFile((dir / "map.raw").string()); }),
            "Pathmap not initialised");
  EXPECT_EQ(ReadFile(dir / "map.raw"), "keep");
  EXPECT_EQ(MessageOf([&] { map.SaveToFile((dir / "other.raw").string()); }),
            "Pathmap not initialised");
  EXPECT_FALSE(std::filesystem::exists(dir / "other.raw"));
}

TEST(MapFile, ADirectoryOfThatNameCannotBeOpened) {
  TempDir dir;
  std::filesystem::create_directory(dir / "map.raw");
  TPathmap map;
  map.SetSize(64);
  const std::string name = (dir / "map.raw").string();
  EXPECT_EQ(MessageOf([&] { map.SaveToFile(name); }), "Error opening file: " + name);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "map.raw"));
}

#ifndef _WIN32
TEST(MapFile, AWriteThatStopsShortFailsAndKeepsThePartWritten) {
  // A child process with a file size limit of 1000 bytes writes a map of about 2 MB; the
  // write that crosses the limit stores fewer bytes than asked for.
  TempDir dir;
  const std::string name = (dir / "map.raw").string();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    TPathmap map;
    map.SetSize(2048);
    for (uint32_t r = 0; r < 2048; r += 2)
      map.Block(r, r);
    std::string message = MessageOf([&] { map.SaveToFile(name); });
    (void)!write(fds[1], message.data(), message.size());
    _exit(0);
  }
  close(fds[1]);
  char buffer[256];
  const ssize_t got = read(fds[0], buffer, sizeof buffer);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<size_t>(got) : 0), "Error writing file");
  EXPECT_EQ(std::filesystem::file_size(name), 1000u);
}
#endif

} // namespace
