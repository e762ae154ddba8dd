// What the level needs from the renderer: texture names for image files and lightmaps. The
// program uses OpenGL textures; tools and tests that only parse or collide use the headless
// loader, which hands out names without a GL context.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kt {

class LevelTextureLoader {
 public:
  virtual ~LevelTextureLoader() = default;
  // A texture from an image file (alpha mode as the renderer's texture loader); 0 on failure.
  virtual unsigned LoadImage(const std::string& path, int alpha_mode) = 0;
  // A 128 x 128 RGB lightmap: mipmaps, magnification linear, minification
  // linear-mipmap-nearest, environment modulate.
  virtual unsigned LoadLightmap(const uint8_t* rgb) = 0;
  // Both wrap modes clamp-to-edge (sky box images).
  virtual void ClampToEdge(unsigned texture) = 0;
  // Gives back textures this loader made.
  virtual void Release(const std::vector<unsigned>& /*textures*/) {}
};

// OpenGL textures through render/texture.h; needs a current context.
LevelTextureLoader& GLLevelTextures();

// No OpenGL: an image that can be opened gets the next number, starting at 1.
class HeadlessLevelTextures final : public LevelTextureLoader {
 public:
  unsigned LoadImage(const std::string& path, int alpha_mode) override;
  unsigned LoadLightmap(const uint8_t* rgb) override;
  void ClampToEdge(unsigned) override {}

 private:
  unsigned next_ = 1;
};

}  // namespace kt
