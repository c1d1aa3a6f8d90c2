// quarnel-inspect --changes: what changed between two versions of a world, and which edit made
// each cell change.
#pragma once

#include "inspect/InspectOptions.h"

namespace quarnel {

// --changes: builds both versions (OLD.con with --old-meshes, or --meshes, and NEW.con with
// --meshes) as quarnel does, compares them and prints the report, with --png the picture and
// with --view the page. A version that fails to build raises its failure's message after
// "OLD (OLD.con): " or "NEW (NEW.con): " ("Invalid world size: 100" included, as quarnel
// refuses it). Returns kInspectOk.
int RunChangesMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
