#include "load/loaded_set.h"

#include <algorithm>

namespace qo {
namespace {

std::vector<TimetableRecord*>& Pins() {
  static std::vector<TimetableRecord*> pins;
  return pins;
}

}  // namespace

std::vector<TimetableRecord*>& LoadedSet() {
  static std::vector<TimetableRecord*> set;
  return set;
}

TimetableRecord* TimetableAt(int index) {
  auto& set = LoadedSet();
  if (index < 0 || index >= static_cast<int>(set.size())) return nullptr;
  return set[static_cast<size_t>(index)];
}

int IndexOfTimetable(TimetableRecord const* record) {
  auto& set = LoadedSet();
  auto found = std::find(set.begin(), set.end(), record);
  return found == set.end() ? -1 : static_cast<int>(found - set.begin());
}

SetIndex& LoadedSetIndex() {
  static SetIndex index;
  return index;
}

LoadSettings& LoadOptions() {
  static LoadSettings settings;
  return settings;
}

void PinLoadingRecord(TimetableRecord* record) { Pins().push_back(record); }

void UnpinLoadingRecord(TimetableRecord* record) {
  auto& pins = Pins();
  auto found = std::find(pins.begin(), pins.end(), record);
  if (found != pins.end()) pins.erase(found);
}

bool IsLoadingRecord(TimetableRecord const* record) {
  auto& pins = Pins();
  return std::find(pins.begin(), pins.end(), record) != pins.end();
}

}  // namespace qo
