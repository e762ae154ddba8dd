// The "Graphs" page.
#include "app/graphs_panel.h"

#include <GL/gl.h>
#include <wx/dcclient.h>
#include <wx/notebook.h>
#include <wx/sizer.h>

#include <optional>

#include "character/motion_controller.h"
#include "console/log.h"
#include "render/graph_picture.h"

namespace kt {
namespace {

// The view of controller's graph: its current frame, and its last jump once it has jumped.
GraphPictureView PictureView(const MotionController& controller, int width, int height) {
  GraphPictureView view;
  view.viewport = {0, 0, width, height};
  view.current_frame = controller.CurrentFrame();
  if (controller.transition_source() != controller.transition_target())
    view.last_jump = std::make_pair(controller.transition_source(), controller.transition_target());
  return view;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(GraphCanvas, wxGLCanvas)
  EVT_PAINT(GraphCanvas::OnPaint)
  EVT_ERASE_BACKGROUND(GraphCanvas::OnEraseBackground)
wxEND_EVENT_TABLE()
    // clang-format on

    GraphCanvas::GraphCanvas(wxWindow* parent, std::function<MotionController*()> source)
    : wxGLCanvas(parent, wxID_ANY, nullptr, wxDefaultPosition, wxDefaultSize, 0, "graphCanvas"),
      context_(std::make_unique<wxGLContext>(this)),
      source_(std::move(source)) {
  if (!context_->IsOK()) {
    LogPrintf("GraphsPanel: no OpenGL context for the graph picture");
    context_.reset();
  }
}

void GraphCanvas::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!context_ || !IsShownOnScreen() || !context_->SetCurrent(*this)) return;
  int width = 0, height = 0;
  GetClientSize(&width, &height);
  glViewport(0, 0, width, height);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  MotionController* controller = source_ ? source_() : nullptr;
  if (controller && controller->graph())
    DrawGraphPicture(*controller->graph(), PictureView(*controller, width, height));
  glFlush();
  SwapBuffers();
}

GraphsPanel::GraphsPanel(wxWindow* parent, std::function<MotionController*()> source)
    : ToolPanel(parent, wxID_ANY, wxTAB_TRAVERSAL, "panel"), source_(source) {
  canvas_ = new GraphCanvas(this, std::move(source));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(canvas_, 1, wxEXPAND);
  SetSizer(sizer);
}

// Painting happens in the canvas's own paint event, outside the 3-D view's frame.
void GraphsPanel::RefreshPanel() {
  if (canvas_->IsShownOnScreen()) canvas_->Refresh(false);
}

void GraphsPanel::LogControls() const {
  const MotionController* controller = source_ ? source_() : nullptr;
  const TransitionGraph* graph = controller ? controller->graph() : nullptr;
  // The page's tab, found by probing the notebook's tab row (the test clicks it).
  std::string tab = "tab unknown";
  if (auto* notebook = dynamic_cast<wxNotebook*>(GetParent())) {
    const int page = notebook->FindPage(this);
    const wxRect book = notebook->GetScreenRect();
    const int row = (GetScreenPosition().y - book.y) / 2;
    int first = -1, last = -1;
    for (int x = 0; x < book.width; ++x) {
      if (notebook->HitTest(wxPoint(x, row)) != page) continue;
      if (first < 0) first = x;
      last = x;
    }
    if (first >= 0)
      tab =
          "tab " + std::to_string(book.x + (first + last) / 2) + " " + std::to_string(book.y + row);
  }
  LogPrintf("GraphsPanel: controller %s graph %s frame %d jump %d %d; %s; %s",
            controller ? controller->name().c_str() : "-", graph ? "yes" : "no",
            controller ? controller->CurrentFrame() : -1,
            controller ? controller->transition_source() : -1,
            controller ? controller->transition_target() : -1, tab.c_str(),
            DescribePlace(canvas_, "canvas").c_str());
}

}  // namespace kt
