// Drawing the objects of the first pass on several threads.
#include "driver/DrawObjects.h"

#include "driver/Parallel.h"
#include "raster/Footprints.h"
#include "raster/OutlineTracer.h"

#include <memory>
#include <mutex>

namespace quarnel {

namespace {

// Objects are handed out in blocks of this many: enough to make taking a block rare, few
// enough to share the work evenly.
constexpr size_t kObjectsPerBlock = 16;

} // namespace

// Each thread traces an outline into a box of its own; only adding the box to the mask, and
// stamping a tree into the map, take the mask or the map to themselves. Both only set bits, so
// the order in which the objects get there changes nothing.
void DrawObjects(const std::vector<const TStaticObjectMeshNode*>& objects,
                 const std::vector<bool>& isTree, TPathmap& map, TCellMask& centres,
                 unsigned threads) {
  std::mutex mapLock, maskLock;
  ForEachInParallel(objects.size(), kObjectsPerBlock, threads, [&] {
    return [&, tracer = std::make_unique<TOutlineTracer>()](size_t k) {
      const TStaticObjectMeshNode& node = *objects[k];
      if (isTree[k]) {
        const std::lock_guard<std::mutex> guard(mapLock);
        StampTreeInfantry(map, node.Position.X, node.Position.Z);
      } else {
        tracer->Trace(node, centres.Size());
        const std::lock_guard<std::mutex> guard(maskLock);
        tracer->MarkInto(centres);
      }
    };
  });
}

} // namespace quarnel
