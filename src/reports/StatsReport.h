// A map's statistics as the statistics mode prints them.
#pragma once

#include "analysis/MapStats.h"

#include <ostream>
#include <string>

namespace quarnel {

void PrintStats(std::ostream& out, const std::string& name, const TMapStats& stats);

} // namespace quarnel
