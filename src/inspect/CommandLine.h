// quarnel-inspect's command line: its modes, options, usage text and exit status.
#pragma once

#include "inspect/Pictures.h"
#include "inspect/ViewPage.h"

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace quarnel {

inline constexpr int kInspectOk = 0;
inline constexpr int kInspectMapsDiffer = 1;
inline constexpr int kInspectError = 2;

// How many differing cells --diff lists.
inline constexpr size_t kListedDifferences = 10;

// Writes a picture to a file; raises an Exception on failure.
using TImageWriter = std::function<void(const TImage& image, const std::string& fileName)>;

// Writes the viewer page (ViewPage.h); raises an Exception on failure.
using TViewWriter = std::function<void(const TViewRequest& request)>;

std::string InspectUsage(bool pngAvailable, bool viewAvailable = false);

// Runs quarnel-inspect on its arguments (without the program name) and returns the exit
// status. writePng is empty when the program is built without PNG support, writeView when
// it is built without the viewer (which needs zlib).
int RunInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const TImageWriter& writePng, const TViewWriter& writeView = {});

} // namespace quarnel
