// The level's two texture loaders: OpenGL through the renderer, and a headless one.
#include "level/level_textures.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <fstream>

#include "render/texture.h"

namespace kt {

namespace {

class GLTextures final : public LevelTextureLoader {
 public:
  unsigned LoadImage(const std::string& path, int alpha_mode) override {
    unsigned texture = 0;
    return LoadTexture(path, texture, alpha_mode) ? texture : 0;
  }

  unsigned LoadLightmap(const uint8_t* rgb) override {
    Image image;
    image.width = image.height = 128;
    image.channels = 3;
    image.pixels.assign(rgb, rgb + 128 * 128 * 3);
    unsigned texture = 0;
    if (!UploadTexture(image, texture)) return 0;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
  }

  void ClampToEdge(unsigned texture) override {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }

  void Release(const std::vector<unsigned>& textures) override {
    if (!textures.empty()) glDeleteTextures(GLsizei(textures.size()), textures.data());
  }
};

}  // namespace

LevelTextureLoader& GLLevelTextures() {
  static GLTextures textures;
  return textures;
}

unsigned HeadlessLevelTextures::LoadImage(const std::string& path, int) {
  if (!std::ifstream(path, std::ios::binary)) return 0;
  return next_++;
}

unsigned HeadlessLevelTextures::LoadLightmap(const uint8_t*) { return next_++; }

}  // namespace kt
