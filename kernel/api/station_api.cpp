// Station exports: accessors, keys and the station-key extension, time
// shifts, remarks and fare zones, and the distances over the station graph.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "core/counted_array.h"
#include "format/image_array.h"
#include "load/timetable_record.h"
#include "stations/station_access.h"
#include "stations/station_distances.h"
#include "stations/station_names.h"
#include "text/text_convert.h"

using namespace qo;

namespace {

int ExtensionKey(int timetable, int station, int column) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return 0;
    int32_t key = 0;
    if (int error = StationExtensionKey(*t, static_cast<uint16_t>(station), column, &key)) {
      SetKernelError(error);
      return 0;
    }
    return static_cast<int>(key);
  });
}

}  // namespace

extern "C" {

QO_API int QoStCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(t->StationCount) : 0;
  });
}

QO_API char const* QoStName(int timetable, int station) {
  static std::string name;
  static std::vector<char> buffer;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    if (int error = GetStationName(*t, station, RegionDisplayMode(), true, name))
      SetKernelError(error);
    return api::ConvertOut(name, buffer);
  });
}

QO_API int QoStKey(int timetable, int station) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station) || t->StationKeys.empty()) return 0;
    return static_cast<int>(t->StationKeys[station]);
  });
}

QO_API char const* QoStKeyChar(int timetable, int station) {
  static std::string text;
  static std::vector<char> buffer;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    text.clear();
    if (api::CheckStation(*t, station)) StationKeyText(*t, static_cast<uint16_t>(station), text);
    return api::ConvertOut(text, buffer);
  });
}

QO_API int const* QoStKeys(int timetable) {
  return api::Export<int const*>(nullptr, [&]() -> int const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || t->StationKeys.empty()) return nullptr;
    return api::AlignedIntArray(t->StationKeys, t->StationKeyCopy);
  });
}

QO_API int QoSearchStKey(int timetable, int key) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(SearchStationKey(*t, key)) : -1;
  });
}

QO_API int const* QoSearchStKeyEx(int timetable, int key, int column, int* count) {
  static std::vector<int32_t> stations;
  if (count) *count = 0;
  return api::Export<int const*>(nullptr, [&]() -> int const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    SearchStationKeyEx(*t, key, column, stations);
    if (count) *count = static_cast<int>(stations.size());
    stations.reserve(1);  // an empty result is still a valid array
    return stations.data();
  });
}

QO_API int QoStTCVKey(int timetable, int station) {
  return ExtensionKey(timetable, station, KeyColumnTcv);
}

QO_API int QoStReservKey(int timetable, int station) {
  return ExtensionKey(timetable, station, KeyColumnReservation);
}

QO_API int QoStTimeShift(int timetable, int station, int value) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return 0;
    return StationTimeShift(*t, static_cast<uint16_t>(station), value);
  });
}

QO_API int QoStType(int timetable, int station) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station) || t->StationTypes.empty()) return 0;
    return static_cast<int>(t->StationTypes[station]);
  });
}

QO_API unsigned short const* QoStTypes(int timetable) {
  return api::Export<unsigned short const*>(nullptr, [&]() -> unsigned short const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || t->StationTypes.empty()) return nullptr;
    return reinterpret_cast<const unsigned short*>(t->StationTypes.handle());
  });
}

QO_API char const* QoStRem(int timetable, int station) {
  static std::vector<char> buffer;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    std::string_view remark;
    if (api::CheckStation(*t, station)) remark = StationRemark(*t, static_cast<uint16_t>(station));
    return api::ConvertOut(remark, buffer);
  });
}

QO_API int QoStRemType(int timetable, int station, char const* tag, char const** text,
                       char const** second) {
  static std::string found, rest;
  static std::vector<char> textBuffer, secondBuffer;
  if (text) *text = "";
  if (second) *second = "";
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return 0;
    std::string_view remark = StationRemark(*t, static_cast<uint16_t>(station));
    if (remark.empty()) return 0;
    std::string wanted = tag ? api::TakeText(tag, api::kWholeText) : std::string("I");
    if (!FindRemarkTag(remark, wanted, found, rest)) return 0;
    if (text) *text = api::ConvertOut(found, textBuffer);
    if (second) *second = api::ConvertOut(rest, secondBuffer);
    return 1;
  });
}

QO_API char const* QoStZone(int timetable, int station, int train, char const* line) {
  static std::string zone;
  static std::vector<char> buffer;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    zone.clear();
    if (api::CheckStation(*t, station)) {
      const bool useLines = line != reinterpret_cast<const char*>(-1);
      std::string lineText = useLines && line ? api::TakeText(line, 9) : std::string();
      if (int error =
              StationZone(*t, static_cast<uint16_t>(station), train, useLines, lineText, zone))
        SetKernelError(error);
    }
    return api::ConvertOut(zone, buffer);
  });
}

QO_API int QoGetStationDist(int timetable, int station, int** distances, int** predecessors,
                            int transfer) {
  static OwnedArray distanceArray, predecessorArray;
  static std::vector<int32_t> distance, predecessor;
  if (distances) *distances = nullptr;
  if (predecessors) *predecessors = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return 0;
    if (t->ArcOffsets.empty()) {
      SetKernelError(ErrNotSupported);
      return 0;
    }
    ComputeStationDistances(*t, static_cast<uint16_t>(station), transfer != 0, distance,
                            predecessor);
    const auto n = static_cast<int32_t>(distance.size());
    distanceArray.reset();
    predecessorArray.reset();
    AllocArrayRaw(distanceArray.address(), n, sizeof(int32_t));
    AllocArrayRaw(predecessorArray.address(), n, sizeof(int32_t));
    std::memcpy(distanceArray.get(), distance.data(), n * sizeof(int32_t));
    std::memcpy(predecessorArray.get(), predecessor.data(), n * sizeof(int32_t));
    if (distances) *distances = reinterpret_cast<int*>(distanceArray.get());
    if (predecessors) *predecessors = reinterpret_cast<int*>(predecessorArray.get());
    return 1;
  });
}

}  // extern "C"
