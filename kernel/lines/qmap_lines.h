#pragma once
// Services on the QMap network: the lines running through a map rectangle,
// the distinct stop patterns of a line, the course of a train or a leg
// over the arcs, the arcs and stations lines cover, a legend of which arc
// lists share polylines, and pattern stops the network has no arc for.
//
// The trains' stop patterns name, per stop, the kind of arc that leads to
// it from the stop before.
#include <cstdint>
#include <string>
#include <vector>

#include "lines/line_validity.h"
#include "load/timetable_record.h"
#include "map/qmap_stations.h"

namespace qo {

// Whether the timetable has stop patterns for its trains.
bool HasStopPatterns(TimetableRecord const& t);

// The arc from station a to station b of `kind` valid on `date`: among
// the arcs of a's newest record, the first that leads to b's newest record.
// -1 when none (or a station has no coordinate).
int32_t FindQMapArc(QMapData const& q, int32_t a, int32_t b, int16_t kind, int32_t date);

// The running test of the line queries: day 0 runs every train; with
// `week` the week of the day as the line settings set it.
struct QMapRunning {
  TimetableRecord const* t = nullptr;
  int32_t from = 0, to = 0;
  int32_t day = 0;
  bool weekMode2 = false;
  QMapRunning(TimetableRecord const& timetable, LineSettings const& settings, int32_t day,
              bool week);
  bool Runs(uint32_t train) const;
};

// The trains (one per line) whose stop pattern has a station inside the
// rectangle on `coorDate` and that run.
void QMapLinesInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect,
                     uint32_t mask, int32_t coorDate, QMapRunning const& running,
                     std::vector<int32_t>& trains);

inline constexpr size_t kMaxTrainPatterns = 200;

// From `start` on, the first running train of each distinct pattern among
// the trains with `start`'s number (pattern byte below 64); `start` alone
// when none.
void QMapTrainPatterns(TimetableRecord const& t, uint32_t start, QMapRunning const& running,
                       std::vector<int32_t>& trains);

// A course over the network: stations, their x and y, and between each two
// the arc (count - 1 of them, -1 where none).
struct QMapCourse {
  std::vector<int32_t> stations;
  std::vector<double> x, y;
  std::vector<int32_t> arcs;
  void Clear() {
    stations.clear();
    x.clear();
    y.clear();
    arcs.clear();
  }
};

// The course of the train's pattern on `date`; false (empty) for a train
// whose pattern has fewer than two stops.
bool QMapTrainCourse(TimetableRecord const& t, QMapData const& q, uint32_t train, int32_t date,
                     QMapCourse& out);

// The part of the train's pattern from the last stop at `from` before the
// first later stop at `to`; false when the pattern has no such pair.
bool QMapLegCourse(TimetableRecord const& t, QMapData const& q, uint32_t train, int32_t from,
                   int32_t to, int32_t date, QMapCourse& out);

// The first pattern stop after `position` whose arc from the stop before
// exists at no date: its position, the two stations and the kind; -1 when
// none.
int32_t QMapMissingArc(TimetableRecord const& t, QMapData const& q, int32_t position, int32_t* a,
                       int32_t* b, int32_t* kind);

// What the cover gathers per line.
struct QMapCoverLine {
  int32_t train = 0;
  std::vector<int32_t> from, to, arcs;  // positions in the station list, and the arc
  std::vector<int32_t> continuations;
  std::vector<int32_t> starts, ends;
};

struct QMapCover {
  std::vector<int32_t> stations;
  std::vector<QMapCoverLine> lines;
};

struct QMapCoverRequest {
  QMapRect rect;
  uint32_t mask = 0;
  int32_t date = 0;  // coordinates and arcs
  std::vector<std::string> filters;
  bool hasFilters = false;
  bool continuations = false;
  bool ends = false;
};

void QMapLinesCover(TimetableRecord const& t, QMapData const& q, QMapCoverRequest const& request,
                    QMapRunning const& running, QMapCover& out);

// The legend of arc lists: groups of list numbers sharing polylines, and
// the chains of neighbouring polylines of one group.
struct QMapLegend {
  std::vector<std::vector<int32_t>> groups;  // kept between calls
  std::vector<std::vector<int32_t>> chains;
  std::vector<int32_t> chainGroups;
};

inline constexpr size_t kMaxChainPolylines = 300;

// `held` groups of the table are kept (0 starts afresh). False when a list
// names an arc outside the table.
bool DescribeArcLists(QMapData const& q, std::vector<std::vector<int32_t>> const& lists,
                      size_t held, QMapLegend& legend);

}  // namespace qo
