// The standard meshes of the sample world that ships with the project; its object file,
// sample/StaticObjects.con, is text and edited as such.
#pragma once

#include "support/MeshFile.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace sampleworld {

namespace fs = std::filesystem;

// Appends the vertices and faces of b to a, as one mesh.
inline void Merge(meshfile::Block& a, const meshfile::Block& b) {
  const auto base = static_cast<int32_t>(a.Vertices.size());
  a.Vertices.insert(a.Vertices.end(), b.Vertices.begin(), b.Vertices.end());
  for (const auto& f : b.Faces)
    a.Faces.push_back({f.A + base, f.B + base, f.C + base});
}

// The point i of n (6 or 8) evenly spaced on the unit circle. Written out rather than
// computed with the system's sine, so that every platform writes the same mesh bytes.
inline std::pair<double, double> CirclePoint(int i, int n) {
  static const double hexagon[6][2] = {
      {1, 0},  {0.5, 0.8660254037844386},   {-0.5, 0.8660254037844386},
      {-1, 0}, {-0.5, -0.8660254037844386}, {0.5, -0.8660254037844386}};
  static const double octagon[8][2] = {{1, 0},  {0.7071067811865476, 0.7071067811865476},
                                       {0, 1},  {-0.7071067811865476, 0.7071067811865476},
                                       {-1, 0}, {-0.7071067811865476, -0.7071067811865476},
                                       {0, -1}, {0.7071067811865476, -0.7071067811865476}};
  const double* p = n == 6 ? hexagon[i % 6] : octagon[i % 8];
  return {p[0], p[1]};
}

// A closed prism of n sides (6 or 8) around the Y axis, from height 0 to height, with a
// pointed top when apex is set (a cone).
inline meshfile::Block Prism(int n, float radius, float height, bool apex) {
  meshfile::Block block;
  for (int i = 0; i < n; ++i) {
    const auto [cx, cz] = CirclePoint(i, n);
    const auto x = static_cast<float>(radius * cx);
    const auto z = static_cast<float>(radius * cz);
    block.Vertices.push_back({x, 0, z});
    if (!apex)
      block.Vertices.push_back({x, height, z});
  }
  if (apex) {
    block.Vertices.push_back({0, height, 0});
    for (int i = 0; i < n; ++i)
      block.Faces.push_back({i, (i + 1) % n, n});
    return block;
  }
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    block.Faces.push_back({2 * i, 2 * j, 2 * j + 1});
    block.Faces.push_back({2 * i, 2 * j + 1, 2 * i + 1});
  }
  return block;
}

// A tent: a triangular prism lying along X.
inline meshfile::Block Tent(float length, float width, float height) {
  meshfile::Block block;
  for (float x : {-length / 2, length / 2}) {
    block.Vertices.push_back({x, 0, -width / 2});
    block.Vertices.push_back({x, 0, width / 2});
    block.Vertices.push_back({x, height, 0});
  }
  block.Faces = {{0, 1, 2}, {3, 5, 4}, {0, 3, 4}, {0, 4, 1},
                 {1, 4, 5}, {1, 5, 2}, {0, 2, 5}, {0, 5, 3}};
  return block;
}

struct SampleMesh {
  std::string FileName;
  meshfile::File File;
};

inline std::vector<SampleMesh> SampleMeshes() {
  using meshfile::Box;
  std::vector<SampleMesh> meshes;
  auto add = [&](const std::string& name, std::vector<meshfile::Block> blocks, int32_t type = 9) {
    meshfile::File file;
    file.HeaderType = type;
    file.Blocks = std::move(blocks);
    meshes.push_back({name, file});
  };
  add("House_m1.sm", {Box(-8, 0, -5, 8, 6, 5)});
  meshfile::Block barn = Box(-10, 0, -4, 10, 7, 4);
  Merge(barn, Box(-10, 0, 4, -2, 7, 14));
  add("Barn_m1.sm", {barn});
  add("Tower_m1.sm", {Prism(6, 6, 20, false)});
  add("Wall_m1.sm", {Box(-15, 0, -0.5f, 15, 3, 0.5f)});
  add("Tent_m1.sm", {Tent(6, 4, 2.5f)});
  // A coarse first block and the collision block after it: the last block counts.
  add("Bunker_M1.sm", {Box(-1, 0, -1, 1, 1, 1), Box(-5, 0, -5, 5, 3, 5)});
  add("AmmoBox_m1.sm", {Box(-0.6f, 0, -0.4f, 0.6f, 0.6f, 0.4f)});
  add("MedicLocker_m1.sm", {Box(-0.5f, 0, -0.25f, 0.5f, 2, 0.25f)}, 10);
  add("eu_pine1_m1.sm", {Prism(8, 2, 12, true)});
  return meshes;
}

// Writes the meshes into dir/StandardMesh.
inline void WriteSampleMeshes(const fs::path& dir) {
  fs::create_directories(dir / "StandardMesh");
  for (const auto& mesh : SampleMeshes())
    meshfile::WriteTo(dir / "StandardMesh" / mesh.FileName, mesh.File);
}

} // namespace sampleworld
