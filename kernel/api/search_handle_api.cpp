// Search handles: taking the current one out and giving it back, reading,
// copying and deleting the connections a handle holds.
#include <cstdint>

#include "Qo.h"
#include "api/export_support.h"
#include "dates/day_number.h"
#include "search/next_connections.h"
#include "search/search_handle.h"
#include "search/search_request.h"

using namespace qo;

extern "C" {

QO_API void* QoGetConnHandle(void) {
  return api::Export<void*>(nullptr, [] {
    ReleaseStaleCurrentHandle();
    SearchHandle& current = CurrentSearchHandle();
    auto* taken = new SearchHandle(std::move(current));
    current = SearchHandle{};
    return static_cast<void*>(taken);
  });
}

QO_API void QoSetConnHandle(void** handle) {
  api::Export<int>(0, [&] {
    if (!handle || !*handle) return 0;
    auto* given = static_cast<SearchHandle*>(*handle);
    *handle = nullptr;
    if (IsStaleHandle(*given)) {
      SetKernelError(ErrConnListReleased);
    } else {
      CurrentSearchHandle() = std::move(*given);
    }
    delete given;
    return 0;
  });
}

QO_API void QoSetConnHandle0(void* handle) {
  api::Export<int>(0, [&] {
    if (!handle) return 0;
    auto const* given = static_cast<SearchHandle const*>(handle);
    if (IsStaleHandle(*given)) {
      SetKernelError(ErrConnListReleased);
      return 0;
    }
    if (given != &CurrentSearchHandle()) CurrentSearchHandle() = *given;
    return 0;
  });
}

QO_API unsigned char* QoGetConnection(void* handle, int connection) {
  return api::GuardedExport<unsigned char*>(nullptr, [&]() -> unsigned char* {
    SearchHandle* h = LiveHandle(handle);
    if (!h) return nullptr;
    const int index = FindConnectionIndex(*h, connection);
    if (index < 0) return nullptr;
    ConnectionList& working = CurrentSearchRun().Found;
    working = {h->Connections[static_cast<size_t>(index)]};
    return BuildConnectionResult(working, h->Request.ByDayType, h->Request.Day);
  });
}

QO_API void* QoCopyConnection(void* dest, void* source, int connection, int new_handle) {
  return api::GuardedExport<void*>(nullptr, [&]() -> void* {
    SearchHandle* from = LiveHandle(source);
    if (!from) return nullptr;
    const int index = FindConnectionIndex(*from, connection);
    if (index < 0) return nullptr;
    Connection copy = from->Connections[static_cast<size_t>(index)];
    auto* to = static_cast<SearchHandle*>(dest);
    if (to) {
      for (Connection const& c : to->Connections)
        if (!c.empty() && c.front().ConnectionId == copy.front().ConnectionId) return to;
    }
    if (!to || new_handle) {
      auto* made = new SearchHandle;
      if (to) {
        made->Connections = to->Connections;
        made->Stamp = to->Stamp;
        made->Generation = to->Generation;
      }
      to = made;
    }
    // Days of a search by date become day numbers: the copy may sit with
    // connections of other days.
    if (!from->Request.ByDayType) {
      for (ConnectionLeg& leg : copy) {
        leg.DepartureDay += static_cast<int32_t>(from->Request.Day);
        leg.ArrivalDay += static_cast<int32_t>(from->Request.Day);
      }
    }
    // The copy is as old as its source: a reload makes both stale. A
    // handle that already holds connections stays as old as they are.
    if (to->Stamp == 0) {
      to->Stamp = from->Stamp;
      to->Generation = from->Generation;
    }
    to->Connections.push_back(std::move(copy));
    return to;
  });
}

QO_API int QoGetConnCount(void* handle) {
  return api::GuardedExport<int>(0, [&] {
    SearchHandle* h = LiveHandle(handle);
    return h ? static_cast<int>(h->Connections.size()) : 0;
  });
}

QO_API void QoDeleteConnection(void* handle, int connection) {
  api::GuardedExport<int>(0, [&] {
    SearchHandle* h = LiveHandle(handle);
    if (!h) return 0;
    const int index = FindConnectionIndex(*h, connection);
    if (index >= 0) h->Connections.erase(h->Connections.begin() + index);
    return 0;
  });
}

QO_API void QoGetConnTimeRange(void* handle, int* earliest, int* latest) {
  if (earliest) *earliest = 0;
  if (latest) *latest = 0;
  api::GuardedExport<int>(0, [&] {
    SearchHandle* h = LiveHandle(handle);
    if (!h) return 0;
    const bool byDeparture = h->Request.ByDeparture;
    if (earliest) *earliest = h->EarlierWindowTime - (byDeparture ? 0 : h->WindowLength);
    if (latest) *latest = h->LaterWindowTime + (byDeparture ? h->WindowLength : 0);
    return 0;
  });
}

QO_API void QoGetConnDate(void* handle, int* first, int* second, int* third) {
  if (first) *first = 0;
  if (second) *second = 0;
  if (third) *third = 0;
  api::GuardedExport<int>(0, [&] {
    SearchHandle* h = LiveHandle(handle);
    if (!h) return 0;
    HandleRequest const& r = h->Request;
    int day = 0, month = 0, year = 0;
    if (r.ByDayType) {
      day = r.DayType;
      month = r.WeekdayMask;
    } else {
      DayToDmy(r.Day, &day, &month, &year);
    }
    if (first) *first = day;
    if (second) *second = month;
    if (third) *third = year;
    return 0;
  });
}

QO_API int QoNextConnection(int earlier, int* first, int* count, unsigned char** buffer) {
  if (count) *count = 0;
  if (buffer) *buffer = nullptr;
  return api::GuardedExport<int>(0, [&] {
    int found = 0;
    if (int error = SearchNextConnections(earlier != 0, first, &found)) {
      SetKernelError(error);
      return 0;
    }
    if (count) *count = found;
    if (buffer) {
      SearchRun const& run = CurrentSearchRun();
      *buffer = BuildConnectionResult(run.Found, run.Request.ByDayType, run.Request.Day);
    }
    return found;
  });
}

}  // extern "C"
