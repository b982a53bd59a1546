#include "shell/window_policy.h"

#include "shell/string_table.h"

namespace vemo {
namespace {

constexpr int kConnectionKind = 5000;

}  // namespace

int CountFramesOfKind(std::span<const OpenFrameInfo> frames, int kind) {
  int count = 0;
  for (auto const& frame : frames) count += frame.kind == kind;
  return count;
}

bool CanOpenNewFrame(std::span<const OpenFrameInfo> frames, int kind) {
  return CountFramesOfKind(frames, kind) < kMaxFramesPerKind;
}

OpenDecision DecideFindOrOpen(std::span<const OpenFrameInfo> frames, int kind, int timetable,
                              bool new_requested, int except) {
  bool connections = kind == kConnectionKind;
  auto eligible = [&](int i) { return frames[i].kind == kind && !(connections && i == except); };
  int count = static_cast<int>(frames.size());
  if (!new_requested)
    for (int i = 0; i < count; ++i)
      if (eligible(i) && (connections || frames[i].timetable == timetable))
        return {OpenAction::kFocus, i, true};
  if (CountFramesOfKind(frames, kind) >= kMaxFramesPerKind)
    for (int i = 0; i < count; ++i)
      if (eligible(i)) return {OpenAction::kFocus, i, connections};
  return {OpenAction::kOpenNew, -1, false};
}

void RandomPlacement(PlaceRect const& area, int width, int height, std::mt19937& random, int* x,
                     int* y) {
  int free_x = area.width > width ? area.width - width : 0;
  int free_y = area.height > height ? area.height - height : 0;
  *x = area.x + std::uniform_int_distribution<int>(0, free_x)(random);
  *y = area.y + std::uniform_int_distribution<int>(0, free_y)(random);
}

std::string TimetableMenuText(int index, std::string const& name) {
  return FormatText("&%d. %s", {index + 1, name});
}

}  // namespace vemo
