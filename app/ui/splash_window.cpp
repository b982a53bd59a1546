#include "ui/splash_window.h"

#include <wx/dcbuffer.h>
#include <wx/display.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

#include "shell/about_links.h"
#include "shell/paths.h"
#include "shell/string_table.h"
#include "ui/command_art.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

// A picture is used only when it is smaller than the screen both ways.
bool FitsScreen(wxBitmap const& picture) {
  wxRect screen = wxDisplay(0u).GetGeometry();
  return picture.IsOk() && picture.GetWidth() < screen.width && picture.GetHeight() < screen.height;
}

// The splash file, read through wxImage so that a damaged or lying header
// is refused instead of trusted.
wxBitmap ReadSplashFile(std::string const& path) {
  if (path.empty() || IsDirectory(path)) return wxBitmap();
  wxLogNull quiet;
  wxImage image;
  if (!image.LoadFile(U8(path), wxBITMAP_TYPE_BMP) || !image.IsOk()) return wxBitmap();
  return wxBitmap(image);
}

wxFont StatusFont() { return wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT); }

}  // namespace

SplashWindow::SplashWindow(std::string program_dir, int display_depth)
    : wxFrame(nullptr, wxID_ANY, U8(LoadResString(57344)), wxDefaultPosition, wxDefaultSize,
              wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR | wxBORDER_NONE) {
  if (program_dir.empty()) program_dir = GetModuleDir();
  bool colour_depth_ok = AboutShowsLogo(display_depth >= 0 ? display_depth : wxDisplayDepth());
  description_ = ParseSplashDescription(std::string(LoadResString(132)));
  if (colour_depth_ok) {
    picture_ = ReadSplashFile(FindFileNoCase(program_dir, description_.file));
    if (!FitsScreen(picture_)) picture_ = wxBitmap();
    if (!picture_.IsOk() && !LoadResString(142).empty()) {
      picture_ = SplashPicture();
      if (!FitsScreen(picture_)) picture_ = wxBitmap();
    }
  }
  if (!picture_.IsOk()) {
    BuildPlain(colour_depth_ok);
    return;
  }
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetFont(StatusFont());
  line_ = LayoutSplashLine(description_, GetTextExtent(U8("X")).y);
  SetClientSize(picture_.GetWidth(), picture_.GetHeight());
  CentreOnScreen();
  Bind(wxEVT_PAINT, &SplashWindow::OnPaint, this);
}

void SplashWindow::BuildPlain(bool colour_depth_ok) {
  SetWindowStyleFlag(GetWindowStyleFlag() | wxBORDER_SIMPLE);
  auto* panel = new wxPanel(this);
  panel->SetBackgroundColour(*wxWHITE);
  auto* title = new wxStaticText(panel, wxID_ANY, U8(LoadResString(57344)));
  wxFont big = title->GetFont();
  big.SetPointSize(big.GetPointSize() * 2);
  big.MakeBold();
  title->SetFont(big);
  auto* version =
      new wxStaticText(panel, wxID_ANY, U8(FormatResString(146, {std::string(VEMO_VERSION)})));
  // The logo needs colours; a poor screen gets the program's icon, enlarged.
  auto* picture = new wxStaticBitmap(
      panel, wxID_ANY, colour_depth_ok ? ProgramLogo() : FramedBigIcon(ProgramIcon(32), 2));
  status_ = new wxStaticText(panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                             wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  bar_ = new wxGauge(panel, wxID_ANY, 1000, wxDefaultPosition, wxSize(200, -1));
  bar_->Hide();

  auto* texts = new wxBoxSizer(wxVERTICAL);
  texts->Add(title, 0, wxBOTTOM, 8);
  texts->Add(version);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  top->Add(picture, 0, wxRIGHT, 16);
  top->Add(texts, 1);
  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(status_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  line->Add(bar_, 0, wxALIGN_CENTER_VERTICAL);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(top, 0, wxALL, 24);
  column->AddStretchSpacer();
  column->Add(line, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 16);
  panel->SetSizer(column);
  SetClientSize(FromDIP(wxSize(480, 220)));
  CentreOnScreen();
}

void SplashWindow::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.DrawBitmap(picture_, 0, 0);
  wxColour colour(description_.red, description_.green, description_.blue);
  dc.SetFont(StatusFont());
  dc.SetTextForeground(colour);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  SplashRect const& t = line_.text;
  wxRect text(t.left, t.top, t.right - t.left, t.bottom - t.top);
  {
    wxDCClipper clip(dc, text);
    dc.DrawLabel(U8(text_), text,
                 wxALIGN_CENTER_VERTICAL | (left_aligned_ ? wxALIGN_LEFT : wxALIGN_CENTER));
  }
  if (bar_visible_) {
    SplashRect const& b = line_.bar;
    dc.SetPen(wxPen(colour));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(b.left, b.top, b.right - b.left, b.bottom - b.top);
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(b.left, b.top, SplashBarFill(b, position_), b.bottom - b.top);
  }
}

void SplashWindow::SetStatus(std::string const& text, bool left_aligned) {
  text_ = text;
  left_aligned_ = left_aligned;
  if (status_) status_->SetLabel(U8(text));
  Repaint();
}

void SplashWindow::ShowBar(bool shown) {
  position_ = 0;
  if (bar_) {
    if (bar_->IsShown() == shown) return;
    bar_->SetValue(0);
    bar_->Show(shown);
    Layout();
  } else {
    bar_visible_ = shown && line_.bar_possible;
  }
  Repaint();
}

void SplashWindow::SetBarPosition(int per_mille) {
  position_ = std::clamp(per_mille, 0, 1000);
  if (bar_) bar_->SetValue(position_);
  if (bar_ || bar_visible_) Repaint();
}

bool SplashWindow::bar_shown() const { return bar_ ? bar_->IsShown() : bar_visible_; }
int SplashWindow::bar_position() const { return position_; }

// Start-up runs before the event loop; the splash is painted at once, the
// picture with the new text, so that no text stands over an old one.
void SplashWindow::Repaint() {
  Refresh(!picture_.IsOk());
  Update();
}

}  // namespace vemo
