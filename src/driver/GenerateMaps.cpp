// The run of the program: set-up, objects and meshes, the three maps, the report and counts.
#include "driver/GenerateMaps.h"

#include "common/TextFileWriter.h"
#include "common/UTypes.h"
#include "driver/Console.h"
#include "passes/WorldPasses.h"
#include "segutils/MapFormat.h"

#include <string>

namespace quarnel {

namespace {

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
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  TWorldPasses passes(worldSize, threads);
  const std::string size = std::to_string(worldSize);
  const std::string segments = std::to_string(passes.SegmentCount());
  WriteLine(out, "Pathmap size: " + size + " x " + size);
  WriteLine(out, "Number of segments: " + segments + " x " + segments);

  TStaticObjectLL objects;
  passes.LoadAndDraw(objectFile, meshDir, objects);
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Infantry) + "...");
  passes.CheckDrawn();
  passes.WriteMap(MapClass::Infantry, MapFileNameOf(MapClass::Infantry));
  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Tank) + "...");
  passes.WriteMap(MapClass::Tank, MapFileNameOf(MapClass::Tank));

  WriteLine(out, std::string("Creating ") + MapFileNameOf(MapClass::Car) + "...");
  const TWorldSummary& world = passes.Summary();
  TTextFileWriter notPathed("NotPathed.txt");
  WriteNotPathed(world, notPathed);
  passes.WriteMap(MapClass::Car, MapFileNameOf(MapClass::Car));

  WriteLine(out, "Objects read: " + std::to_string(world.ObjectsRead));
  WriteLine(out, "Trees pathed: " + std::to_string(world.TreesPathed));
  WriteLine(out, "Meshes pathed: " + std::to_string(world.MeshesPathed));
  WriteLine(out, "Total pathed: " + std::to_string(world.TreesPathed + world.MeshesPathed));
  notPathed.Close();
}

} // namespace quarnel
