// The picture of a map's regions, each in a colour of its own.
#pragma once

#include "analysis/Regions.h"
#include "pictures/Image.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>
#include <vector>

namespace quarnel {

namespace colours {
// Regions other than the main one (drawn in Free) take these; neighbours differ.
inline constexpr std::array<TRgb, 16> RegionPalette = {{{230, 25, 75},
                                                        {60, 180, 75},
                                                        {0, 130, 200},
                                                        {245, 130, 48},
                                                        {145, 30, 180},
                                                        {70, 200, 220},
                                                        {240, 50, 230},
                                                        {160, 200, 40},
                                                        {250, 160, 190},
                                                        {0, 128, 128},
                                                        {170, 110, 40},
                                                        {128, 0, 0},
                                                        {128, 128, 0},
                                                        {0, 0, 128},
                                                        {240, 200, 20},
                                                        {128, 128, 128}}};
} // namespace colours

// Each region's colour at its number (index 0 unused): region 1 white, every other region the
// first palette colour that no neighbouring region numbered before it took; neighbours are
// regions with cells at most two rows and two columns apart (touching at a corner, or across a
// wall one cell thick). A region with neighbours of every palette colour takes colour
// (number - 2) modulo the palette's size.
std::vector<TRgb> RegionColours(const TPathmap& map, const TRegions& regions);

// The map drawn as Pictures.h draws it, blocked black and free cells in their region's colour.
// With scale > 1 a pixel is black when any of its cells is blocked, else the colour of its
// cells' one region.
TImage RenderRegions(const TPathmap& map, const TRegions& regions, uint32_t scale);

} // namespace quarnel
