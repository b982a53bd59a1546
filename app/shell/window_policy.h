#pragma once
// How the program decides which window a command opens or brings to the
// front, where a new window goes, and how exit closes the windows. Plain
// data in, a decision out; the windows carry it out.
#include <random>
#include <span>
#include <string>

namespace vemo {

// At most this many windows of one kind are opened by the new-window
// commands.
inline constexpr int kMaxFramesPerKind = 3;

struct OpenFrameInfo {
  int kind = 0;        // the frame's window kind (5000, 5010, ...)
  int timetable = -1;  // its document's single timetable, -1 none
  bool minimized = false;
};

enum class OpenAction { kFocus, kOpenNew };

struct OpenDecision {
  OpenAction action = OpenAction::kOpenNew;
  int index = -1;        // the frame to focus
  bool restore = false;  // restore it first when minimised
  bool operator==(OpenDecision const&) const = default;
};

int CountFramesOfKind(std::span<const OpenFrameInfo> frames, int kind);
bool CanOpenNewFrame(std::span<const OpenFrameInfo> frames, int kind);

// Find or open, for the frames in the order of the framework's list: unless
// a new one is asked for, the first frame of the kind that shows the
// timetable (for connections any frame but `except`); else, with three of
// the kind open, the first of them; else a new one.
OpenDecision DecideFindOrOpen(std::span<const OpenFrameInfo> frames, int kind, int timetable,
                              bool new_requested, int except = -1);

struct PlaceRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// A position for a window of the size inside the free area, uniformly at
// random; the window's top left stays inside the area even when it is
// larger than the area.
void RandomPlacement(PlaceRect const& area, int width, int height, std::mt19937& random, int* x,
                     int* y);

// Closes a snapshot of the frames in order and stops at the first that
// refuses; true when all closed.
template <class Frame, class Close>
bool CloseFramesInOrder(std::span<Frame* const> snapshot, Close close) {
  for (Frame* frame : snapshot)
    if (!close(frame)) return false;
  return true;
}

// "&1. Name": one loaded timetable in a drop-down or settings menu.
std::string TimetableMenuText(int index, std::string const& name);

}  // namespace vemo
