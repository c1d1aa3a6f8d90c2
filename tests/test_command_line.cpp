// The entry point's arguments, and the messages of text-file errors by system error code.
#include "common/FileIO.h"
#include "common/TextFileError.h"
#include "driver/CommandLine.h"
#include "mesh/MeshDirectory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <tuple>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace quarnel;

namespace {

TEST(CommandLine, ReadsTheWorldSizeAsASigned32BitIntegerOr2048) {
  const std::pair<const char*, uint32_t> cases[] = {// clang-format off
      {"2048", 2048}, {"abc", 2048}, {"", 2048}, {"2048x", 2048}, {"$800", 2048}, {"0x40", 64},
      {"0X40", 64}, {"x800", 2048}, {"X40", 64}, {"100", 100}, {"-1", 4294967295u}, {"0", 0},
      {"  \t512", 512}, {"+512", 512}, {"512 ", 2048}, {"2147483647", 2147483647u},
      {"2147483648", 2048}, {"-2147483648", 2147483648u}, {"-2147483649", 2048},
      {"$FFFFFFFF", 4294967295u}, {"$100000000", 2048}, {"-$1", 4294967295u}, {"$", 2048},
      {"0x", 2048}, {"-", 2048}, {"$00000000040", 64}, {"99999999999999999999", 2048},
      {"1e3", 2048}, {"$fG", 2048}, {"$aBc0", 0xABC0}};
  // clang-format on
  for (const auto& [text, size] : cases)
    EXPECT_EQ(ParseWorldSize(text), size) << "'" << text << "'";
  const std::string d(1, kPathDelimiter);
  EXPECT_EQ(MeshDirectoryOf("meshes"), "meshes" + d);
  EXPECT_EQ(MeshDirectoryOf("meshes" + d), "meshes" + d);
  EXPECT_EQ(MeshDirectoryOf(""), d);
  EXPECT_EQ(ProgramNameOf("C:\\Tools\\quarnel.exe"), "quarnel.exe");
}

TEST(CommandLine, TakesTheThreadCountFromQuarnelThreadsWhenItIsOneTo1024) {
  const std::tuple<const char*, unsigned, unsigned> cases[] = {// clang-format off
      {nullptr, 8, 8}, {nullptr, 0, 1}, {"1", 8, 1}, {"3", 2, 3}, {"0008", 2, 8}, {"1024", 2, 1024},
      {"1025", 2, 2}, {"0", 2, 2}, {"", 2, 2}, {"-2", 2, 2}, {"2x", 2, 2}, {" 2", 2, 2},
      {"99999999999999999999", 2, 2}, {"abc", 0, 1}};
  // clang-format on
  for (const auto& [setting, hardware, threads] : cases)
    EXPECT_EQ(ThreadCountOf(setting, hardware), threads) << (setting ? setting : "unset");
}

TEST(TextFileErrors, NameTheCommonFailuresAndNumberTheRest) {
  const std::pair<int, std::string> cases[] = {
  // clang-format off
#ifdef _WIN32
      {ERROR_FILE_NOT_FOUND, "File not found"}, {ERROR_PATH_NOT_FOUND, "Invalid filename"},
      {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"}, {ERROR_ACCESS_DENIED, "File access denied"},
      {ERROR_SHARING_VIOLATION, "File access denied"}, {ERROR_DISK_FULL, "Disk full"},
      {ERROR_NOT_READY, "I/O error 21"},
#else
      {ENOENT, "File not found"}, {ENOTDIR, "Invalid filename"}, {EINVAL, "Invalid filename"},
      {EMFILE, "Too many open files"}, {ENFILE, "Too many open files"}, {EACCES, "File access denied"},
      {EISDIR, "File access denied"}, {EROFS, "File access denied"}, {ENOSPC, "Disk full"},
      {EIO, "I/O error " + std::to_string(EIO)},
#endif
      // clang-format on
  };
  for (const auto& [code, message] : cases)
    EXPECT_EQ(TextFileErrorMessage(code), message) << code;
}

} // namespace
