#pragma once
// The timetable choice at start-up (several timetables found) and the
// information about one loaded timetable.
#include <wx/dialog.h>

#include <vector>

#include "shell/load_ui.h"
#include "shell/timetable_dialogs_model.h"

class wxButton;
class wxListCtrl;
class wxTextCtrl;

namespace vemo {

class LinkButton;

class TimetableChoiceDialog : public wxDialog {
 public:
  TimetableChoiceDialog(wxWindow* parent, std::vector<TimetableFileEntry> const& entries);
  // The chosen rows, in list order.
  std::vector<int> const& chosen() const { return chosen_; }
  wxListCtrl* list() const { return list_; }
  // Recomputes the choice from the ticks and the selection.
  void UpdateChoice();

 private:
  wxListCtrl* list_ = nullptr;
  wxButton* ok_ = nullptr;
  std::vector<int> chosen_;
};

class TimetableInfoDialog : public wxDialog {
 public:
  TimetableInfoDialog(wxWindow* parent, TimetableInfoTexts const& texts);
  wxTextCtrl* description() const { return description_; }
  wxTextCtrl* data_validity() const { return data_validity_; }
  LinkButton* link() const { return link_; }

 private:
  wxTextCtrl* description_ = nullptr;
  wxTextCtrl* data_validity_ = nullptr;
  LinkButton* link_ = nullptr;
};

}  // namespace vemo
