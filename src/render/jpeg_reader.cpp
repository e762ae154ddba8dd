// JPEG reader (libjpeg): any JPEG libjpeg can turn into RGB, bottom row first.
#include <jerror.h>

#include <algorithm>
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
  // Rows are added as they are decoded, so that a few bytes claiming a huge image fail at the
  // end of their data before the whole image has been allocated.
  const size_t row_bytes = size_t(image.width) * 3;
  while (info.output_scanline < info.output_height) {
    image.pixels.resize((size_t(info.output_scanline) + 1) * row_bytes);
    JSAMPROW row = &image.pixels[size_t(info.output_scanline) * row_bytes];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  // JPEG rows come top first; the image is stored bottom first.
  for (int y = 0; y < image.height / 2; ++y)
    std::swap_ranges(image.Pixel(0, y), image.Pixel(0, y) + row_bytes,
                     image.Pixel(0, image.height - 1 - y));
  return true;
}

}  // namespace

bool DecodeJPEG(std::span<const unsigned char> data, Image& image, const std::string& name) {
  JpegErrors errors{};
  jpeg_decompress_struct info{};
  info.err = InitJpegErrors(errors);
  // Data that ends early (end of file, or a marker in the middle of the data) is only a warning to
  // libjpeg, which then makes up the missing rows (a few bytes could claim a 16384 x 16384
  // picture); such a file is refused instead. Lesser warnings, such as stray bytes before a marker,
  // which real textures have, stay warnings.
  info.err->emit_message = [](j_common_ptr common, int level) {
    const int code = common->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
      (*common->err->error_exit)(common);
  };
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
