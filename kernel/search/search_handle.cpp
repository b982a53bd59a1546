#include "search/search_handle.h"

#include <utility>

namespace qo {
namespace {

uint32_t g_searchCounter = 1;
int32_t g_nextConnectionId = 1;

}  // namespace

SearchHandle& CurrentSearchHandle() {
  static SearchHandle handle;
  return handle;
}

void StoreSearchInHandle(SearchRun& run, bool newSearch) {
  SearchHandle& h = CurrentSearchHandle();
  if (newSearch) {
    h = SearchHandle{};
    h.EarlierWindowTime = h.LaterWindowTime = run.Request.Time;
    h.WindowLength = run.WindowLength;
    h.EarlierAllowed = h.LaterAllowed = 1;
    h.Request = run.Request;
  }
  for (Connection& connection : run.Found) {
    if (!connection.empty() && connection.front().ConnectionId == 0)
      connection.front().ConnectionId = g_nextConnectionId++;
  }
  h.Connections = run.Found;
  h.Stamp = g_searchCounter++;
}

}  // namespace qo
