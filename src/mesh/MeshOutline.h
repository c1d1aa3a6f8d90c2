// What every placement of a mesh shares when its outline is drawn: the points to place and the
// edges to walk between them, prepared once when the mesh is read.
#pragma once

#include "common/UTypes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quarnel {

// The edge between points From and To (indices into the form's points), walked from From to
// To, and also back from To to From when Back is set. A mesh has fewer than 2^31 vertices.
struct TOutlineEdge {
  uint32_t From = 0;
  uint32_t To : 31 = 0;
  uint32_t Back : 1 = 0;
  bool operator==(const TOutlineEdge&) const = default;
};

// The points of a mesh to place, in ascending order of the vertices they stand for, and the
// walks along the edges of its faces (A to B, B to C, C to A, face after face): each pair of
// points once, in the order first walked, with the way it was first walked and whether it is
// also walked back. A walk from a point to itself is left out: its only cell is the point's
// own, and every point starts some face's edge.
struct TOutlineForm {
  std::vector<TVector4> Points;
  std::vector<TOutlineEdge> Edges;
};

struct TMeshOutline {
  // The edges between the vertices that faces use, point k being the kth of them
  // (TCollisionMesh::UsedVertices), so that no point is kept twice.
  std::vector<TOutlineEdge> FullEdges;
  // For a placement that takes nothing of a vertex's y into its placed x and z (no tilt): the
  // used vertices that share x, z and w (bit for bit) are placed in the same cell and fail
  // alike, so each such group is one point, the group's first vertex. Only when every used
  // vertex's y is finite (a NaN or infinite y times 0 is NaN); otherwise HasFlat is false.
  TOutlineForm Flat;
  bool HasFlat = false;
};

// The outline forms of a mesh whose used vertices are used (ascending) and whose face indices
// lie in vertices.
TMeshOutline PrepareOutline(std::span<const TVector4> vertices, std::span<const TFace> faces,
                            std::span<const int32_t> used);

} // namespace quarnel
