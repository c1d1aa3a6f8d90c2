// Writes the benchmark world into a folder: make_bench_world <folder> [world size] [seed].
#include "BenchWorld.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: make_bench_world <folder> [world size] [seed]\n";
    return 2;
  }
  benchworld::Options options;
  if (argc > 2)
    options.WorldSize = static_cast<uint32_t>(std::stoul(argv[2]));
  if (argc > 3)
    options.Seed = std::stoull(argv[3]);
  benchworld::WriteBenchWorld(argv[1], options);
  return 0;
}
