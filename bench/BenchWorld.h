// A large generated world for measuring whole runs: tens of thousands of objects sharing
// a few hundred meshes, deterministic from a seed.
#pragma once

#include "support/MeshFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace benchworld {

namespace fs = std::filesystem;

struct Options {
  uint32_t WorldSize = 8192;
  int Objects = 40000;
  int Meshes = 300;
  double TreeShare = 0.30;
  double MissingShare = 0.03;
  uint64_t Seed = 1;
};

const char* const kTrees[] = {"eu_pine1_m1",        "eu_pine4_m1",       "afri_tree3_m1",
                              "eu_birtch2_m1",      "pacific_palm_2_m1", "jungle_plant3c_m1",
                              "eu_spruce_large_m1", "palmhigh_m1",       "jungle_tree11b_m1"};

// A box whose six sides are cut into a grid of cells, two triangles a cell:
// 4 × (nx·ny + ny·nz + nx·nz) triangles.
inline meshfile::Block GridBox(float sx, float sy, float sz, int nx, int ny, int nz) {
  meshfile::Block block;
  auto side = [&](int nu, int nv, auto point) {
    const auto base = static_cast<int32_t>(block.Vertices.size());
    for (int v = 0; v <= nv; ++v)
      for (int u = 0; u <= nu; ++u)
        block.Vertices.push_back(point(float(u) / nu, float(v) / nv));
    for (int v = 0; v < nv; ++v)
      for (int u = 0; u < nu; ++u) {
        const int32_t a = base + v * (nu + 1) + u, b = a + 1, c = a + nu + 1, d = c + 1;
        block.Faces.push_back({a, b, d});
        block.Faces.push_back({a, d, c});
      }
  };
  const float hx = sx / 2, hz = sz / 2;
  for (float y : {0.0f, sy}) // bottom and top
    side(nx, nz, [&](float u, float v) { return meshfile::Vertex{-hx + u * sx, y, -hz + v * sz}; });
  for (float z : {-hz, hz}) // front and back
    side(nx, ny, [&](float u, float v) { return meshfile::Vertex{-hx + u * sx, v * sy, z}; });
  for (float x : {-hx, hx}) // left and right
    side(nz, ny, [&](float u, float v) { return meshfile::Vertex{x, v * sy, -hz + u * sz}; });
  return block;
}

// Mesh k: a building, a wall or a vehicle, 2 to 60 units across, 12 to 2,000 triangles.
inline meshfile::File MakeMesh(int k, std::mt19937_64& rng) {
  std::uniform_real_distribution<float> unit(0, 1);
  float sx, sy, sz;
  switch (k % 3) {
  case 0: // building
    sx = 8 + 52 * unit(rng), sz = 8 + 40 * unit(rng), sy = 4 + 20 * unit(rng);
    break;
  case 1: // wall
    sx = 10 + 50 * unit(rng), sz = 0.5f + unit(rng), sy = 2 + 3 * unit(rng);
    break;
  default: // vehicle
    sx = 2 + 8 * unit(rng), sz = 2 + 3 * unit(rng), sy = 1.5f + 2 * unit(rng);
  }
  // Triangle budget spread between 12 and 2,000, most meshes small.
  const double t = std::pow(unit(rng), 2.0);
  const int target = 12 + static_cast<int>(t * 1988);
  int n = 1;
  while (4 * 3 * (n + 1) * (n + 1) <= target)
    ++n;
  const int nx = n, ny = std::max(1, n / 2), nz = std::max(1, n * 2 / 3);
  meshfile::File file;
  file.HeaderType = k % 5 == 0 ? 10 : 9;
  file.Blocks.push_back(GridBox(sx, sy, sz, nx, ny, nz));
  return file;
}

inline std::string MeshName(int k) {
  return "bm_" + std::to_string(k) + "_m1";
}

// Writes StaticObjects.con and StandardMesh/ for the options into dir.
inline void WriteBenchWorld(const fs::path& dir, const Options& options) {
  std::mt19937_64 rng(options.Seed);
  fs::create_directories(dir / "StandardMesh");
  for (int k = 0; k < options.Meshes; ++k)
    meshfile::WriteTo(dir / "StandardMesh" / (MeshName(k) + ".sm"), MakeMesh(k, rng));

  std::uniform_real_distribution<double> unit(0, 1);
  // Popularity: mesh k is chosen with weight 1 / (k + 1)^1.1, so a few meshes are used
  // thousands of times and most rarely.
  std::vector<double> weights(options.Meshes);
  for (int k = 0; k < options.Meshes; ++k)
    weights[k] = 1.0 / std::pow(k + 1.0, 1.1);
  std::discrete_distribution<int> pick(weights.begin(), weights.end());

  std::string out = "rem *** Generated benchmark world ***\r\n\r\n";
  char line[200];
  const double size = options.WorldSize;
  for (int i = 0; i < options.Objects; ++i) {
    const double roll = unit(rng);
    std::string name;
    bool tree = false;
    if (roll < options.TreeShare) {
      name = kTrees[static_cast<size_t>(unit(rng) * std::size(kTrees))];
      tree = true;
    } else if (roll < options.TreeShare + options.MissingShare) {
      name = "missing_" + std::to_string(i % 50) + "_m1";
    } else {
      name = MeshName(pick(rng));
    }
    if (i % 1000 == 0)
      out += "rem --- block " + std::to_string(i / 1000) + " ---\r\n";
    out += "Object.create " + name + "\r\n";
    std::snprintf(line, sizeof line, "Object.absolutePosition %.3f/%.3f/%.3f\r\n",
                  -20 + (size + 40) * unit(rng), 10 + 40 * unit(rng),
                  -20 + (size + 40) * unit(rng));
    out += line;
    if (!tree) {
      const bool tilted = unit(rng) < 0.1;
      std::snprintf(line, sizeof line, "Object.rotation %.3f/%.3f/%.3f\r\n", 360 * unit(rng),
                    tilted ? 40 * unit(rng) - 20 : 0.0, tilted ? 40 * unit(rng) - 20 : 0.0);
      out += line;
      const double s = unit(rng) < 0.2 ? 0.5 + 1.5 * unit(rng) : 1.0;
      std::snprintf(line, sizeof line, "Object.geometry.scale %.3f/%.3f/%.3f\r\n", s, s, s);
      out += line;
    }
    out += "\r\n";
  }
  std::ofstream file(dir / "StaticObjects.con", std::ios::binary | std::ios::trunc);
  file.write(out.data(), static_cast<std::streamsize>(out.size()));
}

// Writes into to/StaticObjects.con the benchmark world of from with some of its objects moved
// (by 4 to 40 units along each axis), some removed and some added (copies of others at new
// places), for measuring quarnel-inspect --changes; the meshes stay those of from.
inline void WriteBenchEdit(const fs::path& from, const fs::path& to, int moved, int added,
                           int removed, uint64_t seed) {
  std::ifstream in(from / "StaticObjects.con", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<std::string> blocks;
  for (size_t at = text.find("Object.create"); at != std::string::npos;) {
    const size_t next = text.find("Object.create", at + 1);
    blocks.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> offset(4, 40), place(0, 8000);
  std::uniform_int_distribution<size_t> any(0, blocks.size() - 1);
  char line[160];
  for (int k = 0; k < moved;) {
    std::string& block = blocks[any(rng)];
    const size_t at = block.find("Object.absolutePosition ");
    if (at == std::string::npos)
      continue;
    char* end = nullptr;
    const double x = std::strtod(block.c_str() + at + 24, &end), y = std::strtod(end + 1, &end),
                 z = std::strtod(end + 1, &end);
    std::snprintf(line, sizeof line, "Object.absolutePosition %.3f/%.3f/%.3f\r\n", x + offset(rng), y,
                  z - offset(rng));
    block += line;
    ++k;
  }
  for (int k = 0; k < removed; ++k)
    blocks[any(rng)].clear();
  for (int k = 0; k < added; ++k) {
    const std::string& copy = blocks[any(rng)];
    std::snprintf(line, sizeof line, "Object.absolutePosition %.3f/0/%.3f\r\n", place(rng), place(rng));
    blocks.push_back(copy.substr(0, copy.find('\n') + 1) + line);
  }
  fs::create_directories(to);
  std::ofstream out(to / "StaticObjects.con", std::ios::binary | std::ios::trunc);
  for (const std::string& block : blocks)
    out << block;
}

} // namespace benchworld
