// The collision mesh reader against a literal field-by-field reader, on random and damaged files.
#include "mesh/CollisionMesh.h"
#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <random>

using namespace quarnel;
using meshfile::Block;
using meshfile::File;

namespace {

const std::string kReadError = "error: Error reading file";

// A mesh as text: every coordinate's bits and every face, or "none", or "error: " + message.
std::string Text(std::span<const TVector4> vertices, std::span<const TFace> faces) {
  std::string out = "mesh";
  for (const TVector4& v : vertices)
    for (double d : {v.x, v.y, v.z, v.w})
      out += " " + std::to_string(std::bit_cast<uint64_t>(d));
  for (const TFace& f : faces)
    out += " [" + std::to_string(f.A) + "," + std::to_string(f.B) + "," + std::to_string(f.C) + "]";
  return out;
}

// The reader as plainly as it can be written: one field at a time, every read checked
// against the ends of the file, every skip only moving the position.
std::string LiteralLoad(const std::string& bytes) {
  int64_t pos = 0;
  auto read = [&](int64_t count) {
    if (pos < 0 || pos + count > int64_t(bytes.size()))
      throw Exception("Error reading file");
    pos += count;
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + pos - count, size_t(std::min<int64_t>(count, 4)));
    return int32_t(v);
  };
  try {
    const int32_t type = read(4);
    if (type != 9 && type != 10)
      throw Exception("Unsupported header type");
    pos += 4, read(24), pos += type == 10;
    const int32_t count = read(4);
    if (count == 0)
      return "none";
    TCollisionMesh mesh;
    for (int64_t block = std::max(count, 1); block > 0; --block) {
      if (block < int64_t{count} - 1000000)
        return "too many blocks"; // blocks that lead round in a circle
      const bool kept = block == 1;
      auto check = [&](int64_t n, int64_t size) {
        if (kept && (n < 0 || n * size > (int64_t{1} << 31)))
          throw Exception(kRangeCheckError);
      };
      const int64_t s = read(4);
      pos += 8;
      const int64_t v = read(4);
      check(v, sizeof(TVector4));
      for (int64_t i = 0; i < v; ++i) {
        TVector4 p{std::bit_cast<float>(read(4)), std::bit_cast<float>(read(4)),
                   std::bit_cast<float>(read(4)), 1};
        read(2), pos += 2;
        if (kept)
          mesh.Vertices.push_back(p);
      }
      const int64_t e = read(4);
      for (int64_t i = 0; i < e; ++i)
        read(4), read(4);
      read(4), read(4);
      const int64_t f = read(4);
      check(f, sizeof(TFace));
      for (int64_t i = 0; i < f; ++i) {
        read(4), read(4), read(4), pos += 4;
        const TFace face{read(4), read(4), read(4)};
        read(4);
        if (kept)
          mesh.Faces.push_back(face);
      }
      if (!kept)
        pos += s - 16 * v - 8 * e - 32 * f - 28;
    }
    for (const TFace& face : mesh.Faces)
      for (int32_t index : {face.A, face.B, face.C})
        if (index < 0 || index >= int64_t(mesh.Vertices.size()))
          throw Exception("Invalid face index in file: mem.sm");
    return Text(mesh.Vertices, mesh.Faces);
  } catch (const Exception& e) {
    return std::string("error: ") + e.what();
  }
}

std::string Parse(const std::string& bytes) {
  std::vector<uint8_t> exact(bytes.begin(), bytes.end()); // a memory checker sees overreads
  try {
    const auto mesh = ParseCollisionMesh(exact, "mem.sm");
    return mesh ? Text(mesh->Vertices, mesh->Faces) : "none";
  } catch (const Exception& e) {
    return std::string("error: ") + e.what();
  }
}

File RandomFile(std::mt19937& rng) {
  std::uniform_int_distribution<int> small(0, 6);
  std::uniform_real_distribution<float> coordinate(-1000, 1000);
  File f;
  f.HeaderType = rng() % 2 ? 9 : 10;
  for (int blocks = int(rng() % 4); blocks > 0; --blocks) {
    Block b;
    for (int v = small(rng); v > 0; --v)
      b.Vertices.push_back({coordinate(rng), coordinate(rng), coordinate(rng)});
    std::uniform_int_distribution<int32_t> index(
        0, std::max<int32_t>(0, int32_t(b.Vertices.size()) - 1));
    for (int i = b.Vertices.empty() ? 0 : small(rng); i > 0; --i)
      b.Faces.push_back({index(rng), index(rng), index(rng)});
    b.EdgeRecords = std::max(0, small(rng) - 1), b.Padding = uint32_t(small(rng)) * 3;
    f.Blocks.push_back(b);
  }
  return f;
}

std::string Mutate(std::string bytes, std::mt19937& rng) {
  static const int32_t values[] = {0,         1,       -1,      2,       -3,       -28,
                                   -36,       INT_MAX, INT_MIN, 1 << 26, 67108865, 178956970,
                                   178956971, 16,      100,     -100};
  for (int changes = 1 + int(rng() % 3); changes > 0 && !bytes.empty(); --changes) {
    const uint32_t kind = rng() % 4;
    if (kind == 0)
      bytes[rng() % bytes.size()] ^= char(1 << (rng() % 8));
    else if (kind == 1 && bytes.size() >= 4)
      meshfile::SetInt32(bytes, rng() % (bytes.size() - 3), values[rng() % std::size(values)]);
    else if (kind == 2)
      bytes.resize(rng() % bytes.size());
    else if (bytes.size() >= 40) // the mesh count
      meshfile::SetInt32(bytes, bytes[0] == 10 ? 33 : 32, int32_t(rng() % 12) - 4);
  }
  return bytes;
}

TEST(CollisionMesh, KeepsWhatALiteralFieldByFieldReaderKeepsForRandomAndDamagedFiles) {
  std::mt19937 rng(77);
  int failures = 0, meshes = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string bytes = Mutate(meshfile::Write(RandomFile(rng)), rng);
    const std::string fast = Parse(bytes);
    ASSERT_EQ(fast, LiteralLoad(bytes)) << "file " << i;
    (fast.starts_with("error: ") ? failures : meshes)++;
  }
  EXPECT_GT(failures, 2000);
  EXPECT_GT(meshes, 2000);
}

} // namespace

namespace {

// A mesh file is taken under the name its folder stores, whatever letter case the object file
// writes it in, on every platform.
TEST(MeshDirectory, FindsAMeshFileInAnyLetterCaseUnderTheFoldersSpelling) {
  testutil::TempDir dir;
  const std::string folder = (dir / "Meshes").string() + kPathDelimiter;
  std::filesystem::create_directory(dir / "Meshes");
  testutil::WriteFile(folder + "Bunker_M1.sm", "x");
  TMeshDirectory meshes;
  for (const char* asked : {"Bunker_M1.sm", "bunker_m1.sm", "BUNKER_M1.SM"})
    EXPECT_EQ(meshes.ResolveFileName(folder + asked), folder + "Bunker_M1.sm") << asked;
  EXPECT_EQ(meshes.ResolveFileName(folder + "Bunker_M2.sm"), "");
}

} // namespace
