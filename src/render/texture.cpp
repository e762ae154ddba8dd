// Texture upload: decoded images become mipmapped textures.
#include "render/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "console/log.h"

namespace kt {

bool UploadTexture(const Image& image, unsigned int& texture) {
  if (image.width <= 0 || image.height <= 0 || (image.channels != 3 && image.channels != 4) ||
      image.pixels.size() < size_t(image.width) * image.height * image.channels)
    return false;
  GLuint name = 0;
  glGenTextures(1, &name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glBindTexture(GL_TEXTURE_2D, name);
  const GLenum format = image.channels == 4 ? GL_RGBA : GL_RGB;
  const int error = gluBuild2DMipmaps(GL_TEXTURE_2D, image.channels, image.width, image.height,
                                      format, GL_UNSIGNED_BYTE, image.pixels.data());
  if (error != 0) {
    LogPrintf("LoadTexture: building mipmaps failed: %s", gluErrorString(error));
    glDeleteTextures(1, &name);
    return false;
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  texture = name;
  return true;
}

bool LoadTexture(const std::string& path, unsigned int& texture, int alpha_mode) {
  Image image;
  if (!ReadImageFile(path, image)) return false;
  ApplyAlphaMode(image, alpha_mode);
  return UploadTexture(image, texture);
}

}  // namespace kt
