// Loading a generated object file of 40,000 objects with CR LF line ends.
#include "readcon/ReadCon.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

using namespace quarnel;

namespace {

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// Position, rotation and scale lines for every object, and a comment now and then.
std::string ObjectFile(int objects) {
  const char* names[] = {"tree_pine_01",   "bunker_small",  "fence_wood_4m",
                         "house_2floor_b", "rock_large_03", "bush_green"};
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(-2048, 2048);
  std::uniform_real_distribution<double> angle(0, 360);
  std::string text = "rem *** static objects ***\r\n";
  for (int i = 0; i < objects; ++i) {
    if (i % 100 == 0)
      text += "rem --- block " + std::to_string(i / 100) + " ---\r\n";
    text += "Object.create " + std::string(names[i % 6]) + "\r\n";
    text += "Object.absolutePosition " + Fixed(coordinate(rng), 3) + "/" +
            Fixed(coordinate(rng) / 20, 3) + "/" + Fixed(coordinate(rng), 3) + "\r\n";
    text += "Object.rotation " + Fixed(angle(rng), 3) + "/0.000/0.000\r\n";
    text += "Object.geometry.scale 1.000/1.000/1.000\r\n\r\n";
  }
  return text;
}

void BM_LoadObjectFile(benchmark::State& state) {
  const std::string name =
      (std::filesystem::temp_directory_path() / "quarnel-bench-StaticObjects.con").string();
  const std::string text = ObjectFile(40000);
  std::ofstream(name, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  for (auto _ : state) {
    TStaticObjectLL list;
    list.LoadFromFile(name, CreateNodeOf<TStaticObjectNode>);
    if (list.Count != 40000)
      state.SkipWithError("wrong object count");
    benchmark::DoNotOptimize(list.Tail);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  std::remove(name.c_str());
}
BENCHMARK(BM_LoadObjectFile)->Unit(benchmark::kMillisecond);

} // namespace
