// Whole runs and mesh reads on hostile input: far and huge placements, a million objects and
// a tiny mesh file whose block leads back to itself with the largest mesh count.
#include "driver/GenerateMaps.h"
#include "mesh/CollisionMesh.h"
#include "support/MeshFile.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

using namespace quarnel;
namespace fs = std::filesystem;

namespace {

// A folder of its own for one world, removed when the object goes; runs are made in it.
class WorldDir {
public:
  explicit WorldDir(const std::string& name)
      : Path(fs::temp_directory_path() / ("quarnel-bench-" + name)) {
    fs::remove_all(Path);
    fs::create_directories(Path / "meshes");
  }
  ~WorldDir() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  WorldDir(const WorldDir&) = delete;
  WorldDir& operator=(const WorldDir&) = delete;

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path / name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // Runs GenerateMaps in the folder; false when the run fails.
  bool Run(uint32_t worldSize) const {
    const fs::path previous = fs::current_path();
    fs::current_path(Path);
    std::ostringstream console;
    bool ok = true;
    try {
      GenerateMaps("objects.con", "meshes/", worldSize, console);
    } catch (const std::exception&) {
      ok = false;
    }
    fs::current_path(previous);
    return ok;
  }

  fs::path Path;
};

std::string MeshFileOf(const meshfile::Block& block) {
  meshfile::File file;
  file.Blocks.push_back(block);
  return meshfile::Write(file);
}

// A tetrahedron a billion units across: six edges, each crossing about a billion cells.
meshfile::Block BillionUnitMesh() {
  meshfile::Block block;
  block.Vertices = {{-5e8f, 0, -5e8f}, {5e8f, 0, -4e8f}, {-3e8f, 0, 5e8f}, {1e8f, 2e3f, 1e8f}};
  block.Faces = {{0, 1, 2}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
  return block;
}

// One object with the billion-unit mesh, at 10^15 in both directions (state.range(0) 1) or in
// the middle of the world, its edges crossing the whole map (0).
void BM_BillionUnitMeshRun(benchmark::State& state) {
  constexpr uint32_t kWorld = 4096;
  const bool far = state.range(0) == 1;
  WorldDir dir(far ? "far" : "across");
  dir.Write("meshes/huge.sm", MeshFileOf(BillionUnitMesh()));
  dir.Write("objects.con", std::string("object.create huge\r\nobject.absoluteposition ") +
                               (far ? "1000000000000000/0/1000000000000000" : "2048/0/2048") +
                               "\r\n");
  for (auto _ : state)
    if (!dir.Run(kWorld))
      state.SkipWithError("the run failed");
  state.SetLabel(far ? "object at 1e15" : "edges across the map");
}
BENCHMARK(BM_BillionUnitMeshRun)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// 10^6 objects of a one-triangle mesh half a unit across, spread over a world of 4096, and
// the same number of trees.
void BM_MillionTinyObjectsRun(benchmark::State& state) {
  constexpr uint32_t kWorld = 4096;
  constexpr int kObjects = 1000000;
  const bool trees = state.range(0) == 1;
  WorldDir dir(trees ? "million-trees" : "million-tiny");
  meshfile::Block tiny;
  tiny.Vertices = {{0, 0, 0}, {0.5f, 0, 0}, {0, 0, 0.5f}};
  tiny.Faces = {{0, 1, 2}};
  dir.Write("meshes/tiny.sm", MeshFileOf(tiny));
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> cell(0, kWorld - 1);
  std::string objects;
  objects.reserve(static_cast<size_t>(kObjects) * 56);
  const std::string create = trees ? "object.create eu_pine1_m1\r\n" : "object.create tiny\r\n";
  for (int i = 0; i < kObjects; ++i)
    objects += create + "object.absoluteposition " + std::to_string(cell(rng)) + ".25/0/" +
               std::to_string(cell(rng)) + ".75\r\n";
  dir.Write("objects.con", objects);
  for (auto _ : state)
    if (!dir.Run(kWorld))
      state.SkipWithError("the run failed");
  state.counters["objects"] = kObjects;
  state.counters["MiB"] = static_cast<double>(objects.size()) / (1 << 20);
  state.SetLabel(trees ? "trees" : "tiny meshes");
}
BENCHMARK(BM_MillionTinyObjectsRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A mesh file of a few dozen bytes: a mesh count of 2^31 - 1 and one block whose size leads
// back to its own start (state.range(0) 1), or a circle of seven blocks after a tail of three,
// so that the walk passes over 2^31 - 2 blocks before it keeps one.
void BM_CircularMeshFileMaxCount(benchmark::State& state) {
  const int circle = static_cast<int>(state.range(0));
  const int tail = circle == 1 ? 0 : 3;
  meshfile::File file;
  file.MeshCount = INT_MAX;
  for (int i = 0; i < tail + circle; ++i)
    file.Blocks.push_back(meshfile::Block{});
  // Every empty block is 32 bytes; the last one leads back to the first of the circle.
  file.Blocks.back().BlockSize = 28 - 32 * circle;
  const std::string bytes = meshfile::Write(file);
  const std::span<const uint8_t> span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (auto _ : state) {
    auto mesh = ParseCollisionMesh(span, "circle.sm");
    if (!mesh)
      state.SkipWithError("no mesh");
    benchmark::DoNotOptimize(mesh.get());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_CircularMeshFileMaxCount)->Arg(1)->Arg(7)->Unit(benchmark::kMicrosecond);

} // namespace
