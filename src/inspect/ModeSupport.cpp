// Reading maps and writing pictures for the modes.
#include "inspect/ModeSupport.h"

#include "segutils/MapFileReader.h"

namespace quarnel {

std::unique_ptr<TPathmap> LoadMap(const std::string& fileName) {
  auto map = std::make_unique<TPathmap>();
  LoadMapFile(fileName, *map);
  return map;
}

void WritePicture(const TImage& image, const TInspectOptions& options, const TInspectIo& io) {
  io.WritePng(image, options.Png);
  if (options.Has("--json"))
    return;
  io.Out << "Picture: " << options.Png << " (" << image.Width << " by " << image.Height
         << " pixels";
  if (options.Scale > 1)
    io.Out << ", one per " << options.Scale << " by " << options.Scale << " cells";
  io.Out << ")\n";
}

} // namespace quarnel
