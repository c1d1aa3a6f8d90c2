// Tracing an object's outline from its mesh's prepared forms into a box of words.
#include "raster/OutlineTracer.h"

#include "raster/Outline.h"

#include <memory>

namespace quarnel {

// Every walk marks its end points, and every point starts some edge, so the cells are the
// points and the cells between the ends of the walks longer than two cells; a walk back is
// walked only when its cells differ.
// The cells are gathered in the box of the object's points (TBoxMarks) when it is small
// enough, which it is for the objects of a world, and otherwise marked by the visitor form.
void TOutlineTracer::Trace(const TStaticObjectMeshNode& node, uint32_t mapSize) {
  InBox = false;
  Wide = nullptr;
  if (!node.Mesh)
    return;
  const TMeshOutline& outline = node.Mesh->Outline;
  TMatrix4 m;
  BuildObjectMatrix(node.Position.X, node.Position.Y, node.Position.Z, node.Scale.X, node.Scale.Y,
                    node.Scale.Z, node.Rotation.X, node.Rotation.Y, node.Rotation.Z, m);
  // With no part of y in the placed x and z (the entries are +0 or -0; a NaN fails), the
  // points that differ only in y are placed alike.
  const bool flat = outline.HasFlat && m.m[1][0] == 0 && m.m[1][2] == 0;
  const std::span<const TVector4> points = flat ? outline.Flat.Points : UsedPoints(node);
  Placed.resize(points.size());
  TransformPointsXZ(points, m, Placed.data());
  Points.resize(Placed.size());
  for (size_t k = 0; k < Placed.size(); ++k) // in order: the first bad point is the one reported
    Points[k] = {FloorCell(Placed[k].X), FloorCell(Placed[k].Z)};
  if (node.Faces().empty())
    return;
  // The whole walk of any edge hands at least its first cell on, so an unsized map fails
  // here also when every edge lies outside it.
  if (mapSize == 0)
    throw Exception("Pathmap not initialised");
  if (!Box.Begin(Points)) {
    Wide = &node;
    return;
  }
  Gather(flat ? outline.Flat.Edges : outline.FullEdges);
  InBox = true;
}

std::span<const TVector4> TOutlineTracer::UsedPoints(const TStaticObjectMeshNode& node) {
  const auto vertices = node.Vertices();
  const auto used = node.UsedVertices();
  if (used.size() == vertices.size()) // every vertex is used
    return vertices;
  Gathered.resize(used.size());
  for (size_t k = 0; k < used.size(); ++k)
    Gathered[k] = vertices[static_cast<size_t>(used[k])];
  return Gathered;
}

void TOutlineTracer::Gather(std::span<const TOutlineEdge> edges) {
  const std::vector<TBoxMarks::TKey>& keys = Box.Keys();
  for (const TBoxMarks::TKey key : keys)
    Box.Mark(key);
  for (const TOutlineEdge& edge : edges)
    Box.MarkEdge(keys[edge.From], keys[edge.To], edge.Back);
}

void TOutlineTracer::MarkInto(TCellMask& mask) {
  if (InBox)
    Box.MarkInto(mask);
  else if (Wide != nullptr)
    TraceMeshOutline(*Wide, mask.Size(), TCellMask::MarkVisitor, &mask);
}

void TraceMeshOutline(const TStaticObjectMeshNode& node, TCellMask& centres) {
  static thread_local const auto tracer = std::make_unique<TOutlineTracer>();
  tracer->Trace(node, centres.Size());
  tracer->MarkInto(centres);
}

} // namespace quarnel
