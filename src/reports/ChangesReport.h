// The report of what changed between two versions of a world, and which edit made each cell
// change.
#pragma once

#include "explain/WorldChanges.h"

#include <ostream>
#include <string>

namespace quarnel {

// What a report of changes is printed from.
struct TChangesReport {
  const TBuiltWorld* Versions[2] = {}; // before, after
  uint32_t WorldSize = 0;
  const TWorldChanges* Changes = nullptr;
};

// The text: the versions, the counts of each kind of change, per class the changed cells,
// regions and new regions, then the changes that change cells, largest first (the first limit
// of them), the count of those that change none, hole filling, and whether every changed cell
// is accounted for.
void PrintChangesText(std::ostream& out, const TChangesReport& report, size_t limit);
// All of it as one JSON document on one line.
void PrintChangesJson(std::ostream& out, const TChangesReport& report);

} // namespace quarnel
