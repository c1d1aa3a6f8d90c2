// Pictures of maps: one map, the three classes over each other, or two maps' difference.
#pragma once

#include "pictures/Image.h"
#include "segutils/SegUtils.h"

#include <array>
#include <cstdint>

namespace quarnel {

namespace colours {
inline constexpr TRgb Free{255, 255, 255};
inline constexpr TRgb Blocked{0, 0, 0};
// Overlay: one colour per mover class, darker for the class drawn on top.
inline constexpr TRgb Infantry{120, 20, 20};
inline constexpr TRgb Tank{230, 120, 30};
inline constexpr TRgb Car{250, 215, 130};
// Diff: the differences over a dim picture of the first map.
inline constexpr TRgb DimFree{255, 255, 255};
inline constexpr TRgb DimBlocked{200, 200, 200};
inline constexpr TRgb OnlyInA{220, 0, 0};
inline constexpr TRgb OnlyInB{0, 90, 230};
inline constexpr TRgb BothWays{160, 0, 200};
// Changes: the cells that two versions of a world's maps block differently.
inline constexpr TRgb NewlyBlocked{230, 0, 130};
inline constexpr TRgb NewlyFree{0, 170, 90};
} // namespace colours

// Pictures have one pixel per scale by scale block of cells, cell row 0 (world Z = 0) in
// the bottom pixel row and column 0 in the left pixel column. A pixel shows a map as
// blocked when any cell of its block is blocked; when scale does not divide the size, the
// top pixel row and the right pixel column cover fewer cells.
uint32_t PictureSide(uint32_t size, uint32_t scale);
TImage RenderMap(const TPathmap& map, uint32_t scale);
// The three maps must have one size; where several are blocked, infantry is drawn over tank
// over car.
TImage RenderOverlay(const TPathmap& infantry, const TPathmap& tank, const TPathmap& car,
                     uint32_t scale);
// The maps must have one size.
TImage RenderDiff(const TPathmap& a, const TPathmap& b, uint32_t scale);
// The maps after (infantry, tank, car) as RenderOverlay draws them, with a pixel that holds a
// cell blocked after and free before, in any class, in NewlyBlocked, else one that holds a cell
// free after and blocked before in NewlyFree. The six maps must have one size.
TImage RenderChanges(const std::array<TPathmap, 3>& before, const std::array<TPathmap, 3>& after,
                     uint32_t scale);

} // namespace quarnel
