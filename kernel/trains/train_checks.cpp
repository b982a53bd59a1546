#include "trains/train_checks.h"

#include "frame/error_codes.h"
#include "load/loaded_set.h"

namespace qo {

int CheckTrainContinuation(TimetableRecord const& t, uint32_t trainB, uint32_t trainA,
                           uint16_t station) {
  for (int32_t i = 0; i < t.ContinuationTrainA.size(); ++i) {
    if (static_cast<uint32_t>(t.ContinuationTrainA[i]) == trainA &&
        t.ContinuationStation[i] == station && t.ContinuationTrainB[i] == trainB)
      return 0;
  }
  return 1;
}

bool IsStationBarrierFree(TimetableRecord const& t, uint16_t station) {
  return t.HasStationTypeBit10 && station < t.StationTypes.size() &&
         (t.StationTypes[station] & 0x0400) != 0;
}

bool IsDomesticStation(TimetableRecord const& t, uint16_t station) {
  return station >= t.StationTypes.size() || (t.StationTypes[station] & (0x02 | 0x08)) == 0;
}

int CheckSearchPlace(int timetable, int list, int item) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t) return ErrTimetableIndex;
  if (list < 0) {
    return item >= 0 && static_cast<uint32_t>(item) < t->StationCount ? 0 : ErrStationIndex;
  }
  if (static_cast<size_t>(list) >= t->VirtLists.size()) return ErrVirtListIndex;
  return item >= 0 && item < t->VirtLists[static_cast<size_t>(list)].ItemCount ? 0 : ErrObjectIndex;
}

}  // namespace qo
