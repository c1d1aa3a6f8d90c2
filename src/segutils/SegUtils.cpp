// The pathmap grid and its map file writer.
#include "segutils/SegUtils.h"

#include "common/FileIO.h"
#include "common/LittleEndian.h"
#include "common/UTypes.h"
#include "segutils/MapFormat.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quarnel {

namespace {

constexpr uint64_t kAllBlocked = ~uint64_t{0};

// One segment row's bytes (SegmentCount × 512) must fit a signed 32-bit count.
constexpr int32_t kMaxSegmentCount = 4194304;

} // namespace

TPathmap::TWords TPathmap::Allocate(int32_t segmentCount) {
  if (segmentCount == 0)
    return nullptr;
  if (segmentCount >= kMaxSegmentCount)
    throw Exception(kRangeCheckError);
  // 64 × SegmentCount rows of SegmentCount words; calloc hands out zeroed pages lazily.
  const size_t sc = static_cast<size_t>(segmentCount);
  void* p = std::calloc(64 * sc, sc * sizeof(uint64_t));
  if (p == nullptr)
    throw Exception(kOutOfMemory);
  return TWords(static_cast<uint64_t*>(p));
}

void TPathmap::SetSize(uint32_t size) {
  if (size % 64 != 0)
    throw Exception("Invalid pathmap size: " + std::to_string(size));
  Words.reset();
  FSize = 0;
  FSegmentCount = 0;
  const auto segmentCount = static_cast<int32_t>(size / 64);
  Words = Allocate(segmentCount);
  FSegmentCount = segmentCount;
  FSize = size;
}

void TPathmap::Clear() {
  if (Words)
    std::memset(Words.get(), 0, static_cast<size_t>(FSize) * FSegmentCount * sizeof(uint64_t));
}

void TPathmap::CheckInitialised() const {
  if (FSize == 0)
    throw Exception("Pathmap not initialised");
}

void TPathmap::Block(uint32_t row, uint32_t column) {
  CheckInitialised();
  if (row >= FSize || column >= FSize)
    return;
  Row(row)[column >> 6] |= uint64_t{1} << (column & 63);
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

uint8_t TPathmap::SegmentByte(int32_t i, int32_t j, int byteIndex) const {
  const uint64_t word = Row(static_cast<uint32_t>(i * 64 + byteIndex / 8))[j];
  return static_cast<uint8_t>(word >> (8 * (byteIndex % 8)));
}

namespace {

// Collects the file's bytes and hands them to the file in large writes; any write that
// stores fewer bytes than asked for closes the file and fails.
class TMapWriter {
public:
  // fileSize bounds the bytes to come: a small map needs no large buffer.
  TMapWriter(TFile& file, size_t fileSize) : File(file) {
    Buffer.reserve(std::min(fileSize, kCapacity));
  }

  // Room for count more bytes at the end of the buffer, to be filled by the caller.
  uint8_t* Append(size_t count) {
    if (Buffer.size() + count > kCapacity)
      Flush();
    Buffer.resize(Buffer.size() + count);
    return Buffer.data() + Buffer.size() - count;
  }

  void Flush() {
    if (Buffer.empty())
      return;
    const int64_t written = File.Write(Buffer.data(), Buffer.size());
    if (written != static_cast<int64_t>(Buffer.size())) {
      File.Close();
      throw Exception("Error writing file");
    }
    Buffer.clear();
  }

private:
  static constexpr size_t kCapacity = size_t{1} << 20;

  TFile& File;
  std::vector<uint8_t> Buffer;
};

} // namespace

void TPathmap::SaveToFile(const std::string& fileName) const {
  CheckInitialised();
  if (ExistsAsNonDirectory(fileName))
    DeleteFileNamed(fileName); // a failed deletion shows up when the file is created
  TFile file;
  if (!file.Create(fileName, /*exclusive=*/true))
    throw Exception("Error opening file: " + fileName);

  const size_t segments = static_cast<size_t>(FSegmentCount) * FSegmentCount;
  TMapWriter out(file,
                 mapfile::kHeaderSize + segments * (mapfile::kCodeSize + mapfile::kSegmentBytes));
  mapfile::PutHeader(out.Append(mapfile::kHeaderSize), FSize);
  for (int32_t i = 0; i < FSegmentCount; ++i) {
    for (int32_t j = 0; j < FSegmentCount; ++j) {
      const uint32_t firstRow = static_cast<uint32_t>(i) * 64;
      mapfile::TSegmentCode code;
      for (uint32_t k = 0; k < 64; ++k)
        code.Add(Row(firstRow + k)[j]);
      PutInt32At(out.Append(mapfile::kCodeSize), code.Code());
      if (code.Code() != mapfile::kMixed)
        continue;
      uint8_t* cells = out.Append(mapfile::kSegmentBytes);
      for (uint32_t k = 0; k < 64; ++k)
        PutUInt64At(cells + 8 * k, Row(firstRow + k)[j]);
    }
  }
  out.Flush();
  if (!file.Close())
    throw Exception("Error writing file");
}

void FillHoles(TPathmap& map) {
  map.CheckInitialised();
  const uint32_t size = map.Size();
  const auto n = static_cast<size_t>(map.SegmentCount());
  // Rows outside the grid count as blocked.
  const std::vector<uint64_t> outside(n, kAllBlocked);

  // A cell is filled only when its later neighbours (east, north) are blocked already, so
  // filling in place gives the same result as testing every cell against the map as it was:
  // whole words can be tested at once.
  //
  // Column 64j + t is bit t of word j. Shifting a word left by one moves every cell one column
  // east, so bit t of (w << 1) is the cell west of column 64j + t; the cell west of bit 0 is
  // bit 63 of word j - 1, carried in. Likewise (w >> 1) brings the east neighbours, with bit 0
  // of word j + 1 carried into bit 63. Beyond the first and last word the carry is 1: blocked.
  for (uint32_t r = 0; r < size; ++r) {
    uint64_t* cur = map.Row(r);
    const uint64_t* south = r == 0 ? outside.data() : map.Row(r - 1);
    const uint64_t* north = r == size - 1 ? outside.data() : map.Row(r + 1);
    for (size_t j = 0; j < n; ++j) {
      const uint64_t w = cur[j];
      const uint64_t westBlocked = (w << 1) | (j == 0 ? 1 : cur[j - 1] >> 63);
      const uint64_t eastBlocked = (w >> 1) | ((j == n - 1 ? 1 : cur[j + 1] & 1) << 63);
      cur[j] = w | (~w & westBlocked & eastBlocked & south[j] & north[j]);
    }
  }
}

} // namespace quarnel
