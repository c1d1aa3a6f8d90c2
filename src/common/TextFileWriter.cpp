// Buffered text file output, put in place when whole.
#include "common/TextFileWriter.h"

#include "common/TextFileError.h"

namespace quarnel {

namespace {
constexpr size_t kFlushAt = 64 * 1024;
} // namespace

TTextFileWriter::TTextFileWriter(const std::string& fileName) {
  if (!File.Create(fileName))
    RaiseLastTextFileError();
}

void TTextFileWriter::WriteLine(std::string_view text) {
  Buffer.append(text);
  Buffer.append("\r\n");
  if (Buffer.size() >= kFlushAt)
    Flush();
}

void TTextFileWriter::Flush() {
  if (Buffer.empty())
    return;
  const int64_t written = File.Write(Buffer.data(), Buffer.size());
  if (written != static_cast<int64_t>(Buffer.size())) {
    Buffer.clear();
    RaiseLastTextFileError();
  }
  Buffer.clear();
}

void TTextFileWriter::Close() {
  Flush();
  if (!File.Commit())
    RaiseLastTextFileError();
}

} // namespace quarnel
