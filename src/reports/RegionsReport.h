// What --regions prints: the region table as text or JSON.
#pragma once

#include "analysis/Regions.h"

#include <cstddef>
#include <ostream>
#include <string>

namespace quarnel {

// Prints the regions of the named map: their count, the main region's size and share of the
// free cells, the other regions largest first (the first limit of them, then how many more and
// their cells in all), the free cells outside the main region and, without diagonal steps, the
// gaps (regions.FirstGaps, as many as LabelRegions listed).
void PrintRegionsText(std::ostream& out, const std::string& name, const TRegions& regions,
                      size_t limit);
// The same as one JSON object on one line.
std::string RegionsJson(const std::string& name, const TRegions& regions, size_t limit);

} // namespace quarnel
