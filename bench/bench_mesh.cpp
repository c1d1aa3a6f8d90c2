// Loading 300 generated standard mesh files of 12 to 2,000 triangles, from disk and from memory.
#include "mesh/CollisionMesh.h"
#include "support/MeshFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace quarnel;

namespace {

constexpr int kMeshCount = 300;

// The generated files, in a folder removed when the program ends.
struct MeshSet {
  MeshSet();
  ~MeshSet() {
    std::error_code ec;
    std::filesystem::remove_all(Dir, ec);
  }
  std::filesystem::path Dir;
  std::vector<std::string> Paths;
  std::vector<std::string> Contents;
  int64_t TotalBytes = 0;
};

// A mesh of the given number of triangles over about half as many vertices, with edge
// records as a real mesh has them; every third file has a coarser block before it.
meshfile::Block RandomMesh(std::mt19937& rng, int triangles) {
  std::uniform_real_distribution<float> coord(-50, 50);
  meshfile::Block block;
  const int vertices = triangles / 2 + 2;
  for (int i = 0; i < vertices; ++i)
    block.Vertices.push_back({coord(rng), coord(rng), coord(rng)});
  std::uniform_int_distribution<int32_t> index(0, vertices - 1);
  for (int i = 0; i < triangles; ++i)
    block.Faces.push_back({index(rng), index(rng), index(rng)});
  block.EdgeRecords = triangles * 3 / 2;
  block.Padding = 16;
  return block;
}

MeshSet::MeshSet() {
  std::mt19937 rng(4242);
  Dir = std::filesystem::temp_directory_path() / ("quarnel-bench-mesh-" + std::to_string(rng()));
  std::filesystem::create_directories(Dir);
  std::uniform_int_distribution<int> triangles(12, 2000);
  for (int i = 0; i < kMeshCount; ++i) {
    meshfile::File file;
    file.HeaderType = i % 2 ? 10 : 9;
    const int kept = triangles(rng);
    if (i % 3 == 0)
      file.Blocks.push_back(RandomMesh(rng, std::max(12, kept / 4)));
    file.Blocks.push_back(RandomMesh(rng, kept));
    Paths.push_back((Dir / ("mesh_" + std::to_string(i) + ".sm")).string());
    Contents.push_back(meshfile::Write(file));
    meshfile::WriteTo(Paths.back(), file);
    TotalBytes += static_cast<int64_t>(Contents.back().size());
  }
}

const MeshSet& Meshes() {
  static const MeshSet set;
  return set;
}

void BM_LoadMeshFiles(benchmark::State& state) {
  const MeshSet& set = Meshes();
  for (auto _ : state) {
    TMeshCache cache;
    for (const std::string& path : set.Paths) {
      TStaticObjectMeshNode node;
      cache.LoadCollisionMesh(path, node);
      benchmark::DoNotOptimize(node.Mesh.get());
    }
  }
  state.SetBytesProcessed(state.iterations() * set.TotalBytes);
  state.counters["files"] = kMeshCount;
  state.counters["MiB"] = static_cast<double>(set.TotalBytes) / (1 << 20);
}
BENCHMARK(BM_LoadMeshFiles)->Unit(benchmark::kMillisecond);

void BM_ParseMeshesInMemory(benchmark::State& state) {
  const MeshSet& set = Meshes();
  for (auto _ : state) {
    for (const std::string& bytes : set.Contents) {
      auto mesh = ParseCollisionMesh(
          std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
          "mem.sm");
      benchmark::DoNotOptimize(mesh.get());
    }
  }
  state.SetBytesProcessed(state.iterations() * set.TotalBytes);
}
BENCHMARK(BM_ParseMeshesInMemory)->Unit(benchmark::kMillisecond);

} // namespace
