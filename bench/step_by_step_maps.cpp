// Writes the maps of a world drawn step by step with the brushes, as the reference for the
// whole run: step_by_step_maps <ObjectFile> <StandardMeshDir> <WorldSize> <OutDir>.
#include "support/StepByStepMaps.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: step_by_step_maps <ObjectFile> <StandardMeshDir> <WorldSize> <OutDir>\n";
    return 2;
  }
  try {
    stepbystep::WriteMaps(argv[1], argv[2], static_cast<uint32_t>(std::stoul(argv[3])), argv[4]);
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
  return 0;
}
