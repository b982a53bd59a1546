#pragma once
// The timetable choice at start-up (several timetables found) and the
// information about one loaded timetable.
#include <wx/dialog.h>

#include <string>
#include <vector>

#include "shell/load_ui.h"
#include "shell/timetable_dialogs_model.h"

class wxButton;
class wxListCtrl;
class wxStaticBitmap;
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
  // The icons are the PNGs of the timetable's bundle (icons 1 and 2), empty
  // without one: the first picture then shows the program's icon, and the
  // second is left out.
  TimetableInfoDialog(wxWindow* parent, TimetableInfoTexts const& texts,
                      std::string const& icon1_path = {}, std::string const& icon2_path = {});
  wxTextCtrl* description() const { return description_; }
  wxTextCtrl* data_validity() const { return data_validity_; }
  LinkButton* link() const { return link_; }
  wxStaticBitmap* first_picture() const { return first_picture_; }
  wxStaticBitmap* second_picture() const { return second_picture_; }

 private:
  wxTextCtrl* description_ = nullptr;
  wxTextCtrl* data_validity_ = nullptr;
  LinkButton* link_ = nullptr;
  wxStaticBitmap* first_picture_ = nullptr;
  wxStaticBitmap* second_picture_ = nullptr;
};

}  // namespace vemo
