// Writes the benchmark world into a folder: make_bench_world <folder> [world size] [seed]; or
// an edit of one, 100 objects moved, 20 added and 20 removed: make_bench_world --edit <from> <to>.
#include "BenchWorld.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--edit") {
    benchworld::WriteBenchEdit(argv[2], argv[3], 100, 20, 20, 7);
    return 0;
  }
  if (argc < 2 || argc > 4) {
    std::cerr << "usage: make_bench_world <folder> [world size] [seed] | --edit <from> <to>\n";
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
