#include "search/search_scratch.h"

#include <algorithm>

#include "load/timetable_record.h"

namespace qo {

void SearchScratch::Prepare(int32_t index, TimetableRecord& record, int levels, int rounds) {
  if (static_cast<int32_t>(Timetables.size()) <= index)
    Timetables.resize(static_cast<size_t>(index) + 1);
  TimetableScratch& s = Timetables[static_cast<size_t>(index)];
  const int32_t stations = static_cast<int32_t>(record.StationCount);
  const int32_t trains = static_cast<int32_t>(record.TrainCount);
  if (s.Record != &record || s.Stations != stations || s.Trains != trains) {
    // Another set was loaded: nothing of the old one is worth keeping.
    s = TimetableScratch();
    s.Record = &record;
    s.Stations = stations;
    s.Trains = trains;
  }
  for (int32_t p : s.TouchedProfiles)
    if (p < static_cast<int32_t>(s.Profiles.size())) s.Profiles[static_cast<size_t>(p)].Clear();
  s.TouchedProfiles.clear();
  s.Levels = levels;
  s.Rounds = rounds;
  if (s.Profiles.size() < static_cast<size_t>(levels * stations))
    s.Profiles.resize(static_cast<size_t>(levels * stations));
  s.ChainHeads.assign(static_cast<size_t>(rounds * stations), kNoLabel);
  s.RideMarks.assign(static_cast<size_t>(levels) * static_cast<size_t>(trains), RideMark{});
  s.Alighting.assign(static_cast<size_t>(stations), 0);
  s.Target.assign(static_cast<size_t>(stations), 0);
}

int32_t SearchScratch::TakeLabel() {
  if (FreeLabel != kNoLabel) {
    int32_t label = FreeLabel;
    FreeLabel = Labels[static_cast<size_t>(label)].Next;
    Labels[static_cast<size_t>(label)] = Label{};
    return label;
  }
  Labels.emplace_back();
  return static_cast<int32_t>(Labels.size()) - 1;
}

SearchScratch& EngineScratch() {
  static SearchScratch scratch;
  return scratch;
}

}  // namespace qo
