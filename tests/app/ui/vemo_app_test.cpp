#include "ui/vemo_app.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "shell/command_ids.h"
#include "ui/about_dialog.h"
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
  std::string path = std::string(VEMO_ARTIFACT_DIR) + "/vemo-main-window.png";
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
  for (int i = 0; i < 200 && !std::filesystem::exists(data / "seen"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::ifstream seen(data / "seen");
  std::string opened;
  std::getline(seen, opened);
  EXPECT_EQ(opened, data / "c1/Default0.HTM");
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

}  // namespace
}  // namespace vemo
