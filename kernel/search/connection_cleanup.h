#pragma once
// Tidying the list of found connections after an engine run: duplicates,
// connections another one beats, detours and needless changes go. The
// automatic strategy compares whole lists by their change stations.
#include <cstdint>
#include <utility>
#include <vector>

#include "search/search_run.h"

namespace qo {

// What the passes compare, worked out once per connection.
struct ConnectionMeasures {
  int32_t Departure = 0;  // absolute minutes of the first departure
  int32_t Arrival = 0;    // absolute minutes of the last arrival
  int32_t Duration = 0;
  int32_t PenalisedArrival = 0;  // plus the change penalty of every later leg
  int32_t WeightedChanges = 0;   // legs, plus one per longer walk between places
  int32_t TotalDistance = -1;    // metres; -1 when a leg has none
};
ConnectionMeasures MeasureConnection(Connection const& c);

// The duration with each end taken back by its station's time shift on the
// day of that end: what the traveller spends, across time zones too. Days
// count from `day`, or from each timetable's first day in a search by day
// type.
int32_t CorrectedDuration(Connection const& c, bool byDayType, DayNumber day);

// Tidies one traced connection and appends it to `list`: changes move
// onto the stations both trains serve, a train stored in variants becomes
// the variant listed for it, legs of one train join, and without beds a
// rail journey at night goes. False when it was dropped.
bool ConsolidateLegs(Connection connection, ConnectionList& list);

// Equal for the list: same trains boarded or left at the same stations, or
// for one leg the same times between the same places.
bool ConnectionsEqual(Connection const& a, Connection const& b);

// Does `list` hold a connection that makes `d` a detour?
bool IsSimilarConnection(Connection const& d, ConnectionList const& list, int32_t distanceBound,
                         int32_t durationBound, int32_t timeBound);

// The leg's length along its train, in whole kilometres (as metres); -1
// when the timetable carries no distances.
void FixLegDistance(ConnectionLeg& leg);

// A change the journey did not need: a later train of it calls at the start
// no earlier than the journey leaves (by departure), or an earlier one,
// ridden on, reaches the end no later (by arrival); or a train passes
// where another leg starts or ends.
bool IsNeedlessChange(Connection const& d, bool byDeparture);

void RemoveDuplicateConnections(ConnectionList& list);
void RemoveDominatedConnections(ConnectionList& list);
void RemoveDetourConnections(ConnectionList& list, ConnectionList const* earlier, bool byDeparture,
                             bool viaPoints, bool changeCallback);

// The whole clean-up of the run's list; returns the connections left.
int CleanUpConnectionList(SearchRun& run, bool byDeparture);

// Change-station sets of the automatic strategy: (station, timetable) pairs.
using ChangeStationSet = std::vector<std::pair<int32_t, int32_t>>;
ChangeStationSet CollectChangeStations(Connection const& c);
bool IsChangeSetSubset(ChangeStationSet const& a, ChangeStationSet const& b);
// One set per way through the network, in list order: a set that a kept
// one holds goes, one that holds a kept set replaces it. A connection
// without a change adds none: every set holds its empty set, and a search
// through no change points would be no restriction.
std::vector<ChangeStationSet> CollectChangeStationSets(ConnectionList const& list);
int32_t AverageConnectionDuration(ConnectionList const& list);
bool IsBetterConnectionList(ConnectionList const& list, ConnectionList const& saved);

}  // namespace qo
