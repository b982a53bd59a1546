#pragma once
// Small tests of trains and stations that the search and the boards share.
#include <cstdint>

#include "load/timetable_record.h"

namespace qo {

// 0 when train A continues as train B at the station (the pair is listed
// in the continuation table), else 1.
int CheckTrainContinuation(TimetableRecord const& t, uint32_t trainB, uint32_t trainA,
                           uint16_t station);

// True when the timetable has barrier-free data and the station is marked
// barrier-free (type bit 0x0400).
bool IsStationBarrierFree(TimetableRecord const& t, uint16_t station);

// True unless the station's type word marks it foreign (0x02 or 0x08).
bool IsDomesticStation(TimetableRecord const& t, uint16_t station);

// Checks a place as a caller names it: a timetable index, a virtual list
// (negative: the item is a station) and an item. Returns 0 when it is
// valid, else the error code: 3 timetable, 4 station, 14 list, 22 item.
int CheckSearchPlace(int timetable, int list, int item);

}  // namespace qo
