// The picture of a path over its map.
#pragma once

#include "analysis/PathSearch.h"
#include "pictures/Image.h"
#include "segutils/SegUtils.h"

#include <cstdint>

namespace quarnel {

namespace colours {
inline constexpr TRgb PathCell{220, 0, 0};
inline constexpr TRgb PathStart{0, 160, 0};
inline constexpr TRgb PathEnd{0, 90, 230};
} // namespace colours

// The map as RenderMap draws it with the path's cells over it: red, the start green and the
// end blue (a pixel of several cells takes the colour of the last of them along the path).
TImage RenderPath(const TPathmap& map, const TPathResult& path, uint32_t scale);

} // namespace quarnel
