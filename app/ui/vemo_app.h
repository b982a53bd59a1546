#pragma once
// The program's application object: start-up in its fixed order (command
// line, settings, splash, kernel, timetables, settings that need the
// kernel, first window), the commands no single window owns, the window
// management (find or open, at most three new windows per kind, exit) and
// the saves at exit.
#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/app_settings.h"
#include "shell/browser_pages.h"
#include "shell/command_line.h"
#include "shell/information_target.h"
#include "shell/kernel_api.h"
#include "shell/profile.h"
#include "shell/timetable_dialogs_model.h"
#include "shell/timetable_support.h"
#include "shell/update_thread.h"
#include "ui/document_frame.h"

class wxHtmlHelpController;
class wxMenu;

namespace vemo {

class VemoApp : public wxApp {
 public:
  VemoApp();
  ~VemoApp() override;

  bool OnInit() override;
  int OnExit() override;
  // The whole start-up for these arguments (after the program name); false
  // when the program is to end at once. Tests start the program with it.
  bool Start(std::vector<std::string> const& args);
  // The saves of exit, without ending.
  void SaveSettings();

  KernelApi& kernel() { return kernel_; }
  Profile& profile() { return *profile_; }
  AppSettings& settings() { return settings_; }
  CommandLineOptions const& options() const { return options_; }
  FrameContext const& frame_context() const { return frame_context_; }
  // One per loaded timetable, in index order.
  std::vector<TimetableSupport> const& supports() const { return supports_; }
  InfoPages const& info_pages() const { return info_pages_; }

  // The document frames in the order of the framework's window list.
  std::vector<DocumentFrame*> Frames() const;
  // A new frame of the kind for the timetable (-1 none); the main window
  // saves its state first.
  DocumentFrame* OpenFrame(WindowKind kind, int timetable);
  // Find or open, by the policy of at most three per kind.
  DocumentFrame* FindOrOpen(WindowKind kind, int timetable, bool new_requested);
  // The selection of the main window's views (found 0 when none).
  SelectedObject AskSelection(bool arrivals);
  // The board or the stop timetable of the selection, in a window found or
  // opened for its timetable (a new one while Ctrl is held).
  void ShowBoardForSelection(bool arrivals);
  void ShowZjrForSelection();
  // Closes every frame; stops at one that refuses. True when all closed.
  bool CloseAllFrames();
  // Enables or disables every frame alike (around searches and printing).
  void EnableFrames(bool enable);

  // The information texts of a loaded timetable.
  TimetableInfoTexts TimetableInfo(int timetable);

  UpdateState const& update_state() const { return update_state_; }

  // What the page commands (train formation, station and town page) act
  // on; the context menus of the windows set it.
  InformationTarget& information_target() { return information_target_; }
  // Fits the page items of a context menu (32918 train formation, 32919
  // station page, 32920 town page, each text a format) to what is under the
  // mouse: keeps the items whose page exists, fills in their names, drops
  // the others and the separators they leave, and sets the target.
  void PrepareInfoPageItems(wxMenu* menu, int timetable, int train, int station, int date);
  // The train-formation page of the target; no url when there is none.
  BrowserPage TrainFormationPage();

  // The update-offer page with what is installed in the directory; empty
  // url when no address is known.
  BrowserPage UpdateOffer(std::string const& program_dir, DocumentFrame* status_frame);

  // Where the help book is looked for (the program's directory by default).
  void set_help_dir(std::string dir) { help_dir_ = std::move(dir); }

 private:
  bool StartUp();
  void OpenFirstWindow();
  void BindCommands();
  void OnCommand(wxCommandEvent& event);
  void OnUpdateCommand(wxUpdateUIEvent& event);
  void ShowHelp();
  void ShowTimetableInfo(int timetable);
  void StartUpdate();
  void OnUpdateDone(int status);
  // The page in the browser dialog owned by the main window, or the message
  // when there is none.
  void ShowBrowserPage(BrowserPage const& page);
  std::string OfferAddress() const;
  // Shows message 373 when the target cannot be opened.
  void OpenWithShell(std::string const& target);
  void BroadcastToFrames(wxEventType type);
  void SendToFrames(wxEventType type);
  int MainWindowTimetable() const;

  std::vector<std::string> args_;
  CommandLineOptions options_;
  KernelApi kernel_;
  std::unique_ptr<Profile> profile_;
  AppSettings settings_;
  FrameContext frame_context_;
  std::vector<TimetableSupport> supports_;
  InfoPages info_pages_;
  UpdateState update_state_;
  UpdateThread update_thread_;
  std::unique_ptr<wxHtmlHelpController> help_;
  std::string help_dir_;
  bool started_ = false;
  bool running_from_cd_ = false;
  InformationTarget information_target_;
  bool commands_bound_ = false;
};

VemoApp& App();

}  // namespace vemo
