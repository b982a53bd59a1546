#pragma once
// Before the engines run: where journeys may alight, which stations count
// as via points and which are To stations of which group. PrepareSearchMarks
// runs once per request; ComputeSearchCorridor in every engine run that
// asks for bounds.
#include <cstdint>
#include <vector>

#include "search/search_run.h"

namespace qo {

struct TimetableRecord;

// Once per request, after the working sets are built: notes the first From
// and To stations, the scope mode, switches stops-in-via off for this
// search when a via entry is a key (FreeLabels puts it back), and builds
// the pass-via marks when via points may be passed without a stop.
void PrepareSearchMarks(SearchRun& run, bool byArrival);

// In an engine run: default alighting words, the scope restriction, change
// points, and alighting at every From, To and via station; rebuilds the
// target marks and the stop-via masks. (The distance and coordinate
// corridors narrow this further once they exist.)
void ComputeSearchCorridor(SearchRun& run);

// Target marks over the To set: groups of consecutive To stations that are
// one place, numbered from 0 up to kMaxTargetGroups - 1 (later groups share
// the last); the mark is 2 x group + 1, + 1 when the station fails the
// town-list test.
void BuildTargetMarks(SearchRun const& run);

// A station passes when it lies in no town item, or its town item and its
// region item agree; a timetable without both lists passes every station.
bool PassesTownListTest(int timetable, int station);

// The timetable's arcs carry their lengths: a search over it counts
// kilometres.
bool MeasuresArcs(TimetableRecord const& t);

// Per station of `t` 1 where a journey may pass the via point of `bit`
// (in the timetable's search marks): where it stops or passes, and at
// either end of an arc that passes it.
void MarkViaStations(TimetableRecord const& t, uint16_t bit, std::vector<uint8_t>& near);

// The distinct timetables of a set that take part, in first-seen order.
std::vector<TimetableRecord*> CollectDistinctTimetables(StationSet const& set);

// At the end of every engine run: puts stops-in-via back as it was set.
void FreeLabels(SearchRun& run);

}  // namespace qo
