// The passes of the run, kept in memory.
#include "passes/WorldMaps.h"

#include "common/UTypes.h"
#include "mesh/MeshDirectory.h"
#include "passes/WorldPasses.h"

#include <string>

namespace quarnel {

void BuildWorld(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                TBuiltWorld& world, unsigned threads) {
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  TWorldPasses passes(worldSize, threads);
  world.ObjectFile = objectFile;
  passes.LoadAndDraw(objectFile, MeshDirectoryOf(meshDir), world.Objects, &world.Names);
  for (const MapClass mapClass : {MapClass::Infantry, MapClass::Tank, MapClass::Car})
    passes.DrawMap(mapClass, world.Maps[static_cast<size_t>(mapClass)]);
}

} // namespace quarnel
