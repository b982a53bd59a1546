#include "search/search_handle.h"

#include <utility>

#include "frame/error_codes.h"
#include "frame/kernel_error.h"
#include "load/loaded_set.h"

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
  h.Generation = LoadedSetIndex().DataGeneration;
}

bool IsStaleHandle(SearchHandle const& handle) {
  return handle.Stamp != 0 && handle.Generation != LoadedSetIndex().DataGeneration;
}

void ReleaseStaleCurrentHandle() {
  SearchHandle& h = CurrentSearchHandle();
  if (IsStaleHandle(h)) h = SearchHandle{};
}

int FindConnectionIndex(SearchHandle const& handle, int connection) {
  const int count = static_cast<int>(handle.Connections.size());
  if (connection >= 0) {
    if (connection < count) return connection;
    SetKernelError(ErrIndexOutOfRange);
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    Connection const& c = handle.Connections[static_cast<size_t>(i)];
    if (!c.empty() && c.front().ConnectionId == -connection) return i;
  }
  SetKernelError(ErrConnectionId);
  return -1;
}

}  // namespace qo
