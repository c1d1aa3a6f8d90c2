// Shortest paths between two cells of a map.
#pragma once

#include "analysis/Cell.h"
#include "analysis/Regions.h"
#include "segutils/SegUtils.h"

#include <cstdint>
#include <vector>

namespace quarnel {

enum class TPathOutcome {
  Found,
  Outside, // an end lies outside the grid
  Blocked, // an end is blocked
  Apart,   // the ends lie in different regions
};

struct TPathResult {
  TPathOutcome Outcome = TPathOutcome::Found;
  // With Outside or Blocked: whether the start is the end at fault (the start is looked at
  // first).
  bool AtStart = false;
  // With Found or Apart: the regions of the two ends and their sizes in cells.
  uint32_t StartRegion = 0, EndRegion = 0;
  uint64_t StartRegionSize = 0, EndRegionSize = 0;
  // With Found: the length (edge steps cost 1, diagonal ones the square root of 2), the steps,
  // and the turning points: the start, every cell where the direction changes, and the end
  // (one cell when the ends are one cell).
  double Length = 0;
  uint64_t EdgeSteps = 0, DiagonalSteps = 0;
  std::vector<TCell> Turns;
  uint64_t Steps() const { return EdgeSteps + DiagonalSteps; }
};

// Finds a shortest path from one cell to another with the steps of regions.Diagonal (see
// Regions.h), regions being LabelRegions of map. The ends' regions are compared first, so only
// ends in one region are searched: with edge steps by A*, which keeps about 9 bytes for each
// cell of the 64 by 64 segments it reaches, with diagonal steps by jump point search
// (JumpPointSearch.h), which keeps about 32 bytes per jump point. Raises std::bad_alloc when
// that does not fit in memory.
TPathResult FindPath(const TPathmap& map, const TRegions& regions, TCell start, TCell end);

// The same, labelling the regions first. Raises "Pathmap not initialised" for a map without a
// size.
TPathResult FindPath(const TPathmap& map, TCell start, TCell end, bool diagonal);

// The cells of a found path, start to end, walked along its turning points.
std::vector<TCell> PathCells(const TPathResult& path);

} // namespace quarnel
