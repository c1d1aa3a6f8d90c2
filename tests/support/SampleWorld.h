// The sample world that ships with the project: an object file and its standard meshes.
#pragma once

#include "support/MeshFile.h"

#include <cstdio>
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

inline std::string SampleObjects() {
  std::string out;
  auto line = [&](const std::string& text) { out += text + "\r\n"; };
  char buffer[160];
  auto object = [&](const char* name, double x, double y, double z, double r1 = 0, double r2 = 0,
                    double r3 = 0, double s = 1) {
    line(std::string("Object.create ") + name);
    std::snprintf(buffer, sizeof buffer, "Object.absolutePosition %g/%g/%g", x, y, z);
    line(buffer);
    if (r1 != 0 || r2 != 0 || r3 != 0) {
      std::snprintf(buffer, sizeof buffer, "Object.rotation %g/%g/%g", r1, r2, r3);
      line(buffer);
    }
    if (s != 1) {
      std::snprintf(buffer, sizeof buffer, "Object.geometry.scale %g/%g/%g", s, s, s);
      line(buffer);
    }
    line("");
  };
  line("rem *** Sample world: a village, a walled compound and a wood ***");
  line("");
  line("rem --- village ---");
  object("House_m1", 120.5, 20, 96.25);
  object("House_m1", 150, 20, 110, 30);
  object("House_m1", 95, 21, 140.5, 45);
  object("House_m1", 140, 20, 160, 90, 0, 0, 1.5);
  object("House_m1", 180.75, 19, 132, 135);
  object("Barn_m1", 220, 18, 90, 15);
  object("Barn_m1", 230, 18, 150, -60, 0, 0, 0.8);
  object("Tower_m1", 60, 30, 60);
  object("Tower_m1", 300, 25, 420, 10, 20, 0);
  object("Tent_m1", 330, 10, 200, 0, 0, 0, 1.2);
  object("Tent_m1", 345, 10, 212, 70);
  object("Tent_m1", 332, 10, 228, 160, 0, 15);
  line("rem --- walled compound, the east wall leaning ---");
  object("Wall_m1", 400, 5, 300);
  object("Wall_m1", 400, 5, 340);
  object("Wall_m1", 385, 5, 320, 90);
  object("Wall_m1", 415, 5, 320, 90, 0, 60);
  object("bunker_m1", 400, 5, 320);
  object("BUNKER_M1", 440, 5, 360, 45, 0, 0, 2);
  object("AmmoBox", 396, 5, 312);
  object("ammobox", 397.5, 5, 312, 90);
  object("mediclocker", 404, 5, 328, 180);
  line("rem --- objects at the edges of the world ---");
  object("Wall_m1", 8, 3, 250, 90);
  object("House_m1", 508, 4, 30, 20);
  object("Wall_m1", 256, 3, 3);
  line("rem --- objects without a collision mesh ---");
  object("Billboard_m1", 200, 25, 200);
  object("Crate_m1", 210, 25, 205, 10);
  line("rem --- the wood ---");
  const char* trees[] = {"eu_pine1_m1",       "EU_Pine3_m1",       "afri_tree2_m1", "eu_birtch1_m1",
                         "pacific_palm_1_m1", "jungle_plant4b_m1", "eu_spruce2_m1", "palmshort_m1"};
  for (int i = 0; i < 16; ++i) {
    const double x = 40 + 23.37 * i - 7 * (i % 3);
    const double z = 260 + 11.9 * ((i * 7) % 9) + 0.25 * (i % 4);
    object(trees[i % 8], x, 12, z, i * 20.0);
  }
  object("eu_pine2_m1", 0.5, 10, 511.8);
  return out;
}

// Writes StaticObjects.con and StandardMesh/ into dir.
inline void WriteSampleWorld(const fs::path& dir) {
  fs::create_directories(dir / "StandardMesh");
  for (const auto& mesh : SampleMeshes())
    meshfile::WriteTo(dir / "StandardMesh" / mesh.FileName, mesh.File);
  const std::string objects = SampleObjects();
  std::ofstream out(dir / "StaticObjects.con", std::ios::binary | std::ios::trunc);
  out.write(objects.data(), static_cast<std::streamsize>(objects.size()));
}

} // namespace sampleworld
