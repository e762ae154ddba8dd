// The "Camera" page: the camera's mode, the entity it locks on to, and sliders for its speed
// and its horizontal and vertical distances (camera.speed, camera.hdist, camera.vdist), which
// follow the variables every frame.
#pragma once

#include "app/tool_panel.h"

class wxChoice;
class wxSlider;
class wxCommandEvent;

namespace kt {

class CameraPanel : public ToolPanel {
 public:
  CameraPanel(wxWindow* parent, wxWindowID id);

  void RefreshPanel() override;
  void LogControls() const override;

  // Slider position for a variable's value and back: value = base + step * s with
  // range = 100 * step; the position is truncated and held to 0..100 (a value outside the
  // slider's range pins it at an end, a value that is not a number at 0).
  static int SliderFromValue(float value, float base, float range);
  static float ValueFromSlider(int position, float base, float step);

 private:
  void OnMode(wxCommandEvent& event);
  void OnTarget(wxCommandEvent& event);
  void OnSlider(wxCommandEvent& event);
  // The entity names change when a scene loads (the world starts after the frame is built).
  void FillTargets();

  wxChoice* mode_ = nullptr;
  wxChoice* target_ = nullptr;
  wxSlider* speed_ = nullptr;
  wxSlider* hdist_ = nullptr;
  wxSlider* vdist_ = nullptr;
  size_t entities_seen_ = 0;
  bool targets_filled_ = false;

  wxDECLARE_EVENT_TABLE();
};

}  // namespace kt
