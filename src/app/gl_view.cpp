// The 3-D view.
#include "app/gl_view.h"

#include <GL/gl.h>
#include <wx/dcclient.h>

#include "game/mouse_look.h"
#include "game/world.h"
#include "input/input_devices.h"

namespace kt {

wxBEGIN_EVENT_TABLE(GLView, wxGLCanvas) EVT_WINDOW_CREATE(GLView::OnCreate) EVT_SIZE(GLView::OnSize)
    EVT_PAINT(GLView::OnPaint) EVT_ERASE_BACKGROUND(GLView::OnEraseBackground)
        EVT_ENTER_WINDOW(GLView::OnEnterWindow) EVT_IDLE(GLView::OnIdle) wxEND_EVENT_TABLE()

            GLView::GLView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                           long style, const wxString& name)
    : wxGLCanvas(parent, id, nullptr, pos, size, style, name),
      context_(std::make_unique<wxGLContext>(this)),
      width_(size.GetWidth()),
      height_(size.GetHeight()) {
  if (!context_->IsOK()) context_.reset();
}

bool GLView::MakeCurrent() {
  if (!context_ || !realised_) return false;
  if (!context_->SetCurrent(*this)) return false;
  if (!initialised_) {
    initialised_ = true;
    GetClientSize(&width_, &height_);
    glViewport(0, 0, width_, height_);
    if (ready_handler_) {
      // The handler may run a whole start-up that yields to the event loop: clear it first.
      const std::function<void()> handler = std::move(ready_handler_);
      ready_handler_ = nullptr;
      handler();
      context_->SetCurrent(*this);
    }
  }
  return true;
}

void GLView::Render() {
  // Making the context current comes first: the first time, it starts the world, which enables
  // rendering.
  if (!MakeCurrent() || !RenderingEnabled()) return;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  WorldFrame();
  glFlush();
  SwapBuffers();
}

void GLView::OnCreate(wxWindowCreateEvent& event) {
  if (event.GetWindow() == this) realised_ = true;
  event.Skip();
}

void GLView::OnSize(wxSizeEvent& event) {
  GetClientSize(&width_, &height_);
  if (initialised_ && context_ && context_->SetCurrent(*this)) glViewport(0, 0, width_, height_);
  event.Skip();
}

void GLView::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  Render();
}

void GLView::OnEraseBackground(wxEraseEvent&) {}

void GLView::OnEnterWindow(wxMouseEvent& event) {
  SetFocus();
  event.Skip();
}

void ViewMouseEvent(const wxMouseEvent& event) {
  // A press or release event reports its own button's new state; the others are held.
  const auto state = [&](int button, bool held) {
    if (event.ButtonDown(button)) return true;
    if (event.ButtonUp(button)) return false;
    return held;
  };
  const bool left = state(wxMOUSE_BTN_LEFT, event.LeftIsDown());
  const bool right = state(wxMOUSE_BTN_RIGHT, event.RightIsDown());
  const bool middle = state(wxMOUSE_BTN_MIDDLE, event.MiddleIsDown());
  if (DXMouse* mouse = GetMouse()) {
    if (event.Entering())
      mouse->SetOrigin(event.GetX(), event.GetY());
    else
      mouse->MoveTo(event.GetX(), event.GetY());
    mouse->SetButton(DXMouse::kLeft, left);
    mouse->SetButton(DXMouse::kRight, right);
    mouse->SetButton(DXMouse::kMiddle, middle);
  }

  MouseEvent look;
  if (event.ButtonDown() || event.ButtonDClick())
    look.kind = MouseEventKind::kDown;
  else if (event.ButtonUp())
    look.kind = MouseEventKind::kUp;
  else if (event.GetWheelRotation() != 0)
    look.kind = MouseEventKind::kWheel;
  else
    look.kind = MouseEventKind::kMotion;
  look.x = event.GetX();
  look.y = event.GetY();
  look.buttons =
      (left ? kMouseLeft : 0u) | (right ? kMouseRight : 0u) | (middle ? kMouseMiddle : 0u);
  MouseLook(look);
}

void GLView::OnIdle(wxIdleEvent& event) {
  Render();
  event.RequestMore();
}

}  // namespace kt
