// PNG output through stb_image_write (Debian's libstb-dev). Its deflate is its own plain C
// code, not the platform's zlib, so a picture's bytes do not depend on the platform.
#include "pictures/PngWriter.h"

#include "common/ReplacingFile.h"
#include "common/UTypes.h"

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <climits>
#include <cstdint>

namespace quarnel {

namespace {

// stb_image_write counts in int the filtered rows (a filter byte and 3 bytes a pixel) and the
// deflated stream, which its fixed codes make at most 9/8 of them and whose growing buffer
// may reach twice that: 2 * 9/8 * rowBytes must stay below INT_MAX, with room for headers.
constexpr uint64_t kMaxRowBytes = INT_MAX / 10 * 4;

struct TPngOutput {
  TReplacingFile* File = nullptr;
  bool Failed = false;
};

void OnWrite(void* context, void* data, int size) {
  auto* output = static_cast<TPngOutput*>(context);
  if (!output->Failed && output->File->Write(data, size) != size)
    output->Failed = true;
}

} // namespace

void WritePng(const TImage& image, const std::string& fileName) {
  if ((uint64_t{image.Width} * 3 + 1) * image.Height > kMaxRowBytes)
    throw Exception("Error writing file: " + fileName +
                    " (the picture is too large for PNG: give a larger --scale)");
  TReplacingFile file;
  if (!file.Create(fileName))
    throw Exception("Error opening file: " + fileName);
  TPngOutput output;
  output.File = &file;
  const int width = static_cast<int>(image.Width), height = static_cast<int>(image.Height);
  const bool encoded = stbi_write_png_to_func(OnWrite, &output, width, height, 3,
                                              image.Pixels.data(), width * 3) != 0;
  const bool closed = file.Close();
  if (!encoded)
    throw Exception("Error writing file: " + fileName + " (" + kOutOfMemory + ")");
  if (output.Failed)
    throw Exception("Error writing file: " + fileName + " (the file could not be written)");
  if (!closed)
    throw Exception("Error writing file: " + fileName);
  if (!file.Commit())
    throw Exception("Error opening file: " + fileName);
}

} // namespace quarnel
