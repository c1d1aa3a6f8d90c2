// Fuzz target: any bytes read as a standard mesh file give a mesh, no mesh or a
// quarnel::Exception, and a mesh only with face indices inside its vertices.
#include "mesh/CollisionMesh.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

using namespace quarnel;

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

} // namespace

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
  const size_t vertices = mesh->Vertices.size();
  // Every record kept was read from the file: 16 bytes a vertex, 32 a face.
  Require(16 * vertices + 32 * mesh->Faces.size() <= size, "records the file cannot hold");
  for (const TVector4& v : mesh->Vertices)
    Require(v.w == 1.0, "w is 1");
  for (const TFace& f : mesh->Faces)
    Require(f.A >= 0 && static_cast<size_t>(f.A) < vertices && f.B >= 0 &&
                static_cast<size_t>(f.B) < vertices && f.C >= 0 &&
                static_cast<size_t>(f.C) < vertices,
            "face index inside the vertices");
  return 0;
}
