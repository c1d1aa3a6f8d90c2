// The whole run against the step-by-step form of its passes on random worlds: every
// object stamped or outlined with its class's brush, pass by pass, then hole filling.
#include "support/MeshFile.h"
#include "support/StepByStepMaps.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <random>

#ifndef _WIN32

using namespace quarnel;
namespace fs = std::filesystem;

namespace {

// A mesh of random triangles, some of them standing upright, around the mesh origin.
meshfile::Block RandomMesh(std::mt19937_64& rng) {
  std::uniform_real_distribution<float> coordinate(-12, 12);
  std::uniform_int_distribution<int> vertexCount(3, 30);
  meshfile::Block block;
  const int n = vertexCount(rng);
  for (int i = 0; i < n; ++i)
    block.Vertices.push_back({coordinate(rng), coordinate(rng) / 4, coordinate(rng)});
  std::uniform_int_distribution<int32_t> index(0, n - 1);
  std::uniform_int_distribution<int> faceCount(1, 40);
  for (int f = faceCount(rng); f > 0; --f)
    block.Faces.push_back({index(rng), index(rng), index(rng)});
  return block;
}

std::string RandomWorld(const fs::path& dir, uint32_t size, uint64_t seed) {
  std::mt19937_64 rng(seed);
  fs::create_directories(dir / "meshes");
  const int meshCount = 8;
  for (int k = 0; k < meshCount; ++k) {
    meshfile::File file;
    file.Blocks.push_back(k % 3 == 0 ? meshfile::Box(-3, 0, -2, 5, 4, 6) : RandomMesh(rng));
    meshfile::WriteTo(dir / "meshes" / ("m" + std::to_string(k) + ".sm"), file);
  }
  const char* trees[] = {"eu_pine1_m1", "Afri_Tree2_m1", "palmshort_m1"};
  std::uniform_real_distribution<double> place(-30, size + 30), unit(0, 1);
  std::string con;
  char line[160];
  for (int i = 0; i < 150; ++i) {
    const double roll = unit(rng);
    const std::string name = roll < 0.3    ? trees[i % 3]
                             : roll < 0.35 ? "nomesh_m1"
                                           : "m" + std::to_string(i % (meshCount + 1));
    con += "object.create " + name + "\n";
    std::snprintf(line, sizeof line, "object.absoluteposition %.4f/%.4f/%.4f\n", place(rng),
                  unit(rng) * 10, place(rng));
    con += line;
    std::snprintf(line, sizeof line, "object.rotation %.3f/%.3f/%.3f\n", unit(rng) * 360,
                  unit(rng) < 0.2 ? unit(rng) * 60 - 30 : 0.0,
                  unit(rng) < 0.2 ? unit(rng) * 60 - 30 : 0.0);
    con += line;
    const double s = unit(rng) < 0.3 ? 0.3 + unit(rng) * 2 : 1;
    std::snprintf(line, sizeof line, "object.geometry.scale %.3f/%.3f/%.3f\n", s, s, s);
    con += line;
  }
  testutil::WriteFile(dir / "objects.con", con);
  return con;
}

class RunOracle : public testing::TestWithParam<uint32_t> {};

TEST_P(RunOracle, WritesTheSameMapsAsTheStepByStepPasses) {
  const uint32_t size = GetParam();
  for (uint64_t seed = 1; seed <= 4; ++seed) {
    testutil::TempDir dir;
    RandomWorld(dir.Path, size, seed * 1000 + size);
    fs::create_directory(dir / "expected");
    stepbystep::WriteMaps(dir / "objects.con", dir / "meshes", size, dir / "expected");
    const auto result =
        testutil::RunTool({"objects.con", "meshes", std::to_string(size)}, dir.Path);
    ASSERT_EQ(result.Status, 0) << result.Output;
    for (const char* name : {"Infantry1Level0Map.raw", "Tank0Level0Map.raw", "Car4Level0Map.raw"}) {
      const std::string expected = testutil::ReadFile(dir / "expected" / name);
      ASSERT_GT(expected.size(), 32u + 4 * (size / 64) * (size / 64)) << "no mixed segment";
      EXPECT_EQ(testutil::ReadFile(dir / name), expected) << name << ", seed " << seed;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(WorldSizes, RunOracle, testing::Values(128u, 192u, 256u));

} // namespace

#endif
