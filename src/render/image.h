// Image decoding without OpenGL: TGA, BMP and JPEG files into packed pixels, bottom row first
// (the order glTexImage2D and glReadPixels use). The level builder, tools and tests decode with
// these; render/texture.h uploads the result.
//
// Every decoder validates the header against the data it was given and fails with a log line
// naming the file; nothing reads past the end of a truncated or lying file.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace kt {

struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;  // 3 (RGB) or 4 (RGBA)
  // width * channels bytes per row, no padding, bottom row first.
  std::vector<unsigned char> pixels;

  unsigned char* Pixel(int x, int y) { return &pixels[(size_t(y) * width + x) * channels]; }
  const unsigned char* Pixel(int x, int y) const {
    return &pixels[(size_t(y) * width + x) * channels];
  }
};

// Largest width or height any decoder accepts; larger headers are taken as corrupt.
inline constexpr int kMaxImageSide = 16384;

// TGA: type 10 run-length encoded, anything else uncompressed true colour; 16, 24 or 32 bits.
// 16-bit pixels become RGB; 24 and 32 keep 3 and 4 channels. The rows stay in stored order
// (the origin bit of the descriptor is not looked at). `name` is only used in log lines.
bool DecodeTGA(std::span<const unsigned char> data, Image& image, const std::string& name);

// BMP (uncompressed 1, 4, 8, 16, 24 and 32 bits) and JPEG (baseline and progressive), told apart
// by their signatures. The result is always RGB: an alpha channel in a BMP is dropped.
bool DecodeImage(std::span<const unsigned char> data, Image& image, const std::string& name);
bool DecodeBMP(std::span<const unsigned char> data, Image& image, const std::string& name);
bool DecodeJPEG(std::span<const unsigned char> data, Image& image, const std::string& name);

// Reads a whole file; false (with a log line) when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& bytes);

// The texture loader's reader: a path containing ".tga" goes to the TGA reader, any other file
// to the image loader (BMP or JPEG by content). An empty path fails.
bool ReadImageFile(const std::string& path, Image& image);

// Alpha mode 1: widens RGB to RGBA (alpha 255) and makes pure opaque black transparent.
// Alpha mode 0 leaves the image unchanged.
void ApplyAlphaMode(Image& image, int alpha_mode);

}  // namespace kt
