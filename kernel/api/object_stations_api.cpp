// The stations of a place across the loaded timetables.
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "search/object_stations.h"

using namespace qo;

extern "C" {

QO_API int QoObjectStations(int timetable, int list, int item, int const* selection,
                            int const** timetables, int const** stations, int const** minutes) {
  static std::vector<PlaceStation> found;
  static std::vector<int> timetableOut, stationOut, minuteOut;
  if (timetables) *timetables = nullptr;
  if (stations) *stations = nullptr;
  if (minutes) *minutes = nullptr;
  return api::GuardedExport<int>(0, [&] {
    if (int error = ObjectStations(timetable, list, item, selection, found)) {
      SetKernelError(error);
      return 0;
    }
    timetableOut.resize(found.size());
    stationOut.resize(found.size());
    minuteOut.resize(found.size());
    for (size_t i = 0; i < found.size(); ++i) {
      timetableOut[i] = found[i].timetable;
      stationOut[i] = found[i].station;
      minuteOut[i] = found[i].minutes;
    }
    if (found.empty()) return 0;
    if (timetables) *timetables = timetableOut.data();
    if (stations) *stations = stationOut.data();
    if (minutes) *minutes = minuteOut.data();
    return static_cast<int>(found.size());
  });
}

}  // extern "C"
