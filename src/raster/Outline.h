// Drawing the triangle edges of an object's collision mesh, seen from above.
#pragma once

#include "mesh/CollisionMesh.h"
#include "raster/Bresham.h"
#include "raster/CellMask.h"
#include "raster/CellPoint.h"
#include "segutils/SegUtils.h"

#include <vector>

namespace quarnel {

// The cells of the node's mesh vertices placed in the world (Transform.h), in vertex order. Only
// the vertices that faces use are placed, in ascending order: a placed x or z of one of them that
// is NaN raises "Invalid floating point operation", one that is infinite or of magnitude 2^62 or
// more "Floating point overflow". A vertex that no face uses gets the cell of the first used one
// (or (0, 0) when there is none), so that it never fails nor widens the points' box.
std::vector<TCellPoint> PlaceMeshVertices(const TStaticObjectMeshNode& node);
// The same into points, whose storage is reused.
void PlaceMeshVertices(const TStaticObjectMeshNode& node, std::vector<TCellPoint>& points);

// The step-by-step outline drawing, the reference that the run's traced and widened outlines
// must match: places every vertex of the node's mesh (PlaceMeshVertices, with its failures)
// and walks the three edges of every face with brush, whose context is the address of a
// TPathmap* variable holding map. Only the part of an edge within kMaxBrushReach cells of the grid
// is walked: the cells blocked are those of the whole walk, since a brush centred farther out
// reaches no cell.
void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush);

// Places the node's mesh and walks the edges of its faces as PathMeshOutline does, for a map
// of the given size, handing every cell within kMaxBrushReach of the map to visitor. A map
// size of 0 raises "Pathmap not initialised" when there is any face to draw.
void TraceMeshOutline(const TStaticObjectMeshNode& node, uint32_t mapSize, CellVisitor visitor,
                      void* context);

} // namespace quarnel
