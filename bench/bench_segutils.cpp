// Hole filling and map writing on an 8192 map with about 30% of its cells blocked.
#include "segutils/SegUtils.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>

using namespace quarnel;

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

// The cell-by-cell form of hole filling, as the reference to beat.
void FillHolesPerCell(TPathmap& map) {
  const uint32_t n = map.Size();
  for (uint32_t r = 0; r < n; ++r)
    for (uint32_t c = 0; c < n; ++c) {
      if (map.IsBlocked(r, c))
        continue;
      const bool left = c == 0 || map.IsBlocked(r, c - 1);
      const bool right = c == n - 1 || map.IsBlocked(r, c + 1);
      const bool up = r == 0 || map.IsBlocked(r - 1, c);
      const bool down = r == n - 1 || map.IsBlocked(r + 1, c);
      if (left && right && up && down)
        map.Block(r, c);
    }
}

TPathmap& RandomMap() {
  static TPathmap map;
  if (map.Size() == 0) {
    map.SetSize(kSize);
    FillRandom(map, 0.3, 1);
  }
  return map;
}

void BM_FillHolesWords(benchmark::State& state) {
  TPathmap& source = RandomMap();
  TPathmap map;
  map.SetSize(kSize);
  const size_t words = static_cast<size_t>(kSize) * map.SegmentCount();
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(source.Row(0), source.Row(0) + words, map.Row(0));
    state.ResumeTiming();
    FillHoles(map);
    benchmark::DoNotOptimize(map.Row(0)[0]);
  }
  state.counters["cells/s"] =
      benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FillHolesWords)->Unit(benchmark::kMillisecond);

void BM_FillHolesPerCell(benchmark::State& state) {
  TPathmap& source = RandomMap();
  TPathmap map;
  map.SetSize(kSize);
  const size_t words = static_cast<size_t>(kSize) * map.SegmentCount();
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(source.Row(0), source.Row(0) + words, map.Row(0));
    state.ResumeTiming();
    FillHolesPerCell(map);
    benchmark::DoNotOptimize(map.Row(0)[0]);
  }
  state.counters["cells/s"] =
      benchmark::Counter(double(kSize) * kSize, benchmark::Counter::kIsIterationInvariantRate);
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
