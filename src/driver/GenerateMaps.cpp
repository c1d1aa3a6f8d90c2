// The run of the program.
#include "driver/GenerateMaps.h"

#include "common/UTypes.h"
#include "driver/Console.h"
#include "segutils/SegUtils.h"

#include <string>

namespace quarnel {

void GenerateMaps(const std::string& objectFile, const std::string& meshDir, uint32_t worldSize,
                  std::ostream& out) {
  (void)objectFile;
  (void)meshDir;
  TPathmap pathmap;
  if (worldSize % 64 != 0)
    throw Exception("Invalid world size: " + std::to_string(worldSize));
  pathmap.SetSize(worldSize);
  const std::string size = std::to_string(worldSize);
  const std::string segments = std::to_string(pathmap.SegmentCount());
  WriteLine(out, "Pathmap size: " + size + " x " + size);
  WriteLine(out, "Number of segments: " + segments + " x " + segments);
}

} // namespace quarnel
