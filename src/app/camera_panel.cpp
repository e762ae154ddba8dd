// The "Camera" page.
#include "app/camera_panel.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/camera_sliders.h"
#include "character/entity.h"
#include "console/cvar.h"
#include "console/log.h"
#include "game/camera.h"

namespace kt {
namespace {

enum ControlId : int {
  kIdMode = 0,
  kIdTarget = 1,
  kIdSpeed = 2,
  kIdHdist = 3,
  kIdVdist = 4,
};

using SliderMapping = CameraSlider;
constexpr const SliderMapping& kSpeed = kCameraSpeedSlider;
constexpr const SliderMapping& kHdist = kCameraHdistSlider;
constexpr const SliderMapping& kVdist = kCameraVdistSlider;
constexpr int kSliderMax = kCameraSliderMax;

// The camera registers its variables; until it exists the sliders have nothing to show.
CVarEntry* Variable(const SliderMapping& m) { return GetCVarRegistry().Find(m.variable); }

wxSlider* AddSlider(wxWindow* parent, wxSizer* sizer, wxWindowID id, const char* label) {
  sizer->Add(new wxStaticText(parent, wxID_ANY, label), 0, wxLEFT | wxRIGHT | wxTOP, 4);
  auto* slider = new wxSlider(parent, id, 0, 0, kSliderMax);
  sizer->Add(slider, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  return slider;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CameraPanel, ToolPanel)
  EVT_CHOICE(kIdMode, CameraPanel::OnMode)
  EVT_CHOICE(kIdTarget, CameraPanel::OnTarget)
  EVT_SLIDER(kIdSpeed, CameraPanel::OnSlider)
  EVT_SLIDER(kIdHdist, CameraPanel::OnSlider)
  EVT_SLIDER(kIdVdist, CameraPanel::OnSlider)
wxEND_EVENT_TABLE()
    // clang-format on

    CameraPanel::CameraPanel(wxWindow* parent, wxWindowID id)
    : ToolPanel(parent, id, wxTAB_TRAVERSAL, "panel") {
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  auto* state_box = new wxStaticBoxSizer(wxVERTICAL, this, "Camera State");
  mode_ = new wxChoice(state_box->GetStaticBox(), kIdMode);
  mode_->Append("FREEROAM");
  mode_->Append("TRACKENTITY");
  mode_->SetStringSelection("TRACKENTITY");
  state_box->Add(mode_, 0, wxEXPAND | wxALL, 4);
  sizer->Add(state_box, 0, wxEXPAND | wxALL, 4);

  auto* target_box = new wxStaticBoxSizer(wxVERTICAL, this, "Lock-On to Entity");
  target_ = new wxChoice(target_box->GetStaticBox(), kIdTarget);
  target_box->Add(target_, 0, wxEXPAND | wxALL, 4);
  sizer->Add(target_box, 0, wxEXPAND | wxALL, 4);
  FillTargets();

  speed_ = AddSlider(this, sizer, kIdSpeed, "Camera Speed");
  hdist_ = AddSlider(this, sizer, kIdHdist, "Horiz. Dist");
  vdist_ = AddSlider(this, sizer, kIdVdist, "Vert. Dist");
  SetSizer(sizer);
}

void CameraPanel::FillTargets() {
  const auto& entities = EntityRegistry();
  entities_seen_ = entities.size();
  // Keep the chosen name across rebuilds; the first list with entities selects the player.
  const wxString chosen = targets_filled_ ? target_->GetStringSelection() : wxString("player1");
  target_->Clear();
  for (const auto& [name, entity] : entities) target_->Append(wxString::FromUTF8(name));
  if (!chosen.empty()) target_->SetStringSelection(chosen);
  if (!entities.empty()) targets_filled_ = true;
}

void CameraPanel::OnMode(wxCommandEvent&) {
  Camera* camera = GetCamera();
  if (!camera) return;
  camera->SetMode(mode_->GetStringSelection() == "FREEROAM" ? kCameraFreeRoam : kCameraTrack);
}

void CameraPanel::OnTarget(wxCommandEvent&) {
  Camera* camera = GetCamera();
  if (!camera) return;
  if (Entity* entity = FindEntity(target_->GetStringSelection().ToStdString()))
    camera->Attach(entity);
}

void CameraPanel::OnSlider(wxCommandEvent&) {
  const std::pair<const SliderMapping*, wxSlider*> sliders[] = {
      {&kSpeed, speed_}, {&kHdist, hdist_}, {&kVdist, vdist_}};
  for (const auto& [mapping, slider] : sliders)
    if (CVarEntry* entry = Variable(*mapping))
      CVarSetFloat(entry->value, ValueFromSlider(*mapping, slider->GetValue()));
}

void CameraPanel::RefreshPanel() {
  if (EntityRegistry().size() != entities_seen_) FillTargets();
  const std::pair<const SliderMapping*, wxSlider*> sliders[] = {
      {&kSpeed, speed_}, {&kHdist, hdist_}, {&kVdist, vdist_}};
  for (const auto& [mapping, slider] : sliders) {
    const CVarEntry* entry = Variable(*mapping);
    if (!entry) continue;
    const int position = SliderFromValue(*mapping, CVarGetFloat(entry->value));
    if (slider->GetValue() != position) slider->SetValue(position);
  }
}

void CameraPanel::LogControls() const {
  LogPrintf("CameraPanel: mode %s target %s speed %d hdist %d vdist %d; %s; %s; %s; %s; %s",
            mode_->GetStringSelection().utf8_str().data(),
            target_->GetStringSelection().utf8_str().data(), speed_->GetValue(), hdist_->GetValue(),
            vdist_->GetValue(), DescribePlace(mode_, "mode").c_str(),
            DescribePlace(target_, "target").c_str(), DescribePlace(speed_, "speed").c_str(),
            DescribePlace(hdist_, "hdist").c_str(), DescribePlace(vdist_, "vdist").c_str());
}

}  // namespace kt
