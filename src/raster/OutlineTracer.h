// Tracing the outlines of a world's objects into a cell mask, one object at a time, on any
// number of threads: each thread traces with a tracer of its own, and only adding an object's
// cells to the mask needs the mask to itself.
#pragma once

#include "mesh/CollisionMesh.h"
#include "raster/BoxMarks.h"
#include "raster/CellMask.h"
#include "raster/CellPoint.h"
#include "raster/Transform.h"

#include <span>
#include <vector>

namespace quarnel {

// Marks the cells that TraceMeshOutline(node, mapSize, TCellMask::MarkVisitor, ...) marks, in
// fewer steps, from the outline forms that the mesh reader prepared (TCollisionMesh::Outline).
class TOutlineTracer {
public:
  // Places the node's mesh and gathers the cells of its outline for a map of mapSize, with
  // the failures of TraceMeshOutline in its order: the first used vertex in ascending order
  // whose placed x or z is NaN raises "Invalid floating point operation", infinite or of
  // magnitude 2^62 or more "Floating point overflow"; then a mapSize of 0 raises "Pathmap not
  // initialised" when the mesh has a face. After a failure the tracer holds no cell.
  void Trace(const TStaticObjectMeshNode& node, uint32_t mapSize);
  // Marks the cells gathered by the last Trace in mask, whose size is the mapSize traced for.
  void MarkInto(TCellMask& mask);

private:
  // The vertices that the node's faces use, in ascending order.
  std::span<const TVector4> UsedPoints(const TStaticObjectMeshNode& node);
  void Gather(std::span<const TOutlineEdge> edges);

  TBoxMarks Box;
  std::vector<TVector4> Gathered;
  std::vector<TPlanePoint> Placed;
  std::vector<TCellPoint> Points;
  bool InBox = false;
  const TStaticObjectMeshNode* Wide = nullptr; // a mesh too wide for the box, traced by MarkInto
};

// Marks in centres the cells of the node's outline for a map of centres' size, as a tracer
// does (the failures are its Trace's).
void TraceMeshOutline(const TStaticObjectMeshNode& node, TCellMask& centres);

} // namespace quarnel
