// Drawing the triangle edges of an object's collision mesh, seen from above.
#pragma once

#include "mesh/CollisionMesh.h"
#include "raster/Bresham.h"
#include "segutils/SegUtils.h"

namespace quarnel {

// Places every vertex of the node's mesh and walks the three edges of every face with brush,
// whose context is the address of a TPathmap* variable holding map. Every vertex is placed
// before any edge is drawn; a placed x or z that is NaN raises "Invalid floating point
// operation", one that is infinite or of magnitude 2^62 or more "Floating point overflow".
// Only the part of an edge within kMaxBrushReach cells of the grid is walked: the cells
// blocked are those of the whole walk, since a brush centred farther out reaches no cell.
void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush);

// Places the node's mesh and walks the edges of its faces as PathMeshOutline does, for a map
// of the given size, handing every cell within kMaxBrushReach of the map to visitor. A map
// size of 0 raises "Pathmap not initialised" when there is any face to draw.
void TraceMeshOutline(const TStaticObjectMeshNode& node, uint32_t mapSize, CellVisitor visitor,
                      void* context);

} // namespace quarnel
