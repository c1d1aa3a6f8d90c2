// quarnel-inspect --regions, --path and --seal: what each reads, runs, prints and writes. Each
// handler returns the exit status and raises an Exception on an error: a defective map, a
// picture that cannot be written, and for --seal the failures below.
#pragma once

#include "inspect/InspectOptions.h"

namespace quarnel {

// --regions: prints each map's regions (text, or one JSON document, an array for several maps)
// and draws the one map's regions with --png. Returns kInspectOk.
int RunRegionsMode(const TInspectOptions& options, const TInspectIo& io);
// --path: returns kInspectOk when a path exists, kInspectMapsDiffer when none does.
int RunPathMode(const TInspectOptions& options, const TInspectIo& io);
// --seal: writes the sealed copy of Maps[0] to Maps[1] as SaveToFile does, so that a failure
// leaves Maps[1] as it was and nothing else behind. Returns kInspectOk. Raises "--seal writes a
// copy: OUT is the map it reads (IN)" when OUT names IN (the same file under any spelling of its
// path), and SaveToFile's failures with OUT named in them ("Error opening file: OUT", "Error
// writing file: OUT").
int RunSealMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
