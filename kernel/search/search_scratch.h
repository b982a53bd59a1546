#pragma once
// The working state of engine passes: per timetable (held in its record)
// the arrival profiles (per via level and station), the label chains (per
// round and station) and the ride marks (per via level and train); and one
// label pool for the kernel. Both are sized once and reused by every pass,
// so a pass does not allocate once the first searches have grown them.
#include <cstdint>
#include <utility>
#include <vector>

#include "search/arrival_profile.h"

namespace qo {

struct TimetableRecord;
struct SearchMarks;

inline constexpr int32_t kNoLabel = -1;

inline constexpr uint8_t kEndUseKnown = 1;
inline constexpr uint8_t kEndMayAlight = 2;
inline constexpr uint8_t kEndMayBoard = 4;

struct Label {
  int32_t Arrival = 0;          // minutes from midnight of the search day
  int32_t OriginDeparture = 0;  // the journey's departure from its From station
  int32_t BoardStation = 0;     // where the ride that made the label began
  int32_t Train = -1;           // -1: a walk or an external link
  int16_t ViaLevel = 0;
  int16_t Rail = 0;
  int32_t Timetable = 0;      // loaded-set index of the boarding timetable
  int32_t Parent = kNoLabel;  // the label at the boarding station
  int32_t Distance = 0;       // kilometres from the origin
  uint8_t Referenced = 0;     // a child names it: never reused in this pass
  int32_t Station = 0;        // where the label sits
};

// What a walk along a chain reads of each label, kept apart from the
// labels so that a walk touches a quarter of a cache line per label: the
// label's key (arrival and distance, as in the profiles), its origin
// departure and via level, and the next label of the chain (or of the
// free list).
struct ChainNode {
  int32_t Key = 0;
  int32_t OriginDeparture = 0;
  int32_t Next = kNoLabel;
  int32_t ViaLevel = 0;
};

struct RideMark {
  int16_t Boarding = 0x7FFF;
  int16_t OriginDeparture = -1;
  int16_t Distance = 0;
};

struct EngineScratch {
  int32_t Stations = 0;
  int32_t Trains = 0;
  int32_t Levels = 0;                    // via levels 0..V
  int32_t Rounds = 0;                    // rounds 0..maximum changes
  std::vector<ArrivalProfile> Profiles;  // [level * Stations + station]
  std::vector<int32_t> TouchedProfiles;
  std::vector<int32_t> ChainHeads;  // [round * Stations + station]
  std::vector<int32_t> ChainTails;  // the last label of each chain
  std::vector<RideMark> RideMarks;  // [level * Trains + train]
  std::vector<int32_t> MarksSet;    // the marks a pass set, to clear for the next
  std::vector<uint8_t> EndMarks;    // From-station groups of a backward pass
  // Whether a train runs on a day, as the pass running found it: per train
  // kRunDays days around the day searched (0: not yet asked, 1: no, 2:
  // yes), and the entries set, to clear for the next pass.
  static constexpr int32_t kRunDays = 8;
  static constexpr int32_t kFirstRunDay = -4;
  std::vector<uint8_t> Runs;
  std::vector<int32_t> RunsSet;
  bool RunsByTrain = false;
  // Per station the place of its first From entry (-1: none), and per
  // entry whether it agrees with its town's region.
  std::vector<int16_t> FromPosition;
  std::vector<uint8_t> FromAgrees;
  // Per train where its stop words lie (count -1: not yet known): a train
  // stored as a reference to a shared stop pattern decoded into
  // DecodedWords (Offset), a stored list in the image (Stored). Both live
  // as long as this scratch, so a train is decoded once at most (the
  // words grow to the timetable's stops at most).
  struct DecodedStops {
    int32_t Offset = 0;
    int32_t Count = -1;
    uint8_t const* Stored = nullptr;
  };
  std::vector<DecodedStops> Decoded;
  std::vector<uint8_t> DecodedWords;
  // Per train, once a search that counts kilometres rode it: where its
  // stops' kilometres from its first stop lie in Kilometres (count -1: the
  // train has no distances; -2: not yet known).
  struct TrainKilometres {
    int32_t Offset = 0;
    int32_t Count = -2;
  };
  std::vector<TrainKilometres> KilometreIndex;
  std::vector<int32_t> Kilometres;
  // Per station, once known: whether some train may be left there, and
  // whether some train may be boarded there (kEnd... bits).
  std::vector<uint8_t> EndUse;
  // The most minutes a train of the timetable rides between two of its
  // stops (-1: not yet known), and the most a time-zone step takes one
  // back.
  int32_t LongestRide = -1;
  int32_t LongestStepBack = 0;
  // The station graph of the lower bounds on the minutes to an end
  // station: per station its neighbours by the fewest minutes, out and in
  // (no offsets: not yet built); and the bucket queue of their search.
  struct HopGraph {
    std::vector<int32_t> Offsets;
    std::vector<int32_t> Targets;
    std::vector<int32_t> Minutes;
  };
  HopGraph HopsOut;
  HopGraph HopsIn;
  std::vector<int32_t> HopBuckets;  // per minute its first queued station
  std::vector<int32_t> HopQueued;   // queued stations: station, next
  std::vector<std::pair<int32_t, int32_t>> HopSeeds;
  std::vector<uint8_t> ViaStations;  // where a via point may be passed
  // The bounds last found: to (backward from) these end stations.
  std::vector<int32_t> ToEnd;
  std::vector<int32_t> ToEndStations;
  bool ToEndBackward = false;
  // The lines of the fewest rides to an end (search_ride_levels): the
  // stations of each distinct sequence a train calls at, from
  // LineOffsets[line] on; per station the lines that call there and at
  // which of their places, from CallOffsets[station] on; and per station
  // the stations that walk to it (no offsets: not yet built).
  struct RideLines {
    std::vector<int32_t> LineOffsets;
    std::vector<int32_t> LineStations;
    std::vector<int32_t> CallOffsets;
    std::vector<int32_t> CallLines;
    std::vector<int32_t> CallPositions;
    std::vector<int32_t> WalkOffsets;
    std::vector<int32_t> WalkTargets;
  };
  RideLines Lines;
  // Per line the places its stations are known from (forward those before
  // it, backward those after), and the stations found at the last level
  // and at the next.
  std::vector<int32_t> LineDone;
  std::vector<int32_t> RideFrontier;
  std::vector<int32_t> RideNext;
  // Before a via point: the stations by their level after it, per place
  // of a line the nearest via place a ride from there passes, and per line
  // the places known by rides that pass it.
  std::vector<int32_t> AfterByLevel;
  std::vector<int32_t> ViaPlace;
  std::vector<int32_t> ViaLineDone;
  // The levels last found: to (backward from) these end stations.
  std::vector<uint8_t> RideLevels;
  std::vector<int32_t> RideLevelEnds;
  bool RideLevelsBackward = false;

  ArrivalProfile& Profile(int level, int32_t station) {
    return Profiles[static_cast<size_t>(level * Stations + station)];
  }
  int32_t& Head(int round, int32_t station) {
    return ChainHeads[static_cast<size_t>(round * Stations + station)];
  }
  int32_t& Tail(int round, int32_t station) {
    return ChainTails[static_cast<size_t>(round * Stations + station)];
  }
  RideMark& Mark(int level, uint32_t train) {
    return RideMarks[static_cast<size_t>(level) * static_cast<size_t>(Trains) + train];
  }
};

// The timetable's engine scratch, made when first asked for.
EngineScratch& EngineScratchOf(TimetableRecord& t);

// Makes a timetable's scratch ready for a pass with `levels` via levels and
// `rounds` rounds: empty profiles and chains, fresh ride marks.
EngineScratch& PrepareEngineScratch(TimetableRecord& t, int levels, int rounds);

struct LabelPool {
  std::vector<Label> Labels;
  std::vector<ChainNode> Nodes;  // parallel to Labels
  int32_t FreeLabel = kNoLabel;
  std::vector<int32_t> FromTimetables;  // distinct, in the order named
  std::vector<int32_t> TakingPart;      // loaded-set indexes
  std::vector<uint8_t> Takes;           // per loaded-set index: 1 when it takes part
  // Per loaded-set index, for the pass running: the state of a timetable
  // that takes part (null for the others).
  std::vector<EngineScratch*> HeldScratch;
  std::vector<SearchMarks const*> HeldMarks;
  // The chain a round continues from at one station, in its order, and per
  // label the arrival of the first later one that covers its departures
  // (kNoCover: none); the chain does not change while the round reads it.
  static constexpr int32_t kNoCover = 0x7FFFFFFF;
  std::vector<int32_t> Chain;
  std::vector<int32_t> Cover;
  std::vector<int32_t> ChainDeparture;
  std::vector<int16_t> ChainLevel;
  // The end stations of a pass (loaded-set index, station) and the times
  // a ride can end at each: those of end k from EndTimeStarts[k] on.
  std::vector<std::pair<int32_t, int32_t>> EndStations;
  std::vector<int32_t> EndTimes;
  std::vector<int32_t> EndTimeStarts;
  std::vector<int32_t> EndStationNumbers;  // the stations alone, for the lower bounds
  std::vector<int32_t> RideEnds;           // every end station, for the fewest rides
  // Below the last via level, the fewest rides to the end over the via
  // points still to pass (search_ride_levels).
  std::vector<std::vector<uint8_t>> ViaRideLevels;
  // Below the last via level, the lower bounds on the way to the end
  // over the via points still to pass (search_lower_bound).
  std::vector<std::vector<int32_t>> ViaToEnd;
  // Per minute of origin departure from the window's start: the earliest
  // arrival at the first end that a look ahead found for journeys leaving
  // then or later; and the stations it looks from.
  std::vector<int32_t> Ahead;
  std::vector<std::pair<int32_t, int32_t>> AheadStations;
  // Per train of the first end's timetable: 1 when it calls there (the
  // only trains the look ahead rides); per station: 1 when such a train
  // calls there too (the only stations it looks from).
  std::vector<uint8_t> AheadTrains;
  std::vector<uint8_t> AheadFeeders;
  // What bounds the journeys per minute of origin departure from the
  // window's start, as last worked out, and the stamp of the ends' state
  // then: it holds until a profile of an end station changes.
  struct HeldLimits {
    int32_t Stamp = -1;
    int32_t Bound = 0;
    int32_t By = 0;
  };
  std::vector<HeldLimits> Limits;
  int32_t LimitsStamp = 0;

  // Makes the pool empty again; its memory stays for the next pass.
  void ResetLabels() {
    Labels.clear();
    Nodes.clear();
    FreeLabel = kNoLabel;
  }
  int32_t TakeLabel();
  void ReturnLabel(int32_t label) {
    Nodes[static_cast<size_t>(label)].Next = FreeLabel;
    FreeLabel = label;
  }
  Label& At(int32_t label) { return Labels[static_cast<size_t>(label)]; }
  ChainNode& Node(int32_t label) { return Nodes[static_cast<size_t>(label)]; }
};

// The kernel's one label pool (one search runs at a time).
LabelPool& EngineLabels();

}  // namespace qo
