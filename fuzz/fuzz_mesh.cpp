// Fuzz target: any bytes read as a standard mesh file give a mesh whose face indices lie
// inside its vertices, no mesh, or a quarnel::Exception with a message.
#include "mesh/CollisionMesh.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace quarnel;

static void Require(bool condition, const char* what) {
  if (!condition)
    std::fprintf(stderr, "broken: %s\n", what), std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<const TCollisionMesh> mesh;
  try {
    mesh = ParseCollisionMesh(std::span<const uint8_t>(data, size), "fuzz.sm");
  } catch (const Exception& e) {
    Require(*e.what() != '\0', "a message");
    return 0;
  }
  if (!mesh)
    return 0;
  const size_t n = mesh->Vertices.size();
  // Every record kept was read from the file: 16 bytes a vertex, 32 a face.
  Require(16 * n + 32 * mesh->Faces.size() <= size, "records the file cannot hold");
  for (const TVector4& v : mesh->Vertices)
    Require(v.w == 1.0, "w is 1");
  for (const TFace& f : mesh->Faces)
    for (int32_t index : {f.A, f.B, f.C})
      Require(index >= 0 && size_t(index) < n, "face index inside the vertices");
  // The outline forms: no more points than used vertices, edges between two of them.
  const TMeshOutline& outline = mesh->Outline;
  const size_t used = mesh->UsedVertices.size(), flat = outline.Flat.Points.size();
  Require(flat <= used, "points of used vertices");
  for (const auto& [edges, points] :
       {std::pair{&outline.FullEdges, used}, {&outline.Flat.Edges, flat}})
    for (const TOutlineEdge& e : *edges)
      Require(e.From != e.To && e.From < points && e.To < points, "edges between two points");
  return 0;
}
