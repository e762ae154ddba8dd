// Textures in the offscreen context: files upload their texels (with the alpha mode), a failed
// load leaves no texture, and a textured quad shows its image; also the PNG snapshot.
#include "render/texture.h"

#include <GL/gl.h>

#include "image_files.h"
#include "log_capture.h"
#include "offscreen_fixture.h"
#include "render/screenshot.h"
#include "test_support.h"

namespace kt {
namespace {

using test::Bytes;

class TextureTest : public test::OffscreenTest {
 protected:
  // The level-0 texels of a texture as RGBA.
  Bytes Texels(unsigned texture, int width, int height) {
    Bytes texels(size_t(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }

  test::ScratchDir dir_;
};

TEST_F(TextureTest, FilesUploadTheirTexelsAndAlphaModeOneClearsBlack) {
  const Bytes rgba = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  test::WriteBytes("rgba.tga", test::UncompressedTga(2, 2, 4, rgba));
  test::WriteBytes("a.bmp", test::Bmp24(2, 2, {0, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
  unsigned texture = 0;
  ASSERT_TRUE(LoadTexture("rgba.tga", texture));
  EXPECT_NE(texture, 0u);
  EXPECT_EQ(Texels(texture, 2, 2), rgba);
  ASSERT_TRUE(LoadTexture("a.bmp", texture, 1));
  EXPECT_EQ(Texels(texture, 2, 2),
            (Bytes{0, 0, 0, 0, 10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255}));
}

TEST_F(TextureTest, AFailedLoadCreatesNoTextureAndLogs) {
  test::WriteBytes("bad.tga", test::TgaHeader(2, 64, 64, 32));
  test::LogCapture log;
  unsigned texture = 77;
  EXPECT_FALSE(LoadTexture("bad.tga", texture));
  EXPECT_FALSE(LoadTexture("nothing.bmp", texture));
  EXPECT_FALSE(LoadTexture("", texture));
  EXPECT_EQ(texture, 77u);
  EXPECT_TRUE(log.Contains("bad.tga"));
  EXPECT_TRUE(log.Contains("nothing.bmp"));
}

TEST_F(TextureTest, ATexturedQuadShowsTheImageAndTheSnapshotIsAPng) {
  test::WriteBytes("q.tga", test::UncompressedTga(1, 1, 3, {30, 160, 220}));
  unsigned texture = 0;
  ASSERT_TRUE(LoadTexture("q.tga", texture));
  glEnable(GL_TEXTURE_2D);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  EXPECT_EQ(PixelAt(width_ / 2, height_ / 2), (std::array<int, 4>{30, 160, 220, 255}));
  EXPECT_EQ(PixelAt(width_ - 1, height_ - 1), (std::array<int, 4>{30, 160, 220, 255}));

  ASSERT_TRUE(context_->SavePNG("shot.png"));
  EXPECT_EQ(test::ReadFile("shot.png").substr(1, 3), "PNG");
  Image short_of_pixels;
  short_of_pixels.width = short_of_pixels.height = 4;
  short_of_pixels.channels = 3;
  short_of_pixels.pixels.resize(5);
  test::LogCapture log;
  EXPECT_FALSE(WritePNG("short.png", short_of_pixels));
  EXPECT_TRUE(log.Contains("nothing to write"));
}

}  // namespace
}  // namespace kt
