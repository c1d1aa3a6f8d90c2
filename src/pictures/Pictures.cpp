// Drawing maps into RGB pictures, a pixel per scale by scale block of cells.
#include "pictures/Pictures.h"

#include "analysis/MapStats.h"
#include "common/UTypes.h"

#include <bit>

namespace quarnel {

namespace {

// One byte per pixel, rows from the top: 1 where some cell of the pixel's block has its bit
// set in wordOf(row, segment column), the word of that grid row's columns 64j to 64j + 63.
template <class WordOf>
std::vector<uint8_t> Coverage(uint32_t size, uint32_t scale, WordOf wordOf) {
  const uint32_t side = PictureSide(size, scale);
  std::vector<uint8_t> mask(size_t{side} * side, 0);
  const uint32_t segments = size / 64;
  for (uint32_t r = 0; r < size; ++r) {
    uint8_t* line = mask.data() + size_t{side - 1 - r / scale} * side;
    for (uint32_t j = 0; j < segments; ++j)
      for (uint64_t w = wordOf(r, j); w != 0; w &= w - 1)
        line[(64 * j + static_cast<uint32_t>(std::countr_zero(w))) / scale] = 1;
  }
  return mask;
}

std::vector<uint8_t> BlockedCoverage(const TPathmap& map, uint32_t scale) {
  return Coverage(map.Size(), scale, [&](uint32_t r, uint32_t j) { return map.Row(r)[j]; });
}

void CheckScale(uint32_t scale) {
  if (scale == 0)
    throw Exception("the scale must be 1 or more");
}

} // namespace

uint32_t PictureSide(uint32_t size, uint32_t scale) {
  return static_cast<uint32_t>((uint64_t{size} + scale - 1) / scale);
}

TImage RenderMap(const TPathmap& map, uint32_t scale) {
  CheckScale(scale);
  const uint32_t side = PictureSide(map.Size(), scale);
  const std::vector<uint8_t> blocked = BlockedCoverage(map, scale);
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x)
      image.Set(x, y, blocked[size_t{y} * side + x] ? colours::Blocked : colours::Free);
  return image;
}

TImage RenderOverlay(const TPathmap& infantry, const TPathmap& tank, const TPathmap& car,
                     uint32_t scale) {
  CheckScale(scale);
  CheckOneSize({&infantry, &tank, &car});
  const uint32_t side = PictureSide(infantry.Size(), scale);
  const std::vector<uint8_t> i = BlockedCoverage(infantry, scale);
  const std::vector<uint8_t> t = BlockedCoverage(tank, scale);
  const std::vector<uint8_t> c = BlockedCoverage(car, scale);
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const size_t p = size_t{y} * side + x;
      image.Set(x, y,
                i[p]   ? colours::Infantry
                : t[p] ? colours::Tank
                : c[p] ? colours::Car
                       : colours::Free);
    }
  return image;
}

TImage RenderDiff(const TPathmap& a, const TPathmap& b, uint32_t scale) {
  CheckScale(scale);
  CheckOneSize({&a, &b});
  const uint32_t size = a.Size();
  const uint32_t side = PictureSide(size, scale);
  const std::vector<uint8_t> blockedA = BlockedCoverage(a, scale);
  const std::vector<uint8_t> onlyA =
      Coverage(size, scale, [&](uint32_t r, uint32_t j) { return a.Row(r)[j] & ~b.Row(r)[j]; });
  const std::vector<uint8_t> onlyB =
      Coverage(size, scale, [&](uint32_t r, uint32_t j) { return b.Row(r)[j] & ~a.Row(r)[j]; });
  TImage image(side, side);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const size_t p = size_t{y} * side + x;
      image.Set(x, y,
                onlyA[p] && onlyB[p] ? colours::BothWays
                : onlyA[p]           ? colours::OnlyInA
                : onlyB[p]           ? colours::OnlyInB
                : blockedA[p]        ? colours::DimBlocked
                                     : colours::DimFree);
    }
  return image;
}

TImage RenderChanges(const std::array<TPathmap, 3>& before, const std::array<TPathmap, 3>& after,
                     uint32_t scale) {
  TImage image = RenderOverlay(after[0], after[1], after[2], scale);
  for (size_t k = 0; k < 3; ++k)
    CheckOneSize({&before[k], &after[k]});
  const uint32_t size = after[0].Size(), side = image.Width;
  const auto changed = [&](bool blocked) {
    return Coverage(size, scale, [&](uint32_t r, uint32_t j) {
      uint64_t word = 0;
      for (size_t k = 0; k < 3; ++k)
        word |=
            (after[k].Row(r)[j] ^ before[k].Row(r)[j]) & (blocked ? after[k] : before[k]).Row(r)[j];
      return word;
    });
  };
  const std::vector<uint8_t> blocked = changed(true), freed = changed(false);
  for (uint32_t y = 0; y < side; ++y)
    for (uint32_t x = 0; x < side; ++x) {
      const size_t p = size_t{y} * side + x;
      if (blocked[p] || freed[p])
        image.Set(x, y, blocked[p] ? colours::NewlyBlocked : colours::NewlyFree);
    }
  return image;
}

} // namespace quarnel
