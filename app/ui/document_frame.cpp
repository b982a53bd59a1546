#include "ui/document_frame.h"

#include <wx/app.h>
#include <wx/display.h>
#include <wx/iconbndl.h>
#include <wx/menu.h>
#include <wx/toolbar.h>

#include <algorithm>
#include <random>

#include "shell/command_ids.h"
#include "shell/profile.h"
#include "shell/string_table.h"
#include "shell/update_run.h"
#include "shell/window_policy.h"
#include "ui/command_art.h"
#include "ui/pane_status_bar.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

constexpr int kWindowPosition = 4013;
int frame_count = 0;

// The timetable an entry of a per-timetable range names; -1 for others
// (the information pages and the unused 40400 range name none).
int TimetableOfEntry(int command) {
  for (int base :
       {cmd::kTimetableInfoBase, cmd::kSettingsTimetableBase, cmd::kArrDepForTimetableBase,
        cmd::kTrainsForTimetableBase, cmd::kConnTimetableBase, cmd::kZjrForTimetableBase})
    if (command >= base && command < base + cmd::kRangeSize) return command - base;
  return -1;
}

// Commands show their pictures; entries that name a timetable show its icon.
void SetEntryBitmap(wxMenuItem* entry, int command, FrameContext const& context) {
  if (!context.menu_icons) return;
  int timetable = TimetableOfEntry(command);
  if (timetable >= 0) {
    if (timetable < static_cast<int>(context.timetable_icons.size()))
      entry->SetBitmap(context.timetable_icons[timetable]);
  } else if (command < cmd::kInfoPageBase || command >= cmd::kInfoPageBase + cmd::kRangeSize) {
    entry->SetBitmap(CommandBitmap(command));
  }
}

wxMenu* MakeMenu(std::vector<MenuItem> const& items, FrameContext const& context) {
  auto* menu = new wxMenu;
  for (MenuItem const& item : items) {
    switch (item.type) {
      case ItemType::kSeparator:
        menu->AppendSeparator();
        break;
      case ItemType::kSubmenu:
        menu->AppendSubMenu(MakeMenu(item.items, context), U8(item.text));
        break;
      case ItemType::kCheck:
        menu->AppendCheckItem(cmd::ToWxId(item.command), U8(item.text));
        break;
      case ItemType::kCommand: {
        auto* entry = new wxMenuItem(menu, cmd::ToWxId(item.command), U8(item.text));
        SetEntryBitmap(entry, item.command, context);
        menu->Append(entry);
        break;
      }
    }
  }
  return menu;
}

// Each kind of window shows the picture of the command that opens it; the
// map, which no command of the frames opens, shows the program's.
wxIconBundle KindIcons(WindowKind kind) {
  int command = 0;
  switch (kind) {
    case WindowKind::kConnections:
      command = cmd::kNewConnWindow;
      break;
    case WindowKind::kArrDep:
      command = cmd::kArrDepWindow;
      break;
    case WindowKind::kTrains:
      command = cmd::kTrainsWindow;
      break;
    case WindowKind::kStopTimetables:
      command = cmd::kZjrWindow;
      break;
    case WindowKind::kMap:
      break;
  }
  wxIconBundle bundle;
  for (int size : {16, 32}) {
    wxIcon icon;
    icon.CopyFromBitmap(command ? CommandBitmap(command, size) : ProgramIcon(size));
    bundle.AddIcon(icon);
  }
  return bundle;
}

}  // namespace

int SectionIdOf(WindowKind kind) {
  switch (kind) {
    case WindowKind::kConnections:
      return 4014;
    case WindowKind::kArrDep:
      return 4047;
    case WindowKind::kTrains:
      return 4055;
    case WindowKind::kStopTimetables:
      return 4083;
    case WindowKind::kMap:
      return 4101;
  }
  return 4014;
}

int DocumentFrame::Count() { return frame_count; }

DocumentFrame::DocumentFrame(WindowKind kind, int timetable, FrameContext const& context,
                             bool random_place)
    : wxFrame(nullptr, wxID_ANY, wxString(), wxDefaultPosition, wxSize(900, 650)),
      kind_(kind),
      timetable_(timetable),
      context_(context) {
  ++frame_count;
  if (context_.profile)
    toolbar_texts_ = context_.profile->GetInt(BarSection(), "Toolbar texts", 1) != 0;
  UpdateTitle();
  SetIcons(KindIcons(kind_));
  BuildMenus();
  BuildToolBar();
  if (context_.profile && !context_.profile->GetInt(BarSection(), "Toolbar visible", 1))
    GetToolBar()->Hide();

  panes_ = new PaneStatusBar(this, StatusPanes(static_cast<int>(kind_)));
  SetStatusBar(panes_);
  panes_->on_click = [this](int pane_id) { OnPaneClick(pane_id); };
  panes_->on_right_click = [this](int pane_id, wxPoint where) {
    if (std::unique_ptr<wxMenu> menu = PaneMenuOf(pane_id)) panes_->PopupMenu(menu.get(), where);
  };
  int shown = timetable_ >= 0 ? 1 : static_cast<int>(context_.timetables.size());
  PaneText count = TimetableCountPane(shown);
  panes_->SetPane(45007, count.text, count.tooltip);

  RestorePlacement();
  ApplyMinSizeAndPlace(random_place);

  // The update thread writes its state; the pane shows what it reads.
  if (context_.update) {
    update_pane_timer_ = new wxTimer(this);
    Bind(
        wxEVT_TIMER,
        [this](wxTimerEvent&) {
          int status = context_.update->status();
          if (status == 0) return;
          PaneText pane = UpdatePane(status, context_.update->text());
          panes_->SetPane(45008, pane.text, pane.tooltip);
        },
        update_pane_timer_->GetId());
    update_pane_timer_->Start(500);
  }

  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
    SaveFrameState();
    event.Skip();
  });
  // The last activated frame is the main window.
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& event) {
    if (event.GetActive()) wxTheApp->SetTopWindow(this);
    event.Skip();
  });
  Bind(wxEVT_TOOL_DROPDOWN, [this](wxCommandEvent& event) {
    wxToolBar* bar = GetToolBar();
    int command = cmd::FromWxId(event.GetId());
    int position = bar->GetToolPos(event.GetId());
    wxSize button = bar->GetToolSize();
    // The buttons' rectangles are not told by wx; each is one tool size
    // wide plus the separation, counted from the left.
    wxRect rect(position * (button.x + bar->GetToolSeparation()), 0, button.x, bar->GetSize().y);
    ShowTimetableDropDown(command, rect);
  });
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent&) {
        bool shown = !GetToolBar()->IsShown();
        GetToolBar()->Show(shown);
        SendSizeEvent();
      },
      cmd::ToWxId(cmd::kToolbar));
  Bind(
      wxEVT_MENU,
      [this](wxCommandEvent&) {
        toolbar_texts_ = !toolbar_texts_;
        BuildToolBar();
      },
      cmd::ToWxId(cmd::kToolbarTexts));
  Bind(
      wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Check(GetToolBar()->IsShown()); },
      cmd::ToWxId(cmd::kToolbar));
  Bind(
      wxEVT_UPDATE_UI,
      [this](wxUpdateUIEvent& event) {
        event.Enable(GetToolBar()->IsShown());
        event.Check(toolbar_texts_);
      },
      cmd::ToWxId(cmd::kToolbarTexts));
}

DocumentFrame::~DocumentFrame() {
  delete update_pane_timer_;
  --frame_count;
}

std::string DocumentFrame::BarSection() const {
  return std::string(LoadResString(SectionIdOf(kind_))) + "\\";
}

void DocumentFrame::UpdateTitle() {
  wxString title = U8(LoadResString(57344)) + U8(LoadResString(static_cast<int>(kind_)));
  if (GetTitle() != title) SetTitle(title);
}

void DocumentFrame::BuildMenus() {
  auto* bar = new wxMenuBar;
  for (TopMenu const& top :
       vemo::BuildMenus(static_cast<int>(kind_), context_.timetables, context_.info_page_titles))
    bar->Append(MakeMenu(top.items, context_), U8(top.title));
  SetMenuBar(bar);
}

void DocumentFrame::BuildToolBar() {
  bool shown = true;
  if (wxToolBar* old = GetToolBar()) {
    shown = old->IsShown();
    SetToolBar(nullptr);
    old->Destroy();
  }
  long style = wxTB_HORIZONTAL | wxTB_FLAT | (toolbar_texts_ ? wxTB_TEXT : 0);
  wxToolBar* bar = CreateToolBar(style);
  bar->SetToolBitmapSize(wxSize(16, 16));
  for (ToolButton const& button : BuildToolButtons(static_cast<int>(kind_), context_.timetables)) {
    if (button.command == cmd::kHelp) bar->AddSeparator();
    bar->AddTool(cmd::ToWxId(button.command), toolbar_texts_ ? U8(button.label) : wxString(),
                 CommandBitmap(button.command), U8(button.tooltip),
                 button.drop_down ? wxITEM_DROPDOWN : wxITEM_NORMAL);
  }
  bar->Realize();
  // A right click anywhere on the bar, on a button or beside them.
  auto popup = [this, bar](wxPoint where) {
    std::unique_ptr<wxMenu> menu = ToolbarMenuOf();
    bar->PopupMenu(menu.get(), where);
  };
  bar->Bind(wxEVT_CONTEXT_MENU, [bar, popup](wxContextMenuEvent& event) {
    wxPoint where = event.GetPosition();
    popup(where == wxDefaultPosition ? wxDefaultPosition : bar->ScreenToClient(where));
  });
  bar->Bind(wxEVT_TOOL_RCLICKED,
            [bar, popup](wxCommandEvent&) { popup(bar->ScreenToClient(wxGetMousePosition())); });
  bar->Show(shown);
  SendSizeEvent();
}

void DocumentFrame::ShowStationBoard(SelectedObject const& selection) {
  shown_selection_ = selection;
  shown_minute_ = -1;
}

void DocumentFrame::ShowTrainLine(int station, int partner, int train, int minute) {
  shown_selection_ = {1, timetable_, station, partner, 0, train};
  shown_minute_ = minute;
}

std::unique_ptr<wxMenu> DocumentFrame::PaneMenuOf(int pane_id) const {
  std::vector<MenuItem> items = PaneMenu(pane_id, context_.timetables);
  if (items.empty()) return nullptr;
  return std::unique_ptr<wxMenu>(MakeMenu(items, context_));
}

std::unique_ptr<wxMenu> DocumentFrame::ToolbarMenuOf() const {
  return std::unique_ptr<wxMenu>(MakeMenu(ToolbarMenu(), context_));
}

void DocumentFrame::OnPaneClick(int pane_id) {
  if (!PaneClickOpensOptions(pane_id)) return;
  SelectOptionsTab(pane_id);
  wxCommandEvent options(wxEVT_MENU, cmd::ToWxId(cmd::kOptions));
  options.SetEventObject(this);
  ProcessWindowEvent(options);
}

std::unique_ptr<wxMenu> DocumentFrame::DropDownMenuOf(int command) const {
  int base = DropDownBase(command);
  if (base == 0) return nullptr;
  std::vector<MenuItem> items;
  for (int i : DropDownTimetables(base, context_.timetables))
    items.push_back(
        {ItemType::kCommand, base + i, TimetableMenuText(i, context_.timetables[i].name), {}});
  return std::unique_ptr<wxMenu>(MakeMenu(items, context_));
}

void DocumentFrame::ShowTimetableDropDown(int command, wxRect const& button) {
  if (std::unique_ptr<wxMenu> menu = DropDownMenuOf(command))
    GetToolBar()->PopupMenu(menu.get(), button.GetLeft(), button.GetBottom() + 1);
}

void DocumentFrame::RestorePlacement() {
  if (!context_.profile) return;
  auto placement = ParsePlacement(
      context_.profile->GetProfileStringIds(SectionIdOf(kind_), kWindowPosition, ""));
  if (!placement) return;
  wxRect saved(wxPoint(placement->left, placement->top),
               wxPoint(placement->right - 1, placement->bottom - 1));
  if (saved.GetWidth() < 50 || saved.GetHeight() < 50) return;
  // A placement saved on a display that is gone is moved onto one that is
  // there, never left off-screen.
  int display = wxDisplay::GetFromPoint(saved.GetTopLeft());
  wxRect area =
      wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  saved.SetWidth(std::min(saved.GetWidth(), area.GetWidth()));
  saved.SetHeight(std::min(saved.GetHeight(), area.GetHeight()));
  saved.SetX(std::clamp(saved.GetX(), area.GetLeft(), area.GetRight() - saved.GetWidth() + 1));
  saved.SetY(std::clamp(saved.GetY(), area.GetTop(), area.GetBottom() - saved.GetHeight() + 1));
  SetSize(saved);
  if (placement->flags & 2) Maximize();
}

void DocumentFrame::ApplyMinSizeAndPlace(bool random_place) {
  int display_index = wxDisplay::GetFromWindow(this);
  wxDisplay display(display_index == wxNOT_FOUND ? 0u : static_cast<unsigned>(display_index));
  if (min_width_ < 920 && display.GetGeometry().GetWidth() > 1000) min_width_ = 995;
  wxSize size = GetSize();
  SetMinSize(wxSize(min_width_, min_height_));
  if (size.x < min_width_ || size.y < min_height_)
    SetSize(std::max(size.x, min_width_), std::max(size.y, min_height_));
  if (!random_place) return;
  static std::mt19937 random{std::random_device{}()};
  wxRect area = display.GetClientArea();
  int x = 0, y = 0;
  RandomPlacement({area.x, area.y, area.width, area.height}, GetSize().x, GetSize().y, random, &x,
                  &y);
  Move(x, y);
}

void DocumentFrame::SaveFrameState() {
  if (!context_.profile) return;
  context_.profile->WriteInt(BarSection(), "Toolbar visible", GetToolBar()->IsShown());
  context_.profile->WriteInt(BarSection(), "Toolbar texts", toolbar_texts_);
  wxRect normal = GetRect();
  WindowPlacement placement;
  placement.flags = IsMaximized() ? 2 : 0;
  placement.show = IsIconized() ? 1 : 0;
  placement.min_x = placement.min_y = placement.max_x = placement.max_y = -1;
  placement.left = normal.GetLeft();
  placement.top = normal.GetTop();
  placement.right = normal.GetRight() + 1;
  placement.bottom = normal.GetBottom() + 1;
  context_.profile->WriteProfileStringIds(SectionIdOf(kind_), kWindowPosition,
                                          FormatPlacement(placement));
}

bool DocumentFrame::TryBefore(wxEvent& event) {
  // Commands reach the view first; what it leaves goes on to the frame and
  // then to the application.
  if (view_ && !routing_to_view_ &&
      (event.GetEventType() == wxEVT_MENU || event.GetEventType() == wxEVT_UPDATE_UI)) {
    routing_to_view_ = true;
    bool handled = view_->GetEventHandler()->ProcessEventLocally(event);
    routing_to_view_ = false;
    if (handled) return true;
  }
  return wxFrame::TryBefore(event);
}

}  // namespace vemo
