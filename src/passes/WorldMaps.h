// A version of a world built in memory as the run builds it before it writes its maps.
#pragma once

#include "readcon/ReadCon.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// A version of a world loaded and drawn as the run does it.
struct TBuiltWorld {
  std::string ObjectFile;
  TStaticObjectLL Objects;        // as LoadWorldObjects fills it
  std::vector<std::string> Names; // each object's name as the object file writes it
  std::array<TPathmap, 3> Maps;   // infantry, tank, car
};

// Builds the world of objectFile and the mesh folder meshDir (as given on a command line) as
// quarnel does (TWorldPasses) on up to threads threads, with its failures in its order:
// "Invalid world size: " and the size before anything is read, then those of the object list,
// the mesh reader and drawing the objects, then "Out of memory".
void BuildWorld(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                TBuiltWorld& world, unsigned threads);

} // namespace quarnel
