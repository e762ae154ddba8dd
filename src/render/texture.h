// Texture loading: an image file (TGA, BMP or JPEG, see render/image.h) becomes a mipmapped
// OpenGL texture. Needs a current OpenGL context; decoding alone does not (render/image.h).
#pragma once

#include <string>

#include "render/image.h"

namespace kt {

// Uploads the image to a new texture name: unpack alignment 1, mipmaps built by GLU (which also
// rescales to sizes OpenGL accepts), RGB or RGBA by channel count, minification
// linear-mipmap-nearest, texture environment modulate. Returns false for an empty image.
bool UploadTexture(const Image& image, unsigned int& texture);

// Reads the file, applies the alpha mode (0: unchanged; 1: pure black becomes transparent) and
// uploads it. On failure no texture name is created, `texture` is left as it was, and a log
// line says why.
bool LoadTexture(const std::string& path, unsigned int& texture, int alpha_mode = 0);

}  // namespace kt
