// The renderer: the fixed OpenGL state of the 3-D view (RenderInit) and the order of one frame.
// The frame's own parts are the clear, the axis cross and ground, the blend and depth state of
// each pass, the console and the frame-rate text; the world supplies the camera, level,
// characters and screens through FrameScene, called at their places in the order.
#pragma once

#include "console/cvar.h"
#include "console/frame_timer.h"
#include "motion/vector.h"
#include "render/bitmap_font.h"

namespace kt {

class GLConsole;

// The parts of a frame that belong to the world. Each hook runs with the state its pass needs
// already set; a hook that has nothing to draw is left as is.
class FrameScene {
 public:
  virtual ~FrameScene() = default;
  // Moves the camera and sets the view transform on the (pushed) model-view matrix.
  virtual void UpdateCamera() {}
  // Lighting off, colour white, all attributes saved around it; only when world.draw_level.
  virtual void DrawLevel() {}
  // Entities whose flags include 2, in list order.
  virtual void DrawOpaque() {}
  // Blending on (source alpha, one minus source alpha): the boss again while it warps.
  virtual void DrawBossWarp() {}
  // Depth writes and lighting off, blending on: death fades and sword trails.
  virtual void DrawTranslucent() {}
  // Depth writes on, blending off: the screens of the active game states, in name order.
  virtual void DrawStateScreens() {}
};

class Renderer {
 public:
  // RenderInit: enables depth test, dithering and smooth shading, builds the projection once
  // from the current viewport and gl.nearclip / gl.farclip, places the three lights, logs the
  // colour depth and loads the extension entry points.
  void Init();
  // One frame (the world's frame calls it with the context current, before the swap).
  void Frame(FrameScene& scene);

  // The console drawn over every frame, whose font also prints the frame rate. Attaching
  // creates the font ("Courier New" at the console's font size) in the current context;
  // nullptr detaches and deletes it. The console must outlive its attachment.
  void AttachConsole(GLConsole* console);
  GLConsole* console() const { return console_; }
  const BitmapFont& console_font() const { return console_font_; }

  // The camera's right and up vectors as the last frame's view transform had them.
  const CVector& camera_right() const { return camera_right_; }
  const CVector& camera_up() const { return camera_up_; }
  // The last measured frame rate (0 until the first full second has passed).
  float frame_rate() const { return frame_rate_; }

 private:
  void ReadCameraVectors();
  void DrawFrameRate();

  CVar<float> near_clip_;
  CVar<float> far_clip_;
  CVar<int> draw_ground_;
  CVector camera_right_;
  CVector camera_up_;
  FrameTimer fps_timer_;
  int frame_count_ = 0;
  float frame_rate_ = 0.0f;
  GLConsole* console_ = nullptr;
  BitmapFont console_font_;
};

// The process's renderer, and its reset for tests (deletes nothing in OpenGL: the test's
// context goes away with it).
Renderer& GetRenderer();
void ResetRenderer();

// GetRenderer().Init().
void RenderInit();

// Corners of a billboard around centre, spanning right * width and up * height either side,
// counter-clockwise from bottom left; `offset` is then added to each corner's z.
void BillboardCorners(const CVector& right, const CVector& up, const CVector& centre, float width,
                      float height, float offset, CVector corners[4]);

// The axis cross and the ground checkerboard (lighting off while drawing).
void DrawAxisCross();
void DrawGround();

}  // namespace kt
