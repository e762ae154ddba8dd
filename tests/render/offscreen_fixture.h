// An offscreen OpenGL context for one test; the test is skipped when EGL is unavailable.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "render/offscreen.h"

namespace kt::test {

class OffscreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = OffscreenContext::Create(width_, height_);
    if (!context_) GTEST_SKIP() << "no EGL surfaceless context on this machine";
  }

  // Colour of one pixel of the colour buffer, RGBA.
  std::array<int, 4> PixelAt(int x, int y) const {
    const Image image = context_->ReadPixels();
    const unsigned char* p = image.Pixel(x, y);
    return {p[0], p[1], p[2], p[3]};
  }

  int width_ = 160;
  int height_ = 120;
  std::unique_ptr<OffscreenContext> context_;
};

}  // namespace kt::test
