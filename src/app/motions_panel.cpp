// The "Motions" page.
#include "app/motions_panel.h"

#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

namespace kt {

MotionsPanel::MotionsPanel(wxWindow* parent, wxWindowID id)
    : ToolPanel(parent, id, wxTAB_TRAVERSAL, "panel") {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Motions");
  choice_ = new wxChoice(box->GetStaticBox(), wxID_ANY);
  box->Add(choice_, 0, wxEXPAND | wxALL, 4);
  sizer->Add(box, 0, wxEXPAND | wxALL, 4);
  SetSizer(sizer);
}

}  // namespace kt
