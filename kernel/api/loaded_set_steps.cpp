#include "api/loaded_set_steps.h"

#include "global/same_names.h"
#include "load/reindex.h"
#include "search/search_handle.h"
#include "search/search_params.h"
#include "trains/station_index.h"

namespace qo {

void ReindexLoadedSet() {
  // Set-wide station numbers, city remark flags, fare groups, links, merged
  // station rings, towns shared with rail and linked cities.
  RebuildSetWideData();
  // Reads the station type words the loader's steps reset and linked.
  MarkSameNameStations();
  // The search's per-timetable arrays follow the new set.
  ResetConnParms(nullptr);
  // Last, so that no cache is rebuilt from a half-made set.
  AdvanceDataGeneration();
  // The current handle's request names timetables of the old set.
  ReleaseStaleCurrentHandle();
}

LoadSteps const& KernelLoadSteps() {
  static LoadSteps const steps{NeedsStationIndex, BuildStationIndex, ReindexLoadedSet};
  return steps;
}

}  // namespace qo
