// The map file header and the texts of map sizes.
#include "segutils/MapFormat.h"

#include "common/LittleEndian.h"
#include "segutils/SegUtils.h"

namespace quarnel::mapfile {

void PutHeader(uint8_t* out, uint32_t size) {
  const int32_t levels = TPathmap::LevelCount(size);
  PutInt32At(out, levels);
  PutInt32At(out + 4, levels);
  for (int k = 0; k < 6; ++k)
    PutInt32At(out + 8 + 4 * k, kHeaderFields[k]);
}

std::string SideText(uint64_t size) {
  return std::to_string(size) + " by " + std::to_string(size);
}

} // namespace quarnel::mapfile
