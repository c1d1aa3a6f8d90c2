// Reading a map file back into a pathmap, checking every byte of it.
#pragma once

#include "segutils/SegUtils.h"

#include <string>

namespace quarnel {

// Loads the named map file into map, sized by the file. The file must be exactly what
// SaveToFile writes: the header with the level count of the implied size, then a square
// number of segment records (code 0 or 1 alone, or -1 with 512 bytes of cells that are
// neither all free nor all blocked), and nothing after them; so saving the loaded map
// gives the same bytes. Every defect raises an Exception naming the file and the byte
// offset of the defect; the map is then unchanged.
void LoadMapFile(const std::string& fileName, TPathmap& map);

} // namespace quarnel
