// The run of the program: set-up, objects, meshes, the three map passes and the report.
#include "driver/GenerateMaps.h"

#include "common/UTypes.h"
#include "driver/Console.h"
#include "driver/TextFileWriter.h"
#include "mesh/CollisionMesh.h"
#include "raster/Footprints.h"
#include "raster/Outline.h"
#include "readcon/ReadCon.h"
#include "segutils/SegUtils.h"

#include <memory>
#include <optional>
#include <string>

namespace quarnel {

namespace {

struct TMapPass {
  MapClass Class;
  const char* FileName;
  void (*StampTree)(TPathmap&, double, double);
  CellVisitor Brush;
};

constexpr TMapPass kPasses[] = {
    {MapClass::Infantry, "Infantry1Level0Map.raw", StampTreeInfantry, BrushInfantry},
    {MapClass::Tank, "Tank0Level0Map.raw", StampTreeTank, BrushTank},
    {MapClass::Car, "Car4Level0Map.raw", StampTreeCar, BrushCar},
};

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Two short names stand for the meshes of the ammunition box and the medic locker.
void ApplyNameAliases(TStaticObjectNode& node) {
  if (LowerAscii(node.Name) == "ammobox")
    node.Name = "AmmoBox_m1";
  if (LowerAscii(node.Name) == "mediclocker")
    node.Name = "MedicLocker_m1";
}

TStaticObjectMeshNode& MeshNode(TLinkedListNode* node) {
  return *static_cast<TStaticObjectMeshNode*>(node);
}

} // namespace

void GenerateMaps(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                  std::ostream& out) {
  TPathmap pathmap;
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  pathmap.SetSize(worldSize);
  const std::string size = std::to_string(worldSize);
  const std::string segments = std::to_string(pathmap.SegmentCount());
  WriteLine(out, "Pathmap size: " + size + " x " + size);
  WriteLine(out, "Number of segments: " + segments + " x " + segments);

  TStaticObjectLL objects;
  objects.LoadFromFile(objectFile, CreateNodeOf<TStaticObjectMeshNode>);

  TMeshCache meshes;
  for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    TStaticObjectMeshNode& node = MeshNode(n);
    ApplyNameAliases(node);
    meshes.LoadCollisionMesh(meshDir + node.Name + ".sm", node);
  }

  uint32_t objectsRead = 0, treesPathed = 0, meshesPathed = 0;
  std::optional<TTextFileWriter> notPathed;
  for (const TMapPass& pass : kPasses) {
    const bool carPass = pass.Class == MapClass::Car;
    WriteLine(out, std::string("Creating ") + pass.FileName + "...");
    if (carPass) {
      notPathed.emplace("NotPathed.txt");
      notPathed->WriteLine("Objects that have no collision mesh:");
    }
    for (TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
      const TStaticObjectMeshNode& node = MeshNode(n);
      objectsRead += carPass;
      if (IsTreeMesh(node.Name)) {
        pass.StampTree(pathmap, node.Position.X, node.Position.Z);
        treesPathed += carPass;
      } else if (node.HasMesh) {
        PathMeshOutline(pathmap, node, pass.Brush);
        meshesPathed += carPass;
      } else if (carPass) {
        notPathed->WriteLine(node.Name);
      }
    }
    FillHoles(pathmap);
    pathmap.SaveToFile(pass.FileName);
    if (!carPass)
      pathmap.Clear();
  }

  WriteLine(out, "Objects read: " + std::to_string(objectsRead));
  WriteLine(out, "Trees pathed: " + std::to_string(treesPathed));
  WriteLine(out, "Meshes pathed: " + std::to_string(meshesPathed));
  WriteLine(out, "Total pathed: " + std::to_string(treesPathed + meshesPathed));
  notPathed->Close();
}

} // namespace quarnel
