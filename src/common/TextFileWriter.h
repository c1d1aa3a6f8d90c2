// A text file written line by line, each line ended by a carriage return and a line feed.
#pragma once

#include "common/FileIO.h"

#include <string>
#include <string_view>

namespace quarnel {

// Failures raise EInOutError with the text-file message of the system's error code. What
// was written is flushed and the file closed also when the object goes on a failure path.
class TTextFileWriter {
public:
  // Creates the file, replacing an existing one.
  explicit TTextFileWriter(const std::string& fileName);
  ~TTextFileWriter();
  TTextFileWriter(const TTextFileWriter&) = delete;
  TTextFileWriter& operator=(const TTextFileWriter&) = delete;

  void WriteLine(std::string_view text);
  // Flushes and closes the file.
  void Close();

private:
  void Flush();

  TFile File;
  std::string Buffer;
};

} // namespace quarnel
