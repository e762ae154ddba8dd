// The 3-D view: an OpenGL canvas that draws one world frame per idle event (asking for the next
// idle event at once) and per paint event.
#pragma once

#include <wx/glcanvas.h>

#include <functional>
#include <memory>

namespace kt {

class GLView : public wxGLCanvas {
 public:
  GLView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style,
         const wxString& name);

  // One frame: nothing until the world has enabled rendering; otherwise clear, the world's
  // frame, flush and swap.
  void Render();

  // Runs once, the first time the context has been made current (the world starts there).
  void SetReadyHandler(std::function<void()> handler) { ready_handler_ = std::move(handler); }

  bool initialised() const { return initialised_; }
  wxGLContext* context() const { return context_.get(); }

 private:
  // GTK can make a context current only on a realised window, which a canvas becomes once its
  // frame is shown; until then the view waits.
  bool MakeCurrent();

  void OnCreate(wxWindowCreateEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent& event);
  void OnEnterWindow(wxMouseEvent& event);
  void OnIdle(wxIdleEvent& event);

  std::unique_ptr<wxGLContext> context_;
  std::function<void()> ready_handler_;
  bool realised_ = false;
  bool initialised_ = false;
  int width_ = 0;
  int height_ = 0;
};

// Every mouse event of the 3-D view, handed over by the application's mouse filter: feeds the
// mouse device (motion and buttons) and the camera's mouse control.
void ViewMouseEvent(const wxMouseEvent& event);

}  // namespace kt
