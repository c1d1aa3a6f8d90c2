// The sample world that ships with the project: made by its generator, and run end to end.
#include "support/SampleWorld.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const fs::path kSample = fs::path(QUARNEL_SOURCE_DIR) / "sample";

TEST(SampleWorld, TheCheckedInFilesAreExactlyWhatTheGeneratorWrites) {
  testutil::TempDir dir;
  sampleworld::WriteSampleWorld(dir.Path);
  std::vector<std::string> generated, shipped;
  for (const auto& e : fs::recursive_directory_iterator(dir.Path))
    if (e.is_regular_file())
      generated.push_back(fs::relative(e.path(), dir.Path).generic_string());
  for (const auto& e : fs::recursive_directory_iterator(kSample))
    if (e.is_regular_file())
      shipped.push_back(fs::relative(e.path(), kSample).generic_string());
  std::sort(generated.begin(), generated.end());
  std::sort(shipped.begin(), shipped.end());
  ASSERT_EQ(generated, shipped);
  for (const auto& name : generated)
    EXPECT_EQ(testutil::ReadFile(dir.Path / name), testutil::ReadFile(kSample / name)) << name;
}

#ifndef _WIN32
TEST(SampleWorld, RunsWithEveryKindOfObjectAccountedFor) {
  testutil::TempDir dir;
  const auto result = testutil::RunTool(
      {(kSample / "StaticObjects.con").string(), (kSample / "StandardMesh").string(), "512"},
      dir.Path);
  EXPECT_EQ(result.Status, 0);
  const auto lines = testutil::Lines(result.Output);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
            (std::vector<std::string>{"Objects read: 43", "Trees pathed: 17", "Meshes pathed: 24",
                                      "Total pathed: 41"}));
  EXPECT_EQ(testutil::ReadFile(dir / "NotPathed.txt"),
            "Objects that have no collision mesh:\r\nBillboard_m1\r\nCrate_m1\r\n");
}
#endif

} // namespace
