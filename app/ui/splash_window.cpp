#include "ui/splash_window.h"

#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "shell/string_table.h"
#include "ui/wx_text.h"

namespace vemo {

SplashWindow::SplashWindow()
    : wxFrame(nullptr, wxID_ANY, U8(LoadResString(57344)), wxDefaultPosition, wxDefaultSize,
              wxSTAY_ON_TOP | wxFRAME_NO_TASKBAR | wxBORDER_SIMPLE) {
  auto* panel = new wxPanel(this);
  panel->SetBackgroundColour(*wxWHITE);
  auto* title = new wxStaticText(panel, wxID_ANY, U8(LoadResString(57344)));
  wxFont big = title->GetFont();
  big.SetPointSize(big.GetPointSize() * 2);
  big.MakeBold();
  title->SetFont(big);
  status_ = new wxStaticText(panel, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                             wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  bar_ = new wxGauge(panel, wxID_ANY, 1000, wxDefaultPosition, wxSize(200, -1));
  bar_->Hide();

  auto* line = new wxBoxSizer(wxHORIZONTAL);
  line->Add(status_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  line->Add(bar_, 0, wxALIGN_CENTER_VERTICAL);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(title, 0, wxALL, 24);
  column->AddStretchSpacer();
  column->Add(line, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 16);
  panel->SetSizer(column);
  SetClientSize(FromDIP(wxSize(480, 220)));
  CentreOnScreen();
}

void SplashWindow::SetStatus(std::string const& text) {
  status_->SetLabel(U8(text));
  Repaint();
}

void SplashWindow::ShowBar(bool shown) {
  if (bar_->IsShown() == shown) return;
  bar_->SetValue(0);
  bar_->Show(shown);
  Layout();
  Repaint();
}

void SplashWindow::SetBarPosition(int per_mille) {
  bar_->SetValue(per_mille < 0 ? 0 : per_mille > 1000 ? 1000 : per_mille);
  Repaint();
}

// Start-up runs before the event loop; the splash is painted at once.
void SplashWindow::Repaint() {
  Refresh();
  Update();
}

}  // namespace vemo
