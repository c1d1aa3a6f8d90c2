// The first pass of the run: every tree stamped into the infantry map and every outline traced
// into the cell mask, on several threads.
#pragma once

#include "mesh/WorldObjects.h"
#include "raster/CellMask.h"
#include "segutils/SegUtils.h"

#include <vector>

namespace quarnel {

// Stamps the infantry footprint of each tree of objects into map and traces the outline of
// each other object into centres, on up to threads threads. The failure raised is that of
// the first object in the list that fails (its tree footprint's, or its outline's), as when
// they are drawn one after another; the cells then drawn are unspecified.
void DrawObjects(const std::vector<const TStaticObjectMeshNode*>& objects,
                 const std::vector<bool>& isTree, TPathmap& map, TCellMask& centres,
                 unsigned threads);

} // namespace quarnel
