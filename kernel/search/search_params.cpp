#include "search/search_params.h"

#include "load/loaded_set.h"
#include "load/reindex_hooks.h"
#include "load/timetable_record.h"

namespace qo {

SearchSettings& CurrentSearchSettings() {
  static SearchSettings settings;
  return settings;
}

void ResetConnParms() { ResetConnParms(nullptr); }

void ResetConnParms(int const*) {}

int32_t CurrentMinChangeTime(TimetableRecord const& t) { return t.Search.Change.MinChangeTime; }
int32_t CurrentMaxChangeTime(TimetableRecord const& t) { return t.Search.Change.MaxChangeTime; }

}  // namespace qo
