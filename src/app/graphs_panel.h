// The "Graphs" page: the transition graph of the motion controller chosen in the motion control
// panel, drawn as a graph picture (frames round a circle, jumps as arcs) with the current frame
// and the last jump marked, redrawn every frame while the page is on screen.
#pragma once

#include <wx/glcanvas.h>

#include <functional>
#include <memory>

#include "app/tool_panel.h"

class wxPaintEvent;
class wxEraseEvent;

namespace kt {

class MotionController;

class GraphCanvas : public wxGLCanvas {
 public:
  GraphCanvas(wxWindow* parent, std::function<MotionController*()> source);

 private:
  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent&) {}

  // Its own context: the picture needs nothing of the 3-D view's, and the view makes its
  // context current again at the start of every frame.
  std::unique_ptr<wxGLContext> context_;
  std::function<MotionController*()> source_;
};

class GraphsPanel : public ToolPanel {
 public:
  // `source` answers the controller to show (or nullptr) each time the picture is drawn.
  GraphsPanel(wxWindow* parent, std::function<MotionController*()> source);

  void RefreshPanel() override;
  void LogControls() const override;

 private:
  GraphCanvas* canvas_ = nullptr;
  std::function<MotionController*()> source_;
};

}  // namespace kt
