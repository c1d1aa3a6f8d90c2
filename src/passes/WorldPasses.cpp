// The run's passes over a world: the objects drawn while they are read, then each class's map.
#include "passes/WorldPasses.h"

#include "common/UTypes.h"
#include "raster/Footprints.h"
#include "raster/Shapes.h"

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

} // namespace

// The cells a brush is centred on do not depend on the map class, so every outline is traced
// once into centres, which each map widens with its own shape. A failure to make centres is
// the run's once the objects are read.
TWorldPasses::TWorldPasses(uint32_t worldSize, unsigned threads) : Threads(threads) {
  Pathmap.SetSize(worldSize);
  try {
    Centres.emplace(worldSize, threads > 1);
  } catch (...) {
    NoCentres = std::current_exception();
  }
}

void TWorldPasses::LoadAndDraw(const std::string& objectFile, const std::string& meshDir,
                               TStaticObjectLL& objects, std::vector<std::string>* writtenNames) {
  DrawFailure = LoadAndDrawObjects(objectFile, meshDir, objects, World, Pathmap,
                                   Centres ? &*Centres : nullptr, Threads, writtenNames);
}

void TWorldPasses::CheckDrawn() const {
  for (const std::exception_ptr& failure : {NoCentres, DrawFailure})
    if (failure)
      std::rethrow_exception(failure);
}

void TWorldPasses::MakeMap(MapClass mapClass, const std::function<void(const TMapBand&)>& put) {
  CheckDrawn();
  TCellMask& centres = *Centres;
  if (!Ring)
    Ring.emplace(centres.Size(), Threads);
  if (mapClass == MapClass::Infantry) {
    const TBandBlocks trees = InfantryTreeBlocks(centres.Size(), World);
    quarnel::MakeMap(centres, kInfantryShape, &trees, *Ring, Threads, put);
    return;
  }
  // The tank and car tree footprints are their brush shapes: the tree cells join the centres.
  if (mapClass == MapClass::Tank)
    for (const TStaticObjectMeshNode* tree : World.Trees)
      MarkTreeCentre(centres, tree->Position.X, tree->Position.Z);
  quarnel::MakeMap(centres, ShapeOf(mapClass), nullptr, *Ring, Threads, put);
}

void TWorldPasses::WriteMap(MapClass mapClass, const char* fileName) {
  CheckDrawn();
  if (Centres->Size() == 0)
    throw Exception("Pathmap not initialised");
  TMapFileWriter file(fileName, Centres->Size());
  MakeMap(mapClass, [&](const TMapBand& band) { band.PutInto(file); });
  file.Close();
}

void TWorldPasses::DrawMap(MapClass mapClass, TPathmap& map) {
  CheckDrawn();
  map.SetSize(Centres->Size());
  int32_t i = 0;
  MakeMap(mapClass, [&](const TMapBand& band) { band.CopyInto(map, i++); });
}

} // namespace quarnel
