// Framebuffer read-back and PNG writing (libpng's simplified API).
#include "render/screenshot.h"

#include <GL/gl.h>
#include <png.h>

#include "console/log.h"

namespace kt {

Image ReadFramebuffer(int x, int y, int width, int height) {
  Image image;
  if (width <= 0 || height <= 0) return image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.resize(size_t(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
  return image;
}

bool WritePNG(const std::string& path, const Image& image) {
  if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4) ||
      image.pixels.size() < size_t(image.width) * image.height * image.channels) {
    LogPrintf("WritePNG: nothing to write to '%s'", path.c_str());
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = png_uint_32(image.width);
  png.height = png_uint_32(image.height);
  png.format = image.channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  // A negative stride makes libpng walk the rows from the last one: bottom-first in memory,
  // top-first in the file.
  const png_int_32 stride = -png_int_32(image.width * image.channels);
  if (!png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), stride, nullptr)) {
    LogPrintf("WritePNG: cannot write '%s': %s", path.c_str(), png.message);
    png_image_free(&png);
    return false;
  }
  return true;
}

}  // namespace kt
