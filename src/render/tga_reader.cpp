// TGA reader: run-length encoded (type 10) or uncompressed true colour, 16, 24 or 32 bits.
// Stored blue-green-red(-alpha) pixels come out red-green-blue(-alpha), rows in stored order.
#include <cstdint>

#include "console/log.h"
#include "render/image.h"

namespace kt {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTypeRunLength = 10;

unsigned ReadLE16(const unsigned char* p) { return p[0] | (p[1] << 8); }

// Fills `pixels` (width * height pixels of `channels` bytes, as stored) from packets. A packet
// that runs past the last pixel is cut there; running out of input is an error.
bool DecodeRunLength(std::span<const unsigned char> in, size_t channels,
                     std::vector<unsigned char>& pixels) {
  size_t pos = 0;
  size_t out = 0;
  while (out < pixels.size()) {
    if (pos >= in.size()) return false;
    const unsigned packet = in[pos++];
    const size_t count = packet >= 128 ? packet - 127 : packet + 1;
    const bool repeated = packet >= 128;
    const size_t needed = repeated ? channels : count * channels;
    if (in.size() - pos < needed) return false;
    for (size_t i = 0; i < count && out < pixels.size(); ++i) {
      const unsigned char* src = &in[pos + (repeated ? 0 : i * channels)];
      for (size_t c = 0; c < channels; ++c) pixels[out++] = src[c];
    }
    pos += needed;
  }
  return true;
}

void SwapRedBlue(Image& image) {
  for (size_t i = 0; i + 2 < image.pixels.size(); i += image.channels)
    std::swap(image.pixels[i], image.pixels[i + 2]);
}

void Expand16Bit(std::span<const unsigned char> in, Image& image) {
  const size_t count = size_t(image.width) * image.height;
  image.channels = 3;
  image.pixels.resize(count * 3);
  for (size_t i = 0; i < count; ++i) {
    const unsigned p = ReadLE16(&in[i * 2]);
    image.pixels[i * 3 + 0] = (p >> 7) & 0xF8;
    image.pixels[i * 3 + 1] = (p >> 2) & 0xF8;
    image.pixels[i * 3 + 2] = (p & 31) * 8;
  }
}

}  // namespace

bool DecodeTGA(std::span<const unsigned char> data, Image& image, const std::string& name) {
  if (data.size() < kHeaderSize) {
    LogPrintf("LoadTGA: '%s' is too short for a TGA header", name.c_str());
    return false;
  }
  const size_t id_length = data[0];
  const int type = data[2];
  const int width = int(ReadLE16(&data[12]));
  const int height = int(ReadLE16(&data[14]));
  const int bits = data[16];
  if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide) {
    LogPrintf("LoadTGA: '%s' has an unusable size %dx%d", name.c_str(), width, height);
    return false;
  }
  const bool run_length = type == kTypeRunLength;
  if (bits != 24 && bits != 32 && !(bits == 16 && !run_length)) {
    LogPrintf("LoadTGA: '%s' has unsupported %d bits per pixel (type %d)", name.c_str(), bits,
              type);
    return false;
  }
  if (data.size() < kHeaderSize + id_length) {
    LogPrintf("LoadTGA: '%s' ends inside its image ID field", name.c_str());
    return false;
  }
  const std::span<const unsigned char> body = data.subspan(kHeaderSize + id_length);
  const size_t count = size_t(width) * height;
  const size_t stored_channels = size_t(bits) / 8;

  Image result;
  result.width = width;
  result.height = height;
  result.channels = int(stored_channels);
  // The smallest run-length data that could fill the image: packets of 128 repeated pixels.
  const size_t least_run_length_bytes = (count + 127) / 128 * (1 + stored_channels);
  if (run_length && body.size() < least_run_length_bytes) {
    LogPrintf("LoadTGA: '%s' is truncated: %zu bytes cannot hold %dx%d run-length pixels",
              name.c_str(), body.size(), width, height);
    return false;
  }
  if (run_length) {
    result.pixels.resize(count * stored_channels);
    if (!DecodeRunLength(body, stored_channels, result.pixels)) {
      LogPrintf("LoadTGA: '%s' is truncated inside its run-length data", name.c_str());
      return false;
    }
  } else {
    if (body.size() < count * stored_channels) {
      LogPrintf("LoadTGA: '%s' is truncated: %zu bytes of pixels for %dx%d at %d bits",
                name.c_str(), body.size(), width, height, bits);
      return false;
    }
    if (bits == 16) {
      Expand16Bit(body, result);
      image = std::move(result);
      return true;
    }
    result.pixels.assign(body.begin(), body.begin() + count * stored_channels);
  }
  SwapRedBlue(result);
  image = std::move(result);
  return true;
}

}  // namespace kt
