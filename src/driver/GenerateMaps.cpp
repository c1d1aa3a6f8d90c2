// The run of the program: set-up, objects, meshes, the three map passes and the report.
#include "driver/GenerateMaps.h"

#include "common/UTypes.h"
#include "driver/Console.h"
#include "driver/TextFileWriter.h"
#include "mesh/CollisionMesh.h"
#include "raster/CellMask.h"
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
  int Reach; // of the class's brush and tree footprint
};

constexpr TMapPass kPasses[] = {
    {MapClass::Infantry, "Infantry1Level0Map.raw", 0},
    {MapClass::Tank, "Tank0Level0Map.raw", 3},
    {MapClass::Car, "Car4Level0Map.raw", 4},
};

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

  // The cells the brushes are centred on are the same for every class: the outlines are
  // traced once, in the infantry pass, and each pass widens those cells with its own brush
  // shape, the tank and car passes together with the tree centres, whose footprints are
  // the same shapes. The infantry tree footprint has a shape of its own and is stamped.
  TCellMask centres(worldSize);
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
        if (pass.Class == MapClass::Infantry)
          StampTreeInfantry(pathmap, node.Position.X, node.Position.Z);
        else if (pass.Class == MapClass::Tank)
          MarkTreeCentre(centres, node.Position.X, node.Position.Z);
        treesPathed += carPass;
      } else if (node.HasMesh) {
        if (pass.Class == MapClass::Infantry)
          TraceMeshOutline(node, worldSize, TCellMask::MarkVisitor, &centres);
        meshesPathed += carPass;
      } else if (carPass) {
        notPathed->WriteLine(node.Name);
      }
    }
    WidenInto(centres, pass.Reach, pathmap);
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
