#include "render/image.h"

#include <gtest/gtest.h>

#include "image_files.h"
#include "log_capture.h"
#include "render/image_writer.h"
#include "test_support.h"

namespace kt {
namespace {

using test::Bytes;

std::vector<int> PixelAt(const Image& image, int x, int y) {
  const unsigned char* p = image.Pixel(x, y);
  return std::vector<int>(p, p + image.channels);
}

TEST(TgaReader, RunLength24BitRepeatsAndCopiesPacketsInRgbOrder) {
  Bytes file = test::TgaHeader(10, 3, 2, 24, 2);
  file.insert(file.end(), {0x82, 0, 0, 255});  // three red pixels (stored BGR)
  file.insert(file.end(), {0x02, 255, 0, 0, 0, 255, 0, 1, 2, 3});
  Image image;
  ASSERT_TRUE(DecodeTGA(file, image, "rle.tga"));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.channels, 3);
  EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(PixelAt(image, 2, 0), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(PixelAt(image, 0, 1), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(PixelAt(image, 1, 1), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(PixelAt(image, 2, 1), (std::vector<int>{3, 2, 1}));
}

TEST(TgaReader, RunLength32BitKeepsAlphaAndCutsAPacketRunningPastTheImage) {
  Bytes file = test::TgaHeader(10, 2, 1, 32);
  file.insert(file.end(), {0x84, 10, 20, 30, 40});  // five pixels into a two-pixel image
  Image image;
  ASSERT_TRUE(DecodeTGA(file, image, "rle32.tga"));
  EXPECT_EQ(image.channels, 4);
  EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<int>{30, 20, 10, 40}));
}

TEST(TgaReader, Uncompressed32And24BitRowsStayBottomFirst) {
  const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  Image image;
  ASSERT_TRUE(DecodeTGA(test::UncompressedTga(2, 2, 4, rgba), image, "a.tga"));
  EXPECT_EQ(image.pixels, rgba);
  const Bytes rgb = {1, 2, 3, 4, 5, 6};
  ASSERT_TRUE(DecodeTGA(test::UncompressedTga(1, 2, 3, rgb), image, "b.tga"));
  EXPECT_EQ(image.channels, 3);
  EXPECT_EQ(image.pixels, rgb);
}

TEST(TgaReader, SixteenBitPixelsExpandToRgb) {
  Bytes file = test::TgaHeader(2, 4, 1, 16);
  for (unsigned p : {0x7C00u, 0x03E0u, 0x001Fu, 0xFFFFu}) {
    file.push_back(static_cast<unsigned char>(p & 0xFF));
    file.push_back(static_cast<unsigned char>(p >> 8));
  }
  Image image;
  ASSERT_TRUE(DecodeTGA(file, image, "16.tga"));
  EXPECT_EQ(image.channels, 3);
  EXPECT_EQ(PixelAt(image, 0, 0), (std::vector<int>{0xF8, 0, 0}));
  EXPECT_EQ(PixelAt(image, 1, 0), (std::vector<int>{0, 0xF8, 0}));
  EXPECT_EQ(PixelAt(image, 2, 0), (std::vector<int>{0, 0, 248}));
  EXPECT_EQ(PixelAt(image, 3, 0), (std::vector<int>{0xF8, 0xF8, 248}));
}

TEST(TgaReader, MalformedFilesFailWithALogLine) {
  struct Case {
    const char* what;
    Bytes file;
    const char* log;
  };
  Bytes huge = test::TgaHeader(2, 1000, 1000, 24);
  huge.resize(huge.size() + 100);
  Bytes rle_short = test::TgaHeader(10, 4, 4, 24);
  rle_short.insert(rle_short.end(), {0x83, 1, 2});
  Bytes rle_huge = test::TgaHeader(10, 16000, 16000, 32);
  rle_huge.insert(rle_huge.end(), 1000, 0xFF);
  Bytes id_past_end = test::TgaHeader(2, 1, 1, 24);
  id_past_end[0] = 200;
  const Case cases[] = {
      {"short header", Bytes(10, 0), "too short"},
      {"zero width", test::TgaHeader(2, 0, 4, 24), "unusable size"},
      {"8 bits", test::TgaHeader(2, 1, 1, 8), "unsupported 8 bits"},
      {"16-bit RLE", test::TgaHeader(10, 1, 1, 16), "unsupported 16 bits"},
      {"pixels past the end", huge, "truncated"},
      {"RLE past the end", rle_short, "run-length"},
      {"RLE far too short for its size", rle_huge, "cannot hold 16000x16000"},
      {"ID field past the end", id_past_end, "image ID"},
  };
  for (const Case& c : cases) {
    test::LogCapture log;
    Image image;
    image.width = 7;
    EXPECT_FALSE(DecodeTGA(c.file, image, "bad.tga")) << c.what;
    EXPECT_EQ(image.width, 7) << c.what << ": a failed decode leaves the image alone";
    EXPECT_TRUE(log.Contains("bad.tga") && log.Contains(c.log)) << c.what;
  }
}

TEST(TgaReader, EveryTruncationOfAValidFileIsRejectedSafely) {
  Bytes rle = test::TgaHeader(10, 3, 3, 32, 1);
  for (int i = 0; i < 3; ++i) rle.insert(rle.end(), {0x81, 1, 2, 3, 4, 0x00, 5, 6, 7, 8});
  Image image;
  EXPECT_TRUE(DecodeTGA(rle, image, "whole.tga"));
  for (size_t n = 0; n < rle.size(); ++n) {
    test::LogCapture log;
    const Bytes prefix(rle.begin(), rle.begin() + n);
    EXPECT_FALSE(DecodeTGA(prefix, image, "cut.tga")) << n;
  }
}

TEST(BmpReader, TwentyFourBitRowsArePaddedAndBottomFirst) {
  const Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 90};
  Image image;
  ASSERT_TRUE(DecodeImage(test::Bmp24(3, 2, rgb), image, "a.bmp"));
  EXPECT_EQ(image.channels, 3);
  EXPECT_EQ(image.pixels, rgb);
}

TEST(BmpReader, NegativeHeightMeansTopRowFirst) {
  const Bytes rgb = {1, 2, 3, 4, 5, 6};
  Bytes file = test::Bmp24(1, 2, rgb);
  for (int i = 0; i < 4; ++i) file[22 + i] = 0xFF;
  file[22] = 0xFE;  // height -2
  Image image;
  ASSERT_TRUE(DecodeImage(file, image, "down.bmp"));
  EXPECT_EQ(image.pixels, (Bytes{4, 5, 6, 1, 2, 3}));

  // The most negative height has no positive row count.
  file[22] = file[23] = file[24] = 0;
  file[25] = 0x80;
  test::LogCapture log;
  EXPECT_FALSE(DecodeImage(file, image, "min.bmp"));
  EXPECT_TRUE(log.Contains("unusable height"));
}

TEST(BmpReader, TruncatedOrUnsupportedFilesFail) {
  const Bytes file = test::Bmp24(4, 4, Bytes(48, 7));
  for (size_t n = 0; n < file.size(); ++n) {
    test::LogCapture log;
    Image image;
    EXPECT_FALSE(DecodeImage(Bytes(file.begin(), file.begin() + n), image, "cut.bmp")) << n;
  }
  Bytes rle = file;
  rle[30] = 1;  // RLE8 compression
  test::LogCapture log;
  Image image;
  EXPECT_FALSE(DecodeImage(rle, image, "rle.bmp"));
  EXPECT_TRUE(log.Contains("not supported"));
}

TEST(JpegReader, DecodesToRgbBottomRowFirst) {
  Bytes rgb;  // 16x16, top half red, bottom half blue (top row first for the encoder)
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const unsigned char red = y < 8 ? 255 : 0;
      rgb.insert(rgb.end(), {red, 0, static_cast<unsigned char>(255 - red)});
    }
  Image image;
  ASSERT_TRUE(DecodeImage(test::Jpeg(16, 16, rgb), image, "a.jpg"));
  ASSERT_EQ(image.width, 16);
  EXPECT_EQ(image.channels, 3);
  const unsigned char* bottom = image.Pixel(4, 2);
  const unsigned char* top = image.Pixel(4, 13);
  EXPECT_LT(bottom[0], 10);
  EXPECT_GT(bottom[2], 245);
  EXPECT_GT(top[0], 245);
  EXPECT_LT(top[2], 10);
}

TEST(JpegReader, AHugeClaimedSizeFailsBeforeDecoding) {
  Bytes file = test::Jpeg(8, 8, Bytes(8 * 8 * 3, 128));
  size_t frame = 0;  // the start-of-frame marker holds height and width, big-endian
  while (frame + 9 < file.size() && !(file[frame] == 0xFF && file[frame + 1] == 0xC0)) ++frame;
  ASSERT_LT(frame + 9, file.size());
  for (size_t i : {frame + 5, frame + 6, frame + 7, frame + 8}) file[i] = 0xEA;
  test::LogCapture log;
  Image image;
  EXPECT_FALSE(DecodeImage(file, image, "huge.jpg"));
  EXPECT_TRUE(log.Contains("unusable size 60138x60138"));
}

TEST(JpegReader, GarbageAfterTheSignatureFails) {
  Bytes file = {0xFF, 0xD8, 0xFF, 0x00, 0x13, 0x37};
  test::LogCapture log;
  Image image;
  EXPECT_FALSE(DecodeImage(file, image, "bad.jpg"));
  EXPECT_TRUE(log.Contains("LoadJPEG: 'bad.jpg' cannot be decoded"));
  EXPECT_FALSE(DecodeImage(Bytes{'G', 'I', 'F'}, image, "a.gif"));
}

TEST(ImageFile, PathPicksTheReaderAndMissingFilesFail) {
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

TEST(ImageWriter, TgaAndJpegReadBackBottomRowFirst) {
  Image image;
  image.width = 8;
  image.height = 8;
  image.channels = 4;
  for (int y = 0; y < 8; ++y) {  // bottom half red, top half blue
    const unsigned char red = y < 4 ? 255 : 0;
    for (int x = 0; x < 8; ++x)
      image.pixels.insert(image.pixels.end(), {red, 0, static_cast<unsigned char>(255 - red), 77});
  }
  Image back;
  ASSERT_TRUE(DecodeTGA(EncodeTGA(image), back, "w.tga"));
  EXPECT_EQ(back.channels, 4);
  EXPECT_EQ(back.pixels, image.pixels);

  Bytes jpeg;
  ASSERT_TRUE(EncodeJPEG(image, 95, jpeg));
  ASSERT_TRUE(DecodeImage(jpeg, back, "w.jpg"));
  ASSERT_EQ(back.width, 8);
  EXPECT_GT(back.Pixel(2, 1)[0], 240);
  EXPECT_GT(back.Pixel(2, 6)[2], 240);

  test::LogCapture log;
  EXPECT_FALSE(EncodeJPEG(Image{}, 95, jpeg));
  EXPECT_TRUE(jpeg.empty());
  EXPECT_TRUE(EncodeTGA(Image{}).empty());
}

}  // namespace
}  // namespace kt
