#include "ui/vemo_app.h"

#include <wx/msgdlg.h>

#include "shell/program_dates.h"
#include "shell/kernel_binding.h"
#include "shell/string_table.h"
#include "shell/timetable_loader.h"
#include "ui/document_frame.h"
#include "ui/splash_window.h"
#include "ui/wx_load_ui.h"
#include "ui/wx_text.h"

namespace vemo {

VemoApp& App() { return static_cast<VemoApp&>(*wxApp::GetInstance()); }

bool VemoApp::OnInit() {
  for (int i = 1; i < argc; ++i) args_.push_back(FromWx(argv[i]));
  ParseArgs(args_, 0, &options_, nullptr);
  SetUiLanguage();
  if (options_.help_requested) {
    wxMessageDialog(nullptr, U8(LoadResString(178)), U8(LoadResString(57344)),
                    wxOK | wxICON_INFORMATION)
        .ShowModal();
    return false;
  }
  profile_ = std::make_unique<Profile>(Profile::DefaultPath());
  if (!StartUp()) return false;
  started_ = true;
  OpenFirstWindow();
  return true;
}

bool VemoApp::StartUp() {
  auto* splash = new SplashWindow();
  splash->Show();
  splash->Update();
  WxLoadUi ui(splash);
  auto close_splash = [&] {
    ui.set_splash(nullptr);
    splash->Destroy();
  };

  if (!BindKernel(std::string(LoadResString(130)), args_, &options_, &kernel_, &ui)) {
    close_splash();
    return false;
  }
  LoadOptions load;
  load.timetable_files = options_.timetable_files;
  load.load_all_found = options_.load_all_found;
  load.skip_integrity_check = options_.skip_integrity_check;
  load.load_at_once = options_.load_at_once;
  load.language_letter = UiLanguageLetter();
  load.today = TodayDayNumber();
  TimetableLoader loader(&kernel_, &ui, load);
  if (!loader.LoadTimetables()) {
    close_splash();
    return false;
  }

  settings_.LoadRemarksOptions(*profile_, kernel_);
  settings_.ApplyMarksMode(kernel_);
  settings_.Load(*profile_);
  close_splash();
  return true;
}

void VemoApp::OpenFirstWindow() {
  WindowKind kind = WindowKind::kConnections;
  switch (options_.first_window_kind) {
    case 1: kind = WindowKind::kArrDep; break;
    case 2: kind = WindowKind::kTrains; break;
    case 3: kind = WindowKind::kStopTimetables; break;
    default: break;
  }
  auto* frame = new DocumentFrame(kind, profile_.get());
  frame->Show();
  SetTopWindow(frame);
}

int VemoApp::OnExit() {
  if (started_) {
    if (settings_.remarks_changed) settings_.SaveRemarksOptions(*profile_, kernel_);
    settings_.Save(*profile_);
  }
  // Everything saved at exit reaches the disk now.
  if (profile_) profile_->Flush();
  return wxApp::OnExit();
}

}  // namespace vemo
