// Writing pictures as PNG files with stb_image_write.
#pragma once

#include "pictures/Image.h"

#include <string>

namespace quarnel {

// Writes an 8-bit RGB PNG file beside its name and renames it over any file of that name, which
// a failure leaves as it was; the same picture gives the same bytes on every platform. Raises
// an Exception on failure:
//   "Error opening file: NAME" when the file cannot be made or one of that name replaced;
//   "Error writing file: NAME (REASON)" when the picture is too large to encode (REASON asks
//   for a larger --scale), memory runs out (REASON "Out of memory") or a write fails (REASON
//   "the file could not be written");
//   "Error writing file: NAME" when the file cannot be closed.
void WritePng(const TImage& image, const std::string& fileName);

} // namespace quarnel
