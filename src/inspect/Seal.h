// Sealing: blocking the small regions a unit placed there could never leave.
#pragma once

#include "segutils/SegUtils.h"

#include <cstdint>
#include <string>

namespace quarnel {

struct TSealResult {
  uint64_t Regions = 0; // regions blocked
  uint64_t Cells = 0;   // cells blocked
};

// Blocks every cell of each region (see Regions.h) other than the main one that has fewer than
// minSize cells; the main region always stays. Works segment by segment as LabelRegions does.
// Raises "Pathmap not initialised" for a map without a size.
TSealResult SealRegions(TPathmap& map, uint64_t minSize, bool diagonal);

// Raises "--seal writes a copy: OUT is the map it reads (IN)" when out names the file in
// (the same file under any spelling of its path, as std::filesystem::equivalent tells).
void CheckSealTarget(const std::string& in, const std::string& out);

// Writes the map to out as TPathmap::SaveToFile does, through a file beside it that is renamed
// over out at the end, so that a failure leaves out as it was and nothing else behind. Raises
// SaveToFile's failures with out named in them ("Error opening file: OUT", "Error writing
// file: OUT"), and "Error writing file: OUT" when the rename fails.
void SaveMapReplacing(const TPathmap& map, const std::string& out);

} // namespace quarnel
