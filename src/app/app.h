// The application object: start-up (splash, main frame), exit (world shutdown), and the key and
// mouse events that reach it from every window.
#pragma once

#include <wx/app.h>
#include <wx/weakref.h>

class wxSplashScreen;

namespace kt {

class wxSkeleton;

class App : public wxApp {
 public:
  App();
  bool OnInit() override;
  int OnExit() override;

  // The main frame, once OnInit has built it.
  wxSkeleton* frame() const { return frame_; }

 private:
  void ShowSplash();
  void OnKeyDown(wxKeyEvent& event);
  void OnKeyUp(wxKeyEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnActivateApp(wxActivateEvent& event);

  wxSkeleton* frame_ = nullptr;
  // The splash closes itself after its time-out, which a weak reference notices.
  wxWeakRef<wxSplashScreen> splash_;
};

}  // namespace kt

wxDECLARE_APP(kt::App);
