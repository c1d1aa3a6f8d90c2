// A map's statistics as text.
#include "reports/StatsReport.h"

#include "segutils/MapFormat.h"

#include <cstdio>

namespace quarnel {

using mapfile::SideText;

void PrintStats(std::ostream& out, const std::string& name, const TMapStats& stats) {
  const uint64_t cells = uint64_t{stats.Size} * stats.Size;
  const uint64_t segments = uint64_t{static_cast<uint32_t>(stats.SegmentCount)} *
                            static_cast<uint32_t>(stats.SegmentCount);
  char share[32];
  std::snprintf(share, sizeof share, "%.2f%%",
                cells == 0
                    ? 0.0
                    : 100.0 * static_cast<double>(stats.BlockedCells) / static_cast<double>(cells));
  out << "Map: " << name << "\n"
      << "Size: " << SideText(stats.Size) << " cells\n"
      << "Segments: " << stats.SegmentCount << " by " << stats.SegmentCount << " (" << segments
      << " of 64 by 64 cells)\n"
      << "Level count: " << stats.LevelCount << "\n"
      << "Blocked cells: " << stats.BlockedCells << " of " << cells << " (" << share << ")\n"
      << "Uniform free segments: " << stats.FreeSegments << "\n"
      << "Uniform blocked segments: " << stats.BlockedSegments << "\n"
      << "Mixed segments: " << stats.MixedSegments << "\n";
}

} // namespace quarnel
