// quarnel-inspect --why on the generated benchmark world of 8192 cells and 40,000 objects: one
// answer with the loading of the objects and meshes, and the answer alone.
#include "BenchWorld.h"
#include "analysis/Cell.h"
#include "explain/WhyCell.h"
#include "mesh/WorldObjects.h"
#include "raster/Footprints.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

using namespace quarnel;

namespace {

constexpr uint32_t kSize = 8192;

// The world as build/bench/make_bench_world DIR 8192 1 writes it, made once in the temp folder.
const std::filesystem::path& World() {
  static const std::filesystem::path dir = [] {
    const auto path = std::filesystem::temp_directory_path() / "quarnel-bench-why-8192";
    if (!std::filesystem::exists(path / "StaticObjects.con"))
      benchworld::WriteBenchWorld(path, benchworld::Options{.WorldSize = kSize});
    return path;
  }();
  return dir;
}

void Load(TStaticObjectLL& objects) {
  LoadWorldObjects((World() / "StaticObjects.con").string(), (World() / "StandardMesh/").string(),
                   objects);
}

// The cell at the position of the first building placed in the middle of the world, which its
// outline covers in the car map: an answer that places and walks meshes.
TCell BusyCell(const TStaticObjectLL& objects) {
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    if (!IsTreeMesh(node.Name) && node.HasMesh && std::fabs(node.Position.X - kSize / 2) < 500 &&
        std::fabs(node.Position.Z - kSize / 2) < 500)
      return {static_cast<uint32_t>(node.Position.Z), static_cast<uint32_t>(node.Position.X)};
  }
  return {kSize / 2, kSize / 2};
}

void BM_WhyLoadAndExplainOneCell(benchmark::State& state) {
  World();
  for (auto _ : state) {
    TStaticObjectLL objects;
    Load(objects);
    const TCell cell = BusyCell(objects);
    benchmark::DoNotOptimize(ExplainCell(objects, kSize, cell.Row, cell.Column));
  }
}
BENCHMARK(BM_WhyLoadAndExplainOneCell)->Unit(benchmark::kMillisecond);

void BM_WhyExplainOneCell(benchmark::State& state) {
  TStaticObjectLL objects;
  Load(objects);
  const TCell cell = BusyCell(objects);
  for (auto _ : state)
    benchmark::DoNotOptimize(ExplainCell(objects, kSize, cell.Row, cell.Column));
}
BENCHMARK(BM_WhyExplainOneCell)->Unit(benchmark::kMillisecond);

} // namespace
