// The map file format, shared by the writer (SaveToFile), the reader (LoadMapFile) and the
// statistics of quarnel-inspect.
//
// All numbers are little-endian signed 32-bit integers. A 32-byte header is followed by one
// record per 64 by 64 segment, by segment row (world Z) and then by segment column (world X):
// the segment's code, and for a mixed segment its 512 bytes, row k of the segment in bytes
// 8k to 8k + 7 with column 8b + t in bit t of byte b (the row's word, little-endian).
#pragma once

#include "common/UTypes.h"

#include <cstdint>
#include <string>

namespace quarnel::mapfile {

inline constexpr uint64_t kHeaderSize = 32;
inline constexpr uint64_t kCodeSize = 4;
inline constexpr uint64_t kSegmentBytes = 512;

// Segment codes.
inline constexpr int32_t kFree = 0;
inline constexpr int32_t kBlocked = 1;
inline constexpr int32_t kMixed = -1;

// The header: the level count (TPathmap::LevelCount) at offsets 0 and 4, then these fields
// at offsets 8 to 28.
inline constexpr int32_t kHeaderFields[6] = {6, 0, 0, 2, 0, -1};

// Writes the 32 header bytes of a map whose level count is levels.
void PutHeader(uint8_t* out, int32_t levels);

// The code of one segment, from the words of its 64 rows.
class TSegmentCode {
public:
  void Add(uint64_t rowWord) {
    Any |= rowWord;
    All &= rowWord;
  }
  int32_t Code() const { return Any == 0 ? kFree : All == ~uint64_t{0} ? kBlocked : kMixed; }

private:
  uint64_t Any = 0, All = ~uint64_t{0};
};

// The side of a square map in messages: "128 by 128".
std::string SideText(uint64_t size);

} // namespace quarnel::mapfile

namespace quarnel {

// The map file the run writes for a class: "Infantry1Level0Map.raw", "Tank0Level0Map.raw" or
// "Car4Level0Map.raw".
const char* MapFileNameOf(MapClass mapClass);

// The class of a map file whose name (its last path component, after '/' or '\\') is its
// class's map file name, ignoring ASCII letter case; false for any other name.
bool MapClassOfFile(const std::string& fileName, MapClass& mapClass);

} // namespace quarnel
