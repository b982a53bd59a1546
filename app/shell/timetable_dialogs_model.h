#pragma once
// What the timetable choice and information dialogs show, computed without
// a window: the rows of the choice, which rows are chosen, and the texts of
// the information about one loaded timetable.
#include <string>
#include <vector>

#include "shell/load_ui.h"

namespace vemo {

// One row text per file: its name, or, when the name equals that of the
// row before or after it, the name with its first day of validity.
std::vector<std::string> ChoiceRowTexts(std::vector<TimetableFileEntry> const& entries);
// The ticked rows in order; when none is ticked, the selected rows.
std::vector<int> ChosenRows(std::vector<bool> const& ticked, std::vector<bool> const& selected);

struct TimetableFacts {
  std::string name;
  std::string description;  // lines separated by "|"
  Dmy data_from, data_to, first_day, last_day, created;
  int id = 0;
  std::string path;
  std::vector<std::string> extensions;
  std::string resource_path;  // empty without a resource bundle
};

struct TimetableInfoTexts {
  std::string caption;
  std::string description;  // lines joined by "\n"
  std::string link;         // empty when the description names none
  std::string validity;
  std::string data_validity;  // empty when it equals the validity
  std::string created;
  std::string files;  // one path a line
};

TimetableInfoTexts MakeTimetableInfoTexts(TimetableFacts const& facts);

}  // namespace vemo
