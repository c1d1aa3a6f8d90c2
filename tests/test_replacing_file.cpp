// Files written beside their names and renamed over them once whole.
#include "common/ReplacingFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using namespace quarnel;
using namespace testutil;

namespace {

size_t FilesIn(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(ReplacingFile, ReplacesTheOlderFileOnlyWhenCommittedAndLeavesNothingBesideIt) {
  TempDir dir;
  const std::string target = (dir / "map.raw").string();
  WriteFile(target, "older");
  {
    TReplacingFile file;
    ASSERT_TRUE(file.Create(target));
    EXPECT_EQ(file.Write("never", 5), 5);
    EXPECT_EQ(FilesIn(dir.Path), 2u);
  } // not committed: as a failure leaves it
  EXPECT_EQ(ReadFile(target), "older");
  EXPECT_EQ(FilesIn(dir.Path), 1u);
  TReplacingFile first, second; // two writers at once, each with a file of its own
  ASSERT_TRUE(first.Create(target) && second.Create(target));
  EXPECT_NE(first.PartialName(), second.PartialName());
  EXPECT_EQ(first.Write("first", 5) + second.Write("second", 6), 11);
  EXPECT_TRUE(second.Commit());
  EXPECT_EQ(ReadFile(target), "second");
  EXPECT_TRUE(first.Commit());
  EXPECT_EQ(ReadFile(target), "first");
  EXPECT_EQ(FilesIn(dir.Path), 1u);
  fs::create_directory(dir / "folder");
  TReplacingFile folder;
  EXPECT_FALSE(folder.Create((dir / "folder").string())) << "a directory is not replaced";
  EXPECT_FALSE(folder.Create((dir / "no" / "map.raw").string()));
#ifndef _WIN32
  TReplacingFile device; // written in place, never replaced
  ASSERT_TRUE(device.Create("/dev/null"));
  EXPECT_EQ(device.Write("x", 1), 1);
  EXPECT_TRUE(device.Commit());
  EXPECT_EQ(FileKindOf("/dev/null"), TFileKind::Other);
#endif
}

} // namespace
