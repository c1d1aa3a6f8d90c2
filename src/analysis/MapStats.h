// What a map holds, and how two maps differ, cell by cell.
#pragma once

#include "analysis/Cell.h"
#include "segutils/SegUtils.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quarnel {

struct TMapStats {
  uint32_t Size = 0;
  int32_t SegmentCount = 0;
  int32_t LevelCount = 0;
  uint64_t BlockedCells = 0;
  uint64_t FreeSegments = 0;    // every cell free
  uint64_t BlockedSegments = 0; // every cell blocked
  uint64_t MixedSegments = 0;
  bool operator==(const TMapStats&) const = default;
};

TMapStats ComputeStats(const TPathmap& map);

// Checks that two or three maps have one size; raises "the three maps must have one size, but
// they are 64 by 64, 64 by 64 and 128 by 128 cells" (for two: "the two maps must have one size,
// but they are 64 by 64 and 128 by 128 cells") otherwise.
void CheckOneSize(std::initializer_list<const TPathmap*> maps);

struct TMapDiff {
  uint64_t OnlyInA = 0;     // blocked in A, free in B
  uint64_t OnlyInB = 0;     // free in A, blocked in B
  std::vector<TCell> First; // the first differing cells, by row and then column
  uint64_t Count() const { return OnlyInA + OnlyInB; }
};

// Compares two maps of one size cell by cell, listing at most listLimit differing cells.
TMapDiff DiffMaps(const TPathmap& a, const TPathmap& b, size_t listLimit);

} // namespace quarnel
