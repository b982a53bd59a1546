#include "shell/frame_menus.h"

#include <algorithm>

#include "shell/command_ids.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

constexpr int kConnections = 5000, kArrDep = 5010, kTrains = 5020, kZjr = 5030, kMap = 5040;
constexpr int kKindCity = 3, kKindAir = 4;

bool AllAir(std::span<const LoadedTimetable> timetables) {
  return !timetables.empty() && std::all_of(timetables.begin(), timetables.end(),
                                            [](auto const& t) { return t.kind == kKindAir; });
}

int CountCity(std::span<const LoadedTimetable> timetables) {
  return static_cast<int>(std::count_if(timetables.begin(), timetables.end(),
                                        [](auto const& t) { return t.kind == kKindCity; }));
}

MenuItem Command(int command, const char* text) { return {ItemType::kCommand, command, text, {}}; }
MenuItem Check(int command, const char* text) { return {ItemType::kCheck, command, text, {}}; }
MenuItem Separator() { return {ItemType::kSeparator, 0, {}, {}}; }

int WindowKindOfCommand(int command) {
  switch (command) {
    case cmd::kNewConnWindow:
      return kConnections;
    case cmd::kArrDepWindow:
    case cmd::kArrDepWindowAir:
      return kArrDep;
    case cmd::kTrainsWindow:
    case cmd::kTrainsWindowAir:
      return kTrains;
    case cmd::kZjrWindow:
      return kZjr;
    default:
      return 0;
  }
}

}  // namespace

std::vector<TopMenu> BuildMenus(int window_kind, std::span<const LoadedTimetable> timetables,
                                std::span<const std::string> info_pages) {
  bool air = AllAir(timetables);
  std::vector<TopMenu> menus;

  TopMenu file{"&Soubor", {}};
  int pages = std::min<int>(static_cast<int>(info_pages.size()), cmd::kRangeSize);
  for (int i = 0; i < pages; ++i)
    file.items.push_back({ItemType::kCommand, cmd::kInfoPageBase + i, info_pages[i], {}});
  if (pages > 0) file.items.push_back(Separator());
  file.items.push_back(Command(cmd::kExit, "&Konec\tAlt+F4"));
  menus.push_back(std::move(file));

  TopMenu view{"&Zobrazit", {}};
  view.items = {Check(cmd::kToolbar, "&Panel nástrojů"),
                Check(cmd::kToolbarTexts, "T&exty na panelu nástrojů"),
                Separator(),
                Check(cmd::kToggleTooltips, "&Bublinová nápověda"),
                Check(cmd::kActiveOnly, "&Jen platné"),
                Check(cmd::kLowDeck, "&Nízkopodlažní spoje"),
                Check(cmd::kHideNodes, "&Skrýt uzly")};
  menus.push_back(std::move(view));

  TopMenu windows{"&Okna", {}};
  windows.items.push_back(Command(cmd::kNewConnWindow, "Nové okno &spojení\tCtrl+N"));
  if (air) {
    windows.items.push_back(Command(cmd::kArrDepWindowAir, "&Přílety a odlety"));
    windows.items.push_back(Command(cmd::kTrainsWindowAir, "&Lety"));
  } else {
    windows.items.push_back(Command(cmd::kArrDepWindow, "&Příjezdy a odjezdy"));
    windows.items.push_back(Command(cmd::kTrainsWindow, "&Vlaky"));
  }
  if (CountCity(timetables) > 0)
    windows.items.push_back(Command(cmd::kZjrWindow, "&Zastávkové jízdní řády"));
  menus.push_back(std::move(windows));

  TopMenu help{"&Nápověda", {}};
  help.items.push_back(Command(cmd::kHelp, "&Obsah nápovědy\tF1"));
  help.items.push_back(Separator());
  if (timetables.size() == 1) {
    help.items.push_back(Command(cmd::kTimetableInfoBase, "&Informace o jízdním řádu"));
  } else if (!timetables.empty()) {
    MenuItem popup{ItemType::kSubmenu, 0, "&Informace o jízdních řádech", {}};
    int count = std::min<int>(static_cast<int>(timetables.size()), cmd::kRangeSize - 1);
    for (int i = 0; i < count; ++i)
      popup.items.push_back({ItemType::kCommand,
                             cmd::kTimetableInfoBase + i,
                             TimetableMenuText(i, timetables[i].name),
                             {}});
    help.items.push_back(std::move(popup));
  }
  help.items.push_back(Separator());
  help.items.push_back(Command(cmd::kInformation, "&Informace"));
  help.items.push_back(Command(cmd::kUpdateOffer, "Nabídka &aktualizací ..."));
  help.items.push_back(Check(cmd::kAutoUpdate, "Automatická akt&ualizace"));
  help.items.push_back(Separator());
  help.items.push_back(Command(cmd::kAbout, "&O aplikaci"));
  menus.push_back(std::move(help));
  (void)window_kind;
  return menus;
}

std::vector<ToolButton> BuildToolButtons(int window_kind,
                                         std::span<const LoadedTimetable> timetables) {
  bool several = timetables.size() > 1;
  bool air = AllAir(timetables);
  std::vector<ToolButton> buttons;
  buttons.push_back({cmd::kNewConnWindow, "Spojení", "Nové okno spojení", false});
  if (air) {
    buttons.push_back(
        {cmd::kArrDepWindowAir, "Přílety", "Přílety a odlety", several && window_kind != kMap});
    buttons.push_back({cmd::kTrainsWindowAir, "Lety", "Lety", several});
  } else {
    buttons.push_back(
        {cmd::kArrDepWindow, "Odjezdy", "Příjezdy a odjezdy", several && window_kind != kMap});
    buttons.push_back({cmd::kTrainsWindow, "Vlaky", "Vlaky", several});
  }
  int city = CountCity(timetables);
  if (city > 0)
    buttons.push_back({cmd::kZjrWindow, "Zastávky", "Zastávkové jízdní řády", city > 1});
  buttons.push_back({cmd::kHelp, "Nápověda", "Obsah nápovědy", false});
  return buttons;
}

int DropDownBase(int command) {
  switch (command) {
    case cmd::kArrDepWindow:
    case cmd::kArrDepWindowAir:
      return cmd::kArrDepForTimetableBase;
    case cmd::kTrainsWindow:
    case cmd::kTrainsWindowAir:
      return cmd::kTrainsForTimetableBase;
    case cmd::kZjrWindow:
      return cmd::kZjrForTimetableBase;
    case cmd::kShownTimetable:
      return cmd::kSettingsTimetableBase;
    case cmd::kOptions:
    case cmd::kOptionsChanged:
      return cmd::kConnTimetableBase;
    default:
      return 0;
  }
}

std::vector<int> DropDownTimetables(int base, std::span<const LoadedTimetable> timetables) {
  std::vector<int> indexes;
  int count = std::min<int>(static_cast<int>(timetables.size()), cmd::kRangeSize - 1);
  for (int i = 0; i < count; ++i)
    if (base != cmd::kZjrForTimetableBase || timetables[i].kind == kKindCity) indexes.push_back(i);
  return indexes;
}

std::vector<int> StatusPanes(int window_kind) {
  (void)window_kind;
  return {45007, 45008};
}

std::vector<MenuItem> PaneMenu(int pane_id, std::span<const LoadedTimetable> timetables) {
  switch (pane_id) {
    case 45000:
      return {Command(cmd::kDirectOnly, "&Jen přímá spojení\tF8"),
              Command(cmd::kParameters, "&Parametry ...")};
    case 45002:
      return {Command(cmd::kMoreParameters, "&Další parametry ...")};
    case 45005:
      return {Command(cmd::kMeans, "&Prostředky ...")};
    case 45007: {
      std::vector<MenuItem> items;
      int count = std::min<int>(static_cast<int>(timetables.size()), cmd::kRangeSize - 1);
      for (int i = 0; i < count; ++i)
        items.push_back({ItemType::kCommand,
                         cmd::kConnTimetableBase + i,
                         TimetableMenuText(i, timetables[i].name),
                         {}});
      items.push_back(Separator());
      items.push_back(Command(cmd::kSettingsTimetableBase, "&Jízdní řády ..."));
      return items;
    }
    default:
      return {};
  }
}

std::vector<MenuItem> ToolbarMenu() {
  return {Check(cmd::kToolbar, "Panel &nástrojů"),
          Check(cmd::kToolbarTexts, "T&exty na panelu nástrojů")};
}

bool PaneClickOpensOptions(int pane_id) { return pane_id >= 0 && pane_id != 45008; }

CommandState StateOf(int command, CommandContext const& context) {
  if (int kind = WindowKindOfCommand(command)) {
    bool enabled = CanOpenNewFrame(context.frames, kind);
    if (kind == kZjr) enabled = enabled && CountCity(context.timetables) > 0;
    return {enabled, false};
  }
  switch (command) {
    case cmd::kToggleTooltips:
      return {true, context.tooltips};
    case cmd::kActiveOnly:
      return {true, context.active_only};
    case cmd::kLowDeck:
      return {true, context.low_deck};
    case cmd::kHideNodes:
      return {true, context.hide_nodes};
    case cmd::kToolbar:
      return {true, context.toolbar_shown};
    case cmd::kToolbarTexts:
      return {context.toolbar_shown, context.toolbar_texts};
    case cmd::kAutoUpdate:
      return {!context.running_from_cd, context.auto_update};
    case cmd::kUpdateOffer:
      return {!context.running_from_cd && context.update_offer_known, false};
    // The options and the timetables of a search belong to the connection
    // window: its view enables them; without it they stay off.
    case cmd::kDirectOnly:
    case cmd::kOptions:
    case cmd::kOptionsChanged:
    case cmd::kParameters:
    case cmd::kMoreParameters:
    case cmd::kMeans:
      return {false, false};
    default:
      break;
  }
  for (int base : {cmd::kSettingsTimetableBase, cmd::kConnTimetableBase})
    if (command >= base && command < base + cmd::kRangeSize) return {false, false};
  if (command >= cmd::kZjrForTimetableBase &&
      command < cmd::kZjrForTimetableBase + cmd::kRangeSize) {
    size_t i = command - cmd::kZjrForTimetableBase;
    return {i < context.timetables.size() && context.timetables[i].kind == kKindCity, false};
  }
  return {};
}

PaneText TimetableCountPane(int count) {
  return {FormatResString(45007, {count}), std::string(LoadResString(239))};
}

PaneText UpdatePane(int status, std::string const& detail) {
  static const char* const kTexts[][2] = {
      {"", ""},
      {"start", "Spouští se ověření aktualizace"},
      {"akt.", "Probíhá ověření aktualizace"},
      {"OK", "Aplikace i data jsou aktuální"},
      {"chyba", "Při automatické aktualizaci aplikace došlo k chybě"},
      {"aktualizováno",
       "Aplikace a data byly aktualizovány, změny se projeví po novém spuštění aplikace"},
  };
  if (status < 1 || status > 5) return {};
  PaneText pane{kTexts[status][0], kTexts[status][1]};
  if (!detail.empty()) pane.tooltip += ": " + detail;
  return pane;
}

}  // namespace vemo
