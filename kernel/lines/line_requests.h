#pragma once
// What a stop-timetable request needs before the timetable itself: the
// line and the From and To stations a user typed, the stations a line
// calls at, the direction of a line from one station towards another, and
// per stop of a direction the remark all its trips share and the running
// times from the first stop.
//
// Cores fill caller-owned containers and return 0 or a kernel error code;
// they never set the last error.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lines/line_directions.h"
#include "load/timetable_record.h"

namespace qo {

struct ResolveRequest {
  uint32_t mask = 0xFFFFFFFF;
  std::string_view from, to, line;  // kernel text
  bool wantFrom = false, wantTo = false, wantLines = false;
  int32_t limit = 0;  // most stations per list
};

struct ResolveResult {
  std::vector<int32_t> from, to, lines;
};

// Line and station candidates of typed texts.
void ResolveLineRequest(TimetableRecord& t, ResolveRequest const& request, ResolveResult& out);

// One byte per station, 1 where a trip of the line named `line` (its number
// text, exactly) calls; false for an empty text or a line not found.
bool MarkStationsOnLine(TimetableRecord& t, uint32_t mask, std::string_view line,
                        std::vector<uint8_t>& out);

// The direction of the line that runs from a station named as `a` towards
// one named as `b`, tried in three passes (the last content with either
// end). The caller's settings only give the week mode; the passes use their
// own inclusion and rare-direction settings. False when none is found.
bool FindLineDirection(TimetableRecord& t, LineSettings const& settings,
                       DirectionRequest const& request, int32_t a, int32_t b, bool reverse,
                       bool wantEnds, LineDirection& out, int* error);

struct StopRemarkRequest {
  uint32_t mask = 0xFFFFFFFF;
  uint32_t train = 0;
  int language = 0;
  int day = 0, month = 0, year = 0;
  bool week = false;
  int32_t const* stations = nullptr;
  int32_t count = 0;
};

struct StopRemarks {
  std::string letters;             // one code letter per code
  std::vector<std::string> texts;  // kernel text
};

// Per position of the direction: the index of the remark code all trips
// show there (-1 none, -2 no common one), and the least and greatest
// running time from the direction's first stop (either may be null).
// ErrDate for a date that does not convert; ErrStationIndex for a direction
// station outside the timetable.
int CollectStopRemarks(TimetableRecord& t, LineSettings const& settings,
                       StopRemarkRequest const& request, int32_t* remark, int32_t* least,
                       int32_t* greatest, StopRemarks& out);

}  // namespace qo
