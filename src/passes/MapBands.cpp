// Making a map's bands on several threads while handing them on in order.
#include "passes/MapBands.h"

#include "common/UTypes.h"
#include "common/ZeroedMemory.h"
#include "segutils/SegUtils.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

namespace quarnel {

// Counted first, then placed, band by band.
TBandBlocks::TBandBlocks(uint32_t mapSize, const std::vector<TCellBlock>& blocks)
    : Starts(mapSize / 64 + 1, 0) {
  const int64_t last = int64_t{mapSize} - 1;
  auto forBands = [&](auto&& take) {
    for (const TCellBlock& block : blocks)
      for (int64_t i = std::max<int64_t>(block.RowFirst, 0) >> 6;
           i <= std::min(block.RowLast, last) >> 6; ++i)
        take(static_cast<size_t>(i), block);
  };
  forBands([&](size_t i, const TCellBlock&) { ++Starts[i + 1]; });
  for (size_t i = 1; i < Starts.size(); ++i)
    Starts[i] += Starts[i - 1];
  Blocks.resize(Starts.back());
  std::vector<size_t> next(Starts.begin(), Starts.end() - 1);
  forBands([&](size_t i, const TCellBlock& block) { Blocks[next[i]++] = block; });
}

TBandRing::TBandRing(uint32_t mapSize, unsigned threads) {
  // Enough for every thread to be a few bands ahead of the writer; no more than a map has.
  const size_t bands = std::min<size_t>(2 * std::max<size_t>(threads, 4) + 2, mapSize / 64 + 2);
  Words.reset(static_cast<uint64_t*>(ReserveZeroed(bands * mapSize + 1, sizeof(uint64_t))));
  if (!Words)
    throw std::bad_alloc();
  for (size_t k = 0; k < bands; ++k)
    Bands.push_back(std::make_unique<TMapBand>(mapSize, Words.get() + k * mapSize));
}

namespace {

// What has been done to a band of the ring.
enum class TStage { Making, Made, Filling, Filled };

// The bands of one map in the making. A band is made (widened, stamped, its edges kept), then
// filled, which takes the kept edges of the bands beside it, then written, in order, by the
// calling thread. Band i lies in slot i mod R of the ring and is made only once band
// i - R + 1, the last to take the edges of the slot's band before, was written.
class TBandWork {
public:
  TBandWork(const TCellMask& centres, const TShape& shape, const TBandBlocks* blocks,
            TBandRing& ring)
      : Centres(centres), Rows(centres), Shape(shape), Blocks(blocks), Ring(ring),
        Bands(static_cast<int32_t>(centres.Size() / 64)),
        Stages(ring.Bands.size(), TStage::Filled) {}

  // Does work until the map is written, or failed.
  void Help() {
    std::unique_lock<std::mutex> guard(Lock);
    try {
      while (Written < Bands && !Failure)
        if (!DoSome(guard))
          Changed.wait(guard);
    } catch (...) { // the band being made or filled stays so: the writer stops
      if (!guard.owns_lock())
        guard.lock();
      Failure = std::current_exception();
      Changed.notify_all();
    }
  }

  // Hands the bands to put in order, doing work while the band to hand on is not ready.
  void Write(const std::function<void(const TMapBand&)>& put) {
    std::unique_lock<std::mutex> guard(Lock);
    try {
      while (Written < Bands) {
        if (Failure)
          std::rethrow_exception(Failure);
        if (MadeUpTo > Written && Stage(Written) == TStage::Filled) {
          guard.unlock();
          put(Band(Written));
          guard.lock();
          ++Written;
          Changed.notify_all();
        } else if (!DoSome(guard)) {
          Changed.wait(guard);
        }
      }
    } catch (...) {
      if (!guard.owns_lock())
        guard.lock();
      Failure = std::current_exception();
      Changed.notify_all();
      throw;
    }
  }

private:
  TMapBand& Band(int32_t i) { return *Ring.Bands[static_cast<size_t>(i) % Ring.Bands.size()]; }
  TStage& Stage(int32_t i) { return Stages[static_cast<size_t>(i) % Stages.size()]; }
  bool IsMade(int32_t i) {
    return i < 0 || i >= Bands || (i < MadeUpTo && Stage(i) != TStage::Making);
  }

  // Fills the first band ready to be filled, or else makes the next band when its slot is
  // free; false when there is neither. Called and returns with the lock held.
  bool DoSome(std::unique_lock<std::mutex>& guard) {
    for (int32_t i = Written; i < MadeUpTo; ++i)
      if (Stage(i) == TStage::Made && IsMade(i - 1) && IsMade(i + 1)) {
        Stage(i) = TStage::Filling;
        guard.unlock();
        Band(i).FillHoles(i > 0 ? &Band(i - 1) : nullptr, i + 1 < Bands ? &Band(i + 1) : nullptr);
        guard.lock();
        Stage(i) = TStage::Filled;
        Changed.notify_all();
        return true;
      }
    const auto ring = static_cast<int32_t>(Stages.size());
    if (MadeUpTo < Bands && MadeUpTo - ring + 1 < Written) {
      const int32_t i = MadeUpTo++;
      Stage(i) = TStage::Making;
      guard.unlock();
      Make(i);
      guard.lock();
      Stage(i) = TStage::Made;
      Changed.notify_all();
      return true;
    }
    return false;
  }

  void Make(int32_t i) {
    TMapBand& band = Band(i);
    band.Widen(Centres, Rows, Shape, i);
    if (Blocks != nullptr)
      for (const TCellBlock& block : Blocks->Band(i))
        band.Block(block);
    band.KeepEdges();
  }

  const TCellMask& Centres;
  const TMarkedRows Rows;
  const TShape& Shape;
  const TBandBlocks* Blocks;
  TBandRing& Ring;
  const int32_t Bands;

  std::mutex Lock; // guards all that follows
  std::condition_variable Changed;
  std::vector<TStage> Stages; // of band i in slot i mod R, for the bands from Written on
  int32_t MadeUpTo = 0;       // the bands begun
  int32_t Written = 0;
  std::exception_ptr Failure; // the work stops
};

} // namespace

// The calling thread hands the bands on, and makes and fills bands whenever the next band is
// not ready; the other threads make and fill bands while there are any to do.
void MakeMap(const TCellMask& centres, const TShape& shape, const TBandBlocks* blocks,
             TBandRing& ring, unsigned threads, const std::function<void(const TMapBand&)>& put) {
  if (centres.Size() == 0)
    throw Exception("Pathmap not initialised");
  TBandWork work(centres, shape, blocks, ring);
  {
    std::vector<std::jthread> helpers;
    try {
      helpers.reserve(threads);
      for (unsigned t = 1; t < threads; ++t)
        helpers.emplace_back([&work] { work.Help(); });
    } catch (const std::exception&) { // no more threads: the ones started do the work
    }
    work.Write(put);
  } // the threads are joined here
}

} // namespace quarnel
