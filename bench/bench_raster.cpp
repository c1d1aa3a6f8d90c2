// Mesh outlines with the car brush: plain per-cell brushes against the word-mask brushes.
#include "raster/Footprints.h"
#include "raster/Outline.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

using namespace quarnel;

namespace {

constexpr uint32_t kSize = 4096;
constexpr int kTriangles = 100000;

// The car shape one cell at a time through Block.
bool PlainBrushCar(int64_t x, int64_t y, void* context) {
  TPathmap& map = **static_cast<TPathmap**>(context);
  const TShape& car = kCarShape;
  for (int64_t dr = -car.Reach; dr <= car.Reach; ++dr)
    for (int64_t dc = -car.Reach; dc <= car.Reach; ++dc)
      if (ShapeCovers(car, dr, dc))
        map.Block(static_cast<uint32_t>(y + dr), static_cast<uint32_t>(x + dc));
  return true;
}

// 100,000 random triangles with sides of up to about 40 units, spread over the map and a
// little beyond its edges, in one mesh.
const TStaticObjectMeshNode& RandomTriangles(double offset) {
  static std::vector<std::unique_ptr<TStaticObjectMeshNode>> nodes;
  for (const auto& n : nodes)
    if (n->Position.X == offset)
      return *n;
  auto mesh = std::make_shared<TCollisionMesh>();
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> centre(-32, kSize + 32), corner(-20, 20), height(0, 10);
  for (int t = 0; t < kTriangles; ++t) {
    const double cx = centre(rng), cz = centre(rng);
    for (int i = 0; i < 3; ++i)
      mesh->Vertices.push_back({cx + corner(rng), height(rng), cz + corner(rng), 1});
    mesh->Faces.push_back({3 * t, 3 * t + 1, 3 * t + 2});
  }
  auto node = std::make_unique<TStaticObjectMeshNode>();
  node->Position = {offset, 0, 0};
  node->Scale = {1, 1, 1};
  node->Mesh = mesh;
  node->HasMesh = true;
  nodes.push_back(std::move(node));
  return *nodes.back();
}

void RunOutline(benchmark::State& state, CellVisitor brush, double offset) {
  const TStaticObjectMeshNode& node = RandomTriangles(offset);
  TPathmap map;
  map.SetSize(kSize);
  for (auto _ : state) {
    state.PauseTiming();
    map.Clear();
    state.ResumeTiming();
    PathMeshOutline(map, node, brush);
    benchmark::DoNotOptimize(map.Row(0)[0]);
  }
  state.counters["triangles/s"] =
      benchmark::Counter(kTriangles, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_OutlineCarPlainBrush(benchmark::State& state) {
  RunOutline(state, PlainBrushCar, 0);
}
BENCHMARK(BM_OutlineCarPlainBrush)->Unit(benchmark::kMillisecond);

void BM_OutlineCarMaskBrush(benchmark::State& state) {
  RunOutline(state, BrushCar, 0);
}
BENCHMARK(BM_OutlineCarMaskBrush)->Unit(benchmark::kMillisecond);

// The same mesh a billion units outside the world: only the placement remains.
void BM_OutlineCarFarOutside(benchmark::State& state) {
  RunOutline(state, BrushCar, 1e9);
}
BENCHMARK(BM_OutlineCarFarOutside)->Unit(benchmark::kMillisecond);

} // namespace
