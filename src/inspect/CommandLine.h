// quarnel-inspect's command line: its modes, options, usage text and exit status.
#pragma once

#include "inspect/InspectOptions.h"

#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

// The usage text of a build with or without PNG support and the viewer page.
std::string InspectUsage(bool pngAvailable, bool viewAvailable = false);

// Runs quarnel-inspect on its arguments (without the program name) and returns the exit
// status: the mode's, or kInspectError after a mistake or a failure, reported on err. writePng
// is empty when the program is built without PNG support, writeView when it is built without
// the viewer (which needs zlib).
int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TImageWriter& writePng, const TViewWriter& writeView = {});

} // namespace quarnel
