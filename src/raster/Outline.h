// Drawing the triangle edges of an object's collision mesh, seen from above.
#pragma once

#include "mesh/CollisionMesh.h"
#include "raster/Bresham.h"
#include "segutils/SegUtils.h"

namespace quarnel {

void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush);

} // namespace quarnel
