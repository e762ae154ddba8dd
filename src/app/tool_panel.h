// Tool panels: the notebook pages and the motion control panel that show and steer the running
// system. Each panel joins a process-wide list when it is built and leaves it when destroyed;
// the world's frame refreshes every listed panel once per frame, in the order they were built,
// so values changed in the console or by the game show up in the controls.
//
// The console variable `panels.debug` (integer, 0) set to 1 makes the panels log what their
// controls show, and where they are on the screen, once per second.
#pragma once

#include <wx/panel.h>

#include <string>

namespace kt {

class ToolPanel : public wxPanel {
 public:
  ToolPanel(wxWindow* parent, wxWindowID id, long style, const wxString& name);
  ~ToolPanel() override;

  // Once per frame: read the model into the controls.
  virtual void RefreshPanel() = 0;
  // One log line (or a few) describing the controls' values and screen places.
  virtual void LogControls() const = 0;

 protected:
  void OnSize(wxSizeEvent& event);
};

// Refreshes every tool panel in construction order; with `panels.debug` set, also logs their
// controls once per second.
void RefreshToolPanels();

// "label x y w h": the window's label and screen rectangle, for the debug log.
std::string DescribePlace(const wxWindow* window, const std::string& label);

}  // namespace kt
