// The 3-D view's mouse control: dragging moves and turns the camera, or scrolls the console
// while it is open; pressing a button takes the camera over from its chase movement and
// releasing it hands the camera back.
#pragma once

namespace kt {

class Camera;
class GLConsole;

enum class MouseEventKind { kDown, kUp, kMotion, kWheel };

// Buttons held during an event (bits of MouseEvent::buttons).
enum MouseButtonBit : unsigned {
  kMouseLeft = 1u,
  kMouseRight = 2u,
  kMouseMiddle = 4u,
};

// One mouse event over the 3-D view, in the view's window coordinates (pixels, y down).
struct MouseEvent {
  MouseEventKind kind = MouseEventKind::kMotion;
  int x = 0;
  int y = 0;
  unsigned buttons = 0;  // MouseButtonBit, as held during (after) the event
};

// Every mouse event of the 3-D view goes here. Motion is measured from the previous event's
// position (starting at (0, 0)). Registers `mouse.trans_speed` and `mouse.rot_speed` on its
// first call. Either pointer may be nullptr.
void MouseLook(const MouseEvent& event, Camera* camera, GLConsole* console);
// The same with the world's camera and console.
void MouseLook(const MouseEvent& event);

}  // namespace kt
