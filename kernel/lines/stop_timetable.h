#pragma once
// The stop timetable of one direction of a line at one stop: the departure
// minutes by hour, one block per group of days with the same departures,
// with the letters of departures that run another route or carry a stop
// remark, the service mark (a low-floor vehicle) and the legend.
//
// Cores fill caller-owned containers and return 0 or a kernel error code;
// they never set the last error.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lines/line_validity.h"
#include "load/timetable_record.h"

namespace qo {

// One departure as it crosses the interface.
struct ZjrRecord {
  int32_t train;
  int32_t minute;  // within the hour
  char marks[7];   // NUL-terminated
  uint8_t service;
};
static_assert(sizeof(ZjrRecord) == 16);

inline constexpr int kMaxRouteVariants = 15;
inline constexpr int kMaxVariantStations = 300;

struct StopTimetableRequest {
  uint32_t mask = 0xFFFFFFFF;
  uint32_t train = 0;  // any trip of the line
  int language = 0;
  int day = 0, month = 0, year = 0;  // year 0: day type and weekday mask
  bool week = false;
  int32_t const* stations = nullptr;  // the direction
  int32_t count = 0;
  int32_t stop = 0;      // position of the stop in the direction
  int remarkLetter = 0;  // the stop's common remark, not repeated on departures
};

struct StopTimetableGroup {
  uint8_t days = 0;  // bits 0-6 Monday to Sunday, 0x80 the second kind of working days
  std::array<int32_t, 24> hourCounts{};
  std::array<std::vector<ZjrRecord>, 24> hours;
};

struct StopTimetable {
  std::vector<StopTimetableGroup> groups;
  std::vector<std::string> legendCodes, legendTexts;  // kernel text
  int serviceKind = 0;
};

// Working storage a stop timetable reuses from call to call.
struct StopTimetableWork {
  struct Entry {
    int32_t trip;
    uint32_t word;  // stop word at the stop
    int32_t dayOffset;
    int32_t service;
    int32_t variant;  // -1 none
    int32_t station;
  };
  struct Variant {
    std::vector<uint16_t> stations;
    int32_t throughStation = -1;
    int32_t throughLine = 0;
    int32_t legend = -1;
  };
  std::vector<Entry> entries;
  std::vector<Variant> variants;
  std::vector<int32_t> nameMarks;
  std::vector<uint32_t> stops;
  std::vector<uint16_t> tripStations;
  std::vector<uint8_t> dayEntries;
};

// Builds the stop timetable. ErrDate for a date that does not convert;
// ErrIndexOutOfRange for a stop outside the direction and ErrStationIndex
// for a direction station outside the timetable. A stop that ends the
// direction, a timetable without numbers, or no departure give no groups.
// The validity records that let departures run go to `trace`.
int BuildStopTimetable(TimetableRecord& t, LineSettings const& settings,
                       StopTimetableRequest const& request, StopTimetableWork& work,
                       ValidityTrace& trace, StopTimetable& out);

// The validity interval of the last stop timetable from its trace; true
// when it has a first day. May clear the trace's last day.
bool StopTimetableLimits(ValidityTrace& trace, int32_t* from, int32_t* until);

}  // namespace qo
