// Text-file error messages by system error code.
#include "common/TextFileError.h"

#include "common/UTypes.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quarnel {

std::string TextFileErrorMessage(int code) {
#ifdef _WIN32
  switch (code) {
  case ERROR_FILE_NOT_FOUND:
    return "File not found";
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_NAME:
  case ERROR_FILENAME_EXCED_RANGE:
    return "Invalid filename";
  case ERROR_TOO_MANY_OPEN_FILES:
    return "Too many open files";
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
  case ERROR_SHARING_VIOLATION:
    return "File access denied";
  case ERROR_HANDLE_DISK_FULL:
  case ERROR_DISK_FULL:
    return "Disk full";
  }
#else
  switch (code) {
  case ENOENT:
    return "File not found";
  case ENOTDIR:
  case ENAMETOOLONG:
  case EINVAL:
    return "Invalid filename";
  case EMFILE:
  case ENFILE:
    return "Too many open files";
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS:
    return "File access denied";
  case ENOSPC:
#ifdef EDQUOT
  case EDQUOT:
#endif
    return "Disk full";
  }
#endif
  return "I/O error " + std::to_string(code);
}

void RaiseLastTextFileError() {
#ifdef _WIN32
  const int code = static_cast<int>(GetLastError());
#else
  const int code = errno;
#endif
  throw EInOutError(code, TextFileErrorMessage(code));
}

} // namespace quarnel
