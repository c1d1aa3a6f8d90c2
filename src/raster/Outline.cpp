// Mesh outlines: placed vertices floored to cells, and every face's edges walked with a brush.
#include "raster/Outline.h"

#include "raster/CellPoint.h"
#include "raster/Footprints.h"
#include "raster/Transform.h"

#include <cassert>
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
    uint64_t h = static_cast<uint64_t>(a.Column) * 0x9E3779B97F4A7C15ull;
    h = (h ^ static_cast<uint64_t>(a.Row)) * 0xC2B2AE3D27D4EB4Full;
    h = (h ^ static_cast<uint64_t>(b.Column)) * 0x165667B19E3779F9ull;
    h = (h ^ static_cast<uint64_t>(b.Row)) * 0x9E3779B97F4A7C15ull;
    for (size_t i = (h >> 32) & Mask;; i = (i + 1) & Mask) {
      TSlot& slot = Slots[i];
      if (slot.Generation != Generation) {
        slot = {a, b, Generation};
        return true;
      }
      if (slot.A.Column == a.Column && slot.A.Row == a.Row && slot.B.Column == b.Column &&
          slot.B.Row == b.Row)
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
  const auto used = node.UsedVertices();
  // Reused: no allocation per object.
  static thread_local std::vector<TVector4> gathered;
  static thread_local std::vector<TPlanePoint> placed;
  std::span<const TVector4> toPlace = vertices;
  if (used.size() != vertices.size()) { // some vertex is unused: place the used ones alone
    gathered.resize(used.size());
    for (size_t k = 0; k < used.size(); ++k)
      gathered[k] = vertices[static_cast<size_t>(used[k])];
    toPlace = gathered;
  }
  placed.resize(toPlace.size());
  TransformPointsXZ(toPlace, m, placed.data());
  points.resize(toPlace.size());
  for (size_t k = 0; k < toPlace.size(); ++k) // in order: the first bad vertex is the one reported
    points[k] = {FloorCell(placed[k].X), FloorCell(placed[k].Z)};
  if (toPlace.size() == vertices.size())
    return;
  // Spread the used vertices' cells to their indices, from the last down so that none is
  // overwritten before it moves (used[k] >= k); the others take the first used vertex's cell.
  const TCellPoint fill = points.empty() ? TCellPoint{} : points[0];
  points.resize(vertices.size(), fill);
  for (size_t k = used.size(); k-- > 0;) {
    const auto i = static_cast<size_t>(used[k]);
    points[i] = points[k];
    if (i != k)
      points[k] = fill;
  }
}

std::vector<TCellPoint> PlaceMeshVertices(const TStaticObjectMeshNode& node) {
  std::vector<TCellPoint> points;
  PlaceMeshVertices(node, points);
  return points;
}

namespace {

// The placed vertices of the node for tracing its outline, or null when it has no face; the
// failures are those of TraceMeshOutline, in its order. The storage is reused between calls.
const std::vector<TCellPoint>* PlaceForTracing(const TStaticObjectMeshNode& node,
                                               uint32_t mapSize) {
  static thread_local std::vector<TCellPoint> points;
  PlaceMeshVertices(node, points);
  if (node.Faces().empty())
    return nullptr;
  // The whole walk of any edge hands at least its first cell to the brush, so an unsized map
  // fails here also when every edge lies outside the window.
  if (mapSize == 0)
    throw Exception("Pathmap not initialised");
  return &points;
}

// The mesh reader refuses a face with an index outside its vertices.
[[maybe_unused]] bool InRange(const TFace& face, size_t count) {
  return static_cast<uint32_t>(face.A) < count && static_cast<uint32_t>(face.B) < count &&
         static_cast<uint32_t>(face.C) < count;
}

} // namespace

void TraceMeshOutline(const TStaticObjectMeshNode& node, uint32_t mapSize, CellVisitor visitor,
                      void* context) {
  const std::vector<TCellPoint>* points = PlaceForTracing(node, mapSize);
  if (points == nullptr)
    return;
  const int64_t lo = -kMaxBrushReach;
  const int64_t hi = static_cast<int64_t>(mapSize) - 1 + kMaxBrushReach;
  static thread_local TWalkSet walks;
  walks.Reset(3 * node.Faces().size());
  for (const TFace& face : node.Faces()) {
    assert(InRange(face, points->size()));
    const TCellPoint a = (*points)[static_cast<size_t>(face.A)];
    const TCellPoint b = (*points)[static_cast<size_t>(face.B)];
    const TCellPoint c = (*points)[static_cast<size_t>(face.C)];
    if (walks.Insert(a, b))
      WalkLineClipped(a.Column, a.Row, b.Column, b.Row, lo, lo, hi, hi, visitor, context);
    if (walks.Insert(b, c))
      WalkLineClipped(b.Column, b.Row, c.Column, c.Row, lo, lo, hi, hi, visitor, context);
    if (walks.Insert(c, a))
      WalkLineClipped(c.Column, c.Row, a.Column, a.Row, lo, lo, hi, hi, visitor, context);
  }
}

void PathMeshOutline(TPathmap& map, const TStaticObjectMeshNode& node, CellVisitor brush) {
  TPathmap* target = &map;
  TraceMeshOutline(node, map.Size(), brush, &target);
}

} // namespace quarnel
