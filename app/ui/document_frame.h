#pragma once
// The common frame of every document window: its title, menus, toolbar
// (pictures, or pictures with texts) with drop-down lists of the
// timetables, status panes, saved placement and bar state, and the rules
// that make the windows one program (the last activated is the main
// window). Commands go to the frame's view first, then the frame, then the
// application. The subsystems' windows fill the frame with their view; until
// they exist, a frame of their kind stands open with its title.
#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/frame_menus.h"
#include "shell/selection.h"

class wxMenu;
class wxToolBar;

namespace vemo {

class PaneStatusBar;
class Profile;

enum class WindowKind {
  kConnections = 5000,
  kArrDep = 5010,
  kTrains = 5020,
  kStopTimetables = 5030,
  kMap = 5040
};

// The profile section (string id) of a kind's window.
int SectionIdOf(WindowKind kind);

// What every frame is built from; the application owns it.
class UpdateState;

struct FrameContext {
  Profile* profile = nullptr;
  UpdateState const* update = nullptr;
  std::vector<LoadedTimetable> timetables;
  std::vector<std::string> info_page_titles;
  // One per loaded timetable: its bundle's icon, or the default picture.
  std::vector<wxBitmap> timetable_icons;
  bool menu_icons = true;
};

class DocumentFrame : public wxFrame {
 public:
  // `timetable` is the one the window shows, -1 for none.
  DocumentFrame(WindowKind kind, int timetable, FrameContext const& context, bool random_place);
  ~DocumentFrame() override;

  WindowKind kind() const { return kind_; }
  int timetable() const { return timetable_; }
  PaneStatusBar* panes() const { return panes_; }
  wxToolBar* toolbar() const { return GetToolBar(); }
  bool toolbar_texts() const { return toolbar_texts_; }

  void UpdateTitle();
  // Saves the bar state and the placement.
  void SaveFrameState();
  // Enforces the minimum size; with `random_place` moves the window to a
  // random place inside the free area of its display.
  void ApplyMinSizeAndPlace(bool random_place);
  // The window that receives the frame's commands first; none by default.
  void SetView(wxWindow* view) { view_ = view; }

  // What the window was opened or brought to the front for: the board of a
  // selected station (the whole selection), or a selected train at its stop
  // with the minute it leaves there. The window's view shows it.
  virtual void ShowStationBoard(SelectedObject const& selection);
  virtual void ShowTrainLine(int station, int partner, int train, int minute);
  SelectedObject const& shown_selection() const { return shown_selection_; }
  int shown_minute() const { return shown_minute_; }

  // The right-click menus of a status pane (none for a pane without one)
  // and of the toolbar; shown where the click was.
  std::unique_ptr<wxMenu> PaneMenuOf(int pane_id) const;
  std::unique_ptr<wxMenu> ToolbarMenuOf() const;
  // The list of timetables under a drop-down button; none for others.
  std::unique_ptr<wxMenu> DropDownMenuOf(int command) const;
  // A left click on a pane: the options open at the pane's page.
  void OnPaneClick(int pane_id);
  // Which options page the next options command opens; the connection
  // window chooses, the others have no options of their own.
  virtual void SelectOptionsTab(int pane_id) { (void)pane_id; }

  // Number of frames alive, of every kind.
  static int Count();

 protected:
  bool TryBefore(wxEvent& event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void ShowTimetableDropDown(int command, wxRect const& button);
  void RestorePlacement();
  std::string BarSection() const;

  WindowKind kind_;
  int timetable_;
  FrameContext const& context_;
  PaneStatusBar* panes_ = nullptr;
  wxWindow* view_ = nullptr;
  bool toolbar_texts_ = true;
  bool routing_to_view_ = false;
  int min_width_ = 0, min_height_ = 0;
  SelectedObject shown_selection_;
  int shown_minute_ = -1;
  wxTimer* update_pane_timer_ = nullptr;
};

}  // namespace vemo
