#include "ui/vemo_app.h"

#include <wx/html/helpctrl.h>
#include <wx/kbdstate.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/tooltip.h>
#include <wx/utils.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "shell/command_ids.h"
#include "shell/curl_downloader.h"
#include "shell/external_splash.h"
#include "shell/font_check.h"
#include "shell/kernel_binding.h"
#include "shell/paths.h"
#include "shell/program_dates.h"
#include "shell/string_table.h"
#include "shell/timetable_loader.h"
#include "shell/update_offer.h"
#include "shell/window_policy.h"
#include "ui/about_dialog.h"
#include "ui/command_art.h"
#include "ui/app_events.h"
#include "ui/browser_dialog.h"
#include "ui/pane_status_bar.h"
#include "ui/shell_open.h"
#include "ui/splash_window.h"
#include "ui/timetable_dialogs.h"
#include "ui/wx_load_ui.h"
#include "ui/wx_text.h"

namespace vemo {

wxDEFINE_EVENT(EVT_REMARKS_CHANGED, wxCommandEvent);
wxDEFINE_EVENT(EVT_TOOLTIPS_CHANGED, wxCommandEvent);
wxDEFINE_EVENT(EVT_ACTIVE_ONLY_CHANGED, wxCommandEvent);
wxDEFINE_EVENT(EVT_NODES_CHANGED, wxCommandEvent);
wxDEFINE_EVENT(EVT_LOW_DECK_CHANGED, wxCommandEvent);
wxDEFINE_EVENT(EVT_GET_SELECTED_OBJECT, wxCommandEvent);

namespace {

constexpr int kKindCity = 3;

void BroadcastTo(wxWindow* window, wxEventType type) {
  for (wxWindow* child : window->GetChildren()) {
    wxCommandEvent event(type);
    child->GetEventHandler()->ProcessEvent(event);
    BroadcastTo(child, type);
  }
}

void AskDescendants(wxWindow* window, bool arrivals, SelectedObject* record) {
  for (wxWindow* child : window->GetChildren()) {
    wxCommandEvent event(EVT_GET_SELECTED_OBJECT);
    event.SetInt(arrivals ? 1 : 0);
    event.SetClientData(record);
    child->GetEventHandler()->ProcessEvent(event);
    AskDescendants(child, arrivals, record);
  }
}

bool InRange(int command, int base) { return command >= base && command < base + cmd::kRangeSize; }

}  // namespace

VemoApp& App() { return static_cast<VemoApp&>(*wxApp::GetInstance()); }

VemoApp::VemoApp() = default;
VemoApp::~VemoApp() = default;

bool VemoApp::OnInit() {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(FromWx(argv[i]));
  return Start(args);
}

bool VemoApp::Start(std::vector<std::string> const& args) {
  args_ = args;
  options_ = {};
  frame_context_ = {};
  started_ = false;
  information_target_ = {};
  ParseArgs(args_, 0, &options_, nullptr);
  SetUiLanguage();
  if (options_.help_requested) {
    wxMessageDialog(nullptr, U8(LoadResString(178)), U8(LoadResString(57344)),
                    wxOK | wxICON_INFORMATION)
        .ShowModal();
    return false;
  }
  if (help_dir_.empty()) help_dir_ = GetModuleDir() + "help";
  profile_ = std::make_unique<Profile>(Profile::DefaultPath());
  if (!StartUp()) return false;
  started_ = true;
  if (!commands_bound_) BindCommands();
  commands_bound_ = true;
  StartUpdate();
  OpenFirstWindow();
  return true;
}

bool VemoApp::StartUp() {
  // The splash program beside Vemo when there is one, else our own window.
  ExternalSplash external;
  SplashWindow* splash = nullptr;
  if (!external.Start(GetModuleDir() + "Splash")) {
    splash = new SplashWindow();
    splash->Show();
    splash->Update();
  }
  WxLoadUi ui(splash);
  auto close_splash = [&] {
    ui.set_splash(nullptr);
    if (splash) splash->Destroy();
    splash = nullptr;
    external.WaitForEnd(10000);
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

  // Symbols in day remarks need the "Timetable" font.
  std::optional<std::string> font = FindFontFamilyFile("Timetable");
  settings_.symbol_font = font.has_value();
  settings_.marks_mode = settings_.symbol_font ? 2 : 1;
  settings_.symbol_font_day = font && !font->empty() ? LatestFileDay(0, *font) : 0;
  settings_.LoadRemarksOptions(*profile_, kernel_);
  settings_.ApplyMarksMode(kernel_);
  settings_.Load(*profile_);
  wxToolTip::Enable(settings_.tooltips);

  frame_context_.profile = profile_.get();
  frame_context_.update = &update_state_;
  frame_context_.menu_icons = options_.menu_icons;
  for (int i = 0; i < kernel_.QoQoCount(); ++i) {
    TIMETABLEINFO_REC* info = kernel_.QoQoInfo(i);
    LoadedTimetable timetable;
    timetable.kind = info ? info->kind : 0;
    if (info && info->names && info->language_count > 0) {
      int language = kernel_.QoGetLangIndex(i, UiLanguageLetter());
      if (language < 0 || language >= info->language_count) language = 0;
      timetable.name = kernel_.FromKernel(info->names[language]);
    }
    frame_context_.timetables.push_back(std::move(timetable));
  }
  ui.SplashText(std::string(LoadResString(411)));
  supports_.clear();
  info_pages_ = {};
  for (int i = 0; i < kernel_.QoQoCount(); ++i) {
    TIMETABLEINFO_REC* info = kernel_.QoQoInfo(i);
    std::string path = info && info->path ? info->path : "";
    int kind = info ? info->kind : 0, area = info ? info->area : 0;
    const char* resource = kernel_.QoGetResExtension(i);
    TimetableSupport support;
    support.Init(i, path, resource ? resource : "", kernel_.QoTrTypeCount(i), UiLanguageLetter(),
                 kind, area, profile_.get(), &info_pages_);
    supports_.push_back(std::move(support));
  }
  frame_context_.info_page_titles = info_pages_.titles;
  frame_context_.timetable_icons.clear();
  for (TimetableSupport const& support : supports_) {
    auto icon = support.bundle().icons.find(1);
    frame_context_.timetable_icons.push_back(
        TimetableBitmap(icon == support.bundle().icons.end() ? std::string() : icon->second));
  }
  close_splash();
  return true;
}

void VemoApp::OpenFirstWindow() {
  switch (options_.first_window_kind) {
    case 1:
      OpenFrame(WindowKind::kArrDep, -1);
      break;
    case 2:
      OpenFrame(WindowKind::kTrains, -1);
      break;
    case 3: {
      bool city = std::any_of(frame_context_.timetables.begin(), frame_context_.timetables.end(),
                              [](LoadedTimetable const& t) { return t.kind == kKindCity; });
      OpenFrame(city ? WindowKind::kStopTimetables : WindowKind::kConnections, -1);
      break;
    }
    default:
      OpenFrame(WindowKind::kConnections, -1);
      break;
  }
}

std::vector<DocumentFrame*> VemoApp::Frames() const {
  std::vector<DocumentFrame*> frames;
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* frame = dynamic_cast<DocumentFrame*>(window);
        frame && !frame->IsBeingDeleted() && !IsScheduledForDestruction(frame))
      frames.push_back(frame);
  return frames;
}

DocumentFrame* VemoApp::OpenFrame(WindowKind kind, int timetable) {
  if (auto* main = dynamic_cast<DocumentFrame*>(GetTopWindow())) main->SaveFrameState();
  bool another_of_kind = false;
  for (DocumentFrame* frame : Frames()) another_of_kind |= frame->kind() == kind;
  auto* frame = new DocumentFrame(kind, timetable, frame_context_, another_of_kind);
  frame->Show();
  SetTopWindow(frame);
  return frame;
}

DocumentFrame* VemoApp::FindOrOpen(WindowKind kind, int timetable, bool new_requested) {
  std::vector<DocumentFrame*> frames = Frames();
  std::vector<OpenFrameInfo> infos;
  for (DocumentFrame* frame : frames)
    infos.push_back({static_cast<int>(frame->kind()), frame->timetable(), frame->IsIconized()});
  OpenDecision decision = DecideFindOrOpen(infos, static_cast<int>(kind), timetable, new_requested);
  if (decision.action == OpenAction::kOpenNew) return OpenFrame(kind, timetable);
  DocumentFrame* frame = frames[decision.index];
  if (decision.restore && frame->IsIconized()) frame->Iconize(false);
  frame->Raise();
  frame->SetFocus();
  return frame;
}

SelectedObject VemoApp::AskSelection(bool arrivals) {
  SelectedObject record;
  if (wxWindow* main = GetTopWindow()) AskDescendants(main, arrivals, &record);
  return record;
}

void VemoApp::ShowBoardForSelection(bool arrivals) {
  SelectedObject record = AskSelection(arrivals);
  if (!record.found) return;
  bool new_requested = wxGetKeyState(WXK_CONTROL);
  if (DocumentFrame* frame = FindOrOpen(WindowKind::kArrDep, record.timetable, new_requested))
    frame->ShowStationBoard(record);
}

void VemoApp::ShowZjrForSelection() {
  SelectedObject record = AskSelection(false);
  if (!record.found) return;
  bool new_requested = wxGetKeyState(WXK_CONTROL);
  DocumentFrame* frame = FindOrOpen(WindowKind::kStopTimetables, record.timetable, new_requested);
  if (!frame) return;
  ROUTE2_REC* route = nullptr;
  int count = kernel_.QoTrainRoute(record.timetable, record.train, &route);
  // A train the kernel does not know has no route; its minute is 0.
  if (count <= 0 || !route) {
    kernel_.QoError();
    count = 0;
  }
  int minute = DepartureMinuteAt({route, static_cast<size_t>(count)}, record.station);
  frame->ShowTrainLine(record.station, record.partner, record.train, minute);
}

bool VemoApp::CloseAllFrames() {
  std::vector<DocumentFrame*> snapshot = Frames();
  return CloseFramesInOrder<DocumentFrame>(snapshot,
                                           [](DocumentFrame* frame) { return frame->Close(); });
}

void VemoApp::EnableFrames(bool enable) {
  for (DocumentFrame* frame : Frames()) frame->Enable(enable);
}

int VemoApp::MainWindowTimetable() const {
  auto* main = dynamic_cast<DocumentFrame*>(GetTopWindow());
  return main ? main->timetable() : -1;
}

void VemoApp::BindCommands() {
  Bind(wxEVT_MENU, &VemoApp::OnCommand, this, cmd::kFirstWxId, cmd::WxIdEnd() - 1);
  Bind(wxEVT_UPDATE_UI, &VemoApp::OnUpdateCommand, this, cmd::kFirstWxId, cmd::WxIdEnd() - 1);
}

void VemoApp::OnCommand(wxCommandEvent& event) {
  int command = cmd::FromWxId(event.GetId());
  std::vector<LoadedTimetable> const& timetables = frame_context_.timetables;
  auto is_city = [&](int i) {
    return i >= 0 && i < static_cast<int>(timetables.size()) && timetables[i].kind == kKindCity;
  };
  switch (command) {
    case cmd::kNewConnWindow:
      OpenFrame(WindowKind::kConnections, -1);
      return;
    case cmd::kArrDepWindow:
    case cmd::kArrDepWindowAir:
      OpenFrame(WindowKind::kArrDep, MainWindowTimetable());
      return;
    case cmd::kTrainsWindow:
    case cmd::kTrainsWindowAir:
      OpenFrame(WindowKind::kTrains, MainWindowTimetable());
      return;
    case cmd::kZjrWindow: {
      int single = MainWindowTimetable();
      if (is_city(single))
        OpenFrame(WindowKind::kStopTimetables, single);
      else if (std::any_of(timetables.begin(), timetables.end(),
                           [](auto const& t) { return t.kind == kKindCity; }))
        OpenFrame(WindowKind::kStopTimetables, -1);
      return;
    }
    case cmd::kExit:
      CloseAllFrames();
      return;
    case cmd::kArrivalsList:
    case cmd::kDeparturesList:
      ShowBoardForSelection(command == cmd::kArrivalsList);
      return;
    case cmd::kZjrForSelection:
      ShowZjrForSelection();
      return;
    case cmd::kInformation:
      ShowBrowserPage(InformationPage(GetModuleDir()));
      return;
    case cmd::kUpdateOffer: {
      BrowserPage page = UpdateOffer(GetModuleDir(), dynamic_cast<DocumentFrame*>(GetTopWindow()));
      if (!page.url.empty()) ShowBrowserPage(page);
      return;
    }
    case cmd::kAutoUpdate:
      settings_.auto_update = !settings_.auto_update;
      return;
    case cmd::kTrainFormation: {
      BrowserPage page = TrainFormationPage();
      if (!page.url.empty()) ShowBrowserPage(page);
      return;
    }
    case cmd::kStationPage:
    case cmd::kTownPage: {
      InformationTarget const& target = information_target_;
      if (target.timetable < 0 || target.timetable >= static_cast<int>(supports_.size())) return;
      TimetableSupport const& support = supports_[target.timetable];
      std::string path = command == cmd::kStationPage
                             ? support.GetStationPagePath(target.station_page)
                             : support.GetTownPagePath(target.town_page);
      if (!path.empty()) OpenWithShell(path);
      return;
    }
    case cmd::kHelp:
      ShowHelp();
      return;
    case cmd::kAbout: {
      AboutDialog about(GetTopWindow(), kernel_.QoVer());
      about.ShowModal();
      return;
    }
    case cmd::kToggleTooltips:
      settings_.tooltips = !settings_.tooltips;
      wxToolTip::Enable(settings_.tooltips);
      BroadcastToFrames(EVT_TOOLTIPS_CHANGED);
      return;
    case cmd::kActiveOnly:
      settings_.active_only = !settings_.active_only;
      SendToFrames(EVT_ACTIVE_ONLY_CHANGED);
      return;
    case cmd::kLowDeck:
      settings_.low_deck = !settings_.low_deck;
      SendToFrames(EVT_LOW_DECK_CHANGED);
      return;
    case cmd::kHideNodes:
      settings_.hide_nodes = !settings_.hide_nodes;
      SendToFrames(EVT_NODES_CHANGED);
      return;
    default:
      break;
  }
  // The per-timetable entries of the drop-downs open a further frame
  // without the limit of three.
  if (InRange(command, cmd::kArrDepForTimetableBase))
    OpenFrame(WindowKind::kArrDep, command - cmd::kArrDepForTimetableBase);
  else if (InRange(command, cmd::kTrainsForTimetableBase))
    OpenFrame(WindowKind::kTrains, command - cmd::kTrainsForTimetableBase);
  else if (InRange(command, cmd::kZjrForTimetableBase) &&
           is_city(command - cmd::kZjrForTimetableBase))
    OpenFrame(WindowKind::kStopTimetables, command - cmd::kZjrForTimetableBase);
  else if (InRange(command, cmd::kTimetableInfoBase) &&
           command - cmd::kTimetableInfoBase < kernel_.QoQoCount())
    ShowTimetableInfo(command - cmd::kTimetableInfoBase);
  else if (InRange(command, cmd::kInfoPageBase) &&
           command - cmd::kInfoPageBase < static_cast<int>(info_pages_.paths.size()))
    OpenWithShell(info_pages_.paths[command - cmd::kInfoPageBase]);
  else
    event.Skip();
}

void VemoApp::OnUpdateCommand(wxUpdateUIEvent& event) {
  std::vector<OpenFrameInfo> infos;
  for (DocumentFrame* frame : Frames())
    infos.push_back({static_cast<int>(frame->kind()), frame->timetable(), frame->IsIconized()});
  CommandContext context;
  context.timetables = frame_context_.timetables;
  context.frames = infos;
  context.tooltips = settings_.tooltips;
  context.active_only = settings_.active_only;
  context.low_deck = settings_.low_deck;
  context.hide_nodes = settings_.hide_nodes;
  context.auto_update = settings_.auto_update;
  context.running_from_cd = running_from_cd_;
  context.update_offer_known = !OfferAddress().empty();
  CommandState state = StateOf(cmd::FromWxId(event.GetId()), context);
  event.Enable(state.enabled);
  if (event.GetSetChecked() || state.checked) event.Check(state.checked);
}

TimetableInfoTexts VemoApp::TimetableInfo(int timetable) {
  TimetableFacts facts;
  TIMETABLEINFO_REC* info = kernel_.QoQoInfo(timetable);
  if (!info) return {};
  auto dmy = [](DMY_REC const& d) { return Dmy{d.day, d.month, d.year}; };
  int language = kernel_.QoGetLangIndex(timetable, UiLanguageLetter());
  if (language < 0 || language >= info->language_count) language = 0;
  if (info->names) facts.name = kernel_.FromKernel(info->names[language]);
  if (info->descriptions) facts.description = kernel_.FromKernel(info->descriptions[language]);
  facts.data_from = dmy(info->data_from);
  facts.data_to = dmy(info->data_to);
  facts.first_day = dmy(info->first_day);
  facts.last_day = dmy(info->last_day);
  facts.created = dmy(info->created);
  facts.id = info->id;
  facts.path = info->path ? info->path : "";
  char** extensions = nullptr;
  int count = kernel_.QoGetExtensions(timetable, &extensions);
  for (int i = 0; i < count && extensions; ++i)
    if (extensions[i]) facts.extensions.push_back(extensions[i]);
  if (timetable < static_cast<int>(supports_.size()) &&
      !supports_[timetable].bundle().folder.empty())
    facts.resource_path = supports_[timetable].bundle().folder;
  return MakeTimetableInfoTexts(facts);
}

void VemoApp::ShowTimetableInfo(int timetable) {
  std::string icons[2];
  if (timetable >= 0 && timetable < static_cast<int>(supports_.size()))
    for (int i = 0; i < 2; ++i)
      if (auto icon = supports_[timetable].bundle().icons.find(i + 1);
          icon != supports_[timetable].bundle().icons.end())
        icons[i] = icon->second;
  TimetableInfoDialog dialog(GetTopWindow(), TimetableInfo(timetable), icons[0], icons[1]);
  dialog.ShowModal();
}

// Once per run, when automatic update is on, the program does not run from
// a CD and an update server is set.
void VemoApp::StartUpdate() {
  running_from_cd_ = IsRunningFromCd();
  std::string index_url = UpdateIndexUrl(settings_.update_server);
  if (!settings_.auto_update || running_from_cd_ || index_url.empty()) return;
  UpdateRunOptions options{GetModuleDir(), index_url, nullptr};
  update_thread_.Start(
      options, std::make_unique<CurlDownloader>(update_thread_.cancel_flag()),
      std::make_unique<PosixUpdateFiles>(), &update_state_,
      [](std::function<void()> work) { wxTheApp->CallAfter(std::move(work)); },
      [this](int status) { OnUpdateDone(status); });
}

void VemoApp::OnUpdateDone(int status) {
  if (status != 5) return;
  wxMessageDialog ask(GetTopWindow(),
                      U8("Aplikace byla aktualizována. Změny se projeví po jejím opětovném "
                         "spuštění.\n\nPřejete si aplikaci ukončit a znovu spustit?"),
                      U8(LoadResString(57344)), wxYES_NO | wxICON_QUESTION | wxSTAY_ON_TOP);
  if (ask.ShowModal() != wxID_YES || !CloseAllFrames()) return;
  // The program's own file, started again without a shell.
  std::string self = GetModuleFilePath();
  const char* argv[] = {self.c_str(), nullptr};
  wxExecute(const_cast<char**>(argv), wxEXEC_ASYNC);
}

void VemoApp::PrepareInfoPageItems(wxMenu* menu, int timetable, int train, int station, int date) {
  InfoPageItems items =
      PrepareInfoPages(kernel_, supports_, timetable, train, station, date, UiLanguageLetter(),
                       !TrainFormationAddress(settings_.formation_server).empty());
  information_target_ = items.target;
  if (!menu) return;
  for (auto [command, kept, text] :
       {std::tuple{cmd::kTrainFormation, items.train_formation, &items.train_title},
        std::tuple{cmd::kStationPage, items.station_page, &items.station_name},
        std::tuple{cmd::kTownPage, items.town_page, &items.town_name}}) {
    wxMenuItem* item = menu->FindChildItem(cmd::ToWxId(command));
    if (!item) continue;
    if (!kept) {
      menu->Destroy(item);
      continue;
    }
    // A "&" of a name is no mnemonic.
    std::string name;
    for (char ch : *text) name += ch == '&' ? std::string("&&") : std::string(1, ch);
    item->SetItemLabel(U8(FormatText(FromWx(item->GetItemLabel()), {name})));
  }
  std::vector<bool> separators;
  for (wxMenuItem* item : menu->GetMenuItems()) separators.push_back(item->IsSeparator());
  for (int position : ExtraSeparators(separators))
    menu->Destroy(menu->FindItemByPosition(position));
}

BrowserPage VemoApp::TrainFormationPage() {
  return vemo::TrainFormationPage(kernel_, TrainFormationAddress(settings_.formation_server),
                                  information_target_, UiLanguageLetter());
}

std::string VemoApp::OfferAddress() const {
  return UpdateOfferAddress(settings_.update_server, options_.update_offer_address);
}

BrowserPage VemoApp::UpdateOffer(std::string const& program_dir, DocumentFrame* status_frame) {
  std::string address = OfferAddress();
  if (address.empty()) return {};
  wxBusyCursor wait;
  auto status = [status_frame](int id) {
    if (status_frame) status_frame->panes()->SetPane(0, std::string(LoadResString(id)), {});
  };
  status(321);
  OfferFacts facts;
  facts.random = std::random_device{}() & 0x7FFF;
  facts.kernel_day = LatestFileDay(0, program_dir + std::string(LoadResString(130)));
  facts.font_day = settings_.symbol_font_day;
  status(322);
  facts.timetables = InstalledFiles(program_dir, ".qo");
  status(323);
  facts.fares = InstalledFiles(program_dir, ".qop");
  status(325);
  facts.maps = InstalledFiles(program_dir, ".qom");
  facts.program_dir = program_dir;
  status(328);
  return UpdateOfferPage(address, facts);
}

void VemoApp::ShowBrowserPage(BrowserPage const& page) {
  auto* frame = dynamic_cast<DocumentFrame*>(GetTopWindow());
  if (!page.message.empty()) {
    wxMessageDialog(frame, U8(page.message), U8(LoadResString(57344)),
                    wxOK | wxICON_ERROR | wxSTAY_ON_TOP)
        .ShowModal();
  } else {
    BrowserDialog dialog(frame, profile_.get(), page.placement_value_id, page.url, page.title,
                         page.error_text);
    dialog.ShowModal();
  }
  if (frame) frame->panes()->SetPane(0, "", {});
}

void VemoApp::OpenWithShell(std::string const& target) {
  if (auto error = ShellOpen(target))
    wxMessageDialog(GetTopWindow(), U8(*error), U8(LoadResString(57344)), wxOK | wxICON_WARNING)
        .ShowModal();
}

void VemoApp::ShowHelp() {
  if (!help_) {
    help_ = std::make_unique<wxHtmlHelpController>(wxHF_DEFAULT_STYLE);
    help_->AddBook(U8(help_dir_ + "/vemo.hhp"));
  }
  help_->DisplayContents();
}

void VemoApp::BroadcastToFrames(wxEventType type) {
  for (DocumentFrame* frame : Frames()) BroadcastTo(frame, type);
}

void VemoApp::SendToFrames(wxEventType type) {
  for (DocumentFrame* frame : Frames()) {
    wxCommandEvent event(type);
    frame->GetEventHandler()->ProcessEvent(event);
  }
}

void VemoApp::SaveSettings() {
  if (started_) {
    if (settings_.remarks_changed) settings_.SaveRemarksOptions(*profile_, kernel_);
    settings_.Save(*profile_);
  }
  // Everything saved at exit reaches the disk now.
  if (profile_) profile_->Flush();
}

int VemoApp::OnExit() {
  // Downloads stop at once; a swap in progress may finish.
  update_thread_.Stop(5000);
  help_.reset();
  SaveSettings();
  return wxApp::OnExit();
}

}  // namespace vemo
