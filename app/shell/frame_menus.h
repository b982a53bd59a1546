#pragma once
// The menus, toolbar buttons and status panes of the document windows, as
// data: what each kind of window shows for the loaded timetables and how
// each command is enabled and checked. The windows build themselves from it.
#include <span>
#include <string>
#include <vector>

#include "shell/window_policy.h"

namespace vemo {

// What the menus depend on: the loaded timetables in index order.
struct LoadedTimetable {
  std::string name;  // in the program's language
  int kind = 1;      // 1 rail, 2 bus, 3 city, 4 air
};

enum class ItemType { kCommand, kCheck, kSeparator, kSubmenu };

struct MenuItem {
  ItemType type = ItemType::kCommand;
  int command = 0;
  std::string text;
  std::vector<MenuItem> items;  // of a submenu
};

struct TopMenu {
  std::string title;
  std::vector<MenuItem> items;
};

struct ToolButton {
  int command = 0;
  std::string label;  // shown on the text toolbar
  std::string tooltip;
  bool drop_down = false;  // lists the timetables (base + index)
};

// `info_pages` are the titles of the general information pages, entries
// 40700 + i of the first menu.
std::vector<TopMenu> BuildMenus(int window_kind, std::span<const LoadedTimetable> timetables,
                                std::span<const std::string> info_pages = {});
std::vector<ToolButton> BuildToolButtons(int window_kind,
                                         std::span<const LoadedTimetable> timetables);
// The range base a drop-down button lists the timetables with; 0 for none.
int DropDownBase(int command);
// The timetables a drop-down of that base offers (the stop-timetable range
// offers city timetables only).
std::vector<int> DropDownTimetables(int base, std::span<const LoadedTimetable> timetables);

// The status panes after pane 0, by id.
std::vector<int> StatusPanes(int window_kind);

// The menu a right click on a status pane shows; empty for a pane without
// one.
std::vector<MenuItem> PaneMenu(int pane_id, std::span<const LoadedTimetable> timetables);
// The menu a right click on the toolbar shows.
std::vector<MenuItem> ToolbarMenu();
// Whether a left click on the pane opens the options at its page: every
// pane but the update pane (45008); -1 is no pane.
bool PaneClickOpensOptions(int pane_id);

// What the commands' enabled and checked states are computed from.
struct CommandContext {
  std::span<const LoadedTimetable> timetables;
  std::span<const OpenFrameInfo> frames;
  bool tooltips = true, active_only = true, low_deck = true, hide_nodes = true;
  bool toolbar_shown = true, toolbar_texts = true;
  bool running_from_cd = false, auto_update = true;
  // An update-offer address is known (a server, or one on the command line).
  bool update_offer_known = true;
};

struct CommandState {
  bool enabled = true;
  bool checked = false;
  bool operator==(CommandState const&) const = default;
};

CommandState StateOf(int command, CommandContext const& context);

// The pane's text and tooltip; an empty text hides nothing but shows
// nothing.
struct PaneText {
  std::string text, tooltip;
};
// 45007: the number of timetables the window uses; 45008: the update
// status 0..5 (with its detail text).
PaneText TimetableCountPane(int count);
PaneText UpdatePane(int status, std::string const& detail);

}  // namespace vemo
