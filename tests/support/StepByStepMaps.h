// The three maps drawn step by step, object by object with the brushes, as the reference
// that the whole run's faster passes must match byte for byte.
#pragma once

#include "mesh/WorldObjects.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "readcon/ReadCon.h"
#include "segutils/SegUtils.h"

#include <filesystem>

namespace stepbystep {

using namespace quarnel;
namespace fs = std::filesystem;

struct TStepPass {
  const char* FileName;
  void (*StampTree)(TPathmap&, double, double);
  CellVisitor Brush;
};

// Writes the three maps as the passes draw them, one object at a time with its class's
// tree footprint or brush, into outDir.
inline void WriteMaps(const fs::path& objectFile, const fs::path& meshDir, uint32_t size,
                      const fs::path& outDir) {
  TStaticObjectLL objects;
  LoadWorldObjects(objectFile.string(), (meshDir / "").string(), objects);
  const TStepPass passes[] = {{"Infantry1Level0Map.raw", StampTreeInfantry, BrushInfantry},
                              {"Tank0Level0Map.raw", StampTreeTank, BrushTank},
                              {"Car4Level0Map.raw", StampTreeCar, BrushCar}};
  for (const TStepPass& pass : passes) {
    TPathmap map;
    map.SetSize(size);
    for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
      const auto& node = static_cast<const TStaticObjectMeshNode&>(*n);
      if (IsTreeMesh(node.Name))
        pass.StampTree(map, node.Position.X, node.Position.Z);
      else if (node.HasMesh)
        PathMeshOutline(map, node, pass.Brush);
    }
    FillHoles(map);
    map.SaveToFile((outDir / pass.FileName).string());
  }
}

} // namespace stepbystep
