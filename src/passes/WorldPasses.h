// The passes of a run over a world's objects: the first reads the objects, gives them their
// meshes and traces their outlines, on several threads; then each map class's pass makes its
// map band by band.
#pragma once

#include "passes/LoadAndDraw.h"
#include "passes/MapBands.h"
#include "raster/CellMask.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quarnel {

class TWorldPasses {
public:
  // The passes of a world of worldSize cells a side (a multiple of 64), on up to threads
  // threads. Raises what TPathmap::SetSize raises for that size ("Out of memory").
  TWorldPasses(uint32_t worldSize, unsigned threads);

  int32_t SegmentCount() const { return Pathmap.SegmentCount(); }
  // The first pass: loads objectFile into objects with the mesh folder meshDir (ending in a path
  // delimiter) as LoadAndDrawObjects does, with writtenNames (when given) each object's name as
  // written; objects must outlive the passes. Raises the failures of reading the file and the
  // meshes; a failure to draw is kept for CheckDrawn.
  void LoadAndDraw(const std::string& objectFile, const std::string& meshDir,
                   TStaticObjectLL& objects, std::vector<std::string>* writtenNames = nullptr);
  // Raises the first failure of drawing the objects (or of making room for their outlines), as
  // the run does once it begins its first map.
  void CheckDrawn() const;
  // Makes the map of a class, handing its bands to put in order (MakeMap): the outlines widened
  // by the class's shape, and the trees (the infantry footprints, or for tanks and cars the tree
  // cells joined to the outlines' centres). The classes come in the run's order.
  void MakeMap(MapClass mapClass, const std::function<void(const TMapBand&)>& put);
  // The same into a map file, as TPathmap::SaveToFile writes it: a map of size 0 raises
  // "Pathmap not initialised" before the file is made; then TMapFileWriter's failures.
  void WriteMap(MapClass mapClass, const char* fileName);
  // The same into map.
  void DrawMap(MapClass mapClass, TPathmap& map);

  const TWorldSummary& Summary() const { return World; }

private:
  TPathmap Pathmap; // sized to check the size and reserve what a whole map would take
  unsigned Threads;
  std::optional<TCellMask> Centres;
  std::exception_ptr NoCentres, DrawFailure;
  TWorldSummary World;
  std::optional<TBandRing> Ring;
};

} // namespace quarnel
