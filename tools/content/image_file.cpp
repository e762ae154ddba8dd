// Image encoders and decoders. Sections: little-endian helpers, BMP, TGA, ICO, JPEG, PNG.
#include "image_file.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <span>

#include "render/image.h"
#include "render/image_writer.h"

namespace kt::content {

void Put16(Bytes& b, uint32_t v) {
  b += char(v & 0xff);
  b += char((v >> 8) & 0xff);
}

void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

namespace {

uint32_t Get16(const Bytes& b, size_t at) {
  return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t Get32(const Bytes& b, size_t at) { return Get16(b, at) | Get16(b, at + 2) << 16; }

// The DIB part of a BMP or ICO: header and pixel rows bottom-up.
void PutDib(Bytes& out, const Image& image, int bits, int header_height) {
  const int row = ((image.width * bits / 8) + 3) & ~3;
  Put32(out, 40);
  Put32(out, image.width);
  Put32(out, header_height);
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);
  Put32(out, uint32_t(row * image.height));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.At(x, y);
      out += char(p[2]);
      out += char(p[1]);
      out += char(p[0]);
      if (bits == 32) out += char(p[3]);
    }
    while (out.size() - start < size_t(row)) out += '\0';
  }
}

// Reads an icon's DIB of 24 or 32 bits (positive height, bottom-up) starting at `at`.
Image GetDib(const Bytes& b, size_t at, size_t pixels, int rows) {
  if (b.size() < at + 40) return {};
  const int w = int(Get32(b, at + 4));
  const int bits = int(Get16(b, at + 14));
  if (w <= 0 || rows <= 0 || w > 16384 || rows > 16384 || (bits != 24 && bits != 32)) return {};
  if (Get32(b, at + 16) != 0) return {};
  const size_t row = ((size_t(w) * bits / 8) + 3) & ~size_t(3);
  if (pixels + row * rows > b.size()) return {};
  Image image(w, rows);
  for (int y = 0; y < rows; ++y) {
    const size_t line = pixels + row * (rows - 1 - y);
    for (int x = 0; x < w; ++x) {
      const size_t p = line + size_t(x) * (bits / 8);
      uint8_t* d = image.At(x, y);
      d[0] = uint8_t(b[p + 2]), d[1] = uint8_t(b[p + 1]), d[2] = uint8_t(b[p]);
      d[3] = bits == 32 ? uint8_t(b[p + 3]) : 255;
    }
  }
  return image;
}

// Decodes with the game's own reader and turns its bottom-first RGB(A) into top-first RGBA.
Image FromGameReader(const Bytes& bytes, bool (*decode)(std::span<const unsigned char>, kt::Image&,
                                                        const std::string&)) {
  kt::Image game;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (!decode(std::span(data, bytes.size()), game, "generated image")) return {};
  Image image(game.width, game.height);
  for (int y = 0; y < game.height; ++y)
    for (int x = 0; x < game.width; ++x) {
      const unsigned char* p = game.Pixel(x, game.height - 1 - y);
      uint8_t* d = image.At(x, y);
      d[0] = p[0], d[1] = p[1], d[2] = p[2];
      d[3] = game.channels == 4 ? p[3] : 255;
    }
  return image;
}

// The game's image layout: rows bottom first, RGB or RGBA.
kt::Image ToGameImage(const Image& image, int channels) {
  kt::Image game;
  game.width = image.width;
  game.height = image.height;
  game.channels = channels;
  game.pixels.resize(size_t(image.width) * image.height * channels);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      std::memcpy(game.Pixel(x, image.height - 1 - y), image.At(x, y), size_t(channels));
  return game;
}

}  // namespace

Bytes EncodeBmp(const Image& image) {
  Bytes dib;
  PutDib(dib, image, 24, image.height);
  Bytes out = "BM";
  Put32(out, uint32_t(14 + dib.size()));
  Put32(out, 0);
  Put32(out, 54);
  return out + dib;
}

Image DecodeBmp(const Bytes& b) { return FromGameReader(b, kt::DecodeBMP); }

Bytes EncodeTga(const Image& image, bool alpha) {
  const std::vector<unsigned char> bytes = kt::EncodeTGA(ToGameImage(image, alpha ? 4 : 3));
  return Bytes(bytes.begin(), bytes.end());
}

Image DecodeTga(const Bytes& b) { return FromGameReader(b, kt::DecodeTGA); }

Bytes EncodeIco(const Image& image) {
  Bytes dib;
  PutDib(dib, image, 32, image.height * 2);
  const int mask_row = ((image.width + 31) / 32) * 4;
  for (int y = image.height - 1; y >= 0; --y) {
    Bytes row(size_t(mask_row), '\0');
    for (int x = 0; x < image.width; ++x)
      if (image.At(x, y)[3] < 128) row[size_t(x / 8)] |= char(0x80 >> (x % 8));
    dib += row;
  }
  Bytes out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out += char(image.width >= 256 ? 0 : image.width);
  out += char(image.height >= 256 ? 0 : image.height);
  out += '\0';
  out += '\0';
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, uint32_t(dib.size()));
  Put32(out, 22);
  return out + dib;
}

Image DecodeIco(const Bytes& b) {
  if (b.size() < 22 || Get16(b, 0) != 0 || Get16(b, 2) != 1 || Get16(b, 4) < 1) return {};
  const size_t at = Get32(b, 18);
  if (at + 40 > b.size()) return {};
  const int rows = int(int32_t(Get32(b, at + 8))) / 2;
  return GetDib(b, at, at + Get32(b, at), rows);
}

Bytes EncodeJpeg(const Image& image, int quality) {
  std::vector<unsigned char> bytes;
  if (!kt::EncodeJPEG(ToGameImage(image, 3), quality, bytes)) return {};
  return Bytes(bytes.begin(), bytes.end());
}

Image DecodeJpeg(const Bytes& bytes) { return FromGameReader(bytes, kt::DecodeJPEG); }

namespace {

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  static_cast<Bytes*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}
void PngFlush(png_structp) {}

struct PngSource {
  const Bytes* bytes;
  size_t at;
};
void PngRead(png_structp png, png_bytep data, png_size_t length) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (src->at + length > src->bytes->size()) png_error(png, "truncated");
  std::memcpy(data, src->bytes->data() + src->at, length);
  src->at += length;
}

}  // namespace

Bytes EncodePng(const Image& image) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) png_write_row(png, const_cast<png_bytep>(image.At(0, y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

Image DecodePng(const Bytes& bytes) {
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8))
    return {};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  Image image;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return {};
  }
  PngSource src{&bytes, 0};
  png_set_read_fn(png, &src, PngRead);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  const int w = int(png_get_image_width(png, info)), h = int(png_get_image_height(png, info));
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || png_get_rowbytes(png, info) != size_t(w) * 4) {
    png_destroy_read_struct(&png, &info, nullptr);
    return {};
  }
  image = Image(w, h);
  for (int y = 0; y < h; ++y) png_read_row(png, image.At(0, y), nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return image;
}

Image DecodeByName(const std::string& name, const Bytes& bytes) {
  std::string ext = name.substr(name.find_last_of('.') + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext == "bmp") return DecodeBmp(bytes);
  if (ext == "tga") return DecodeTga(bytes);
  if (ext == "jpg" || ext == "jpeg") return DecodeJpeg(bytes);
  if (ext == "png") return DecodePng(bytes);
  if (ext == "ico") return DecodeIco(bytes);
  return {};
}

}  // namespace kt::content
