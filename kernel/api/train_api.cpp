// Train exports: train and type texts, the number tables, routes and their
// regions, type words with the running-no-further mark, and the searches.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "load/timetable_record.h"
#include "trains/train_info.h"
#include "trains/train_route.h"
#include "trains/train_search.h"

using namespace qo;

// The records cross the interface: their field order and sizes are fixed,
// and on 64-bit systems the pointers are 8 bytes wide.
static_assert(sizeof(ROUTE2_REC) == 16);
static_assert(offsetof(ROUTE2_REC, arrival) == 2);
static_assert(offsetof(ROUTE2_REC, departure) == 4);
static_assert(offsetof(ROUTE2_REC, arrival_day) == 6);
static_assert(offsetof(ROUTE2_REC, departure_day) == 8);
static_assert(offsetof(ROUTE2_REC, flags) == 10);
static_assert(offsetof(ROUTE2_REC, distance) == 12);
static_assert(sizeof(void*) != 8 || sizeof(PACKEDNUMBERS_REC) == 48);
static_assert(sizeof(void*) != 8 || offsetof(PACKEDNUMBERS_REC, number_format) == 24);
static_assert(sizeof(void*) != 8 || offsetof(PACKEDNUMBERS_REC, text_format) == 34);
static_assert(sizeof(void*) != 4 || sizeof(PACKEDNUMBERS_REC) == 32);

namespace {

// The texts of one train export, replaced by its next call.
struct TextOuts {
  std::vector<char> number, name, type;
  TrainTexts texts;

  void Hand(char const** number_out, char const** name_out, char const** type_out, int* bit_out,
            int* physical_out) {
    if (number_out) *number_out = api::ConvertOut(texts.Number, number);
    if (name_out) *name_out = api::ConvertOut(texts.Second, name);
    if (type_out) *type_out = api::ConvertOut(texts.Type, type);
    if (bit_out) *bit_out = texts.TypeBit;
    if (physical_out) *physical_out = texts.Physical;
  }
};

void TrainInfo(TextOuts& outs, int timetable, int language, int train, char const** number,
               char const** name, char const** type, int* bit, int* physical) {
  api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language) || !api::CheckTrain(*t, train)) return 0;
    GetTrainTexts(*t, language, static_cast<uint32_t>(train), outs.texts);
    outs.Hand(number, name, type, bit, physical);
    return 1;
  });
}

int TrainStationInfo(TextOuts& outs, int timetable, int language, int train, int station, int from,
                     int to, char const** number, char const** name, char const** type, int* bit,
                     int* physical) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language) || !api::CheckTrain(*t, train)) return 0;
    if (station >= 0 && !api::CheckStation(*t, station)) return 0;
    if (!api::CheckOptionalStation(*t, &from) || !api::CheckOptionalStation(*t, &to)) return 0;
    GetTrainStationTexts(*t, language, static_cast<uint32_t>(train), station < 0 ? -1 : station,
                         from, to, type != nullptr, outs.texts);
    outs.Hand(number, name, type, bit, physical);
    return 1;
  });
}

void TypeInfo(bool physical, int timetable, int language, int type, char const** abbreviation,
              char const** description) {
  static std::string abbreviations[2], descriptions[2];
  std::string& a = abbreviations[physical];
  std::string& d = descriptions[physical];
  api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language)) return 0;
    a.clear();
    d.clear();
    if (physical) {
      PhysicalTypeTexts(*t, language, type, a, d);
    } else {
      TrainTypeTexts(*t, language, type, a, d);
    }
    // Type texts are handed out as the kernel keeps them.
    if (abbreviation) *abbreviation = a.c_str();
    if (description) *description = d.c_str();
    return 1;
  });
}

void FillNumbers(PackedNumberTable const& table, PACKEDNUMBERS_REC& out) {
  out = PACKEDNUMBERS_REC{};
  if (table.Values.empty()) return;
  out.values = reinterpret_cast<int const*>(table.Values.handle());
  out.text_offsets = reinterpret_cast<int const*>(table.Texts.offsets);
  out.text_chars = reinterpret_cast<char const*>(table.Texts.characters);
  std::memcpy(out.number_format, table.NumberFormat, sizeof out.number_format);
  std::memcpy(out.text_format, table.TextFormat, sizeof out.text_format);
}

}  // namespace

extern "C" {

QO_API int QoTrCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(t->TrainCount) : 0;
  });
}

QO_API void QoTrainInfoExt(int timetable, int language, int train, char const** number,
                           char const** name, char const** type, int* type_bit,
                           int* physical_type) {
  static TextOuts outs;
  TrainInfo(outs, timetable, language, train, number, name, type, type_bit, physical_type);
}

QO_API void QoTrainInfo(int timetable, int language, int train, char const** number,
                        char const** name, char const** type, int* type_bit) {
  static TextOuts outs;
  TrainInfo(outs, timetable, language, train, number, name, type, type_bit, nullptr);
}

QO_API int QoTrainNums(int timetable, PACKEDNUMBERS_REC const** main_numbers,
                       PACKEDNUMBERS_REC const** second_numbers) {
  static PACKEDNUMBERS_REC tables[2];
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    FillNumbers(t->MainNumbers, tables[0]);
    FillNumbers(t->SecondNumbers, tables[1]);
    if (main_numbers) *main_numbers = &tables[0];
    if (second_numbers) *second_numbers = &tables[1];
    return static_cast<int>(t->TrainCount);
  });
}

QO_API int QoTrainStationInfoExt(int timetable, int language, int train, int station, int from,
                                 int to, char const** number, char const** name, char const** type,
                                 int* type_bit, int* physical_type) {
  static TextOuts outs;
  return TrainStationInfo(outs, timetable, language, train, station, from, to, number, name, type,
                          type_bit, physical_type);
}

QO_API int QoTrainStationInfo(int timetable, int language, int train, int station,
                              char const** number, char const** name, char const** type,
                              int* type_bit) {
  static TextOuts outs;
  return TrainStationInfo(outs, timetable, language, train, station, -1, -1, number, name, type,
                          type_bit, nullptr);
}

QO_API int QoHaveNum2(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && !t->SecondNumbers.Values.empty() ? 1 : 0;
  });
}

QO_API int QoTrTypeCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? TrainTypeCount(*t) : 0;
  });
}

QO_API void QoTrTypeInfo(int timetable, int language, int type, char const** abbreviation,
                         char const** description) {
  TypeInfo(false, timetable, language, type, abbreviation, description);
}

QO_API int QoTrTypePhysCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? PhysicalTypeCount(*t) : 0;
  });
}

QO_API void QoTrTypePhysInfo(int timetable, int language, int type, char const** abbreviation,
                             char const** description) {
  TypeInfo(true, timetable, language, type, abbreviation, description);
}

QO_API int QoTrainRoute(int timetable, int train, ROUTE2_REC** route) {
  static std::vector<RouteRecord> records;
  static std::vector<ROUTE2_REC> out;
  if (route) *route = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    // Sized once for the longest train: a route never reallocates it.
    if (records.capacity() < t->MaxTrainStops) records.reserve(t->MaxTrainStops);
    BuildTrainRoute(*t, static_cast<uint32_t>(train), records);
    out.resize(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
      RouteRecord const& r = records[i];
      out[i] = ROUTE2_REC{r.Station,      r.Arrival, r.Departure, r.ArrivalDay,
                          r.DepartureDay, r.Flags,   r.Distance};
    }
    if (route) *route = out.empty() ? nullptr : out.data();
    return static_cast<int>(out.size());
  });
}

QO_API int QoTrainRegDist(int timetable, int train, int changes_only, int** regions,
                          int** distances) {
  static std::vector<int32_t> regionOut, distanceOut;
  if (regions) *regions = nullptr;
  if (distances) *distances = nullptr;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    GetTrainRegionDistances(*t, static_cast<uint32_t>(train), changes_only != 0, regionOut,
                            distanceOut);
    if (regionOut.empty()) return 0;
    if (regions) *regions = regionOut.data();
    if (distances) *distances = distanceOut.data();
    return static_cast<int>(regionOut.size());
  });
}

QO_API int QoTrainRegDist2(int timetable, int train, int mode, int const* selection,
                           int* start_minute) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return -1;
    if (mode < BorderHalf || mode > BorderEntering) {
      SetKernelError(ErrParameters);
      return -1;
    }
    int start = 0;
    int32_t metres = TrainRegionDistance(*t, static_cast<uint32_t>(train), mode, selection, &start);
    if (start_minute) *start_minute = start;
    return static_cast<int>(metres);
  });
}

QO_API int QoTrTypeIntl(int timetable, int train) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    return TrainDomesticKind(*t, static_cast<uint32_t>(train));
  });
}

QO_API unsigned int const* QoTrTypes(int timetable) {
  return api::Export<unsigned int const*>(nullptr, [&]() -> unsigned int const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || t->TrainTypeWords.empty()) return nullptr;
    return reinterpret_cast<unsigned int const*>(t->TrainTypeWords.handle());
  });
}

QO_API unsigned int QoTrType(int timetable, int train) {
  return api::Export<unsigned int>(0, [&]() -> unsigned int {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train) || t->TrainTypeWords.empty()) return 0;
    return t->TrainTypeWords[train];
  });
}

QO_API int QoSetInvalid(int timetable, int first_day) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? SetTrainsInvalid(*t, first_day) : 0;
  });
}

QO_API int QoSearchTrain(int timetable, int start, char const* text, int fold, int type_mask,
                         int const* list, int count) {
  static TrainSearchText prepared;
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return -1;
    PrepareTrainSearchText(api::TakeText(text, 99), fold != 0, prepared);
    TrainSearch search;
    search.Start = start;
    search.TypeMask = static_cast<uint32_t>(type_mask);
    search.List = list;
    search.ListLength = list && count > 0 ? count : 0;
    int error = 0;
    int32_t found = FindTrain(*t, prepared, search, &error);
    if (error) SetKernelError(error);
    return static_cast<int>(found);
  });
}

QO_API int QoSearchCurrentTrain(int timetable, int number, char const* owner, int type_mask,
                                int date, int /*reserved*/) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !owner) return -1;
    std::string ownerText = api::TakeText(owner, 255);
    return static_cast<int>(
        SearchCurrentTrain(*t, number, ownerText, static_cast<uint32_t>(type_mask), date));
  });
}

}  // extern "C"
