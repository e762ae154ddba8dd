// A look at generated content without the game: the castle drawn offscreen with one frame of
// a clip standing at the player's start, drawn by the game's own character drawing (bone
// ellipsoids, the sword between the wrists) under the game's lights. Needs a generated game
// folder as the working directory (the level finds its textures, the figure its skeleton
// relative to it).
#pragma once

#include <string>

namespace kt::content {

struct PreviewOptions {
  std::string clip = "idle.amc";
  int frame = 0;
  int width = 800;
  int height = 600;
  std::string out = "preview.png";
};

// False with a message on standard error when the level, the clip or the GL context is missing.
bool RenderPreview(const PreviewOptions& options);

}  // namespace kt::content
