// Text-file error codes of the system and the messages the user sees for them.
#include "common/TextFileError.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace quarnel;

namespace {

TEST(TextFileErrorMessage, NamesTheCommonFailuresAndNumbersTheRest) {
  const std::vector<std::pair<int, std::string>> table = {
#ifdef _WIN32
      {ERROR_FILE_NOT_FOUND, "File not found"},
      {ERROR_PATH_NOT_FOUND, "Invalid filename"},
      {ERROR_INVALID_NAME, "Invalid filename"},
      {ERROR_TOO_MANY_OPEN_FILES, "Too many open files"},
      {ERROR_ACCESS_DENIED, "File access denied"},
      {ERROR_SHARING_VIOLATION, "File access denied"},
      {ERROR_DISK_FULL, "Disk full"},
      {ERROR_HANDLE_DISK_FULL, "Disk full"},
      {ERROR_NOT_READY, "I/O error 21"},
#else
      {ENOENT, "File not found"},
      {ENOTDIR, "Invalid filename"},
      {ENAMETOOLONG, "Invalid filename"},
      {EINVAL, "Invalid filename"},
      {EMFILE, "Too many open files"},
      {ENFILE, "Too many open files"},
      {EACCES, "File access denied"},
      {EPERM, "File access denied"},
      {EISDIR, "File access denied"},
      {EROFS, "File access denied"},
      {ENOSPC, "Disk full"},
      {EIO, "I/O error " + std::to_string(EIO)},
#endif
  };
  for (const auto& [code, message] : table)
    EXPECT_EQ(TextFileErrorMessage(code), message) << "code " << code;
}

} // namespace
