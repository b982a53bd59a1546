// Watching and stopping a search; the flags that allow further windows.
#include <cstddef>

#include "Qo.h"
#include "api/export_support.h"
#include "search/search_control.h"
#include "search/search_handle.h"

using namespace qo;

// The atomics are the record the caller reads: same size and layout as
// five plain ints.
static_assert(sizeof(SEARCHPROGRESS_REC) == 20);
static_assert(sizeof(SearchProgress) == sizeof(SEARCHPROGRESS_REC));
static_assert(std::atomic<int32_t>::is_always_lock_free);
static_assert(offsetof(SearchProgress, StepsTotal) == offsetof(SEARCHPROGRESS_REC, steps_total));

extern "C" {

QO_API SEARCHPROGRESS_REC* QoGetSearchProgress(void) {
  return reinterpret_cast<SEARCHPROGRESS_REC*>(&CurrentSearchProgress());
}

QO_API void QoStopSearch(void) { RequestSearchStop(); }

QO_API int QoSetSearchMaxTicks(int milliseconds) {
  SetSearchTimeLimit(milliseconds);
  return milliseconds;
}

QO_API void* QoSetSearchAllowed(void* handle, int earlier, int later) {
  SearchHandle* h = handle ? static_cast<SearchHandle*>(handle) : &CurrentSearchHandle();
  h->EarlierAllowed = earlier != 0;
  h->LaterAllowed = later != 0;
  return h;
}

QO_API void QoSearchAllowed(int* earlier, int* later) {
  SearchHandle const& h = CurrentSearchHandle();
  if (earlier) *earlier = h.EarlierAllowed;
  if (later) *later = h.LaterAllowed;
}

QO_API void QoResetSearchAllowed(void) {
  SearchHandle& h = CurrentSearchHandle();
  h.EarlierAllowed = h.LaterAllowed = 0;
}

}  // extern "C"
