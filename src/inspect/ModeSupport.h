// What the modes share: reading a map file and writing a picture.
#pragma once

#include "inspect/InspectOptions.h"
#include "segutils/SegUtils.h"

#include <memory>
#include <string>

namespace quarnel {

// Reads a map file; raises the failures of LoadMapFile.
std::unique_ptr<TPathmap> LoadMap(const std::string& fileName);

// Writes the picture to options.Png and, unless the mode prints JSON, says so: "Picture:
// OUT.png (W by H pixels)", with ", one per N by N cells" when --scale is more than 1.
void WritePicture(const TImage& image, const TInspectOptions& options, const TInspectIo& io);

} // namespace quarnel
