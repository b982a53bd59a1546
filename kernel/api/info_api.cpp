// Timetable information exports: the information record, kind and area,
// data languages, attached files, decoration and validity.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "info/timetable_info.h"
#include "load/timetable_record.h"

using namespace qo;

// The record crosses the interface: its field order is fixed, and on 64-bit
// systems its pointers are 8 bytes wide.
static_assert(sizeof(DMY_REC) == 12);
static_assert(offsetof(TIMETABLEINFO_REC, id) == sizeof(void*));
static_assert(sizeof(void*) != 8 || sizeof(TIMETABLEINFO_REC) == 152);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, created) == 24);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, language_count) == 84);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, letters) == 88);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, code) == 112);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, station_count) == 120);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEINFO_REC, decorations) == 144);
static_assert(sizeof(void*) != 4 || sizeof(TIMETABLEINFO_REC) == 132);

namespace {

// The one information record and the texts it points to, replaced by each
// QoQoInfo.
struct InfoRecord {
  TIMETABLEINFO_REC record{};
  TimetableInfo data;
  std::vector<char> path, letters;
  std::vector<std::vector<char>> names, descriptions, decorations;
  std::vector<char*> nameList, descriptionList, decorationList;

  void Clear() {
    record = TIMETABLEINFO_REC{};
    path.clear();
    letters.clear();
    names.clear();
    descriptions.clear();
    decorations.clear();
    nameList.clear();
    descriptionList.clear();
    decorationList.clear();
  }
};

InfoRecord& Info() {
  static InfoRecord info;
  return info;
}

void SetDate(DMY_REC& out, DateTriple const& date) {
  out.day = date.day;
  out.month = date.month;
  out.year = date.year;
}

TIMETABLEINFO_REC* FillInfo(TimetableRecord const& t) {
  InfoRecord& info = Info();
  info.Clear();
  TimetableInfo& data = info.data;
  GetTimetableInfo(t, data);
  TIMETABLEINFO_REC& r = info.record;
  r.path = api::ConvertOut(data.Path, info.path);
  r.id = data.Id;
  r.kind = data.Kind;
  r.area = data.Area;
  r.variant = data.Variant;
  SetDate(r.created, data.CreationDate);
  SetDate(r.data_from, data.DataFrom);
  SetDate(r.data_to, data.DataTo);
  SetDate(r.first_day, data.FirstDay);
  SetDate(r.last_day, data.LastDay);
  r.language_count = static_cast<int>(data.Letters.size());
  info.letters.assign(data.Letters.begin(), data.Letters.end());
  info.letters.push_back('\0');
  r.letters = info.letters.data();

  const size_t n = data.Names.size();
  info.names.resize(n);
  info.descriptions.resize(n);
  info.decorations.resize(n);
  for (size_t l = 0; l < n; ++l) {
    info.nameList.push_back(api::ConvertOut(data.Names[l], info.names[l]));
    info.descriptionList.push_back(api::ConvertOut(data.Descriptions[l], info.descriptions[l]));
    info.decorationList.push_back(data.HasDecoration[l]
                                      ? api::ConvertOut(data.Decorations[l], info.decorations[l])
                                      : nullptr);
  }
  r.names = info.nameList.empty() ? nullptr : info.nameList.data();
  r.descriptions = info.descriptionList.empty() ? nullptr : info.descriptionList.data();
  r.decorations = info.decorationList.empty() ? nullptr : info.decorationList.data();

  // The code is converted in place in its 8 bytes; a mode that widens the
  // text keeps what fits.
  std::memcpy(r.code, data.Code.data(), data.Code.size());
  ConvertTextOutMode(GetTextMode(), r.code, sizeof r.code);
  r.station_count = data.StationCount;
  r.train_count = data.TrainCount;
  r.has_distances = data.HasDistances;
  r.has_station_remarks = data.HasStationRemarks;
  r.has_train_station_remarks = data.HasTrainStationRemarks;
  r.has_change_times = data.HasDefaultChangeTimes;
  return &r;
}

}  // namespace

extern "C" {

QO_API TIMETABLEINFO_REC* QoQoInfo(int index) {
  return api::GuardedExport<TIMETABLEINFO_REC*>(nullptr, [&]() -> TIMETABLEINFO_REC* {
    TimetableRecord* t = api::CheckTimetable(index);
    return t ? FillInfo(*t) : nullptr;
  });
}

QO_API int QoTrCategory(int index, int* area) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(index);
    if (!t) return 0;
    if (area) *area = t->Area;
    return static_cast<int>(t->Kind);
  });
}

QO_API int QoGetLangIndex(int index, char letter) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(index);
    return t ? GetLangIndex(*t, letter) : 0;
  });
}

QO_API int QoGetExtensions(int index, char*** list) {
  static std::vector<std::string> paths;
  static std::vector<char*> pointers;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(index);
    if (!t) return 0;
    paths = t->LoadedExtensions;
    pointers.clear();
    for (std::string& path : paths) pointers.push_back(path.data());
    if (list) *list = pointers.empty() ? nullptr : pointers.data();
    return static_cast<int>(paths.size());
  });
}

QO_API int QoGetExtensionType(int index, int i) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(index);
    if (!t) return 0;
    if (i < 0 || static_cast<size_t>(i) >= t->LoadedExtensions.size()) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    return GetExtensionType(*t, static_cast<size_t>(i));
  });
}

QO_API char const* QoGetResExtension(int index) {
  static std::string path;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(index);
    if (!t) return nullptr;
    path = ResourcePath(*t);
    return path.c_str();
  });
}

QO_API char const* QoGetDecoration(int index, int language) {
  static std::vector<char> buffer;
  static std::string decoration;
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(index);
    if (!t || !api::CheckLanguage(*t, language)) return nullptr;
    GetDecoration(*t, language, decoration);
    if (decoration.size() > kMaxDecorationLength) decoration.resize(kMaxDecorationLength);
    return api::ConvertOut(decoration, buffer);
  });
}

QO_API void QoGetValidityRange(int kind, int area, DMY_REC* from, DMY_REC* to) {
  api::Export<int>(0, [&] {
    DayNumber first = 0, last = 0;
    GetValidityRange(kind, area, &first, &last);
    DateTriple a{}, b{};
    DayToDmyTriple(first, &a);
    DayToDmyTriple(last, &b);
    if (from) SetDate(*from, a);
    if (to) SetDate(*to, b);
    return 0;
  });
}

}  // extern "C"
