// The collision mesh reader: file format, failures, file lookup and sharing of loaded meshes.
#include "mesh/CollisionMesh.h"
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <random>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace quarnel;
using meshfile::Block;
using meshfile::Box;
using meshfile::Face;
using meshfile::File;
using meshfile::Vertex;
using testutil::TempDir;

namespace {

const std::string kReadError = "Error reading file";
const std::string kHeaderError = "Unsupported header type";

// What loading a file gives: the mesh fields of the node, or the failure message.
struct Outcome {
  std::string Error;
  bool HasMesh = false;
  std::vector<TVector4> Vertices;
  std::vector<TFace> Faces;
};

bool SameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

bool operator==(const Outcome& a, const Outcome& b) {
  if (a.Error != b.Error || a.HasMesh != b.HasMesh || a.Vertices.size() != b.Vertices.size() ||
      a.Faces.size() != b.Faces.size())
    return false;
  for (size_t i = 0; i < a.Vertices.size(); ++i) {
    const TVector4 &p = a.Vertices[i], &q = b.Vertices[i];
    if (!SameBits(p.x, q.x) || !SameBits(p.y, q.y) || !SameBits(p.z, q.z) || !SameBits(p.w, q.w))
      return false;
  }
  for (size_t i = 0; i < a.Faces.size(); ++i) {
    const TFace &f = a.Faces[i], &g = b.Faces[i];
    if (f.A != g.A || f.B != g.B || f.C != g.C)
      return false;
  }
  return true;
}

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  if (!o.Error.empty())
    return out << "error \"" << o.Error << "\"";
  out << (o.HasMesh ? "mesh" : "no mesh") << " V=" << o.Vertices.size() << " F=" << o.Faces.size();
  for (size_t i = 0; i < o.Vertices.size() && i < 4; ++i)
    out << " (" << o.Vertices[i].x << "," << o.Vertices[i].y << "," << o.Vertices[i].z << ")";
  for (size_t i = 0; i < o.Faces.size() && i < 4; ++i)
    out << " [" << o.Faces[i].A << "," << o.Faces[i].B << "," << o.Faces[i].C << "]";
  return out;
}

Outcome Failure(const std::string& message) {
  return Outcome{message, false, {}, {}};
}

Outcome NoMesh() {
  return Outcome{};
}

// The outcome of a block as written, converting its singles to doubles.
Outcome MeshOf(const Block& block) {
  Outcome o;
  o.HasMesh = true;
  for (const Vertex& v : block.Vertices)
    o.Vertices.push_back(
        {static_cast<double>(v.X), static_cast<double>(v.Y), static_cast<double>(v.Z), 1.0});
  for (const Face& f : block.Faces)
    o.Faces.push_back({f.A, f.B, f.C});
  return o;
}

Outcome OutcomeOf(const TStaticObjectMeshNode& node) {
  Outcome o;
  o.HasMesh = node.HasMesh;
  o.Vertices.assign(node.Vertices().begin(), node.Vertices().end());
  o.Faces.assign(node.Faces().begin(), node.Faces().end());
  return o;
}

// The reader as plainly as it can be written: one field at a time at a position in the
// file, every skip only moving the position. It stops after maxPasses passed-over blocks
// (a safeguard for files whose blocks lead round in a circle; tests keep counts below it).
class LiteralReader {
public:
  explicit LiteralReader(const std::string& bytes) : Bytes(bytes) {}

  void Read(void* out, int64_t count) {
    if (Pos < 0 || Pos + count > static_cast<int64_t>(Bytes.size()))
      throw Exception(kReadError);
    std::memcpy(out, Bytes.data() + Pos, static_cast<size_t>(count));
    Pos += count;
  }
  int32_t Int32() {
    uint8_t b[4];
    Read(b, 4);
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  }
  float Single() { return std::bit_cast<float>(Int32()); }
  void Discard(int64_t count) {
    char b[4];
    Read(b, count);
  }
  void Skip(int64_t count) { Pos += count; }

private:
  const std::string& Bytes;
  int64_t Pos = 0;
};

Outcome LiteralLoad(const std::string& bytes, const std::string& fileName,
                    int64_t maxPasses = 1000000) {
  LiteralReader in(bytes);
  Outcome o;
  try {
    const int32_t headerType = in.Int32();
    if (headerType != 9 && headerType != 10)
      throw Exception(kHeaderError);
    in.Skip(4);
    for (int i = 0; i < 6; ++i)
      in.Discard(4);
    if (headerType == 10)
      in.Skip(1);
    const int32_t meshCount = in.Int32();
    if (meshCount == 0)
      return NoMesh();
    o.HasMesh = true;
    for (int64_t pass = 1; pass < meshCount; ++pass) {
      if (pass > maxPasses)
        throw std::logic_error("the literal reader was given too many blocks to pass over");
      const int64_t s = in.Int32();
      in.Skip(8);
      const int64_t v = in.Int32();
      for (int64_t i = 0; i < v; ++i) {
        in.Discard(4), in.Discard(4), in.Discard(4), in.Discard(2);
        in.Skip(2);
      }
      const int64_t e = in.Int32();
      for (int64_t i = 0; i < e; ++i)
        in.Discard(2), in.Discard(2), in.Discard(2), in.Discard(2);
      in.Discard(4), in.Discard(4);
      const int64_t f = in.Int32();
      for (int64_t i = 0; i < f; ++i) {
        in.Discard(4), in.Discard(4), in.Discard(4);
        in.Skip(4);
        in.Discard(4), in.Discard(4), in.Discard(4), in.Discard(4);
      }
      in.Skip(s - 16 * v - 8 * e - 32 * f - 28);
    }
    in.Int32();
    in.Skip(8);
    const int64_t v = in.Int32();
    if (v < 0 || v * static_cast<int64_t>(sizeof(TVector4)) > (int64_t{1} << 31))
      throw Exception(kRangeCheckError);
    for (int64_t i = 0; i < v; ++i) {
      const float x = in.Single(), y = in.Single(), z = in.Single();
      in.Discard(2);
      in.Skip(2);
      o.Vertices.push_back(
          {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z), 1.0});
    }
    const int64_t e = in.Int32();
    for (int64_t i = 0; i < e; ++i)
      in.Discard(2), in.Discard(2), in.Discard(2), in.Discard(2);
    in.Discard(4), in.Discard(4);
    const int64_t f = in.Int32();
    if (f < 0 || f * static_cast<int64_t>(sizeof(TFace)) > (int64_t{1} << 31))
      throw Exception(kRangeCheckError);
    for (int64_t i = 0; i < f; ++i) {
      in.Discard(4), in.Discard(4), in.Discard(4);
      in.Skip(4);
      TFace face;
      face.A = in.Int32();
      face.B = in.Int32();
      face.C = in.Int32();
      in.Discard(4);
      o.Faces.push_back(face);
    }
    for (const TFace& face : o.Faces)
      for (int32_t index : {face.A, face.B, face.C})
        if (index < 0 || index >= v)
          throw Exception("Invalid face index in file: " + fileName);
  } catch (const Exception& e) {
    return Failure(e.what());
  }
  return o;
}

Outcome ParseBytes(const std::string& bytes, const std::string& fileName = "mem.sm") {
  // A buffer of exactly the file's size, so that a memory checker sees any read past it.
  const auto data = std::make_unique<uint8_t[]>(bytes.size());
  std::memcpy(data.get(), bytes.data(), bytes.size());
  try {
    const auto mesh =
        ParseCollisionMesh(std::span<const uint8_t>(data.get(), bytes.size()), fileName);
    Outcome o;
    o.HasMesh = mesh != nullptr;
    if (mesh) {
      o.Vertices = mesh->Vertices;
      o.Faces = mesh->Faces;
    }
    return o;
  } catch (const Exception& e) {
    return Failure(e.what());
  }
}

Outcome LoadPath(const std::string& path) {
  TStaticObjectMeshNode node;
  try {
    LoadCollisionMesh(path, node);
  } catch (const Exception& e) {
    return Failure(e.what());
  }
  return OutcomeOf(node);
}

Block Tetrahedron(float scale) {
  Block b;
  b.Vertices = {{0, 0, 0}, {scale, 0, 0}, {0, scale, 0}, {0, 0, scale}};
  b.Faces = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
  return b;
}

Block WithEdges(Block b, int32_t edges, uint32_t padding) {
  b.EdgeRecords = edges;
  b.Padding = padding;
  return b;
}

File FileOf(std::vector<Block> blocks) {
  File f;
  f.Blocks = std::move(blocks);
  return f;
}

// ---------------------------------------------------------------------------------------
// The file format, through real files.

struct FormatCase {
  const char* Behaviour;
  std::string Bytes;
  Outcome Expected;
};

std::string WithCount(File f, int32_t count) {
  f.MeshCount = count;
  return meshfile::Write(f);
}

std::vector<FormatCase> FormatCases() {
  const Block a = WithEdges(Tetrahedron(1), 3, 12);
  const Block b = WithEdges(Box(-1, -2, -3, 4, 5, 6), 0, 0);
  const Block c = WithEdges(Tetrahedron(7.5f), 1, 5);
  std::vector<FormatCase> cases;
  cases.push_back({"a single block is kept whole", meshfile::Write(FileOf({b})), MeshOf(b)});
  cases.push_back({"two blocks keep the second", meshfile::Write(FileOf({a, b})), MeshOf(b)});
  cases.push_back({"three blocks keep the third", meshfile::Write(FileOf({a, b, c})), MeshOf(c)});
  cases.push_back({"a mesh count of -3 keeps the first block as a count of 1 would",
                   WithCount(FileOf({a, b, c}), -3), MeshOf(a)});
  cases.push_back({"a mesh count of 2 keeps the second of three blocks",
                   WithCount(FileOf({a, b, c}), 2), MeshOf(b)});
  cases.push_back({"a mesh count of INT_MIN keeps the first block",
                   WithCount(FileOf({c, a}), INT_MIN), MeshOf(c)});
  cases.push_back({"a mesh count beyond the blocks present fails", WithCount(FileOf({a, b}), 3),
                   Failure(kReadError)});
  {
    File f = FileOf({a, b, c});
    f.MeshCount = 2;
    f.Blocks[0].BlockSize =
        static_cast<int32_t>(meshfile::WriteBlock(a).size() + meshfile::WriteBlock(b).size() - 4);
    cases.push_back({"a passed-over block size that reaches over the next block moves the "
                     "reader on to the block after it",
                     meshfile::Write(f), MeshOf(c)});
  }
  {
    File f = FileOf({a, b});
    f.Blocks[0].BlockSize = -200;
    cases.push_back({"a passed-over block size leading before the start of the file fails the "
                     "next read",
                     meshfile::Write(f), Failure(kReadError)});
  }
  {
    File f = FileOf({a, b});
    f.Blocks[0].BlockSize = INT_MAX;
    cases.push_back({"a passed-over block size leading past the end of the file fails the "
                     "next read",
                     meshfile::Write(f), Failure(kReadError)});
  }
  {
    // Negative counts in a passed-over block move the skip at its end forward.
    Block odd = a;
    odd.VertexCount = -1;
    odd.EdgeCount = -2;
    odd.FaceCount = -3;
    odd.Vertices.clear();
    odd.Faces.clear();
    odd.EdgeRecords = 0;
    odd.Padding = 20;
    odd.BlockSize = 28 + 20 - 16 - 16 - 96;
    cases.push_back({"negative counts in a passed-over block enter the skip with their signs",
                     meshfile::Write(FileOf({odd, b})), MeshOf(b)});
  }
  {
    Block bad = Tetrahedron(2);
    bad.Faces[1] = {-7, 99, INT_MAX};
    cases.push_back({"face indices out of range in a passed-over block do not matter",
                     meshfile::Write(FileOf({bad, a})), MeshOf(a)});
  }
  {
    Block empty;
    empty.Padding = 9;
    cases.push_back({"a kept block without vertices and faces still counts as a mesh",
                     meshfile::Write(FileOf({a, empty})), MeshOf(empty)});
  }
  {
    File f = FileOf({a, b});
    f.Trailing = std::string(1000, '\x7f');
    cases.push_back({"bytes after the last block are ignored", meshfile::Write(f), MeshOf(b)});
  }
  {
    File f = FileOf({a, c});
    f.CutBytes = c.Padding;
    cases.push_back({"a file may end right after the last face record though the block size "
                     "announces more",
                     meshfile::Write(f), MeshOf(c)});
  }
  {
    File f = FileOf({a, c});
    f.CutBytes = c.Padding + 4;
    cases.push_back({"a file that lacks the last 4 bytes of the last face record fails",
                     meshfile::Write(f), Failure(kReadError)});
  }
  {
    File f = FileOf({a, c});
    f.CutBytes = c.Padding + 32 * c.Faces.size();
    cases.push_back({"a file that ends before the face records fails", meshfile::Write(f),
                     Failure(kReadError)});
  }
  {
    File f = FileOf({a, c});
    f.CutBytes = meshfile::WriteBlock(c).size() - 1;
    cases.push_back({"a file that ends inside a block size field fails", meshfile::Write(f),
                     Failure(kReadError)});
  }
  {
    Block negativeEdges = b;
    negativeEdges.EdgeCount = -5;
    cases.push_back({"a negative record count in the kept block reads no records",
                     meshfile::Write(FileOf({a, negativeEdges})), MeshOf(b)});
  }
  for (int32_t type : {8, 11, 0, -9, 0x0900})
    cases.push_back({"a header type other than 9 or 10 is refused",
                     [&] {
                       File f = FileOf({a});
                       f.HeaderType = type;
                       return meshfile::Write(f);
                     }(),
                     Failure(kHeaderError)});
  for (int size : {0, 1, 2, 3})
    cases.push_back({"a file of fewer than 4 bytes fails",
                     std::string("\x09\0\0", static_cast<size_t>(size)), Failure(kReadError)});
  {
    File f;
    f.MeshCount = 0;
    cases.push_back({"a header cut inside the six values fails", meshfile::Write(f).substr(0, 31),
                     Failure(kReadError)});
    cases.push_back({"a type 9 header cut inside the mesh count fails",
                     meshfile::Write(f).substr(0, 35), Failure(kReadError)});
    f.HeaderType = 10;
    cases.push_back({"a type 10 header cut inside the mesh count fails",
                     meshfile::Write(f).substr(0, 36), Failure(kReadError)});
    cases.push_back(
        {"a type 10 file with a mesh count of 0 has no mesh", meshfile::Write(f), NoMesh()});
  }
  return cases;
}

TEST(CollisionMeshFormat, EachFileLoadsAsDesigned) {
  TempDir dir;
  int n = 0;
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.Behaviour);
    const std::string path = (dir / ("case" + std::to_string(n++) + ".sm")).string();
    testutil::WriteFile(path, c.Bytes);
    EXPECT_EQ(LoadPath(path), c.Expected);
    EXPECT_EQ(ParseBytes(c.Bytes, path), c.Expected);
    EXPECT_EQ(LiteralLoad(c.Bytes, path), c.Expected);
  }
}

TEST(CollisionMeshFormat, MeshCountZeroInA36ByteFileLeavesTheNodeWithoutAMesh) {
  TempDir dir;
  File f;
  f.MeshCount = 0;
  const std::string bytes = meshfile::Write(f);
  ASSERT_EQ(bytes.size(), 36u);
  testutil::WriteFile(dir / "empty.sm", bytes);
  TStaticObjectMeshNode node;
  LoadCollisionMesh((dir / "empty.sm").string(), node);
  EXPECT_FALSE(node.HasMesh);
  EXPECT_EQ(node.VertexCount(), 0);
  EXPECT_EQ(node.FaceCount(), 0);
  EXPECT_TRUE(node.Vertices().empty());
  EXPECT_TRUE(node.Faces().empty());
}

TEST(CollisionMeshFormat, HeaderType10GivesTheSameNodeAsType9) {
  for (const File& base : {FileOf({Box(0, 0, 0, 1, 2, 3)}),
                           FileOf({Tetrahedron(3), WithEdges(Tetrahedron(-2), 2, 7)})}) {
    File nine = base, ten = base;
    nine.HeaderType = 9;
    ten.HeaderType = 10;
    const std::string nineBytes = meshfile::Write(nine), tenBytes = meshfile::Write(ten);
    ASSERT_EQ(tenBytes.size(), nineBytes.size() + 1);
    const Outcome fromNine = ParseBytes(nineBytes), fromTen = ParseBytes(tenBytes);
    EXPECT_EQ(fromNine, fromTen);
    EXPECT_EQ(fromTen, MeshOf(base.Blocks.back()));
  }
}

TEST(CollisionMeshFormat, SinglesAreStoredExactlyAsDoublesWithWOne) {
  Block b;
  b.Vertices = {{0.1f, -2.5f, 1e-30f}, {3.4028235e38f, -0.0f, 1.17549435e-38f}};
  b.Faces = {{0, 1, 1}};
  TempDir dir;
  meshfile::WriteTo(dir / "exact.sm", FileOf({b}));
  TStaticObjectMeshNode node;
  LoadCollisionMesh((dir / "exact.sm").string(), node);
  ASSERT_TRUE(node.HasMesh);
  ASSERT_EQ(node.VertexCount(), 2);
  const TVector4& v = node.Vertices()[0];
  EXPECT_EQ(v.x, 0.100000001490116119384765625);
  EXPECT_NE(v.x, 0.1);
  EXPECT_EQ(v.y, -2.5);
  EXPECT_EQ(v.z, static_cast<double>(1e-30f));
  EXPECT_EQ(v.w, 1.0);
  const TVector4& u = node.Vertices()[1];
  EXPECT_EQ(u.x, static_cast<double>(3.4028235e38f));
  EXPECT_TRUE(std::signbit(u.y));
  EXPECT_EQ(u.z, static_cast<double>(1.17549435e-38f));
  EXPECT_EQ(u.w, 1.0);
}

TEST(CollisionMeshFormat, VerticesAndFacesKeepFileOrder) {
  Block b;
  for (int i = 0; i < 50; ++i)
    b.Vertices.push_back(
        {static_cast<float>(i), static_cast<float>(i * 2), -static_cast<float>(i)});
  for (int i = 0; i < 48; ++i)
    b.Faces.push_back({i, 49 - i, (i * 7) % 50});
  TempDir dir;
  meshfile::WriteTo(dir / "order.sm", FileOf({Tetrahedron(1), b}));
  TStaticObjectMeshNode node;
  LoadCollisionMesh((dir / "order.sm").string(), node);
  EXPECT_EQ(node.VertexCount(), 50);
  EXPECT_EQ(node.FaceCount(), 48);
  EXPECT_EQ(OutcomeOf(node), MeshOf(b));
}

// ---------------------------------------------------------------------------------------
// Face indices and counts of the kept block.

struct CountCase {
  const char* Behaviour;
  Block Kept;
  Outcome Expected;
};

Block WithFace(const Face& face) {
  Block b = Tetrahedron(1);
  b.Faces.push_back(face);
  return b;
}

Block WithCounts(std::optional<int32_t> v, std::optional<int32_t> f) {
  Block b = Tetrahedron(1);
  b.VertexCount = v;
  b.FaceCount = f;
  return b;
}

const std::string kIndexError = "Invalid face index in file: ";

TEST(CollisionMeshCounts, KeptBlockIndicesAndCountsAreCheckedAsDesigned) {
  // Arrays of more than 2 GiB: 32-byte vertices and 12-byte faces.
  constexpr int32_t kMostVertices = 1 << 26;
  constexpr int32_t kMostFaces = static_cast<int32_t>((int64_t{1} << 31) / 12);
  const std::vector<CountCase> cases = {
      {"indices from 0 to V - 1 are accepted", WithFace({0, 3, 2}), MeshOf(WithFace({0, 3, 2}))},
      {"an index of -1 is refused", WithFace({-1, 0, 1}), Failure(kIndexError)},
      {"an index equal to V is refused", WithFace({0, 4, 1}), Failure(kIndexError)},
      {"a third index of INT_MAX is refused", WithFace({0, 1, INT_MAX}), Failure(kIndexError)},
      {"an index of INT_MIN is refused", WithFace({0, INT_MIN, 1}), Failure(kIndexError)},
      {"a negative vertex count is a range check error", WithCounts(-1, std::nullopt),
       Failure(kRangeCheckError)},
      {"a vertex count of INT_MIN is a range check error", WithCounts(INT_MIN, std::nullopt),
       Failure(kRangeCheckError)},
      {"a negative face count is a range check error", WithCounts(std::nullopt, -4),
       Failure(kRangeCheckError)},
      {"a vertex array over 2 GiB is a range check error even in a short file",
       WithCounts(kMostVertices + 1, std::nullopt), Failure(kRangeCheckError)},
      {"a face array over 2 GiB is a range check error even in a short file",
       WithCounts(std::nullopt, kMostFaces + 1), Failure(kRangeCheckError)},
      {"a vertex count of INT_MAX is a range check error", WithCounts(INT_MAX, std::nullopt),
       Failure(kRangeCheckError)},
      {"a vertex array of exactly 2 GiB that the file cannot hold fails to read",
       WithCounts(kMostVertices, std::nullopt), Failure(kReadError)},
      {"a face array of at most 2 GiB that the file cannot hold fails to read",
       WithCounts(std::nullopt, kMostFaces), Failure(kReadError)},
      {"a vertex count the rest of the file cannot hold fails to read",
       WithCounts(1000, std::nullopt), Failure(kReadError)},
      {"a face count one beyond the records present fails to read", WithCounts(std::nullopt, 5),
       Failure(kReadError)},
  };
  TempDir dir;
  int n = 0;
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.Behaviour);
    const std::string path = (dir / ("count" + std::to_string(n++) + ".sm")).string();
    const std::string bytes = meshfile::Write(FileOf({Box(0, 0, 0, 9, 9, 9), c.Kept}));
    testutil::WriteFile(path, bytes);
    Outcome expected = c.Expected;
    if (expected.Error == kIndexError)
      expected.Error += path;
    EXPECT_EQ(LoadPath(path), expected);
    EXPECT_EQ(LiteralLoad(bytes, path), expected);
  }
}

TEST(CollisionMeshCounts, FaceIndexMessageNamesTheFileAsPassedIn) {
  TempDir dir;
  meshfile::WriteTo(dir / "Bad.sm", FileOf({WithFace({0, 1, 4})}));
  const std::string asked = (dir.Path / "bad.SM").string();
  EXPECT_EQ(LoadPath(asked), Failure(kIndexError + asked));
  EXPECT_EQ(ParseBytes(testutil::ReadFile(dir / "Bad.sm"), "shown"),
            Failure(kIndexError + "shown"));
}

#ifndef _WIN32
#if QUARNEL_TEST_ASAN
// The sanitizer run-time's allocation hooks (GCC ships no header that declares them).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));

size_t LargestAllocation = 0;

void NoteAllocation(const volatile void*, size_t size) {
  LargestAllocation = std::max(LargestAllocation, size);
}

void NoteRelease(const volatile void*) {}
#endif

// Parses bytes with the address space held to 512 MiB and ends the process: status 0 when
// the outcome was a read error. Under AddressSanitizer, which cannot run with such a limit,
// no single allocation may reach 512 MiB instead.
void ParseWithLittleMemory(const std::string& bytes) {
#if QUARNEL_TEST_ASAN
  if (__sanitizer_install_malloc_and_free_hooks(NoteAllocation, NoteRelease) == 0)
    std::_Exit(2);
  const Outcome o = ParseBytes(bytes);
  std::_Exit(o.Error == kReadError && LargestAllocation < (512u << 20) ? 0 : 1);
#else
  const rlimit limit{512u << 20, 512u << 20};
  if (setrlimit(RLIMIT_AS, &limit) != 0)
    std::_Exit(2);
  const Outcome o = ParseBytes(bytes);
  std::_Exit(o.Error == kReadError ? 0 : 1);
#endif
}

TEST(CollisionMeshCounts, ACountTheFileCannotHoldIsFoundBeforeAnythingIsAllocated) {
  // Allocating the 2 GiB vertex array first would fail with an allocation error instead.
  const std::string bytes = meshfile::Write(FileOf({WithCounts(1 << 26, std::nullopt)}));
  EXPECT_EXIT(ParseWithLittleMemory(bytes), testing::ExitedWithCode(0), "");
}
#endif

// ---------------------------------------------------------------------------------------
// The fast reader against the literal one.

Block RandomBlock(std::mt19937& rng) {
  std::uniform_int_distribution<int> small(0, 6);
  std::uniform_real_distribution<float> coord(-1000, 1000);
  Block b;
  const int v = small(rng);
  for (int i = 0; i < v; ++i)
    b.Vertices.push_back({coord(rng), coord(rng), coord(rng)});
  const int f = v == 0 ? 0 : small(rng);
  std::uniform_int_distribution<int32_t> index(0, v - 1 < 0 ? 0 : v - 1);
  for (int i = 0; i < f; ++i)
    b.Faces.push_back({index(rng), index(rng), index(rng)});
  b.EdgeRecords = std::max(0, small(rng) - 1);
  b.Padding = static_cast<uint32_t>(small(rng)) * 3;
  return b;
}

File RandomFile(std::mt19937& rng) {
  File f;
  f.HeaderType = rng() % 2 ? 9 : 10;
  const int blocks = static_cast<int>(rng() % 4);
  for (int i = 0; i < blocks; ++i)
    f.Blocks.push_back(RandomBlock(rng));
  if (rng() % 3 == 0)
    f.Trailing = std::string(rng() % 40, '\x33');
  return f;
}

int32_t InterestingValue(std::mt19937& rng) {
  static const int32_t values[] = {0,
                                   1,
                                   -1,
                                   2,
                                   -2,
                                   3,
                                   -3,
                                   4,
                                   -4,
                                   -8,
                                   -16,
                                   -28,
                                   -32,
                                   -36,
                                   -68,
                                   INT_MAX,
                                   INT_MIN,
                                   1 << 26,
                                   (1 << 26) + 1,
                                   16,
                                   100,
                                   -100,
                                   178956970,
                                   178956971,
                                   0x10000,
                                   7};
  if (rng() % 4 == 0)
    return static_cast<int32_t>(rng() % 200) - 100;
  return values[rng() % std::size(values)];
}

std::string Mutate(std::string bytes, std::mt19937& rng) {
  const int changes = 1 + static_cast<int>(rng() % 3);
  for (int i = 0; i < changes && !bytes.empty(); ++i) {
    switch (rng() % 4) {
    case 0: {
      const size_t at = rng() % bytes.size();
      bytes[at] = static_cast<char>(bytes[at] ^ (1 << (rng() % 8)));
      break;
    }
    case 1:
      if (bytes.size() >= 4)
        meshfile::SetInt32(bytes, rng() % (bytes.size() - 3), InterestingValue(rng));
      break;
    case 2:
      bytes.resize(rng() % bytes.size());
      break;
    default:
      if (bytes.size() >= 40)
        meshfile::SetInt32(bytes, bytes[0] == 10 ? 33 : 32, static_cast<int32_t>(rng() % 12) - 4);
      break;
    }
  }
  return bytes;
}

TEST(CollisionMeshOracle, WellFormedRandomFilesMatchTheLiteralReaderAndKeepTheLastBlock) {
  std::mt19937 rng(20240611);
  for (int i = 0; i < 2000; ++i) {
    const File f = RandomFile(rng);
    const std::string bytes = meshfile::Write(f);
    const Outcome fast = ParseBytes(bytes);
    ASSERT_EQ(fast, LiteralLoad(bytes, "mem.sm")) << "file " << i;
    ASSERT_EQ(fast, f.Blocks.empty() ? NoMesh() : MeshOf(f.Blocks.back())) << "file " << i;
  }
}

TEST(CollisionMeshOracle, MutatedFilesMatchTheLiteralReader) {
  std::mt19937 rng(77);
  int failures = 0, meshes = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = Mutate(meshfile::Write(RandomFile(rng)), rng);
    const Outcome fast = ParseBytes(bytes);
    ASSERT_EQ(fast, LiteralLoad(bytes, "mem.sm")) << "file " << i;
    (fast.Error.empty() ? meshes : failures)++;
  }
  // Both kinds of outcome must be well represented for the comparison to mean something.
  EXPECT_GT(failures, 2000);
  EXPECT_GT(meshes, 2000);
}

// Blocks whose sizes lead the reader back: a tail of blocks and then a circle of blocks.
// Returns the file and, for each block, its contents.
struct CircleFile {
  std::string Bytes;
  std::vector<Block> Blocks;
};

CircleFile Circle(int tail, int circle, int32_t headerType) {
  CircleFile c;
  File f;
  f.HeaderType = headerType;
  for (int i = 0; i < tail + circle; ++i)
    f.Blocks.push_back(WithEdges(Tetrahedron(static_cast<float>(i + 1)), i % 3, i % 2 ? 6 : 0));
  size_t circleStart = meshfile::HeaderSize(headerType);
  for (int i = 0; i < tail; ++i)
    circleStart += meshfile::WriteBlock(f.Blocks[static_cast<size_t>(i)]).size();
  size_t lastStart = circleStart;
  for (int i = tail; i < tail + circle - 1; ++i)
    lastStart += meshfile::WriteBlock(f.Blocks[static_cast<size_t>(i)]).size();
  f.Blocks.back().BlockSize =
      static_cast<int32_t>(static_cast<int64_t>(circleStart) - static_cast<int64_t>(lastStart) - 4);
  c.Blocks = f.Blocks;
  c.Bytes = meshfile::Write(f);
  return c;
}

void SetMeshCount(std::string& bytes, int32_t count) {
  meshfile::SetInt32(bytes, meshfile::MeshCountOffset(bytes[0]), count);
}

TEST(CollisionMeshOracle, BlocksLeadingBackInACircleMatchTheLiteralReaderForEveryCount) {
  for (const auto& [tail, circle] : {std::pair{0, 1}, {0, 2}, {2, 3}, {1, 5}, {3, 1}}) {
    CircleFile c = Circle(tail, circle, tail % 2 ? 10 : 9);
    for (int32_t count = -2; count <= 80; ++count) {
      SetMeshCount(c.Bytes, count);
      ASSERT_EQ(ParseBytes(c.Bytes), LiteralLoad(c.Bytes, "mem.sm"))
          << "tail " << tail << " circle " << circle << " count " << count;
    }
    for (int32_t count : {100000, 100001, 100002, 100003, 100004}) {
      SetMeshCount(c.Bytes, count);
      ASSERT_EQ(ParseBytes(c.Bytes), LiteralLoad(c.Bytes, "mem.sm"))
          << "tail " << tail << " circle " << circle << " count " << count;
    }
  }
}

TEST(CollisionMeshOracle, TheLargestMeshCountKeepsTheBlockTheCircleArrivesAt) {
  for (const auto& [tail, circle] : {std::pair{0, 1}, {2, 3}, {1, 5}, {4, 7}}) {
    CircleFile c = Circle(tail, circle, 9);
    SetMeshCount(c.Bytes, INT_MAX);
    const int64_t passes = int64_t{INT_MAX} - 1;
    const int64_t kept = passes < tail ? passes : tail + (passes - tail) % circle;
    EXPECT_EQ(ParseBytes(c.Bytes), MeshOf(c.Blocks[static_cast<size_t>(kept)]))
        << "tail " << tail << " circle " << circle;
    // The literal reader agrees at a count with the same number of passes around the circle.
    const int64_t equivalent = tail + (passes - tail) % circle + circle * 1000 + 1;
    SetMeshCount(c.Bytes, static_cast<int32_t>(equivalent));
    EXPECT_EQ(LiteralLoad(c.Bytes, "mem.sm"), MeshOf(c.Blocks[static_cast<size_t>(kept)]));
  }
}

TEST(CollisionMeshOracle, ATinyFileWhoseBlockLeadsBackToItsOwnStartLoadsWithTheLargestCount) {
  Block self;
  self.BlockSize = -4;
  File f = FileOf({self});
  f.MeshCount = INT_MAX;
  const std::string bytes = meshfile::Write(f);
  ASSERT_LT(bytes.size(), 80u);
  EXPECT_EQ(ParseBytes(bytes), MeshOf(Block{}));
  // With the kept block one byte short the same walk ends in a read error.
  EXPECT_EQ(ParseBytes(bytes.substr(0, bytes.size() - 1)), Failure(kReadError));
}

TEST(CollisionMeshOracle, ACircleThroughABlockCutShortFailsWhateverTheCount) {
  // Two blocks leading to each other, the second without its padding and the last byte of
  // its last face record: every pass over it fails.
  CircleFile c = Circle(0, 2, 9);
  ASSERT_EQ(c.Blocks[1].Padding, 6u);
  std::string cut = c.Bytes.substr(0, c.Bytes.size() - 7);
  for (int32_t count : {1, 2, 3, 1000, INT_MAX}) {
    SetMeshCount(cut, count);
    const Outcome expected = count == 1 ? MeshOf(c.Blocks[0]) : Failure(kReadError);
    EXPECT_EQ(ParseBytes(cut), expected) << "count " << count;
    if (count < INT_MAX) {
      EXPECT_EQ(LiteralLoad(cut, "mem.sm"), expected) << "count " << count;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Finding the file.

TEST(CollisionMeshLookup, AMissingFileLeavesTheNodeWithoutAMesh) {
  TempDir dir;
  TStaticObjectMeshNode node;
  EXPECT_NO_THROW(LoadCollisionMesh((dir / "nothing.sm").string(), node));
  EXPECT_FALSE(node.HasMesh);
  EXPECT_EQ(node.VertexCount(), 0);
  EXPECT_EQ(node.FaceCount(), 0);
  EXPECT_EQ(LoadPath((dir / "no" / "such" / "dir.sm").string()), NoMesh());
}

#ifndef _WIN32
TEST(CollisionMeshLookup, ADirectoryOrAFifoOfTheWantedNameCountsAsMissing) {
  TempDir dir;
  std::filesystem::create_directory(dir / "house.sm");
  ASSERT_EQ(mkfifo((dir / "tower.sm").c_str(), 0644), 0);
  EXPECT_EQ(LoadPath((dir / "house.sm").string()), NoMesh());
  EXPECT_EQ(LoadPath((dir / "tower.sm").string()), NoMesh());
}

TEST(CollisionMeshLookup, AFileIsFoundWhateverTheLetterCaseOfItsName) {
  TempDir dir;
  const Block b = Box(1, 2, 3, 4, 5, 6);
  meshfile::WriteTo(dir / "House_M1.SM", FileOf({b}));
  EXPECT_EQ(LoadPath((dir / "house_m1.sm").string()), MeshOf(b));
  EXPECT_EQ(LoadPath((dir / "HOUSE_M1.sm").string()), MeshOf(b));
  EXPECT_EQ(LoadPath((dir / "house_m2.sm").string()), NoMesh());
}

TEST(CollisionMeshLookup, OnlyAsciiLettersIgnoreCase) {
  TempDir dir;
  meshfile::WriteTo(dir / "caf\xc3\x89.sm", FileOf({Box(0, 0, 0, 1, 1, 1)}));
  EXPECT_EQ(LoadPath((dir / "CAF\xc3\x89.SM").string()), MeshOf(Box(0, 0, 0, 1, 1, 1)));
  EXPECT_EQ(LoadPath((dir / "caf\xc3\xa9.sm").string()), NoMesh());
}

TEST(CollisionMeshLookup, TheExactNameWinsOverOtherSpellings) {
  TempDir dir;
  meshfile::WriteTo(dir / "HOUSE.sm", FileOf({Tetrahedron(1)}));
  meshfile::WriteTo(dir / "house.sm", FileOf({Tetrahedron(2)}));
  EXPECT_EQ(LoadPath((dir / "house.sm").string()), MeshOf(Tetrahedron(2)));
}

TEST(CollisionMeshLookup, OfSeveralSpellingsTheFirstInByteOrderIsTaken) {
  TempDir dir;
  meshfile::WriteTo(dir / "hOuse.sm", FileOf({Tetrahedron(1)}));
  meshfile::WriteTo(dir / "HoUSE.SM", FileOf({Tetrahedron(2)}));
  meshfile::WriteTo(dir / "house.Sm", FileOf({Tetrahedron(3)}));
  EXPECT_EQ(LoadPath((dir / "house.sm").string()), MeshOf(Tetrahedron(2)));
}

TEST(CollisionMeshLookup, SpellingsThatAreNotRegularFilesArePassedOver) {
  TempDir dir;
  std::filesystem::create_directory(dir / "AHouse.sm");
  ASSERT_EQ(mkfifo((dir / "BHouse.sm").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo((dir / "Ahouse.SM").c_str(), 0644), 0);
  meshfile::WriteTo(dir / "ahouse.sm", FileOf({Tetrahedron(4)}));
  EXPECT_EQ(LoadPath((dir / "AHOUSE.SM").string()), MeshOf(Tetrahedron(4)));
  EXPECT_EQ(LoadPath((dir / "bhouse.sm").string()), NoMesh());
}

TEST(CollisionMeshLookup, ANameWithoutADirectoryIsLookedUpInTheCurrentOne) {
  TempDir dir;
  meshfile::WriteTo(dir / "Rock.sm", FileOf({Tetrahedron(5)}));
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path);
  const Outcome exact = LoadPath("Rock.sm"), otherCase = LoadPath("ROCK.SM");
  std::filesystem::current_path(saved);
  EXPECT_EQ(exact, MeshOf(Tetrahedron(5)));
  EXPECT_EQ(otherCase, MeshOf(Tetrahedron(5)));
}

TEST(CollisionMeshLookup, AFileThatCannotBeOpenedIsReportedByTheNameAsPassedIn) {
  if (geteuid() == 0)
    GTEST_SKIP() << "permissions do not stop the superuser";
  TempDir dir;
  meshfile::WriteTo(dir / "Locked.sm", FileOf({Tetrahedron(1)}));
  std::filesystem::permissions(dir / "Locked.sm", std::filesystem::perms::none);
  const std::string exact = (dir / "Locked.sm").string(), other = (dir / "locked.SM").string();
  EXPECT_EQ(LoadPath(exact), Failure("Error opening file: " + exact));
  EXPECT_EQ(LoadPath(other), Failure("Error opening file: " + other));
}
#endif

TEST(CollisionMeshLookup, OpenForReadingNamesTheFileItCouldNotOpen) {
  TempDir dir;
  const std::string missing = (dir / "gone.sm").string();
  try {
    OpenForReading(missing);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), "Error opening file: " + missing);
  }
}

TEST(CollisionMeshLookup, ReadExactFailsWhenTheFileEndsEarly) {
  TempDir dir;
  testutil::WriteFile(dir / "seven", "1234567");
  TFile file = OpenForReading((dir / "seven").string());
  char buffer[8];
  ReadExact(file, buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "1234");
  try {
    ReadExact(file, buffer, 4);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(std::string(e.what()), kReadError);
  }
}

// ---------------------------------------------------------------------------------------
// Sharing loaded meshes.

TEST(MeshCache, NodesOfOneFileShareOneMeshThatMatchesASeparateLoad) {
  TempDir dir;
  const Block b = Box(-5, 0, -5, 5, 10, 5);
  meshfile::WriteTo(dir / "Shed.sm", FileOf({b}));
  TMeshCache cache;
  TStaticObjectMeshNode first, second, own;
  cache.LoadCollisionMesh((dir / "Shed.sm").string(), first);
  cache.LoadCollisionMesh((dir / "Shed.sm").string(), second);
  LoadCollisionMesh((dir / "Shed.sm").string(), own);
  EXPECT_EQ(first.Mesh, second.Mesh);
  EXPECT_NE(first.Mesh, own.Mesh);
  EXPECT_EQ(OutcomeOf(first), MeshOf(b));
  EXPECT_EQ(OutcomeOf(second), OutcomeOf(own));
#ifndef _WIN32
  TStaticObjectMeshNode third;
  cache.LoadCollisionMesh((dir / "shed.SM").string(), third);
  EXPECT_EQ(third.Mesh, first.Mesh);
#endif
  {
    TStaticObjectMeshNode gone;
    cache.LoadCollisionMesh((dir / "Shed.sm").string(), gone);
  }
  EXPECT_EQ(OutcomeOf(first), MeshOf(b));
}

TEST(MeshCache, FilesWithoutAMeshLeaveNodesWithoutOneAndEmptyMeshesStillCount) {
  TempDir dir;
  File none;
  none.MeshCount = 0;
  meshfile::WriteTo(dir / "none.sm", none);
  meshfile::WriteTo(dir / "empty.sm", FileOf({Block{}}));
  TMeshCache cache;
  for (int round = 0; round < 2; ++round) {
    TStaticObjectMeshNode a, b, c;
    cache.LoadCollisionMesh((dir / "none.sm").string(), a);
    cache.LoadCollisionMesh((dir / "empty.sm").string(), b);
    cache.LoadCollisionMesh((dir / "missing.sm").string(), c);
    EXPECT_EQ(OutcomeOf(a), NoMesh());
    EXPECT_EQ(OutcomeOf(b), MeshOf(Block{}));
    EXPECT_TRUE(b.HasMesh);
    EXPECT_EQ(OutcomeOf(c), NoMesh());
  }
}

TEST(MeshCache, AFileThatFailsFailsForEveryNodeThatNamesIt) {
  TempDir dir;
  File f = FileOf({Tetrahedron(1)});
  f.CutBytes = 1;
  meshfile::WriteTo(dir / "broken.sm", f);
  TMeshCache cache;
  for (int round = 0; round < 2; ++round) {
    TStaticObjectMeshNode node;
    EXPECT_THROW(cache.LoadCollisionMesh((dir / "broken.sm").string(), node), Exception);
    EXPECT_FALSE(node.HasMesh);
  }
}

#ifndef _WIN32
TEST(MeshCache, ADirectoryIsListedOnlyOncePerCache) {
  TempDir dir;
  TMeshCache cache;
  EXPECT_EQ(cache.ResolveFileName((dir / "first.sm").string()), "");
  meshfile::WriteTo(dir / "Later.sm", FileOf({Tetrahedron(1)}));
  // The listing taken for the first name does not hold the file made since.
  EXPECT_EQ(cache.ResolveFileName((dir / "later.sm").string()), "");
  // Exact names are still found, and a new cache lists the directory afresh.
  EXPECT_EQ(cache.ResolveFileName((dir / "Later.sm").string()), (dir / "Later.sm").string());
  TMeshCache fresh;
  EXPECT_EQ(fresh.ResolveFileName((dir / "later.sm").string()), (dir / "Later.sm").string());
}
#endif

} // namespace
