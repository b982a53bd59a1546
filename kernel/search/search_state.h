#pragma once
// What a search leaves in each timetable: its train-type codes, change
// settings and defaults, marks, the engines' scratch and the walking links
// as switched. (The inclusion word and the day searched are the running
// filter of calendars/day_type_state.h.) The record holds it through a
// forward-declared pointer; it lives and dies with the record, so nothing
// here outlives the data it was derived from.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// Change settings of one timetable: the values in force and the defaults
// they are reset to.
struct ChangeSettings {
  int32_t MaxChangeTime = 0;
  int32_t MinChangeTime = 0;
  int32_t DefaultMinTimes = 0;  // use the timetable's own per-station minimums
  int32_t ChangePenalty = 0;
  std::vector<std::vector<uint8_t>> PenaltyRows;  // by change type
};

// The timetable's search defaults, taken from the file at the first reset
// and changed by QoSetDefaultSearchInterval and QoSetDefaultMaxChange.
struct TimetableSearchDefaults {
  bool Taken = false;
  bool Present = false;  // a file without a direct window length has none
  int32_t MaxChanges = 0;
  int32_t WindowDirect = 0;
  int32_t WindowChanges = 0;
  int32_t DeltaMaxType = 0;
  int32_t DeltaMaxMetres = 0;
  int32_t DeltaMaxPercent = 0;
  int32_t RetriesDirect = 0;
  int32_t RetriesChanges = 0;
  ChangeSettings Change;
};

// Where a journey may alight, what counts as via and target, per station
// of the timetable; set by PrepareSearchMarks and the corridor before every
// engine run. Empty vectors until the first search.
struct SearchMarks {
  std::vector<int16_t> Alighting;    // 0: no ride alights here
  std::vector<uint8_t> Allowed;      // present only while a distance corridor applies
  std::vector<uint8_t> Target;       // 0: no To station; else 2 x group + 1 (+1 town-list mismatch)
  std::vector<uint16_t> StopVia;     // bit k: a station of via point k
  std::vector<uint16_t> PassVia;     // bit k: passes via point k
  std::vector<uint16_t> ArcPassVia;  // per arc of the station graph
};

// Scratch of the engines for this timetable (profiles, label chains, ride
// marks), sized once per loaded record by the engine that owns it.
struct EngineScratch;

struct TimetableSearchState {
  // The train-type codes of the request found in the timetable's code
  // table: their mask pairs, and all of them OR-ed together.
  std::vector<uint64_t> CodePairs;
  uint64_t CodeMask = 0;

  ChangeSettings Change;
  TimetableSearchDefaults Defaults;
  // Left out of the selection of the last reset.
  bool LeftOutOfReset = false;

  SearchMarks Marks;
  std::shared_ptr<EngineScratch> Engine;

  // Per station, a number the stations of one change place by name share;
  // and whether any station is a preferred change (-1: not yet known).
  // Worked out on first use: the clean-up asks for every pair of stops of
  // two legs whose change it moves.
  std::vector<int32_t> ChangeNameNumbers;
  int8_t PreferredChanges = -1;
  // Per station, the events of the stations of its name (-1: not yet
  // counted), which decide between two change places.
  std::vector<int32_t> NameEventCounts;
};

// The timetable's state, made on first use.
inline TimetableSearchState& SearchStateOf(TimetableRecord& t) {
  if (!t.Search) t.Search = std::make_shared<TimetableSearchState>();
  return *t.Search;
}

// Without making it: the defaults until a caller with a writable record
// made it.
inline TimetableSearchState const& SearchStateOf(TimetableRecord const& t) {
  static TimetableSearchState const defaults;
  return t.Search ? *t.Search : defaults;
}

}  // namespace qo
