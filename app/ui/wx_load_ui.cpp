#include "ui/wx_load_ui.h"

#include <wx/msgdlg.h>

#include "shell/string_table.h"
#include "shell/text_formats.h"
#include "ui/splash_window.h"
#include "ui/timetable_dialogs.h"
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
  TimetableChoiceDialog dialog(nullptr, entries);
  bool chosen = dialog.ShowModal() == wxID_OK;
  // The dialog covered the splash.
  if (splash_) splash_->Update();
  if (!chosen) return std::nullopt;
  return dialog.chosen();
}

}  // namespace vemo
