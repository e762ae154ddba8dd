// In-memory images and their file encodings: BMP and ICO written here, TGA and JPEG through the
// game's image writer (render/image_writer.h), PNG through libpng; readers for the same formats
// so generated files can be checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt::content {

// Rows top to bottom, 4 channels (RGBA) per pixel.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
  uint8_t* At(int x, int y) { return &rgba[(size_t(y) * width + x) * 4]; }
  const uint8_t* At(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

using Bytes = std::string;

// Little-endian integers appended to a file's bytes (BMP, TGA, ICO and WAV all use them).
void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);

// 24-bit uncompressed bitmap (alpha dropped).
Bytes EncodeBmp(const Image& image);
// Uncompressed true colour TGA, 24 or 32 bits, bottom row first.
Bytes EncodeTga(const Image& image, bool alpha);
Bytes EncodeJpeg(const Image& image, int quality);
Bytes EncodePng(const Image& image);
// Icon with one 32-bit image (alpha kept, AND mask from alpha).
Bytes EncodeIco(const Image& image);

// Decoders return an empty image (width 0) when the bytes are not a file they understand. BMP,
// TGA and JPEG go through the game's own readers (render/image.h).
Image DecodeBmp(const Bytes& bytes);
Image DecodeTga(const Bytes& bytes);
Image DecodeJpeg(const Bytes& bytes);
Image DecodePng(const Bytes& bytes);
Image DecodeIco(const Bytes& bytes);
// Chooses the decoder from the file name's extension (any case).
Image DecodeByName(const std::string& name, const Bytes& bytes);

}  // namespace kt::content
