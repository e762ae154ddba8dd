// The main frame: the 3-D view and the notebook of tool pages side by side in the inner
// splitter, the motion control panel below them in the outer one, the File and Help menus and
// the status bar. The world starts once the view's OpenGL context can be made current.
#pragma once

#include <wx/frame.h>
#include <wx/splitter.h>

#include <functional>

class wxNotebook;
class wxPanel;

namespace kt {

class GLView;
class MotionControlPanel;

// Accepts every sash move.
class SashSplitter : public wxSplitterWindow {
 public:
  using wxSplitterWindow::wxSplitterWindow;
  bool OnSashPositionChange(int) override { return true; }
};

class wxSkeleton : public wxFrame {
 public:
  wxSkeleton(const wxString& title, const wxPoint& pos, const wxSize& size);

  // Alt+Enter: the 3-D view alone on the whole screen with the pointer hidden, and back.
  void ToggleFullScreen();

  // Runs after the world has started (the program drops its splash screen there).
  void SetWorldStartedHandler(std::function<void()> handler) {
    world_started_handler_ = std::move(handler);
  }

  GLView* view() const { return view_; }
  wxNotebook* notebook() const { return notebook_; }
  bool full_screen() const { return full_screen_; }

 private:
  void SetFrameIcon();
  void BuildMenus();
  void BuildNotebook();
  void SplitPanes();
  void StartWorld();

  void OnQuit(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);

  bool full_screen_ = false;
  GLView* view_ = nullptr;
  SashSplitter* inner_splitter_ = nullptr;
  SashSplitter* outer_splitter_ = nullptr;
  wxNotebook* notebook_ = nullptr;
  MotionControlPanel* motion_control_panel_ = nullptr;
  wxPanel* camera_page_ = nullptr;
  wxPanel* motions_page_ = nullptr;
  // Sash positions before entering full screen.
  int saved_inner_sash_ = 0;
  int saved_outer_sash_ = 0;
  std::function<void()> world_started_handler_;
};

}  // namespace kt
