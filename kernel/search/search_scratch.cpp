#include "search/search_scratch.h"

#include <algorithm>
#include <memory>

#include "load/timetable_record.h"
#include "search/search_state.h"

namespace qo {

EngineScratch& EngineScratchOf(TimetableRecord& t) {
  std::shared_ptr<EngineScratch>& held = SearchStateOf(t).Engine;
  if (!held) held = std::make_shared<EngineScratch>();
  return *held;
}

EngineScratch& PrepareEngineScratch(TimetableRecord& record, int levels, int rounds) {
  EngineScratch& s = EngineScratchOf(record);
  const int32_t stations = static_cast<int32_t>(record.StationCount);
  const int32_t trains = static_cast<int32_t>(record.TrainCount);
  if (s.Stations != stations || s.Trains != trains) {
    s = EngineScratch();
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
  s.ChainTails.assign(static_cast<size_t>(rounds * stations), kNoLabel);
  // A pass sets few of the marks: only those are cleared.
  const size_t marks = static_cast<size_t>(levels) * static_cast<size_t>(trains);
  if (s.RideMarks.size() != marks) {
    s.RideMarks.assign(marks, RideMark{});
  } else {
    for (int32_t at : s.MarksSet) s.RideMarks[static_cast<size_t>(at)] = RideMark{};
  }
  s.MarksSet.clear();
  if (s.Decoded.size() != static_cast<size_t>(trains))
    s.Decoded.assign(static_cast<size_t>(trains), {});
  if (s.KilometreIndex.size() != static_cast<size_t>(trains))
    s.KilometreIndex.assign(static_cast<size_t>(trains), {});
  return s;
}

int32_t LabelPool::TakeLabel() {
  if (FreeLabel != kNoLabel) {
    int32_t label = FreeLabel;
    FreeLabel = Nodes[static_cast<size_t>(label)].Next;
    Labels[static_cast<size_t>(label)] = Label{};
    Nodes[static_cast<size_t>(label)] = ChainNode{};
    return label;
  }
  Labels.emplace_back();
  Nodes.emplace_back();
  return static_cast<int32_t>(Labels.size()) - 1;
}

LabelPool& EngineLabels() {
  static LabelPool pool;
  return pool;
}

}  // namespace qo
