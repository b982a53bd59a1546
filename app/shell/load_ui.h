#pragma once
// What binding the kernel and loading the timetables show the user: splash
// texts and its progress bar, message boxes, the Yes/No questions (No is
// the default) and the choice of timetables. The program answers with its
// windows; tests answer with a recorder.
#include <optional>
#include <string>
#include <vector>

#include "shell/program_dates.h"

namespace vemo {

enum class MessageIcon { kStop, kExclamation, kInformation };

// One timetable file found by discovery, texts in UTF-8.
struct TimetableFileEntry {
  std::string path;
  std::string name;
  int id = 0, kind = 0, area = 0;
  Dmy dates[5];  // created, data from, data to, first and last day of validity
  std::string description;
};

class LoadUi {
 public:
  virtual ~LoadUi() = default;
  virtual void SplashText(std::string const& /*text*/) {}
  virtual void ShowProgressBar(bool /*shown*/) {}
  virtual void SetProgress(int /*value*/) {}
  // `id` is the string id the text was made from.
  virtual void ShowMessage(int id, std::string const& text, MessageIcon icon) = 0;
  virtual bool AskYesNo(int id, std::string const& text) = 0;
  // The indexes of the chosen entries in the order to load them; nullopt
  // when the choice was cancelled.
  virtual std::optional<std::vector<int>> ChooseTimetables(
      std::vector<TimetableFileEntry> const& entries) = 0;
};

}  // namespace vemo
