#pragma once
// The per-station lists of train events, built from the trains' stops when
// the file leaves them out (it then stores only their ranges).
#include "load/load_events.h"
#include "load/timetable_record.h"

namespace qo {

// The file gives the ranges of the station event lists but not the events,
// and they were not built yet.
bool NeedsStationIndex(const TimetableRecord& record);

// Builds the event lists into heap memory laid out by the stored ranges: one
// StationEvent per decoded stop word (departure bit unless the train ends or
// stays at the station, arrival bit unless it starts or stayed, the day
// offset from the train's first day), and marks every train's first and last
// station with bit 0x0800 in the derived station type words. With sort, each
// list is sorted by minute, train and whole word now; without, a byte per
// station records which lists the first reader has sorted. With progress,
// event 10 reports per mille done.
//
// False when the stops do not fill the stored ranges exactly (a damaged
// file): the record then has no events, and is not tried again.
bool BuildStationIndex(TimetableRecord& record, bool sort, bool progress, LoadCallback callback);

// Builds the lists on first use when loading left them for later.
void EnsureStationIndex(TimetableRecord& record);

}  // namespace qo
