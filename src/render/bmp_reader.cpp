// BMP reader: Windows and OS/2 headers, uncompressed 1, 4 and 8-bit palette images, 16 and
// 32-bit (plain or with bit-field masks) and 24-bit. The result is RGB, bottom row first.
#include <bit>
#include <cstdint>

#include "console/log.h"
#include "render/image.h"

namespace kt {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;

uint32_t ReadLE16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t ReadLE32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

struct BmpHeader {
  int width = 0;
  int height = 0;  // negative: rows stored top first
  int bits = 0;
  uint32_t compression = kCompressionNone;
  uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  size_t pixel_offset = 0;
  size_t palette_offset = 0;
  size_t palette_entry_size = 4;
  size_t palette_entries = 0;
};

// Extracts the channel selected by `mask` and scales it to 0..255.
unsigned char MaskedChannel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t max = mask >> shift;
  return (unsigned char)(((value & mask) >> shift) * 255 / max);
}

bool ParseHeader(std::span<const unsigned char> data, BmpHeader& h, const std::string& name) {
  if (data.size() < kFileHeaderSize + 12) {
    LogPrintf("LoadBMP: '%s' is too short for a BMP header", name.c_str());
    return false;
  }
  h.pixel_offset = ReadLE32(&data[10]);
  const size_t info_size = ReadLE32(&data[14]);
  const unsigned char* info = &data[kFileHeaderSize];
  if (info_size == 12) {  // OS/2 core header
    h.width = int(ReadLE16(info + 4));
    h.height = int(ReadLE16(info + 6));
    h.bits = int(ReadLE16(info + 10));
    h.palette_entry_size = 3;
  } else if (info_size >= 40 && data.size() >= kFileHeaderSize + info_size) {
    h.width = int32_t(ReadLE32(info + 4));
    h.height = int32_t(ReadLE32(info + 8));
    // The one height whose row count (its negation) does not fit in an int.
    if (h.height == INT32_MIN) {
      LogPrintf("LoadBMP: '%s' has an unusable height %d", name.c_str(), h.height);
      return false;
    }
    h.bits = int(ReadLE16(info + 14));
    h.compression = ReadLE32(info + 16);
    h.palette_entries = ReadLE32(info + 32);
    if (h.compression == kCompressionBitFields) {
      // Masks follow a 40-byte header, or sit inside a larger one at the same place.
      const size_t at = kFileHeaderSize + 40;
      if (data.size() < at + 12) {
        LogPrintf("LoadBMP: '%s' ends inside its colour masks", name.c_str());
        return false;
      }
      for (int i = 0; i < 3; ++i) h.masks[i] = ReadLE32(&data[at + 4 * i]);
    }
  } else {
    LogPrintf("LoadBMP: '%s' has an unknown header of %zu bytes", name.c_str(), info_size);
    return false;
  }
  h.palette_offset = kFileHeaderSize + info_size +
                     (h.compression == kCompressionBitFields && info_size == 40 ? 12 : 0);
  if (h.bits <= 8 && h.palette_entries == 0) h.palette_entries = size_t(1) << h.bits;
  return true;
}

bool CheckHeader(const BmpHeader& h, size_t row_bytes, size_t file_size, const std::string& name) {
  const int rows = h.height < 0 ? -h.height : h.height;
  if (h.width <= 0 || rows <= 0 || h.width > kMaxImageSide || rows > kMaxImageSide) {
    LogPrintf("LoadBMP: '%s' has an unusable size %dx%d", name.c_str(), h.width, h.height);
    return false;
  }
  const bool plain = h.compression == kCompressionNone;
  const bool masked = h.compression == kCompressionBitFields && (h.bits == 16 || h.bits == 32);
  const bool depth_ok =
      h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
  if (!depth_ok || !(plain || masked)) {
    LogPrintf("LoadBMP: '%s' uses %d bits per pixel with compression %u, which is not supported",
              name.c_str(), h.bits, h.compression);
    return false;
  }
  if (h.pixel_offset > file_size || file_size - h.pixel_offset < row_bytes * rows) {
    LogPrintf("LoadBMP: '%s' is truncated: its pixel rows do not fit in the file", name.c_str());
    return false;
  }
  if (h.bits <= 8 && (h.palette_entries > 256 ||
                      h.palette_offset + h.palette_entries * h.palette_entry_size > file_size)) {
    LogPrintf("LoadBMP: '%s' has a palette that does not fit in the file", name.c_str());
    return false;
  }
  return true;
}

// One pixel of a stored row as RGB.
void ReadPixel(std::span<const unsigned char> data, const BmpHeader& h, const unsigned char* row,
               int x, unsigned char* out) {
  if (h.bits <= 8) {
    const int per_byte = 8 / h.bits;
    const int shift = (per_byte - 1 - x % per_byte) * h.bits;
    const size_t index = (row[x / per_byte] >> shift) & ((1u << h.bits) - 1);
    if (index >= h.palette_entries) {
      out[0] = out[1] = out[2] = 0;
      return;
    }
    const unsigned char* entry = &data[h.palette_offset + index * h.palette_entry_size];
    out[0] = entry[2], out[1] = entry[1], out[2] = entry[0];
  } else if (h.bits == 24 || (h.bits == 32 && h.compression == kCompressionNone)) {
    const unsigned char* p = row + size_t(x) * (h.bits / 8);
    out[0] = p[2], out[1] = p[1], out[2] = p[0];
  } else {
    const bool wide = h.bits == 32;
    const uint32_t value = wide ? ReadLE32(row + size_t(x) * 4) : ReadLE16(row + size_t(x) * 2);
    const bool masked = h.compression == kCompressionBitFields;
    const uint32_t masks[3] = {masked ? h.masks[0] : 0x7C00u, masked ? h.masks[1] : 0x03E0u,
                               masked ? h.masks[2] : 0x001Fu};
    for (int c = 0; c < 3; ++c) out[c] = MaskedChannel(value, masks[c]);
  }
}

}  // namespace

bool DecodeBMP(std::span<const unsigned char> data, Image& image, const std::string& name) {
  BmpHeader h;
  if (!ParseHeader(data, h, name)) return false;
  const size_t row_bytes = (size_t(h.width > 0 ? h.width : 0) * h.bits + 31) / 32 * 4;
  if (!CheckHeader(h, row_bytes, data.size(), name)) return false;
  const int rows = h.height < 0 ? -h.height : h.height;
  Image result;
  result.width = h.width;
  result.height = rows;
  result.channels = 3;
  result.pixels.resize(size_t(h.width) * rows * 3);
  for (int y = 0; y < rows; ++y) {
    // Stored rows run bottom first unless the height is negative.
    const int stored = h.height < 0 ? rows - 1 - y : y;
    const unsigned char* row = &data[h.pixel_offset + size_t(stored) * row_bytes];
    for (int x = 0; x < h.width; ++x) ReadPixel(data, h, row, x, result.Pixel(x, y));
  }
  image = std::move(result);
  return true;
}

}  // namespace kt
