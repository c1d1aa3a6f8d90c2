// Statistics of a map and the cell-by-cell difference of two.
#include "analysis/MapStats.h"

#include "common/UTypes.h"
#include "segutils/MapFormat.h"

#include <bit>
#include <cassert>

namespace quarnel {

using mapfile::SideText;

void CheckOneSize(std::initializer_list<const TPathmap*> maps) {
  assert(maps.size() == 2 || maps.size() == 3);
  const uint32_t size = (*maps.begin())->Size();
  bool same = true;
  std::string sides;
  size_t k = 0;
  for (const TPathmap* map : maps) {
    same &= map->Size() == size;
    sides += (k == 0 ? "" : k + 1 == maps.size() ? " and " : ", ") + SideText(map->Size());
    ++k;
  }
  if (!same)
    throw Exception(std::string(maps.size() == 3 ? "the three" : "the two") +
                    " maps must have one size, but they are " + sides + " cells");
}

TMapStats ComputeStats(const TPathmap& map) {
  TMapStats stats;
  stats.Size = map.Size();
  stats.SegmentCount = map.SegmentCount();
  stats.LevelCount = TPathmap::LevelCount(map.Size());
  const auto n = static_cast<uint32_t>(map.SegmentCount());
  for (uint32_t i = 0; i < n; ++i) {
    for (uint32_t j = 0; j < n; ++j) {
      mapfile::TSegmentCode code;
      for (uint32_t k = 0; k < 64; ++k) {
        const uint64_t word = map.Row(64 * i + k)[j];
        stats.BlockedCells += static_cast<uint64_t>(std::popcount(word));
        code.Add(word);
      }
      switch (code.Code()) {
      case mapfile::kFree:
        ++stats.FreeSegments;
        break;
      case mapfile::kBlocked:
        ++stats.BlockedSegments;
        break;
      default:
        ++stats.MixedSegments;
      }
    }
  }
  return stats;
}

TMapDiff DiffMaps(const TPathmap& a, const TPathmap& b, size_t listLimit) {
  CheckOneSize({&a, &b});
  TMapDiff diff;
  const auto n = static_cast<uint32_t>(a.SegmentCount());
  for (uint32_t r = 0; r < a.Size(); ++r) {
    const auto rowA = a.Row(r);
    const auto rowB = b.Row(r);
    for (uint32_t j = 0; j < n; ++j) {
      const uint64_t differ = rowA[j] ^ rowB[j];
      if (differ == 0)
        continue;
      diff.OnlyInA += static_cast<uint64_t>(std::popcount(differ & rowA[j]));
      diff.OnlyInB += static_cast<uint64_t>(std::popcount(differ & rowB[j]));
      for (uint64_t w = differ; w != 0 && diff.First.size() < listLimit; w &= w - 1)
        diff.First.push_back({r, 64 * j + static_cast<uint32_t>(std::countr_zero(w))});
    }
  }
  return diff;
}

} // namespace quarnel
