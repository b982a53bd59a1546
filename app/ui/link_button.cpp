#include "ui/link_button.h"

#include <wx/msgdlg.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include "shell/string_table.h"
#include "ui/shell_open.h"
#include "ui/wx_text.h"

namespace vemo {

LinkButton::LinkButton(wxWindow* parent, std::string const& label, std::string const& url)
    : wxGenericHyperlinkCtrl(parent, wxID_ANY, U8(label), U8(url.empty() ? label : url),
                             wxDefaultPosition, wxDefaultSize, wxHL_ALIGN_LEFT | wxNO_BORDER),
      url_(url) {
  wxColour link = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
  SetNormalColour(link);
  // A link followed once looks like any other: the program keeps no history.
  SetVisitedColour(link);
  SetHoverColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT));
  show_error = [this](std::string const& text) {
    wxMessageDialog(this, U8(text), U8(LoadResString(57344)), wxOK | wxICON_WARNING).ShowModal();
  };
  // Opened here instead of wx's default, which would not report a failure.
  Bind(wxEVT_HYPERLINK, [this](wxHyperlinkEvent&) { Open(); });
}

void LinkButton::SetURL(std::string const& url) {
  url_ = url;
  wxGenericHyperlinkCtrl::SetURL(U8(url.empty() ? FromWx(GetLabel()) : url));
}

void LinkButton::SetTooltip(std::string const& text) {
  if (text.empty())
    UnsetToolTip();
  else
    SetToolTip(U8(text));
}

void LinkButton::SizeToContent(bool centre_vertically, bool centre_horizontally) {
  wxRect old = GetRect();
  wxSize size = GetBestSize();
  wxPoint position = old.GetPosition();
  if (centre_horizontally) position.x += (old.width - size.x) / 2;
  if (centre_vertically) position.y += (old.height - size.y) / 2;
  SetSize(position.x, position.y, size.x, size.y);
}

std::string LinkButton::Target() const { return url_.empty() ? FromWx(GetLabel()) : url_; }

void LinkButton::Open() {
  wxBusyCursor wait;
  std::string target = Target();
  if (auto error = ShellOpen(target, 374); error && show_error) show_error(*error);
}

}  // namespace vemo
