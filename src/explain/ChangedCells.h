// Which change made each cell of a map class change: the changes whose objects, drawn alone,
// cover the cell in one version and not the other, or hole filling; and the regions that the
// changes made.
#pragma once

#include "analysis/Cell.h"
#include "analysis/Regions.h"
#include "explain/ObjectCover.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

// What stands for hole filling among a cell's causes.
inline constexpr uint32_t kHoleFilling = UINT32_MAX;

// The covers of one change's object before and after (empty where it is not in a version).
struct TChangeCover {
  TObjectCover Before, After;
};

// A region of the map after the changes, other than the main one, whose cells no region had
// before, and the changes with a cell in it or beside it (by edge).
struct TNewRegion {
  uint32_t Number = 0; // its number among the regions after
  TRegion Region;
  std::vector<uint32_t> Changes; // ascending
};

struct TClassChanges {
  // The cells that changed state, row by row: newly blocked or newly free.
  std::vector<TCell> Cells;
  std::vector<uint8_t> Blocked; // per cell: 1 newly blocked, 0 newly free
  // The causes of Cells[i] are Causes[CauseBegin[i]] to Causes[CauseBegin[i + 1] - 1]: change
  // numbers ascending (indices into the list of changes), or kHoleFilling alone.
  std::vector<uint32_t> CauseBegin{0};
  std::vector<uint32_t> Causes;
  // Cells that changed with no cause: none when the maps are the two versions' own.
  std::vector<TCell> Unaccounted;
  uint64_t NewlyBlocked = 0, NewlyFree = 0;
  // Regions with edge steps before and after, and the size of the main one (0 for none).
  uint64_t RegionsBefore = 0, RegionsAfter = 0, MainBefore = 0, MainAfter = 0;
  std::vector<TNewRegion> NewRegions; // largest first
};

// Compares the maps of class k (0 infantry, 1 tank, 2 car) before and after, given the covers
// of the changes' objects and the maps' regions (LabelTwinRegions of before and after). A
// changed cell is put down to every change whose object covers it in one version and not the
// other; a changed cell that no change covers so is put down to hole filling when it is free
// with its four neighbours blocked in the map where it is blocked (else it is listed as
// unaccounted). The maps must have one size.
TClassChanges CompareClass(const TPathmap& before, const TPathmap& after, size_t k,
                           const std::vector<TChangeCover>& covers,
                           std::array<TRegions, 2>&& regions);

} // namespace quarnel
