// The three maps of a world drawn in memory, as the run draws them before it writes them.
#pragma once

#include "readcon/ReadCon.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>

namespace quarnel {

// The infantry, tank and car maps of objects (as LoadWorldObjects fills them) on a world of
// worldSize cells a side. Raises what the run raises: "Invalid world size: " and the size for
// one that is not a multiple of 64, "Pathmap not initialised" for 0, the failures of placing an
// object, "Out of memory".
std::array<TPathmap, 3> DrawWorldMaps(const TStaticObjectLL& objects, uint32_t worldSize);

} // namespace quarnel
