// Mesh outlines: placed vertices floored to cells, and every face's edges walked with a brush.
#include "raster/Outline.h"

#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Transform.h"

#include <vector>

namespace quarnel {

namespace {

// The walks of one object, each kept once: the faces of a mesh share their edges, and the
// faces of a wall all project onto the same few cells, so most walks repeat an earlier one
// and would visit exactly its cells again. An open-addressing table, reused between calls.
class TWalkSet {
public:
  void Reset(size_t walks) {
    size_t capacity = 64;
    while (capacity < 2 * walks)
      capacity *= 2;
    if (Slots.size() < capacity)
      Slots.resize(capacity);
    Mask = capacity - 1;
    ++Generation;
    if (Generation == 0) { // the stamps wrapped around: forget every slot for real
      for (TSlot& slot : Slots)
        slot.Generation = 0;
      Generation = 1;
    }
  }

  // True when the walk from a to b was not in the set; adds it.
  bool Insert(const TCellPoint& a, const TCellPoint& b) {
    uint64_t h = static_cast<uint64_t>(a.X) * 0x9E3779B97F4A7C15ull;
    h = (h ^ static_cast<uint64_t>(a.Y)) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ static_cast<uint64_t>(b.X)) * 0x165667B19E3779F9ull;
    h = (h ^ static_cast<uint64_t>(b.Y)) * 0x9E3779B97F4A7C15ull;
    for (size_t i = (h >> 32) & Mask;; i = (i + 1) & Mask) {
      TSlot& slot = Slots[i];
      if (slot.Generation != Generation) {
        slot = {a, b, Generation};
        return true;
      }
      if (slot.A.X == a.X && slot.A.Y == a.Y && slot.B.X == b.X && slot.B.Y == b.Y)
        return false;
    }
  }

private:
  struct TSlot {
    TCellPoint A, B;
    uint32_t Generation = 0;
  };
  std::vector<TSlot> Slots;
  size_t Mask = 0;
  uint32_t Generation = 0;
};

} // namespace

void PlaceMeshVertices(const TStaticObjectMeshNode& node, std::vector<TCellPoint>& points) {
  TMatrix4 m;
  BuildObjectMatrix(node.Position.X, node.Position.Y, node.Position.Z, node.Scale.X, node.Scale.Y,
                    node.Scale.Z, node.Rotation.X, node.Rotation.Y, node.Rotation.Z, m);
  const auto vertices = node.Vertices();
  points.resize(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    const TVector4 placed = TransformPoint(vertices[i], m);
    points[i].X = FloorCell(placed.x);
    points[i].Y = FloorCell(placed.z);
  }
}

std::vector<TCellPoint> PlaceMeshVertices(const TStaticObjectMeshNode& node) {
  std::vector<TCellPoint> points;
  PlaceMeshVertices(node, points);
  return points;
}

namespace {

// Places the node's vertices and calls walk(a, b) for the three edges of every face in order,
// each distinct walk once; the failures are those of TraceMeshOutline.
template <bool Dedup, typename Walk>
void TraceFaces(const TStaticObjectMeshNode& node, uint32_t mapSize, Walk&& walk) {
  static thread_local std::vector<TCellPoint> points; // reused: no allocation per object
  PlaceMeshVertices(node, points);

  const auto faces = node.Faces();
  if (faces.empty())
    return;
  // The whole walk of any edge hands at least its first cell to the brush, so an unsized map
  // fails here also when every edge lies outside the window.
  if (mapSize == 0)
    throw Exception("Pathmap not initialised");

  const size_t count = points.size();
  static thread_local TWalkSet walks;
  if (Dedup)
    walks.Reset(3 * faces.size());
  for (const TFace& face : faces) {
    if (static_cast<uint32_t>(face.A) >= count || static_cast<uint32_t>(face.B) >= count ||
        static_cast<uint32_t>(face.C) >= count)
      throw Exception(kRangeCheckError);
    const TCellPoint a = points[static_cast<size_t>(face.A)];
    const TCellPoint b = points[static_cast<size_t>(face.B)];
    const TCellPoint c = points[static_cast<size_t>(face.C)];
    if (!Dedup || walks.Insert(a, b))
      walk(a, b);
    if (!Dedup || walks.Insert(b, c))
      walk(b, c);
    if (!Dedup || walks.Insert(c, a))
      walk(c, a);
  }
}

} // namespace

void TraceMeshOutline(const TStaticObjectMeshNode& node, uint32_t mapSize, CellVisitor visitor,
                      void* context) {
  const int64_t lo = -kMaxBrushReach;
  const int64_t hi = static_cast<int64_t>(mapSize) - 1 + kMaxBrushReach;
  TraceFaces<true>(node, mapSize, [&](const TCellPoint& a, const TCellPoint& b) {
    WalkLineClipped(a.X, a.Y, b.X, b.Y, lo, lo, hi, hi, visitor, context);
  });
}

void TraceMeshOutline(const TStaticObjectMeshNode& node, TCellMask& centres) {
  TraceFaces<true>(node, centres.Size(), [&](const TCellPoint& a, const TCellPoint& b) {
    centres.MarkLine(a.X, a.Y, b.X, b.Y);
  });
}

void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush) {
  TPathmap* target = &map;
  TraceMeshOutline(node, map.Size(), brush, &target);
}

} // namespace quarnel
