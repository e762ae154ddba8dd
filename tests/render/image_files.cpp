#include "image_files.h"

#include <cstdio>
#include <fstream>

#include "render/image_writer.h"

namespace kt::test {
namespace {

void Put16(Bytes& b, unsigned v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, unsigned v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

Bytes TgaHeader(int type, int width, int height, int bits, int id_length) {
  Bytes b = {static_cast<unsigned char>(id_length), 0, static_cast<unsigned char>(type)};
  b.resize(12, 0);
  Put16(b, width);
  Put16(b, height);
  b.push_back(static_cast<unsigned char>(bits));
  b.push_back(0);
  b.insert(b.end(), id_length, 'x');
  return b;
}

Bytes UncompressedTga(int width, int height, int channels, const Bytes& rgba) {
  Bytes b = TgaHeader(2, width, height, channels * 8, 3);
  for (size_t i = 0; i + channels <= rgba.size(); i += channels) {
    b.push_back(rgba[i + 2]);
    b.push_back(rgba[i + 1]);
    b.push_back(rgba[i + 0]);
    if (channels == 4) b.push_back(rgba[i + 3]);
  }
  return b;
}

Bytes Bmp24(int width, int height, const Bytes& rgb) {
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  Bytes b = {'B', 'M'};
  Put32(b, 54 + row_bytes * height);
  Put32(b, 0);
  Put32(b, 54);
  Put32(b, 40);
  Put32(b, width);
  Put32(b, height);
  Put16(b, 1);
  Put16(b, 24);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &rgb[(y * width + x) * 3];
      b.insert(b.end(), {p[2], p[1], p[0]});
    }
    b.resize(b.size() + row_bytes - width * 3, 0);
  }
  return b;
}

Bytes Jpeg(int width, int height, const Bytes& rgb) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = 3;
  for (int y = height - 1; y >= 0; --y)  // the writer takes rows bottom first
    image.pixels.insert(image.pixels.end(), rgb.begin() + y * width * 3,
                        rgb.begin() + (y + 1) * width * 3);
  Bytes result;
  EncodeJPEG(image, 95, result);
  return result;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace kt::test
