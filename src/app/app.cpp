// The application object and the program's entry point.
#include "app/app.h"

#include <wx/bitmap.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/splash.h>

#include "app/gl_view.h"
#include "app/key_mapping.h"
#include "app/wx_skeleton.h"
#include "console/gl_console.h"
#include "console/log.h"
#include "game/world.h"
#include "input/input_devices.h"

wxIMPLEMENT_APP(kt::App);

namespace kt {
namespace {

constexpr const char* kSplashFile = "data/images/SplashScreen1.BMP";
constexpr int kSplashMilliseconds = 6000;

}  // namespace

wxBEGIN_EVENT_TABLE(App, wxApp) EVT_KEY_DOWN(App::OnKeyDown) EVT_KEY_UP(App::OnKeyUp)
    EVT_LEFT_DOWN(App::OnMouse) EVT_LEFT_UP(App::OnMouse) EVT_LEFT_DCLICK(App::OnMouse)
        EVT_MIDDLE_DOWN(App::OnMouse) EVT_MIDDLE_UP(App::OnMouse) EVT_MIDDLE_DCLICK(App::OnMouse)
            EVT_RIGHT_DOWN(App::OnMouse) EVT_RIGHT_UP(App::OnMouse) EVT_RIGHT_DCLICK(App::OnMouse)
                EVT_MOTION(App::OnMouse) EVT_ENTER_WINDOW(App::OnMouse)
                    EVT_LEAVE_WINDOW(App::OnMouse) EVT_ACTIVATE_APP(App::OnActivateApp)
                        wxEND_EVENT_TABLE()

                            bool App::OnInit() {
  OpenLogFile();
  ShowSplash();
  frame_ = new wxSkeleton("Kinetrope v1", wxPoint(50, 50), wxSize(800, 630));
  // The world starts once the shown frame's view can take the OpenGL context; the splash
  // stays up until then.
  frame_->SetWorldStartedHandler([this] {
    if (splash_) splash_->Destroy();
  });
  frame_->Show(true);
  SetTopWindow(frame_);
  return true;
}

void App::ShowSplash() {
  if (!wxFileExists(kSplashFile)) {
    LogPrintf("App: splash screen image '%s' is missing", kSplashFile);
    return;
  }
  wxLogNull quiet;
  wxBitmap bitmap;
  if (!bitmap.LoadFile(kSplashFile, wxBITMAP_TYPE_BMP)) {
    LogPrintf("App: cannot load splash screen image '%s'", kSplashFile);
    return;
  }
  splash_ = new wxSplashScreen(bitmap, wxSPLASH_CENTRE_ON_SCREEN | wxSPLASH_TIMEOUT,
                               kSplashMilliseconds, nullptr, wxID_ANY, wxDefaultPosition,
                               wxDefaultSize, wxSIMPLE_BORDER | wxSTAY_ON_TOP);
  splash_->Update();
  wxYield();
}

int App::OnExit() {
  WorldShutdown();
  return 1;
}

void App::OnKeyDown(wxKeyEvent& event) {
  const int code = event.GetKeyCode();
  // Every key, accelerators included, reaches the keyboard device's table.
  if (DXKeyboard* keyboard = GetKeyboard())
    if (const std::optional<int> dik = MapDikCode(code)) keyboard->KeyDown(*dik);
  const bool alt_enter = event.AltDown() && code == WXK_RETURN;
  // Menu accelerators (Alt-X, Ctrl-A, ...) act before any window sees the key; the toolkit
  // offers the key to the focused window first, so pass such keys on to it.
  if ((event.AltDown() || event.ControlDown()) && !alt_enter) {
    event.Skip();
    return;
  }
  if (alt_enter && frame_) frame_->ToggleFullScreen();
  GLConsole* console = GetConsole();
  if (!console) return;
  if (const std::optional<ConsoleKeyPress> press = MapConsoleKey(code))
    console->PressKey(press->key, press->code, event.ShiftDown());
}

// Key-up only releases the key in the keyboard device's table; the console ignores it.
void App::OnKeyUp(wxKeyEvent& event) {
  if (DXKeyboard* keyboard = GetKeyboard())
    if (const std::optional<int> dik = MapDikCode(event.GetKeyCode())) keyboard->KeyUp(*dik);
}

// Mouse events of the 3-D view go to its mouse handling; every mouse event goes on to the
// toolkit.
void App::OnMouse(wxMouseEvent& event) {
  if (frame_ && frame_->view() && event.GetEventObject() == frame_->view()) ViewMouseEvent(event);
  event.Skip();
}

// The key-up of a key held while another program takes the focus never arrives here: release
// every key and button so that nothing stays stuck.
void App::OnActivateApp(wxActivateEvent& event) {
  if (!event.GetActive()) {
    if (DXKeyboard* keyboard = GetKeyboard()) keyboard->ReleaseAll();
    if (DXMouse* mouse = GetMouse()) mouse->ReleaseAll();
  }
  event.Skip();
}

}  // namespace kt
