// Colouring regions so that neighbours differ, and drawing them.
#include "pictures/RegionsPicture.h"

#include "pictures/Pictures.h"

#include <algorithm>
#include <set>

namespace quarnel {

namespace {

// Calls f(row, cells) for each segment row with the region numbers of two rows below it and
// its own 64: cell (64i - 2 + k, c) at cells[k × Size + c], the rows below the grid all 0.
template <typename F> void ForEachBand(const TPathmap& map, const TRegions& regions, F f) {
  const size_t n = regions.Size;
  std::vector<uint32_t> band(66 * n, kNoRegion), rows;
  for (int32_t i = 0; i < map.SegmentCount(); ++i) {
    std::copy(band.end() - static_cast<std::ptrdiff_t>(2 * n), band.end(), band.begin());
    RegionRows(map, regions, i, rows);
    std::copy(rows.begin(), rows.end(), band.begin() + static_cast<std::ptrdiff_t>(2 * n));
    f(i, band);
  }
}

} // namespace

std::vector<TRgb> RegionColours(const TPathmap& map, const TRegions& regions) {
  const size_t count = regions.Regions.size();
  std::vector<std::set<uint32_t>> neighbours(count + 1);
  const int64_t n = regions.Size;
  ForEachBand(map, regions, [&](int32_t, const std::vector<uint32_t>& band) {
    // Each pair of cells at most two rows and columns apart is looked at once, from the lower
    // (or, in one row, the western) cell, for the 64 rows of the segment row.
    for (int64_t k = 0; k < 66; ++k)
      for (int64_t c = 0; c < n; ++c) {
        const uint32_t a = band[size_t(k * n + c)];
        if (a == kNoRegion)
          continue;
        for (int64_t dr = 0; dr <= 2; ++dr)
          for (int64_t dc = dr == 0 ? 1 : -2; dc <= 2; ++dc) {
            const int64_t r = k + dr, col = c + dc;
            if (r < 2 || r >= 66 || col < 0 || col >= n) // r < 2: seen in the band below
              continue;
            const uint32_t b = band[size_t(r * n + col)];
            if (b != kNoRegion && b != a) {
              neighbours[a].insert(b);
              neighbours[b].insert(a);
            }
          }
      }
  });
  std::vector<TRgb> colour(count + 1, colours::Free);
  std::vector<int> index(count + 1, -1);
  const size_t size = colours::RegionPalette.size();
  for (size_t region = 2; region <= count; ++region) {
    std::vector<bool> taken(size, false);
    for (uint32_t other : neighbours[region])
      if (other != 1 && index[other] >= 0)
        taken[size_t(index[other])] = true;
    const auto free = std::find(taken.begin(), taken.end(), false);
    index[region] =
        static_cast<int>(free == taken.end() ? (region - 2) % size : size_t(free - taken.begin()));
    colour[region] = colours::RegionPalette[size_t(index[region])];
  }
  return colour;
}

TImage RenderRegions(const TPathmap& map, const TRegions& regions, uint32_t scale) {
  const std::vector<TRgb> colour = RegionColours(map, regions);
  const uint32_t side = PictureSide(map.Size(), scale);
  TImage image(side, side);
  std::fill(image.Pixels.begin(), image.Pixels.end(), uint8_t{255});
  std::vector<uint32_t> rows;
  const size_t n = regions.Size;
  for (int32_t i = 0; i < map.SegmentCount(); ++i) {
    RegionRows(map, regions, i, rows);
    for (uint32_t k = 0; k < 64; ++k) {
      const uint32_t y = side - 1 - (64 * uint32_t(i) + k) / scale;
      for (uint32_t c = 0; c < n; ++c) {
        const uint32_t region = rows[k * n + c];
        const uint32_t x = c / scale;
        if (region == kNoRegion)
          image.Set(x, y, colours::Blocked);
        else if (!(image.At(x, y) == colours::Blocked))
          image.Set(x, y, colour[region]);
      }
    }
  }
  return image;
}

} // namespace quarnel
