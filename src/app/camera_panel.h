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
};

}  // namespace kt
