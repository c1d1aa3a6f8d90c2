// What changed between two versions of a world, object by object and cell by cell.
#pragma once

#include "explain/ChangedCells.h"
#include "explain/ObjectChanges.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

struct TWorldChanges {
  std::vector<TObjectChange> Changes;   // MatchObjects
  std::array<TClassChanges, 3> Classes; // infantry, tank, car
};

// Compares two versions of a world of worldSize cells a side as the run built them: matches
// their objects, draws each changed object alone in both versions and puts every changed cell
// of each class down to its changes (CompareClass), the three classes on threads of their own.
// Raises the failures of MatchObjects and CoverOf, then those of the classes in class order.
TWorldChanges CompareWorlds(const TBuiltWorld& before, const TBuiltWorld& after,
                            uint32_t worldSize);

} // namespace quarnel
