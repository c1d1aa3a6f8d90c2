// The passes of the run, kept in memory.
#include "passes/WorldMaps.h"

#include "common/UTypes.h"
#include "mesh/MeshDirectory.h"
#include "mesh/WorldObjects.h"
#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"

#include <string>
#include <vector>

namespace quarnel {

std::array<TPathmap, 3> DrawWorldMaps(const TStaticObjectLL& objects, uint32_t worldSize) {
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  std::array<TPathmap, 3> maps;
  for (TPathmap& map : maps)
    map.SetSize(worldSize);
  TCellMask centres(worldSize);
  std::vector<const TStaticObjectMeshNode*> trees;
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    if (IsTreeMesh(node.Name)) {
      StampTreeInfantry(maps[0], node.Position.X, node.Position.Z);
      trees.push_back(&node);
    } else if (node.HasMesh) {
      TraceMeshOutline(node, centres);
    }
  }
  WidenInto(centres, kInfantryShape, maps[0]);
  FillHoles(maps[0]);
  for (const TStaticObjectMeshNode* tree : trees)
    MarkTreeCentre(centres, tree->Position.X, tree->Position.Z);
  WidenInto(centres, kTankShape, maps[1]);
  FillHoles(maps[1]);
  WidenInto(centres, kCarShape, maps[2]);
  FillHoles(maps[2]);
  return maps;
}

void BuildWorld(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                TBuiltWorld& world) {
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  world.ObjectFile = objectFile;
  LoadWorldObjects(objectFile, MeshDirectoryOf(meshDir), world.Objects, &world.Names);
  world.Maps = DrawWorldMaps(world.Objects, worldSize);
}

} // namespace quarnel
