// Writing one map: its bands made on several threads and written in order.
#pragma once

#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "raster/Shapes.h"

#include <memory>
#include <vector>

namespace quarnel {

// The blocks of a map's cells by band (row of segments), for stamping band by band.
class TBandBlocks {
public:
  // Blocks lying (at least in part) in the map go to the bands they reach.
  TBandBlocks(uint32_t mapSize, const std::vector<TCellBlock>& blocks);
  const std::vector<TCellBlock>& Band(int32_t i) const { return Bands[static_cast<size_t>(i)]; }

private:
  std::vector<std::vector<TCellBlock>> Bands;
};

// The bands that a map in the making has in hand, kept from one map to the next.
struct TBandRing {
  // For maps of this size made on up to threads threads.
  TBandRing(uint32_t mapSize, unsigned threads);
  std::vector<std::unique_ptr<TMapBand>> Bands;
};

// Writes the map file fileName of centres' size: the cells that shape covers centred on every
// marked cell of centres and the cells of blocks (when given), with the holes filled (FillHoles),
// as TPathmap::SaveToFile writes it, its bands made in ring on up to threads threads (ring's).
// A map of size 0 raises "Pathmap not initialised" before the file is made; otherwise the
// failures are those of TMapFileWriter.
void WriteMap(const TCellMask& centres, const TShape& shape, const TBandBlocks* blocks,
              TBandRing& ring, const char* fileName, unsigned threads);

} // namespace quarnel
