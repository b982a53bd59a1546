#pragma once
// The program's application object: start-up in its fixed order (command
// line, settings, splash, kernel, timetables, settings that need the
// kernel, first window) and the saves at exit.
#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/app_settings.h"
#include "shell/command_line.h"
#include "shell/kernel_api.h"
#include "shell/profile.h"

namespace vemo {

class VemoApp : public wxApp {
 public:
  bool OnInit() override;
  int OnExit() override;

  KernelApi& kernel() { return kernel_; }
  Profile& profile() { return *profile_; }
  AppSettings& settings() { return settings_; }
  CommandLineOptions const& options() const { return options_; }

 private:
  bool StartUp();
  void OpenFirstWindow();

  std::vector<std::string> args_;
  CommandLineOptions options_;
  KernelApi kernel_;
  std::unique_ptr<Profile> profile_;
  AppSettings settings_;
  bool started_ = false;
};

VemoApp& App();

}  // namespace vemo
