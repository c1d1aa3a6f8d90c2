// Making one map: its bands made on several threads and handed on in order.
#pragma once

#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace quarnel {

// The blocks of a map's cells by band (row of segments), for stamping band by band.
class TBandBlocks {
public:
  // Blocks lying (at least in part) in the map go to the bands they reach.
  TBandBlocks(uint32_t mapSize, const std::vector<TCellBlock>& blocks);
  std::span<const TCellBlock> Band(int32_t i) const {
    const auto b = static_cast<size_t>(i);
    return {Blocks.data() + Starts[b], Blocks.data() + Starts[b + 1]};
  }

private:
  std::vector<size_t> Starts; // band i's blocks from Starts[i] to Starts[i + 1]
  std::vector<TCellBlock> Blocks;
};

// The bands that a map in the making has in hand, kept from one map to the next.
class TBandRing {
public:
  // For maps of this size made on up to threads threads.
  TBandRing(uint32_t mapSize, unsigned threads);
  std::vector<std::unique_ptr<TMapBand>> Bands;

private:
  struct TFree {
    void operator()(uint64_t* words) const { std::free(words); }
  };
  std::unique_ptr<uint64_t[], TFree> Words; // those of every band, in one block
};

// Makes the map of centres' size: the cells that shape covers centred on every marked cell of
// centres and the cells of blocks (when given), with the holes filled (FillHoles), its bands
// made in ring on up to threads threads (ring's), and hands each band to put, in order, on the
// calling thread. A map of size 0 raises "Pathmap not initialised" before any band is made;
// otherwise the failures are put's.
void MakeMap(const TCellMask& centres, const TShape& shape, const TBandBlocks* blocks,
             TBandRing& ring, unsigned threads, const std::function<void(const TMapBand&)>& put);

} // namespace quarnel
