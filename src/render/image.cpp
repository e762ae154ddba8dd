// The texture loader's file reading: picks the reader by path, widens alpha.
#include "render/image.h"

#include <cstdio>
#include <memory>

#include "console/log.h"

namespace kt {

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    LogPrintf("LoadTexture: cannot open '%s'", path.c_str());
    return false;
  }
  bytes.clear();
  unsigned char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
    bytes.insert(bytes.end(), buffer, buffer + count);
  if (std::ferror(file.get())) {
    LogPrintf("LoadTexture: cannot read '%s'", path.c_str());
    return false;
  }
  return true;
}

bool DecodeImage(std::span<const unsigned char> data, Image& image, const std::string& name) {
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBMP(data, image, name);
  if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    return DecodeJPEG(data, image, name);
  LogPrintf("LoadTexture: '%s' is neither a BMP nor a JPEG image", name.c_str());
  return false;
}

bool ReadImageFile(const std::string& path, Image& image) {
  if (path.empty()) return false;
  std::vector<unsigned char> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  if (path.find(".tga") != std::string::npos) return DecodeTGA(bytes, image, path);
  return DecodeImage(bytes, image, path);
}

void ApplyAlphaMode(Image& image, int alpha_mode) {
  if (alpha_mode != 1) return;
  if (image.channels == 3) {
    std::vector<unsigned char> rgba(size_t(image.width) * image.height * 4);
    for (size_t i = 0, n = size_t(image.width) * image.height; i < n; ++i) {
      rgba[i * 4 + 0] = image.pixels[i * 3 + 0];
      rgba[i * 4 + 1] = image.pixels[i * 3 + 1];
      rgba[i * 4 + 2] = image.pixels[i * 3 + 2];
      rgba[i * 4 + 3] = 255;
    }
    image.pixels = std::move(rgba);
    image.channels = 4;
  }
  if (image.channels != 4) return;
  for (size_t i = 0; i + 3 < image.pixels.size(); i += 4) {
    unsigned char* p = &image.pixels[i];
    if (p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 255) p[3] = 0;
  }
}

}  // namespace kt
