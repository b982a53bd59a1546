#include "remarks/general_remarks.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "format/stored_bits.h"
#include "stations/station_access.h"
#include "stations/station_names.h"
#include "text/text_util.h"
#include "trains/route_walk.h"
#include "trains/running_day.h"
#include "trains/train_info.h"

namespace qo {
namespace {

constexpr std::string_view kDeparture = "(odj.";
// "pohraniční přechodový bod [" in Windows-1250.
constexpr std::string_view kBorderPoint =
    "pohrani\xE8n\xED p\xF8"
    "echodov\xFD bod [";
constexpr size_t kDepartureTimeReach = 10;
constexpr int32_t kKeysPerArea = 100000;

int32_t GroupOf(TimetableRecord const& t, uint32_t train) {
  return t.RemarkGroups.empty() ? static_cast<int32_t>(train)
                                : t.RemarkGroups[static_cast<int32_t>(train)];
}

int32_t TextIndexOf(TimetableRecord const& t, uint32_t train, int32_t i) {
  int32_t group = GroupOf(t, train);
  if (t.RemarkListOffsets.empty()) return group;
  return t.RemarkTextIndexes[t.RemarkListOffsets[group] + i];
}

int32_t StationOfKey(TimetableRecord const& t, std::string_view value) {
  std::string key(value);
  return t.StationKeys.empty() ? -1 : SearchStationKey(t, std::atoi(key.c_str()));
}

// Whether the section [first, last] of the route (stations, -1 unknown)
// shares a stretch with the journey: the two must both have begun before
// either has ended.
bool SectionMeetsJourney(TimetableRecord const& t, uint32_t train, int32_t first, int32_t last,
                         Journey const& journey) {
  bool sectionStarted = first < 0, journeyStarted = journey.From < 0;
  int verdict = -1;
  StopRange words(t, train);
  ForEachStop(words, [&](RouteStop const& stop) {
    int32_t s = stop.Station;
    if ((s == last && !journeyStarted) || (s == journey.To && !sectionStarted)) {
      verdict = 0;
      return false;
    }
    if (s == first) sectionStarted = true;
    if (s == journey.From) journeyStarted = true;
    if ((sectionStarted && journeyStarted) || (s == first && last < 0)) {
      verdict = 1;
      return false;
    }
    return true;
  });
  return verdict == 1;
}

bool ControlPartHolds(TimetableRecord const& t, uint32_t train, std::string_view control,
                      Journey const& journey) {
  if (journey.From >= 0 || journey.To >= 0) {
    std::string_view value;
    int32_t first = -1, last = -1;
    if (ControlValue(control, 'S', &value)) {
      first = last = StationOfKey(t, value);
    } else {
      if (ControlValue(control, 'F', &value)) first = StationOfKey(t, value);
      if (ControlValue(control, 'T', &value)) last = StationOfKey(t, value);
    }
    bool known = first >= 0 || last >= 0;
    bool same = first == journey.From && last == journey.To;
    if (known && !same && !SectionMeetsJourney(t, train, first, last, journey)) return false;
  }
  std::string_view value;
  if (journey.Date > 0 && static_cast<uint32_t>(journey.Date) >= t.FirstDay &&
      static_cast<uint32_t>(journey.Date) <= t.LastDay && ControlValue(control, 'V', &value)) {
    size_t day = static_cast<uint32_t>(journey.Date) - t.FirstDay;
    if (day >= t.RunningDayCalendar.size()) return false;
    RecordArray const& set = t.RunningDayCalendar[day];
    if (!ClassRunsIn(set.At(0), set.bytes(), std::atoi(std::string(value).c_str()))) return false;
  }
  return true;
}

// The minute of "(odj. H:MM)" in a remark, -1 when it names none.
int DepartureMinute(std::string_view text) {
  size_t at = text.find(kDeparture);
  if (at == std::string_view::npos) return -1;
  std::string_view rest = text.substr(at + kDeparture.size(), kDepartureTimeReach);
  size_t close = rest.find(')');
  if (close == std::string_view::npos) return -1;
  rest = rest.substr(0, close);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  int hours = 0, minutes = 0, digits = 0;
  size_t i = 0;
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && digits < 2; ++i, ++digits)
    hours = hours * 10 + (rest[i] - '0');
  if (digits == 0 || i + 3 != rest.size() || rest[i] != ':') return -1;
  for (++i; i < rest.size(); ++i) {
    if (rest[i] < '0' || rest[i] > '9') return -1;
    minutes = minutes * 10 + (rest[i] - '0');
  }
  if (hours > 24 || minutes > 59) return -1;
  return (hours * 60 + minutes) % 1440;
}

// A remark about a departure at a stop holds for journeys that were already
// aboard when the train left there: -1 when no stop of the route has the
// time (the remark is not about this route), else 0 or 1.
int DepartureRuleHolds(TimetableRecord const& t, uint32_t train, int minute,
                       Journey const& journey) {
  bool started = journey.From < 0;
  int verdict = -1;
  StopRange words(t, train);
  ForEachStop(words, [&](RouteStop const& stop) {
    if (stop.Station == journey.To) {
      verdict = 0;
      return false;
    }
    for (int32_t w = stop.FirstWord; w <= stop.LastWord; ++w) {
      if (words.Minute(w) % 1440 != minute) continue;
      verdict = started ? 1 : 0;
      return false;
    }
    if (stop.Station == journey.From) started = true;
    return true;
  });
  return verdict;
}

// A border-crossing remark holds for journeys whose stops lie in more than
// one area (station key / 100000).
bool CrossesAreas(TimetableRecord const& t, uint32_t train, Journey const& journey) {
  if (t.StationKeys.empty()) return false;
  bool inside = journey.From < 0;
  std::set<int32_t> areas;
  StopRange words(t, train);
  ForEachStop(words, [&](RouteStop const& stop) {
    if (stop.Station == journey.From) inside = true;
    if (inside) areas.insert(t.StationKeys[stop.Station] / kKeysPerArea);
    return !(inside && stop.Station == journey.To);
  });
  return areas.size() > 1;
}

bool PlainRemarkHolds(TimetableRecord const& t, uint32_t train, std::string_view text,
                      Journey const& journey) {
  if (journey.From < 0 && journey.To < 0) return true;
  if (t.Kind != kKindRail) return true;
  int minute = DepartureMinute(text);
  if (minute >= 0) {
    int verdict = DepartureRuleHolds(t, train, minute, journey);
    if (verdict >= 0) return verdict == 1;
  }
  if (text.find(kBorderPoint) != std::string_view::npos) return CrossesAreas(t, train, journey);
  return true;
}

}  // namespace

bool HasGeneralRemarks(TimetableRecord const& t) {
  return !t.GeneralRemarkPools.empty() && GetPoolCount(t.GeneralRemarkPools[0]) != 0;
}

int32_t CountGeneralRemarks(TimetableRecord const& t, uint32_t train) {
  if (!HasGeneralRemarks(t)) return 0;
  if (t.RemarkListOffsets.empty()) return 1;
  int32_t group = GroupOf(t, train);
  return t.RemarkListOffsets[group + 1] - t.RemarkListOffsets[group];
}

bool SameGeneralRemarks(TimetableRecord const& t, uint32_t a, uint32_t b) {
  if (GroupOf(t, a) == GroupOf(t, b)) return true;
  const int32_t n = CountGeneralRemarks(t, a);
  if (n != CountGeneralRemarks(t, b)) return false;
  for (int32_t i = 0; i < n; ++i)
    if (GeneralRemarkText(t, 0, a, i) != GeneralRemarkText(t, 0, b, i)) return false;
  return true;
}

std::string_view GeneralRemarkText(TimetableRecord const& t, int language, uint32_t train,
                                   int32_t i) {
  StringPool const* pool = PoolOfLanguage(t.GeneralRemarkPools, language);
  return pool ? PoolString(*pool, TextIndexOf(t, train, i)) : std::string_view();
}

bool ControlValue(std::string_view control, char letter, std::string_view* value) {
  for (size_t at = control.find(kControlMark); at != std::string_view::npos;
       at = control.find(kControlMark, at + 1)) {
    if (at + 1 >= control.size() || control[at + 1] != letter) continue;
    std::string_view rest = control.substr(at + 2);
    *value = rest.substr(0, std::min(rest.find(kControlMark), kMaxControlValue));
    return true;
  }
  return false;
}

RemarkParts SplitRemark(std::string_view text, bool process) {
  RemarkParts parts;
  size_t control = text.find(kControlStart);
  parts.Visible = text.substr(0, control);
  if (control != std::string_view::npos) {
    parts.HasControl = true;
    parts.Control = text.substr(control + kControlStart.size());
  }
  if (!process) return parts;
  std::string_view& visible = parts.Visible;
  if (!visible.empty() && visible.front() == '$') {
    parts.Flag = true;
    visible.remove_prefix(1);
  }
  if (!visible.empty() && visible.front() == '{') {
    size_t close = visible.find('}');
    if (close != std::string_view::npos && close <= 3) {
      parts.Code = visible.substr(1, close - 1);
      visible.remove_prefix(close + 1);
    }
  }
  return parts;
}

bool GeneralRemarkHolds(TimetableRecord const& t, int language, uint32_t train, int32_t i,
                        Journey const& journey, int flags, RemarkParts* parts) {
  std::string_view text = GeneralRemarkText(t, language, train, i);
  if (text.empty()) return false;
  *parts = SplitRemark(text, true);
  std::string_view owner;
  bool ownerRemark = parts->HasControl && ControlValue(parts->Control, 'O', &owner);
  if (ownerRemark != ((flags & kOwnerRemarks) != 0)) return false;
  if (parts->HasControl) return ControlPartHolds(t, train, parts->Control, journey);
  return PlainRemarkHolds(t, train, parts->Visible, journey);
}

void RemarkDisplayText(TimetableRecord const& t, std::string_view visible, std::string& out) {
  // The client's marker pairs frame each code as it frames the day remarks:
  // a symbol in the second pair, a code shown as itself in the first.
  ExpandBracketRefs(t, visible,
                    CodeMarkers{OpenMarker(0), CloseMarker(0), OpenMarker(1), CloseMarker(1)}, out);
}

bool HasLineRemarks(TimetableRecord const& t) {
  if (t.GeneralRemarkPools.empty()) return false;
  StringPool const& pool = t.GeneralRemarkPools[0];
  for (int32_t i = 0, n = GetPoolCount(pool); i < n; ++i)
    if (PoolString(pool, i).find("{L}") != std::string_view::npos) return true;
  return false;
}

}  // namespace qo
