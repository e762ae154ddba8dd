// The "Motions" page: a "Motions" group with a choice; choosing in it changes nothing and the
// page has nothing to refresh.
#pragma once

#include "app/tool_panel.h"

class wxChoice;

namespace kt {

class MotionsPanel : public ToolPanel {
 public:
  MotionsPanel(wxWindow* parent, wxWindowID id);

  void RefreshPanel() override {}
  void LogControls() const override {}

 private:
  wxChoice* choice_ = nullptr;
};

}  // namespace kt
