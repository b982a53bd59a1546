#include "ui/document_frame.h"

#include <wx/display.h>

#include <algorithm>

#include "shell/profile.h"
#include "shell/string_table.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

constexpr int kWindowPosition = 4013;

}  // namespace

int SectionIdOf(WindowKind kind) {
  switch (kind) {
    case WindowKind::kConnections: return 4014;
    case WindowKind::kArrDep: return 4047;
    case WindowKind::kTrains: return 4055;
    case WindowKind::kStopTimetables: return 4083;
    case WindowKind::kMap: return 4101;
  }
  return 4014;
}

DocumentFrame::DocumentFrame(WindowKind kind, Profile* profile)
    : wxFrame(nullptr, wxID_ANY, wxString(), wxDefaultPosition, wxSize(900, 650)),
      kind_(kind),
      profile_(profile) {
  UpdateTitle();
  RestorePlacement();
  Bind(wxEVT_CLOSE_WINDOW, &DocumentFrame::OnClose, this);
}

void DocumentFrame::UpdateTitle() {
  wxString title = U8(LoadResString(57344)) + U8(LoadResString(static_cast<int>(kind_)));
  if (GetTitle() != title) SetTitle(title);
}

void DocumentFrame::RestorePlacement() {
  if (!profile_) return;
  auto placement = ParsePlacement(profile_->GetProfileStringIds(SectionIdOf(kind_), kWindowPosition, ""));
  if (!placement) return;
  wxRect saved(wxPoint(placement->left, placement->top),
               wxPoint(placement->right - 1, placement->bottom - 1));
  // A placement saved on a display that is gone is moved onto one that is
  // there, never left off-screen.
  int display = wxDisplay::GetFromPoint(saved.GetTopLeft());
  wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  saved.SetWidth(std::min(saved.GetWidth(), area.GetWidth()));
  saved.SetHeight(std::min(saved.GetHeight(), area.GetHeight()));
  saved.SetX(std::clamp(saved.GetX(), area.GetLeft(), area.GetRight() - saved.GetWidth() + 1));
  saved.SetY(std::clamp(saved.GetY(), area.GetTop(), area.GetBottom() - saved.GetHeight() + 1));
  if (saved.GetWidth() > 50 && saved.GetHeight() > 50) SetSize(saved);
  if (placement->flags & 2) Maximize();
}

void DocumentFrame::SaveFrameState() {
  if (!profile_) return;
  wxRect normal = IsMaximized() || IsIconized() ? wxRect(GetPosition(), GetSize()) : GetRect();
  WindowPlacement placement;
  placement.flags = IsMaximized() ? 2 : 0;
  placement.show = IsIconized() ? 1 : 0;
  placement.min_x = placement.min_y = placement.max_x = placement.max_y = -1;
  placement.left = normal.GetLeft();
  placement.top = normal.GetTop();
  placement.right = normal.GetRight() + 1;
  placement.bottom = normal.GetBottom() + 1;
  profile_->WriteProfileStringIds(SectionIdOf(kind_), kWindowPosition, FormatPlacement(placement));
}

void DocumentFrame::OnClose(wxCloseEvent& event) {
  SaveFrameState();
  event.Skip();
}

}  // namespace vemo
