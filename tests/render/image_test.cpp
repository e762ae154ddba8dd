// The image readers (TGA, BMP, JPEG) on files built in memory, the alpha mode and the writers.
#include "render/image.h"

#include <gtest/gtest.h>

#include "image_files.h"
#include "log_capture.h"
#include "render/image_writer.h"
#include "test_support.h"

namespace kt {
namespace {

using test::Bytes;

Bytes Tga(int type, int width, int height, int bits, const Bytes& data, int id_length = 0) {
  Bytes file = test::TgaHeader(type, width, height, bits, id_length);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// The TGA reader for ".tga" names, as ReadImageFile picks it; the signature readers otherwise.
bool Decode(const Bytes& file, Image& image, const std::string& name) {
  return name.ends_with(".tga") ? DecodeTGA(file, image, name) : DecodeImage(file, image, name);
}

TEST(ImageReaders, DecodeToRgbRowsBottomFirst) {
  const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  Bytes down = test::Bmp24(1, 2, {1, 2, 3, 4, 5, 6});
  for (int i = 0; i < 4; ++i) down[22 + i] = 0xFF;
  down[22] = 0xFE;  // height -2: top row first
  const struct {
    const char* what;
    Bytes file;
    int channels;
    Bytes pixels;
  } cases[] = {
      // Run-length: three red pixels (stored BGR) repeated, then three copied.
      {"rle24.tga",
       Tga(10, 3, 2, 24, {0x82, 0, 0, 255, 0x02, 255, 0, 0, 0, 255, 0, 1, 2, 3}, 2),
       3,
       {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 0, 3, 2, 1}},
      // A packet running past the image is cut.
      {"rle32.tga", Tga(10, 2, 1, 32, {0x84, 10, 20, 30, 40}), 4, {30, 20, 10, 40, 30, 20, 10, 40}},
      {"a32.tga", test::UncompressedTga(2, 2, 4, rgba), 4, rgba},
      {"a24.tga", test::UncompressedTga(1, 2, 3, {1, 2, 3, 4, 5, 6}), 3, {1, 2, 3, 4, 5, 6}},
      {"a16.tga",
       Tga(2, 4, 1, 16, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0xFF}),
       3,
       {0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0xF8, 0xF8, 0xF8}},
      {"padded.bmp",
       test::Bmp24(3, 1, {255, 0, 0, 0, 255, 0, 10, 20, 30}),
       3,
       {255, 0, 0, 0, 255, 0, 10, 20, 30}},
      {"down.bmp", down, 3, {4, 5, 6, 1, 2, 3}},
  };
  for (const auto& c : cases) {
    Image image;
    ASSERT_TRUE(Decode(c.file, image, c.what)) << c.what;
    EXPECT_EQ(image.channels, c.channels) << c.what;
    EXPECT_EQ(image.pixels, c.pixels) << c.what;
  }
}

TEST(ImageReaders, JpegDecodesBottomRowFirstAndTheWritersReadBack) {
  Image image;
  image.width = image.height = 8;
  image.channels = 4;
  for (int y = 0; y < 8; ++y) {  // bottom half red, top half blue
    const unsigned char red = y < 4 ? 255 : 0;
    for (int x = 0; x < 8; ++x)
      image.pixels.insert(image.pixels.end(), {red, 0, static_cast<unsigned char>(255 - red), 77});
  }
  Image back;
  ASSERT_TRUE(DecodeTGA(EncodeTGA(image), back, "w.tga"));
  EXPECT_EQ(back.pixels, image.pixels);

  Bytes jpeg;
  ASSERT_TRUE(EncodeJPEG(image, 95, jpeg));
  ASSERT_TRUE(DecodeImage(jpeg, back, "w.jpg"));
  ASSERT_EQ(back.width, 8);
  EXPECT_EQ(back.channels, 3);
  EXPECT_GT(back.Pixel(2, 1)[0], 240);
  EXPECT_LT(back.Pixel(2, 1)[2], 15);
  EXPECT_GT(back.Pixel(2, 6)[2], 240);

  test::LogCapture log;
  EXPECT_FALSE(EncodeJPEG(Image{}, 95, jpeg));
  EXPECT_TRUE(jpeg.empty());
  EXPECT_TRUE(EncodeTGA(Image{}).empty());
}

TEST(ImageReaders, MalformedFilesFailWithALogLineAndLeaveTheImageAlone) {
  // One case per reader; the sizes whose products used to overflow; other damage is left to the
  // tga, bmp and jpeg fuzz targets.
  Bytes bmp_min = test::Bmp24(1, 2, {1, 2, 3, 4, 5, 6});
  bmp_min[22] = bmp_min[23] = bmp_min[24] = 0;
  bmp_min[25] = 0x80;  // the most negative height has no positive row count
  Bytes jpeg_huge = test::Jpeg(8, 8, Bytes(8 * 8 * 3, 128));
  size_t frame = 0;  // the start-of-frame marker holds height and width, big-endian
  while (frame + 9 < jpeg_huge.size() &&
         !(jpeg_huge[frame] == 0xFF && jpeg_huge[frame + 1] == 0xC0))
    ++frame;
  ASSERT_LT(frame + 9, jpeg_huge.size());
  Bytes jpeg_short = jpeg_huge;  // 4000x4000 from the data of 8x8
  for (size_t i = frame + 5; i < frame + 9; ++i) {
    jpeg_huge[i] = 0xEA;
    jpeg_short[i] = (i - frame) % 2 ? 0x0F : 0xA0;
  }
  const struct {
    const char* path;
    Bytes file;
    const char* log;
  } cases[] = {
      {"short.tga", Bytes(10, 0), "too short"},
      {"rlehuge.tga", Tga(10, 16000, 16000, 32, Bytes(1000, 0xFF)), "cannot hold 16000x16000"},
      {"min.bmp", bmp_min, "unusable height"},
      {"huge.jpg", jpeg_huge, "unusable size 60138x60138"},
      {"short.jpg", jpeg_short, "Corrupt JPEG data"},
      {"bad.jpg", {0xFF, 0xD8, 0xFF, 0x00, 0x13, 0x37}, "LoadJPEG: 'bad.jpg' cannot be decoded"},
      {"a.gif", {'G', 'I', 'F'}, "a.gif"},
  };
  for (const auto& c : cases) {
    test::LogCapture log;
    Image image;
    image.width = 7;
    EXPECT_FALSE(Decode(c.file, image, c.path)) << c.path;
    EXPECT_EQ(image.width, 7) << c.path;
    EXPECT_TRUE(log.Contains(c.path) && log.Contains(c.log)) << c.path;
  }
}

TEST(ImageReaders, PathPicksTheReaderAndMissingFilesFail) {
  test::ScratchDir dir;
  test::WriteBytes("pic.tga", test::UncompressedTga(1, 1, 3, {9, 8, 7}));
  test::WriteBytes("pic.bmp", test::Bmp24(1, 1, {1, 2, 3}));
  Image image;
  ASSERT_TRUE(ReadImageFile("pic.tga", image));
  EXPECT_EQ(image.pixels, (Bytes{9, 8, 7}));
  ASSERT_TRUE(ReadImageFile("pic.bmp", image));
  EXPECT_EQ(image.pixels, (Bytes{1, 2, 3}));
  test::LogCapture log;
  EXPECT_FALSE(ReadImageFile("", image));
  EXPECT_FALSE(ReadImageFile("missing.jpg", image));
  EXPECT_TRUE(log.Contains("missing.jpg"));
}

TEST(AlphaMode, OneWidensRgbAndMakesOnlyPureBlackTransparent) {
  Image image;
  image.width = 3;
  image.height = 1;
  image.channels = 3;
  image.pixels = {0, 0, 0, 0, 0, 1, 255, 255, 255};
  Image unchanged = image;
  ApplyAlphaMode(unchanged, 0);
  EXPECT_EQ(unchanged.pixels, image.pixels);
  ApplyAlphaMode(image, 1);
  EXPECT_EQ(image.channels, 4);
  EXPECT_EQ(image.pixels, (Bytes{0, 0, 0, 0, 0, 0, 1, 255, 255, 255, 255, 255}));
  image.pixels = {0, 0, 0, 128, 0, 0, 0, 255, 1, 1, 1, 255};
  ApplyAlphaMode(image, 1);
  EXPECT_EQ(image.pixels, (Bytes{0, 0, 0, 128, 0, 0, 0, 0, 1, 1, 1, 255}));
}

}  // namespace
}  // namespace kt
