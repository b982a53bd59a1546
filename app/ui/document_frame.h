#pragma once
// A document window of one kind: its title, its profile section and its
// saved placement. The windows of the subsystems fill their frames; until
// then a frame of its kind stands open with its title.
#include <wx/frame.h>

namespace vemo {

class Profile;

enum class WindowKind { kConnections = 5000, kArrDep = 5010, kTrains = 5020, kStopTimetables = 5030, kMap = 5040 };

// The profile section (string id) of a kind's window.
int SectionIdOf(WindowKind kind);

class DocumentFrame : public wxFrame {
 public:
  DocumentFrame(WindowKind kind, Profile* profile);
  WindowKind kind() const { return kind_; }
  // Title plus the kind's suffix.
  void UpdateTitle();
  void SaveFrameState();

 private:
  void OnClose(wxCloseEvent& event);
  void RestorePlacement();

  WindowKind kind_;
  Profile* profile_;
};

}  // namespace vemo
