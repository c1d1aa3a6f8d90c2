// Standard mesh files: finding them, reading them whole and keeping their last mesh block.
#include "mesh/CollisionMesh.h"

#include "common/FileReads.h"
#include "common/LittleEndian.h"

#include <algorithm>
#include <bit>
#include <cassert>

namespace quarnel {

namespace {

// The largest array a count may ask for.
constexpr int64_t kMaxArrayBytes = int64_t{1} << 31;

// A mesh block with V vertices, E edge records and F faces, by offset from its first byte:
//   0                     block size S: how many bytes of the block follow this field
//   4                     8 bytes, skipped
//   12                    V
//   16                    V vertex records: x, y, z as singles, then 4 bytes not kept
//   16 + 16V              E
//   20 + 16V              E edge records of 8 bytes, then two 32-bit values, not kept
//   28 + 16V + 8E         F
//   32 + 16V + 8E         F face records: 16 bytes not kept, vertex indices A, B, C, 4 bytes
//   32 + 16V + 8E + 32F   the rest of the block, to byte 4 + S
constexpr int64_t kVertexCountAt = 12; // from the block's start
constexpr int64_t kVerticesAt = 16;    // from the block's start
constexpr int64_t kEdgeCountSize = 4;  // after the vertex records
constexpr int64_t kFaceCountAt = 8;    // from the end of the edge records
constexpr int64_t kFacesAt = 12;       // from the end of the edge records
constexpr int64_t kFaceIndicesAt = 16; // in a face record
constexpr int64_t kVertexRecordSize = 16;
constexpr int64_t kEdgeRecordSize = 8;
constexpr int64_t kFaceRecordSize = 32;
// The fixed fields after the size field: the 8 skipped bytes, V, E, the two values and F.
constexpr int64_t kFixedFieldBytes = 28;

[[noreturn]] void RaiseReadError() {
  throw Exception("Error reading file");
}

double SingleAt(const uint8_t* p) {
  return static_cast<double>(std::bit_cast<float>(UInt32At(p)));
}

// A whole mesh file in memory, read the way a file is read field by field: a read of
// count bytes at pos succeeds when all of them lie in the file, and a skip moves pos
// without looking. A position before the start of the file fails the next read.
//
// Positions stay small: every block start that is read lies inside the file, and from
// there a block moves at most 4 + 2^31 + 16 * 2^31 + 8 * 2^31 + 32 * 2^31 bytes, so all of
// this arithmetic fits in 64 bits with room to spare.
class TMeshReader {
public:
  TMeshReader(std::span<const uint8_t> bytes, const std::string& fileName)
      : Bytes(bytes.data()), Size(static_cast<int64_t>(bytes.size())), FileName(fileName) {}

  std::shared_ptr<TCollisionMesh> Read() {
    Need(0, 4);
    const int32_t headerType = Int32At(Bytes);
    if (headerType != 9 && headerType != 10)
      throw Exception("Unsupported header type");
    // 4 bytes skipped and six 32-bit values read; type 10 has one more byte to skip.
    const int64_t countPos = headerType == 10 ? 33 : 32;
    Need(8, countPos - 8 + 4);
    const int32_t meshCount = Int32At(Bytes + countPos);
    if (meshCount == 0)
      return nullptr;
    const uint64_t passes = meshCount > 1 ? static_cast<uint64_t>(meshCount) - 1 : 0;
    return ReadKeptBlock(PassOverBlocks(countPos + 4, passes));
  }

private:
  void Need(int64_t pos, int64_t count) const {
    if (pos < 0 || count > Size - pos)
      RaiseReadError();
  }

  // Steps over one block that is not kept, checking that every field a field-by-field
  // reader would read is present; returns where the next block begins.
  int64_t PassOverBlock(int64_t start) const {
    Need(start, kVerticesAt);
    const int64_t blockSize = Int32At(Bytes + start);
    const int64_t v = Int32At(Bytes + start + kVertexCountAt);
    int64_t pos = start + kVerticesAt + kVertexRecordSize * std::max<int64_t>(v, 0);
    Need(pos, kEdgeCountSize);
    const int64_t e = Int32At(Bytes + pos);
    pos += kEdgeCountSize + kEdgeRecordSize * std::max<int64_t>(e, 0);
    Need(pos, kFacesAt);
    const int64_t f = Int32At(Bytes + pos + kFaceCountAt);
    pos += kFacesAt;
    Need(pos, kFaceRecordSize * std::max<int64_t>(f, 0));
    pos += kFaceRecordSize * std::max<int64_t>(f, 0);
    // The rest of the block is skipped by its size less the parts counted as read,
    // whatever the counts' signs.
    return pos + blockSize - kVertexRecordSize * v - kEdgeRecordSize * e - kFaceRecordSize * f -
           kFixedFieldBytes;
  }

  // Passes over the given number of blocks from start and returns where the kept block
  // begins. Where a block leads depends only on where it starts, so once a start comes
  // round again the walk repeats with that period and whole periods are skipped (cycle
  // found by Brent's method). Every start before a repeat is a distinct position inside
  // the file, so the walk takes time bounded by the file's size, not by the mesh count.
  int64_t PassOverBlocks(int64_t start, uint64_t passes) const {
    int64_t pos = start;
    int64_t mark = pos;
    uint64_t markedAt = 0;
    uint64_t stride = 1;
    for (uint64_t done = 0; done < passes;) {
      pos = PassOverBlock(pos);
      ++done;
      if (pos == mark) {
        const uint64_t period = done - markedAt;
        done += (passes - done) / period * period;
      } else if (done - markedAt == stride) {
        mark = pos;
        markedAt = done;
        stride *= 2;
      }
    }
    return pos;
  }

  static void CheckArraySize(int64_t count, int64_t elementSize) {
    if (count < 0 || count > kMaxArrayBytes / elementSize)
      throw Exception(kRangeCheckError);
  }

  std::shared_ptr<TCollisionMesh> ReadKeptBlock(int64_t start) const {
    Need(start, kVerticesAt);
    const int64_t v = Int32At(Bytes + start + kVertexCountAt);
    CheckArraySize(v, sizeof(TVector4));
    int64_t pos = start + kVerticesAt;
    Need(pos, kVertexRecordSize * v + kEdgeCountSize);
    const int64_t verticesAt = pos;
    pos += kVertexRecordSize * v;
    const int64_t e = Int32At(Bytes + pos);
    pos += kEdgeCountSize + kEdgeRecordSize * std::max<int64_t>(e, 0);
    Need(pos, kFacesAt);
    const int64_t f = Int32At(Bytes + pos + kFaceCountAt);
    pos += kFacesAt;
    CheckArraySize(f, sizeof(TFace));
    Need(pos, kFaceRecordSize * f);
    const int64_t facesAt = pos;

    auto mesh = std::make_shared<TCollisionMesh>();
    mesh->Vertices.resize(static_cast<size_t>(v));
    const uint8_t* p = Bytes + verticesAt;
    for (TVector4& vertex : mesh->Vertices) {
      vertex = {SingleAt(p), SingleAt(p + 4), SingleAt(p + 8), 1.0};
      p += kVertexRecordSize;
    }

    mesh->Faces.resize(static_cast<size_t>(f));
    const auto limit = static_cast<uint32_t>(v);
    bool inRange = true;
    p = Bytes + facesAt;
    for (TFace& face : mesh->Faces) {
      const uint8_t* indices = p + kFaceIndicesAt;
      face = {Int32At(indices), Int32At(indices + 4), Int32At(indices + 8)};
      inRange &= static_cast<uint32_t>(face.A) < limit && static_cast<uint32_t>(face.B) < limit &&
                 static_cast<uint32_t>(face.C) < limit;
      p += kFaceRecordSize;
    }
    if (!inRange)
      throw Exception("Invalid face index in file: " + FileName);
    return MakeCollisionMesh(std::move(mesh->Vertices), std::move(mesh->Faces));
  }

  const uint8_t* Bytes;
  int64_t Size;
  const std::string& FileName;
};

} // namespace

std::shared_ptr<TCollisionMesh> MakeCollisionMesh(std::vector<TVector4> vertices,
                                                  std::vector<TFace> faces) {
  auto mesh = std::make_shared<TCollisionMesh>();
  std::vector<bool> used(vertices.size());
  for (const TFace& face : faces) {
    for (const int32_t i : {face.A, face.B, face.C}) {
      assert(static_cast<uint32_t>(i) < vertices.size());
      used[static_cast<size_t>(i)] = true;
    }
  }
  for (size_t i = 0; i < used.size(); ++i)
    if (used[i])
      mesh->UsedVertices.push_back(static_cast<int32_t>(i));
  mesh->Outline = PrepareOutline(vertices, faces, mesh->UsedVertices);
  mesh->Vertices = std::move(vertices);
  mesh->Faces = std::move(faces);
  return mesh;
}

std::shared_ptr<TCollisionMesh> ParseCollisionMesh(std::span<const uint8_t> bytes,
                                                   const std::string& fileName) {
  return TMeshReader(bytes, fileName).Read();
}

std::shared_ptr<TCollisionMesh> ReadCollisionMeshFile(const std::string& path,
                                                      const std::string& fileName,
                                                      std::vector<uint8_t>& bytes) {
  TFile file;
  if (!file.OpenForReading(path))
    throw Exception("Error opening file: " + fileName); // the name as the caller gave it
  if (!ReadToEnd(file, bytes))
    RaiseReadError();
  std::shared_ptr<TCollisionMesh> mesh = ParseCollisionMesh(bytes, fileName);
  if (mesh)
    mesh->FileName = path;
  return mesh;
}

void TMeshCache::LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node) {
  const std::string path = Directory.ResolveFileName(fileName);
  if (path.empty()) {
    node.HasMesh = false;
    node.Mesh.reset();
    return;
  }
  auto loaded = Loaded.find(path);
  if (loaded == Loaded.end())
    loaded = Loaded.emplace(path, ReadCollisionMeshFile(path, fileName, Buffer)).first;
  node.Mesh = loaded->second;
  node.HasMesh = node.Mesh != nullptr;
}

void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node) {
  TMeshCache cache;
  cache.LoadCollisionMesh(fileName, node);
}

} // namespace quarnel
