// quarnel-inspect --changes: what changed between two versions of a world, and which edit made
// each cell change.
#pragma once

#include "explain/WorldChanges.h"
#include "inspect/InspectOptions.h"

#include <ostream>
#include <string>

namespace quarnel {

// What a report of changes is printed from.
struct TChangesReport {
  const TWorldVersion* Versions[2] = {}; // before, after
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

// --changes: builds both versions (OLD.con with --old-meshes, or --meshes, and NEW.con with
// --meshes) as quarnel does, compares them and prints the report, with --png the picture and
// with --view the page. A version that fails to build raises its failure's message after
// "OLD (OLD.con): " or "NEW (NEW.con): " ("Invalid world size: 100" included, as quarnel
// refuses it). Returns kInspectOk.
int RunChangesMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
