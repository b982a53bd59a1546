#include "ui/about_dialog.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "shell/command_ids.h"
#include "shell/string_table.h"
#include "ui/command_art.h"
#include "ui/wx_text.h"

namespace vemo {

AboutDialog::AboutDialog(wxWindow* parent, std::string const& kernel_version)
    : wxDialog(parent, wxID_ANY, U8("O aplikaci")) {
  auto* title = new wxStaticText(this, wxID_ANY, U8(LoadResString(57344)));
  wxFont big = title->GetFont();
  big.SetPointSize(big.GetPointSize() * 2);
  big.MakeBold();
  title->SetFont(big);
  program_ =
      new wxStaticText(this, wxID_ANY, U8(FormatResString(146, {std::string(VEMO_VERSION)})));
  kernel_ = new wxStaticText(this, wxID_ANY, U8(FormatResString(145, {kernel_version})));
  auto* picture = new wxStaticBitmap(this, wxID_ANY, CommandBitmap(cmd::kNewConnWindow, 48));

  auto* texts = new wxBoxSizer(wxVERTICAL);
  texts->Add(title, 0, wxBOTTOM, 12);
  texts->Add(program_, 0, wxBOTTOM, 4);
  texts->Add(kernel_, 0);
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
