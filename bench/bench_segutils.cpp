// Hole filling and map writing on an 8192 map with about 30% of its cells blocked.
#include "segutils/SegUtils.h"
#include "support/PlainForms.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

using namespace quarnel;
using testutil::FillHolesPerCell;

namespace {

constexpr uint32_t kSize = 8192;

void FillRandom(TPathmap& map, double share, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::bernoulli_distribution blocked(share);
  for (uint32_t r = 0; r < map.Size(); ++r)
    for (uint32_t c = 0; c < map.Size(); ++c)
      if (blocked(rng))
        map.Block(r, c);
}

TPathmap& RandomMap() {
  static TPathmap map;
  if (map.Size() == 0) {
    map.SetSize(kSize);
    FillRandom(map, 0.3, 1);
  }
  return map;
}

// Fills the holes of a fresh copy of the random map in every iteration.
void FillHolesOfRandomMap(benchmark::State& state, void (*fill)(TPathmap&)) {
  TPathmap& source = RandomMap();
  TPathmap map;
  map.SetSize(kSize);
  for (auto _ : state) {
    state.PauseTiming();
    for (uint32_t r = 0; r < kSize; ++r)
      for (int32_t j = 0; j < map.SegmentCount(); ++j)
        map.Row(r)[j] = source.Row(r)[j];
    state.ResumeTiming();
    fill(map);
    benchmark::DoNotOptimize(map.Row(0)[0]);
  }
  state.counters["cells/s"] =
      benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FillHolesWords(benchmark::State& state) {
  FillHolesOfRandomMap(state, FillHoles);
}
BENCHMARK(BM_FillHolesWords)->Unit(benchmark::kMillisecond);

void BM_FillHolesPerCell(benchmark::State& state) {
  FillHolesOfRandomMap(state, FillHolesPerCell);
}
BENCHMARK(BM_FillHolesPerCell)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SaveToFile(benchmark::State& state) {
  TPathmap& map = RandomMap();
  const std::string name =
      (std::filesystem::temp_directory_path() / "quarnel-bench-map.raw").string();
  for (auto _ : state)
    map.SaveToFile(name);
  const auto bytes = std::filesystem::file_size(name);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  std::remove(name.c_str());
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond);

} // namespace
