#pragma once
// Start-up's messages and questions as message boxes that stay in front of
// everything (nothing else of the program is open yet), and the choice of
// timetables.
#include "shell/load_ui.h"

class wxWindow;

namespace vemo {

class SplashWindow;

class WxLoadUi : public LoadUi {
 public:
  // The splash, when there is one, shows the texts and the progress.
  explicit WxLoadUi(SplashWindow* splash = nullptr) : splash_(splash) {}
  void set_splash(SplashWindow* splash) { splash_ = splash; }

  void SplashText(std::string const& text) override;
  void ShowProgressBar(bool shown) override;
  void SetProgress(int value) override;
  void ShowMessage(int id, std::string const& text, MessageIcon icon) override;
  bool AskYesNo(int id, std::string const& text) override;
  std::optional<std::vector<int>> ChooseTimetables(
      std::vector<TimetableFileEntry> const& entries) override;

 private:
  SplashWindow* splash_;
};

}  // namespace vemo
