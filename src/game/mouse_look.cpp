// The 3-D view's mouse control.
#include "game/mouse_look.h"

#include "console/cvar.h"
#include "console/gl_console.h"
#include "game/camera.h"
#include "game/world.h"

namespace kt {
namespace {

struct PointerPosition {
  int x = 0;
  int y = 0;
};

PointerPosition& LastPosition() {
  static PointerPosition last;
  return last;
}

}  // namespace

void MouseLook(const MouseEvent& event, Camera* camera, GLConsole* console) {
  static CVar<float> trans_speed("mouse.trans_speed", 0.15f);
  static CVar<float> rot_speed("mouse.rot_speed", 0.4f);

  PointerPosition& last = LastPosition();
  const int dx = event.x - last.x;
  const int dy = event.y - last.y;
  last = {event.x, event.y};

  if (camera) {
    if (event.kind == MouseEventKind::kDown && camera->following)
      camera->following = false;
    else if (event.kind == MouseEventKind::kUp && !camera->following)
      camera->following = true;
  }
  if (event.kind != MouseEventKind::kMotion) return;

  const bool left = (event.buttons & kMouseLeft) != 0;
  if (console && console->IsOpen()) {
    if (left) console->MouseDrag(dy);
    return;
  }
  if (!camera) return;
  const float t = trans_speed;
  const float r = rot_speed;
  if (left) camera->Move(float(dx) * t, float(-dy) * t, 0.0f);
  if (event.buttons & kMouseRight) camera->Turn(float(dy) * r, float(dx) * r, 0.0f);
  if (event.buttons & kMouseMiddle) camera->Turn(0.0f, 0.0f, float(dx) * r);
}

void MouseLook(const MouseEvent& event) { MouseLook(event, GetCamera(), GetConsole()); }

}  // namespace kt
