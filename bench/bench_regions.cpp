// Regions and paths on the maps of the generated benchmark world (40,000 objects): the three
// maps of the 8192 world, and of the same objects in a 65536 world, labelled; a path from
// corner to corner of the 8192 infantry map.
#include "BenchWorld.h"
#include "analysis/PathSearch.h"
#include "analysis/Regions.h"
#include "driver/GenerateMaps.h"
#include "segutils/MapFileReader.h"

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>
#include <sstream>

using namespace quarnel;

namespace {

namespace fs = std::filesystem;

const char* const kMaps[] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw", "Car4Level0Map.raw"};

// The world as build/bench/make_bench_world DIR 8192 1 writes it and the maps quarnel makes
// of it at the given size, made once in the temp folder.
const fs::path& Maps(uint32_t size) {
  static const fs::path world = [] {
    const auto path = fs::temp_directory_path() / "quarnel-bench-regions";
    if (!fs::exists(path / "StaticObjects.con"))
      benchworld::WriteBenchWorld(path, benchworld::Options{.WorldSize = 8192});
    return path;
  }();
  static std::map<uint32_t, fs::path> made;
  if (made.count(size) == 0) {
    const fs::path dir = world / std::to_string(size);
    if (!fs::exists(dir / kMaps[2])) {
      fs::create_directories(dir);
      const fs::path was = fs::current_path();
      fs::current_path(dir);
      std::ostringstream console;
      GenerateMaps((world / "StaticObjects.con").string(), (world / "StandardMesh/").string(), size,
                   console);
      fs::current_path(was);
    }
    made[size] = dir;
  }
  return made[size];
}

void LabelThreeMaps(benchmark::State& state) {
  const auto size = static_cast<uint32_t>(state.range(0));
  const bool diagonal = state.range(1) != 0;
  std::array<TPathmap, 3> maps;
  for (size_t k = 0; k < 3; ++k)
    LoadMapFile((Maps(size) / kMaps[k]).string(), maps[k]);
  for (auto _ : state)
    for (const TPathmap& map : maps)
      benchmark::DoNotOptimize(LabelRegions(map, diagonal).Regions.size());
}
BENCHMARK(LabelThreeMaps)
    ->ArgsProduct({{8192, 65536}, {0, 1}})
    ->ArgNames({"size", "diagonal"})
    ->Unit(benchmark::kMillisecond);

// The first free cell from a corner of the map along its diagonal.
TCell FreeNear(const TPathmap& map, bool fromTop) {
  for (uint32_t k = 0;; ++k) {
    const uint32_t at = fromTop ? map.Size() - 1 - k : k;
    if (!map.IsBlocked(at, at))
      return {at, at};
  }
}

void PathCornerToCorner(benchmark::State& state) {
  const bool diagonal = state.range(0) != 0;
  TPathmap map;
  LoadMapFile((Maps(8192) / kMaps[0]).string(), map);
  const TCell start = FreeNear(map, false), end = FreeNear(map, true);
  for (auto _ : state) {
    const TPathResult path = FindPath(map, start, end, diagonal);
    state.counters["length"] = path.Length;
  }
}
BENCHMARK(PathCornerToCorner)->Arg(0)->Arg(1)->ArgName("diagonal")->Unit(benchmark::kMillisecond);

} // namespace
