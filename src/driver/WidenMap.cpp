// Widening a map's bands on several threads.
#include "driver/WidenMap.h"

#include "driver/Parallel.h"

#include <memory>
#include <mutex>

namespace quarnel {

// Each thread widens a band at a time on its own; only adding a band to the map takes the map
// to itself, and that only sets bits.
void WidenMap(const TCellMask& centres, const TShape& shape, TPathmap& map, unsigned threads) {
  const TMarkedRows rows(centres);
  std::mutex mapLock;
  ForEachInParallel(static_cast<size_t>(map.SegmentCount()), 1, threads, [&] {
    return [&, band = std::make_unique<TWidenedBand>(map.Size())](size_t i) {
      band->Widen(centres, rows, shape, static_cast<int32_t>(i));
      const std::lock_guard<std::mutex> guard(mapLock);
      band->BlockInto(map);
    };
  });
}

} // namespace quarnel
