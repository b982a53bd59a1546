#include "servicecodes/remark_control.h"

#include "calendars/train_calendar.h"
#include "stations/station_access.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr char kCodeMark = '\xA4';  // "¤" in Windows-1250
constexpr size_t kMaxCodeValue = 79;

int32_t RemarkGroup(const TimetableRecord& t, uint32_t train) {
  return t.RemarkGroups.empty() ? static_cast<int32_t>(train)
                                : t.RemarkGroups[static_cast<int32_t>(train)];
}

// The leading decimal number of a code's value (blanks and a sign allowed);
// false when it has none.
bool ReadNumber(std::string_view value, int64_t* out) {
  size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  int64_t number = 0;
  size_t digits = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9' && digits < 10; ++i, ++digits)
    number = number * 10 + (value[i] - '0');
  *out = negative ? -number : number;
  return digits > 0;
}

int32_t StationOfKey(const TimetableRecord& t, std::string_view value) {
  int64_t key = 0;
  if (!ReadNumber(value, &key) || key < INT32_MIN || key > INT32_MAX) return kRuleNoSuchStation;
  const int32_t station = SearchStationKey(t, static_cast<int32_t>(key));
  return station >= 0 ? station : kRuleNoSuchStation;
}

}  // namespace

int32_t ServiceRemarkCount(const TimetableRecord& t, uint32_t train) {
  if (t.GeneralRemarkPools.empty() || GetPoolCount(t.GeneralRemarkPools[0]) == 0) return 0;
  const int32_t group = RemarkGroup(t, train);
  if (t.RemarkListOffsets.empty()) return 1;
  // Groups were checked at load to index the offsets.
  return t.RemarkListOffsets[group + 1] - t.RemarkListOffsets[group];
}

int32_t ServiceRemarkTextIndex(const TimetableRecord& t, uint32_t train, int32_t i) {
  const int32_t group = RemarkGroup(t, train);
  if (t.RemarkListOffsets.empty()) return group;
  return t.RemarkTextIndexes[t.RemarkListOffsets[group] + i];
}

std::string_view ServiceRemarkText(const TimetableRecord& t, uint32_t train, int32_t i) {
  if (t.GeneralRemarkPools.empty()) return {};
  return PoolString(t.GeneralRemarkPools[0], ServiceRemarkTextIndex(t, train, i));
}

bool ReadServiceControl(const TimetableRecord& t, std::string_view text, ServiceControl* out) {
  *out = {};
  const size_t start = text.find("\xA4\xA4");
  if (start == std::string_view::npos) return false;
  std::string_view rest = text.substr(start + 2);
  while (rest.size() >= 2) {
    const char letter = rest[1];
    size_t end = rest.find(kCodeMark, 2);
    std::string_view value = rest.substr(2, end == std::string_view::npos ? end : end - 2);
    if (value.size() > kMaxCodeValue) value = value.substr(0, kMaxCodeValue);
    int64_t number = 0;
    switch (letter) {
      case 'O':
        out->owner = true;
        break;
      case 'C':
        if (ReadNumber(value, &number) && number >= 0 && number < 64)
          out->serviceCode = static_cast<int32_t>(number);
        break;
      case 'V':
        if (ReadNumber(value, &number) && number >= 0 && number <= INT16_MAX)
          out->dayClass = static_cast<int32_t>(number);
        break;
      case 'S':
        out->sectionBoth = StationOfKey(t, value);
        break;
      case 'F':
        out->sectionFrom = StationOfKey(t, value);
        break;
      case 'T':
        out->sectionTo = StationOfKey(t, value);
        break;
      default:
        break;
    }
    if (end == std::string_view::npos) break;
    rest = rest.substr(end);
  }
  return true;
}

bool ServiceRemarkHolds(const TimetableRecord& t, uint32_t train, const ServiceControl& control,
                           int32_t from, int32_t to, int32_t date) {
  if (control.dayClass >= 0 && date >= static_cast<int32_t>(t.FirstDay) &&
      date <= static_cast<int32_t>(t.LastDay) &&
      int64_t{date} - t.FirstDay < static_cast<int64_t>(t.RunningDayCalendar.size()) &&
      !ClassRunsOnCalendarDay(t, control.dayClass, int64_t{date} - t.FirstDay))
    return false;
  if (from < 0 && to < 0) return true;

  int32_t first = control.sectionBoth >= 0 ? control.sectionBoth : control.sectionFrom;
  int32_t last = control.sectionBoth >= 0 ? control.sectionBoth : control.sectionTo;
  if (first < 0) first = -1;  // a key of no station bounds nothing
  if (last < 0) last = -1;
  if ((first < 0 && last < 0) || (first == from && last == to)) return true;

  // Walk the route: the journey must not end before the section starts,
  // nor may the section end before the journey starts.
  bool sectionStarted = first < 0, journeyStarted = from < 0;
  const StopRange stops(t, train);
  for (int32_t i = 0; i < stops.size(); ++i) {
    const int32_t station = stops.Station(i);
    if (station == to && !sectionStarted) return false;
    if (station == first) {
      sectionStarted = true;
      if (last < 0) return true;
    }
    if (station == last && !journeyStarted) return false;
    if (station == from) journeyStarted = true;
    if (sectionStarted && journeyStarted) return true;
  }
  return false;
}

bool FindDescriptionField(std::string_view text, std::string_view name, std::string_view* value) {
  for (size_t at = text.find('{'); at != std::string_view::npos; at = text.find('{', at + 1)) {
    const size_t close = text.find('}', at + 1);
    if (close == std::string_view::npos) return false;
    if (text.substr(at + 1, close - at - 1) != name) continue;
    const size_t end = text.find('{', close + 1);
    *value = text.substr(close + 1, end == std::string_view::npos ? end : end - close - 1);
    return true;
  }
  return false;
}

}  // namespace qo
