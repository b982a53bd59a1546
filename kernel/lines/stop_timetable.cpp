#include "lines/stop_timetable.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "boards/board_core.h"
#include "calendars/train_calendar.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "lines/line_directions.h"
#include "lines/route_difference.h"
#include "remarks/general_remarks.h"
#include "remarks/station_remarks.h"
#include "servicecodes/service_codes.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int32_t kLeftOutKeyBlock = 1193;  // stations of area-2 timetables a variant ignores

using Entry = StopTimetableWork::Entry;
using Variant = StopTimetableWork::Variant;

bool CarriesRole(TimetableRecord const& t, uint64_t set, bool hasSet, int role) {
  const int32_t code = RoleCode(t, role);
  return hasSet && code >= 0 && code < 64 && (set >> code & 1);
}

// The trip's row of the through-running table.
void ThroughRunning(TimetableRecord const& t, uint32_t trip, int32_t* station, int32_t* line) {
  *station = -1;
  *line = 0;
  ImageArray<int32_t> const& trips = t.ThroughTrips;
  int32_t lo = 0, hi = std::min(trips.size(), t.ThroughRows.size());
  while (lo < hi) {
    const int32_t mid = (lo + hi) / 2;
    if (trips[mid] < static_cast<int32_t>(trip))
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < std::min(trips.size(), t.ThroughRows.size()) &&
      trips[lo] == static_cast<int32_t>(trip)) {
    *station = t.ThroughRows.Field<uint16_t>(lo, 0);
    *line = t.ThroughRows.Field<int32_t>(lo, 2);
  }
}

// A remark code with a leading control character dropped; empty
// for codes a stop timetable does not show (control bits 0x01 and `skip`).
std::string_view ShownCode(std::string_view code, uint8_t skip) {
  if (!code.empty() && static_cast<uint8_t>(code[0]) < 32) {
    if (static_cast<uint8_t>(code[0]) & (0x01 | skip)) return {};
    code.remove_prefix(1);
  }
  return code;
}

struct Builder {
  TimetableRecord& t;
  LineSettings const& settings;
  StopTimetableRequest const& q;
  StopTimetableWork& w;
  ValidityTrace& trace;
  StopTimetable& out;
  std::vector<int32_t> const& names;
  DayRange range;
  int32_t P = 0, prev = -1;
  bool pRepeats = false;
  bool variantsOn = false;
  std::vector<uint16_t> rest, restWithout;  // the direction from the stop on, collapsed
  bool allRole1 = true;
  int32_t firstAccepted = -1;

  bool Same(int32_t a, int32_t b) const {
    return names[static_cast<size_t>(a)] == names[static_cast<size_t>(b)];
  }
  int32_t Station(int32_t i) const { return WordStation(w.stops[static_cast<size_t>(i)]); }
  uint16_t Time(int32_t i) const { return WordTime(w.stops[static_cast<size_t>(i)]); }
  int32_t R(int32_t i) const { return q.stations[q.stop + i]; }
  int32_t RCount() const { return q.count - q.stop; }

  void MarkNames() {
    w.nameMarks.assign(t.StationCount, 0);
    std::vector<int32_t>& mark = w.nameMarks;
    for (int32_t i = 0; i < q.count; ++i)
      for (int32_t j = 0; j < q.count; ++j)
        if (Same(q.stations[i], q.stations[j])) ++mark[static_cast<size_t>(q.stations[i])];
    auto at = [&](int32_t i) -> int32_t& { return mark[static_cast<size_t>(q.stations[i])]; };
    for (bool changed = true; changed;) {
      changed = false;
      for (int32_t i = 1; i + 1 < q.count; ++i)
        if (at(i) == 1 && at(i - 1) >= 2 && at(i + 1) >= 2) {
          at(i) = 3;
          changed = true;
        }
    }
    if (mark[static_cast<size_t>(P)] >= 2)
      for (uint32_t s = 0; s < t.StationCount; ++s) {
        if (mark[s] != 0) continue;
        for (int32_t i = 0; i < q.count; ++i)
          if (at(i) == 1 && Same(static_cast<int32_t>(s), q.stations[i])) {
            mark[s] = 1;
            break;
          }
      }
  }

  bool InDirectionBefore(int32_t station) const {
    for (int32_t i = 0; i < q.stop; ++i)
      if (q.stations[i] == station) return true;
    return false;
  }
  bool InRestAfterStop(int32_t station) const {
    for (int32_t i = 1; i < RCount(); ++i)
      if (R(i) == station) return true;
    return false;
  }

  // The repeated-name test: the trip comes from the direction's part
  // before the stop and goes on along the part after it.
  bool PassesRepeatedName(int32_t k) const {
    const int32_t n = static_cast<int32_t>(w.stops.size());
    auto marked = [&](int32_t i) { return w.nameMarks[static_cast<size_t>(Station(i))] == 1; };
    for (int32_t i = k - 1; i >= 0; --i)
      if (marked(i)) {
        if (!InDirectionBefore(Station(i))) return false;
        break;
      }
    if (Station(k + 1) == R(1)) return true;
    for (int32_t i = k + 1; i < n; ++i)
      if (marked(i)) return InRestAfterStop(Station(i));
    return true;
  }

  bool GoesThisWay(int32_t k) const {
    const int32_t n = static_cast<int32_t>(w.stops.size());
    if (Station(k + 1) == P && !LaterWordIsOwnStop(t, Time(k + 1))) return false;
    if (prev >= 0) {
      if (k > 0 && Station(k - 1) == prev) return true;
      const int32_t v = Station(k + 1);
      for (int32_t i = 1; i < RCount(); ++i) {
        if (R(i) == v) return true;
        if (R(i) == P) return false;
      }
      return false;
    }
    for (int32_t ahead = k + 1; ahead < n && ahead <= k + 5; ++ahead)
      for (int32_t i = 1; i < RCount(); ++i)
        if (Same(R(i), Station(ahead))) return true;
    return false;
  }

  bool Runs(uint32_t trip, int32_t offset) {
    if (q.year != 0)
      return TripRunsInRange(t, range.from - offset, range.to - offset, trip, range.requestDate,
                             range.weekMode2, false, false, &trace);
    bool runs = false;
    TrainRunsOnDayType(t, trip, q.day, q.month, -1, true, offset, &runs);
    return runs;
  }

  // The trip's stations from stop k to its end, repeats collapsed; false
  // when they do not fit a variant.
  bool TripRest(int32_t k) {
    w.tripStations.clear();
    const int32_t n = static_cast<int32_t>(w.stops.size());
    if (n > kMaxVariantStations) return false;
    for (int32_t i = k; i < n; ++i)
      if (w.tripStations.empty() || w.tripStations.back() != Station(i))
        w.tripStations.push_back(static_cast<uint16_t>(Station(i)));
    return true;
  }

  // The variant the trip's route makes (-1 none); `create` adds a new one.
  int32_t FindVariant(uint32_t trip, int32_t k, bool create) {
    if (!variantsOn || !TripRest(k)) return -1;
    int32_t station, line;
    ThroughRunning(t, trip, &station, &line);
    if (station < 0 && (w.tripStations == rest || w.tripStations == restWithout)) return -1;
    for (int32_t v = static_cast<int32_t>(w.variants.size()) - 1; v >= 0; --v) {
      Variant const& x = w.variants[static_cast<size_t>(v)];
      if (x.stations == w.tripStations && x.throughStation == station && x.throughLine == line)
        return v;
    }
    if (static_cast<int>(w.variants.size()) >= kMaxRouteVariants) return -1;
    if (!create) return -2;  // would be new
    w.variants.push_back({w.tripStations, station, line, -1});
    return static_cast<int32_t>(w.variants.size()) - 1;
  }

  void TakeTrip(uint32_t trip) {
    StopList list = DecodeTrainStops(t, trip);
    w.stops.resize(static_cast<size_t>(list.count));
    for (int32_t i = 0; i < list.count; ++i) w.stops[static_cast<size_t>(i)] = list.Word(i);
    const int32_t n = list.count;
    int32_t offset = 0;
    for (int32_t k = 0; k + 1 < n; ++k) {
      if (k > 0 && !range.weekMode2)
        offset += GetStopDayStep(t, Time(k - 1), static_cast<uint16_t>(Station(k - 1)), Time(k),
                                 static_cast<uint16_t>(Station(k)));
      const bool atStop = Station(k) == P || (Same(Station(k), P) && Station(k + 1) == R(1));
      if (!atStop || Station(k + 1) == P) {
        if (!(atStop && LaterWordIsOwnStop(t, Time(k + 1)))) continue;
      }
      if (pRepeats && !PassesRepeatedName(k)) continue;
      if (!GoesThisWay(k)) continue;
      if (!Runs(trip, offset)) continue;
      Accept(trip, k, offset);
      return;
    }
  }

  void Accept(uint32_t trip, int32_t k, int32_t offset) {
    uint64_t set = 0;
    const bool hasSet = TrainCodeSet(t, trip, &set);
    allRole1 = allRole1 && CarriesRole(t, set, hasSet, 1);
    const int32_t service = allRole1 || CarriesRole(t, set, hasSet, 2) ? 1
                            : CarriesRole(t, set, hasSet, 4)           ? 2
                                                                       : 0;
    if (firstAccepted < 0) firstAccepted = static_cast<int32_t>(trip);
    const uint16_t time = Time(k);
    const int32_t wouldBe = FindVariant(trip, k, false);
    for (Entry& e : w.entries) {
      if (WordTime(e.word) != time || e.service != service) continue;
      if (q.week && !CompatibleValidity(t, static_cast<uint32_t>(e.trip), trip)) continue;
      if (e.variant >= 0) return;
      if (wouldBe != -1) {
        e = {static_cast<int32_t>(trip),
             w.stops[static_cast<size_t>(k)],
             offset,
             service,
             FindVariant(trip, k, true),
             Station(k)};
        return;
      }
      break;
    }
    w.entries.push_back({static_cast<int32_t>(trip), w.stops[static_cast<size_t>(k)], offset,
                         service, wouldBe == -1 ? -1 : FindVariant(trip, k, true), Station(k)});
  }

  int ServiceKind() {
    if (allRole1) return 1;
    bool one = false, two = false, zero = false;
    for (Entry const& e : w.entries) {
      one |= e.service == 1;
      two |= e.service == 2;
      zero |= e.service == 0;
    }
    if (!one && !two) return 0;
    if (!one) return 4;
    return zero ? 2 : 3;
  }

  bool Belongs(Entry const& e, int32_t day, int32_t request, bool kind, bool shift) const {
    const int32_t d = shift ? day - e.dayOffset : day;
    return TripRunsInRange(t, d, d, static_cast<uint32_t>(e.trip), request, range.weekMode2, true,
                           kind, &trace);
  }

  bool SameEntries(std::vector<uint8_t> const& a, std::vector<uint8_t> const& b) const {
    std::vector<Entry const*> x, y;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i]) x.push_back(&w.entries[i]);
    for (size_t i = 0; i < b.size(); ++i)
      if (b[i]) y.push_back(&w.entries[i]);
    if (x.size() != y.size()) return false;
    for (size_t i = 0; i < x.size(); ++i) {
      if ((WordTime(x[i]->word) & kStopMinuteMask) != (WordTime(y[i]->word) & kStopMinuteMask) ||
          (WordTime(x[i]->word) & kStopHasNotes) != (WordTime(y[i]->word) & kStopHasNotes) ||
          x[i]->service != y[i]->service || x[i]->variant != y[i]->variant)
        return false;
    }
    return true;
  }

  // Per group the entries it lists.
  void MakeGroups(std::vector<std::vector<uint8_t>>& members) {
    const size_t n = w.entries.size();
    if (!q.week || q.year == 0) {
      out.groups.emplace_back();
      members.emplace_back(n, 1);
      return;
    }
    struct Sweep {
      int weekday;
      bool kind;
    };
    std::vector<Sweep> sweeps;
    for (int j = 0; j < 7; ++j) sweeps.push_back({j, false});
    if (HasLineValidity(t))
      for (int j = 0; j < 5; ++j) sweeps.push_back({j, true});
    std::vector<uint8_t>& day = w.dayEntries;
    for (Sweep const& s : sweeps) {
      int32_t date = range.from + s.weekday;
      if (settings.weekMode == 1)
        for (int32_t d = range.from; d <= range.to; ++d)
          if (WeekdayBitOf(d) == s.weekday) date = d;
      day.assign(n, 0);
      bool any = false;
      for (size_t i = 0; i < n; ++i)
        any |= (day[i] = Belongs(w.entries[i], date, range.requestDate, s.kind, true)) != 0;
      if (!any && range.weekMode2 && range.requestDate < date)
        for (size_t i = 0; i < n; ++i)
          any |= (day[i] = Belongs(w.entries[i], date, date, s.kind, false)) != 0;
      if (!any) continue;
      const uint8_t bit = static_cast<uint8_t>(1u << s.weekday);
      const uint8_t before = static_cast<uint8_t>(s.weekday == 0 ? 1 : 1u << (s.weekday - 1));
      if (!out.groups.empty() && (out.groups.back().days & before) &&
          SameEntries(members.back(), day)) {
        out.groups.back().days |= bit;
        continue;
      }
      out.groups.emplace_back();
      out.groups.back().days = static_cast<uint8_t>(bit | (s.kind ? 0x80 : 0));
      members.push_back(day);
    }
  }

  int32_t AddLegend(std::string code, std::string text) {
    out.legendCodes.push_back(std::move(code));
    out.legendTexts.push_back(std::move(text));
    return static_cast<int32_t>(out.legendCodes.size()) - 1;
  }

  void VariantLegend() {
    std::string text;
    for (Variant& v : w.variants) {
      BuildRouteDifferenceText(t, q.language, q.stations + q.stop, RCount(), v.stations.data(),
                               static_cast<int32_t>(v.stations.size()), v.throughStation,
                               v.throughLine, text);
      if (text.empty()) continue;
      auto same = std::find(out.legendTexts.begin(), out.legendTexts.end(), text);
      if (same != out.legendTexts.end()) {
        v.legend = static_cast<int32_t>(same - out.legendTexts.begin());
        continue;
      }
      const size_t position = out.legendCodes.size();
      v.legend = AddLegend(std::string(1, static_cast<char>('A' + position)), text);
    }
  }

  // The mark of an entry without variants: its first shown stop remark.
  void RemarkMark(Entry const& e, char* marks) {
    StationRemark remark;
    for (int32_t n = 0; FindStationRemark(t, static_cast<uint32_t>(e.trip),
                                          static_cast<uint16_t>(e.station), n, &remark);
         ++n) {
      std::string_view code = ShownCode(remark.Code, 0x08);
      if (code.empty() || static_cast<unsigned char>(code[0]) == q.remarkLetter) continue;
      code = code.substr(0, 6);
      std::memcpy(marks, code.data(), code.size());
      marks[code.size()] = 0;
      if (std::find(out.legendCodes.begin(), out.legendCodes.end(), code) ==
          out.legendCodes.end()) {
        std::string_view text = StationRemarkText(t, q.language, remark.Text);
        if (!text.empty()) AddLegend(std::string(code), std::string(text));
      }
      return;
    }
  }

  void Records(std::vector<std::vector<uint8_t>> const& members) {
    for (size_t g = 0; g < out.groups.size(); ++g) {
      StopTimetableGroup& group = out.groups[g];
      for (size_t i = 0; i < w.entries.size(); ++i) {
        if (!members[g][i]) continue;
        Entry const& e = w.entries[i];
        const int minute = (WordTime(e.word) & kStopMinuteMask) % 1440;
        ZjrRecord r{e.trip, minute % 60, {}, static_cast<uint8_t>(allRole1 ? 0 : e.service)};
        if (variantsOn) {
          if (e.variant >= 0) {
            const int32_t legend = w.variants[static_cast<size_t>(e.variant)].legend;
            if (legend >= 0) {
              std::string const& code = out.legendCodes[static_cast<size_t>(legend)];
              std::memcpy(r.marks, code.data(), std::min<size_t>(code.size(), 6));
            }
          }
        } else if (WordTime(e.word) & kStopHasNotes) {
          RemarkMark(e, r.marks);
        }
        std::vector<ZjrRecord>& hour = group.hours[static_cast<size_t>(minute / 60)];
        if (!hour.empty() && hour.back().minute == r.minute &&
            std::strcmp(hour.back().marks, r.marks) == 0 && hour.back().service == r.service)
          continue;
        hour.push_back(r);
      }
      for (size_t h = 0; h < 24; ++h)
        group.hourCounts[h] = static_cast<int32_t>(group.hours[h].size());
    }
  }

  void LineRemarks() {
    if (!variantsOn || firstAccepted < 0) return;
    const uint32_t trip = static_cast<uint32_t>(firstAccepted);
    const int32_t n = CountGeneralRemarks(t, trip);
    for (int32_t i = 0; i < n; ++i) {
      RemarkParts parts = SplitRemark(GeneralRemarkText(t, q.language, trip, i), true);
      if (parts.Code == "L" && !parts.Visible.empty()) AddLegend({}, std::string(parts.Visible));
    }
  }

  int Build() {
    if (int error = MakeDayRange(t, settings, q.day, q.month, q.year, q.week, &range)) return error;
    if (t.MainNumbers.Values.empty() || q.stop == q.count - 1) return 0;
    P = q.stations[q.stop];
    if (q.stop > 0 && q.stations[q.stop - 1] != P) prev = q.stations[q.stop - 1];
    variantsOn = !t.CityRemarkFlag && RCount() <= kMaxVariantStations;
    MarkNames();
    pRepeats = w.nameMarks[static_cast<size_t>(P)] >= 2;
    if (variantsOn) {
      for (int32_t i = 0; i < RCount(); ++i) {
        const uint16_t s = static_cast<uint16_t>(R(i));
        if (rest.empty() || rest.back() != s) rest.push_back(s);
        const bool leftOut =
            t.Area == 2 && !t.StationKeys.empty() && t.StationKeys[s] / 10000 == kLeftOutKeyBlock;
        if (!leftOut && (restWithout.empty() || restWithout.back() != s)) restWithout.push_back(s);
      }
    }
    const uint32_t end = LineRunEnd(t, q.train);
    for (uint32_t trip = LineRunBegin(t, q.train); trip < end; ++trip)
      if (TripInsideMask(t, trip, q.mask)) TakeTrip(trip);
    if (w.entries.empty()) return 0;
    std::stable_sort(w.entries.begin(), w.entries.end(), [](Entry const& a, Entry const& b) {
      const int ma = WordTime(a.word) & kStopMinuteMask, mb = WordTime(b.word) & kStopMinuteMask;
      return ma != mb ? ma < mb : a.trip < b.trip;
    });
    out.serviceKind = ServiceKind();
    for (Entry& e : w.entries)
      if (out.serviceKind == 1 || out.serviceKind == 3 || (out.serviceKind == 2 && e.service == 2))
        e.service = 0;
    std::vector<std::vector<uint8_t>> members;
    MakeGroups(members);
    if (variantsOn) VariantLegend();
    Records(members);
    LineRemarks();
    return 0;
  }
};

}  // namespace

int BuildStopTimetable(TimetableRecord& t, LineSettings const& settings,
                       StopTimetableRequest const& request, StopTimetableWork& work,
                       ValidityTrace& trace, StopTimetable& out) {
  out.groups.clear();
  out.legendCodes.clear();
  out.legendTexts.clear();
  out.serviceKind = 0;
  trace.Clear();
  work.entries.clear();
  work.variants.clear();
  if (!request.stations || request.stop < 0 || request.stop >= request.count)
    return ErrIndexOutOfRange;
  for (int32_t i = 0; i < request.count; ++i)
    if (request.stations[i] < 0 || static_cast<uint32_t>(request.stations[i]) >= t.StationCount)
      return ErrStationIndex;
  Builder b{t, settings, request, work,  trace, out, NameClasses(t), {},
            0, -1,       false,   false, {},    {},  true,           -1};
  return b.Build();
}

bool StopTimetableLimits(ValidityTrace& trace, int32_t* from, int32_t* until) {
  *from = 0;
  *until = trace.lastDay;
  if (!trace.firstDays.empty()) {
    const int32_t latest = *std::max_element(trace.firstDays.begin(), trace.firstDays.end());
    for (int32_t day : trace.firstDays)
      if (latest - day < 7 && (*from == 0 || day < *from)) *from = day;
  }
  if (*until != 0 && *until < *from) {
    *from = *until = 0;
    trace.lastDay = 0;
  }
  return *from != 0;
}

}  // namespace qo
