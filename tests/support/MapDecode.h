// Reads a map file back into a set of blocked cells, for checking what the tool wrote.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

namespace testutil {

struct DecodedMap {
  bool Valid = false;
  int32_t Levels = -1;
  uint32_t Size = 0;
  std::set<std::pair<uint32_t, uint32_t>> Blocked; // (row, column)
};

// Decodes a map file of a world of the given size; Valid is false when the bytes do not
// follow the format.
inline DecodedMap DecodeMap(const std::string& bytes, uint32_t size) {
  DecodedMap map;
  auto int32At = [&](size_t offset) {
    return static_cast<int32_t>(
        static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8 |
        static_cast<uint8_t>(bytes[offset + 2]) << 16 |
        static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + 3])) << 24);
  };
  if (bytes.size() < 32)
    return map;
  map.Levels = int32At(0);
  const int32_t constants[6] = {6, 0, 0, 2, 0, -1};
  if (int32At(4) != map.Levels)
    return map;
  for (int k = 0; k < 6; ++k)
    if (int32At(8 + 4 * k) != constants[k])
      return map;
  const uint32_t segments = size / 64;
  size_t at = 32;
  for (uint32_t i = 0; i < segments; ++i)
    for (uint32_t j = 0; j < segments; ++j) {
      if (at + 4 > bytes.size())
        return map;
      const int32_t code = int32At(at);
      at += 4;
      for (uint32_t r = 0; r < 64; ++r)
        for (uint32_t c = 0; c < 64; ++c) {
          bool blocked;
          if (code == 0) {
            blocked = false;
          } else if (code == 1) {
            blocked = true;
          } else if (code == -1) {
            if (at + 512 > bytes.size())
              return map;
            blocked = (static_cast<uint8_t>(bytes[at + r * 8 + c / 8]) >> (c % 8)) & 1;
          } else {
            return map;
          }
          if (blocked)
            map.Blocked.insert({i * 64 + r, j * 64 + c});
        }
      if (code == -1)
        at += 512;
    }
  map.Valid = at == bytes.size();
  map.Size = size;
  return map;
}

} // namespace testutil
