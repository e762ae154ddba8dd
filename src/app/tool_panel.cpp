// The tool panel list and its per-frame refresh.
#include "app/tool_panel.h"

#include <algorithm>
#include <vector>

#include "console/cvar.h"
#include "console/frame_timer.h"

namespace kt {
namespace {

std::vector<ToolPanel*>& Panels() {
  static std::vector<ToolPanel*> panels;
  return panels;
}

CVar<int>& DebugPanels() {
  static CVar<int> debug("panels.debug", 0);
  return debug;
}

constexpr double kDebugPeriod = 1.0;

}  // namespace

ToolPanel::ToolPanel(wxWindow* parent, wxWindowID id, long style, const wxString& name)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, style, name) {
  DebugPanels();
  Panels().push_back(this);
  Bind(wxEVT_SIZE, &ToolPanel::OnSize, this);
}

ToolPanel::~ToolPanel() { std::erase(Panels(), this); }

void ToolPanel::OnSize(wxSizeEvent& event) {
  Layout();
  event.Skip();
}

void RefreshToolPanels() {
  // A refresh never builds or destroys panels, but copy anyway: the list must not change under
  // the loop.
  const std::vector<ToolPanel*> panels = Panels();
  for (ToolPanel* panel : panels) panel->RefreshPanel();

  static FrameTimer debug_clock;
  static double since_log = kDebugPeriod;
  if (DebugPanels().Get() == 0) {
    since_log = kDebugPeriod;
    return;
  }
  since_log += debug_clock.Elapsed();
  debug_clock.Reset();
  if (since_log < kDebugPeriod) return;
  since_log = 0.0;
  for (const ToolPanel* panel : panels) panel->LogControls();
}

std::string DescribePlace(const wxWindow* window, const std::string& label) {
  const wxRect r = window->GetScreenRect();
  return label + " " + std::to_string(r.x) + " " + std::to_string(r.y) + " " +
         std::to_string(r.width) + " " + std::to_string(r.height);
}

}  // namespace kt
