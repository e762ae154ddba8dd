// The motion control panel.
#include "app/motion_control_panel.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>

#include <cmath>
#include <vector>

#include "character/motion_controller.h"
#include "console/log.h"

namespace kt {
namespace {

enum ControlId : int {
  kIdFrame = 0,
  kIdChoice = 1,
  kIdRewind = 2,
  kIdToEnd = 3,
  kIdStepBack = 4,
  kIdStepForward = 5,
  kIdPause = 6,
  kIdStop = 7,
  kIdPlay = 8,
  kIdSpeed = 9,
};

constexpr int kSpeedMax = 400;
constexpr int kSpeedDefault = 100;

struct ButtonDef {
  wxWindowID id;
  const char* label;
};
// Left to right as on a tape deck.
constexpr ButtonDef kButtons[] = {
    {kIdRewind, "<<"}, {kIdStepBack, "<"},    {kIdStop, "[]"},  {kIdPlay, "Play"},
    {kIdPause, "||"},  {kIdStepForward, ">"}, {kIdToEnd, ">>"},
};

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(MotionControlPanel, ToolPanel)
  EVT_CHOICE(kIdChoice, MotionControlPanel::OnChoice)
  EVT_SLIDER(kIdFrame, MotionControlPanel::OnFrameSlider)
  EVT_BUTTON(kIdRewind, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdToEnd, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdStepBack, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdStepForward, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdPause, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdStop, MotionControlPanel::OnButton)
  EVT_BUTTON(kIdPlay, MotionControlPanel::OnButton)
  EVT_SPINCTRL(kIdSpeed, MotionControlPanel::OnSpeed)
wxEND_EVENT_TABLE()
    // clang-format on

    MotionControlPanel::MotionControlPanel(wxWindow* parent, wxWindowID id)
    : ToolPanel(parent, id, wxTAB_TRAVERSAL, "panel") {
  step_size_.Register("player.StepSize", 1);

  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  auto* choice_box = new wxStaticBoxSizer(wxVERTICAL, this, "Select Motion Controller");
  choice_ = new wxChoice(choice_box->GetStaticBox(), kIdChoice, wxDefaultPosition, wxSize(160, -1));
  choice_box->Add(choice_, 0, wxEXPAND | wxALL, 2);
  sizer->Add(choice_box, 0, wxALL, 2);

  auto* right = new wxBoxSizer(wxVERTICAL);
  frame_ = new wxSlider(this, kIdFrame, 0, 0, 1);
  right->Add(frame_, 0, wxEXPAND | wxLEFT | wxRIGHT, 2);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  for (const ButtonDef& def : kButtons) {
    auto* button =
        new wxButton(this, def.id, def.label, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
    if (def.id == kIdStepBack) step_back_ = button;
    buttons->Add(button, 0, wxRIGHT, 2);
  }
  speed_ = new wxSpinCtrl(this, kIdSpeed, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxSP_ARROW_KEYS, 0, kSpeedMax, kSpeedDefault);
  buttons->Add(speed_, 0, wxLEFT, 6);
  right->Add(buttons, 0, wxALL, 2);
  sizer->Add(right, 1, wxEXPAND);
  SetSizer(sizer);
  FillChoice();
}

MotionController* MotionControlPanel::selected() const {
  return selected_name_.empty() ? nullptr : FindMotionController(selected_name_);
}

void MotionControlPanel::FillChoice() {
  const auto& registry = MotionControllerRegistry();
  registry_size_ = registry.size();
  choice_->Clear();
  for (const auto& [name, controller] : registry) choice_->Append(wxString::FromUTF8(name));
}

void MotionControlPanel::Select(const std::string& name) {
  selected_name_ = name;
  choice_->SetStringSelection(wxString::FromUTF8(name));
  MotionController* controller = selected();
  if (!controller) return;
  // Slider positions 1..frames are frames 0..frames-1.
  frame_->SetRange(1, std::max(controller->FrameCount(), 1));
  speed_->SetValue(static_cast<int>(std::lround(controller->speed() * 100.0f)));
}

void MotionControlPanel::OnChoice(wxCommandEvent&) {
  Select(choice_->GetStringSelection().ToStdString());
}

void MotionControlPanel::OnFrameSlider(wxCommandEvent&) {
  MotionController* controller = selected();
  if (!controller) return;
  controller->Stop();
  controller->SetCurrentFrame(frame_->GetValue() - 1);
}

void MotionControlPanel::OnButton(wxCommandEvent& event) {
  MotionController* controller = selected();
  if (!controller) return;
  // A step of 0 or less would stand still or run the other way.
  const int step = std::max(step_size_.Get(), 1);
  switch (event.GetId()) {
    case kIdRewind:
      controller->Rewind();
      break;
    case kIdStepBack:
      controller->StepBack(step);
      break;
    case kIdStop:
      controller->Stop();
      controller->Rewind();
      break;
    case kIdPlay:
      controller->Play();
      break;
    case kIdPause:
      controller->Stop();
      break;
    case kIdStepForward:
      controller->StepForward(step);
      break;
    case kIdToEnd:
      controller->ToEnd();
      break;
  }
}

void MotionControlPanel::OnSpeed(wxSpinEvent& event) {
  if (MotionController* controller = selected())
    controller->SetSpeed(static_cast<float>(event.GetPosition()) * 0.01f);
}

void MotionControlPanel::RefreshPanel() {
  if (MotionControllerRegistry().size() != registry_size_) {
    FillChoice();
    if (!selected_name_.empty()) Select(selected_name_);
  }
  if (MotionController* controller = selected()) {
    const int position = controller->CurrentFrame() + 1;
    if (frame_->GetValue() != position) frame_->SetValue(position);
  }
}

void MotionControlPanel::LogControls() const {
  const MotionController* controller = selected();
  std::string items;
  for (unsigned i = 0; i < choice_->GetCount(); ++i)
    items += (i ? "," : "") + choice_->GetString(i).ToStdString();
  LogPrintf(
      "MotionControlPanel: controller %s frame %d of %d playing %d slider %d speed %d; %s; %s; "
      "%s; items %s",
      selected_name_.empty() ? "-" : selected_name_.c_str(),
      controller ? controller->CurrentFrame() : -1, controller ? controller->FrameCount() : 0,
      controller && controller->playing() ? 1 : 0, frame_->GetValue(), speed_->GetValue(),
      DescribePlace(choice_, "choice").c_str(), DescribePlace(step_back_, "stepback").c_str(),
      DescribePlace(frame_, "slider").c_str(), items.c_str());
}

}  // namespace kt
