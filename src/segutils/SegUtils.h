// The pathmap: a square bit grid in 64 by 64 cell segments, its map file and hole filling.
#pragma once

#include "common/ReplacingFile.h"

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quarnel {

// Cells are addressed as (row, column): the row from world Z, the column from world X. Rows
// grow northwards and columns eastwards: row r + 1 is north of row r and column c + 1 east of
// column c; pictures of maps put north up, so row 0 is their bottom pixel row.
// A set bit is a blocked cell. The cells of one grid row are SegmentCount 64-bit words, word j
// holding columns 64j to 64j + 63 with column 64j + t in bit t; word j of rows 64i to 64i + 63
// is segment (i, j), whose 512 bytes are those 64 words in little-endian order, exactly as the
// map file stores them.
//
// Storage for every segment is reserved when the size is set (so a map too large for memory
// fails there with "Out of memory"), but a segment takes its place in that storage only when a
// cell of it is first written: the 64 words of a segment lie together, and the memory of a map
// grows with the segments written, not with its area. A segment never written is all free.
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
    Slots = std::move(other.Slots);
    Written = std::exchange(other.Written, {});
    return *this;
  }

  uint32_t Size() const { return FSize; }
  int32_t SegmentCount() const { return FSegmentCount; }

  // Validates the size (a multiple of 64) and allocates every cell free.
  void SetSize(uint32_t size);
  // Makes every cell free; the dimensions stay. Costs as much as the segments written.
  void Clear();
  // Blocks a cell; a cell outside the grid is ignored.
  void Block(uint32_t row, uint32_t column);
  // True when the cell is blocked or outside the grid.
  bool IsBlocked(uint32_t row, uint32_t column) const;
  // The level count of the map header for a map of the given size.
  static int32_t LevelCount(uint32_t size);
  // Writes the map file beside its name and then renames it over any file of that name, so
  // that a failure leaves that file as it was and nothing beside it. Raises "Pathmap not
  // initialised" when the map has no size, "Error opening file: " and the name when the file
  // cannot be made or a file (or a directory) of that name cannot be replaced, and "Error
  // writing file" when a write fails.
  void SaveToFile(const std::string& fileName) const;
  // The bytes that SaveToFile writes. Raises "Pathmap not initialised" when the map has no size.
  std::string FileBytes() const;

  // Raises "Pathmap not initialised" when the map has no size.
  void CheckInitialised() const;

  // The words of one grid row, row less than Size: Row(r)[j] is word j, for j less than
  // SegmentCount. Writing a word through a map that is not const gives its segment a place.
  class TConstRow {
  public:
    uint64_t operator[](size_t j) const {
      const uint64_t* segment = Map->Segment(Index, static_cast<int32_t>(j));
      return segment == nullptr ? 0 : segment[Word];
    }

  private:
    friend class TPathmap;
    TConstRow(const TPathmap* map, uint32_t row)
        : Map(map), Index(static_cast<int32_t>(row >> 6)), Word(row & 63) {}
    const TPathmap* Map;
    int32_t Index;
    uint32_t Word;
  };
  class TRow {
  public:
    uint64_t& operator[](size_t j) const {
      return Map->WritableSegment(Index, static_cast<int32_t>(j))[Word];
    }

  private:
    friend class TPathmap;
    TRow(TPathmap* map, uint32_t row)
        : Map(map), Index(static_cast<int32_t>(row >> 6)), Word(row & 63) {}
    TPathmap* Map;
    int32_t Index;
    uint32_t Word;
  };
  TRow Row(uint32_t row) {
    assert(row < FSize);
    return {this, row};
  }
  TConstRow Row(uint32_t row) const {
    assert(row < FSize);
    return {this, row};
  }

  // The 64 words of segment (i, j), word k holding row 64i + k, or null for a segment never
  // written (all free). i and j lie in 0 to SegmentCount - 1.
  const uint64_t* Segment(int32_t i, int32_t j) const {
    assert(i >= 0 && j >= 0 && i < FSegmentCount && j < FSegmentCount);
    const uint32_t slot = Slots[SlotIndex(i, j)];
    return slot == 0 ? nullptr : Words.get() + 64 * size_t{slot - 1};
  }
  // The same, giving a segment never written its place first (all free).
  uint64_t* WritableSegment(int32_t i, int32_t j) {
    assert(i >= 0 && j >= 0 && i < FSegmentCount && j < FSegmentCount);
    const size_t index = SlotIndex(i, j);
    if (Slots[index] == 0)
      Place(index);
    return Words.get() + 64 * size_t{Slots[index] - 1};
  }
  // The segments written since the size was set or the map cleared, in the order of their
  // first write, each as i × SegmentCount + j.
  const std::vector<size_t>& WrittenSegments() const { return Written; }

private:
  template <typename T> struct FreeDeleter {
    void operator()(T* p) const { std::free(p); }
  };
  template <typename T> using TBlock = std::unique_ptr<T[], FreeDeleter<T>>;
  size_t SlotIndex(int32_t i, int32_t j) const {
    return static_cast<size_t>(i) * static_cast<size_t>(FSegmentCount) + static_cast<size_t>(j);
  }
  void Place(size_t index);

  uint32_t FSize = 0;
  int32_t FSegmentCount = 0;
  // The segments' words, in the order the segments were first written.
  TBlock<uint64_t> Words;
  // For segment i × SegmentCount + j, 1 + its place in Words, or 0 when never written.
  TBlock<uint32_t> Slots;
  std::vector<size_t> Written;
};

// Writes a map file a segment at a time, in the file's order (by segment row, then by segment
// column), with the bytes that TPathmap::SaveToFile writes for a map of those segments.
class TMapFileWriter {
public:
  // Creates a file beside fileName (TReplacingFile) for a map of the given size (a multiple of
  // 64, not 0) and puts the header; raises "Error opening file: " + fileName.
  TMapFileWriter(const std::string& fileName, uint32_t size);

  // Puts the next segment: its 64 words (word k holding row k), or null for one all free.
  // Raises "Error writing file" when the file takes fewer bytes than it is given.
  void Put(const uint64_t* words);
  // Writes what is left, closes the file and renames it over fileName: raises "Error writing
  // file", or "Error opening file: " + fileName when a file of that name cannot be replaced. A
  // writer that goes without Close leaves fileName as it was and nothing beside it.
  void Close();

private:
  uint8_t* Append(size_t count);
  void Flush();

  TReplacingFile File;
  std::string Name;
  size_t Capacity;
  std::unique_ptr<uint8_t[]> Buffer;
  size_t Used = 0;
};

// Blocks every free cell whose four edge neighbours (west, east, south, north) are blocked, a
// cell outside the grid counting as blocked: exactly the cells that were free and so enclosed
// before the pass.
void FillHoles(TPathmap& map);

// The same for the 64 words of one segment (word k holding row k), in place: west and east are
// the words of the segments beside it, southRow and northRow the rows below and above it (all
// blocked beyond the grid, all free in a segment never written). Filling the holes of the
// segments around it first changes nothing: a filled cell has no free neighbour.
void FillSegmentHoles(uint64_t* words, const uint64_t* west, const uint64_t* east,
                      uint64_t southRow, uint64_t northRow);

} // namespace quarnel
