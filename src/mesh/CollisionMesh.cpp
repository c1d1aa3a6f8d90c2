// Standard mesh files: finding them, reading them whole and keeping their last mesh block.
#include "mesh/CollisionMesh.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <limits>
#include <new>
#include <system_error>

namespace quarnel {

namespace {

// The largest array a count may ask for.
constexpr int64_t kMaxArrayBytes = int64_t{1} << 31;

constexpr int64_t kVertexRecordSize = 16;
constexpr int64_t kEdgeRecordSize = 8;
constexpr int64_t kFaceRecordSize = 32;

[[noreturn]] void RaiseReadError() {
  throw Exception("Error reading file");
}

uint32_t UInt32At(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

int32_t Int32At(const uint8_t* p) {
  return static_cast<int32_t>(UInt32At(p));
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

  std::shared_ptr<const TCollisionMesh> Read() {
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
    Need(start, 16);
    const int64_t blockSize = Int32At(Bytes + start);
    const int64_t v = Int32At(Bytes + start + 12);
    int64_t pos = start + 16 + kVertexRecordSize * std::max<int64_t>(v, 0);
    Need(pos, 4);
    const int64_t e = Int32At(Bytes + pos);
    pos += 4 + kEdgeRecordSize * std::max<int64_t>(e, 0);
    Need(pos, 12);
    const int64_t f = Int32At(Bytes + pos + 8);
    pos += 12;
    Need(pos, kFaceRecordSize * std::max<int64_t>(f, 0));
    pos += kFaceRecordSize * std::max<int64_t>(f, 0);
    // The rest of the block is skipped by its size less the parts counted as read,
    // whatever the counts' signs.
    return pos + blockSize - kVertexRecordSize * v - kEdgeRecordSize * e - kFaceRecordSize * f - 28;
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

  std::shared_ptr<const TCollisionMesh> ReadKeptBlock(int64_t start) const {
    Need(start, 16);
    const int64_t v = Int32At(Bytes + start + 12);
    CheckArraySize(v, sizeof(TVector4));
    int64_t pos = start + 16;
    // The vertex records and the record count after them.
    Need(pos, kVertexRecordSize * v + 4);
    const int64_t verticesAt = pos;
    pos += kVertexRecordSize * v;
    const int64_t e = Int32At(Bytes + pos);
    pos += 4 + kEdgeRecordSize * std::max<int64_t>(e, 0);
    Need(pos, 12);
    const int64_t f = Int32At(Bytes + pos + 8);
    pos += 12;
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
      face = {Int32At(p + 16), Int32At(p + 20), Int32At(p + 24)};
      inRange &= static_cast<uint32_t>(face.A) < limit && static_cast<uint32_t>(face.B) < limit &&
                 static_cast<uint32_t>(face.C) < limit;
      p += kFaceRecordSize;
    }
    if (!inRange)
      throw Exception("Invalid face index in file: " + FileName);
    return mesh;
  }

  const uint8_t* Bytes;
  int64_t Size;
  const std::string& FileName;
};

[[noreturn]] void RaiseOpenError(const std::string& fileName) {
  throw Exception("Error opening file: " + fileName);
}

} // namespace

TFile OpenForReading(const std::string& fileName) {
  TFile file;
  if (!file.OpenForReading(fileName))
    RaiseOpenError(fileName);
  return file;
}

void ReadExact(TFile& file, void* buffer, size_t count) {
  if (file.Read(buffer, count) != static_cast<int64_t>(count))
    RaiseReadError();
}

std::shared_ptr<const TCollisionMesh> ParseCollisionMesh(std::span<const uint8_t> bytes,
                                                         const std::string& fileName) {
  return TMeshReader(bytes, fileName).Read();
}

std::string TMeshCache::ResolveFileName(const std::string& fileName) {
  const auto known = Resolved.find(fileName);
  if (known != Resolved.end())
    return known->second;
  std::string found;
  if (IsRegularFile(fileName)) {
    found = fileName;
  } else {
#ifndef _WIN32
    const size_t slash = fileName.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : fileName.substr(0, slash + 1);
    const std::string name = fileName.substr(dir.size());
    auto listing = Listings.find(dir);
    if (listing == Listings.end()) {
      listing = Listings.emplace(dir, std::map<std::string, std::vector<std::string>>()).first;
      std::error_code ec;
      std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec);
      for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        listing->second[LowerAscii(entry)].push_back(std::move(entry));
      }
      for (auto& [lowered, entries] : listing->second)
        std::sort(entries.begin(), entries.end());
    }
    const auto candidates = listing->second.find(LowerAscii(name));
    if (!name.empty() && candidates != listing->second.end()) {
      for (const std::string& entry : candidates->second)
        if (IsRegularFile(dir + entry)) {
          found = dir + entry;
          break;
        }
    }
#endif
  }
  Resolved.emplace(fileName, found);
  return found;
}

void TMeshCache::LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node) {
  const std::string path = ResolveFileName(fileName);
  if (path.empty()) {
    node.HasMesh = false;
    node.Mesh.reset();
    return;
  }
  auto loaded = Loaded.find(path);
  if (loaded == Loaded.end()) {
    size_t size = 0;
    {
      TFile file;
      if (!file.OpenForReading(path))
        RaiseOpenError(fileName);
      const int64_t fileSize = file.FileSize();
      if (fileSize < 0)
        RaiseReadError();
      if (static_cast<uint64_t>(fileSize) > std::numeric_limits<size_t>::max())
        throw std::bad_alloc();
      size = static_cast<size_t>(fileSize);
      if (size > BufferSize) {
        Buffer = std::make_unique_for_overwrite<uint8_t[]>(size);
        BufferSize = size;
      }
      ReadExact(file, Buffer.get(), size);
    }
    auto mesh = ParseCollisionMesh(std::span<const uint8_t>(Buffer.get(), size), fileName);
    loaded = Loaded.emplace(path, std::move(mesh)).first;
  }
  node.Mesh = loaded->second;
  node.HasMesh = node.Mesh != nullptr;
}

void LoadCollisionMesh(const std::string& fileName, TStaticObjectMeshNode& node) {
  TMeshCache cache;
  cache.LoadCollisionMesh(fileName, node);
}

} // namespace quarnel
