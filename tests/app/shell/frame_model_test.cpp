#include <gtest/gtest.h>

#include <random>
#include <set>

#include "shell/command_ids.h"
#include "shell/frame_menus.h"
#include "shell/selection.h"
#include "shell/window_policy.h"

namespace vemo {
namespace {

constexpr int kConn = 5000, kArrDep = 5010, kTrains = 5020, kZjr = 5030;

TEST(CommandIds, OneToOneAndRangesStayRanges) {
  std::set<int> wx_ids;
  for (int wx = cmd::kFirstWxId; wx < cmd::WxIdEnd(); ++wx) {
    int command = cmd::FromWxId(wx);
    ASSERT_NE(command, 0) << wx;
    EXPECT_EQ(cmd::ToWxId(command), wx);
    wx_ids.insert(wx);
  }
  EXPECT_LT(cmd::WxIdEnd(), 0x7FFF);
  EXPECT_GT(cmd::kFirstWxId, 5999);  // above wxID_HIGHEST
  for (int base : {cmd::kTimetableInfoBase, cmd::kArrDepForTimetableBase, cmd::kInfoPageBase})
    for (int i = 0; i < cmd::kRangeSize; ++i)
      EXPECT_EQ(cmd::ToWxId(base + i), cmd::ToWxId(base) + i);
  EXPECT_EQ(cmd::ToWxId(12345), 0);
  EXPECT_EQ(cmd::ToWxId(cmd::kInfoPageBase + cmd::kRangeSize), 0);
  EXPECT_EQ(cmd::FromWxId(cmd::WxIdEnd()), 0);
  EXPECT_EQ(cmd::FromWxId(100), 0);
}

TEST(WindowPolicy, FindOrOpen) {
  using D = OpenDecision;
  std::vector<OpenFrameInfo> frames = {
      {kConn, -1, false}, {kArrDep, 1, true}, {kArrDep, 2, false}, {kConn, -1, true}};
  // A frame of the kind that shows the timetable is brought back.
  EXPECT_EQ(DecideFindOrOpen(frames, kArrDep, 1, false), (D{OpenAction::kFocus, 1, true}));
  // Another timetable, or a new one asked for, opens a new frame while
  // fewer than three are open.
  EXPECT_EQ(DecideFindOrOpen(frames, kArrDep, 0, false), (D{OpenAction::kOpenNew, -1, false}));
  EXPECT_EQ(DecideFindOrOpen(frames, kArrDep, 1, true), (D{OpenAction::kOpenNew, -1, false}));
  // Connections: any frame but the excepted one.
  EXPECT_EQ(DecideFindOrOpen(frames, kConn, -1, false, 0), (D{OpenAction::kFocus, 3, true}));
  // With three of the kind open, the first of them comes to the front and
  // nothing opens; only connections are restored from minimised.
  frames.push_back({kArrDep, 3, false});
  EXPECT_EQ(DecideFindOrOpen(frames, kArrDep, 0, true), (D{OpenAction::kFocus, 1, false}));
  frames.push_back({kConn, -1, false});
  EXPECT_EQ(DecideFindOrOpen(frames, kConn, -1, true, 0), (D{OpenAction::kFocus, 3, true}));
  EXPECT_FALSE(CanOpenNewFrame(frames, kArrDep));
  EXPECT_TRUE(CanOpenNewFrame(frames, kTrains));
}

TEST(WindowPolicy, RandomPlacementStaysOnScreen) {
  std::mt19937 random(7);
  PlaceRect area{100, 50, 1280, 1000};
  for (int i = 0; i < 1000; ++i) {
    int x = 0, y = 0;
    RandomPlacement(area, 900, 650, random, &x, &y);
    ASSERT_GE(x, 100);
    ASSERT_LE(x + 900, 100 + 1280);
    ASSERT_GE(y, 50);
    ASSERT_LE(y + 650, 50 + 1000);
  }
  int x = 0, y = 0;
  RandomPlacement(area, 2000, 2000, random, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
}

// Exit closes a snapshot and stops at the first frame that refuses, instead
// of asking it again for ever.
TEST(WindowPolicy, ExitStopsAtAFrameThatRefuses) {
  struct Frame {
    bool refuses = false;
    int asked = 0;
  };
  std::vector<Frame> frames(3);
  frames[1].refuses = true;
  std::vector<Frame*> snapshot = {&frames[0], &frames[1], &frames[2]};
  auto close = [](Frame* frame) {
    ++frame->asked;
    return !frame->refuses;
  };
  EXPECT_FALSE(CloseFramesInOrder<Frame>(snapshot, close));
  EXPECT_EQ(frames[0].asked, 1);
  EXPECT_EQ(frames[1].asked, 1);
  EXPECT_EQ(frames[2].asked, 0);
  frames[1].refuses = false;
  EXPECT_TRUE(CloseFramesInOrder<Frame>(snapshot, close));
}

std::vector<int> Commands(std::vector<TopMenu> const& menus, const char* title) {
  std::vector<int> commands;
  for (auto const& menu : menus)
    if (menu.title == title)
      for (auto const& item : menu.items) commands.push_back(item.command);
  return commands;
}

std::vector<int> Buttons(std::vector<ToolButton> const& buttons, bool drop_downs_only = false) {
  std::vector<int> commands;
  for (auto const& button : buttons)
    if (!drop_downs_only || button.drop_down) commands.push_back(button.command);
  return commands;
}

TEST(FrameMenus, OneOrSeveralTimetables) {
  std::vector<LoadedTimetable> rail = {{"Železnice", 1}};
  std::vector<LoadedTimetable> three = {{"Železnice", 1}, {"Autobusy", 2}, {"MHD", 3}};
  std::vector<LoadedTimetable> air = {{"Lety", 4}, {"Lety 2", 4}};

  EXPECT_EQ(Commands(BuildMenus(kConn, rail), "&Okna"),
            (std::vector<int>{cmd::kNewConnWindow, cmd::kArrDepWindow, cmd::kTrainsWindow}));
  EXPECT_EQ(Commands(BuildMenus(kConn, three), "&Okna"),
            (std::vector<int>{cmd::kNewConnWindow, cmd::kArrDepWindow, cmd::kTrainsWindow,
                              cmd::kZjrWindow}));
  EXPECT_EQ(Commands(BuildMenus(kConn, air), "&Okna"),
            (std::vector<int>{cmd::kNewConnWindow, cmd::kArrDepWindowAir, cmd::kTrainsWindowAir}));

  // One timetable: no drop-down arrows; several: the window buttons list
  // them (one city timetable gives the stop-timetable button no list).
  EXPECT_TRUE(Buttons(BuildToolButtons(kConn, rail), true).empty());
  EXPECT_EQ(Buttons(BuildToolButtons(kConn, three), true),
            (std::vector<int>{cmd::kArrDepWindow, cmd::kTrainsWindow}));
  EXPECT_EQ(DropDownTimetables(DropDownBase(cmd::kTrainsWindow), three),
            (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(DropDownTimetables(DropDownBase(cmd::kZjrWindow), three), (std::vector<int>{2}));
  EXPECT_EQ(TimetableMenuText(1, "Autobusy"), "&2. Autobusy");

  // Timetable information: one entry, or a list of the timetables.
  EXPECT_EQ(Commands(BuildMenus(kConn, rail), "&Nápověda"),
            (std::vector<int>{cmd::kHelp, 0, cmd::kTimetableInfoBase, 0, cmd::kInformation,
                              cmd::kUpdateOffer, cmd::kAutoUpdate, 0, cmd::kAbout}));
  auto help = BuildMenus(kConn, three)[3];
  MenuItem const& popup = help.items[2];
  ASSERT_EQ(popup.type, ItemType::kSubmenu);
  ASSERT_EQ(popup.items.size(), 3u);
  EXPECT_EQ(popup.items[2].command, cmd::kTimetableInfoBase + 2);
  EXPECT_EQ(popup.items[2].text, "&3. MHD");
  // General information pages come first in the first menu.
  std::vector<std::string> pages = {"Výluky"};
  EXPECT_EQ(Commands(BuildMenus(kConn, rail, pages), "&Soubor"),
            (std::vector<int>{cmd::kInfoPageBase, 0, cmd::kExit}));
}

TEST(FrameMenus, CommandStates) {
  std::vector<LoadedTimetable> three = {{"Železnice", 1}, {"Autobusy", 2}, {"MHD", 3}};
  std::vector<LoadedTimetable> rail = {{"Železnice", 1}};
  std::vector<OpenFrameInfo> frames = {
      {kConn, -1, false}, {kTrains, 0, false}, {kTrains, 1, false}, {kTrains, 2, false}};
  CommandContext context;
  context.timetables = three;
  context.frames = frames;
  context.tooltips = false;
  context.toolbar_shown = false;
  context.running_from_cd = true;
  struct Case {
    int command;
    CommandState state;
  };
  Case const cases[] = {
      {cmd::kNewConnWindow, {true, false}},
      {cmd::kTrainsWindow, {false, false}},
      {cmd::kArrDepWindow, {true, false}},
      {cmd::kZjrWindow, {true, false}},
      {cmd::kToggleTooltips, {true, false}},
      {cmd::kActiveOnly, {true, true}},
      {cmd::kToolbar, {true, false}},
      {cmd::kToolbarTexts, {false, true}},
      {cmd::kAutoUpdate, {false, true}},
      {cmd::kUpdateOffer, {false, false}},
      {cmd::kZjrForTimetableBase + 2, {true, false}},
      {cmd::kZjrForTimetableBase + 1, {false, false}},
      // Nothing but the connection window's view handles the options.
      {cmd::kParameters, {false, false}},
      {cmd::kConnTimetableBase + 1, {false, false}},
      {cmd::kSettingsTimetableBase, {false, false}},
  };
  for (Case const& c : cases) EXPECT_EQ(StateOf(c.command, context), c.state) << c.command;
  context.timetables = rail;
  EXPECT_EQ(StateOf(cmd::kZjrWindow, context), (CommandState{false, false}));
  // The offer needs an address, and a program that can be updated.
  context.running_from_cd = false;
  EXPECT_EQ(StateOf(cmd::kUpdateOffer, context), (CommandState{true, false}));
  context.update_offer_known = false;
  EXPECT_EQ(StateOf(cmd::kUpdateOffer, context), (CommandState{false, false}));
}

// Right clicks: each information pane has its menu, the update pane none;
// the timetable pane lists the loaded timetables above its options entry.
TEST(FrameMenus, PaneAndToolbarMenus) {
  std::vector<LoadedTimetable> two = {{"Železnice", 1}, {"MHD", 3}};
  auto commands = [](std::vector<MenuItem> const& items) {
    std::vector<int> ids;
    for (auto const& item : items) ids.push_back(item.command);
    return ids;
  };
  EXPECT_EQ(commands(PaneMenu(45000, two)), (std::vector<int>{cmd::kDirectOnly, cmd::kParameters}));
  EXPECT_EQ(commands(PaneMenu(45002, two)), std::vector<int>{cmd::kMoreParameters});
  EXPECT_EQ(commands(PaneMenu(45005, two)), std::vector<int>{cmd::kMeans});
  std::vector<MenuItem> timetables = PaneMenu(45007, two);
  EXPECT_EQ(commands(timetables),
            (std::vector<int>{cmd::kConnTimetableBase, cmd::kConnTimetableBase + 1, 0,
                              cmd::kSettingsTimetableBase}));
  EXPECT_EQ(timetables[1].text, "&2. MHD");
  EXPECT_EQ(timetables[3].text, "&Jízdní řády ...");
  EXPECT_TRUE(PaneMenu(45008, two).empty());
  EXPECT_TRUE(PaneMenu(0, two).empty());
  EXPECT_EQ(commands(ToolbarMenu()), (std::vector<int>{cmd::kToolbar, cmd::kToolbarTexts}));

  // A left click opens the options at the pane's page, but not on the
  // update pane.
  EXPECT_TRUE(PaneClickOpensOptions(45007));
  EXPECT_FALSE(PaneClickOpensOptions(45008));
  EXPECT_FALSE(PaneClickOpensOptions(-1));
}

// The stop timetable of a selected train starts at the minute it leaves the
// selected station; a line through the station twice shows its later pass.
TEST(Selection, DepartureMinuteAtTheStation) {
  auto stop = [](unsigned short station, short departure) {
    ROUTE2_REC record{};
    record.station = station;
    record.departure = departure;
    return record;
  };
  std::vector<ROUTE2_REC> route = {stop(5, 600), stop(7, 610), stop(9, 620), stop(7, 630),
                                   stop(11, -1)};
  struct Case {
    int station, minute;
  };
  Case const cases[] = {{5, 600}, {7, 630}, {9, 620}, {11, 0}, {42, 0}};
  for (Case const& c : cases) EXPECT_EQ(DepartureMinuteAt(route, c.station), c.minute) << c.station;
  EXPECT_EQ(DepartureMinuteAt({}, 5), 0);
}

TEST(FrameMenus, PaneTexts) {
  PaneText count = TimetableCountPane(3);
  EXPECT_EQ(count.text, "3 j.ř. ");
  EXPECT_EQ(count.tooltip, "Jízdní řády - počet vybraných");
  EXPECT_EQ(UpdatePane(0, "x").text, "");
  EXPECT_EQ(UpdatePane(3, "").text, "OK");
  PaneText failed = UpdatePane(4, "Update.txt");
  EXPECT_EQ(failed.text, "chyba");
  EXPECT_EQ(failed.tooltip, "Při automatické aktualizaci aplikace došlo k chybě: Update.txt");
}

}  // namespace
}  // namespace vemo
