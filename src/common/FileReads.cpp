// Reading whole files.
#include "common/FileReads.h"

#include "common/UTypes.h"

#include <algorithm>

namespace quarnel {

TFile OpenForReading(const std::string& fileName) {
  TFile file;
  if (!file.OpenForReading(fileName))
    throw Exception("Error opening file: " + fileName);
  return file;
}

bool ReadToEnd(TFile& file, std::vector<uint8_t>& bytes) {
  bytes.clear();
  // The first read asks for the file's real length, never for a number read from it.
  const int64_t size = file.FileSize();
  size_t ask = size > 0 ? static_cast<size_t>(size) + 1 : size_t{1} << 16;
  for (;;) {
    const size_t at = bytes.size();
    bytes.resize(at + ask);
    const int64_t got = file.Read(bytes.data() + at, ask);
    if (got < 0)
      return false;
    bytes.resize(at + static_cast<size_t>(got));
    if (static_cast<size_t>(got) < ask) // Read returns fewer bytes only at the end
      return true;
    ask = bytes.size();
  }
}

} // namespace quarnel
