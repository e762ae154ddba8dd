// Small image files built in memory for the render tests: TGA (RLE, 16/24/32 bit), BMP and
// JPEG, each with known pixels.
#pragma once

#include <string>
#include <vector>

namespace kt::test {

using Bytes = std::vector<unsigned char>;

// An 18-byte TGA header (with an ID field of id_length bytes of 'x') for the given type and depth.
Bytes TgaHeader(int type, int width, int height, int bits, int id_length = 0);
// Uncompressed TGA from RGB(A) pixels given bottom row first; stored as BGR(A).
Bytes UncompressedTga(int width, int height, int channels, const Bytes& rgba);
// 24-bit BMP from RGB pixels given bottom row first (rows padded to 4 bytes).
Bytes Bmp24(int width, int height, const Bytes& rgb);
// Baseline JPEG (quality 95) from RGB pixels given top row first.
Bytes Jpeg(int width, int height, const Bytes& rgb);

void WriteBytes(const std::string& path, const Bytes& bytes);

}  // namespace kt::test
