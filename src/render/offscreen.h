// Offscreen OpenGL for tests and command-line tools: an EGL context on Mesa's surfaceless
// platform with a pbuffer colour and depth buffer, so the renderer's code draws exactly as it
// does into the window. Compatibility profile: fixed function, display lists, glBitmap and GLU
// all work. Creating it installs eglGetProcAddress as the entry-point lookup
// (render/gl_extensions.h).
#pragma once

#include <memory>
#include <string>

#include "render/image.h"

namespace kt {

class OffscreenContext {
 public:
  // Creates the context and makes it current; nullptr (with a log line) when EGL, the
  // surfaceless platform or a suitable configuration is unavailable.
  static std::unique_ptr<OffscreenContext> Create(int width, int height);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  bool MakeCurrent();
  int width() const { return width_; }
  int height() const { return height_; }

  // The colour buffer as RGBA, bottom row first (glFinish first).
  Image ReadPixels() const;
  // ReadPixels written as a PNG file (top row first, as PNG stores it).
  bool SavePNG(const std::string& path) const;

 private:
  OffscreenContext() = default;

  void* display_ = nullptr;
  void* surface_ = nullptr;
  void* context_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace kt
