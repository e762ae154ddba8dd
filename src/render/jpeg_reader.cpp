// JPEG reader (libjpeg): any JPEG libjpeg can turn into RGB, bottom row first.
#include <cstdio>

#include "console/log.h"
#include "render/image.h"
#include "render/jpeg_errors.h"

namespace kt {
namespace {

// Kept free of objects with destructors, because a libjpeg error leaves it by longjmp.
bool Decode(std::span<const unsigned char> data, Image& image, JpegErrors& errors,
            jpeg_decompress_struct& info) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&info, TRUE);
  // Checked before decompression starts: a progressive image allocates all its coefficients
  // there.
  if (info.image_width == 0 || info.image_height == 0 ||
      info.image_width > unsigned(kMaxImageSide) || info.image_height > unsigned(kMaxImageSide)) {
    std::snprintf(errors.message, sizeof errors.message, "unusable size %ux%u", info.image_width,
                  info.image_height);
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  if (info.output_components != 3) {
    std::snprintf(errors.message, sizeof errors.message, "no RGB form of its colours");
    return false;
  }
  image.width = int(info.output_width);
  image.height = int(info.output_height);
  image.channels = 3;
  image.pixels.resize(size_t(image.width) * image.height * 3);
  while (info.output_scanline < info.output_height) {
    // JPEG rows come top first; the image is stored bottom first.
    JSAMPROW row = image.Pixel(0, image.height - 1 - int(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

bool DecodeJPEG(std::span<const unsigned char> data, Image& image, const std::string& name) {
  JpegErrors errors{};
  jpeg_decompress_struct info{};
  info.err = InitJpegErrors(errors);
  Image result;
  const bool ok = Decode(data, result, errors, info);
  jpeg_destroy_decompress(&info);
  if (!ok) {
    LogPrintf("LoadJPEG: '%s' cannot be decoded: %s", name.c_str(), errors.message);
    return false;
  }
  image = std::move(result);
  return true;
}

}  // namespace kt
