// JPEG, BMP, ICO and TGA encoding.
#include "render/image_writer.h"

#include <cstdint>
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

void Put16(std::vector<unsigned char>& out, uint32_t v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The device-independent bitmap of a BMP or an icon: its header and the pixel rows bottom
// first as BGR (24 bits) or BGRA (32). An icon's header counts the AND mask's rows too.
void PutDib(std::vector<unsigned char>& out, const Image& image, int bits, int header_height) {
  const size_t row = ((size_t(image.width) * bits / 8) + 3) & ~size_t(3);
  Put32(out, 40);
  Put32(out, uint32_t(image.width));
  Put32(out, uint32_t(header_height));
  Put16(out, 1);  // planes
  Put16(out, uint32_t(bits));
  Put32(out, 0);  // no compression
  Put32(out, uint32_t(row * image.height));
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = 0; y < image.height; ++y) {
    const size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const unsigned char* p = image.Pixel(x, y);
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      if (bits == 32) out.push_back(image.channels == 4 ? p[3] : 255);
    }
    out.resize(start + row, 0);
  }
}

}  // namespace

std::vector<unsigned char> EncodeBMP(const Image& image) {
  if (!Usable(image)) return {};
  std::vector<unsigned char> dib;
  PutDib(dib, image, 24, image.height);
  std::vector<unsigned char> out = {'B', 'M'};
  Put32(out, uint32_t(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 54);  // pixels after the two headers
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

std::vector<unsigned char> EncodeICO(const Image& image) {
  if (!Usable(image)) return {};
  std::vector<unsigned char> dib;
  PutDib(dib, image, 32, image.height * 2);
  const size_t mask_row = size_t((image.width + 31) / 32) * 4;
  for (int y = 0; y < image.height; ++y) {
    std::vector<unsigned char> row(mask_row, 0);
    if (image.channels == 4)
      for (int x = 0; x < image.width; ++x)
        if (image.Pixel(x, y)[3] < 128)
          row[size_t(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
    dib.insert(dib.end(), row.begin(), row.end());
  }
  std::vector<unsigned char> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon
  Put16(out, 1);  // one image
  out.push_back(static_cast<unsigned char>(image.width >= 256 ? 0 : image.width));
  out.push_back(static_cast<unsigned char>(image.height >= 256 ? 0 : image.height));
  out.push_back(0);  // no palette
  out.push_back(0);
  Put16(out, 1);  // planes
  Put16(out, 32);
  Put32(out, uint32_t(dib.size()));
  Put32(out, 22);  // the image after this one-entry directory
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

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
