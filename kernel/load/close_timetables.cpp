#include "load/close_timetables.h"

#include "load/loaded_set.h"
#include "load/timetable_record.h"

namespace qo {

bool CloseTimetable(int index) {
  auto& set = LoadedSet();
  TimetableRecord* record = TimetableAt(index);
  if (!record) return false;
  set.erase(set.begin() + index);
  // A record still being loaded is freed by its loader, which finds it gone
  // from the set when the caller's callback returns.
  if (!IsLoadingRecord(record)) delete record;
  return true;
}

void CloseAllTimetables() {
  for (int i = LoadedCount() - 1; i >= 0; --i) CloseTimetable(i);
}

}  // namespace qo
