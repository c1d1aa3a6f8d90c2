// Drawing a path's cells over its map.
#include "pictures/PathPicture.h"

#include "pictures/Pictures.h"

namespace quarnel {

TImage RenderPath(const TPathmap& map, const TPathResult& path, uint32_t scale) {
  TImage image = RenderMap(map, scale);
  const std::vector<TCell> cells = PathCells(path);
  const uint32_t side = image.Height;
  for (size_t k = 0; k < cells.size(); ++k)
    image.Set(cells[k].Column / scale, side - 1 - cells[k].Row / scale,
              k == 0                  ? colours::PathStart
              : k + 1 == cells.size() ? colours::PathEnd
                                      : colours::PathCell);
  return image;
}

} // namespace quarnel
