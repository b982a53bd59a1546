// Name and key searches of stations and list items.
#include <cstdint>
#include <string>

#include "Qo.h"
#include "api/export_support.h"
#include "load/timetable_record.h"
#include "stations/station_search.h"
#include "text/text_convert.h"
#include "virtlists/virt_lists.h"

using namespace qo;

namespace {

// -1 or a list of the timetable; anything else is error 14.
bool CheckList(TimetableRecord const& t, int list) {
  if (list == -1 || ListAt(t, list)) return true;
  SetKernelError(ErrVirtListIndex);
  return false;
}

// Item texts of lists come in the timetable's data languages.
bool CheckLanguage(TimetableRecord const& t, int list, int language) {
  return list < 0 || api::CheckLanguage(t, language);
}

}  // namespace

extern "C" {

QO_API int QoSearchStationName(int timetable, char const* text) {
  static api::TextInBuffer<kMaxSearchTextLength> in;
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return -1;
    return static_cast<int>(SearchStationName(*t, in.Take(text)));
  });
}

QO_API int QoStationsEqual(int timetable, int a, int b) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, a) || !api::CheckStation(*t, b)) return 0;
    return StationsEqual(*t, a, b) ? 1 : 0;
  });
}

QO_API int QoSearchStation(int timetable, int list, int language, int start, char const* text,
                           int fold, unsigned char const* filter) {
  static api::TextInBuffer<kMaxSearchTextLength> in;
  static NameQuery query;
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list) || !CheckLanguage(*t, list, language)) return -1;
    if (start < 0) {
      SetKernelError(ErrIndexOutOfRange);
      return -1;
    }
    if (start >= CandidateCount(*t, list)) return -1;
    PrepareNameQuery(in.Take(text), fold != 0, GetTextMode(), query);
    return static_cast<int>(SearchStation(*t, list, language, start, query, filter));
  });
}

QO_API int QoSearchStation2(int timetable, int list, int language, int key, char const* text) {
  static api::TextInBuffer<kMaxSearchTextLength> in;
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list) || !CheckLanguage(*t, list, language)) return -1;
    return static_cast<int>(SearchStation2(*t, list, language, key, in.Take(text)));
  });
}

QO_API int QoSearchKey(int timetable, int list, int key) {
  return api::GuardedExport<int>(-1, [&] {
    if (key == 0) return -1;
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !CheckList(*t, list)) return -1;
    return static_cast<int>(SearchKey(*t, list, key, {}, 0));
  });
}

}  // extern "C"
