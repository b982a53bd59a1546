// The trains that run over given arcs, for clients that show the traffic
// over a section of line.
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "map/trains_on_arcs.h"

using namespace qo;

extern "C" {

QO_API int QoTrainsOnArcs(int timetable, int const* from_keys, int const* to_keys, int count,
                          int skip_foreign, int start_day, int start_minute, int end_day,
                          int end_minute, unsigned int all_mask, unsigned int some_mask,
                          int const** trains, int const** stations) {
  static ArcTrainWork work;
  static std::vector<int32_t> trainOut, stationOut;
  if (trains) *trains = nullptr;
  if (stations) *stations = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    ArcTrainQuery query;
    query.fromKeys = from_keys;
    query.toKeys = to_keys;
    query.arcCount = count;
    query.skipForeign = skip_foreign != 0;
    query.startDay = start_day;
    query.startMinute = start_minute;
    query.endDay = end_day;
    query.endMinute = end_minute;
    query.allBits = all_mask;
    query.someBits = some_mask;
    TrainsOnArcs(*t, query, work, trainOut, stationOut);
    if (trainOut.empty()) return 0;
    if (trains) *trains = trainOut.data();
    if (stations) *stations = stationOut.data();
    return static_cast<int>(trainOut.size());
  });
}

}  // extern "C"
