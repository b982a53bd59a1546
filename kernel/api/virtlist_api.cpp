// Virtual lists, their items and the mapping of items, and regions.
#include <cstdint>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "load/timetable_record.h"
#include "stations/station_names.h"
#include "stations/station_search.h"
#include "trains/train_checks.h"
#include "virtlists/virt_lists.h"

using namespace qo;

namespace {

constexpr size_t kMaxListNameText = 99;
constexpr size_t kMaxRegionNameLength = 49;

// A list of the timetable, or -1 where the call allows the stations.
bool CheckList(TimetableRecord const& t, int list, bool stations) {
  if ((stations && list == -1) || ListAt(t, list)) return true;
  SetKernelError(ErrVirtListIndex);
  return false;
}

// An item of the list, or a station for list -1: error 22 or 4.
bool CheckItem(TimetableRecord const& t, int list, int item) {
  if (item >= 0 && item < CandidateCount(t, list)) return true;
  SetKernelError(list < 0 ? ErrStationIndex : ErrObjectIndex);
  return false;
}

// The item's text in the region display mode, converted; "" with error 22
// for an item that does not exist.
char const* ItemText(TimetableRecord& t, int list, int language, int item, std::string& text,
                     std::vector<char>& buffer) {
  text.clear();
  if (CheckItem(t, list, item)) ShownItemName(t, list, language, item, text);
  return api::ConvertOut(text, buffer);
}

int ItemKey(int timetable, int list, int item, bool extended) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true)) return 0;
    if (list < 0) return CheckItem(*t, list, item) ? static_cast<int>(ItemKeyEx(*t, -1, item)) : 0;
    if (item < 0 || item >= CandidateCount(*t, list)) return 0;
    if (!extended)
      return static_cast<int>(StoredItemKey(t->VirtLists[static_cast<size_t>(list)], item));
    return static_cast<int>(ItemKeyEx(*t, list, item));
  });
}

}  // namespace

extern "C" {

QO_API int QoVirtListCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(t->VirtLists.size()) : 0;
  });
}

QO_API int QoDefaultVirtList(int timetable) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? DefaultVirtList(*t) : -1;
  });
}

QO_API int QoStationsExtVirtList(int timetable) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? StationsExtVirtList(*t) : -1;
  });
}

QO_API int QoSearchVirtList(int timetable, int language, int type, char const* name) {
  static api::TextInBuffer<kMaxListNameText> in;
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckLanguage(*t, language)) return -1;
    return SearchVirtList(*t, language, type, in.Take(name));
  });
}

QO_API int QoVirtListInfo(int timetable, int list, int language, int* type, int* count,
                          char const** name) {
  static std::string text;
  static std::vector<char> buffer;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true) || !api::CheckLanguage(*t, language)) return 0;
    if (list < 0) {
      if (type) *type = 0;
      if (count) *count = static_cast<int>(t->StationCount);
      if (name) *name = nullptr;
      return 1;
    }
    const VirtListRecord& l = t->VirtLists[static_cast<size_t>(list)];
    if (type) *type = l.Type;
    if (count) *count = l.ItemCount;
    if (name) {
      VirtListName(*t, l, language, text);
      *name = api::ConvertOut(text, buffer);
    }
    return 1;
  });
}

QO_API char const* QoVirtListItem(int timetable, int list, int language, int item) {
  static std::string text;
  static std::vector<char> buffer;
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, false) || !api::CheckLanguage(*t, language)) return nullptr;
    return ItemText(*t, list, language, item, text, buffer);
  });
}

QO_API char const* QoItemName(int timetable, int list, int language, int item) {
  static std::string text;
  static std::vector<char> buffer;
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true)) return nullptr;
    if (list >= 0 && !api::CheckLanguage(*t, language)) return nullptr;
    return ItemText(*t, list, language, item, text, buffer);
  });
}

QO_API int QoVirtListItemIntl(int timetable, int list, int item) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true) || !CheckItem(*t, list, item)) return 0;
    return IsInternationalItem(*t, list, item) ? 1 : 0;
  });
}

QO_API int QoVirtListItemKey(int timetable, int list, int item) {
  return ItemKey(timetable, list, item, false);
}

QO_API int QoVirtListItemKeyEx(int timetable, int list, int item) {
  return ItemKey(timetable, list, item, true);
}

QO_API int QoVirtListItemStations(int timetable, int list, int item,
                                  unsigned short const** stations, unsigned char const** bytes) {
  static unsigned short station;
  if (stations) *stations = nullptr;
  if (bytes) *bytes = nullptr;
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true)) return 0;
    if (item < 0 || item >= CandidateCount(*t, list)) return 0;
    if (list < 0) {
      station = static_cast<unsigned short>(item);
      if (stations) *stations = &station;
      return 1;
    }
    const uint8_t* first = nullptr;
    const uint8_t* parallel = nullptr;
    int32_t n = ItemStations(t->VirtLists[static_cast<size_t>(list)], item, &first, &parallel);
    // The caller reads the stored arrays in place, as with QoStKeys.
    if (stations) *stations = reinterpret_cast<const unsigned short*>(first);
    if (bytes) *bytes = parallel;
    return static_cast<int>(n);
  });
}

QO_API int QoMapVirtListItem(int timetable, int list, int item, int target) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list, true) || !CheckList(*t, target, true) ||
        !CheckItem(*t, list, item))
      return -1;
    return static_cast<int>(MapVirtListItem(*t, list, item, target));
  });
}

QO_API int QoMapVirtListItem2(int timetable, int list, int item, int target_timetable,
                              int* target_list) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    TimetableRecord* to = t ? api::CheckTimetable(target_timetable) : nullptr;
    if (!t || !to) return -1;
    int chosen = target_list ? *target_list : -2;
    // -2 asks the kernel to choose the target list; below that is no list.
    if (!CheckList(*t, list, true) || !(chosen == -2 || CheckList(*to, chosen, true)) ||
        !CheckItem(*t, list, item))
      return -1;
    int error = 0;
    int32_t result = MapVirtListItem2(timetable, list, item, target_timetable, &chosen, &error);
    if (target_list) *target_list = chosen;
    if (error) SetKernelError(error);
    return static_cast<int>(result);
  });
}

QO_API int QoMapStation(int timetable, int station, int* list) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckItem(*t, -1, station)) return -1;
    int chosen = 0;
    int32_t item = MapStation(*t, static_cast<uint16_t>(station), &chosen);
    if (list) *list = chosen;
    return static_cast<int>(item);
  });
}

QO_API int QoStReg(int timetable, int station) {
  return api::Export<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? RegionOfStation(*t, station) : -1;
  });
}

QO_API int QoRegCount(int timetable) {
  return api::Export<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t ? static_cast<int>(GetPoolCount(t->RegionNames)) : 0;
  });
}

QO_API char const* QoRegName(int timetable, int region) {
  static std::vector<char> buffer;
  return api::Export<char const*>(nullptr, [&]() -> char const* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    std::string_view name = PoolString(t->RegionNames, region);
    return api::ConvertOut(name.substr(0, kMaxRegionNameLength), buffer);
  });
}

QO_API int QoSetRegMode(int mode) { return RegionDisplayMode() = mode; }

QO_API int QoGetRegMode(void) { return RegionDisplayMode(); }

}  // extern "C"
