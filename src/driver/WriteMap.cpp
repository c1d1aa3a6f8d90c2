// Making a map's bands on several threads while writing them in order.
#include "driver/WriteMap.h"

#include "common/UTypes.h"
#include "driver/Parallel.h"
#include "segutils/SegUtils.h"

#include <algorithm>
#include <memory>

namespace quarnel {

TBandBlocks::TBandBlocks(uint32_t mapSize, const std::vector<TCellBlock>& blocks)
    : Bands(mapSize / 64) {
  const int64_t last = int64_t{mapSize} - 1;
  for (const TCellBlock& block : blocks) {
    const int64_t first = std::max<int64_t>(block.RowFirst, 0) >> 6;
    for (int64_t i = first; i <= std::min(block.RowLast, last) >> 6; ++i)
      Bands[static_cast<size_t>(i)].push_back(block);
  }
}

// A band is made (widened, stamped, its edges kept) a step ahead of being filled, since
// filling it takes the edges of the bands beside it, and filled a step ahead of being written.
// Each step fills Step bands and makes the next Step, on the threads, and then writes the bands
// filled: the bands in hand lie in a ring of 2 Step + 2.
void WriteMap(const TCellMask& centres, const TShape& shape, const TBandBlocks* blocks,
              const char* fileName, unsigned threads) {
  const uint32_t size = centres.Size();
  if (size == 0)
    throw Exception("Pathmap not initialised");
  const auto bands = static_cast<int32_t>(size / 64);
  const int32_t step = std::max<int32_t>(8, static_cast<int32_t>(threads));
  const TMarkedRows rows(centres);
  std::vector<std::unique_ptr<TMapBand>> ring(static_cast<size_t>(2 * step + 2));
  for (auto& band : ring)
    band = std::make_unique<TMapBand>(size);
  auto band = [&](int32_t i) -> TMapBand& { return *ring[static_cast<size_t>(i) % ring.size()]; };
  auto make = [&](int32_t i) {
    band(i).Widen(centres, rows, shape, i);
    if (blocks != nullptr)
      for (const TCellBlock& block : blocks->Band(i))
        band(i).Block(block);
    band(i).KeepEdges();
  };
  auto fill = [&](int32_t i) {
    band(i).FillHoles(i > 0 ? &band(i - 1) : nullptr, i + 1 < bands ? &band(i + 1) : nullptr);
  };
  // Runs work(i) for i from first to last - 1 on the threads.
  auto onThreads = [&](int32_t first, int32_t last, auto&& work) {
    ForEachInParallel(static_cast<size_t>(std::max(last - first, 0)), 1, threads,
                      [&] { return [&](size_t k) { work(first + static_cast<int32_t>(k)); }; });
  };

  TMapFileWriter file(fileName, size);
  onThreads(0, std::min(step + 1, bands), make);
  for (int32_t first = 0; first < bands; first += step) {
    const int32_t last = std::min(first + step, bands);
    const int32_t makeFirst = std::min(first + step + 1, bands);
    const int32_t makeLast = std::min(first + 2 * step + 1, bands);
    onThreads(first, last + (makeLast - makeFirst), [&](int32_t i) {
      if (i < last)
        fill(i);
      else
        make(makeFirst + (i - last));
    });
    for (int32_t i = first; i < last; ++i)
      band(i).PutInto(file);
  }
  file.Close();
}

} // namespace quarnel
