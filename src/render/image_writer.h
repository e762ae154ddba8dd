// Image encoding, the writing side of render/image.h: images bottom row first, as the readers
// return them, into the bytes of a file. Used by the level builder and the content generator
// (PNG files are written by render/screenshot.h).
#pragma once

#include <string>
#include <vector>

#include "render/image.h"

namespace kt {

// Baseline JPEG (libjpeg) of an RGB or RGBA image (alpha dropped). False with a log line when
// the image is empty or libjpeg fails; `out` is then empty.
bool EncodeJPEG(const Image& image, int quality, std::vector<unsigned char>& out);

// Uncompressed 24-bit BMP of an RGB or RGBA image (alpha dropped), rows padded to four bytes.
// Empty for an empty image.
std::vector<unsigned char> EncodeBMP(const Image& image);

// Icon file holding one 32-bit image: alpha kept (255 for RGB), the AND mask set where alpha
// is below 128. Empty for an empty image.
std::vector<unsigned char> EncodeICO(const Image& image);

// Uncompressed true colour TGA: 24 bits for RGB, 32 for RGBA, rows bottom first. Empty for an
// empty image.
std::vector<unsigned char> EncodeTGA(const Image& image);

// Writes the bytes to a file, replacing it; false with a log line on failure.
bool WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace kt
