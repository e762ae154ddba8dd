// The main frame.
//
// Contents: ids - construction (window tree, menus, notebook, splitters, status bar) - world
// start - full screen - menu commands.
#include "app/wx_skeleton.h"

#include <wx/cursor.h>
#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include "app/camera_panel.h"
#include "app/gl_view.h"
#include "app/glx_lookup.h"
#include "app/graphs_panel.h"
#include "app/motion_control_panel.h"
#include "app/motions_panel.h"
#include "app/tool_panel.h"
#include "console/cvar.h"
#include "console/log.h"
#include "game/world.h"

namespace kt {
namespace {

enum WindowId : int {
  kIdStatusBar = 0,
  kIdExit = 1,
  kIdAbout = 2,
  kIdInnerSplitter = 3,
  kIdOuterSplitter = 4,
  kIdNotebook = 5,
  kIdView = 6,
  kIdMotionControlPanel = 7,
  kIdCameraPage = 8,
  kIdMotionsPage = 9,
  kIdLoadLevel = 10,
};

constexpr int kMinimumPaneSize = 67;
constexpr const char* kPointerFile = "data/images/pixel.ico";
constexpr const char* kIconFile = "data/images/wxSkeleton.ico";

constexpr int kDefaultViewWidth = 640;
constexpr int kDefaultPaneHeight = 480;
CVar<int> g_width;
CVar<int> g_height;

int ViewWidth() { return g_width.Bound() ? g_width.Get() : kDefaultViewWidth; }
int PaneHeight() { return g_height.Bound() ? g_height.Get() : kDefaultPaneHeight; }

void RegisterJpegHandler() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) wxImage::AddHandler(new wxJPEGHandler);
}

// The frame icon and the full-screen pointer are icon files.
void RegisterIcoHandler() {
  if (!wxImage::FindHandler(wxBITMAP_TYPE_ICO)) wxImage::AddHandler(new wxICOHandler);
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(wxSkeleton, wxFrame)
  EVT_MENU(kIdExit, wxSkeleton::OnQuit)
  EVT_MENU(kIdAbout, wxSkeleton::OnAbout)
wxEND_EVENT_TABLE()
    // clang-format on

    wxSkeleton::wxSkeleton(const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, pos, size, wxDEFAULT_FRAME_STYLE) {
  full_screen_ = false;
  outer_splitter_ = new SashSplitter(this, kIdOuterSplitter, wxDefaultPosition, wxDefaultSize,
                                     wxSP_3D, "splitter");
  inner_splitter_ = new SashSplitter(outer_splitter_, kIdInnerSplitter, wxDefaultPosition,
                                     wxDefaultSize, wxSP_3D, "splitter");
  view_ = new GLView(inner_splitter_, kIdView, wxDefaultPosition, wxDefaultSize, 0, "wxGLCanvas");
  motion_control_panel_ = new MotionControlPanel(outer_splitter_, kIdMotionControlPanel);
  view_->SetReadyHandler([this] { StartWorld(); });

  SetFrameIcon();
  BuildMenus();
  BuildNotebook();
  // The sizes are registered once the world has started (after the renderer's clip planes, as
  // "cvar.ini" lists them); until then the panes split at the defaults.
  SplitPanes();
  CreateStatusBar(2, wxSTB_SIZEGRIP, kIdStatusBar);
  SetStatusText("Ready", 0);
}

void wxSkeleton::SetFrameIcon() {
  if (!wxFileExists(kIconFile)) {
    LogPrintf("wxSkeleton: frame icon '%s' is missing", kIconFile);
    return;
  }
  wxLogNull quiet;
  RegisterIcoHandler();
  wxIcon icon(kIconFile, wxBITMAP_TYPE_ICO);
  if (icon.IsOk()) SetIcon(icon);
}

void wxSkeleton::BuildMenus() {
  auto* file_menu = new wxMenu(wxString(), wxMENU_TEAROFF);
  file_menu->Append(kIdLoadLevel, "&Load Level\tAlt-L", "Load Level Geometry");
  file_menu->Append(kIdExit, "E&xit\tAlt-X", "Quit this program");
  auto* help_menu = new wxMenu;
  help_menu->Append(kIdAbout, "&About...\tCtrl-A", "Show about dialog");
  auto* menu_bar = new wxMenuBar;
  menu_bar->Append(file_menu, "&File");
  menu_bar->Append(help_menu, "&Help");
  SetMenuBar(menu_bar);
}

// The world starts after the notebook is built here, so the panels fill their lists of
// entities and motion controllers when their first refresh finds them.
void wxSkeleton::BuildNotebook() {
  notebook_ =
      new wxNotebook(inner_splitter_, kIdNotebook, wxDefaultPosition, wxDefaultSize, 0, "notebook");
  motions_page_ = new MotionsPanel(notebook_, kIdMotionsPage);
  camera_page_ = new CameraPanel(notebook_, kIdCameraPage);
  notebook_->AddPage(motions_page_, "Motions", true);
  notebook_->AddPage(camera_page_, "Camera", true);
  for (const char* name : {"Skeleton", "Drivers"})
    notebook_->AddPage(new wxPanel(notebook_, wxID_ANY), name, true);
  MotionControlPanel* motion_control = motion_control_panel_;
  notebook_->AddPage(
      new GraphsPanel(notebook_, [motion_control] { return motion_control->selected(); }), "Graphs",
      true);
  notebook_->AddPage(new wxPanel(notebook_, wxID_ANY), "Debug", true);
  notebook_->SetSelection(1);
}

void wxSkeleton::SplitPanes() {
  if (!outer_splitter_->IsSplit())
    outer_splitter_->SplitHorizontally(inner_splitter_, motion_control_panel_, PaneHeight());
  outer_splitter_->SetSashPosition(PaneHeight());
  outer_splitter_->SetMinimumPaneSize(kMinimumPaneSize);
  if (!inner_splitter_->IsSplit()) inner_splitter_->SplitVertically(view_, notebook_, ViewWidth());
  inner_splitter_->SetSashPosition(ViewWidth());
}

// The console restores "cvar.ini" during start-up, so a saved gl.width / gl.height applies
// from here on.
void wxSkeleton::StartWorld() {
  SetGLProcAddressFunction(LookupGLXProc);
  WorldPlatform platform;
  platform.register_image_handlers = RegisterJpegHandler;
  platform.refresh_panels = RefreshToolPanels;
  platform.input_handles = {.instance = true, .window = true};
  // The title asks for full screen while the world starts, before the frame is on screen:
  // switching then leaves it at the frame's old place, so the switch waits for the event loop.
  platform.toggle_full_screen = [this] { CallAfter([this] { ToggleFullScreen(); }); };
  platform.full_screen = [this] { return full_screen_; };
  // The world has shut down already; closing the frame ends the event loop with code 0.
  platform.quit = [this](int) { Close(true); };
  WorldStartup(platform);
  if (!g_width.Bound()) {
    g_width.Register("gl.width", kDefaultViewWidth);
    g_height.Register("gl.height", kDefaultPaneHeight);
  }
  SplitPanes();
  if (world_started_handler_) world_started_handler_();
}

void wxSkeleton::ToggleFullScreen() {
  full_screen_ = !full_screen_;
  const long hide = wxFULLSCREEN_NOMENUBAR | wxFULLSCREEN_NOTOOLBAR | wxFULLSCREEN_NOSTATUSBAR |
                    wxFULLSCREEN_NOBORDER | wxFULLSCREEN_NOCAPTION;
  if (full_screen_) {
    notebook_->Hide();
    saved_inner_sash_ = inner_splitter_->GetSashPosition();
    saved_outer_sash_ = outer_splitter_->GetSashPosition();
    ShowFullScreen(true, hide);
    static CVar<int> fullscreen_fix("gui.fullscreen_fix", 20);
    const wxSize display = wxGetDisplaySize();
    // Without a window manager nothing moves the frame to the screen's corner.
    SetSize(0, 0, display.GetWidth(), display.GetHeight());
    inner_splitter_->SetSashPosition(display.GetWidth(), true);
    outer_splitter_->SetSashPosition(display.GetHeight(), true);
    // A one-pixel transparent cursor hides the pointer; without the file, the blank cursor.
    wxCursor cursor(wxCURSOR_BLANK);
    if (wxFileExists(kPointerFile)) {
      wxLogNull quiet;
      RegisterIcoHandler();
      wxCursor loaded(wxString(kPointerFile), wxBITMAP_TYPE_ICO, 0, 0);
      if (loaded.IsOk()) cursor = loaded;
    } else {
      LogPrintf("wxSkeleton: pointer image '%s' is missing", kPointerFile);
    }
    SetCursor(cursor);
  } else {
    notebook_->Show();
    inner_splitter_->SetSashPosition(saved_inner_sash_, true);
    outer_splitter_->SetSashPosition(saved_outer_sash_, true);
    ShowFullScreen(false, hide);
    SetCursor(wxNullCursor);
  }
}

void wxSkeleton::OnQuit(wxCommandEvent&) { Close(true); }

void wxSkeleton::OnAbout(wxCommandEvent&) {
  wxMessageBox("Kinetrope: sword fighting animated from motion capture through motion graphs.\n",
               "About Kinetrope", wxOK | wxICON_INFORMATION, this);
}

}  // namespace kt
