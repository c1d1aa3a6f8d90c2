// Reading an object's collision mesh from its standard mesh file.
#pragma once

#include "common/FileIO.h"
#include "common/UTypes.h"
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
};

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
  int32_t VertexCount() const { return static_cast<int32_t>(Vertices().size()); }
  int32_t FaceCount() const { return static_cast<int32_t>(Faces().size()); }
};

// Loads the collision mesh of fileName into node. A missing file (or anything that is not
// a regular file) leaves the node without a mesh; every other failure raises and leaves
// the node as it was.
void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node);

// Opens an existing file for reading only; raises "Error opening file: " + fileName.
TFile OpenForReading(const std::string& fileName);

// Reads exactly count bytes into buffer; raises "Error reading file" when fewer arrive.
void ReadExact(TFile& file, void* buffer, size_t count);

// Reads the kept mesh block of a whole standard mesh file held in memory. Returns null
// when the file holds no mesh block (a mesh count of 0); fileName is only used in messages.
std::shared_ptr<const TCollisionMesh> ParseCollisionMesh(std::span<const uint8_t> bytes,
                                                         const std::string& fileName);

// Loads collision meshes for a whole run: each mesh directory is listed at most once for
// the case-insensitive lookup, and each distinct file is read once and shared.
class TMeshCache {
public:
  void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node);

  // The regular file that fileName names: fileName itself when it is one, otherwise
  // (except on Windows, whose file system ignores case already) the first entry of its
  // directory, in byte-wise order, that is a regular file whose name equals the wanted
  // name ignoring ASCII letter case. Empty when there is none.
  std::string ResolveFileName(const std::string& fileName);

private:
  // Directory (as written, with its trailing '/') -> lowered entry name -> the entries
  // of that lowered name, in byte-wise order.
  std::map<std::string, std::map<std::string, std::vector<std::string>>> Listings;
  std::map<std::string, std::string> Resolved;
  // Resolved file name -> its mesh; null for a file that holds no mesh block.
  std::map<std::string, std::shared_ptr<const TCollisionMesh>> Loaded;
  std::unique_ptr<uint8_t[]> Buffer;
  size_t BufferSize = 0;
};

} // namespace quarnel
