// The map file header and the texts of map sizes.
#include "segutils/MapFormat.h"

#include "common/LittleEndian.h"

namespace quarnel::mapfile {

void PutHeader(uint8_t* out, int32_t levels) {
  PutInt32At(out, levels);
  PutInt32At(out + 4, levels);
  for (int k = 0; k < 6; ++k)
    PutInt32At(out + 8 + 4 * k, kHeaderFields[k]);
}

std::string SideText(uint64_t size) {
  return std::to_string(size) + " by " + std::to_string(size);
}

} // namespace quarnel::mapfile

namespace quarnel {

const char* MapFileNameOf(MapClass mapClass) {
  static const char* const names[3] = {"Infantry1Level0Map.raw", "Tank0Level0Map.raw",
                                       "Car4Level0Map.raw"};
  return names[static_cast<size_t>(mapClass)];
}

bool MapClassOfFile(const std::string& fileName, MapClass& mapClass) {
  const size_t slash = fileName.find_last_of("/\\");
  const std::string name = LowerAscii(fileName.substr(slash == std::string::npos ? 0 : slash + 1));
  for (MapClass c : {MapClass::Infantry, MapClass::Tank, MapClass::Car})
    if (name == LowerAscii(MapFileNameOf(c))) {
      mapClass = c;
      return true;
    }
  return false;
}

} // namespace quarnel
