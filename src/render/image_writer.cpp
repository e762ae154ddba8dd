// JPEG and TGA encoding.
#include "render/image_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "console/log.h"
#include "render/jpeg_errors.h"

namespace kt {
namespace {

// Kept free of objects with destructors, because a libjpeg error leaves it by longjmp. `row`
// holds one RGB row.
bool Encode(const Image& image, int quality, unsigned char* row, JpegErrors& errors,
            jpeg_compress_struct& info, unsigned char*& buffer, unsigned long& size) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = JDIMENSION(image.width);
  info.image_height = JDIMENSION(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    // JPEG rows go top first; the image is stored bottom first.
    const unsigned char* src = image.Pixel(0, image.height - 1 - int(info.next_scanline));
    for (int x = 0; x < image.width; ++x)
      std::memcpy(row + size_t(x) * 3, src + size_t(x) * image.channels, 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  return true;
}

bool Usable(const Image& image) {
  return image.width > 0 && image.height > 0 && (image.channels == 3 || image.channels == 4) &&
         image.pixels.size() >= size_t(image.width) * image.height * image.channels;
}

}  // namespace

bool EncodeJPEG(const Image& image, int quality, std::vector<unsigned char>& out) {
  out.clear();
  if (!Usable(image)) {
    LogPrintf("EncodeJPEG: nothing to encode");
    return false;
  }
  JpegErrors errors{};
  jpeg_compress_struct info{};
  info.err = InitJpegErrors(errors);
  std::vector<unsigned char> row(size_t(image.width) * 3);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = Encode(image, quality, row.data(), errors, info, buffer, size);
  jpeg_destroy_compress(&info);
  if (ok) out.assign(buffer, buffer + size);
  std::free(buffer);
  if (!ok) LogPrintf("EncodeJPEG: %s", errors.message);
  return ok;
}

std::vector<unsigned char> EncodeTGA(const Image& image) {
  if (!Usable(image)) return {};
  std::vector<unsigned char> out(18, 0);
  out[2] = 2;  // uncompressed true colour
  out[12] = static_cast<unsigned char>(image.width & 0xFF);
  out[13] = static_cast<unsigned char>(image.width >> 8);
  out[14] = static_cast<unsigned char>(image.height & 0xFF);
  out[15] = static_cast<unsigned char>(image.height >> 8);
  out[16] = static_cast<unsigned char>(image.channels * 8);
  out[17] = image.channels == 4 ? 8 : 0;  // alpha bits
  const size_t count = size_t(image.width) * image.height;
  out.reserve(18 + count * image.channels);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* p = &image.pixels[i * image.channels];
    out.push_back(p[2]);
    out.push_back(p[1]);
    out.push_back(p[0]);
    if (image.channels == 4) out.push_back(p[3]);
  }
  return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
      std::fclose(file.release()) != 0) {
    LogPrintf("WriteFile: cannot write '%s'", path.c_str());
    return false;
  }
  return true;
}

}  // namespace kt
