// The three maps of a world drawn in memory, as the run draws them before it writes them.
#pragma once

#include "readcon/ReadCon.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarnel {

// The infantry, tank and car maps of objects (as LoadWorldObjects fills them) on a world of
// worldSize cells a side. Raises what the run raises: "Invalid world size: " and the size for
// one that is not a multiple of 64, "Pathmap not initialised" for 0, the failures of placing an
// object, "Out of memory".
std::array<TPathmap, 3> DrawWorldMaps(const TStaticObjectLL& objects, uint32_t worldSize);

// A version of a world loaded and drawn as the run does it.
struct TBuiltWorld {
  std::string ObjectFile;
  TStaticObjectLL Objects;        // as LoadWorldObjects fills it
  std::vector<std::string> Names; // each object's name as the object file writes it
  std::array<TPathmap, 3> Maps;   // infantry, tank, car
};

// Builds the world of objectFile and the mesh folder meshDir (as given on a command line) as
// quarnel does, with its failures in its order: "Invalid world size: " and the size before
// anything is read, then those of the object list and the mesh reader, then DrawWorldMaps's.
void BuildWorld(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                TBuiltWorld& world);

} // namespace quarnel
