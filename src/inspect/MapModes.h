// The modes that read maps and print or draw what they hold. Each handler returns the exit
// status and raises an Exception on failure.
#pragma once

#include "inspect/InspectOptions.h"

namespace quarnel {

// MAP.raw...: checks and describes each map, drawing it with --png. A defective map is
// reported on io.Err and the others are still read; the status is then 2.
int RunStatsMode(const TInspectOptions& options, const TInspectIo& io);
// --overlay: draws the three maps of one size in one picture.
int RunOverlayMode(const TInspectOptions& options, const TInspectIo& io);
// --diff: compares two maps; 1 when they differ.
int RunDiffMode(const TInspectOptions& options, const TInspectIo& io);
// --view: writes the viewer page of three maps.
int RunViewMode(const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
