// The entry point: banner, usage, world size parsing, exit statuses.
#include "driver/CommandLine.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace quarnel;
using testutil::Lines;

namespace {

const std::vector<std::string> kBanner = {
    "", "Quarnel 1.1 by Ostwyn", "Create a pathfinding map with static objects pathed out", ""};

struct WorldSizeCase {
  const char* Text;
  uint32_t Expected;
};

class WorldSizeText : public testing::TestWithParam<WorldSizeCase> {};

TEST_P(WorldSizeText, IsParsedAsDesigned) {
  EXPECT_EQ(ParseWorldSize(GetParam().Text), GetParam().Expected)
      << "text: '" << GetParam().Text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorldSizeText,
    testing::Values(WorldSizeCase{"2048", 2048}, WorldSizeCase{"abc", 2048},
                    WorldSizeCase{"", 2048}, WorldSizeCase{"2048x", 2048},
                    WorldSizeCase{"$800", 2048}, WorldSizeCase{"0x800", 2048},
                    WorldSizeCase{"0X800", 2048}, WorldSizeCase{"x800", 2048},
                    WorldSizeCase{"X40", 64}, WorldSizeCase{"100", 100},
                    WorldSizeCase{"-1", 4294967295u}, WorldSizeCase{"0", 0},
                    WorldSizeCase{"  \t512", 512}, WorldSizeCase{"+512", 512},
                    WorldSizeCase{"512 ", 2048}, WorldSizeCase{"2147483647", 2147483647u},
                    WorldSizeCase{"2147483648", 2048}, WorldSizeCase{"-2147483648", 2147483648u},
                    WorldSizeCase{"-2147483649", 2048}, WorldSizeCase{"$FFFFFFFF", 4294967295u},
                    WorldSizeCase{"$100000000", 2048}, WorldSizeCase{"-$1", 4294967295u},
                    WorldSizeCase{"$", 2048}, WorldSizeCase{"0x", 2048}, WorldSizeCase{"-", 2048},
                    WorldSizeCase{"$00000000040", 64}, WorldSizeCase{"99999999999999999999", 2048},
                    WorldSizeCase{"1e3", 2048}, WorldSizeCase{"$fG", 2048}));

TEST(MeshDirectory, GetsATrailingDelimiterOnlyWhenItLacksOne) {
  const std::string d(1, kPathDelimiter);
  EXPECT_EQ(MeshDirectoryOf("meshes"), "meshes" + d);
  EXPECT_EQ(MeshDirectoryOf("meshes" + d), "meshes" + d);
  EXPECT_EQ(MeshDirectoryOf(""), d);
}

TEST(ProgramName, IsTheFileNameWithoutItsDirectory) {
  EXPECT_EQ(ProgramNameOf("/usr/local/bin/quarnel"), "quarnel");
  EXPECT_EQ(ProgramNameOf("C:\\Tools\\quarnel.exe"), "quarnel.exe");
  EXPECT_EQ(ProgramNameOf("quarnel"), "quarnel");
}

#ifndef _WIN32

TEST(Executable, WithOtherThanThreeArgumentsPrintsTheUsageAndExitsWithZero) {
  testutil::TempDir dir;
  for (const auto& args :
       std::vector<std::vector<std::string>>{{}, {"a", "b"}, {"a", "b", "c", "d"}}) {
    const auto result = testutil::RunTool(args, dir.Path);
    EXPECT_EQ(result.Status, 0);
    auto expected = kBanner;
    expected.push_back("Usage: quarnel <ObjectFile> <StandardMeshDir> <WorldSize>");
    expected.push_back("");
    expected.push_back("For example: quarnel StaticObjects.con C:\\Korvath\\StandardMesh\\ 2048");
    EXPECT_EQ(Lines(result.Output), expected);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path)) << "nothing may be written";
  }
}

TEST(Executable, AWorldSizeThatIsNoMultipleOf64FailsWithStatusOne) {
  testutil::TempDir dir;
  for (const auto& [text, shown] :
       std::vector<std::pair<std::string, std::string>>{{"100", "100"}, {"-1", "4294967295"}}) {
    const auto result = testutil::RunTool({"objects.con", "meshes", text}, dir.Path);
    EXPECT_EQ(result.Status, 1);
    auto expected = kBanner;
    expected.push_back("Invalid world size: " + shown);
    EXPECT_EQ(Lines(result.Output), expected);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path));
  }
}

TEST(Executable, AWorldSizeTooLargeForMemoryFailsCleanly) {
  testutil::TempDir dir;
  // -64 is 4294967232: its segment rows would hold more bytes than a 32-bit count.
  auto result = testutil::RunTool({"objects.con", "meshes", "-64"}, dir.Path);
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output).back(), "Range check error");
  // 2^20 cells a side needs 128 GiB.
  result = testutil::RunTool({"objects.con", "meshes", "1048576"}, dir.Path);
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(Lines(result.Output).back(), "Out of memory");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path)) << "both fail before any file is made";
}

#endif

} // namespace
