#include "ui/wx_load_ui.h"

#include <wx/choicdlg.h>
#include <wx/msgdlg.h>

#include "shell/string_table.h"
#include "shell/text_formats.h"
#include "ui/splash_window.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

wxString Caption() { return U8(LoadResString(57344)); }

}  // namespace

void WxLoadUi::SplashText(std::string const& text) {
  if (splash_) splash_->SetStatus(text);
}

void WxLoadUi::ShowProgressBar(bool shown) {
  if (splash_) splash_->ShowBar(shown);
}

void WxLoadUi::SetProgress(int value) {
  if (splash_) splash_->SetBarPosition(value);
}

void WxLoadUi::ShowMessage(int, std::string const& text, MessageIcon icon) {
  long style = wxOK | wxSTAY_ON_TOP;
  style |= icon == MessageIcon::kStop          ? wxICON_ERROR
           : icon == MessageIcon::kExclamation ? wxICON_WARNING
                                               : wxICON_INFORMATION;
  wxMessageDialog(nullptr, U8(text), Caption(), style).ShowModal();
}

bool WxLoadUi::AskYesNo(int, std::string const& text) {
  wxMessageDialog dialog(nullptr, U8(text), Caption(),
                         wxYES_NO | wxNO_DEFAULT | wxICON_WARNING | wxSTAY_ON_TOP);
  return dialog.ShowModal() == wxID_YES;
}

std::optional<std::vector<int>> WxLoadUi::ChooseTimetables(
    std::vector<TimetableFileEntry> const& entries) {
  wxArrayString choices;
  for (auto const& entry : entries) {
    int first = DmyToDayNumber(entry.dates[3].day, entry.dates[3].month, entry.dates[3].year);
    int last = DmyToDayNumber(entry.dates[4].day, entry.dates[4].month, entry.dates[4].year);
    std::string validity = FormatValidity(first, last, 0);
    choices.Add(U8(validity.empty() ? entry.name : entry.name + " (" + validity + ")"));
  }
  wxMultiChoiceDialog dialog(nullptr, wxString(), Caption(), choices);
  wxArrayInt all;
  for (size_t i = 0; i < entries.size(); ++i) all.Add(static_cast<int>(i));
  dialog.SetSelections(all);
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  std::vector<int> chosen;
  for (int i : dialog.GetSelections()) chosen.push_back(i);
  if (splash_) splash_->Update();
  return chosen;
}

}  // namespace vemo
