// Little-endian fields of the binary files: map files and standard mesh files.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace quarnel {

inline uint32_t UInt32At(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline int32_t Int32At(const uint8_t* p) {
  return static_cast<int32_t>(UInt32At(p));
}

inline uint64_t UInt64At(const uint8_t* p) {
  return uint64_t{UInt32At(p)} | uint64_t{UInt32At(p + 4)} << 32;
}

inline void PutInt32At(uint8_t* p, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &u, 4);
  } else {
    for (int b = 0; b < 4; ++b)
      p[b] = static_cast<uint8_t>(u >> (8 * b));
  }
}

inline void PutUInt64At(uint8_t* p, uint64_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &value, 8);
  } else {
    for (int b = 0; b < 8; ++b)
      p[b] = static_cast<uint8_t>(value >> (8 * b));
  }
}

} // namespace quarnel
