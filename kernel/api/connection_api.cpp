// The connection search entries.
#include "Qo.h"
#include "api/export_support.h"
#include "search/search_request.h"
#include "search/search_run.h"

using namespace qo;

static_assert(sizeof(CONNHEAD_REC) == 20);
static_assert(sizeof(CONNLEG_REC) == 36);

namespace {

int Finish(int error, int found, int* count, unsigned char** buffer) {
  if (error) {
    SetKernelError(error);
    return 0;
  }
  if (count) *count = found;
  if (buffer) {
    SearchRun const& run = CurrentSearchRun();
    *buffer = BuildConnectionResult(run.Found, run.Request.ByDayType, run.Request.Day);
  }
  return found;
}

}  // namespace

extern "C" {

QO_API int QoConnectionExt2(const int* from_items, const int* from_lists,
                            const int* from_timetables, const int* from_minutes, int from_count,
                            const int* to_items, const int* to_lists, const int* to_timetables,
                            const int* to_minutes, int to_count, const int* via_items,
                            const int* via_lists, const int* via_timetables, int via_count,
                            const int* change_items, const int* change_lists,
                            const int* change_timetables, int change_count, int time, int day,
                            int month, int year, int changes_allowed, int by_departure,
                            const int* masks, int* count, unsigned char** buffer) {
  if (count) *count = 0;
  if (buffer) *buffer = nullptr;
  return api::GuardedExport<int>(0, [&] {
    ConnectionQuery q;
    q.From = {from_items, from_lists, from_timetables, from_minutes, from_count};
    q.To = {to_items, to_lists, to_timetables, to_minutes, to_count};
    q.Via = {via_items, via_lists, via_timetables, nullptr, via_items ? via_count : 0};
    q.ChangePoints = {change_items, change_lists, change_timetables, nullptr,
                      change_items ? change_count : 0};
    if (!from_items || !from_lists || !from_timetables) q.From.count = 0;
    if (!to_items || !to_lists || !to_timetables) q.To.count = 0;
    if (!via_lists || !via_timetables) q.Via.count = 0;
    if (!change_lists || !change_timetables) q.ChangePoints.count = 0;
    q.Time = time;
    q.Day = day;
    q.Month = month;
    q.Year = year;
    q.ChangesAllowed = changes_allowed != 0;
    q.ByDeparture = by_departure != 0;
    q.TypeMasks = masks;
    int found = 0;
    int error = SearchConnections(q, &found);
    return Finish(error, found, count, buffer);
  });
}

QO_API int QoConnectionExt(const int* from_items, const int* from_lists, const int* from_timetables,
                           const int* from_minutes, int from_count, const int* to_items,
                           const int* to_lists, const int* to_timetables, const int* to_minutes,
                           int to_count, const int* via_items, const int* via_lists,
                           const int* via_timetables, int via_count, int time, int day, int month,
                           int year, int changes_allowed, int by_departure, const int* masks,
                           int* count, unsigned char** buffer) {
  return QoConnectionExt2(from_items, from_lists, from_timetables, from_minutes, from_count,
                          to_items, to_lists, to_timetables, to_minutes, to_count, via_items,
                          via_lists, via_timetables, via_count, nullptr, nullptr, nullptr, 0, time,
                          day, month, year, changes_allowed, by_departure, masks, count, buffer);
}

QO_API int QoConnection(const int* from_items, const int* from_lists, const int* from_timetables,
                        int from_count, const int* to_items, const int* to_lists,
                        const int* to_timetables, int to_count, const int* via_items,
                        const int* via_lists, const int* via_timetables, int via_count, int time,
                        int day, int month, int year, int changes_allowed, int by_departure,
                        const int* masks, int* count, unsigned char** buffer) {
  return QoConnectionExt(from_items, from_lists, from_timetables, nullptr, from_count, to_items,
                         to_lists, to_timetables, nullptr, to_count, via_items, via_lists,
                         via_timetables, via_count, time, day, month, year, changes_allowed,
                         by_departure, masks, count, buffer);
}

QO_API int QoConnectionIT(const int* keys, int key_count, int time, int day, int month, int year,
                          int changes_allowed, int by_departure, const int* selection, int* count,
                          unsigned char** buffer) {
  if (count) *count = 0;
  if (buffer) *buffer = nullptr;
  return api::GuardedExport<int>(0, [&] {
    int found = 0;
    int error = SearchConnectionsByKeys(keys, key_count, time, day, month, year,
                                        changes_allowed != 0, by_departure != 0, selection, &found);
    return Finish(error, found, count, buffer);
  });
}

}  // extern "C"
