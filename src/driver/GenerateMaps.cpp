// The run of the program: set-up, objects and meshes, the three maps, the report and counts.
#include "driver/GenerateMaps.h"

#include "common/TextFileWriter.h"
#include "common/UTypes.h"
#include "driver/Console.h"
#include "driver/DrawObjects.h"
#include "driver/WidenMap.h"
#include "mesh/WorldObjects.h"
#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "segutils/MapFormat.h"
#include "segutils/SegUtils.h"

#include <string>
#include <vector>

namespace quarnel {

namespace {

struct TRunCounts {
  uint32_t ObjectsRead = 0, TreesPathed = 0, MeshesPathed = 0;
};

// The objects of the world in file order, gathered so that the long list is walked once: those
// to draw (the trees and the objects with a mesh), the trees, the objects that have no
// collision mesh, and the counts.
struct TWorldSummary {
  std::vector<const TStaticObjectMeshNode*> Drawn;
  std::vector<bool> DrawnIsTree;
  std::vector<const TStaticObjectMeshNode*> Trees;
  std::vector<const std::string*> NotPathed;
  TRunCounts Counts;
};

TWorldSummary SummaryOf(const TStaticObjectLL& objects) {
  TWorldSummary world;
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    ++world.Counts.ObjectsRead;
    if (IsTreeMesh(node.Name)) {
      world.Drawn.push_back(&node);
      world.DrawnIsTree.push_back(true);
      world.Trees.push_back(&node);
      ++world.Counts.TreesPathed;
    } else if (node.HasMesh) {
      world.Drawn.push_back(&node);
      world.DrawnIsTree.push_back(false);
      ++world.Counts.MeshesPathed;
    } else {
      world.NotPathed.push_back(&node.Name);
    }
  }
  return world;
}

// Blocks the shape around every cell of centres, fills the holes and writes the map.
void FinishMap(const TCellMask& centres, const TShape& shape, TPathmap& pathmap,
               const char* fileName, unsigned threads) {
  WidenMap(centres, shape, pathmap, threads);
  FillHoles(pathmap);
  pathmap.SaveToFile(fileName);
}

void WriteNotPathed(const TWorldSummary& world, TTextFileWriter& report) {
  report.WriteLine("Objects that have no collision mesh:");
  for (const std::string* name : world.NotPathed)
    report.WriteLine(*name);
}

} // namespace

// The maps are written one after another, each announced as it begins, and NotPathed.txt is
// created only once the car map is begun: a failure leaves the maps written before it on disk,
// and the console shows how far the run came.
void GenerateMaps(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                  std::ostream& out, unsigned threads) {
  TPathmap pathmap;
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  pathmap.SetSize(worldSize);
  const std::string size = std::to_string(worldSize);
  const std::string segments = std::to_string(pathmap.SegmentCount());
  WriteLine(out, "Pathmap size: " + size + " x " + size);
  WriteLine(out, "Number of segments: " + segments + " x " + segments);

  TStaticObjectLL objects;
  LoadWorldObjects(objectFile, meshDir, objects);

  // The cells a brush is centred on do not depend on the map class, so every outline is
  // traced once into centres, which each map widens with its own shape. The first object in
  // file order with a bad position or mesh is the one reported.
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Infantry) + "...");
  TCellMask centres(worldSize);
  const TWorldSummary world = SummaryOf(objects);
  DrawObjects(world.Drawn, world.DrawnIsTree, pathmap, centres, threads);
  FinishMap(centres, kInfantryShape, pathmap, MapFileNameOf(MapClass::Infantry), threads);
  pathmap.Clear();

  // The tank and car tree footprints are their brush shapes: the tree cells join the centres.
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Tank) + "...");
  for (const TStaticObjectMeshNode* tree : world.Trees)
    MarkTreeCentre(centres, tree->Position.X, tree->Position.Z);
  FinishMap(centres, kTankShape, pathmap, MapFileNameOf(MapClass::Tank), threads);
  pathmap.Clear();

  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Car) + "...");
  TTextFileWriter notPathed("NotPathed.txt");
  WriteNotPathed(world, notPathed);
  FinishMap(centres, kCarShape, pathmap, MapFileNameOf(MapClass::Car), threads);

  const TRunCounts& counts = world.Counts;
  WriteLine(out, "Objects read: " + std::to_string(counts.ObjectsRead));
  WriteLine(out, "Trees pathed: " + std::to_string(counts.TreesPathed));
  WriteLine(out, "Meshes pathed: " + std::to_string(counts.MeshesPathed));
  WriteLine(out, "Total pathed: " + std::to_string(counts.TreesPathed + counts.MeshesPathed));
  notPathed.Close();
}

} // namespace quarnel
