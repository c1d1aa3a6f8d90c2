// Reading the objects on the calling thread while other threads draw those already read.
#include "driver/LoadAndDraw.h"

#include "driver/Parallel.h"
#include "raster/Footprints.h"
#include "raster/OutlineTracer.h"

#include <memory>

namespace quarnel {

namespace {

// Objects are handed out in blocks of this many: enough to make taking a block rare, few
// enough to share the work evenly.
constexpr size_t kObjectsPerBlock = 16;

struct TDrawn {
  const TStaticObjectMeshNode* Node = nullptr;
  bool Tree = false;
};

} // namespace

// The object file and the meshes are read on the calling thread, in file order; their failures
// come first, as when the whole file is read and then every mesh. Once a mesh fails, the
// objects after it get none and nothing more is drawn, but the file is read to its end, as a
// failure in it is the one reported. Each drawing thread traces an outline into a box of its own
// and adds the box to the mask, whose words take bits from several threads at once: bits are
// only set, so the order in which objects get there changes nothing.
std::exception_ptr LoadAndDrawObjects(const std::string& objectFile, const std::string& meshDir,
                                      TStaticObjectLL& objects, TWorldSummary& world,
                                      const TPathmap& map, TCellMask* centres, unsigned threads) {
  TWorldMeshes meshes(meshDir);
  std::exception_ptr meshFailure;
  // Gives an object that joined the list its mesh, counts it, and hands it on to draw.
  auto take = [&](TStaticObjectMeshNode& node, auto&& draw) {
    if (meshFailure)
      return;
    try {
      meshes.Load(node);
    } catch (...) {
      meshFailure = std::current_exception();
      return;
    }
    ++world.ObjectsRead;
    const bool tree = IsTreeMesh(node.Name);
    if (tree) {
      world.Trees.push_back(&node);
      ++world.TreesPathed;
    } else if (node.HasMesh) {
      ++world.MeshesPathed;
    } else {
      world.NotPathed.push_back(&node.Name);
    }
    if ((tree || node.HasMesh) && centres != nullptr)
      draw(TDrawn{&node, tree});
  };
  auto read = [&](auto&& draw) {
    objects.LoadFromFile(
        objectFile, CreateNodeOf<TStaticObjectMeshNode>,
        [&](TStaticObjectNode& n) { take(static_cast<TStaticObjectMeshNode&>(n), draw); });
  };
  auto drawer = [&] {
    return [&, tracer = std::make_unique<TOutlineTracer>()](const TDrawn& drawn, size_t) {
      const TStaticObjectMeshNode& node = *drawn.Node;
      if (drawn.Tree) { // stamped band by band when the map is written
        InfantryTreeCells(node.Position.X, node.Position.Z);
        map.CheckInitialised();
      } else {
        tracer->Trace(node, centres->Size());
        tracer->MarkInto(*centres);
      }
    };
  };
  const std::exception_ptr drawFailure =
      ForEachWhileMade<TDrawn>(kObjectsPerBlock, threads, read, drawer);
  if (meshFailure)
    std::rethrow_exception(meshFailure);
  return drawFailure;
}

} // namespace quarnel
