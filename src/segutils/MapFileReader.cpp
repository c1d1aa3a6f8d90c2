// The map file reader: the whole file is checked before the map is touched.
#include "segutils/MapFileReader.h"

#include "common/FileIO.h"
#include "common/UTypes.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace quarnel {

namespace {

constexpr uint64_t kHeaderSize = 32;
constexpr uint64_t kCodeSize = 4;
constexpr uint64_t kCellBytes = 512;
constexpr int32_t kCodeFree = 0;
constexpr int32_t kCodeBlocked = 1;
constexpr int32_t kCodeMixed = -1;

// The fixed header fields after the two level counts, at offsets 8 to 28.
constexpr int32_t kHeaderConstants[6] = {6, 0, 0, 2, 0, -1};

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  TFile file;
  if (!file.OpenForReading(fileName))
    throw Exception("Error opening file: " + fileName);
  std::vector<uint8_t> bytes;
  // The reservation follows the file's real length, never a number read from it.
  if (const int64_t size = file.FileSize(); size > 0)
    bytes.reserve(static_cast<size_t>(size));
  uint8_t chunk[1 << 16];
  for (;;) {
    const int64_t got = file.Read(chunk, sizeof chunk);
    if (got < 0)
      throw Exception("Error reading file: " + fileName);
    if (got == 0)
      break;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

int32_t Int32At(const std::vector<uint8_t>& bytes, uint64_t offset) {
  const uint8_t* p = bytes.data() + offset;
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                              uint32_t{p[3]} << 24);
}

uint64_t WordAt(const std::vector<uint8_t>& bytes, uint64_t offset) {
  uint64_t word = 0;
  for (int b = 7; b >= 0; --b)
    word = (word << 8) | bytes[offset + static_cast<uint64_t>(b)];
  return word;
}

[[noreturn]] void Defect(const std::string& fileName, uint64_t offset, const std::string& what) {
  throw Exception(fileName + ": byte " + std::to_string(offset) + ": " + what);
}

uint64_t SquareRootDown(uint64_t n) {
  auto root = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
  while (root > 0 && root * root > n)
    --root;
  while ((root + 1) * (root + 1) <= n)
    ++root;
  return root;
}

std::string SideText(uint64_t size) {
  return std::to_string(size) + " by " + std::to_string(size);
}

// Checks every record from offset 32 to the end of the file and returns how many there are.
// With stopAfter, returns the offset at which record number stopAfter starts instead.
uint64_t WalkRecords(const std::string& fileName, const std::vector<uint8_t>& bytes,
                     uint64_t stopAfter = UINT64_MAX) {
  const uint64_t length = bytes.size();
  uint64_t offset = kHeaderSize;
  uint64_t index = 0;
  for (; offset < length && index < stopAfter; ++index) {
    const std::string record = "segment record " + std::to_string(index);
    if (length - offset < kCodeSize)
      Defect(fileName, length,
             "the file ends inside the code of " + record + " (from byte " +
                 std::to_string(offset) + ")");
    const int32_t code = Int32At(bytes, offset);
    if (code != kCodeFree && code != kCodeBlocked && code != kCodeMixed)
      Defect(fileName, offset,
             record + " has the code " + std::to_string(code) + "; expected 0, 1 or -1");
    offset += kCodeSize;
    if (code != kCodeMixed)
      continue;
    if (length - offset < kCellBytes)
      Defect(fileName, length,
             "the file ends inside the 512 cell bytes of " + record + " (from byte " +
                 std::to_string(offset) + ")");
    bool anySet = false, allSet = true;
    for (uint64_t k = 0; k < kCellBytes; ++k) {
      anySet |= bytes[offset + k] != 0;
      allSet &= bytes[offset + k] == 0xFF;
    }
    // The writer stores a uniform segment as its code alone.
    if (!anySet || allSet)
      Defect(fileName, offset,
             record + " is marked mixed but its cells are all " + (anySet ? "blocked" : "free"));
    offset += kCellBytes;
  }
  return index == stopAfter ? offset : index;
}

} // namespace

void LoadMapFile(const std::string& fileName, TPathmap& map) {
  const std::vector<uint8_t> bytes = ReadWholeFile(fileName);
  if (bytes.size() < kHeaderSize)
    Defect(fileName, bytes.size(), "the file ends inside the 32-byte header");
  for (uint64_t k = 0; k < 6; ++k) {
    const uint64_t offset = 8 + 4 * k;
    const int32_t value = Int32At(bytes, offset);
    if (value != kHeaderConstants[k])
      Defect(fileName, offset,
             "header field is " + std::to_string(value) + ", expected " +
                 std::to_string(kHeaderConstants[k]));
  }

  // The size follows from the records alone, so it is bounded by the file's length.
  const uint64_t records = WalkRecords(fileName, bytes);
  if (records == 0)
    Defect(fileName, kHeaderSize, "no segment records follow the header");
  const uint64_t segmentCount = SquareRootDown(records);
  if (segmentCount * segmentCount != records) {
    const uint64_t square = segmentCount * segmentCount;
    Defect(fileName, WalkRecords(fileName, bytes, square),
           std::to_string(records) + " segment records do not make a square map; the first " +
               std::to_string(square) + " (a " + SideText(64 * segmentCount) + " map) end here");
  }
  if (segmentCount > UINT32_MAX / 64)
    Defect(fileName, kHeaderSize, "too many segment records for a map");
  const auto size = static_cast<uint32_t>(64 * segmentCount);
  const int32_t levels = TPathmap::LevelCount(size);
  for (uint64_t offset : {0, 4}) {
    const int32_t value = Int32At(bytes, offset);
    if (value != levels)
      Defect(fileName, offset,
             "level count " + std::to_string(value) + " does not match the " +
                 std::to_string(levels) + " of a " + SideText(size) + " map");
  }

  map.SetSize(size);
  const auto n = static_cast<uint32_t>(segmentCount);
  uint64_t offset = kHeaderSize;
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = 0; j < n; ++j) {
      const int32_t code = Int32At(bytes, offset);
      offset += kCodeSize;
      if (code == kCodeFree)
        continue;
      for (uint32_t k = 0; k < 64; ++k)
        map.Row(64 * i + k)[j] =
            code == kCodeBlocked ? ~uint64_t{0} : WordAt(bytes, offset + 8 * k);
      if (code == kCodeMixed)
        offset += kCellBytes;
    }
  }
}

} // namespace quarnel
