// The three maps drawn step by step, object by object with the brushes, as the reference
// that the whole run's faster passes must match byte for byte.
#pragma once

#include "mesh/WorldObjects.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "readcon/ReadCon.h"
#include "segutils/MapFormat.h"
#include "segutils/SegUtils.h"

#include <filesystem>

namespace stepbystep {

using namespace quarnel;
namespace fs = std::filesystem;

// Draws one object into map as the class's pass does: a tree's footprint, or else the outline
// of its mesh with the class's brush (an object without a mesh draws nothing).
inline void DrawObject(TPathmap& map, const TStaticObjectMeshNode& node, MapClass mapClass) {
  void (*const stamps[3])(TPathmap&, double, double) = {StampTreeInfantry, StampTreeTank,
                                                        StampTreeCar};
  const CellVisitor brushes[3] = {BrushInfantry, BrushTank, BrushCar};
  const auto k = static_cast<size_t>(mapClass);
  if (IsTreeMesh(node.Name))
    stamps[k](map, node.Position.X, node.Position.Z);
  else if (node.HasMesh)
    PathMeshOutline(map, node, brushes[k]);
}

// Writes the three maps as the passes draw them, one object at a time with its class's
// tree footprint or brush, into outDir.
inline void WriteMaps(const fs::path& objectFile, const fs::path& meshDir, uint32_t size,
                      const fs::path& outDir) {
  TStaticObjectLL objects;
  LoadWorldObjects(objectFile.string(), (meshDir / "").string(), objects);
  for (const MapClass mapClass : {MapClass::Infantry, MapClass::Tank, MapClass::Car}) {
    TPathmap map;
    map.SetSize(size);
    for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next)
      DrawObject(map, MeshNodeOf(n), mapClass);
    FillHoles(map);
    map.SaveToFile((outDir / MapFileNameOf(mapClass)).string());
  }
}

} // namespace stepbystep
