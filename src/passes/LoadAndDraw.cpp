// Reading the objects on the calling thread while other threads give them their meshes and draw
// them.
#include "passes/LoadAndDraw.h"

#include "passes/Parallel.h"
#include "raster/Footprints.h"
#include "raster/OutlineTracer.h"

#include <memory>

namespace quarnel {

namespace {

// Objects are handed out in blocks of this many: enough to make taking a block rare, few
// enough to share the work evenly.
constexpr size_t kObjectsPerBlock = 16;

TWorldSummary SummaryOf(const TStaticObjectLL& objects) {
  TWorldSummary world;
  for (const TLinkedListNode* n = objects.Head; n != nullptr; n = n->Next) {
    const TStaticObjectMeshNode& node = MeshNodeOf(n);
    ++world.ObjectsRead;
    if (IsTreeMesh(node.Name)) {
      world.Trees.push_back(&node);
      ++world.TreesPathed;
    } else if (node.HasMesh) {
      ++world.MeshesPathed;
    } else {
      world.NotPathed.push_back(&node.Name);
    }
  }
  return world;
}

} // namespace

// The calling thread reads the object file and hands every object, as it joins the list, to
// the threads, which give it its mesh and draw it. The failures come in the order of the whole
// file read, then every mesh, then every object drawn: a failure to read the file is raised as
// such; of the objects whose mesh fails the first is reported, else of those that fail to draw
// the first. Each drawing thread traces an outline into a box of its own and adds the box to
// the mask, whose words take bits from several threads at once: bits are only set, so the
// order in which objects get there changes nothing.
std::exception_ptr LoadAndDrawObjects(const std::string& objectFile, const std::string& meshDir,
                                      TStaticObjectLL& objects, TWorldSummary& world,
                                      const TPathmap& map, TCellMask* centres, unsigned threads,
                                      std::vector<std::string>* writtenNames) {
  TWorldMeshes meshes(meshDir);
  TFirstFailure meshFailures, drawFailures;
  auto read = [&](auto&& add) {
    objects.LoadFromFile(
        objectFile, CreateNodeOf<TStaticObjectMeshNode>, [&](TStaticObjectNode& node) {
          if (writtenNames != nullptr) // before the drawing threads apply its aliases
            writtenNames->push_back(node.Name);
          add(&static_cast<TStaticObjectMeshNode&>(node));
        });
  };
  auto drawer = [&] {
    return [&, tracer = std::make_unique<TOutlineTracer>(),
            seen = std::make_unique<TWorldMeshes::TSeen>()](TStaticObjectMeshNode* node, size_t k) {
      if (meshFailures.Before(k)) // nothing after it matters
        return;
      try {
        meshes.Load(*node, *seen);
      } catch (...) {
        meshFailures.Note(k, std::current_exception());
        return;
      }
      if (centres == nullptr || drawFailures.Before(k))
        return;
      try {
        if (IsTreeMesh(node->Name)) { // stamped band by band when the map is written
          InfantryTreeCells(node->Position.X, node->Position.Z);
          map.CheckInitialised();
        } else if (node->HasMesh) {
          tracer->Trace(*node, centres->Size());
          tracer->MarkInto(*centres);
        }
      } catch (...) {
        drawFailures.Note(k, std::current_exception());
      }
    };
  };
  ForEachWhileMade<TStaticObjectMeshNode*>(kObjectsPerBlock, threads, read, drawer);
  if (const std::exception_ptr failure = meshFailures.First())
    std::rethrow_exception(failure);
  world = SummaryOf(objects);
  return drawFailures.First();
}

} // namespace quarnel
