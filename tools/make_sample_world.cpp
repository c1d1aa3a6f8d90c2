// Writes the sample world (StaticObjects.con and StandardMesh/) into the folder given.
#include "support/SampleWorld.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sample_world <folder>\n";
    return 2;
  }
  sampleworld::WriteSampleWorld(argv[1]);
  return 0;
}
