#include "ui/pane_status_bar.h"

#include <wx/dcclient.h>
#include <wx/gauge.h>

#include "ui/wx_text.h"

namespace vemo {

PaneStatusBar::PaneStatusBar(wxWindow* parent, std::vector<int> const& pane_ids)
    : wxStatusBar(parent, wxID_ANY, wxSTB_DEFAULT_STYLE & ~wxSTB_SHOW_TIPS) {
  ids_.push_back(0);
  ids_.insert(ids_.end(), pane_ids.begin(), pane_ids.end());
  texts_.resize(ids_.size());
  tooltips_.resize(ids_.size());
  SetFieldsCount(static_cast<int>(ids_.size()));
  FitWidths();
  Bind(wxEVT_MOTION, &PaneStatusBar::OnMotion, this);
  Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
    if (on_click) on_click(PaneAt(event.GetPosition()));
  });
  Bind(wxEVT_RIGHT_UP, [this](wxMouseEvent& event) {
    if (on_right_click) on_right_click(PaneAt(event.GetPosition()), event.GetPosition());
  });
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    PlaceGauge();
    event.Skip();
  });
}

int PaneStatusBar::FieldOf(int pane_id) const {
  for (size_t i = 0; i < ids_.size(); ++i)
    if (ids_[i] == pane_id) return static_cast<int>(i);
  return -1;
}

void PaneStatusBar::SetPane(int pane_id, std::string const& text, std::string const& tooltip) {
  int field = FieldOf(pane_id);
  if (field < 0) return;
  tooltips_[field] = tooltip;
  if (texts_[field] == text) return;
  texts_[field] = text;
  SetStatusText(U8(text), field);
  FitWidths();
}

std::string PaneStatusBar::PaneTooltip(int pane_id) const {
  int field = FieldOf(pane_id);
  return field < 0 ? std::string() : tooltips_[field];
}

std::string PaneStatusBar::PaneTextOf(int pane_id) const {
  int field = FieldOf(pane_id);
  return field < 0 ? std::string() : FromWx(GetStatusText(field));
}

int PaneStatusBar::PaneAt(wxPoint point) const {
  for (int i = 0; i < GetFieldsCount(); ++i) {
    wxRect rect;
    if (GetFieldRect(i, rect) && rect.Contains(point)) return ids_[i];
  }
  return -1;
}

// Pane 0 takes what the others leave; each other pane is as wide as its text.
void PaneStatusBar::FitWidths() {
  std::vector<int> widths(ids_.size(), -1);
  wxClientDC dc(this);
  dc.SetFont(GetFont());
  for (size_t i = 1; i < ids_.size(); ++i)
    widths[i] = texts_[i].empty() ? 0 : dc.GetTextExtent(U8(texts_[i])).GetWidth() + 12;
  SetStatusWidths(static_cast<int>(widths.size()), widths.data());
  PlaceGauge();
}

void PaneStatusBar::OnMotion(wxMouseEvent& event) {
  int id = PaneAt(event.GetPosition());
  int field = FieldOf(id);
  if (field != last_tip_field_) {
    last_tip_field_ = field;
    if (field >= 0 && !tooltips_[field].empty())
      SetToolTip(U8(tooltips_[field]));
    else
      UnsetToolTip();
  }
  event.Skip();
}

wxGauge* PaneStatusBar::StartProgress(std::string const& text, int range) {
  SetPane(0, text, {});
  if (!gauge_) gauge_ = new wxGauge(this, wxID_ANY, range);
  gauge_->SetRange(range);
  gauge_->SetValue(0);
  gauge_->Show();
  PlaceGauge();
  return gauge_;
}

void PaneStatusBar::EndProgress() {
  if (gauge_) gauge_->Destroy();
  gauge_ = nullptr;
}

void PaneStatusBar::PlaceGauge() {
  if (!gauge_) return;
  wxRect rect;
  if (!GetFieldRect(0, rect)) return;
  wxClientDC dc(this);
  dc.SetFont(GetFont());
  int left = rect.x + dc.GetTextExtent(GetStatusText(0)).GetWidth() + 2 + 4;
  int right = rect.GetRight() - 2;
  if (right - left > 300) right = left + 300;
  gauge_->SetSize(left, rect.y + 1, std::max(right - left, 10), std::max(rect.height - 2, 4));
}

}  // namespace vemo
