// Writes standard mesh files for tests, sample worlds and benchmarks.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace meshfile {

struct Vertex {
  float X = 0, Y = 0, Z = 0;
};

struct Face {
  int32_t A = 0, B = 0, C = 0;
};

// One mesh block. The fields a reader does not interpret are filled with recognisable
// non-zero bytes, so that a reader which looks at them shows up.
struct Block {
  std::vector<Vertex> Vertices;
  std::vector<Face> Faces;
  int32_t EdgeRecords = 0; // 8-byte records between the vertices and the faces
  uint32_t Padding = 0;    // bytes after the last face record, counted in the block size
  // Written instead of the true values when set; the records written stay as listed.
  std::optional<int32_t> BlockSize;
  std::optional<int32_t> VertexCount;
  std::optional<int32_t> EdgeCount;
  std::optional<int32_t> FaceCount;
};

struct File {
  int32_t HeaderType = 9;           // 10 adds one byte before the mesh count
  std::optional<int32_t> MeshCount; // the number of blocks unless set
  std::vector<Block> Blocks;
  std::string Trailing; // bytes after the last block
  size_t CutBytes = 0;  // bytes dropped from the end of the finished file
};

inline void PutInt32(std::string& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

inline void PutSingle(std::string& out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutInt32(out, static_cast<int32_t>(bits));
}

inline void PutFiller(std::string& out, size_t count, uint8_t seed) {
  for (size_t i = 0; i < count; ++i)
    out.push_back(static_cast<char>(0xA5 ^ (seed + i * 29)));
}

inline void SetInt32(std::string& bytes, size_t at, int32_t value) {
  std::string field;
  PutInt32(field, value);
  bytes.replace(at, 4, field);
}

// The size of the file header: the offset of the first block.
inline size_t HeaderSize(int32_t headerType) {
  return headerType == 10 ? 37 : 36;
}

// The offset of the mesh count field.
inline size_t MeshCountOffset(int32_t headerType) {
  return HeaderSize(headerType) - 4;
}

inline std::string WriteBlock(const Block& block) {
  std::string body; // everything after the block size field
  PutFiller(body, 8, 1);
  PutInt32(body, block.VertexCount.value_or(static_cast<int32_t>(block.Vertices.size())));
  uint16_t extra = 0x0101; // the 16-bit value of each vertex record, then 2 filler bytes
  for (const Vertex& v : block.Vertices) {
    PutSingle(body, v.X);
    PutSingle(body, v.Y);
    PutSingle(body, v.Z);
    body.push_back(static_cast<char>(extra & 0xFF));
    body.push_back(static_cast<char>(extra++ >> 8));
    PutFiller(body, 2, 2);
  }
  PutInt32(body, block.EdgeCount.value_or(block.EdgeRecords));
  for (int32_t i = 0; i < block.EdgeRecords; ++i)
    PutFiller(body, 8, static_cast<uint8_t>(i));
  PutInt32(body, 0x11223344);
  PutInt32(body, 0x55667788);
  PutInt32(body, block.FaceCount.value_or(static_cast<int32_t>(block.Faces.size())));
  for (const Face& f : block.Faces) {
    PutFiller(body, 12, 3);
    PutFiller(body, 4, 4);
    PutInt32(body, f.A);
    PutInt32(body, f.B);
    PutInt32(body, f.C);
    PutInt32(body, 0x7E7E7E7E);
  }
  PutFiller(body, block.Padding, 5);
  std::string out;
  PutInt32(out, block.BlockSize.value_or(static_cast<int32_t>(body.size())));
  return out + body;
}

inline std::string Write(const File& file) {
  std::string out;
  PutInt32(out, file.HeaderType);
  PutFiller(out, 4, 6);
  for (int32_t i = 1; i <= 6; ++i)
    PutInt32(out, i * 1000 + 7);
  if (file.HeaderType == 10)
    PutFiller(out, 1, 7);
  PutInt32(out, file.MeshCount.value_or(static_cast<int32_t>(file.Blocks.size())));
  for (const Block& block : file.Blocks)
    out += WriteBlock(block);
  out += file.Trailing;
  out.resize(out.size() > file.CutBytes ? out.size() - file.CutBytes : 0);
  return out;
}

inline void WriteTo(const std::filesystem::path& path, const File& file) {
  const std::string bytes = Write(file);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An axis-aligned box from (x0, y0, z0) to (x1, y1, z1): 8 vertices, 12 triangles.
inline Block Box(float x0, float y0, float z0, float x1, float y1, float z1) {
  Block block;
  for (int i = 0; i < 8; ++i)
    block.Vertices.push_back({i & 1 ? x1 : x0, i & 2 ? y1 : y0, i & 4 ? z1 : z0});
  const int32_t quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                               {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  for (const auto& q : quads) {
    block.Faces.push_back({q[0], q[1], q[2]});
    block.Faces.push_back({q[0], q[2], q[3]});
  }
  return block;
}

} // namespace meshfile
