// An RGB picture and its colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel {

struct TRgb {
  uint8_t R = 0, G = 0, B = 0;
  bool operator==(const TRgb&) const = default;
};

// An 8-bit RGB picture, 3 bytes per pixel, its rows from the top down.
struct TImage {
  uint32_t Width = 0, Height = 0;
  std::vector<uint8_t> Pixels;

  TImage() = default;
  TImage(uint32_t width, uint32_t height)
      : Width(width), Height(height), Pixels(size_t{3} * width * height) {}
  TRgb At(uint32_t x, uint32_t y) const {
    const uint8_t* p = &Pixels[(size_t{y} * Width + x) * 3];
    return {p[0], p[1], p[2]};
  }
  void Set(uint32_t x, uint32_t y, TRgb c) {
    uint8_t* p = &Pixels[(size_t{y} * Width + x) * 3];
    p[0] = c.R;
    p[1] = c.G;
    p[2] = c.B;
  }
};

} // namespace quarnel
