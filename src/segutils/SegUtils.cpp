// The pathmap grid and its map file writer.
#include "segutils/SegUtils.h"

#include "common/LittleEndian.h"
#include "common/ReplacingFile.h"
#include "common/UTypes.h"
#include "common/ZeroedMemory.h"
#include "segutils/MapFormat.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace quarnel {

namespace {

constexpr uint64_t kAllBlocked = ~uint64_t{0};

// The words of a whole segment of one value.
constexpr std::array<uint64_t, 64> Uniform(uint64_t word) {
  std::array<uint64_t, 64> words{};
  words.fill(word);
  return words;
}
constexpr std::array<uint64_t, 64> kOutside = Uniform(kAllBlocked), kFree = Uniform(0);

// One segment row's bytes (SegmentCount × 512) must fit a signed 32-bit count.
constexpr int32_t kMaxSegmentCount = 4194304;

} // namespace

void TPathmap::SetSize(uint32_t size) {
  if (size % 64 != 0)
    throw Exception("Invalid pathmap size: " + std::to_string(size));
  Words.reset();
  Slots.reset();
  Written.clear();
  FSize = 0;
  FSegmentCount = 0;
  const auto segmentCount = static_cast<int32_t>(size / 64);
  if (segmentCount == 0)
    return;
  if (segmentCount >= kMaxSegmentCount)
    throw Exception(kRangeCheckError);
  const uint64_t segments = uint64_t{static_cast<uint32_t>(segmentCount)} * segmentCount;
  if (segments >= UINT32_MAX) // 1 + a place must fit a slot; such a map needs over 2 TiB
    throw Exception(kOutOfMemory);
  // Zeroed pages handed out lazily: only the pages that segments take are ever touched, and
  // segments take them front to back.
  Words.reset(static_cast<uint64_t*>(ReserveZeroed(segments, 64 * sizeof(uint64_t))));
  Slots.reset(static_cast<uint32_t*>(std::calloc(segments, sizeof(uint32_t))));
  if (!Words || !Slots) {
    Words.reset();
    Slots.reset();
    throw Exception(kOutOfMemory);
  }
  FSegmentCount = segmentCount;
  FSize = size;
}

void TPathmap::Place(size_t index) {
  Written.push_back(index);
  Slots[index] = static_cast<uint32_t>(Written.size());
}

// Only written segments hold a blocked cell: they are zeroed and given up, so that the next
// map takes the same (already touched) storage again.
void TPathmap::Clear() {
  for (size_t index : Written) {
    std::memset(Words.get() + 64 * size_t{Slots[index] - 1}, 0, 64 * sizeof(uint64_t));
    Slots[index] = 0;
  }
  Written.clear();
}

void TPathmap::CheckInitialised() const {
  if (FSize == 0)
    throw Exception("Pathmap not initialised");
}

void TPathmap::Block(uint32_t row, uint32_t column) {
  CheckInitialised();
  if (row >= FSize || column >= FSize)
    return;
  WritableSegment(static_cast<int32_t>(row >> 6), static_cast<int32_t>(column >> 6))[row & 63] |=
      uint64_t{1} << (column & 63);
}

bool TPathmap::IsBlocked(uint32_t row, uint32_t column) const {
  CheckInitialised();
  if (row >= FSize || column >= FSize)
    return true;
  return (Row(row)[column >> 6] >> (column & 63)) & 1;
}

int32_t TPathmap::LevelCount(uint32_t size) {
  uint32_t v = size / 64;
  for (int32_t k = 0; k <= 8; ++k) {
    if (v <= 1)
      return k;
    v /= 2;
  }
  return 0;
}

namespace {

// Bytes are handed to the file in writes of up to this many.
constexpr size_t kWriteSize = size_t{1} << 18;

// Puts the record of a segment, its 64 words or null for one never written, into out, whose
// Append(count) gives room for count more bytes.
template <typename TOut> void PutRecord(TOut& out, const uint64_t* words) {
  static_assert(mapfile::kFree == 0);
  if (words == nullptr) { // never written: all free, the code 0
    std::memset(out.Append(mapfile::kCodeSize), 0, mapfile::kCodeSize);
    return;
  }
  mapfile::TSegmentCode code;
  for (uint32_t k = 0; k < 64; ++k)
    code.Add(words[k]);
  PutInt32At(out.Append(mapfile::kCodeSize), code.Code());
  if (code.Code() != mapfile::kMixed)
    return;
  uint8_t* cells = out.Append(mapfile::kSegmentBytes);
  for (uint32_t k = 0; k < 64; ++k)
    PutUInt64At(cells + 8 * k, words[k]);
}

} // namespace

TMapFileWriter::TMapFileWriter(const std::string& fileName, uint32_t size) : Name(fileName) {
  if (!File.Create(fileName))
    throw Exception("Error opening file: " + fileName);
  // The file's size bounds the bytes to come: a small map needs no large buffer.
  const size_t segments = size_t{size / 64} * (size / 64);
  Capacity = std::min<size_t>(
      mapfile::kHeaderSize + segments * (mapfile::kCodeSize + mapfile::kSegmentBytes), kWriteSize);
  Buffer.reset(new uint8_t[Capacity]);
  mapfile::PutHeader(Append(mapfile::kHeaderSize), TPathmap::LevelCount(size));
}

uint8_t* TMapFileWriter::Append(size_t count) {
  if (Used + count > Capacity)
    Flush();
  Used += count;
  return Buffer.get() + Used - count;
}

// Any write that stores fewer bytes than asked for fails; the file beside the name goes with
// the writer.
void TMapFileWriter::Flush() {
  if (Used == 0)
    return;
  const int64_t written = File.Write(Buffer.get(), Used);
  if (written != static_cast<int64_t>(Used))
    throw Exception("Error writing file");
  Used = 0;
}

void TMapFileWriter::Put(const uint64_t* words) {
  struct TTo {
    TMapFileWriter& Writer;
    uint8_t* Append(size_t count) { return Writer.Append(count); }
  } to{*this};
  PutRecord(to, words);
}

void TMapFileWriter::Close() {
  Flush();
  if (!File.Close())
    throw Exception("Error writing file");
  if (!File.Commit()) // a file of that name that cannot be replaced
    throw Exception("Error opening file: " + Name);
}

void TPathmap::SaveToFile(const std::string& fileName) const {
  CheckInitialised();
  TMapFileWriter out(fileName, FSize);
  for (int32_t i = 0; i < FSegmentCount; ++i)
    for (int32_t j = 0; j < FSegmentCount; ++j)
      out.Put(Segment(i, j));
  out.Close();
}

std::string TPathmap::FileBytes() const {
  CheckInitialised();
  struct TBytes {
    std::string Bytes;
    uint8_t* Append(size_t count) {
      Bytes.resize(Bytes.size() + count);
      return reinterpret_cast<uint8_t*>(Bytes.data() + Bytes.size() - count);
    }
  } out;
  mapfile::PutHeader(out.Append(mapfile::kHeaderSize), LevelCount(FSize));
  for (int32_t i = 0; i < FSegmentCount; ++i)
    for (int32_t j = 0; j < FSegmentCount; ++j)
      PutRecord(out, Segment(i, j));
  return std::move(out.Bytes);
}

// Column 64j + t is bit t of word j. Shifting a word left by one moves every cell one column
// east, so bit t of (w << 1) is the cell west of column 64j + t; the cell west of bit 0 is
// bit 63 of the same row's word in the segment to the west, carried in. Likewise (w >> 1)
// brings the east neighbours, with bit 0 of the segment to the east carried into bit 63.
void FillSegmentHoles(uint64_t* words, const uint64_t* west, const uint64_t* east,
                      uint64_t southRow, uint64_t northRow) {
  // Rows -1 to 64 of the segment as they were: since no fill changes what another cell sees,
  // every row is computed from these, with no dependence from one row to the next.
  uint64_t rows[66];
  rows[0] = southRow;
  std::copy_n(words, 64, rows + 1);
  rows[65] = northRow;
  for (int k = 0; k < 64; ++k) {
    const uint64_t w = rows[k + 1];
    const uint64_t westBlocked = (w << 1) | (west[k] >> 63);
    const uint64_t eastBlocked = (w >> 1) | (east[k] << 63);
    words[k] = w | (~w & westBlocked & eastBlocked & rows[k] & rows[k + 2]);
  }
}

namespace {

// Fills the holes of one written segment of map in place. Beyond the grid every neighbour is
// blocked; a segment never written is all free.
void FillMapSegmentHoles(TPathmap& map, int32_t i, int32_t j) {
  const int32_t n = map.SegmentCount();
  auto neighbour = [&](int32_t si, int32_t sj) -> const uint64_t* {
    if (si < 0 || sj < 0 || si >= n || sj >= n)
      return kOutside.data();
    const uint64_t* words = map.Segment(si, sj);
    return words == nullptr ? kFree.data() : words;
  };
  FillSegmentHoles(map.WritableSegment(i, j), neighbour(i, j - 1), neighbour(i, j + 1),
                   neighbour(i - 1, j)[63], neighbour(i + 1, j)[0]);
}

} // namespace

// A cell is filled only when all four neighbours are blocked; none of them is free, so no
// fill changes what any other cell sees: the segments may be filled in place, in any order,
// with the result of testing every cell against the map as it was. A segment never written
// holds no hole: each of its cells has a free neighbour inside it.
void FillHoles(TPathmap& map) {
  map.CheckInitialised();
  const auto n = static_cast<size_t>(map.SegmentCount());
  for (size_t index : map.WrittenSegments()) // filling writes no new segment
    FillMapSegmentHoles(map, static_cast<int32_t>(index / n), static_cast<int32_t>(index % n));
}

} // namespace quarnel
