#pragma once
// Variants of one train. A train that runs in several shapes (a through
// coach that goes on further on some days, a shortened run in the holidays)
// is stored as consecutive trains: every train whose type word carries
// kContinuesGroup continues the group of the train before it. A variant
// with kSecondaryVariant is never shown in place of the others. Which
// variant stands for the train on a day is decided by running days and by
// whether one route contains the other.
#include <cstdint>
#include <vector>

#include "calendars/train_calendar.h"
#include "load/timetable_record.h"
#include "format/stored_bits.h"

namespace qo {

// The first and last train of the train's group; false when the timetable
// has no type words or the train is in no group.
bool TrainGroup(TimetableRecord const& t, uint32_t train, uint32_t* first, uint32_t* last);

// The train's stations in route order, consecutive repeats removed.
void RouteStations(TimetableRecord const& t, uint32_t train, std::vector<uint16_t>& out);

// True when the stations of `inner` appear, in the same order, among those
// of `outer` (which needs at least as many).
bool RouteContains(std::vector<uint16_t> const& outer, std::vector<uint16_t> const& inner);

// True when one route ends where the other begins.
bool RoutesJoined(std::vector<uint16_t> const& a, std::vector<uint16_t> const& b);

// Whether the train runs on the day (date or day type) and no other variant
// of its group takes its place: a running primary variant whose route
// contains the train's replaces it when it comes earlier or when its route
// is longer. *variant gets the last running primary variant that goes
// beyond the train's route without joining it (-1 when none). Errors of
// the train's own running test; the variants' are not errors.
int TrainRunsExclusively(TimetableRecord& t, uint32_t train, RunDay const& when, int32_t station,
                         bool departure, bool* runs, int32_t* variant);

// The variant of the train's group that stands for it on the date (a day
// number): a running variant whose route contains the chosen one's takes
// its place, in group order; secondary variants only for a secondary train.
// *out is the train itself when none does or the train does not run.
int MapTrainToDate(TimetableRecord& t, uint32_t train, int32_t station, int32_t date,
                   bool departure, uint32_t* out);

// The trains that the train-pair list pairs with the train, in list order.
void PairedTrains(TimetableRecord const& t, uint32_t train, std::vector<int32_t>& out);

}  // namespace qo
