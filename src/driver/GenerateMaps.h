// The run: objects, meshes, the three map passes, the report and the counts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace quarnel {

// Writes the three maps and NotPathed.txt into the current directory, printing the
// run's console lines to out, with up to threads threads drawing and widening the objects:
// the files, the lines and the failures are those of one thread. Every failure raises an
// Exception carrying its message.
void GenerateMaps(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                  std::ostream& out, unsigned threads = 1);

} // namespace quarnel
