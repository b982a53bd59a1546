#include "ui/vemo_app.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/statbmp.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "shell/command_ids.h"
#include "loopback_server.h"
#include "shell/kernel_lookups.h"
#include "shell/kernel_test_support.h"
#include "shell/program_dates.h"
#include "shell/profile.h"
#include "ui/about_dialog.h"
#include "ui/app_events.h"
#include "ui/browser_dialog.h"
#include "ui/link_button.h"
#include "ui/pane_status_bar.h"
#include "ui/timetable_dialogs.h"
#include "ui/ui_test_support.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

// Lets the windows appear and paint.
void Settle() {
  for (int i = 0; i < 20; ++i) {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void CloseTimetables() {
  void* kernel = dlopen("libQo.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(kernel, nullptr);
  reinterpret_cast<void (*)()>(dlsym(kernel, "QoCloseData"))();
  dlclose(kernel);
}

bool Enabled(wxWindow* frame, int command) {
  wxUpdateUIEvent event(cmd::ToWxId(command));
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
  return !event.GetSetEnabled() || event.GetEnabled();
}

void Command(wxWindow* frame, int command) {
  wxCommandEvent event(wxEVT_MENU, cmd::ToWxId(command));
  event.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(event);
}

// What a stand-in xdg-open wrote down: waits until the file has content,
// since the shell creates it before it writes.
std::string OpenedByStandIn(std::string const& path) {
  for (int i = 0; i < 250; ++i) {
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (!error && size > 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ifstream in(path);
  std::string opened;
  std::getline(in, opened);
  return opened;
}

int CountOfKind(WindowKind kind) {
  int count = 0;
  for (DocumentFrame* frame : App().Frames()) count += frame->kind() == kind;
  return count;
}

class VemoAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
    App().set_help_dir(std::string(VEMO_ARTIFACT_DIR) + "/app/ui/help");
  }
  void TearDown() override {
    App().CloseAllFrames();
    Settle();
    CloseTimetables();
  }
  std::vector<std::string> Samples() const {
    return {std::string(QO_SAMPLES_DIR) + "/rail.qo", std::string(QO_SAMPLES_DIR) + "/bus.qo",
            std::string(QO_SAMPLES_DIR) + "/city.qo"};
  }
  test::TempDir config_;
};

TEST_F(VemoAppTest, StartsOnTheSamplesWithMenusToolbarAndPanes) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  std::vector<DocumentFrame*> frames = App().Frames();
  ASSERT_EQ(frames.size(), 1u);
  DocumentFrame* main = frames[0];
  EXPECT_EQ(wxTheApp->GetTopWindow(), main);
  EXPECT_EQ(FromWx(main->GetTitle()), "Jízdní řád Ek 2009/2010 ");
  EXPECT_TRUE(main->IsShown());

  wxMenuBar* menus = main->GetMenuBar();
  ASSERT_NE(menus, nullptr);
  EXPECT_EQ(menus->GetMenuCount(), 4u);
  EXPECT_NE(menus->FindItem(cmd::ToWxId(cmd::kZjrWindow)), nullptr);  // a city timetable is loaded
  EXPECT_TRUE(menus->FindItem(cmd::ToWxId(cmd::kNewConnWindow))->GetBitmap().IsOk());

  wxToolBar* bar = main->toolbar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->IsShown());
  EXPECT_TRUE(main->toolbar_texts());
  ASSERT_NE(bar->FindById(cmd::ToWxId(cmd::kTrainsWindow)), nullptr);
  EXPECT_EQ(bar->FindById(cmd::ToWxId(cmd::kTrainsWindow))->GetKind(), wxITEM_DROPDOWN);
  EXPECT_EQ(bar->FindById(cmd::ToWxId(cmd::kNewConnWindow))->GetKind(), wxITEM_NORMAL);
  // The text toolbar and the picture toolbar swap.
  Command(main, cmd::kToolbarTexts);
  EXPECT_FALSE(main->toolbar_texts());
  EXPECT_TRUE(
      FromWx(main->toolbar()->FindById(cmd::ToWxId(cmd::kTrainsWindow))->GetLabel()).empty());
  Command(main, cmd::kToolbarTexts);
  EXPECT_EQ(FromWx(main->toolbar()->FindById(cmd::ToWxId(cmd::kTrainsWindow))->GetLabel()),
            "Vlaky");

  PaneStatusBar* panes = main->panes();
  ASSERT_NE(panes, nullptr);
  EXPECT_EQ(panes->GetFieldsCount(), 3);
  EXPECT_EQ(panes->PaneTextOf(45007), "3 j.ř. ");
  EXPECT_EQ(panes->PaneTooltip(45007), "Jízdní řády - počet vybraných");
  wxRect rect;
  ASSERT_TRUE(panes->GetFieldRect(1, rect));
  EXPECT_EQ(panes->PaneAt(rect.GetPosition() + wxPoint(2, 2)), 45007);
  EXPECT_GT(rect.width, 0);

  // The screenshot CI keeps.
  main->Raise();
  Settle();
  wxRect area = main->GetScreenRect();
  wxBitmap shot(area.width, area.height);
  {
    wxMemoryDC memory(shot);
    wxScreenDC screen;
    memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
  }
  wxInitAllImageHandlers();
  std::filesystem::create_directories(VEMO_SCREENSHOT_DIR);
  std::string path = std::string(VEMO_SCREENSHOT_DIR) + "/vemo-main-window.png";
  EXPECT_TRUE(shot.SaveFile(U8(path), wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(VemoAppTest, AtMostThreeNewWindowsOfAKind) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  DocumentFrame* main = App().Frames().at(0);
  EXPECT_TRUE(Enabled(main, cmd::kNewConnWindow));
  Command(main, cmd::kNewConnWindow);
  Command(main, cmd::kNewConnWindow);
  Settle();
  EXPECT_EQ(CountOfKind(WindowKind::kConnections), 3);
  // A fourth: the command is disabled in every frame.
  for (DocumentFrame* frame : App().Frames()) EXPECT_FALSE(Enabled(frame, cmd::kNewConnWindow));
  EXPECT_TRUE(Enabled(main, cmd::kTrainsWindow));

  // Find or open: three arrivals/departures frames, then a fourth asked for
  // with Ctrl brings the first to the front.
  for (int i = 0; i < 3; ++i) App().FindOrOpen(WindowKind::kArrDep, i, false);
  EXPECT_EQ(CountOfKind(WindowKind::kArrDep), 3);
  DocumentFrame* first = App().FindOrOpen(WindowKind::kArrDep, 0, true);
  EXPECT_EQ(CountOfKind(WindowKind::kArrDep), 3);
  EXPECT_EQ(first->timetable(), 0);
  EXPECT_EQ(App().FindOrOpen(WindowKind::kArrDep, 2, false)->timetable(), 2);
  // The timetable lists of the drop-downs open a further one all the same.
  Command(main, cmd::kArrDepForTimetableBase + 1);
  EXPECT_EQ(CountOfKind(WindowKind::kArrDep), 4);
  // Stop timetables only for a city timetable.
  Command(main, cmd::kZjrForTimetableBase + 0);
  EXPECT_EQ(CountOfKind(WindowKind::kStopTimetables), 0);
  Command(main, cmd::kZjrWindow);
  EXPECT_EQ(CountOfKind(WindowKind::kStopTimetables), 1);
  Settle();
  // Each window stays on the screen.
  wxRect screen(0, 0, 1280, 1024);
  for (DocumentFrame* frame : App().Frames())
    EXPECT_TRUE(screen.Contains(frame->GetScreenPosition()));
}

// The general pages beside a timetable become entries of the first menu and
// open with the user's program.
TEST_F(VemoAppTest, InformationPagesInTheMenus) {
  test::TempDir data;
  std::filesystem::copy_file(std::string(QO_SAMPLES_DIR) + "/rail.qo", data / "rail.qo");
  std::filesystem::create_directory(data / "c1");
  std::ofstream(data / "c1/Default0.HTM") << "<html><title>Výluky</title></html>";
  std::ofstream(data / "c1/S1234.htm") << "stanice";
  std::ofstream(data / "xdg-open")
      << "#!/bin/sh\nprintf '%s' \"$1\" > '" << (data / "seen") << "'\n";
  std::filesystem::permissions(data / "xdg-open", std::filesystem::perms::owner_all);
  ASSERT_TRUE(App().Start({data / "rail.qo"}));
  Settle();
  DocumentFrame* main = App().Frames().at(0);
  wxMenuItem* page = main->GetMenuBar()->FindItem(cmd::ToWxId(cmd::kInfoPageBase));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(FromWx(page->GetItemLabelText()), "Výluky");
  EXPECT_EQ(main->GetMenuBar()->FindItem(cmd::ToWxId(cmd::kInfoPageBase + 1)), nullptr);
  // One timetable: no drop-down lists.
  EXPECT_EQ(main->toolbar()->FindById(cmd::ToWxId(cmd::kTrainsWindow))->GetKind(), wxITEM_NORMAL);

  std::string old_path = getenv("PATH");
  setenv("PATH", (data.path() + ":" + old_path).c_str(), 1);
  Command(main, cmd::kInfoPageBase);
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(OpenedByStandIn(data / "seen"), data / "c1/Default0.HTM");

  // The station page of the information target, as a context menu sets it.
  std::filesystem::remove(data / "seen");
  App().information_target() = {0, -1, 3, 0, App().supports()[0].FindStationPage(1234), -1};
  setenv("PATH", (data.path() + ":" + old_path).c_str(), 1);
  Command(main, cmd::kStationPage);
  Command(main, cmd::kTownPage);  // no town page: nothing opens
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(OpenedByStandIn(data / "seen"), data / "c1/S1234.htm");
}

TEST_F(VemoAppTest, TimetableDialogs) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  TimetableInfoTexts rail = App().TimetableInfo(0);
  EXPECT_FALSE(rail.caption.empty());
  EXPECT_EQ(rail.validity, "14.12.2025 - 12.12.2026");
  EXPECT_NE(rail.files.find("/data/"), std::string::npos);
  TimetableInfoDialog info(App().Frames().at(0), rail);
  EXPECT_EQ(FromWx(info.GetTitle()), rail.caption);
  EXPECT_EQ(info.data_validity() != nullptr, !rail.data_validity.empty());

  AboutDialog about(nullptr, App().kernel().QoVer());
  EXPECT_EQ(about.KernelLine(), "Verze knihovny 1.85.01");
  EXPECT_EQ(about.ProgramLine().rfind("Verze ", 0), 0u);

  std::vector<TimetableFileEntry> entries(3);
  entries[0].name = entries[1].name = "Vlaky";
  entries[2].name = "MHD";
  entries[2].kind = 3;
  TimetableChoiceDialog choice(nullptr, entries);
  EXPECT_EQ(FromWx(choice.list()->GetItemText(0)), "Vlaky (00.00.0)");
  EXPECT_EQ(FromWx(choice.list()->GetItemText(2)), "MHD");
  // The first row is selected: it is the choice until rows are ticked.
  EXPECT_EQ(choice.chosen(), std::vector<int>{0});
  choice.list()->CheckItem(1, true);
  choice.list()->CheckItem(2, true);
  choice.UpdateChoice();
  EXPECT_EQ(choice.chosen(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(choice.FindWindow(wxID_OK)->IsEnabled());
  choice.list()->CheckItem(1, false);
  choice.list()->CheckItem(2, false);
  choice.list()->SetItemState(0, 0, wxLIST_STATE_SELECTED);
  choice.UpdateChoice();
  EXPECT_TRUE(choice.chosen().empty());
  EXPECT_FALSE(choice.FindWindow(wxID_OK)->IsEnabled());
}

// Closing one of two frames leaves the program running; closing the last
// ends its main loop; the placement is saved.
TEST_F(VemoAppTest, ClosingTheLastFrameEndsTheProgram) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  Command(App().Frames().at(0), cmd::kTrainsWindow);
  Settle();
  ASSERT_EQ(App().Frames().size(), 2u);

  bool ended_by_timeout = false;
  wxTimer guard;
  guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    ended_by_timeout = true;
    wxTheApp->ExitMainLoop();
  });
  guard.StartOnce(10000);
  size_t left_after_first = 99;
  wxTheApp->CallAfter([&] {
    App().Frames().at(0)->Close();
    wxTheApp->CallAfter([&] {
      left_after_first = App().Frames().size();
      App().Frames().at(0)->Close();
    });
  });
  wxTheApp->SetExitOnFrameDelete(true);
  wxTheApp->OnRun();
  EXPECT_FALSE(ended_by_timeout);
  EXPECT_EQ(left_after_first, 1u);
  EXPECT_TRUE(App().Frames().empty());
  App().SaveSettings();
  Profile saved(Profile::DefaultPath());
  EXPECT_TRUE(ParsePlacement(saved.GetProfileStringIds(4055, 4013, "")).has_value());
  EXPECT_EQ(saved.GetProfileIntIds(4057, 4046, -1), 1);
}

// A view of the main window that answers with its selection, as the lists
// of the later windows do.
class SelectionView : public wxPanel {
 public:
  explicit SelectionView(wxWindow* parent) : wxPanel(parent) {
    Bind(EVT_GET_SELECTED_OBJECT, [this](wxCommandEvent& event) {
      asked_arrivals = event.GetInt();
      if (answer.found) *static_cast<SelectedObject*>(event.GetClientData()) = answer;
    });
  }
  SelectedObject answer;
  int asked_arrivals = -1;
};

DocumentFrame* FirstOfKind(WindowKind kind) {
  for (DocumentFrame* frame : App().Frames())
    if (frame->kind() == kind) return frame;
  return nullptr;
}

TEST_F(VemoAppTest, BoardAndStopTimetableOfTheSelection) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  DocumentFrame* main = App().Frames().at(0);
  auto* view = new SelectionView(main);
  auto command = [&](int id) {
    wxTheApp->SetTopWindow(main);
    Command(main, id);
  };
  // Nothing selected: nothing opens.
  command(cmd::kArrivalsList);
  EXPECT_EQ(view->asked_arrivals, 1);
  EXPECT_EQ(CountOfKind(WindowKind::kArrDep), 0);

  view->answer = {1, 1, 12, -1, 0, 3};
  command(cmd::kDeparturesList);
  EXPECT_EQ(view->asked_arrivals, 0);
  DocumentFrame* board = FirstOfKind(WindowKind::kArrDep);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->timetable(), 1);
  EXPECT_EQ(board->shown_selection(), view->answer);
  // The window of that timetable is found again.
  command(cmd::kArrivalsList);
  EXPECT_EQ(CountOfKind(WindowKind::kArrDep), 1);

  // A city train at a stop it passes once: the stop timetable starts at its
  // departure there.
  ROUTE2_REC* records = nullptr;
  int count = App().kernel().QoTrainRoute(2, 0, &records);
  ASSERT_GE(count, 3);
  std::vector<ROUTE2_REC> route(records, records + count);
  int stop = 1;
  while (stop + 1 < count && std::count_if(route.begin(), route.end(), [&](ROUTE2_REC const& r) {
                               return r.station == route[stop].station;
                             }) > 1)
    ++stop;
  ASSERT_LT(stop + 1, count);
  view->answer = {1, 2, route[stop].station, 7, 0, 0};
  command(cmd::kZjrForSelection);
  DocumentFrame* zjr = FirstOfKind(WindowKind::kStopTimetables);
  ASSERT_NE(zjr, nullptr);
  EXPECT_EQ(zjr->timetable(), 2);
  EXPECT_EQ(zjr->shown_minute(), route[stop].departure);
  EXPECT_EQ(zjr->shown_selection(), (SelectedObject{1, 2, route[stop].station, 7, 0, 0}));
  // A station the train does not pass: minute 0, in the same window.
  view->answer.station = 0xFFF0;
  command(cmd::kZjrForSelection);
  EXPECT_EQ(CountOfKind(WindowKind::kStopTimetables), 1);
  EXPECT_EQ(zjr->shown_minute(), 0);
}

TEST_F(VemoAppTest, PaneAndToolbarMenus) {
  ASSERT_TRUE(App().Start(Samples()));
  Settle();
  DocumentFrame* main = App().Frames().at(0);
  std::unique_ptr<wxMenu> timetables = main->PaneMenuOf(45007);
  ASSERT_NE(timetables, nullptr);
  EXPECT_EQ(timetables->GetMenuItemCount(), 5u);
  wxMenuItem* second = timetables->FindItem(cmd::ToWxId(cmd::kConnTimetableBase + 1));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(FromWx(second->GetItemLabel()), "&2. " + App().frame_context().timetables[1].name);
  EXPECT_NE(timetables->FindItem(cmd::ToWxId(cmd::kSettingsTimetableBase)), nullptr);
  EXPECT_EQ(main->PaneMenuOf(45008), nullptr);
  // Only the connection window's view handles these; here they are off.
  EXPECT_FALSE(Enabled(main, cmd::kConnTimetableBase + 1));
  std::unique_ptr<wxMenu> bar = main->ToolbarMenuOf();
  ASSERT_NE(bar->FindItem(cmd::ToWxId(cmd::kToolbarTexts)), nullptr);
  EXPECT_TRUE(bar->FindItem(cmd::ToWxId(cmd::kToolbar))->IsCheckable());

  // A left click on a pane asks for the options; the update pane does not.
  int options = 0;
  main->Bind(
      wxEVT_MENU, [&options](wxCommandEvent&) { ++options; }, cmd::ToWxId(cmd::kOptions));
  main->OnPaneClick(45007);
  EXPECT_EQ(options, 1);
  main->OnPaneClick(45008);
  main->OnPaneClick(-1);
  EXPECT_EQ(options, 1);
}

// Entries that name a timetable show its bundle's icon, or the default
// picture when it has none.
TEST_F(VemoAppTest, TimetableIconsFromTheBundles) {
  test::TempDir data;
  auto header = [](int id, const char* name, const char* more) {
    return "id " + std::to_string(id) + "\nkind bus\narea " + std::to_string(id) +
           "\nvalid 1.12.2026 30.11.2027\nname \"" + name + "\"\n" + more;
  };
  std::string with =
      test::Compile(data, "linky", test::SmallSource(header(31, "Linky", "resource linky.res")));
  std::string without = test::Compile(data, "jine", test::SmallSource(header(32, "Jiné", "")));
  std::filesystem::create_directory(data / "LINKY.RES");
  wxImage red(16, 16);
  red.SetRGB(wxRect(0, 0, 16, 16), 255, 0, 0);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  ASSERT_TRUE(red.SaveFile(U8(data / "LINKY.RES/ikona.png"), wxBITMAP_TYPE_PNG));
  wxImage blue(32, 32);
  blue.SetRGB(wxRect(0, 0, 32, 32), 0, 0, 255);
  ASSERT_TRUE(blue.SaveFile(U8(data / "LINKY.RES/velka.png"), wxBITMAP_TYPE_PNG));
  std::ofstream(data / "LINKY.RES/manifest.txt") << "icon 1 ikona.png\nicon 2 velka.png\n";
  ASSERT_TRUE(App().Start({with, without}));
  Settle();
  std::vector<LoadedTimetable> const& loaded = App().frame_context().timetables;
  ASSERT_EQ(loaded.size(), 2u);
  int linky = loaded[0].name == "Linky" ? 0 : 1;
  auto centre = [](wxBitmap const& bitmap) {
    wxImage image = bitmap.ConvertToImage();
    return wxColour(image.GetRed(8, 8), image.GetGreen(8, 8), image.GetBlue(8, 8));
  };
  DocumentFrame* main = App().Frames().at(0);
  wxMenuItem* info = main->GetMenuBar()->FindItem(cmd::ToWxId(cmd::kTimetableInfoBase + linky));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(centre(info->GetBitmap()), *wxRED);
  wxMenuItem* other =
      main->GetMenuBar()->FindItem(cmd::ToWxId(cmd::kTimetableInfoBase + 1 - linky));
  ASSERT_TRUE(other->GetBitmap().IsOk());
  EXPECT_NE(centre(other->GetBitmap()), *wxRED);
  std::unique_ptr<wxMenu> drop = main->DropDownMenuOf(cmd::kTrainsWindow);
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(centre(drop->FindItem(cmd::ToWxId(cmd::kTrainsForTimetableBase + linky))->GetBitmap()),
            *wxRED);

  // The information about the timetable shows both icons of its bundle;
  // without a bundle the program's icon alone.
  auto const& icons = App().supports()[linky].bundle().icons;
  TimetableInfoDialog with_icons(main, App().TimetableInfo(linky), icons.at(1), icons.at(2));
  EXPECT_EQ(centre(with_icons.first_picture()->GetBitmap()), *wxRED);
  ASSERT_NE(with_icons.second_picture(), nullptr);
  EXPECT_EQ(centre(with_icons.second_picture()->GetBitmap()), *wxBLUE);
  TimetableInfoDialog plain(main, App().TimetableInfo(1 - linky));
  EXPECT_TRUE(plain.first_picture()->GetBitmap().IsOk());
  EXPECT_EQ(plain.second_picture(), nullptr);
}

// A click on a link of the about box reaches the user's program (a
// stand-in xdg-open first on PATH) with the link's address; the mail link
// carries both versions.
TEST_F(VemoAppTest, AboutLinksOpenWithTheUsersProgram) {
  test::TempDir bin;
  std::string seen = bin / "seen";
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << seen << "'\n";
  std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
  std::string old_path = getenv("PATH");
  setenv("PATH", (bin.path() + ":" + old_path).c_str(), 1);

  AboutDialog about(nullptr, "1.85.01");
  about.Show();
  Settle();
  EXPECT_NE(about.mail_link()->Target().find("1.85.01"), std::string::npos);
  EXPECT_FALSE(FromWx(about.maker_link()->GetToolTipText()).empty());
  LinkButton* link = about.railway_link();
  std::string expected = link->Target();
  ASSERT_EQ(expected.rfind("https://", 0), 0u);
  wxPoint inside(2, link->GetSize().y / 2);
  for (wxEventType type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent click(type);
    click.SetPosition(inside);
    click.SetEventObject(link);
    link->GetEventHandler()->ProcessEvent(click);
  }
  EXPECT_EQ(OpenedByStandIn(seen), expected);
  setenv("PATH", old_path.c_str(), 1);

  // A link without an address opens its own text; a missing opener is
  // reported with the address.
  LinkButton bare(&about, "https://jizdnirad.example.org/info");
  EXPECT_EQ(bare.Target(), "https://jizdnirad.example.org/info");
  std::string error;
  bare.show_error = [&](std::string const& text) { error = text; };
  setenv("PATH", bin.path().c_str(), 1);
  std::filesystem::remove(bin / "xdg-open");
  bare.Open();
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(
      error.rfind("Chyba při pokusu o přístup na adresu https://jizdnirad.example.org/info.", 0),
      0u)
      << error;
}

// The railway's formation page stand-in: every request gets a small page,
// and the request's path and query are written down beside the pages.
constexpr const char* kFormationServer = R"(
import http.server, sys
class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(sys.argv[1] + '/request', 'w') as seen:
            seen.write(self.path)
        body = '<html><head><title>Razeni</title></head><body>x</body></html>'.encode()
        self.send_response(200)
        self.send_header('Content-Type', 'text/html; charset=utf-8')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args): pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Page)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

std::vector<std::string> Labels(wxMenu const& menu) {
  std::vector<std::string> labels;
  for (wxMenuItem* item : menu.GetMenuItems())
    labels.push_back(item->IsSeparator() ? "-" : FromWx(item->GetItemLabel()));
  return labels;
}

// A context menu of a train's stop offers the pages that exist for it; the
// formation page opens in the browser dialog with the train, the station
// and the day in its address.
TEST_F(VemoAppTest, TrainFormationPageFromAContextMenu) {
  test::TempDir site;
  test::LoopbackServer server(kFormationServer, site.path());
  ASSERT_GT(server.port(), 0);
  test::TempDir data;
  std::filesystem::copy_file(std::string(QO_SAMPLES_DIR) + "/rail.qo", data / "rail.qo");
  std::filesystem::create_directory(data / "C1");
  std::ofstream(data / "C1/S5457076.htm") << "Praha hl.n.";
  ASSERT_TRUE(App().Start({data / "rail.qo"}));
  App().settings().formation_server = "127.0.0.1:" + std::to_string(server.port());
  Settle();
  KernelApi& kernel = App().kernel();
  int praha = test::StationOfKey(kernel, 5457076), brno = test::StationOfKey(kernel, 5443026);
  int fast = test::TrainOfNumber(kernel, "871"), slow = test::TrainOfNumber(kernel, "3101");
  ASSERT_GE(praha, 0);
  ASSERT_GE(fast, 0);
  ASSERT_GE(slow, 0);

  auto route_menu = [] {
    auto menu = std::make_unique<wxMenu>();
    menu->Append(cmd::ToWxId(cmd::kStationPage), U8("Stanice %s"));
    menu->Append(cmd::ToWxId(cmd::kTownPage), U8("Obec %s"));
    menu->Append(cmd::ToWxId(cmd::kTrainFormation), U8("Řazení vlaku %s"));
    menu->AppendSeparator();
    menu->Append(cmd::ToWxId(cmd::kHelp), U8("Nápověda"));
    return menu;
  };
  int day = DmyToDayNumber(5, 3, 2026);
  std::unique_ptr<wxMenu> menu = route_menu();
  App().PrepareInfoPageItems(menu.get(), 0, fast, praha, day);
  EXPECT_EQ(Labels(*menu), (std::vector<std::string>{"Stanice Praha hl.n.", "Řazení vlaku R 871",
                                                     "-", "Nápověda"}));
  // A slow train at a station without pages: only what is not a page.
  std::unique_ptr<wxMenu> bare = route_menu();
  App().PrepareInfoPageItems(bare.get(), 0, slow, brno, 0);
  EXPECT_EQ(Labels(*bare), std::vector<std::string>{"Nápověda"});
  EXPECT_EQ(App().information_target().train, -1);

  // The command acts on the menu prepared last.
  App().PrepareInfoPageItems(menu.get(), 0, fast, praha, day);
  std::string title, request;
  // The dialog is shown without its own loop until the server has seen the
  // request.
  test::expected_modal = [&](wxDialog* dialog) {
    dialog->Show();
    for (int i = 0; i < 1000 && request.empty(); ++i) {
      wxTheApp->Yield(true);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::ifstream seen(site / "request");
      std::getline(seen, request);
    }
    title = FromWx(dialog->GetTitle());
    dialog->Hide();
    return wxID_OK;
  };
  Command(App().Frames().at(0), cmd::kTrainFormation);
  EXPECT_FALSE(test::expected_modal);
  EXPECT_EQ(title, "Řazení vlaku R 871 na odjezdu ze stanice Praha hl.n. dne 5.3.2026");
  EXPECT_EQ(request, "/raz.aspx?cmd=cmdSearch&src=2&s=Praha%20hl.n.&t=871&date=5.3.2026");
  // Its own placement, apart from the update offer's.
  App().SaveSettings();
  EXPECT_FALSE(Profile(Profile::DefaultPath()).GetProfileStringIds(4116, 4118, "").empty());
}

// The logo needs 16 bits per pixel; with fewer the program's icon stands
// enlarged in its frame.
TEST_F(VemoAppTest, AboutPictureByColourDepth) {
  AboutDialog rich(nullptr, "1.85.01", 24);
  EXPECT_TRUE(rich.shows_logo());
  AboutDialog poor(nullptr, "1.85.01", 8);
  EXPECT_FALSE(poor.shows_logo());
  AboutDialog sixteen(nullptr, "1.85.01", 16);
  EXPECT_TRUE(sixteen.shows_logo());
}

}  // namespace
}  // namespace vemo
