#include "lines/qmap_lines.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "format/qmap_layout.h"
#include "lines/line_directions.h"
#include "map/qmap_coors.h"
#include "text/text_fold.h"

namespace qo {
namespace {

constexpr int32_t kArcKind = 4;
constexpr int32_t kArcValidFrom = 6;
constexpr uint8_t kNoStartFlag = 0x80;  // the pattern does not begin the line's course
constexpr uint8_t kNoEndFlag = 0x40;    // nor end it
constexpr uint8_t kContinuationBits = 0x3F;
constexpr size_t kLineMemory = 100;

int32_t PatternOf(TimetableRecord const& t, uint32_t train) {
  if (t.TrainStopPattern.empty()) return -1;
  return t.TrainStopPattern[static_cast<int32_t>(train)];
}

uint8_t PatternByteOf(TimetableRecord const& t, uint32_t train) {
  return t.TrainPatternByte.empty() ? 0 : t.TrainPatternByte[static_cast<int32_t>(train)];
}

// The pattern's stops are entries [*begin, *end) of the stop table.
bool PatternStops(TimetableRecord const& t, int32_t pattern, int32_t* begin, int32_t* end) {
  *begin = *end = 0;
  if (pattern < 0 || pattern + 1 >= t.StopPatternIndex.size()) return false;
  *begin = t.StopPatternIndex[pattern];
  *end = t.StopPatternIndex[pattern + 1];
  return true;
}

int32_t StopStation(TimetableRecord const& t, int32_t i) {
  return t.StopPatternStops.Field<uint16_t>(i, 0);
}
int16_t StopKind(TimetableRecord const& t, int32_t i) {
  return t.StopPatternStops.Field<int16_t>(i, 2);
}

int32_t ArcTarget(QMapData const& q, int32_t arc) { return q.Arcs.Field<int32_t>(arc, 0); }
int16_t ArcKind(QMapData const& q, int32_t arc) { return q.Arcs.Field<int16_t>(arc, kArcKind); }
int32_t ArcFrom(QMapData const& q, int32_t arc) {
  return q.Arcs.Field<int32_t>(arc, kArcValidFrom);
}
int32_t CoorKey(QMapData const& q, int32_t r) { return q.Coors.Field<int32_t>(r, 0); }

// Which patterns have a station inside the rectangle, each pattern and
// each station tested once per query.
class InsideTest {
 public:
  InsideTest(TimetableRecord const& t, QMapData const& q, QMapRect const& rect, int32_t date)
      : t_(t), q_(q), rect_(rect), date_(date) {
    static std::vector<int8_t> patterns, stations;
    patterns.assign(static_cast<size_t>(std::max(t.StopPatternIndex.size() - 1, 0)), -1);
    stations.assign(t.StationCount, -1);
    patterns_ = &patterns;
    stations_ = &stations;
  }

  bool Inside(int32_t pattern) {
    if (pattern < 0 || static_cast<size_t>(pattern) >= patterns_->size()) return false;
    int8_t& state = (*patterns_)[static_cast<size_t>(pattern)];
    if (state < 0) {
      state = 0;
      int32_t begin, end;
      PatternStops(t_, pattern, &begin, &end);
      for (int32_t i = begin; i < end && !state; ++i) state = StationInside(StopStation(t_, i));
    }
    return state != 0;
  }

 private:
  int8_t StationInside(int32_t station) {
    int8_t& state = (*stations_)[static_cast<size_t>(station)];
    if (state < 0) {
      double x, y;
      QMapCoor(q_, station, date_, &x, &y);
      state = rect_.Holds(x, y) ? 1 : 0;
    }
    return state;
  }

  TimetableRecord const& t_;
  QMapData const& q_;
  QMapRect rect_;
  int32_t date_;
  std::vector<int8_t>* patterns_;
  std::vector<int8_t>* stations_;
};

// Appends the stops [begin, end) of a pattern to a course.
void CourseOf(TimetableRecord const& t, QMapData const& q, int32_t begin, int32_t end, int32_t date,
              QMapCourse& out) {
  out.Clear();
  const auto n = static_cast<size_t>(end - begin);
  out.stations.reserve(n);
  out.x.reserve(n);
  out.y.reserve(n);
  out.arcs.reserve(n);
  for (int32_t i = begin; i < end; ++i) {
    const int32_t station = StopStation(t, i);
    double x, y;
    QMapCoor(q, station, date, &x, &y);
    out.stations.push_back(station);
    out.x.push_back(x);
    out.y.push_back(y);
    if (i > begin)
      out.arcs.push_back(FindQMapArc(q, StopStation(t, i - 1), station, StopKind(t, i), date));
  }
}

template <class T>
bool Contains(std::vector<T> const& v, T const& value) {
  return std::find(v.begin(), v.end(), value) != v.end();
}

// The first record with `key`, -1 when none (the records are sorted by key).
int32_t FirstRecordOfKey(QMapData const& q, int32_t key) {
  int32_t low = 0, high = q.Coors.size();
  while (low < high) {
    const int32_t middle = low + (high - low) / 2;
    if (CoorKey(q, middle) < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low < q.Coors.size() && CoorKey(q, low) == key ? low : -1;
}

// Among the arcs of record r, the first of `kind` valid on the date whose
// target lies in key group `group`.
int32_t GroupArcOf(QMapData const& q, int32_t r, int16_t kind, int32_t date, int32_t group) {
  if (r < 0) return -1;
  for (int32_t a = q.ArcIndex[r]; a < q.ArcIndex[r + 1]; ++a)
    if (ArcKind(q, a) == kind && ArcFrom(q, a) <= date &&
        CoorKey(q, ArcTarget(q, a)) / 10000 == group)
      return a;
  return -1;
}

// The arc that continues a line from its last station into the station
// group: first from the station's own point, then from the group's base
// point.
int32_t FindGroupArc(QMapData const& q, int32_t station, int16_t kind, int32_t date) {
  const int32_t r = q.StationCoor[static_cast<size_t>(station)] - 1;
  if (r < 0) return -1;
  const int32_t group = CoorKey(q, r) / 10000;
  int32_t arc = GroupArcOf(q, r, kind, date, group);
  if (arc < 0) arc = GroupArcOf(q, FirstRecordOfKey(q, group * 10000), kind, date, group);
  return arc;
}

// A filter text of the cover, read once for all lines: as a decimal
// number and as a line name.
struct LineFilter {
  bool empty = false;
  bool whole = false;  // the text is one decimal number, `value`
  long value = 0;
  bool fitsName = false;  // no longer than a name; `upper` then the text in upper case
  char upper[40] = {};
};

LineFilter ReadLineFilter(std::string const& text) {
  LineFilter f;
  f.empty = text.empty();
  char* end = nullptr;
  f.value = std::strtol(text.c_str(), &end, 10);
  f.whole = !text.empty() && *end == 0;
  f.fitsName = text.size() <= 39;
  if (f.fitsName) {
    std::memcpy(f.upper, text.data(), text.size());
    MakeUpperCase(f.upper);
  }
  return f;
}

// Whether the line's number matches one of the filters: a number by its
// decimal value, a named line by its name ignoring case, a line without
// number by the empty text.
bool MatchLineFilters(TimetableRecord const& t, int32_t number,
                      std::vector<LineFilter> const& filters) {
  auto any = [&](auto matches) { return std::any_of(filters.begin(), filters.end(), matches); };
  if (number > 0) return any([&](LineFilter const& f) { return f.whole && f.value == number; });
  if (number == 0) return any([](LineFilter const& f) { return f.empty; });
  if (filters.empty()) return false;
  char name[40] = {};
  GetPoolString(-number - 1, t.MainNumbers.Texts, name, 39);
  MakeUpperCase(name);
  return any([&](LineFilter const& f) { return f.fitsName && std::strcmp(name, f.upper) == 0; });
}

}  // namespace

bool HasStopPatterns(TimetableRecord const& t) {
  return !t.StopPatternIndex.empty() && !t.TrainStopPattern.empty();
}

int32_t FindQMapArc(QMapData const& q, int32_t a, int32_t b, int16_t kind, int32_t date) {
  const auto stations = q.StationCoor.size();
  if (a < 0 || b < 0 || static_cast<size_t>(a) >= stations || static_cast<size_t>(b) >= stations)
    return -1;
  const int32_t ra = q.StationCoor[static_cast<size_t>(a)] - 1;
  const int32_t rb = q.StationCoor[static_cast<size_t>(b)] - 1;
  if (ra < 0 || rb < 0) return -1;
  for (int32_t arc = q.ArcIndex[ra]; arc < q.ArcIndex[ra + 1]; ++arc)
    if (ArcTarget(q, arc) == rb && ArcKind(q, arc) == kind && ArcFrom(q, arc) <= date) return arc;
  return -1;
}

QMapRunning::QMapRunning(TimetableRecord const& timetable, LineSettings const& settings, int32_t d,
                         bool week)
    : t(&timetable), day(d < 0 ? 0 : d) {
  if (day == 0) return;
  const DayRange range = DayRangeOf(timetable, settings, day, week);
  from = range.from;
  to = range.to;
  weekMode2 = range.weekMode2;
}

bool QMapRunning::Runs(uint32_t train) const {
  if (day == 0) return true;
  return TripRunsInRange(*t, from, to, train, day, weekMode2, false, false, nullptr);
}

void QMapLinesInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect,
                     uint32_t mask, int32_t coorDate, QMapRunning const& running,
                     std::vector<int32_t>& trains) {
  trains.clear();
  InsideTest inside(t, q, rect, coorDate);
  bool any = false;
  int32_t last = 0;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const int32_t number = LineNumberOf(t, train);
    if (any && number == last) continue;
    if (!TripInsideMask(t, train, mask)) continue;
    if (!inside.Inside(PatternOf(t, train)) || !running.Runs(train)) continue;
    trains.push_back(static_cast<int32_t>(train));
    any = true;
    last = number;
  }
}

void QMapTrainPatterns(TimetableRecord const& t, uint32_t start, QMapRunning const& running,
                       std::vector<int32_t>& trains) {
  trains.clear();
  static std::vector<int32_t> patterns;
  patterns.clear();
  const int32_t number = LineNumberOf(t, start);
  for (uint32_t train = start; train < t.TrainCount && trains.size() < kMaxTrainPatterns; ++train) {
    if (LineNumberOf(t, train) != number || PatternByteOf(t, train) >= 64) continue;
    const int32_t pattern = PatternOf(t, train);
    if (pattern < 0 || Contains(patterns, pattern) || !running.Runs(train)) continue;
    patterns.push_back(pattern);
    trains.push_back(static_cast<int32_t>(train));
  }
  if (trains.empty()) trains.push_back(static_cast<int32_t>(start));
}

bool QMapTrainCourse(TimetableRecord const& t, QMapData const& q, uint32_t train, int32_t date,
                     QMapCourse& out) {
  out.Clear();
  int32_t begin, end;
  if (!PatternStops(t, PatternOf(t, train), &begin, &end) || end - begin < 2) return false;
  CourseOf(t, q, begin, end, date, out);
  return true;
}

bool QMapLegCourse(TimetableRecord const& t, QMapData const& q, uint32_t train, int32_t from,
                   int32_t to, int32_t date, QMapCourse& out) {
  out.Clear();
  int32_t begin, end;
  if (!PatternStops(t, PatternOf(t, train), &begin, &end) || end - begin < 2) return false;
  int32_t boarding = -1;
  for (int32_t i = begin; i < end; ++i) {
    const int32_t station = StopStation(t, i);
    if (boarding >= 0 && station == to) {
      CourseOf(t, q, boarding, i + 1, date, out);
      return true;
    }
    if (station == from) boarding = i;
  }
  return false;
}

int32_t QMapMissingArc(TimetableRecord const& t, QMapData const& q, int32_t position, int32_t* a,
                       int32_t* b, int32_t* kind) {
  *a = *b = *kind = 0;
  const int32_t patterns = t.StopPatternIndex.size() - 1;
  const int32_t from = position < 0 ? 0 : position + 1;
  // The pattern that holds `from`: the last whose first stop is not after it.
  int32_t p = 0;
  {
    int32_t low = 0, high = patterns;
    while (low < high) {
      const int32_t middle = low + (high - low) / 2;
      if (t.StopPatternIndex[middle + 1] <= from) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    p = low;
  }
  for (; p < patterns; ++p) {
    const int32_t begin = t.StopPatternIndex[p], end = t.StopPatternIndex[p + 1];
    for (int32_t i = std::max(from, begin + 1); i < end; ++i) {
      const int32_t sa = StopStation(t, i - 1), sb = StopStation(t, i);
      const int16_t k = StopKind(t, i);
      if (FindQMapArc(q, sa, sb, k, INT32_MAX) >= 0) continue;
      *a = sa;
      *b = sb;
      *kind = k;
      return i;
    }
  }
  return -1;
}

void QMapLinesCover(TimetableRecord const& t, QMapData const& q, QMapCoverRequest const& request,
                    QMapRunning const& running, QMapCover& out) {
  out.stations.clear();
  out.lines.clear();
  InsideTest inside(t, q, request.rect, request.date);
  static std::vector<int32_t> position;  // per station its place in the list, -1 none
  position.assign(t.StationCount, -1);
  auto place = [&](int32_t station) {
    int32_t& at = position[static_cast<size_t>(station)];
    if (at < 0) {
      at = static_cast<int32_t>(out.stations.size());
      out.stations.push_back(station);
    }
    return at;
  };

  std::vector<LineFilter> filters;
  for (std::string const& text : request.filters) filters.push_back(ReadLineFilter(text));
  static std::vector<int32_t> linePatterns;
  static std::vector<std::pair<int32_t, int32_t>> lineContinuations;
  QMapCoverLine* line = nullptr;
  bool lineMatches = false, any = false;
  int32_t number = 0;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const int32_t n = LineNumberOf(t, train);
    if (!any || n != number) {
      // A new line.
      any = true;
      number = n;
      line = nullptr;
      linePatterns.clear();
      lineContinuations.clear();
      lineMatches = !request.hasFilters || MatchLineFilters(t, n, filters);
    }
    if (!lineMatches || !TripInsideMask(t, train, request.mask)) continue;
    const int32_t pattern = PatternOf(t, train);
    if (!inside.Inside(pattern) || Contains(linePatterns, pattern) || !running.Runs(train))
      continue;
    if (linePatterns.size() < kLineMemory) linePatterns.push_back(pattern);
    if (!line) {
      out.lines.emplace_back();
      line = &out.lines.back();
      line->train = static_cast<int32_t>(train);
    }

    int32_t begin, end;
    PatternStops(t, pattern, &begin, &end);
    if (begin == end) continue;
    int32_t previous = place(StopStation(t, begin));
    for (int32_t i = begin + 1; i < end; ++i) {
      const int32_t here = place(StopStation(t, i));
      const int32_t arc =
          FindQMapArc(q, StopStation(t, i - 1), StopStation(t, i), StopKind(t, i), request.date);
      if (arc >= 0 && !Contains(line->arcs, arc)) {
        line->from.push_back(previous);
        line->to.push_back(here);
        line->arcs.push_back(arc);
      }
      previous = here;
    }

    const uint8_t flags = PatternByteOf(t, train);
    const int32_t last = StopStation(t, end - 1);
    const int32_t continuation = flags & kContinuationBits;
    if (request.continuations && !(flags & kNoEndFlag) && continuation != 0) {
      const std::pair<int32_t, int32_t> pair{continuation, last};
      if (!Contains(lineContinuations, pair)) {
        if (lineContinuations.size() < kLineMemory) lineContinuations.push_back(pair);
        const auto kind =
            static_cast<int16_t>((static_cast<uint16_t>(StopKind(t, end - 1)) & 0xFF00) |
                                 static_cast<uint16_t>(continuation));
        const int32_t arc = FindGroupArc(q, last, kind, request.date);
        if (arc >= 0 && !Contains(line->continuations, arc)) line->continuations.push_back(arc);
      }
    }
    if (request.ends) {
      const int32_t first = position[static_cast<size_t>(StopStation(t, begin))];
      if (!(flags & kNoStartFlag) && !Contains(line->starts, first)) line->starts.push_back(first);
      const int32_t final = position[static_cast<size_t>(last)];
      if (!(flags & kNoEndFlag) && !Contains(line->ends, final)) line->ends.push_back(final);
    }
  }
}

bool DescribeArcLists(QMapData const& q, std::vector<std::vector<int32_t>> const& lists,
                      size_t held, QMapLegend& legend) {
  const auto polylines = q.Polylines.size();
  static std::vector<std::vector<int32_t>> sets;
  sets.assign(polylines, {});
  for (size_t l = 0; l < lists.size(); ++l) {
    for (int32_t arc : lists[l]) {
      if (arc < 0 || arc + 1 >= q.Arcs.size()) return false;
      int32_t first = 0, count = 0;
      QMapArcPolylines(q, arc, &first, &count);
      for (int32_t r = first; r < first + count; ++r) {
        std::vector<int32_t>& set = sets[static_cast<size_t>(q.PolylineRefs[r])];
        if (set.empty() || set.back() != static_cast<int32_t>(l))
          set.push_back(static_cast<int32_t>(l));
      }
    }
  }

  if (held < legend.groups.size()) legend.groups.resize(held);
  static std::vector<int32_t> group;  // per polyline its group + 1, 0 none
  group.assign(polylines, 0);
  for (size_t p = 0; p < polylines; ++p) {
    if (sets[p].empty()) continue;
    auto it = std::find(legend.groups.begin(), legend.groups.end(), sets[p]);
    if (it == legend.groups.end()) it = legend.groups.insert(legend.groups.end(), sets[p]);
    group[p] = static_cast<int32_t>(it - legend.groups.begin()) + 1;
  }

  static std::vector<int32_t> successor, predecessor;
  successor.assign(polylines, -1);
  predecessor.assign(polylines, -1);
  for (size_t p = 0; p < polylines; ++p) {
    if (!group[p]) continue;
    const auto pi = static_cast<int32_t>(p);
    for (int32_t k = q.NeighbourIndex[pi]; k < q.NeighbourIndex[pi + 1]; ++k) {
      const int32_t n = q.Neighbours[k];
      if (n == pi || group[static_cast<size_t>(n)] != group[p] ||
          predecessor[static_cast<size_t>(n)] >= 0)
        continue;
      successor[p] = n;
      predecessor[static_cast<size_t>(n)] = pi;
      break;
    }
  }

  legend.chains.clear();
  legend.chainGroups.clear();
  auto firstPoint = [&](int32_t p) {
    RecordArray const& line = q.Polylines[static_cast<size_t>(p)];
    return line.empty() ? QMapPoint{} : QMapPointAt(line, 0);
  };
  auto lastPoint = [&](int32_t p) {
    RecordArray const& line = q.Polylines[static_cast<size_t>(p)];
    return line.empty() ? QMapPoint{} : QMapPointAt(line, line.size() - 1);
  };
  for (size_t p = 0; p < polylines; ++p) {
    if (successor[p] < 0 || predecessor[p] >= 0) continue;
    std::vector<int32_t> chain;
    for (int32_t c = static_cast<int32_t>(p); c >= 0 && chain.size() < kMaxChainPolylines;
         c = successor[static_cast<size_t>(c)])
      chain.push_back(c);
    const int32_t g = group[p] - 1;
    bool reversed = false;
    for (size_t e = 0; e < legend.chains.size() && !reversed; ++e) {
      std::vector<int32_t> const& earlier = legend.chains[e];
      reversed = legend.chainGroups[e] == g && earlier.size() == chain.size() &&
                 firstPoint(chain.front()) == lastPoint(earlier.back()) &&
                 lastPoint(chain.back()) == firstPoint(earlier.front());
    }
    if (reversed) continue;
    legend.chains.push_back(std::move(chain));
    legend.chainGroups.push_back(g);
  }
  return true;
}

}  // namespace qo
