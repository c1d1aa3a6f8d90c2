// The map file reader: the whole file is checked before the map is touched.
#include "segutils/MapFileReader.h"

#include "common/FileReads.h"
#include "common/LittleEndian.h"
#include "common/UTypes.h"
#include "segutils/MapFormat.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace quarnel {

namespace {

using namespace mapfile;

int32_t Int32At(const std::vector<uint8_t>& bytes, uint64_t offset) {
  return quarnel::Int32At(bytes.data() + offset);
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
    if (code != kFree && code != kBlocked && code != kMixed)
      Defect(fileName, offset,
             record + " has the code " + std::to_string(code) + "; expected 0, 1 or -1");
    offset += kCodeSize;
    if (code != kMixed)
      continue;
    if (length - offset < kSegmentBytes)
      Defect(fileName, length,
             "the file ends inside the 512 cell bytes of " + record + " (from byte " +
                 std::to_string(offset) + ")");
    TSegmentCode cells;
    for (uint64_t k = 0; k < 64; ++k)
      cells.Add(UInt64At(bytes.data() + offset + 8 * k));
    // The writer stores a uniform segment as its code alone.
    if (cells.Code() != kMixed)
      Defect(fileName, offset,
             record + " is marked mixed but its cells are all " +
                 (cells.Code() == kBlocked ? "blocked" : "free"));
    offset += kSegmentBytes;
  }
  return index == stopAfter ? offset : index;
}

} // namespace

void LoadMapFile(const std::string& fileName, TPathmap& map) {
  std::vector<uint8_t> bytes;
  TFile file = OpenForReading(fileName);
  if (!ReadToEnd(file, bytes))
    throw Exception("Error reading file: " + fileName);
  if (bytes.size() < kHeaderSize)
    Defect(fileName, bytes.size(), "the file ends inside the 32-byte header");
  for (uint64_t k = 0; k < 6; ++k) {
    const uint64_t offset = 8 + 4 * k;
    const int32_t value = Int32At(bytes, offset);
    if (value != kHeaderFields[k])
      Defect(fileName, offset,
             "header field is " + std::to_string(value) + ", expected " +
                 std::to_string(kHeaderFields[k]));
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
      if (code == kFree)
        continue;
      for (uint32_t k = 0; k < 64; ++k)
        map.Row(64 * i + k)[j] =
            code == kBlocked ? ~uint64_t{0} : UInt64At(bytes.data() + offset + 8 * k);
      if (code == kMixed)
        offset += kSegmentBytes;
    }
  }
}

} // namespace quarnel
