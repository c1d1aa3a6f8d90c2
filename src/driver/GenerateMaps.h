// The run: objects, meshes, the three map passes, the report and the counts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace quarnel {

// Writes the three maps and NotPathed.txt into the current directory, printing the
// run's console lines to out. Every failure raises an Exception carrying its message.
void GenerateMaps(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                  std::ostream& out);

} // namespace quarnel
