// Where journeys may alight and which stations are To stations, set up at
// the start of an engine run that asks for bounds. The distance and
// coordinate corridors, which narrow the alighting further, are not built
// yet: every station alights by its own flag.
#include <algorithm>

#include "calendars/day_type_state.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/search_limits.h"
#include "search/search_marks.h"
#include "search/search_state.h"

namespace qo {
namespace {

// A station's flag word: bit 0x01 lets a journey alight there.
constexpr uint16_t kAlightingFlag = 0x01;

bool TakesPart(TimetableRecord const* t) { return t && DayTypesOf(*t).Filter.TypeMask != 0; }

void SetAlighting(StationSet const& set) {
  for (SearchStation const& s : set)
    if (TakesPart(s.timetable) && s.station >= 0 &&
        s.station < static_cast<int32_t>(SearchStateOf(*s.timetable).Marks.Alighting.size()))
      SearchStateOf(*s.timetable).Marks.Alighting[static_cast<size_t>(s.station)] = 1;
}

}  // namespace

void ComputeSearchCorridor(SearchRun& run) {
  for (TimetableRecord* t : LoadedSet()) {
    SearchMarks& marks = SearchStateOf(*t).Marks;
    const size_t stations = t->StationCount;
    marks.Alighting.assign(stations, 0);
    marks.Allowed.clear();
    marks.Target.assign(stations, 0);
    if (!TakesPart(t)) continue;
    for (size_t s = 0; s < stations; ++s)
      marks.Alighting[s] = t->StationTypes.empty() ||
                                   (t->StationTypes[static_cast<int32_t>(s)] & kAlightingFlag)
                               ? 1
                               : 0;
  }
  // A search through given changes alights only there.
  if (!run.Request.ChangePoints.empty()) {
    for (TimetableRecord* t : LoadedSet()) {
      std::vector<int16_t>& alighting = SearchStateOf(*t).Marks.Alighting;
      std::fill(alighting.begin(), alighting.end(), 0);
    }
    SetAlighting(run.Request.ChangePoints);
  }
  SetAlighting(run.Request.From);
  SetAlighting(run.Request.To);
  for (int v = 0; v < run.Request.ViaCount; ++v) SetAlighting(run.Request.Via[static_cast<size_t>(v)]);

  // The To stations in their order: a new group wherever the station
  // changes; groups beyond the last number share it.
  int group = -1;
  SearchStation const* previous = nullptr;
  for (SearchStation const& s : run.Request.To) {
    if (!TakesPart(s.timetable) || s.station < 0) continue;
    if (!previous || previous->station != s.station || previous->timetable != s.timetable)
      group = std::min(group + 1, kMaxTargetGroups - 1);
    previous = &s;
    uint8_t& mark = SearchStateOf(*s.timetable).Marks.Target[static_cast<size_t>(s.station)];
    if (mark == 0) mark = static_cast<uint8_t>(2 * group + 1);
  }
}

}  // namespace qo
