// Sealing: blocking the small regions a unit placed there could never leave.
#pragma once

#include "segutils/SegUtils.h"

#include <cstdint>

namespace quarnel {

struct TSealResult {
  uint64_t Regions = 0; // regions blocked
  uint64_t Cells = 0;   // cells blocked
};

// Blocks every cell of each region (see Regions.h) other than the main one that has fewer than
// minSize cells; the main region always stays. Works segment by segment as LabelRegions does.
// Raises "Pathmap not initialised" for a map without a size.
TSealResult SealRegions(TPathmap& map, uint64_t minSize, bool diagonal);

} // namespace quarnel
