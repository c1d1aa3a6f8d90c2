// Writes the sample world's standard meshes into <folder>/StandardMesh.
#include "support/SampleWorld.h"

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_sample_world <folder>\n";
    return 2;
  }
  sampleworld::WriteSampleMeshes(argv[1]);
  return 0;
}
