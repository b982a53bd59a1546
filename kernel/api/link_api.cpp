// Link exports: walking links inside a timetable, links to other loaded
// timetables, the minutes of a change between two stations and the default
// minimal change times.
#include <cstdint>

#include "Qo.h"
#include "api/export_support.h"
#include "links/station_links.h"
#include "load/timetable_record.h"

using namespace qo;

namespace {

// The timetable and station rules (errors 3 and 4).
TimetableRecord* CheckPlace(int timetable, int station) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  return t && api::CheckStation(*t, station) ? t : nullptr;
}

int DefaultMinTime(int timetable, int station, bool byHour, int minute) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckPlace(timetable, station);
    if (!t) return 0;
    int minutes = 0;
    if (int error =
            DefaultChangeMinutes(*t, static_cast<uint16_t>(station), byHour, minute, &minutes))
      SetKernelError(error);
    return minutes;
  });
}

}  // namespace

extern "C" {

QO_API int QoInternLinkExt(int timetable, int station, unsigned short const** targets,
                           signed char const** minutes, int barrier_free) {
  if (targets) *targets = nullptr;
  if (minutes) *minutes = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckPlace(timetable, station);
    if (!t) return 0;
    const InternLinkRange links =
        InternLinks(*t, static_cast<uint16_t>(station), barrier_free != 0);
    if (links.count == 0) return 0;
    // The caller reads the stored arrays in place.
    if (targets) *targets = reinterpret_cast<const unsigned short*>(links.targets);
    if (minutes) *minutes = reinterpret_cast<const signed char*>(links.minutes);
    return static_cast<int>(links.count);
  });
}

QO_API int QoInternLink(int timetable, int station, unsigned short const** targets,
                        signed char const** minutes) {
  return QoInternLinkExt(timetable, station, targets, minutes, 0);
}

QO_API int QoExternLinkCount(int timetable, int* total) {
  if (total) *total = 0;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (total) *total = static_cast<int>(OwnLinkEntryCount(*t));
    return static_cast<int>(t->SetWide.CrossLinks.Count());
  });
}

QO_API int QoExternLink(int timetable, int station, int const** timetables,
                        unsigned short const** stations, signed char const** minutes) {
  static ExternLinkList links;
  if (timetables) *timetables = nullptr;
  if (stations) *stations = nullptr;
  if (minutes) *minutes = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = CheckPlace(timetable, station);
    if (!t) return 0;
    ExternLinks(*t, static_cast<uint16_t>(station), links);
    if (links.stations.empty()) return 0;
    if (timetables) *timetables = links.timetables.data();
    if (stations) *stations = links.stations.data();
    if (minutes) *minutes = reinterpret_cast<const signed char*>(links.minutes.data());
    return static_cast<int>(links.stations.size());
  });
}

QO_API int QoGetLinkDistExt(int timetable_a, int station_a, int timetable_b, int station_b,
                            int barrier_free) {
  return api::Export<int>(0, [&] {
    if (!CheckPlace(timetable_a, station_a) || !CheckPlace(timetable_b, station_b)) return 0;
    return LinkMinutes(timetable_a, static_cast<uint16_t>(station_a), timetable_b,
                       static_cast<uint16_t>(station_b), barrier_free != 0);
  });
}

QO_API int QoGetLinkDist(int timetable_a, int station_a, int timetable_b, int station_b) {
  return QoGetLinkDistExt(timetable_a, station_a, timetable_b, station_b, 0);
}

QO_API int QoGetDefaultMinTime(int timetable, int station) {
  return DefaultMinTime(timetable, station, false, 0);
}

QO_API int QoGetDefaultMinTimeExt(int timetable, int station, int minute) {
  return DefaultMinTime(timetable, station, true, minute);
}

}  // extern "C"
