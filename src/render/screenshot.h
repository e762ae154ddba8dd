// Reading the current framebuffer back and writing it as PNG (libpng). Used by the offscreen
// context, by tests, and by the program for its own screenshots.
#pragma once

#include <string>

#include "render/image.h"

namespace kt {

// RGBA pixels of the rectangle of the current read buffer, bottom row first.
Image ReadFramebuffer(int x, int y, int width, int height);

// Writes a bottom-row-first RGB or RGBA image as PNG; false with a log line on failure.
bool WritePNG(const std::string& path, const Image& image);

}  // namespace kt
