// A text file written line by line, each line ended by a carriage return and a line feed.
#pragma once

#include "common/ReplacingFile.h"

#include <string>
#include <string_view>

namespace quarnel {

// The file is written beside its name and replaces an existing one only when closed whole: a
// writer that goes without Close, on a failure path, leaves the existing file as it was and
// nothing beside it. Failures raise EInOutError with the text-file message of the system's
// error code ("File access denied" for a directory of that name).
class TTextFileWriter {
public:
  explicit TTextFileWriter(const std::string& fileName);
  TTextFileWriter(const TTextFileWriter&) = delete;
  TTextFileWriter& operator=(const TTextFileWriter&) = delete;

  void WriteLine(std::string_view text);
  // Flushes and closes the file, and puts it in place of the existing one.
  void Close();

private:
  void Flush();

  TReplacingFile File;
  std::string Buffer;
};

} // namespace quarnel
