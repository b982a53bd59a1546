#include "lines/line_requests.h"

#include <algorithm>

#include "boards/board_core.h"
#include "stations/station_search.h"
#include "text/text_convert.h"
#include "trains/train_search.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int8_t kNotALineStart = static_cast<int8_t>(0x80);
constexpr int8_t kNotALineEnd = 0x40;

// The first train of the line the text names: an exact number first, then
// a number that begins with the text; -1 when none.
int32_t FindLine(TimetableRecord& t, uint32_t mask, std::string_view text, bool prefixToo) {
  TrainSearchText prepared;
  PrepareTrainSearchText(text, true, prepared);
  if (prepared.Text.empty()) return -1;
  TrainSearch search;
  search.TypeMask = mask;
  search.Exact = true;
  int error = 0;
  int32_t found = FindTrain(t, prepared, search, &error);
  if (found < 0 && prefixToo) {
    search.Exact = false;
    found = FindTrain(t, prepared, search, &error);
  }
  return found;
}

// Where a line departs and arrives, and where its trips start and end.
struct LineMarks {
  bool built = false;
  std::vector<uint8_t> from, to;  // 1: departs (arrives) there, 2: a start (end) of the line
  std::vector<int32_t> starts, ends;

  void Build(TimetableRecord& t, uint32_t train) {
    built = true;
    from.assign(t.StationCount, 0);
    to.assign(t.StationCount, 0);
    starts.assign(t.StationCount, 0);
    ends.assign(t.StationCount, 0);
    const uint32_t end = LineRunEnd(t, train);
    for (uint32_t trip = LineRunBegin(t, train); trip < end; ++trip) {
      StopList stops = DecodeTrainStops(t, trip);
      if (stops.count == 0) continue;
      const int8_t flags = t.TripEndFlags.empty() ? 0 : t.TripEndFlags[static_cast<int32_t>(trip)];
      const int32_t start = (flags & kNotALineStart) ? -1 : stops.Station(0);
      const int32_t last = (flags & kNotALineEnd) ? -1 : stops.Station(stops.count - 1);
      if (start >= 0) ++starts[static_cast<size_t>(start)];
      if (last >= 0) ++ends[static_cast<size_t>(last)];
      for (int32_t i = 0; i < stops.count; ++i) {
        const uint16_t s = stops.Station(i);
        if (i + 1 < stops.count && from[s] != 2) from[s] = s == start ? 2 : 1;
        if (i > 0 && to[s] != 2) to[s] = s == last ? 2 : 1;
      }
    }
  }
};

// A mark spreads to the neighbouring station indexes of the same name.
void SpreadMarks(std::vector<int32_t> const& names, std::vector<uint8_t>& marks) {
  const size_t n = marks.size();
  for (size_t s = 0; s + 1 < n; ++s)
    if (marks[s] && !marks[s + 1] && names[s] == names[s + 1]) marks[s + 1] = marks[s];
  for (size_t s = n - 1; s >= 1; --s)
    if (marks[s] && !marks[s - 1] && names[s] == names[s - 1]) marks[s - 1] = marks[s];
}

void FindStations(TimetableRecord& t, std::string_view text, std::vector<uint8_t> const* marks,
                  int32_t limit, std::vector<int32_t>& out) {
  std::vector<int32_t> const& names = NameClasses(t);
  auto allowed = [&](int32_t s) { return !marks || (*marks)[static_cast<size_t>(s)] != 0; };
  const int32_t exact = SearchStationName(t, text);
  if (exact >= 0)
    for (int32_t s = exact;
         s < static_cast<int32_t>(t.StationCount) && static_cast<int32_t>(out.size()) < limit &&
         names[static_cast<size_t>(s)] == names[static_cast<size_t>(exact)];
         ++s)
      if (allowed(s)) out.push_back(s);
  if (!out.empty()) return;
  NameQuery query;
  PrepareNameQuery(text, true, GetTextMode(), query);
  uint8_t const* filter = marks ? marks->data() : nullptr;
  for (int32_t start = 0; static_cast<int32_t>(out.size()) < limit;) {
    const int32_t found = SearchStation(t, -1, 0, start, query, filter);
    if (found < 0) break;
    out.push_back(found);
    start = found + 1;
  }
}

// Stations where the line starts (ends) often enough to propose them.
void ProposeEnds(TimetableRecord const& t, std::vector<uint8_t> const& marks,
                 std::vector<int32_t> const& counts, int32_t limit, std::vector<int32_t>& out) {
  int32_t most = 0;
  for (size_t s = 0; s < marks.size(); ++s)
    if (marks[s] == 2) most = std::max(most, counts[s]);
  // Trips that say where the line starts need no share of the starts.
  const bool flagged = !t.TripEndFlags.empty();
  for (size_t s = 0; s < marks.size() && static_cast<int32_t>(out.size()) < limit; ++s)
    if (marks[s] == 2 && (flagged || counts[s] * 3 >= most)) out.push_back(static_cast<int32_t>(s));
}

void DropAgainst(std::vector<int32_t> const& names, std::vector<int32_t>& proposed,
                 std::vector<int32_t> const& other) {
  if (proposed.size() < 2 || other.size() != 1) return;
  auto same = std::find_if(proposed.begin(), proposed.end(), [&](int32_t s) {
    return names[static_cast<size_t>(s)] == names[static_cast<size_t>(other[0])];
  });
  if (same != proposed.end()) proposed.erase(same);
}

void DropRepeatedNames(std::vector<int32_t> const& names, std::vector<int32_t>& list) {
  for (size_t i = list.size(); i-- > 1;)
    if (names[static_cast<size_t>(list[i])] == names[static_cast<size_t>(list[i - 1])])
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

// Distinct names in a list, equal-named neighbours counted once.
int DistinctNames(std::vector<int32_t> const& names, std::vector<int32_t> const& list) {
  int n = 0;
  for (size_t i = 0; i < list.size(); ++i)
    if (i == 0 || names[static_cast<size_t>(list[i])] != names[static_cast<size_t>(list[i - 1])])
      ++n;
  return n;
}

}  // namespace

void ResolveLineRequest(TimetableRecord& t, ResolveRequest const& request, ResolveResult& out) {
  out = {};
  std::vector<int32_t> const& names = NameClasses(t);
  LineMarks marks;
  const bool lineGiven = std::any_of(request.line.begin(), request.line.end(),
                                     [](char c) { return static_cast<unsigned char>(c) > 32; });
  if (lineGiven) {
    const int32_t train = FindLine(t, request.mask, request.line, true);
    if (train >= 0) {
      out.lines.push_back(train);
      if (!t.MainNumbers.Values.empty()) marks.Build(t, static_cast<uint32_t>(train));
    }
  }
  const bool fromGiven = request.wantFrom && !request.from.empty();
  const bool toGiven = request.wantTo && !request.to.empty();
  if (fromGiven) {
    if (marks.built) SpreadMarks(names, marks.from);
    FindStations(t, request.from, marks.built ? &marks.from : nullptr, request.limit, out.from);
  }
  if (toGiven) {
    if (marks.built) SpreadMarks(names, marks.to);
    FindStations(t, request.to, marks.built ? &marks.to : nullptr, request.limit, out.to);
  }
  if (!lineGiven && request.wantLines && (!out.from.empty() || !out.to.empty()) &&
      !t.MainNumbers.Values.empty()) {
    BoardWork work;
    std::vector<BoardEntry> board;
    BoardFilter filter = MakeBoardFilter(t, request.mask, 0xFFFFFFFF);
    const bool departures = !out.from.empty();
    CollectBoardExt(t, out.from.data(), static_cast<int>(out.from.size()), out.to.data(),
                    static_cast<int>(out.to.size()), departures, filter, work, board);
    std::vector<int32_t> numbers, firsts;
    for (BoardEntry const& e : board) {
      const int32_t number = LineNumberOf(t, static_cast<uint32_t>(e.train));
      if (std::find(numbers.begin(), numbers.end(), number) != numbers.end()) continue;
      numbers.push_back(number);
      firsts.push_back(static_cast<int32_t>(LineRunBegin(t, static_cast<uint32_t>(e.train))));
    }
    if (numbers.size() == 1 ||
        (DistinctNames(names, out.from) < 2 && DistinctNames(names, out.to) < 2)) {
      std::sort(firsts.begin(), firsts.end());
      out.lines = firsts;
    }
  }
  if (out.lines.size() == 1 && !marks.built && !t.MainNumbers.Values.empty())
    marks.Build(t, static_cast<uint32_t>(out.lines[0]));
  if (marks.built && out.lines.size() == 1) {
    if (request.wantFrom && request.from.empty() && out.from.empty()) {
      ProposeEnds(t, marks.from, marks.starts, request.limit, out.from);
      DropAgainst(names, out.from, out.to);
    }
    if (request.wantTo && request.to.empty() && out.to.empty()) {
      ProposeEnds(t, marks.to, marks.ends, request.limit, out.to);
      DropAgainst(names, out.to, out.from);
    }
  }
  DropRepeatedNames(names, out.from);
  DropRepeatedNames(names, out.to);
}

bool MarkStationsOnLine(TimetableRecord& t, uint32_t mask, std::string_view line,
                        std::vector<uint8_t>& out) {
  const int32_t train = FindLine(t, 0xFFFFFFFF, line, false);
  if (train < 0) return false;
  out.assign(t.StationCount, 0);
  const uint32_t end = LineRunEnd(t, static_cast<uint32_t>(train));
  for (uint32_t trip = static_cast<uint32_t>(train); trip < end; ++trip) {
    if (mask != 0xFFFFFFFF && !t.TrainTypeWords.empty() &&
        (t.TrainTypeWords[static_cast<int32_t>(trip)] & mask) == 0)
      continue;
    StopRange stops(t, trip);
    for (int32_t i = 0; i < stops.size(); ++i) out[stops.Station(i)] = 1;
  }
  return true;
}

bool FindLineDirection(TimetableRecord& t, LineSettings const& settings,
                       DirectionRequest const& request, int32_t a, int32_t b, bool reverse,
                       bool wantEnds, LineDirection& out, int* error) {
  *error = 0;
  std::vector<int32_t> const& names = NameClasses(t);
  auto same = [&](uint32_t word, int32_t station) {
    return names[WordStation(word)] == names[static_cast<size_t>(station)];
  };
  std::vector<LineDirection> directions;
  for (int pass = 1; pass <= 3; ++pass) {
    LineSettings own = settings;
    own.inclusion = 1;
    own.rare = pass == 2 ? 0 : 1;
    own.reverseOrder = reverse ? 1 : 0;
    if ((*error = CollectLineDirections(t, own, request, directions))) return false;
    if (wantEnds) MarkDirectionEnds(t, directions);
    if (reverse && directions.size() == 2 && directions[0].flag == 0) {
      std::swap(directions[0], directions[1]);
      directions[0].flag = 1;
    }
    for (LineDirection& d : directions) {
      const size_t n = d.stops.size();
      bool found = false;
      for (size_t i = 0; i + 1 < n && !found; ++i) {
        if (!same(d.stops[i], a)) continue;
        if (pass == 3) found = true;
        for (size_t j = i + 1; j < n && !found; ++j) found = same(d.stops[j], b);
      }
      for (size_t j = 1; pass == 3 && j < n && !found; ++j) found = same(d.stops[j], b);
      if (found) {
        out = std::move(d);
        return true;
      }
    }
  }
  return false;
}

}  // namespace qo
