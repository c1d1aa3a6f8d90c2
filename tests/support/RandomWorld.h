// Random worlds of boxes, random meshes, trees and objects without a mesh, some of them
// tilted, scaled or beyond the edges, written as an object file and a mesh folder.
#pragma once

#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace testutil {

// Writes objects.con and meshes/ (m0.sm to m7.sm) into dir.
inline void WriteRandomWorld(const fs::path& dir, uint32_t size, uint64_t seed, int objects) {
  std::mt19937_64 rng(seed);
  fs::create_directories(dir / "meshes");
  for (int k = 0; k < 8; ++k) {
    meshfile::File file;
    file.Blocks.push_back(meshfile::Box(-3, 0, -2, 5, 4, 6));
    if (k % 3 != 0) { // random triangles, some of them upright, around the mesh origin
      std::uniform_real_distribution<float> at(-12, 12);
      std::uniform_int_distribution<int32_t> index(0, 7);
      for (auto& v : file.Blocks[0].Vertices)
        v = {at(rng), at(rng) / 4, at(rng)};
      for (auto& f : file.Blocks[0].Faces)
        f = {index(rng), index(rng), index(rng)};
    }
    meshfile::WriteTo(dir / "meshes" / ("m" + std::to_string(k) + ".sm"), file);
  }
  const char* trees[] = {"eu_pine1_m1", "Afri_Tree2_m1", "palmshort_m1"};
  std::uniform_real_distribution<double> place(-30, size + 30), unit(0, 1);
  std::string con;
  char line[200];
  for (int i = 0; i < objects; ++i) {
    const double roll = unit(rng);
    const std::string name = roll < 0.3    ? trees[i % 3]
                             : roll < 0.35 ? "nomesh_m1"
                                           : "m" + std::to_string(i % 9); // m8 has no file
    const double s = unit(rng) < 0.3 ? 0.3 + unit(rng) * 2 : 1;
    std::snprintf(line, sizeof line,
                  "object.create %s\nobject.absoluteposition %.4f/%.4f/%.4f\n"
                  "object.rotation %.3f/%.3f/%.3f\nobject.geometry.scale %.3f/%.3f/%.3f\n",
                  name.c_str(), place(rng), unit(rng) * 10, place(rng), unit(rng) * 360,
                  unit(rng) < 0.2 ? unit(rng) * 60 - 30 : 0.0,
                  unit(rng) < 0.2 ? unit(rng) * 60 - 30 : 0.0, s, s, s);
    con += line;
  }
  WriteFile(dir / "objects.con", con);
}

// Writes into to an edited copy of the world in from (WriteRandomWorld): objects moved, turned,
// rescaled, removed and added at random, the objects in another order when reorder is true, and
// with meshEdit the mesh m3.sm drawn anew in to/meshes (a copy of from/meshes). With no edit
// asked for (edits 0) and reorder, only the order changes.
inline void WriteEditedWorld(const fs::path& from, const fs::path& to, uint64_t seed, double edits,
                             bool reorder, bool meshEdit) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  fs::create_directories(to);
  fs::copy(from / "meshes", to / "meshes", fs::copy_options::recursive);
  if (meshEdit) {
    meshfile::File file;
    file.Blocks.push_back(meshfile::Box(-6, 0, -1, 9, 4, 3));
    meshfile::WriteTo(to / "meshes" / "m3.sm", file);
  }
  // The object blocks, each from its "object.create" line on.
  const std::string text = ReadFile(from / "objects.con");
  std::vector<std::string> blocks;
  for (size_t at = 0; at < text.size();) {
    const size_t next = text.find("object.create", at + 1);
    blocks.push_back(text.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next == std::string::npos ? text.size() : next;
  }
  char line[120];
  const auto placement = [&](const char* command, double a, double b, double c) {
    std::snprintf(line, sizeof line, "%s %.4f/%.4f/%.4f\n", command, a, b, c);
    return std::string(line);
  };
  std::vector<std::string> edited;
  for (const std::string& block : blocks) {
    const double roll = unit(rng);
    if (roll >= edits) {
      edited.push_back(block);
      continue;
    }
    const std::string create = block.substr(0, block.find('\n') + 1);
    if (roll < edits * 0.15)
      continue; // removed
    std::string changed = block;
    if (roll < edits * 0.5)
      changed += placement("object.absoluteposition", unit(rng) * 140 - 6, 0, unit(rng) * 140 - 6);
    else if (roll < edits * 0.7)
      changed += placement("object.rotation", unit(rng) * 360, 0, 0);
    else if (roll < edits * 0.85)
      changed += placement("object.geometry.scale", 0.5 + unit(rng), 1, 0.5 + unit(rng));
    else // added: another object of the same mesh
      edited.push_back(create +
                       placement("object.absoluteposition", unit(rng) * 128, 0, unit(rng) * 128));
    edited.push_back(changed);
  }
  if (reorder)
    std::shuffle(edited.begin(), edited.end(), rng);
  std::string con;
  for (const std::string& block : edited)
    con += block;
  WriteFile(to / "objects.con", con);
}

} // namespace testutil
