// Calendar exports: whether a train runs on a date or a day type, its day
// offset at a station, the variant of its group that runs, its running days,
// the days-off table and the train pairs.
#include <cstdint>
#include <cstring>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "calendars/train_calendar.h"
#include "calendars/train_groups.h"
#include "core/counted_array.h"
#include "dates/day_number.h"
#include "load/timetable_record.h"
#include "calendars/day_type_calendars.h"

using namespace qo;

namespace {

// The timetable and train rules (errors 3 and 6); null when either fails.
TimetableRecord* CheckTrain(int timetable, int train) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  return t && api::CheckTrain(*t, train) ? t : nullptr;
}

// -1 stands for the train's first stop; any other station outside the
// station range is error 4.
constexpr int kFirstStop = -1;

bool CheckStationOrFirst(TimetableRecord const& t, int station) {
  return station == kFirstStop || api::CheckStation(t, station);
}

int Runs(int timetable, int train, RunDay const& when, int station, int departure) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t || !CheckStationOrFirst(*t, station)) return 0;
    bool runs = false;
    if (int error =
            TrainRunsOn(*t, static_cast<uint32_t>(train), when, station, departure != 0, &runs))
      SetKernelError(error);
    return runs ? 1 : 0;
  });
}

// A byte array handed out with its counted-array header.
unsigned char const* HandOut(std::vector<uint8_t> const& bytes, OwnedArray& array) {
  array.reset();
  if (bytes.empty()) return nullptr;
  AllocArrayRaw(array.address(), static_cast<int32_t>(bytes.size()), 1);
  std::memcpy(array.get(), bytes.data(), bytes.size());
  return array.get();
}

}  // namespace

extern "C" {

QO_API int QoTrainCycle(int timetable, int train, int station, int departure) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    if (!api::CheckStation(*t, station)) return 0;
    return TrainDayOffsetAt(*t, static_cast<uint32_t>(train), static_cast<uint16_t>(station),
                            departure != 0);
  });
}

QO_API int QoTrainRuns(int timetable, int train, int day, int month, int year, int station,
                       int departure) {
  // A year of 0 is no date here, never a day type.
  if (year == 0) year = -1;
  return Runs(timetable, train, RunDay{day, month, year}, station, departure);
}

QO_API int QoTrainRuns2(int timetable, int train, int day_type, int weekday_mask, int station,
                        int departure) {
  return Runs(timetable, train, RunDay{day_type, weekday_mask, 0}, station, departure);
}

QO_API int QoTrainRunsExt(int timetable, int train, int day, int month, int year, int station,
                          int departure) {
  return Runs(timetable, train, RunDay{day, month, year}, station, departure);
}

QO_API int QoTrainRunsExcl(int timetable, int train, int day, int month, int year, int station,
                           int departure, int* variant) {
  if (variant) *variant = -1;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t || !CheckStationOrFirst(*t, station)) return 0;
    bool runs = false;
    int32_t other = -1;
    if (int error = TrainRunsExclusively(*t, static_cast<uint32_t>(train), RunDay{day, month, year},
                                         station, departure != 0, &runs, &other))
      SetKernelError(error);
    if (variant) *variant = other;
    return runs ? 1 : 0;
  });
}

QO_API int QoMapTrainDate(int timetable, int train, int station, int day, int month, int year,
                          int departure) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return -1;
    if (!CheckStationOrFirst(*t, station)) return train;
    const DayNumber date = DmyToDay(year, month, day);
    if (date == kNoDate) {
      SetKernelError(ErrDate);
      return train;
    }
    uint32_t chosen = static_cast<uint32_t>(train);
    if (int error = MapTrainToDate(*t, static_cast<uint32_t>(train), station, date, departure != 0,
                                   &chosen))
      SetKernelError(error);
    return static_cast<int>(chosen);
  });
}

QO_API int QoTrainRunsAlways(int timetable, int train) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    return t && TrainRunsEveryDay(*t, static_cast<uint32_t>(train)) ? 1 : 0;
  });
}

QO_API unsigned char const* QoTrainRunsFlags(int timetable, int train) {
  static std::vector<uint8_t> days;
  static OwnedArray array;
  return api::Export<unsigned char const*>(nullptr, [&]() -> unsigned char const* {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return nullptr;
    TrainRunningDays(*t, static_cast<uint32_t>(train), days);
    return HandOut(days, array);
  });
}

QO_API int QoGetHolidays(int timetable, int* first_day, unsigned char const** table) {
  if (first_day) *first_day = 0;
  if (table) *table = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    const DaysOffTable daysOff = EnsureDaysOffTable(*t);
    if (first_day) *first_day = static_cast<int>(t->FirstDay);
    if (table) *table = daysOff.days;
    return static_cast<int>(daysOff.count);
  });
}

QO_API int QoMapTrain(int timetable, int train, int const** trains) {
  static std::vector<int32_t> paired;
  if (trains) *trains = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckTrain(timetable, train);
    if (!t) return 0;
    PairedTrains(*t, static_cast<uint32_t>(train), paired);
    if (trains && !paired.empty()) *trains = paired.data();
    return static_cast<int>(paired.size());
  });
}

}  // extern "C"
