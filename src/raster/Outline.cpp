// Mesh outlines: placed vertices floored to cells, and every face's edges walked with a brush.
#include "raster/Outline.h"

#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Transform.h"

#include <vector>

namespace quarnel {

namespace {

struct TCellPoint {
  int64_t X = 0; // floor of the placed x: the column
  int64_t Y = 0; // floor of the placed z: the row
};

} // namespace

void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush) {
  TMatrix4 m;
  BuildObjectMatrix(node.Position.X, node.Position.Y, node.Position.Z, node.Scale.X, node.Scale.Y,
                    node.Scale.Z, node.Rotation.X, node.Rotation.Y, node.Rotation.Z, m);

  const auto vertices = node.Vertices();
  std::vector<TCellPoint> points(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const TVector4 placed = TransformPoint(vertices[i], m);
    points[i].X = FloorCell(placed.x);
    points[i].Y = FloorCell(placed.z);
  }

  const auto faces = node.Faces();
  if (faces.empty())
    return;
  // The whole walk of any edge hands at least its first cell to the brush, so an unsized map
  // fails here also when every edge lies outside the window.
  map.CheckInitialised();

  TPathmap* target = &map;
  const int64_t lo = -kMaxBrushReach;
  const int64_t hi = static_cast<int64_t>(map.Size()) - 1 + kMaxBrushReach;
  const size_t count = points.size();
  for (const TFace& face : faces) {
    if (static_cast<uint32_t>(face.A) >= count || static_cast<uint32_t>(face.B) >= count ||
        static_cast<uint32_t>(face.C) >= count)
      throw Exception(kRangeCheckError);
    const TCellPoint a = points[static_cast<size_t>(face.A)];
    const TCellPoint b = points[static_cast<size_t>(face.B)];
    const TCellPoint c = points[static_cast<size_t>(face.C)];
    WalkLineClipped(a.X, a.Y, b.X, b.Y, lo, lo, hi, hi, brush, &target);
    WalkLineClipped(b.X, b.Y, c.X, c.Y, lo, lo, hi, hi, brush, &target);
    WalkLineClipped(c.X, c.Y, a.X, a.Y, lo, lo, hi, hi, brush, &target);
  }
}

} // namespace quarnel
