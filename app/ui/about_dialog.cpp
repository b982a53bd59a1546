#include "ui/about_dialog.h"

#include <wx/gdicmn.h>
#include <wx/icon.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "shell/about_links.h"
#include "shell/command_ids.h"
#include "shell/string_table.h"
#include "ui/command_art.h"
#include "ui/link_button.h"
#include "ui/wx_text.h"

namespace vemo {

AboutDialog::AboutDialog(wxWindow* parent, std::string const& kernel_version, int display_depth)
    : wxDialog(parent, wxID_ANY, U8("O aplikaci")) {
  auto* title = new wxStaticText(this, wxID_ANY, U8(LoadResString(57344)));
  wxFont big = title->GetFont();
  big.SetPointSize(big.GetPointSize() * 2);
  big.MakeBold();
  title->SetFont(big);
  program_ =
      new wxStaticText(this, wxID_ANY, U8(FormatResString(146, {std::string(VEMO_VERSION)})));
  kernel_ = new wxStaticText(this, wxID_ANY, U8(FormatResString(145, {kernel_version})));
  // The logo needs colours; a poor screen gets the program's icon, enlarged.
  shows_logo_ = AboutShowsLogo(display_depth >= 0 ? display_depth : wxDisplayDepth());
  auto* picture = new wxStaticBitmap(
      this, wxID_ANY, shows_logo_ ? ProgramLogo() : FramedBigIcon(ProgramIcon(32), 2));
  if (parent) {
    wxIcon icon;
    icon.CopyFromBitmap(CommandBitmap(cmd::kAbout));
    SetIcon(icon);
  }

  AboutLinks links = MakeAboutLinks(kAboutLinkData, VEMO_VERSION, kernel_version);
  maker_link_ = new LinkButton(this, "Vemo", links.maker_url);
  maker_link_->SetTooltip(links.web_tooltip);
  railway_link_ = new LinkButton(this, "jizdnirad.example.org", links.railway_url);
  railway_link_->SetTooltip(links.web_tooltip);
  mail_link_ = new LinkButton(this, "vemo@example.org", links.mail_url);
  mail_link_->SetTooltip(links.mail_tooltip);

  auto* texts = new wxBoxSizer(wxVERTICAL);
  texts->Add(title, 0, wxBOTTOM, 12);
  texts->Add(program_, 0, wxBOTTOM, 4);
  texts->Add(kernel_, 0, wxBOTTOM, 12);
  // Each link follows its label one pixel to the right.
  for (auto [label, link] :
       {std::pair{"Autor programu:", maker_link_}, std::pair{"Data jízdního řádu:", railway_link_},
        std::pair{"Napište nám:", mail_link_}}) {
    auto* line = new wxBoxSizer(wxHORIZONTAL);
    line->Add(new wxStaticText(this, wxID_ANY, U8(label)), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    line->Add(link, 0, wxALIGN_CENTER_VERTICAL);
    texts->Add(line, 0, wxBOTTOM, 2);
  }
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->Add(picture, 0, wxRIGHT, 16);
  row->Add(texts, 1);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(row, 1, wxEXPAND | wxALL, 16);
  column->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);
  CentreOnParent();
}

std::string AboutDialog::ProgramLine() const { return FromWx(program_->GetLabel()); }
std::string AboutDialog::KernelLine() const { return FromWx(kernel_->GetLabel()); }

}  // namespace vemo
