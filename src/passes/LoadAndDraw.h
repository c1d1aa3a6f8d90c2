// The objects of the world read, given their meshes and drawn by the first pass (outlines
// traced, trees checked) while the file is still being read.
#pragma once

#include "mesh/WorldObjects.h"
#include "raster/CellMask.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

namespace quarnel {

// The objects of the world in file order: the trees, the names of the objects that have no
// collision mesh, and the counts.
struct TWorldSummary {
  std::vector<const TStaticObjectMeshNode*> Trees;
  std::vector<const std::string*> NotPathed;
  uint32_t ObjectsRead = 0, TreesPathed = 0, MeshesPathed = 0;
};

// Loads objectFile into objects and gives every object its mesh (LoadWorldObjects), gathering
// world, and meanwhile draws the objects on up to threads threads: traces the outline of each
// object with a mesh into centres (null: nothing is drawn; with more than one thread, centres
// must be shared) and checks that the infantry footprint of each tree can be stamped into
// map, with StampTreeInfantry's failures. Raises the failure of LoadWorldObjects; returns the
// failure that drawing the objects one after another, in file order, would raise first (null
// when none), the cells then drawn being unspecified.
// With writtenNames, also gives each object's Name as the object file writes it, before its
// aliases, in file order.
std::exception_ptr LoadAndDrawObjects(const std::string& objectFile, const std::string& meshDir,
                                      TStaticObjectLL& objects, TWorldSummary& world,
                                      const TPathmap& map, TCellMask* centres, unsigned threads,
                                      std::vector<std::string>* writtenNames = nullptr);

} // namespace quarnel
