// The collision mesh reader: file format, failures, file lookup and sharing of loaded meshes.
#include "common/FileReads.h"
#include "mesh/CollisionMesh.h"
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <tuple>

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
using testutil::MessageOf;
using testutil::TempDir;

namespace {

const std::string kReadError = "Error reading file";
const std::string kHeaderError = "Unsupported header type";
const std::string kIndexError = "Invalid face index in file: ";

// What loading a file gives, as text: "error: " and the message, or "mesh" or "no mesh"
// followed by the bits of every vertex coordinate and the indices of every face, in order.
using Outcome = std::string;

Outcome Failure(const std::string& message) {
  return "error: " + message;
}

Outcome MeshText(bool hasMesh, std::span<const TVector4> vertices, std::span<const TFace> faces) {
  std::string out = hasMesh ? "mesh" : "no mesh";
  char buffer[24];
  for (const TVector4& v : vertices)
    for (double d : {v.x, v.y, v.z, v.w})
      out.append(" ").append(
          buffer, std::to_chars(buffer, buffer + 24, std::bit_cast<uint64_t>(d), 16).ptr);
  for (const TFace& f : faces)
    out += " [" + std::to_string(f.A) + "," + std::to_string(f.B) + "," + std::to_string(f.C) + "]";
  return out;
}

const Outcome kNoMesh = MeshText(false, {}, {});

// The outcome of a block as written, converting its singles to doubles.
Outcome MeshOf(const Block& block) {
  std::vector<TVector4> vertices;
  for (const Vertex& v : block.Vertices)
    vertices.push_back(
        {static_cast<double>(v.X), static_cast<double>(v.Y), static_cast<double>(v.Z), 1.0});
  std::vector<TFace> faces;
  for (const Face& f : block.Faces)
    faces.push_back({f.A, f.B, f.C});
  return MeshText(true, vertices, faces);
}

Outcome OutcomeOf(const TStaticObjectMeshNode& node) {
  return MeshText(node.HasMesh, node.Vertices(), node.Faces());
}

// The reader as plainly as it can be written: one field at a time at a position in the
// file, every read checked against the ends of the file, every skip only moving the position.
class LiteralReader {
public:
  explicit LiteralReader(const std::string& bytes) : Bytes(bytes) {}

  void Discard(int64_t count) {
    if (Pos < 0 || Pos + count > static_cast<int64_t>(Bytes.size()))
      throw Exception(kReadError);
    Pos += count;
  }
  int32_t Int32() {
    Discard(4);
    const auto* b = reinterpret_cast<const uint8_t*>(Bytes.data() + Pos - 4);
    return static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  }
  float Single() { return std::bit_cast<float>(Int32()); }
  void Skip(int64_t count) { Pos += count; }

private:
  const std::string& Bytes;
  int64_t Pos = 0;
};

// Reads one mesh block, into kept for the last block; a passed-over block ends with a skip
// to where its size says it ends.
void LiteralBlock(LiteralReader& in, TCollisionMesh* kept) {
  const auto checkCount = [&](int64_t count, int64_t recordSize) {
    if (kept && (count < 0 || count * recordSize > (int64_t{1} << 31)))
      throw Exception(kRangeCheckError);
  };
  const int64_t s = in.Int32();
  in.Skip(8);
  const int64_t v = in.Int32();
  checkCount(v, sizeof(TVector4));
  for (int64_t i = 0; i < v; ++i) {
    const float x = in.Single(), y = in.Single(), z = in.Single();
    in.Discard(2), in.Skip(2);
    if (kept)
      kept->Vertices.push_back(
          {static_cast<double>(x), static_cast<double>(y), static_cast<double>(z), 1.0});
  }
  const int64_t e = in.Int32();
  for (int64_t i = 0; i < e; ++i)
    in.Discard(8);
  in.Discard(8);
  const int64_t f = in.Int32();
  checkCount(f, sizeof(TFace));
  for (int64_t i = 0; i < f; ++i) {
    in.Discard(12), in.Skip(4);
    const int32_t a = in.Int32(), b = in.Int32(), c = in.Int32();
    in.Discard(4);
    if (kept)
      kept->Faces.push_back({a, b, c});
  }
  if (!kept)
    in.Skip(s - 16 * v - 8 * e - 32 * f - 28);
}

Outcome LiteralLoad(const std::string& bytes, const std::string& fileName) {
  LiteralReader in(bytes);
  TCollisionMesh mesh;
  try {
    const int32_t headerType = in.Int32();
    if (headerType != 9 && headerType != 10)
      throw Exception(kHeaderError);
    in.Skip(4);
    in.Discard(24);
    if (headerType == 10)
      in.Skip(1);
    const int32_t meshCount = in.Int32();
    if (meshCount == 0)
      return kNoMesh;
    for (int64_t pass = 1; pass < meshCount; ++pass) {
      // A safeguard for blocks that lead round in a circle; tests keep counts below it.
      if (pass > 1000000)
        throw std::logic_error("the literal reader was given too many blocks to pass over");
      LiteralBlock(in, nullptr);
    }
    LiteralBlock(in, &mesh);
    for (const TFace& face : mesh.Faces)
      for (int32_t index : {face.A, face.B, face.C})
        if (index < 0 || index >= static_cast<int64_t>(mesh.Vertices.size()))
          throw Exception(kIndexError + fileName);
  } catch (const Exception& e) {
    return Failure(e.what());
  }
  return MeshText(true, mesh.Vertices, mesh.Faces);
}

Outcome ParseBytes(const std::string& bytes, const std::string& fileName = "mem.sm") {
  // A buffer of exactly the file's size, so that a memory checker sees any read past it.
  const auto data = std::make_unique<uint8_t[]>(bytes.size());
  std::memcpy(data.get(), bytes.data(), bytes.size());
  try {
    const auto mesh =
        ParseCollisionMesh(std::span<const uint8_t>(data.get(), bytes.size()), fileName);
    return mesh ? MeshText(true, mesh->Vertices, mesh->Faces) : kNoMesh;
  } catch (const Exception& e) {
    return Failure(e.what());
  }
}

// What loading into a new node gives; a failure must leave the node without a mesh.
template <class Load> Outcome LoadNode(Load load) {
  TStaticObjectMeshNode node;
  try {
    load(node);
  } catch (const Exception& e) {
    return Failure(e.what()) + (node.HasMesh ? " (the node has a mesh)" : "");
  }
  return OutcomeOf(node);
}

Outcome LoadPath(const std::string& path) {
  return LoadNode([&](TStaticObjectMeshNode& node) { LoadCollisionMesh(path, node); });
}

Block Tetrahedron(float scale, int32_t edges = 0, uint32_t padding = 0) {
  Block b;
  b.Vertices = {{0, 0, 0}, {scale, 0, 0}, {0, scale, 0}, {0, 0, scale}};
  b.Faces = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
  b.EdgeRecords = edges;
  b.Padding = padding;
  return b;
}

File FileOf(std::vector<Block> blocks, int32_t headerType = 9) {
  File f;
  f.HeaderType = headerType;
  f.Blocks = std::move(blocks);
  return f;
}

// The bytes of f after change.
template <class Change> std::string Edited(File f, Change change) {
  change(f);
  return meshfile::Write(f);
}

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

// ---------------------------------------------------------------------------------------
// The file format, counts and face indices, through real files.

struct FormatCase {
  const char* Behaviour;
  std::string Bytes;
  Outcome Expected;
};

std::vector<FormatCase> FormatCases() {
  const Block a = Tetrahedron(1, 3, 12), b = Box(-1, -2, -3, 4, 5, 6), c = Tetrahedron(7.5f, 1, 5);
  const auto count = [](int32_t n) { return [n](File& f) { f.MeshCount = n; }; };
  const auto cut = [](size_t n) { return [n](File& f) { f.CutBytes = n; }; };
  const auto firstSize = [](int32_t n) { return [n](File& f) { f.Blocks[0].BlockSize = n; }; };
  Block odd; // negative counts in a passed-over block move the skip at its end forward
  odd.VertexCount = -1, odd.EdgeCount = -2, odd.FaceCount = -3, odd.Padding = 20;
  odd.BlockSize = 28 + 20 - 16 - 16 - 96;
  Block badFaces = Tetrahedron(2), empty, negativeEdges = b;
  badFaces.Faces[1] = {-7, 99, INT_MAX};
  empty.Padding = 9;
  negativeEdges.EdgeCount = -5;
  Block exact;
  exact.Vertices = {{0.1f, -2.5f, 1e-30f}, {3.4028235e38f, -0.0f, 1.17549435e-38f}};
  exact.Faces = {{0, 1, 1}};
  const std::string none9 = Edited(File{}, count(0)), none10 = Edited(FileOf({}, 10), count(0));
  EXPECT_EQ(none9.size(), 36u);
  const int32_t overNext =
      static_cast<int32_t>(meshfile::WriteBlock(a).size() + meshfile::WriteBlock(b).size() - 4);
  std::vector<FormatCase> cases = {
      {"two blocks keep the second", meshfile::Write(FileOf({a, b})), MeshOf(b)},
      {"a mesh count of -3 keeps the first block as a count of 1 would",
       Edited(FileOf({a, b, c}), count(-3)), MeshOf(a)},
      {"a mesh count of 2 keeps the second of three blocks", Edited(FileOf({a, b, c}), count(2)),
       MeshOf(b)},
      {"a mesh count of INT_MIN keeps the first block", Edited(FileOf({c, a}), count(INT_MIN)),
       MeshOf(c)},
      {"a mesh count beyond the blocks present fails", Edited(FileOf({a, b}), count(3)),
       Failure(kReadError)},
      {"a passed-over block size that reaches over the next block moves the reader on to the "
       "block after it",
       Edited(FileOf({a, b, c}),
              [&](File& f) {
                f.MeshCount = 2;
                f.Blocks[0].BlockSize = overNext;
              }),
       MeshOf(c)},
      {"a passed-over block size leading before the start of the file fails the next read",
       Edited(FileOf({a, b}), firstSize(-200)), Failure(kReadError)},
      {"a passed-over block size leading past the end of the file fails the next read",
       Edited(FileOf({a, b}), firstSize(INT_MAX)), Failure(kReadError)},
      {"negative counts in a passed-over block enter the skip with their signs",
       meshfile::Write(FileOf({odd, b})), MeshOf(b)},
      {"face indices out of range in a passed-over block do not matter",
       meshfile::Write(FileOf({badFaces, a})), MeshOf(a)},
      {"a kept block without vertices and faces still counts as a mesh",
       meshfile::Write(FileOf({a, empty})), MeshOf(empty)},
      {"singles are stored exactly, negative zero and the extremes too",
       meshfile::Write(FileOf({exact})), MeshOf(exact)},
      {"a file may end right after the last face record though the block size announces more",
       Edited(FileOf({a, c}), cut(c.Padding)), MeshOf(c)},
      {"a file that lacks the last 4 bytes of the last face record fails",
       Edited(FileOf({a, c}), cut(c.Padding + 4)), Failure(kReadError)},
      {"a file that ends before the face records fails",
       Edited(FileOf({a, c}), cut(c.Padding + 32 * c.Faces.size())), Failure(kReadError)},
      {"a file that ends inside a block size field fails",
       Edited(FileOf({a, c}), cut(meshfile::WriteBlock(c).size() - 1)), Failure(kReadError)},
      {"a negative record count in the kept block reads no records",
       meshfile::Write(FileOf({a, negativeEdges})), MeshOf(b)},
      {"a type 10 file with two blocks gives the same mesh as type 9",
       meshfile::Write(FileOf({Tetrahedron(3), Tetrahedron(-2, 2, 7)}, 10)),
       MeshOf(Tetrahedron(-2))},
      {"a type 9 file of 36 bytes with a mesh count of 0 has no mesh", none9, kNoMesh},
      {"a type 10 file with a mesh count of 0 has no mesh", none10, kNoMesh},
      {"a header cut inside the six values fails", none9.substr(0, 31), Failure(kReadError)},
      {"a type 9 header cut inside the mesh count fails", none9.substr(0, 35), Failure(kReadError)},
      {"a type 10 header cut inside the mesh count fails", none10.substr(0, 36),
       Failure(kReadError)}};
  // Arrays of more than 2 GiB: 32-byte vertices and 12-byte faces.
  constexpr int32_t kMostVertices = 1 << 26;
  constexpr int32_t kMostFaces = static_cast<int32_t>((int64_t{1} << 31) / 12);
  const auto kept = [&](const Block& k) { return meshfile::Write(FileOf({b, k})); };
  const std::vector<FormatCase> counts = {
      {"indices from 0 to V - 1 are accepted", kept(WithFace({0, 3, 2})),
       MeshOf(WithFace({0, 3, 2}))},
      {"an index of -1 is refused", kept(WithFace({-1, 0, 1})), Failure(kIndexError)},
      {"an index equal to V is refused", kept(WithFace({0, 4, 1})), Failure(kIndexError)},
      {"a third index of INT_MAX is refused", kept(WithFace({0, 1, INT_MAX})),
       Failure(kIndexError)},
      {"an index of INT_MIN is refused", kept(WithFace({0, INT_MIN, 1})), Failure(kIndexError)},
      {"a negative vertex count is a range check error", kept(WithCounts(-1, std::nullopt)),
       Failure(kRangeCheckError)},
      {"a vertex count of INT_MIN is a range check error", kept(WithCounts(INT_MIN, std::nullopt)),
       Failure(kRangeCheckError)},
      {"a negative face count is a range check error", kept(WithCounts(std::nullopt, -4)),
       Failure(kRangeCheckError)},
      {"a vertex array over 2 GiB is a range check error even in a short file",
       kept(WithCounts(kMostVertices + 1, std::nullopt)), Failure(kRangeCheckError)},
      {"a face array over 2 GiB is a range check error even in a short file",
       kept(WithCounts(std::nullopt, kMostFaces + 1)), Failure(kRangeCheckError)},
      {"a vertex count of INT_MAX is a range check error", kept(WithCounts(INT_MAX, std::nullopt)),
       Failure(kRangeCheckError)},
      {"a vertex array of exactly 2 GiB that the file cannot hold fails to read",
       kept(WithCounts(kMostVertices, std::nullopt)), Failure(kReadError)},
      {"a face array of at most 2 GiB that the file cannot hold fails to read",
       kept(WithCounts(std::nullopt, kMostFaces)), Failure(kReadError)},
      {"a vertex count the rest of the file cannot hold fails to read",
       kept(WithCounts(1000, std::nullopt)), Failure(kReadError)},
      {"a face count one beyond the records present fails to read",
       kept(WithCounts(std::nullopt, 5)), Failure(kReadError)}};
  cases.insert(cases.end(), counts.begin(), counts.end());
  for (int32_t type : {8, 11, 0, -9, 0x0900})
    cases.push_back({"a header type other than 9 or 10 is refused",
                     Edited(FileOf({a}), [type](File& f) { f.HeaderType = type; }),
                     Failure(kHeaderError)});
  for (size_t size : {0, 1, 2, 3})
    cases.push_back(
        {"a file of fewer than 4 bytes fails", std::string("\x09\0\0", size), Failure(kReadError)});
  return cases;
}

TEST(CollisionMeshFormat, EachFileLoadsAsDesigned) {
  TempDir dir;
  int n = 0;
  for (const FormatCase& c : FormatCases()) {
    SCOPED_TRACE(c.Behaviour);
    const std::string path = (dir / ("case" + std::to_string(n++) + ".sm")).string();
    testutil::WriteFile(path, c.Bytes);
    // The message of a face index error names the file.
    const Outcome expected = c.Expected == Failure(kIndexError) ? c.Expected + path : c.Expected;
    EXPECT_EQ(LoadPath(path), expected);
    EXPECT_EQ(ParseBytes(c.Bytes, path), expected);
    EXPECT_EQ(LiteralLoad(c.Bytes, path), expected);
  }
}

TEST(CollisionMeshFormat, TheSingleWrittenForPointOneIsStoredAsItsOwnValueNotAsPointOne) {
  Block b;
  b.Vertices = {{0.1f, -2.5f, 0}};
  const std::vector<TVector4> stored = {{0.100000001490116119384765625, -2.5, 0, 1}};
  EXPECT_EQ(ParseBytes(meshfile::Write(FileOf({b}))), MeshText(true, stored, {}));
  EXPECT_NE(stored[0].x, 0.1);
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
  std::_Exit(ParseBytes(bytes) == Failure(kReadError) && LargestAllocation < (512u << 20) ? 0 : 1);
#else
  const rlimit limit{512u << 20, 512u << 20};
  if (setrlimit(RLIMIT_AS, &limit) != 0)
    std::_Exit(2);
  std::_Exit(ParseBytes(bytes) == Failure(kReadError) ? 0 : 1);
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
  static const int32_t values[] = {0,    1,         -1,        2,       -2,       3,   -3,
                                   4,    -4,        -8,        -16,     -28,      -32, -36,
                                   -68,  INT_MAX,   INT_MIN,   1 << 26, 67108865, 16,  100,
                                   -100, 178956970, 178956971, 0x10000, 7};
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
    ASSERT_EQ(fast, f.Blocks.empty() ? kNoMesh : MeshOf(f.Blocks.back())) << "file " << i;
  }
}

TEST(CollisionMeshOracle, MutatedFilesMatchTheLiteralReader) {
  std::mt19937 rng(77);
  int failures = 0, meshes = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = Mutate(meshfile::Write(RandomFile(rng)), rng);
    const Outcome fast = ParseBytes(bytes);
    ASSERT_EQ(fast, LiteralLoad(bytes, "mem.sm")) << "file " << i;
    (fast.starts_with("error: ") ? failures : meshes)++;
  }
  // Both kinds of outcome must be well represented for the comparison to mean something.
  EXPECT_GT(failures, 2000);
  EXPECT_GT(meshes, 2000);
}

// Blocks whose sizes lead the reader back: a tail of blocks and then a circle of blocks.
struct CircleFile {
  std::string Bytes;
  std::vector<Block> Blocks;
  void SetMeshCount(int32_t count) {
    meshfile::SetInt32(Bytes, meshfile::MeshCountOffset(Bytes[0]), count);
  }
};

CircleFile Circle(int tail, int circle, int32_t headerType) {
  File f = FileOf({}, headerType);
  for (int i = 0; i < tail + circle; ++i)
    f.Blocks.push_back(Tetrahedron(static_cast<float>(i + 1), i % 3, i % 2 ? 6 : 0));
  size_t circleStart = meshfile::HeaderSize(headerType);
  for (int i = 0; i < tail; ++i)
    circleStart += meshfile::WriteBlock(f.Blocks[static_cast<size_t>(i)]).size();
  size_t lastStart = circleStart;
  for (int i = tail; i < tail + circle - 1; ++i)
    lastStart += meshfile::WriteBlock(f.Blocks[static_cast<size_t>(i)]).size();
  f.Blocks.back().BlockSize =
      static_cast<int32_t>(static_cast<int64_t>(circleStart) - static_cast<int64_t>(lastStart) - 4);
  return {meshfile::Write(f), f.Blocks};
}

TEST(CollisionMeshOracle, BlocksLeadingBackInACircleKeepTheBlockTheCircleArrivesAtForEveryCount) {
  std::vector<int32_t> counts = {100000, 100001, 100002, 100003, 100004};
  for (int32_t count = -2; count <= 80; ++count)
    counts.push_back(count);
  for (const auto& [tail, circle] : {std::pair{0, 1}, {0, 2}, {2, 3}, {1, 5}, {3, 1}, {4, 7}}) {
    SCOPED_TRACE("tail " + std::to_string(tail) + " circle " + std::to_string(circle));
    CircleFile c = Circle(tail, circle, tail % 2 ? 10 : 9);
    for (int32_t count : counts) {
      c.SetMeshCount(count);
      ASSERT_EQ(ParseBytes(c.Bytes), LiteralLoad(c.Bytes, "mem.sm")) << "count " << count;
    }
    // The literal reader cannot pass INT_MAX - 1 blocks; the block it would keep is known.
    const int64_t passes = int64_t{INT_MAX} - 1;
    const Outcome kept = MeshOf(c.Blocks[static_cast<size_t>(tail + (passes - tail) % circle)]);
    c.SetMeshCount(INT_MAX);
    EXPECT_EQ(ParseBytes(c.Bytes), kept);
    // The literal reader agrees at a count with the same number of passes around the circle.
    c.SetMeshCount(static_cast<int32_t>(tail + (passes - tail) % circle + circle * 1000 + 1));
    EXPECT_EQ(LiteralLoad(c.Bytes, "mem.sm"), kept);
  }
}

TEST(CollisionMeshOracle, ACircleThroughABlockCutShortFailsWhateverTheCount) {
  // Two blocks leading to each other, the second without its padding and the last byte of
  // its last face record: every pass over it fails.
  CircleFile c = Circle(0, 2, 9);
  ASSERT_EQ(c.Blocks[1].Padding, 6u);
  c.Bytes.resize(c.Bytes.size() - 7);
  for (int32_t count : {1, 2, 3, 1000, INT_MAX}) {
    c.SetMeshCount(count);
    const Outcome expected = count == 1 ? MeshOf(c.Blocks[0]) : Failure(kReadError);
    EXPECT_EQ(ParseBytes(c.Bytes), expected) << "count " << count;
    if (count < INT_MAX) {
      EXPECT_EQ(LiteralLoad(c.Bytes, "mem.sm"), expected) << "count " << count;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Finding the file.

TEST(CollisionMeshLookup, AMissingFileLeavesTheNodeWithoutAMesh) {
  TempDir dir;
  EXPECT_EQ(LoadPath((dir / "nothing.sm").string()), kNoMesh);
  EXPECT_EQ(LoadPath((dir / "no" / "such" / "dir.sm").string()), kNoMesh);
}

#ifndef _WIN32
TEST(CollisionMeshLookup, FindsTheFileAsDesigned) {
  TempDir dir;
  // Entries as "name:kind", kind the scale of the tetrahedron the file holds, dir or fifo.
  std::istringstream entries("house.sm:dir tower.sm:fifo House_M1.SM:1 caf\xc3\x89.sm:3 "
                             "EXACT.sm:5 exact.sm:6 fIrst.sm:7 FiRST.SM:8 first.Sm:9 "
                             "AHouse.sm:dir BHouse.sm:fifo Ahouse.SM:fifo ahouse.sm:4");
  for (std::string entry; entries >> entry;) {
    const std::string name = entry.substr(0, entry.find(':')), kind = entry.substr(name.size() + 1);
    if (kind == "dir")
      std::filesystem::create_directory(dir / name);
    else if (kind == "fifo")
      ASSERT_EQ(mkfifo((dir / name).c_str(), 0644), 0);
    else
      meshfile::WriteTo(dir / name, FileOf({Tetrahedron(std::stof(kind))}));
  }
  const auto t = [](float scale) { return MeshOf(Tetrahedron(scale)); };
  const std::tuple<const char*, std::string, Outcome> cases[] = {
      {"a folder of the wanted name counts as missing", "house.sm", kNoMesh},
      {"a FIFO of the wanted name counts as missing", "tower.sm", kNoMesh},
      {"a file is found whatever the letter case of its name", "house_m1.sm", t(1)},
      {"a file is found by a name in capitals", "HOUSE_M1.sm", t(1)},
      {"a name that differs in more than letter case is missing", "house_m2.sm", kNoMesh},
      {"ASCII letters ignore case beside other bytes", "CAF\xc3\x89.SM", t(3)},
      {"only ASCII letters ignore case", "caf\xc3\xa9.sm", kNoMesh},
      {"the exact name wins over other spellings", "exact.sm", t(6)},
      {"of several spellings the first in byte order is taken", "first.sm", t(8)},
      {"spellings that are not regular files are passed over", "AHOUSE.SM", t(4)},
      {"a spelling that is a FIFO counts as missing", "bhouse.sm", kNoMesh}};
  for (const auto& [behaviour, asked, expected] : cases)
    EXPECT_EQ(LoadPath((dir / asked).string()), expected) << behaviour;
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
  for (const char* name : {"Locked.sm", "locked.SM"})
    EXPECT_EQ(LoadPath((dir / name).string()),
              Failure("Error opening file: " + (dir / name).string()));
}
#endif

TEST(CollisionMeshLookup, OpenForReadingAndReadExactReportWhatFailed) {
  TempDir dir;
  const std::string missing = (dir / "gone.sm").string();
  EXPECT_EQ(MessageOf([&] { OpenForReading(missing); }), "Error opening file: " + missing);
  testutil::WriteFile(dir / "seven", "1234567");
  TFile file = OpenForReading((dir / "seven").string());
  char buffer[8];
  ReadExact(file, buffer, 4);
  EXPECT_EQ(std::string(buffer, 4), "1234");
  EXPECT_EQ(MessageOf([&] { ReadExact(file, buffer, 4); }), kReadError);
}

// ---------------------------------------------------------------------------------------
// Sharing loaded meshes.

TEST(MeshCache, NodesOfOneFileShareOneMeshThatMatchesASeparateLoad) {
  TempDir dir;
  const Block b = Box(-5, 0, -5, 5, 10, 5);
  meshfile::WriteTo(dir / "Shed.sm", FileOf({b}));
  const std::string path = (dir / "Shed.sm").string();
  TMeshCache cache;
  TStaticObjectMeshNode first, second, own;
  cache.LoadCollisionMesh(path, first);
  cache.LoadCollisionMesh(path, second);
  LoadCollisionMesh(path, own);
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
    cache.LoadCollisionMesh(path, gone);
  }
  EXPECT_EQ(OutcomeOf(first), MeshOf(b));
}

TEST(MeshCache, GivesEveryNodeWhatItsFileHoldsOrFailsForEveryNodeOfAFailingFile) {
  TempDir dir;
  testutil::WriteFile(dir / "none.sm", Edited(File{}, [](File& f) { f.MeshCount = 0; }));
  testutil::WriteFile(dir / "broken.sm",
                      Edited(FileOf({Tetrahedron(1)}), [](File& f) { f.CutBytes = 1; }));
  meshfile::WriteTo(dir / "empty.sm", FileOf({Block{}}));
  TMeshCache cache;
  for (int round = 0; round < 2; ++round)
    for (const auto& [name, expected] : {std::pair{"none.sm", kNoMesh},
                                         {"empty.sm", MeshOf(Block{})},
                                         {"missing.sm", kNoMesh},
                                         {"broken.sm", Failure(kReadError)}}) {
      const std::string path = (dir / name).string();
      EXPECT_EQ(LoadNode([&](TStaticObjectMeshNode& node) { cache.LoadCollisionMesh(path, node); }),
                expected)
          << name << " round " << round;
    }
}

#ifndef _WIN32
TEST(MeshDirectory, ADirectoryIsListedOnlyOncePerCache) {
  TempDir dir;
  TMeshDirectory cache;
  EXPECT_EQ(cache.ResolveFileName((dir / "first.sm").string()), "");
  meshfile::WriteTo(dir / "Later.sm", FileOf({Tetrahedron(1)}));
  // The listing taken for the first name does not hold the file made since.
  EXPECT_EQ(cache.ResolveFileName((dir / "later.sm").string()), "");
  // Exact names are still found, and a new cache lists the directory afresh.
  EXPECT_EQ(cache.ResolveFileName((dir / "Later.sm").string()), (dir / "Later.sm").string());
  TMeshDirectory fresh;
  EXPECT_EQ(fresh.ResolveFileName((dir / "later.sm").string()), (dir / "Later.sm").string());
}
#endif

} // namespace
