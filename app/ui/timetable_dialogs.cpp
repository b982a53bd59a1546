#include "ui/timetable_dialogs.h"

#include <wx/button.h>
#include <wx/icon.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "shell/command_ids.h"
#include "ui/command_art.h"
#include "ui/link_button.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

// The pictures of the timetable kinds 1..4 (rail, bus, city, air).
int KindCommand(int kind) {
  switch (kind) {
    case 2:
      return cmd::kArrDepWindow;
    case 3:
      return cmd::kZjrWindow;
    case 4:
      return cmd::kArrDepWindowAir;
    default:
      return cmd::kTrainsWindow;
  }
}

}  // namespace

TimetableChoiceDialog::TimetableChoiceDialog(wxWindow* parent,
                                             std::vector<TimetableFileEntry> const& entries)
    : wxDialog(parent, wxID_ANY, U8("Výběr jízdního řádu"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  wxIcon icon;
  icon.CopyFromBitmap(ProgramIcon(32));
  SetIcon(icon);
  auto* text = new wxStaticText(
      this, wxID_ANY, U8("Označte jeden nebo více jízdních řádů, se kterými chcete pracovat. "));
  list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(420, 220), wxLC_REPORT);
  list_->EnableCheckBoxes();
  auto* images = new wxImageList(16, 16);
  for (int kind = 1; kind <= 4; ++kind) images->Add(CommandBitmap(KindCommand(kind)));
  list_->AssignImageList(images, wxIMAGE_LIST_SMALL);
  list_->AppendColumn(U8("Jízdní řády"), wxLIST_FORMAT_LEFT, 400);
  std::vector<std::string> rows = ChoiceRowTexts(entries);
  for (size_t i = 0; i < rows.size(); ++i) {
    int kind = entries[i].kind >= 1 && entries[i].kind <= 4 ? entries[i].kind : 1;
    list_->InsertItem(static_cast<long>(i), U8(rows[i]), kind - 1);
  }
  if (!rows.empty())
    list_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  ok_ = new wxButton(this, wxID_OK);
  auto* cancel = new wxButton(this, wxID_CANCEL, U8("Storno"));
  auto* buttons = new wxStdDialogButtonSizer;
  buttons->AddButton(ok_);
  buttons->AddButton(cancel);
  buttons->Realize();
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(text, 0, wxALL, 10);
  column->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
  column->Add(buttons, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);

  auto changed = [this](wxListEvent& event) {
    UpdateChoice();
    event.Skip();
  };
  list_->Bind(wxEVT_LIST_ITEM_CHECKED, changed);
  list_->Bind(wxEVT_LIST_ITEM_UNCHECKED, changed);
  list_->Bind(wxEVT_LIST_ITEM_SELECTED, changed);
  list_->Bind(wxEVT_LIST_ITEM_DESELECTED, changed);
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) {
    UpdateChoice();
    if (!chosen_.empty()) EndModal(wxID_OK);
  });
  UpdateChoice();
}

void TimetableChoiceDialog::UpdateChoice() {
  std::vector<bool> ticked, selected;
  for (long i = 0; i < list_->GetItemCount(); ++i) {
    ticked.push_back(list_->IsItemChecked(i));
    selected.push_back(list_->GetItemState(i, wxLIST_STATE_SELECTED) != 0);
  }
  chosen_ = ChosenRows(ticked, selected);
  ok_->Enable(!chosen_.empty());
}

TimetableInfoDialog::TimetableInfoDialog(wxWindow* parent, TimetableInfoTexts const& texts,
                                         std::string const& icon1_path,
                                         std::string const& icon2_path)
    : wxDialog(parent, wxID_ANY, U8(texts.caption), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto box = [this](std::string const& text, int lines) {
    auto* control = new wxTextCtrl(this, wxID_ANY, U8(text), wxDefaultPosition,
                                   wxSize(360, lines > 1 ? 18 * lines : -1),
                                   wxTE_READONLY | (lines > 1 ? wxTE_MULTILINE : 0));
    control->SetSelection(0, 0);
    return control;
  };
  auto* grid = new wxFlexGridSizer(2, wxSize(8, 6));
  grid->AddGrowableCol(1);
  description_ = box(texts.description, 4);
  wxBitmap first = BundleBitmap(icon1_path, 32);
  first_picture_ = new wxStaticBitmap(this, wxID_ANY, first.IsOk() ? first : ProgramIcon(32));
  auto* pictures = new wxBoxSizer(wxHORIZONTAL);
  pictures->Add(first_picture_, 0, wxRIGHT, 4);
  wxBitmap second = BundleBitmap(icon2_path, 32);
  if (second.IsOk()) {
    second_picture_ = new wxStaticBitmap(this, wxID_ANY, second);
    pictures->Add(second_picture_, 0);
  }
  grid->Add(pictures, 0, wxALIGN_TOP);
  grid->Add(description_, 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, U8("Platnost JŘ:")), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(box(texts.validity, 1), 1, wxEXPAND);
  if (!texts.data_validity.empty()) {
    grid->Add(new wxStaticText(this, wxID_ANY, U8("Platnost dat:")), 0, wxALIGN_CENTER_VERTICAL);
    data_validity_ = box(texts.data_validity, 1);
    grid->Add(data_validity_, 1, wxEXPAND);
  }
  grid->Add(new wxStaticText(this, wxID_ANY, U8("Vytvořeno dne:")), 0, wxALIGN_CENTER_VERTICAL);
  grid->Add(box(texts.created, 1), 1, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, U8("Soubory s daty:")), 0, wxALIGN_TOP);
  grid->Add(box(texts.files, 3), 1, wxEXPAND);
  if (!texts.link.empty()) {
    grid->Add(new wxStaticText(this, wxID_ANY, U8("Internet:")), 0, wxALIGN_CENTER_VERTICAL);
    link_ = new LinkButton(this, texts.link, texts.link);
    grid->Add(link_, 0, wxALIGN_CENTER_VERTICAL);
  }
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(grid, 1, wxEXPAND | wxALL, 10);
  column->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);
}

}  // namespace vemo
