// PNG output through libpng, which reports its errors by longjmp.
#include "inspect/PngWriter.h"

#include "common/FileIO.h"
#include "common/UTypes.h"

#include <png.h>

#include <cstdio>

namespace quarnel {

namespace {

struct TPngContext {
  TFile* File = nullptr;
  char Message[200] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* context = static_cast<TPngContext*>(png_get_error_ptr(png));
  std::snprintf(context->Message, sizeof context->Message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* context = static_cast<TPngContext*>(png_get_io_ptr(png));
  if (context->File->Write(data, length) != static_cast<int64_t>(length))
    png_error(png, "the file could not be written");
}

void OnFlush(png_structp) {}

// Encodes the picture into context->File; false with context->Message set on failure.
// libpng leaves this frame through longjmp, so nothing in it may need a destructor.
bool Encode(const TImage& image, TPngContext* context) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, context, OnError, OnWarning);
  if (png == nullptr) {
    std::snprintf(context->Message, sizeof context->Message, "%s", kOutOfMemory);
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(context->Message, sizeof context->Message, "%s", kOutOfMemory);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, context, OnWrite, OnFlush);
  png_set_IHDR(png, info, image.Width, image.Height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (uint32_t y = 0; y < image.Height; ++y)
    png_write_row(png, image.Pixels.data() + size_t{y} * image.Width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

} // namespace

void WritePng(const TImage& image, const std::string& fileName) {
  TFile file;
  if (!file.Create(fileName, /*exclusive=*/false))
    throw Exception("Error opening file: " + fileName);
  TPngContext context;
  context.File = &file;
  const bool encoded = Encode(image, &context);
  const bool closed = file.Close();
  if (!encoded)
    throw Exception("Error writing file: " + fileName + " (" + context.Message + ")");
  if (!closed)
    throw Exception("Error writing file: " + fileName);
}

} // namespace quarnel
