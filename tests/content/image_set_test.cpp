// Screen images: every name the game loads, decodable by the game's own image reader, sized
// for the screen layout, overlays on pure black.
#include "image_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <span>

#include "painter.h"
#include "render/image.h"
#include "render/image_writer.h"

namespace kt::content {
namespace {

const std::map<std::string, GeneratedFile>& Images() {
  static const std::map<std::string, GeneratedFile> images = [] {
    std::map<std::string, GeneratedFile> m;
    bool fonts = false;
    for (GeneratedFile& f : MakeImages(&fonts)) m[f.path] = std::move(f);
    EXPECT_TRUE(fonts) << "Liberation fonts not found through fontconfig";
    return m;
  }();
  return images;
}

// A BMP through the game's own reader (rows bottom first, RGB).
Image Decode(const std::string& name) {
  const GeneratedFile& f = Images().at(name);
  Image image;
  const auto* data = reinterpret_cast<const unsigned char*>(f.bytes.data());
  EXPECT_TRUE(DecodeImage(std::span(data, f.bytes.size()), image, name)) << name;
  return image;
}

TEST(Images, EveryNameTheGameLoadsIsMade) {
  std::vector<std::string> expected = {
      "data/images/SplashScreen1.BMP",   "data/images/pixel.ico",
      "data/images/wxSkeleton.ico",      "data/images/NoText_TitleScreen4.BMP",
      "data/images/Title_StartGame.bmp", "data/images/Title_Input.bmp",
      "data/images/Title_Quit.bmp",      "data/images/Title_BackToGame.bmp",
      "data/images/Opening.BMP",         "data/images/Opening2.BMP",
      "data/images/NoTextUI.BMP",        "data/images/colon.bmp",
      "data/images/BossUI.BMP",          "data/images/BossScreen.BMP",
      "data/images/WinScreen.BMP",       "data/images/LoseScreen.BMP",
      "data/images/SwordGlow.BMP"};
  for (int d = 0; d < 10; ++d) expected.push_back("data/images/" + std::to_string(d) + ".bmp");
  std::vector<std::string> names = ImageNames();
  std::sort(expected.begin(), expected.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(Images().size(), expected.size());
}

TEST(Images, SizesFollowTheScreenLayout) {
  auto size = [](const std::string& n) {
    const Image im = Decode("data/images/" + n);
    return std::pair(im.width, im.height);
  };
  for (const char* n : {"NoText_TitleScreen4.BMP", "WinScreen.BMP", "LoseScreen.BMP"})
    EXPECT_EQ(size(n), std::pair(800, 600)) << n;
  for (const char* n : {"Opening.BMP", "Opening2.BMP", "BossScreen.BMP"})
    EXPECT_EQ(size(n), std::pair(800, 300)) << n;  // the upper half of the view
  for (const char* n : {"NoTextUI.BMP", "BossUI.BMP"})
    EXPECT_EQ(size(n), std::pair(800, 98)) << n;  // the bottom 0.164 of the view
  EXPECT_EQ(size("colon.bmp"), std::pair(64, 48));
  EXPECT_EQ(size("7.bmp"), std::pair(64, 48));
  // Menu items keep their on-screen shape on a 4:3 view: 0.2265625 x 0.041015625 for the
  // first item.
  const auto item = size("Title_StartGame.bmp");
  EXPECT_NEAR(double(item.first) / item.second, 0.2265625 / 0.041015625 * 4 / 3, 0.1);
}

TEST(Images, OverlaysStandOnPureBlackAndDigitsKeepToTheirAdvance) {
  for (const char* n :
       {"Title_StartGame.bmp", "Title_Quit.bmp", "colon.bmp", "0.bmp", "SwordGlow.BMP"}) {
    const Image im = Decode(std::string("data/images/") + n);
    for (const auto& [x, y] : {std::pair(0, 0), std::pair(im.width - 1, im.height - 1)}) {
      const uint8_t* p = im.Pixel(x, y);
      EXPECT_EQ(p[0] + p[1] + p[2], 0) << n;
    }
  }
  // "1" is narrow (advance 0.023438 of the width, 0.375 of its cell), "0" wide (0.8125).
  auto rightmost = [](const Image& im) {
    int right = -1;
    for (int y = 0; y < im.height; ++y)
      for (int x = 0; x < im.width; ++x)
        if (im.Pixel(x, y)[0] > 40) right = std::max(right, x);
    return right;
  };
  EXPECT_LE(rightmost(Decode("data/images/1.bmp")), int(64 * 0.375));
  EXPECT_GT(rightmost(Decode("data/images/0.bmp")), int(64 * 0.6));
  EXPECT_LE(rightmost(Decode("data/images/0.bmp")), int(64 * 0.8125));
}

TEST(Images, CursorIsInvisible) {
  // A 32 x 32 icon: the directory (22 bytes), the bitmap header (40), then BGRA pixels.
  const Bytes& cursor = Images().at("data/images/pixel.ico").bytes;
  ASSERT_GE(cursor.size(), size_t(62 + 32 * 32 * 4));
  EXPECT_EQ(cursor[6], 32);
  for (size_t i = 62 + 3; i < 62 + 32 * 32 * 4; i += 4) ASSERT_EQ(cursor[i], 0);
}

TEST(ImageFiles, BitmapRoundTripsThroughTheGamesReader) {
  Image im = Canvas(5, 3);  // rows of 15 bytes padded to 16
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      uint8_t* p = PixelFromTop(im, x, y);
      p[0] = uint8_t(40 * x), p[1] = uint8_t(80 * y), p[2] = 200, p[3] = 255;
    }
  const std::vector<unsigned char> bmp = EncodeBMP(im);
  Image back;
  ASSERT_TRUE(DecodeBMP(bmp, back, "round.bmp"));
  ASSERT_EQ(back.width, 5);
  ASSERT_EQ(back.height, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(0, std::memcmp(back.Pixel(x, y), im.Pixel(x, y), 3)) << x << "," << y;
}

}  // namespace
}  // namespace kt::content
