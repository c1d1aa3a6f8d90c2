// Random worlds of boxes, random meshes, trees and objects without a mesh, some of them
// tilted, scaled or beyond the edges, written as an object file and a mesh folder.
#pragma once

#include "support/MeshFile.h"
#include "support/TestUtil.h"

#include <cstdio>
#include <random>
#include <string>

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

} // namespace testutil
