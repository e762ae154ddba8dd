// The motion control panel under the 3-D view: picks any motion controller of the registry,
// scrubs its frames, plays, pauses, steps it by `player.StepSize` frames and sets its playback
// speed. The frame slider follows the chosen controller every frame.
#pragma once

#include <string>

#include "app/tool_panel.h"
#include "console/cvar.h"

class wxButton;
class wxChoice;
class wxCommandEvent;
class wxSlider;
class wxSpinCtrl;
class wxSpinEvent;

namespace kt {

class MotionController;

class MotionControlPanel : public ToolPanel {
 public:
  MotionControlPanel(wxWindow* parent, wxWindowID id);

  void RefreshPanel() override;
  void LogControls() const override;

  // The chosen controller, or nullptr (none chosen, or it has left the registry).
  MotionController* selected() const;

 private:
  // Chooses the controller of this name: the slider spans its frames, the spin control shows
  // its speed in percent.
  void Select(const std::string& name);
  void FillChoice();

  void OnChoice(wxCommandEvent& event);
  void OnFrameSlider(wxCommandEvent& event);
  void OnButton(wxCommandEvent& event);
  void OnSpeed(wxSpinEvent& event);

  // The controller is looked up by name each time, so one destroyed with its scene is never
  // touched.
  std::string selected_name_;
  size_t registry_size_ = 0;
  CVar<int> step_size_;
  wxChoice* choice_ = nullptr;
  wxSlider* frame_ = nullptr;
  wxSpinCtrl* speed_ = nullptr;
  wxButton* step_back_ = nullptr;
};

}  // namespace kt
