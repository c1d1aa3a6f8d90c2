// The messages of failed text-file operations, by the system's error code.
#pragma once

#include <string>

namespace quarnel {

// The message for a text-file error code: "File not found", "I/O error 13" and so on.
std::string TextFileErrorMessage(int code);

// Raises EInOutError for the error of the last failed system call (errno, or the
// system's own last error on Windows).
[[noreturn]] void RaiseLastTextFileError();

} // namespace quarnel
