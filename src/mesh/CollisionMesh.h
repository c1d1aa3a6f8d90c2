// Reading an object's collision mesh from its standard mesh file.
#pragma once

#include "common/UTypes.h"
#include "mesh/MeshDirectory.h"
#include "mesh/MeshOutline.h"
#include "readcon/ReadCon.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quarnel {

// The kept mesh block of one standard mesh file: vertices in mesh space (w = 1) and
// triangles as 0-based indices into them, every index checked to lie in range.
struct TCollisionMesh {
  std::vector<TVector4> Vertices;
  std::vector<TFace> Faces;
  // The vertices that some face uses, in ascending order: only these are ever placed, so a stray
  // vertex (NaN, infinite or far away) that no face refers to changes nothing.
  std::vector<int32_t> UsedVertices;
  // The points and edges that every placement of the mesh draws (MakeCollisionMesh).
  TMeshOutline Outline;
  std::string FileName = {}; // the file it was read from, as TMeshCache found it; else empty
};

// The mesh of these vertices and faces with its used vertices and outline forms; every face
// index must lie in range.
std::shared_ptr<TCollisionMesh> MakeCollisionMesh(std::vector<TVector4> vertices,
                                                  std::vector<TFace> faces);

// A static object with its collision mesh. Objects that use the same mesh file may share
// one loaded mesh; it is never changed once loaded.
class TStaticObjectMeshNode : public TStaticObjectNode {
public:
  bool HasMesh = false;
  std::shared_ptr<const TCollisionMesh> Mesh;

  std::span<const TVector4> Vertices() const {
    return Mesh ? std::span<const TVector4>(Mesh->Vertices) : std::span<const TVector4>();
  }
  std::span<const TFace> Faces() const {
    return Mesh ? std::span<const TFace>(Mesh->Faces) : std::span<const TFace>();
  }
  std::span<const int32_t> UsedVertices() const {
    return Mesh ? std::span<const int32_t>(Mesh->UsedVertices) : std::span<const int32_t>();
  }
  int32_t VertexCount() const { return static_cast<int32_t>(Vertices().size()); }
  int32_t FaceCount() const { return static_cast<int32_t>(Faces().size()); }
};

// Loads the collision mesh of fileName into node. A missing file (or anything that is not
// a regular file) leaves the node without a mesh; every other failure raises and leaves
// the node as it was.
void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node);

// Reads the kept mesh block of a whole standard mesh file held in memory. Returns null
// when the file holds no mesh block (a mesh count of 0); fileName is only used in messages.
std::shared_ptr<TCollisionMesh> ParseCollisionMesh(std::span<const uint8_t> bytes,
                                                   const std::string& fileName);

// Reads the mesh of the regular file path, which an object named as fileName (the name used in
// messages) leads to: the kept mesh block, or null when it holds none, with path as its
// FileName. bytes is the file's storage, kept from one file to the next. Raises "Error opening
// file: " + fileName, "Error reading file" and the messages of ParseCollisionMesh.
std::shared_ptr<TCollisionMesh> ReadCollisionMeshFile(const std::string& path,
                                                      const std::string& fileName,
                                                      std::vector<uint8_t>& bytes);

// Loads collision meshes for a whole run: file names are resolved through one
// TMeshDirectory, and each distinct file is read once and shared, with the name it was found
// under as its FileName.
class TMeshCache {
public:
  void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node);

private:
  TMeshDirectory Directory;
  // Resolved file name -> its mesh; null for a file that holds no mesh block.
  std::map<std::string, std::shared_ptr<const TCollisionMesh>> Loaded;
  std::vector<uint8_t> Buffer; // the file being parsed, its storage kept between files
};

} // namespace quarnel
