// Writing pictures as PNG files with libpng.
#pragma once

#include "inspect/CommandLine.h"

#include <string>

namespace quarnel {

// Writes an 8-bit RGB PNG file, replacing any file of that name; raises an Exception naming
// the file on failure.
void WritePng(const TImage& image, const std::string& fileName);

} // namespace quarnel
