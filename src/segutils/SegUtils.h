// The pathmap: a square bit grid in 64 by 64 cell segments, its map file and hole filling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace quarnel {

// Cells are addressed as (row, column): the row from world Z, the column from world X. Rows
// grow northwards and columns eastwards: row r + 1 is north of row r and column c + 1 east of
// column c; pictures of maps put north up, so row 0 is their bottom pixel row.
// A set bit is a blocked cell. The cells of one grid row are stored as SegmentCount 64-bit
// words, word j holding columns 64j to 64j + 63 with column 64j + t in bit t; word j of
// rows 64i to 64i + 63 is segment (i, j), whose 512 bytes are those words in
// little-endian order, exactly as the map file stores them.
class TPathmap {
public:
  TPathmap() = default;
  TPathmap(const TPathmap&) = delete;
  TPathmap& operator=(const TPathmap&) = delete;
  // A moved-from map is not initialised.
  TPathmap(TPathmap&& other) noexcept { *this = std::move(other); }
  TPathmap& operator=(TPathmap&& other) noexcept {
    FSize = std::exchange(other.FSize, 0);
    FSegmentCount = std::exchange(other.FSegmentCount, 0);
    Words = std::move(other.Words);
    return *this;
  }

  uint32_t Size() const { return FSize; }
  int32_t SegmentCount() const { return FSegmentCount; }

  // Validates the size (a multiple of 64) and allocates every cell free.
  void SetSize(uint32_t size);
  // Makes every cell free; the dimensions stay.
  void Clear();
  // Blocks a cell; a cell outside the grid is ignored.
  void Block(uint32_t row, uint32_t column);
  // True when the cell is blocked or outside the grid.
  bool IsBlocked(uint32_t row, uint32_t column) const;
  // The level count of the map header for a map of the given size.
  static int32_t LevelCount(uint32_t size);
  // Writes the map file, replacing any file of that name.
  void SaveToFile(const std::string& fileName) const;

  // Raises "Pathmap not initialised" when the map has no size.
  void CheckInitialised() const;
  // The SegmentCount words of one grid row; row must be less than Size.
  uint64_t* Row(uint32_t row) { return Words.get() + static_cast<size_t>(row) * FSegmentCount; }
  const uint64_t* Row(uint32_t row) const {
    return Words.get() + static_cast<size_t>(row) * FSegmentCount;
  }
  // One byte of segment (i, j), 0 to 511, as the map file holds it.
  uint8_t SegmentByte(int32_t i, int32_t j, int byteIndex) const;

private:
  struct FreeDeleter {
    void operator()(uint64_t* p) const { std::free(p); }
  };
  using TWords = std::unique_ptr<uint64_t[], FreeDeleter>;
  static TWords Allocate(int32_t segmentCount);

  uint32_t FSize = 0;
  int32_t FSegmentCount = 0;
  TWords Words;
};

// Blocks every free cell whose four edge neighbours (west, east, south, north) are blocked, a
// cell outside the grid counting as blocked: exactly the cells that were free and so enclosed
// before the pass.
void FillHoles(TPathmap& map);

} // namespace quarnel
