#pragma once
// A status bar whose panes each have an id, their own tooltip, left and
// right clicks, a width that follows their text, and a progress bar that
// can stand in pane 0 beside its text. wxStatusBar tells none of this per
// pane; this layer works it out from the pane rectangles.
#include <wx/statusbr.h>

#include <functional>
#include <string>
#include <vector>

class wxGauge;

namespace vemo {

class PaneStatusBar : public wxStatusBar {
 public:
  // Pane 0 is the message pane; `pane_ids` follow it.
  PaneStatusBar(wxWindow* parent, std::vector<int> const& pane_ids);

  // Sets a pane's text and tooltip and fits its width to the text.
  void SetPane(int pane_id, std::string const& text, std::string const& tooltip);
  std::string PaneTooltip(int pane_id) const;
  std::string PaneTextOf(int pane_id) const;
  // The pane id under a point of the bar, 0 for the message pane, -1 none.
  int PaneAt(wxPoint point) const;

  // Text in pane 0 and a progress bar right of it (at most 300 pixels);
  // EndProgress removes it.
  wxGauge* StartProgress(std::string const& text, int range);
  void EndProgress();

  std::function<void(int pane_id)> on_click;
  std::function<void(int pane_id, wxPoint where)> on_right_click;

 private:
  int FieldOf(int pane_id) const;
  void FitWidths();
  void PlaceGauge();
  void OnMotion(wxMouseEvent& event);

  std::vector<int> ids_;
  std::vector<std::string> texts_, tooltips_;
  wxGauge* gauge_ = nullptr;
  int last_tip_field_ = -2;
};

}  // namespace vemo
