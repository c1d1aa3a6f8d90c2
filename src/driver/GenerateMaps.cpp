// The run of the program: set-up, objects and meshes, the three maps, the report and counts.
#include "driver/GenerateMaps.h"

#include "common/TextFileWriter.h"
#include "common/UTypes.h"
#include "driver/Console.h"
#include "driver/LoadAndDraw.h"
#include "driver/WriteMap.h"
#include "mesh/WorldObjects.h"
#include "raster/CellMask.h"
#include "raster/Footprints.h"
#include "segutils/MapFormat.h"
#include "segutils/SegUtils.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

namespace {

// The infantry footprints of the trees, which cannot fail once the trees were drawn.
TBandBlocks InfantryTreeBlocks(uint32_t mapSize, const TWorldSummary& world) {
  std::vector<TCellBlock> blocks;
  blocks.reserve(world.Trees.size());
  for (const TStaticObjectMeshNode* tree : world.Trees)
    blocks.push_back(InfantryTreeCells(tree->Position.X, tree->Position.Z));
  return TBandBlocks(mapSize, blocks);
}

void WriteNotPathed(const TWorldSummary& world, TTextFileWriter& report) {
  report.WriteLine("Objects that have no collision mesh:");
  for (const std::string* name : world.NotPathed)
    report.WriteLine(*name);
}

} // namespace

// The maps are written one after another, each announced as it begins, and NotPathed.txt is
// created only once the car map is begun: a failure leaves the maps written before it on disk,
// and the console shows how far the run came. Each map is written as it is made, band by band:
// the pathmap only checks the size and reserves what a whole map would take, so that a world
// too large for memory fails where it always did.
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

  // The cells a brush is centred on do not depend on the map class, so every outline is
  // traced once into centres, which each map widens with its own shape. The objects are drawn
  // as they are read; a failure to make centres is the run's once the objects are read.
  std::optional<TCellMask> centresMade;
  std::exception_ptr noCentres;
  try {
    centresMade.emplace(worldSize, threads > 1);
  } catch (...) {
    noCentres = std::current_exception();
  }
  TStaticObjectLL objects;
  TWorldSummary world;
  const std::exception_ptr drawFailure = LoadAndDrawObjects(
      objectFile, meshDir, objects, world, pathmap, centresMade ? &*centresMade : nullptr, threads);
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Infantry) + "...");
  for (const std::exception_ptr& failure : {noCentres, drawFailure})
    if (failure)
      std::rethrow_exception(failure);
  TCellMask& centres = *centresMade;
  const TBandBlocks trees = InfantryTreeBlocks(worldSize, world);
  TBandRing bands(worldSize, threads);
  WriteMap(centres, kInfantryShape, &trees, bands, MapFileNameOf(MapClass::Infantry), threads);

  // The tank and car tree footprints are their brush shapes: the tree cells join the centres.
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Tank) + "...");
  for (const TStaticObjectMeshNode* tree : world.Trees)
    MarkTreeCentre(centres, tree->Position.X, tree->Position.Z);
  WriteMap(centres, kTankShape, nullptr, bands, MapFileNameOf(MapClass::Tank), threads);

  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Car) + "...");
  TTextFileWriter notPathed("NotPathed.txt");
  WriteNotPathed(world, notPathed);
  WriteMap(centres, kCarShape, nullptr, bands, MapFileNameOf(MapClass::Car), threads);

  WriteLine(out, "Objects read: " + std::to_string(world.ObjectsRead));
  WriteLine(out, "Trees pathed: " + std::to_string(world.TreesPathed));
  WriteLine(out, "Meshes pathed: " + std::to_string(world.MeshesPathed));
  WriteLine(out, "Total pathed: " + std::to_string(world.TreesPathed + world.MeshesPathed));
  notPathed.Close();
}

} // namespace quarnel
