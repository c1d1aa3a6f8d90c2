// Widening the cell mask into a map, band by band on several threads.
#pragma once

#include "raster/CellMask.h"
#include "raster/Shapes.h"
#include "segutils/SegUtils.h"

namespace quarnel {

// Blocks in map the cells of WidenInto(centres, shape, map), the bands of the map widened on
// up to threads threads.
void WidenMap(const TCellMask& centres, const TShape& shape, TPathmap& map, unsigned threads);

} // namespace quarnel
