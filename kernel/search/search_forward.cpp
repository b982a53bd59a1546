// The search engines. The forward one (by departure): round 0 boards
// trains at the From stations within the window; round r continues from
// every label that round r - 1 left. A label survives only while no
// journey with as few changes departs no earlier from the origin and
// arrives no later, so the chains at the To stations hold the answer for
// the whole window.
//
// The backward one (by arrival) is the same pass with time, From and To
// mirrored: it keeps times as kMirror - minute, so that "later" on its
// scale means earlier in the day, starts at the To stations, rides trains
// towards their earlier stops and ends at the From stations. Only the event
// scans, the stop walk of a ride and the trace know the direction.
#include <algorithm>
#include <bit>
#include <mutex>
#include <tuple>

#include "calendars/day_type_state.h"
#include "format/stored_bits.h"
#include "links/station_links.h"
#include "boards/region_group.h"
#include "servicecodes/code_filter_state.h"
#include "servicecodes/service_codes.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/change_rules.h"
#include "search/change_time.h"
#include "search/connection_cleanup.h"
#include "search/connection_order.h"
#include "search/floor_math.h"
#include "search/search_control.h"
#include "search/search_limits.h"
#include "search/search_marks.h"
#include "search/search_params.h"
#include "search/search_lower_bound.h"
#include "search/search_reach.h"
#include "search/search_ride_levels.h"
#include "search/search_run.h"
#include "search/search_scratch.h"
#include "search/search_state.h"
#include "trains/running_day.h"
#include "trains/station_events.h"
#include "trains/train_checks.h"
#include "trains/train_distances.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int32_t kNoBound = 0x7FFFFFFF;
// The most end stations whose times bound a pass: a place's platforms.
constexpr size_t kMaxTimedEnds = 16;
// Below every time, and still so less any lower bound.
constexpr int32_t kNoEndTime = -(1 << 29);
// The minutes of origin departure a pass keeps figures for: its window.
constexpr size_t kWindowMinutes = 1441;
// The stations a round looks ahead from (see LookAhead).
constexpr size_t kAheadStations = 32;
// Up to this many From entries of a timetable, a train is boarded at a
// From station unless the From stops just before it were listed earlier.
constexpr size_t kFewFromEntries = 15;

// Bits of a train's type word the rides look at.
constexpr uint32_t kLowFloorTrain = 0x100000;
constexpr uint32_t kHasBedsTrain = 0x2000000;
constexpr uint32_t kNoLocalTrafficTrain = 0x80000000;

int32_t Div1440(int32_t t) { return static_cast<int32_t>(FloorDiv(t, 1440)); }
int32_t Mod1440(int32_t t) { return static_cast<int32_t>(FloorMod(t, 1440)); }

int32_t IndexOf(TimetableRecord const* t) {
  std::vector<TimetableRecord*> const& set = LoadedSet();
  return static_cast<int32_t>(std::find(set.begin(), set.end(), t) - set.begin());
}

bool TakesPart(TimetableRecord const& t) { return DayTypesOf(t).Filter.TypeMask != 0; }

// The first event at or after the minute (the count when none).
int32_t FirstEventAtOrAfter(StationEventList const& events, int32_t minute) {
  int32_t lo = 0, hi = events.count;
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    if (events.At(mid).minute < minute)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

// The stop word flags: a stop refuses boarding or alighting only when the
// other bit is clear.
bool RefusesBoarding(uint16_t flags) {
  return (flags & kStopNoBoarding) && !(flags & kStopNoAlighting);
}
bool RefusesAlighting(uint16_t flags) {
  return (flags & kStopNoAlighting) && !(flags & kStopNoBoarding);
}

// Stations at which a journey that came by rail is not left for a bus when
// trains are preferred. The timetable file has no place for such a list,
// so no station is marked and the rule holds no journey back.
bool PrefersTrainsAt(TimetableRecord const& /*t*/, int32_t /*station*/) { return false; }

// A rail station and a bus stop that share a key because rail stations
// merge as bus stops are two stops of one place: changing between them
// takes the scanned timetable's change time. Two records that merge under
// their own kind (or one naming the other's stop by its merge key) are one
// stop, and changing there takes no extra time.
bool FoldedRail(TimetableRecord const& t) { return t.MergeKind == 0 && t.Kind == kKindRail; }
bool OnePhysicalStop(TimetableRecord const& a, TimetableRecord const& b) {
  return FoldedRail(a) == FoldedRail(b);
}

template <bool kBackward>
class EnginePass {
 public:
  EnginePass(SearchRun& run, EngineCall const& call, LabelPool& labels)
      : run_(run),
        call_(call),
        s_(labels),
        list_(run.Found),
        parms_(CurrentSearchSettings().Parms) {}

  int Run();

 private:
  bool StopAsked() const { return SearchStopRequested(); }
  // The loaded set is looked up at every stop a ride passes: held once.
  TimetableRecord& Record(int32_t tt) { return *set_[static_cast<size_t>(tt)]; }
  // So is each timetable's state, for the timetables that take part.
  EngineScratch& Scratch(int32_t tt) {
    EngineScratch* held = s_.HeldScratch[static_cast<size_t>(tt)];
    return held ? *held : *SearchStateOf(Record(tt)).Engine;
  }
  SearchMarks const& Marks(int32_t tt) {
    SearchMarks const* held = s_.HeldMarks[static_cast<size_t>(tt)];
    return held ? *held : SearchStateOf(Record(tt)).Marks;
  }
  int16_t Alighting(int32_t tt, int32_t station) {
    return Marks(tt).Alighting[static_cast<size_t>(station)];
  }
  // A pass ends where the journey ends: at the To stations forward, at
  // the From stations backward.
  uint8_t Target(int32_t tt, int32_t station) {
    if constexpr (kBackward) return Scratch(tt).EndMarks[static_cast<size_t>(station)];
    return Marks(tt).Target[static_cast<size_t>(station)];
  }
  StationSet const& Origins() const { return kBackward ? run_.Request.To : run_.Request.From; }
  StationSet const& Ends() const { return kBackward ? run_.Request.From : run_.Request.To; }
  // A minute of the search day on the pass's scale and back.
  static int32_t Scaled(int32_t minute) { return kBackward ? kMirror - minute : minute; }
  // Calls f(event, day, time) for the boardable events of the station
  // from `from` to `last` on the pass's scale, wrapping over midnight,
  // until f returns false.
  template <typename F>
  void ScanEvents(StationEventList const& events, int32_t from, int32_t last, F&& f);
  void MarkEnds();
  void Step() {
    if (call_.ReportProgress) AddSearchStep();
  }
  void Phase(SearchPhase phase) {
    if (call_.ReportProgress) SetSearchPhase(phase);
  }

  void PrepareTimetables();
  bool EndsServed();
  bool OriginWithinRides();
  void PrepareRideLevels();
  // The levels to the end, which stand for those of every via level too
  // (a bound before a via point, if a looser one) until those are found.
  void UseRideLevels(uint8_t const* levels) {
    rideLevels_ = levels;
    std::fill(std::begin(viaRideLevels_), std::end(viaRideLevels_), levels);
  }
  // Below the last via level, bounds over the via points still to pass,
  // each worked out by `over` from those of the level above it (`last`
  // those once every via point is passed) into `held`, and read from
  // `out`.
  template <typename T, typename F>
  void OverViaPoints(std::vector<T> const& last, std::vector<std::vector<T>>& held, T const** out,
                     F&& over) {
    held.resize(kMaxViaPoints);
    std::vector<T> const* after = &last;
    for (int via = viaCount_ - 1; via >= 0; --via) {
      std::vector<T>& level = held[static_cast<size_t>(via)];
      over(via, *after, level);
      out[via] = level.data();
      after = &level;
    }
  }
  uint8_t EndUse(int32_t tt, int32_t station);
  // For a journey that left the origin at a time: the first end's found
  // arrival (kNoBound: none yet), and the latest time its labels may have
  // (see EndBy).
  struct EndLimits {
    int32_t Bound = kNoBound;
    int32_t By = kNoBound;
  };
  // Asked for every label, boarding and walk: what LimitsFor last worked
  // out serves until the ends' state changes.
  EndLimits LimitsFor(int32_t originDeparture) {
    if (destTimetable_ < 0) return {};
    const int32_t at = WindowSlot(originDeparture);
    LabelPool::HeldLimits* held = at >= 0 ? &s_.Limits[static_cast<size_t>(at)] : nullptr;
    const EndLimits limits = held && held->Stamp == limitsStamp_
                                 ? EndLimits{held->Bound, held->By}
                                 : WorkOutLimits(originDeparture, held);
    // The lower bounds are worth their search once the pass has grown.
    if (limits.By != kNoBound && toEndWanted_ && !toEndKnown_ &&
        s_.Labels.size() > lowerBoundsAfter_)
      PrepareLowerBounds();
    return limits;
  }
  EndLimits WorkOutLimits(int32_t originDeparture, LabelPool::HeldLimits* held);
  void PrepareEndTimes();
  void CollectEndTimes();
  int32_t EndBy(int32_t originDeparture, int32_t firstKey, int32_t ahead);
  void PrepareLowerBounds();
  void LookAhead();
  // The minute of the window a journey left the origin at (-1: outside
  // it), where the kept bounds and the look ahead's findings are held.
  int32_t WindowSlot(int32_t originDeparture) const {
    const int32_t at = originDeparture - windowTime_;
    return at >= 0 && at < static_cast<int32_t>(kWindowMinutes) ? at : -1;
  }
  void NoteAhead(int32_t originDeparture, int32_t arrival) {
    const int32_t at = WindowSlot(originDeparture);
    if (at < 0 || ahead_.empty()) return;
    ahead_[static_cast<size_t>(at)] = std::min(ahead_[static_cast<size_t>(at)], arrival);
    ++limitsStamp_;
  }
  // The look ahead's table exists once it first ran in the pass.
  int32_t AheadFor(int32_t originDeparture) const {
    const int32_t at = WindowSlot(originDeparture);
    return at >= 0 && !ahead_.empty() ? ahead_[static_cast<size_t>(at)] : kNoBound;
  }
  // The latest time a label at the station and via level may have when it
  // must be at the end station by `endBy`.
  int32_t LeaveBy(int32_t endBy, int32_t station, int via) const {
    return endBy == kNoBound || !toEndKnown_
               ? endBy
               : endBy - toEnd_[static_cast<size_t>(via)][static_cast<size_t>(station)];
  }
  void StartFromOrigin(int32_t tt);
  void ProcessStation(int32_t tt, int32_t station);
  void SnapshotChain(int32_t tt, int32_t station);
  void ProcessChain(int32_t tt, int32_t station, int32_t scanTt, int32_t scanStation,
                    StationEventList const& events, bool limitByLater, bool ahead = false);
  void RideTrain(int32_t tt, uint32_t train, int32_t station, int32_t boarding, int eventMinute,
                 int32_t originDeparture, int via, int32_t parent, bool ahead = false);
  void InsertLabel(int32_t tt, int32_t station, int via, int32_t arrival, int32_t distance,
                   int32_t originDeparture, int32_t boardStation, int32_t train, int32_t parent,
                   int32_t boardTt);
  static bool PassesVia(TimetableRecord const& t, int32_t from, int32_t to, uint16_t bit,
                        std::vector<uint16_t> const& passVia);
  bool BetterTargetLater(int32_t tt, StopList const& stops, int32_t at, uint8_t mark,
                         bool requestRide);
  bool PassedBetterOrigin(int32_t tt, int32_t station, StopList const& stops, int32_t board);
  void RelaxWalks(int32_t tt, int32_t station, int32_t label, int32_t limit);
  void RelaxExternLinks(int32_t tt, int32_t station, int32_t label, int32_t limit);
  bool WalkTo(int32_t tt, int32_t station, int32_t label, int32_t minutes, int32_t sourceTt);
  bool LinkLeads(int32_t tt, int32_t station, int32_t otherTt, int32_t other);
  template <typename F>
  void ForEachRingMember(int32_t tt, int32_t station, F&& f);
  template <typename F>
  void ForEachEquivalent(int32_t tt, int32_t station, F&& f);
  // The via point a journey passes next: backward the last one first.
  uint16_t ViaBit(int via) const {
    return static_cast<uint16_t>(1u << (kBackward ? viaCount_ - 1 - via : via));
  }
  static int32_t LowestTypeBit(TimetableRecord const& t, int32_t train);
  uint32_t TypeWord(int32_t tt, int32_t train) {
    TimetableRecord const& t = Record(tt);
    return train >= 0 && train < t.TrainTypeWords.size() ? t.TrainTypeWords[train] : 0;
  }
  static int32_t Penalty(std::vector<std::vector<uint8_t>> const& rows, int32_t label,
                         int32_t other);
  int32_t StationKey(int32_t tt, int32_t station) {
    TimetableRecord const& t = Record(tt);
    return station < t.StationKeys.size() ? t.StationKeys[station] : station;
  }
  bool Takes(int32_t tt) const { return takes_[static_cast<size_t>(tt)] != 0; }
  // Counting kilometres, a shorter way at the same departure improves too.
  bool Improves(ArrivalProfile const& profile, int32_t key, int32_t originDeparture) const {
    return distanceMode_ ? profile.ImprovesOrShorter(key, originDeparture)
                         : profile.Improves(key, originDeparture);
  }
  bool LeadsIntoCity(int32_t tt, int32_t station);
  // Whether the event's train runs on the day (days from the day searched)
  // and passes the type filter: asked for every event a scan meets, and
  // kept per train and day where the types do not depend on the station.
  bool Runs(int32_t tt, int32_t day, StationEvent const& ev, uint16_t station) {
    auto ask = [&] {
      TimetableRecord const& t = Record(tt);
      return IsTrainRunningOnDay(DayTypesOf(t).Filter, t, day, ev, station, nullptr) != 0;
    };
    const int32_t slot = day - ev.DayOffset() - EngineScratch::kFirstRunDay;
    EngineScratch& ts = Scratch(tt);
    if (!ts.RunsByTrain || slot < 0 || slot >= EngineScratch::kRunDays ||
        ev.Train() >= static_cast<uint32_t>(ts.Trains))
      return ask();
    const int32_t at = static_cast<int32_t>(ev.Train()) * EngineScratch::kRunDays + slot;
    uint8_t& known = ts.Runs[static_cast<size_t>(at)];
    if (known == 0) {
      known = ask() ? 2 : 1;
      ts.RunsSet.push_back(at);
    }
    return known == 2;
  }
  StopList Stops(int32_t tt, uint32_t train);
  int32_t const* Kilometres(int32_t tt, uint32_t train, int32_t stops);
  void Extract(int32_t tt);
  Connection Trace(int32_t label);
  bool TraceLeg(Label const& label, int32_t toStation, ConnectionLeg& leg);
  bool TraceLegBackward(Label const& label, ConnectionLeg& leg);
  void NoteViaStations(Label const& label, int level, ConnectionLeg& leg);

  SearchRun& run_;
  std::vector<TimetableRecord*> const& set_ = LoadedSet();
  EngineCall const& call_;
  LabelPool& s_;
  ConnectionList& list_;
  ConnParms const& parms_;
  std::vector<int32_t>& takingPart_ = s_.TakingPart;
  std::vector<uint8_t>& takes_ = s_.Takes;
  int32_t windowTime_ = 0;
  int32_t interval_ = 0;
  int maxChanges_ = 0;
  int viaCount_ = 0;
  int round_ = 0;
  int32_t originEntry_ = 0;  // the From entry of the rides from the origin
  int32_t endMarker_ = 0;
  int32_t destTimetable_ = -1;
  int32_t destStation_ = 0;
  bool secondPass_ = false;
  // The end stations, whose times bound what a journey may still improve
  // there (see EndBy).
  bool endsByTimes_ = false;
  bool endTimesKnown_ = false;
  PassReach reach_;
  std::vector<std::pair<int32_t, int32_t>>& endStations_ = s_.EndStations;
  std::vector<int32_t>& endTimes_ = s_.EndTimes;
  std::vector<int32_t>& endTimeStarts_ = s_.EndTimeStarts;
  // With one timetable taking part, the lower bounds on the minutes to the
  // end stations, found when a bound first needs them.
  bool toEndWanted_ = false;
  size_t lowerBoundsAfter_ = 0;
  bool toEndKnown_ = false;
  int32_t const* toEnd_[kMaxViaPoints + 1] = {};
  // With one timetable taking part, per station the fewest rides to an
  // end, found when the pass has grown (null until then).
  bool rideLevelsWanted_ = false;
  uint8_t const* rideLevels_ = nullptr;
  // The same per via level, below the last over the via points still to
  // pass (until found, the levels to the end stand for them).
  bool viaRideLevelsKnown_ = false;
  uint8_t const* viaRideLevels_[kMaxViaPoints + 1] = {};
  // Before each round, a look ahead from the stations nearest the first
  // end (see LookAhead).
  bool aheadWanted_ = false;
  std::vector<int32_t>& ahead_ = s_.Ahead;
  std::vector<uint8_t>& aheadTrains_ = s_.AheadTrains;
  std::vector<uint8_t>& aheadFeeders_ = s_.AheadFeeders;
  // Changed whenever what LimitsFor reads may have changed.
  int32_t& limitsStamp_ = s_.LimitsStamp;
  bool stopped_ = false;
  // Set by the corridor for the pass: kilometres count (and how many a
  // ride may reach, 0 = any), and trains are preferred to buses.
  bool distanceMode_ = false;
  int32_t distanceLimit_ = 0;
  bool preferTrains_ = false;
  // The rail flag of the journeys that leave the From entry being started.
  int16_t originRail_ = 0;
};

template <bool kBackward>
int EnginePass<kBackward>::Run() {
  maxChanges_ = call_.ChangesAllowed ? std::clamp(parms_.MaxChanges, 0, kMaxChanges) : 0;
  windowTime_ = Scaled(run_.WindowMinute);
  interval_ = run_.WindowLength;
  if (call_.ReportProgress) BeginSearchPass(windowTime_, maxChanges_);
  // A stop asked before the pass began leaves the list as it is.
  if (run_.Request.From.empty() || run_.Request.To.empty() || StopAsked())
    return static_cast<int>(list_.size());

  SearchCounters& counters = CurrentSearchCounters();
  int64_t clock = SearchClockNanoseconds();
  takingPart_.clear();
  takes_.assign(LoadedSet().size(), 0);
  s_.HeldScratch.assign(LoadedSet().size(), nullptr);
  s_.HeldMarks.assign(LoadedSet().size(), nullptr);
  for (size_t i = 0; i < LoadedSet().size(); ++i) {
    if (!TakesPart(*LoadedSet()[i])) continue;
    takingPart_.push_back(static_cast<int32_t>(i));
    takes_[i] = 1;
  }
  s_.ResetLabels();
  PrepareTimetables();
  distanceMode_ = run_.DistanceMode;
  // Without kilometres a journey's distance is its walks' only.
  distanceLimit_ = run_.DistanceMode ? run_.DistanceLimit : 0;
  preferTrains_ = run_.PreferTrains;
  reach_ = ReachOfPass(run_, kBackward, maxChanges_);
  PrepareEndTimes();
  const int64_t prepared = SearchClockNanoseconds();
  counters.PrepareNanoseconds += prepared - clock;
  Step();
  Phase(PhaseStartLabelled);
  endMarker_ =
      windowTime_ + interval_ + ((kBackward ? call_.ContinueLater : call_.ContinueEarlier) ? 0 : 1);

  // Round 0, from each distinct origin timetable in the order first named.
  round_ = 0;
  std::vector<int32_t>& fromTimetables = s_.FromTimetables;
  fromTimetables.clear();
  for (SearchStation const& p : Origins()) {
    const int32_t tt = IndexOf(p.timetable);
    if (p.timetable && TakesPart(*p.timetable) && p.station >= 0 &&
        std::find(fromTimetables.begin(), fromTimetables.end(), tt) == fromTimetables.end())
      fromTimetables.push_back(tt);
  }
  // Where no train may be left at any end station, no journey ends there,
  // in this window or any other; nor where none runs within the pass's reach.
  const bool hopeless =
      !EndsServed() || !EndWithinReach(run_, kBackward, reach_) || !OriginWithinRides();
  for (int32_t tt : fromTimetables) {
    if (hopeless || stopped_ || StopAsked()) break;
    StartFromOrigin(tt);
  }
  stopped_ = stopped_ || StopAsked();
  Step();

  for (round_ = 1; round_ <= maxChanges_ && !stopped_ && !hopeless; ++round_) {
    // Out of time: what the finished rounds found is handed out.
    if (IsSearchTimeUp()) break;
    for (int32_t tt : takingPart_) {
      EngineScratch& ts = Scratch(tt);
      for (int32_t p : ts.TouchedProfiles) ts.Profiles[static_cast<size_t>(p)].DropDistances();
    }
    ++limitsStamp_;
    LookAhead();
    // A grown pass leaves the stations too many rides from an end.
    if (rideLevelsWanted_ && !viaRideLevelsKnown_ && s_.Labels.size() > LabelsBeforeLowerBounds())
      PrepareRideLevels();
    const int ridesLeft = maxChanges_ - round_ + 1;
    for (int32_t tt : takingPart_) {
      EngineScratch& ts = Scratch(tt);
      uint8_t const* const levels = tt == destTimetable_ ? rideLevels_ : nullptr;
      for (int32_t station = 0; station < ts.Stations && !stopped_; ++station) {
        if (ts.Head(round_ - 1, station) == kNoLabel) continue;
        if (levels && levels[station] > ridesLeft) continue;
        ProcessStation(tt, station);
        if (StopAsked()) stopped_ = true;
      }
      if (stopped_) break;
    }
    Step();
  }

  // Whatever the finished rounds found is handed out, also after a stop or
  // when the time ran out.
  Phase(PhaseExtracting);
  round_ = std::min(round_ - 1, maxChanges_);
  const size_t before = list_.size();
  for (int32_t tt : takingPart_) Extract(tt);
  if (list_.size() != before) {
    if constexpr (kBackward)
      SortConnectionsByArrival(list_);
    else
      SortConnectionsByDeparture(list_);
  }
  // The clean-up of the list joins here.
  Step();
  counters.RoundsNanoseconds += SearchClockNanoseconds() - prepared;
  return static_cast<int>(list_.size());
}

template <bool kBackward>
void EnginePass<kBackward>::PrepareTimetables() {
  viaCount_ = std::clamp(run_.Request.ViaCount, 0, kMaxViaPoints);
  if (call_.ComputeBounds) ComputeSearchCorridor(run_);
  for (int32_t tt : takingPart_) {
    TimetableRecord& t = Record(tt);
    if (SearchStateOf(t).Marks.Alighting.size() != t.StationCount ||
        SearchStateOf(t).Marks.Target.size() != t.StationCount) {
      ComputeSearchCorridor(run_);
      break;
    }
  }
  for (int32_t tt : takingPart_) {
    TimetableRecord& t = Record(tt);
    EngineScratch& ts = PrepareEngineScratch(t, viaCount_ + 1, maxChanges_ + 1);
    // Where every type passes, the stored type words answer whatever the
    // station, and whether a train runs on a day is kept.
    ts.RunsByTrain = (DayTypesOf(t).Filter.TypeMask & t.TrainTypeMask) == t.TrainTypeMask;
    const auto runs = static_cast<size_t>(ts.Trains) * EngineScratch::kRunDays;
    if (ts.Runs.size() != runs) {
      ts.Runs.assign(runs, 0);
    } else {
      for (int32_t at : ts.RunsSet) ts.Runs[static_cast<size_t>(at)] = 0;
    }
    ts.RunsSet.clear();
    s_.HeldScratch[static_cast<size_t>(tt)] = &ts;
    s_.HeldMarks[static_cast<size_t>(tt)] = &SearchStateOf(Record(tt)).Marks;
  }
  if constexpr (kBackward) MarkEnds();
  destTimetable_ = -1;
  for (SearchStation const& p : Ends()) {
    if (!p.timetable || !TakesPart(*p.timetable) || p.station < 0) continue;
    destTimetable_ = IndexOf(p.timetable);
    destStation_ = p.station;
    break;
  }
  for (SearchStation const& p : Origins()) {
    if (!p.timetable || !TakesPart(*p.timetable) || p.station < 0) continue;
    EngineScratch& ts = *SearchStateOf(*p.timetable).Engine;
    ArrivalProfile& profile = ts.Profile(0, p.station);
    if (profile.Empty()) {
      profile.Start(windowTime_);
      ts.TouchedProfiles.push_back(p.station);
    }
  }
}

// A journey ends with a ride left at an end station (a walk never ends
// there): forward a train that arrives there without refusing alighting,
// backward one that departs from there without refusing boarding.
template <bool kBackward>
bool EnginePass<kBackward>::EndsServed() {
  for (SearchStation const& p : Ends()) {
    if (!p.timetable || !TakesPart(*p.timetable) || p.station < 0) continue;
    const int32_t tt = IndexOf(p.timetable);
    if (p.station >= Scratch(tt).Stations) return true;
    if (EndUse(tt, p.station) & (kBackward ? kEndMayBoard : kEndMayAlight)) return true;
  }
  return false;
}

// Known once per loaded timetable and station, from every train that
// calls there, on any day.
template <bool kBackward>
uint8_t EnginePass<kBackward>::EndUse(int32_t tt, int32_t station) {
  EngineScratch& ts = Scratch(tt);
  if (ts.EndUse.size() != static_cast<size_t>(ts.Stations))
    ts.EndUse.assign(static_cast<size_t>(ts.Stations), 0);
  uint8_t& use = ts.EndUse[static_cast<size_t>(station)];
  if (use & kEndUseKnown) return use;
  use = kEndUseKnown;
  StationEventList events = SelectStationEvents(Record(tt), static_cast<uint16_t>(station));
  for (int32_t i = 0; i < events.count; ++i) {
    StopList stops = Stops(tt, events.At(i).Train());
    for (int32_t j = 0; j < stops.count; ++j) {
      if (stops.Station(j) != station) continue;
      const uint16_t flags = stops.Time(j);
      if (j > 0 && stops.Station(j - 1) != station && !RefusesAlighting(flags))
        use |= kEndMayAlight;
      if (j + 1 < stops.count && stops.Station(j + 1) != station && !RefusesBoarding(flags))
        use |= kEndMayBoard;
    }
    if ((use & (kEndMayAlight | kEndMayBoard)) == (kEndMayAlight | kEndMayBoard)) break;
  }
  return use;
}

// With one timetable taking part, the fewest rides from a station to an
// end bound what a pass must look at once it has grown (see the rounds);
// a later window of the same search has them from its start, and finds
// nothing when no origin is near enough.
template <bool kBackward>
bool EnginePass<kBackward>::OriginWithinRides() {
  rideLevels_ = nullptr;
  rideLevelsWanted_ = takingPart_.size() == 1 && destTimetable_ >= 0;
  if (!rideLevelsWanted_) return true;
  TimetableRecord& t = Record(destTimetable_);
  std::vector<int32_t>& ends = s_.RideEnds;
  ends.clear();
  for (SearchStation const& p : Ends())
    if (p.timetable == &t && p.station >= 0) ends.push_back(p.station);
  std::vector<uint8_t> const* kept = KeptEndRideLevels(t, ends, kBackward);
  if (!kept) return true;
  UseRideLevels(kept->data());
  for (SearchStation const& p : Origins())
    if (p.timetable == &t && p.station >= 0 && static_cast<size_t>(p.station) < kept->size() &&
        (*kept)[static_cast<size_t>(p.station)] <= maxChanges_ + 1)
      return true;
  return false;
}

// Per via level: to the end stations once every via point is passed,
// before that over the next via point first. Those cost a search per via
// point, worth it only while the pass has found nothing at its first end
// (what it finds there bounds it by time): until then, and where they are
// not worth it, the levels to the end stand for them.
template <bool kBackward>
void EnginePass<kBackward>::PrepareRideLevels() {
  TimetableRecord& t = Record(destTimetable_);
  std::vector<uint8_t> const& after = EndRideLevels(t, s_.RideEnds, kBackward);
  if (!rideLevels_) UseRideLevels(after.data());
  viaRideLevelsKnown_ = viaCount_ == 0;
  if (viaCount_ == 0 || !Scratch(destTimetable_).Profile(viaCount_, destStation_).Empty()) return;
  OverViaPoints(after, s_.ViaRideLevels, viaRideLevels_,
                [&](int via, auto const& next, auto& level) {
                  ViaRideLevels(t, ViaBit(via), kBackward, next, level);
                });
  viaRideLevelsKnown_ = true;
}

template <bool kBackward>
typename EnginePass<kBackward>::EndLimits EnginePass<kBackward>::WorkOutLimits(
    int32_t originDeparture, LabelPool::HeldLimits* held) {
  const int32_t key =
      Scratch(destTimetable_).Profile(viaCount_, destStation_).Query(originDeparture);
  const int32_t ahead = AheadFor(originDeparture);
  // A journey may still arrive as early as the look ahead found: the bound
  // is the minute after.
  const EndLimits limits{std::min(key == kNoKey ? kNoBound : KeyArrival(key),
                                  ahead == kNoBound ? kNoBound : ahead + 1),
                         EndBy(originDeparture, key, ahead)};
  if (held) *held = {limitsStamp_, limits.Bound, limits.By};
  return limits;
}

// A journey ends where a ride reaches an end station, at one of the
// station's own times. In round 1 and later a journey improves on what an
// end station found only by an earlier arrival (its profile keys carry no
// distance then; one found in this round still does, and one as early
// with less walking improves it), so it must be at some end station by the
// last of its times before the arrival found there: when the ends are
// served a few times an hour, that prunes all the labels too late for the
// next one and not just for the one already found. Counting kilometres (a
// shorter way improves too), with more than kMaxTimedEnds end stations, a
// station that is also the same station of another timetable (its
// arrivals come from there too), or when a time-zone step takes a ride
// back in time, the bound stays the first end's found arrival alone.
template <bool kBackward>
void EnginePass<kBackward>::PrepareEndTimes() {
  endsByTimes_ = false;
  toEndKnown_ = false;
  toEndWanted_ = false;
  aheadWanted_ = false;
  ahead_.clear();
  // The stamps go on from pass to pass, so that no entry of an earlier
  // pass is taken for one of this.
  if (s_.Limits.size() != kWindowMinutes || s_.LimitsStamp > (1 << 30)) {
    s_.Limits.assign(kWindowMinutes, LabelPool::HeldLimits{});
    s_.LimitsStamp = 0;
  }
  ++s_.LimitsStamp;
  endStations_.clear();
  endTimes_.clear();
  endTimeStarts_.clear();
  if (!parms_.LimitOnTarget || distanceMode_ || destTimetable_ < 0) return;
  for (SearchStation const& p : Ends()) {
    if (!p.timetable || !TakesPart(*p.timetable) || p.station < 0) continue;
    const std::pair<int32_t, int32_t> end{IndexOf(p.timetable), p.station};
    if (std::find(endStations_.begin(), endStations_.end(), end) != endStations_.end()) continue;
    if (endStations_.size() == kMaxTimedEnds) return;
    bool shared = false;
    ForEachRingMember(end.first, end.second, [&](int32_t otherTt, int32_t) {
      shared = shared || (otherTt != end.first && Takes(otherTt));
    });
    if (shared) return;
    endStations_.push_back(end);
  }
  if (reach_.StepBack > 0) return;
  endsByTimes_ = true;
  endTimesKnown_ = false;
  toEndWanted_ = takingPart_.size() == 1;
  lowerBoundsAfter_ = LabelsBeforeLowerBounds();
  // The look ahead rides as the round will; a change-time callback would
  // be asked twice.
  aheadWanted_ = toEndWanted_ && (kBackward || !CurrentSearchSettings().ChangeFun);
}

// The ends' times, when a bound first asks for them (a pass that finds
// its journeys in round 0 never does). An end no ride reaches within the
// pass's reach bounds nothing.
template <bool kBackward>
void EnginePass<kBackward>::CollectEndTimes() {
  size_t kept = 0;
  for (size_t k = 0; k < endStations_.size(); ++k) {
    const auto start = static_cast<int32_t>(endTimes_.size());
    EndTimesWithinReach(reach_, kBackward, Record(endStations_[k].first), endStations_[k].second,
                        endTimes_);
    if (static_cast<int32_t>(endTimes_.size()) == start) continue;
    endStations_[kept++] = endStations_[k];
    endTimeStarts_.push_back(start);
  }
  endStations_.resize(kept);
  endTimeStarts_.push_back(static_cast<int32_t>(endTimes_.size()));
  endTimesKnown_ = true;
  endsByTimes_ = kept > 0;
  ++limitsStamp_;
}

// The latest time on the pass's scale a label of a journey that left the
// origin at `originDeparture` may have and still lead to an improvement at
// an end station (kNoBound: none is known, kNoEndTime: it cannot). Where
// an end has found nothing for the departure yet, the first end's found
// arrival still bounds every journey, as it does the labels themselves;
// so does the arrival the look ahead found there (`ahead`), which a
// journey may still equal.
template <bool kBackward>
int32_t EnginePass<kBackward>::EndBy(int32_t originDeparture, int32_t firstKey, int32_t ahead) {
  if (!endsByTimes_ || round_ == 0) return kNoBound;
  if (!endTimesKnown_) {
    CollectEndTimes();
    if (!endsByTimes_) return kNoBound;
  }
  int32_t by = kNoEndTime;
  for (size_t k = 0; k < endStations_.size(); ++k) {
    auto const [tt, station] = endStations_[k];
    const bool first = tt == destTimetable_ && station == destStation_;
    const int32_t key =
        first ? firstKey : Scratch(tt).Profile(viaCount_, station).Query(originDeparture);
    // What the look ahead found there is still to be found: a journey may
    // arrive as early.
    const int32_t still = first ? ahead : kNoBound;
    if (key == kNoKey && still == kNoBound) {
      by = kNoBound;
      break;
    }
    int32_t endBy = key == kNoKey ? kNoBound : KeyArrival(key);
    if (key != kNoKey && (key & 0xFFFF) == 0) {
      auto const begin = endTimes_.begin() + endTimeStarts_[k];
      auto const later = std::lower_bound(begin, endTimes_.begin() + endTimeStarts_[k + 1], endBy);
      endBy = later == begin ? kNoEndTime : *(later - 1);
    }
    by = std::max(by, std::min(endBy, still));
  }
  if (firstKey != kNoKey) by = std::min(by, KeyArrival(firstKey));
  return std::min(by, ahead);
}

// Per via level: to the end stations once every via point is passed,
// before that over the next via point first.
template <bool kBackward>
void EnginePass<kBackward>::PrepareLowerBounds() {
  TimetableRecord& t = Record(destTimetable_);
  std::vector<int32_t>& ends = s_.EndStationNumbers;
  ends.clear();
  for (auto const& end : endStations_) ends.push_back(end.second);
  std::vector<int32_t> const& after = EndLowerBounds(t, ends, kBackward);
  toEnd_[viaCount_] = after.data();
  OverViaPoints(after, s_.ViaToEnd, toEnd_, [&](int via, auto const& next, auto& level) {
    ViaLowerBounds(t, ViaBit(via), kBackward, next, level);
  });
  toEndKnown_ = true;
}

// Until a round reaches the first end, nothing bounds the journeys that
// have not arrived there yet, and the round's stations go in the order of
// their numbers (which decides between journeys as good as each other).
// So before it, the rides of the round from the stations nearest the end
// (of those that a train calling there calls at) look ahead: what they
// find there the round will find too, and bounds the others from the
// start. They change nothing else.
template <bool kBackward>
void EnginePass<kBackward>::LookAhead() {
  if (!aheadWanted_ || stopped_) return;
  if (!toEndKnown_) {
    if (s_.Labels.size() <= lowerBoundsAfter_) return;
    if (!endTimesKnown_) CollectEndTimes();
    if (!endsByTimes_) return;
    PrepareLowerBounds();
  }
  const int32_t tt = destTimetable_;
  EngineScratch& ts = Scratch(tt);
  if (ahead_.empty()) {
    // The trains that call at the end, and the stations they call at:
    // from no other station does a ride of the round reach the end.
    aheadTrains_.assign(static_cast<size_t>(ts.Trains), 0);
    aheadFeeders_.assign(static_cast<size_t>(ts.Stations), 0);
    StationEventList events = SelectStationEvents(Record(tt), static_cast<uint16_t>(destStation_));
    for (int32_t i = 0; i < events.count; ++i) {
      const uint32_t train = events.At(i).Train();
      if (train >= aheadTrains_.size() || aheadTrains_[train]) continue;
      aheadTrains_[train] = 1;
      StopList stops = Stops(tt, train);
      for (int32_t j = 0; j < stops.count; ++j)
        aheadFeeders_[static_cast<size_t>(stops.Station(j))] = 1;
    }
    ahead_.assign(kWindowMinutes, kNoBound);
  }
  std::vector<std::pair<int32_t, int32_t>>& near = s_.AheadStations;
  near.clear();
  for (int32_t station = 0; station < ts.Stations; ++station) {
    if (ts.Head(round_ - 1, station) == kNoLabel || !aheadFeeders_[static_cast<size_t>(station)])
      continue;
    int32_t least = kNoBound;
    for (int via = 0; via <= viaCount_; ++via)
      least = std::min(least, toEnd_[via][static_cast<size_t>(station)]);
    if (least < kEndUnreachable) near.emplace_back(least, station);
  }
  const size_t n = std::min(near.size(), kAheadStations);
  std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(n), near.end());
  for (size_t i = 0; i < n && !stopped_; ++i) {
    const int32_t station = near[i].second;
    SnapshotChain(tt, station);
    ProcessChain(tt, station, tt, station,
                 SelectStationEvents(Record(tt), static_cast<uint16_t>(station)), true, true);
  }
  for (size_t i = ahead_.size() - 1; i-- > 0;) ahead_[i] = std::min(ahead_[i], ahead_[i + 1]);
  ++limitsStamp_;
}

template <bool kBackward>
void EnginePass<kBackward>::StartFromOrigin(int32_t tt) {
  TimetableRecord& t = Record(tt);
  // Backward the slack applies whenever changes are allowed: the callback
  // is never asked there.
  const bool slack = call_.ChangesAllowed && (kBackward || !CurrentSearchSettings().ChangeFun);
  const int32_t length = std::min(interval_ + (slack ? std::min(interval_ / 2, 120) : 0), 1439);
  const int32_t windowEnd = windowTime_ + length;
  ChangeTimeFunction const callback = kBackward ? nullptr : CurrentSearchSettings().ChangeFun;
  // The From stations of this timetable by their place in the list, and
  // whether each agrees with its town's region (the callback, forward,
  // leaves that to the caller).
  EngineScratch& ts = Scratch(tt);
  ts.FromPosition.assign(static_cast<size_t>(ts.Stations), -1);
  ts.FromAgrees.clear();
  int entries = 0;
  for (SearchStation const& from : Origins()) {
    if (from.timetable != &t || from.station < 0) continue;
    if (entries == kMaxFromStationsPerTimetable) break;
    int16_t& position = ts.FromPosition[static_cast<size_t>(from.station)];
    if (position < 0) position = static_cast<int16_t>(entries);
    ts.FromAgrees.push_back(!callback && PassesTownListTest(tt, from.station) ? 1 : 0);
    ++entries;
  }
  entries = 0;
  for (SearchStation const& from : Origins()) {
    if (from.timetable != &t || from.station < 0) continue;
    if (entries == kMaxFromStationsPerTimetable) break;
    originEntry_ = entries++;
    const uint16_t station = static_cast<uint16_t>(from.station);
    const int32_t key = StationKey(tt, station);
    originRail_ = preferTrains_ && t.Kind == kKindRail && PrefersTrainsAt(t, station) ? 1 : 0;
    StationEventList events = SelectStationEvents(t, station);
    if (events.count == 0) continue;
    const int32_t start = windowTime_ + std::max(from.minutes, 0);
    const bool continuing = kBackward ? call_.ContinueEarlier : call_.ContinueLater;
    ScanEvents(events, start, windowEnd, [&](StationEvent const& ev, int32_t day, int32_t time) {
      if (continuing && time == windowTime_) return true;
      if (!Runs(tt, day, ev, station)) return true;
      if (callback && !callback(tt, station, key, time, -1, -1, -1, nullptr)) return true;
      RideTrain(tt, ev.Train(), station, time, ev.minute, time, 0, kNoLabel);
      if (StopAsked()) stopped_ = true;
      return !stopped_;
    });
    if (stopped_) return;
  }
}

template <bool kBackward>
template <typename F>
void EnginePass<kBackward>::ScanEvents(StationEventList const& events, int32_t from, int32_t last,
                                       F&& f) {
  if (events.count == 0) return;
  if constexpr (!kBackward) {
    int32_t day = Div1440(from);
    for (int32_t at = FirstEventAtOrAfter(events, from - day * 1440);; ++at) {
      if (at == events.count) {
        at = 0;
        ++day;
      }
      StationEvent ev = events.At(at);
      ++CurrentSearchCounters().Events;
      const int32_t time = day * 1440 + ev.minute;
      if (time > last) return;
      if (ev.Departs() && !f(ev, day, time)) return;
    }
  } else {
    // Backward a ride starts where a train arrives, and the scan runs to
    // earlier events.
    const int32_t minute = kMirror - from;
    int32_t day = Div1440(minute);
    for (int32_t at = FirstEventAtOrAfter(events, minute - day * 1440 + 1) - 1;; --at) {
      if (at < 0) {
        at = events.count - 1;
        --day;
      }
      StationEvent ev = events.At(at);
      ++CurrentSearchCounters().Events;
      const int32_t time = kMirror - (day * 1440 + ev.minute);
      if (time > last) return;
      if (ev.Arrives() && !f(ev, day, time)) return;
    }
  }
}

// The From stations in their order, a new group wherever the station
// changes, as the corridor numbers the To stations for a forward pass.
template <bool kBackward>
void EnginePass<kBackward>::MarkEnds() {
  for (int32_t tt : takingPart_)
    Scratch(tt).EndMarks.assign(static_cast<size_t>(Scratch(tt).Stations), 0);
  int group = -1;
  SearchStation const* previous = nullptr;
  for (SearchStation const& s : run_.Request.From) {
    if (!s.timetable || !TakesPart(*s.timetable) || s.station < 0) continue;
    if (!previous || previous->station != s.station || previous->timetable != s.timetable)
      group = std::min(group + 1, kMaxTargetGroups - 1);
    previous = &s;
    uint8_t& mark = SearchStateOf(*s.timetable).Engine->EndMarks[static_cast<size_t>(s.station)];
    if (mark == 0) mark = static_cast<uint8_t>(2 * group + 1);
  }
}

// A later label that left the origin no earlier, at a via level no lower,
// covers the departures from its own arrival on: found once per station
// for every scan of its chain, over flat copies of the two fields.
template <bool kBackward>
void EnginePass<kBackward>::SnapshotChain(int32_t tt, int32_t station) {
  std::vector<int32_t>& chain = s_.Chain;
  std::vector<int32_t>& cover = s_.Cover;
  std::vector<int32_t>& departure = s_.ChainDeparture;
  std::vector<int16_t>& level = s_.ChainLevel;
  chain.clear();
  departure.clear();
  level.clear();
  for (int32_t c = Scratch(tt).Head(round_ - 1, station); c != kNoLabel; c = s_.Node(c).Next) {
    ChainNode const& l = s_.Node(c);
    chain.push_back(c);
    departure.push_back(l.OriginDeparture);
    level.push_back(static_cast<int16_t>(l.ViaLevel));
  }
  const size_t n = chain.size();
  cover.assign(n, LabelPool::kNoCover);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = i + 1; j < n; ++j) {
      if (level[j] >= level[i] && departure[j] >= departure[i]) {
        cover[i] = s_.At(chain[j]).Arrival;
        break;
      }
    }
  }
}

template <bool kBackward>
void EnginePass<kBackward>::ProcessStation(int32_t tt, int32_t station) {
  SnapshotChain(tt, station);
  auto process = [&](int32_t scanTt, int32_t scanStation) {
    StationEventList events =
        SelectStationEvents(Record(scanTt), static_cast<uint16_t>(scanStation));
    secondPass_ = false;
    ProcessChain(tt, station, scanTt, scanStation, events, true);
    // A continuation that could not be boarded asks for the rest of the
    // chain's departures as well.
    if (secondPass_ && !stopped_) ProcessChain(tt, station, scanTt, scanStation, events, false);
  };
  process(tt, station);
  // The same station in another timetable of the set: its trains go on
  // from here too, unless a link of its own leads there.
  ForEachEquivalent(tt, station, [&](int32_t otherTt, int32_t other) {
    if (!stopped_) process(otherTt, other);
  });
}

template <bool kBackward>
template <typename F>
void EnginePass<kBackward>::ForEachEquivalent(int32_t tt, int32_t station, F&& f) {
  // Asked for every label: with one timetable taking part there is none.
  if (takingPart_.size() < 2) return;
  ForEachRingMember(tt, station, [&](int32_t otherTt, int32_t other) {
    if (otherTt != tt && Takes(otherTt) && !LinkLeads(tt, station, otherTt, other))
      f(otherTt, other);
  });
}

// The other records of the station's merge ring, in every timetable.
template <bool kBackward>
template <typename F>
void EnginePass<kBackward>::ForEachRingMember(int32_t tt, int32_t station, F&& f) {
  SetIndex const& index = LoadedSetIndex();
  std::vector<int32_t> const& ring = index.MergedStationRing;
  std::vector<int32_t> const& numbers = Record(tt).SetWide.SetStationNumbers;
  if (static_cast<size_t>(station) >= numbers.size()) return;
  const int32_t start = numbers[static_cast<size_t>(station)];
  if (start < 0 || static_cast<size_t>(start) >= ring.size()) return;
  int32_t at = ring[static_cast<size_t>(start)];
  // The ring closes on itself; the bound only guards against a broken one.
  for (size_t steps = 0; at >= 0 && at != start && steps < ring.size(); ++steps) {
    if (static_cast<size_t>(at) >= ring.size()) return;
    const int32_t otherTt = index.StationTimetable[static_cast<size_t>(at)];
    f(otherTt, index.StationIndex[static_cast<size_t>(at)]);
    at = ring[static_cast<size_t>(at)];
  }
}

template <bool kBackward>
bool EnginePass<kBackward>::LinkLeads(int32_t tt, int32_t station, int32_t otherTt, int32_t other) {
  CrossLinkTable const& links = Record(tt).SetWide.CrossLinks;
  if (links.Offsets.empty()) return false;
  for (int32_t i = links.Offsets[static_cast<size_t>(station)];
       i < links.Offsets[static_cast<size_t>(station) + 1]; ++i)
    if (links.Timetables[static_cast<size_t>(i)] == otherTt &&
        links.Stations[static_cast<size_t>(i)] == other)
      return true;
  return false;
}

template <bool kBackward>
void EnginePass<kBackward>::ProcessChain(int32_t tt, int32_t station, int32_t scanTt,
                                         int32_t scanStation, StationEventList const& events,
                                         bool limitByLater, bool ahead) {
  TimetableRecord& t = Record(scanTt);
  const int32_t maxWait = GetMaxChangeTime(t);
  std::vector<std::vector<uint8_t>> const& penaltyRows = SearchStateOf(t).Change.PenaltyRows;
  // The callback is never asked backward.
  ChangeTimeFunction const callback = kBackward ? nullptr : CurrentSearchSettings().ChangeFun;
  const int32_t key = StationKey(scanTt, scanStation);
  const bool viaLevels = viaCount_ > 0 && rideLevels_ && tt == destTimetable_;
  const int ridesLeft = maxChanges_ - round_ + 1;
  for (size_t at = 0; at < s_.Chain.size(); ++at) {
    const int32_t c = s_.Chain[at];
    const Label label = s_.At(c);
    int32_t latestUseful = kNoBound;
    if (parms_.LimitOnTarget && (round_ > 0 || label.ViaLevel < viaCount_)) {
      const EndLimits limits = LimitsFor(label.OriginDeparture);
      if (limits.Bound != kNoBound) latestUseful = limits.Bound - Alighting(tt, station);
      latestUseful = std::min(latestUseful, LeaveBy(limits.By, station, label.ViaLevel));
      if (label.Arrival > latestUseful) continue;
      if (Target(tt, station) && label.ViaLevel == viaCount_) continue;
    }
    // The round left its station by the levels to the end; a label goes
    // by those of its own via level.
    if (viaLevels && viaRideLevels_[label.ViaLevel][station] > ridesLeft) continue;
    const int32_t arriving = label.Timetable == scanTt ? label.Train : -1;
    // A link from another timetable brings its own minutes. Off a train of
    // another timetable at the same station the change takes this one's
    // time, unless the two records are one stop.
    int32_t change = 0;
    if (label.Timetable == scanTt ||
        (label.Train >= 0 && !OnePhysicalStop(Record(label.Timetable), t)))
      change = GetChangeTime(t, static_cast<uint16_t>(scanStation), Scaled(label.Arrival));

    // Extra minutes by the kinds of the two trains: per kind of the other
    // train, from the table of the arriving one (backward the label's
    // train is the one that leaves).
    bool penalties = false;
    int32_t largestPenalty = 0;
    const int32_t arrivingType = arriving >= 0 ? LowestTypeBit(t, arriving) : -1;
    if (!penaltyRows.empty() && arrivingType >= 0) {
      for (int32_t j = 0; j < 32; ++j)
        largestPenalty = std::max(largestPenalty, Penalty(penaltyRows, arrivingType, j));
      penalties = largestPenalty > 0;
    }
    if (callback) {
      int asked = change;
      if (callback(scanTt, scanStation, key, Scaled(label.Arrival), arriving, -1, -1, &asked)) {
        change = asked;
        penalties = false;
        largestPenalty = 0;
      }
    }
    const int32_t earliest = label.Arrival + change;
    int32_t latest = label.Arrival + maxWait;
    if (limitByLater && s_.Cover[at] != LabelPool::kNoCover)
      latest = std::min(latest, largestPenalty + s_.Cover[at] + change - 1);
    latest = std::min(latest, latestUseful);
    if (events.count > 0 && latest >= earliest) {
      ScanEvents(events, earliest, latest, [&](StationEvent const& ev, int32_t day, int32_t time) {
        if (ahead && !aheadTrains_[ev.Train()]) return true;
        if (!Runs(scanTt, day, ev, static_cast<uint16_t>(scanStation))) return true;
        const uint32_t train = ev.Train();
        if (penalties) {
          const int32_t extra = Penalty(penaltyRows, arrivingType, LowestTypeBit(t, train));
          if (time < earliest + extra &&
              !HaveSameTrainNumber(scanTt, arriving, static_cast<int32_t>(train)))
            return true;
        }
        if (callback && !callback(scanTt, scanStation, key, Scaled(label.Arrival), arriving,
                                  ev.minute, static_cast<int32_t>(train), nullptr)) {
          secondPass_ = true;
          return true;
        }
        RideTrain(scanTt, train, scanStation, time, ev.minute, label.OriginDeparture,
                  label.ViaLevel, c, ahead);
        if (StopAsked()) stopped_ = true;
        return !stopped_;
      });
    }
    if (stopped_) return;
    // Off a train of this timetable the longer walks begin here, one round
    // after the short ones taken on alighting.
    if (!ahead && !callback && label.Train >= 0 && label.Timetable == scanTt &&
        round_ < maxChanges_) {
      RelaxWalks(scanTt, scanStation, c, parms_.ArcLength);
      RelaxExternLinks(scanTt, scanStation, c, parms_.ArcLength);
    }
  }
}

// The lowest type bit of a train's type word, -1 when it has none.
template <bool kBackward>
int32_t EnginePass<kBackward>::LowestTypeBit(TimetableRecord const& t, int32_t train) {
  if (train < 0 || train >= t.TrainTypeWords.size()) return -1;
  const uint32_t word = t.TrainTypeWords[train];
  return word == 0 ? -1 : std::countr_zero(word);
}

// The extra minutes of a change between a train of kind `label` (the one
// the label came by) and one of kind `other`: by the arriving kind's row
// and the departing kind's column, which backward are the other way round.
template <bool kBackward>
int32_t EnginePass<kBackward>::Penalty(std::vector<std::vector<uint8_t>> const& rows, int32_t label,
                                       int32_t other) {
  const int32_t from = kBackward ? other : label;
  const int32_t to = kBackward ? label : other;
  if (from < 0 || to < 0 || static_cast<size_t>(from) >= rows.size()) return 0;
  std::vector<uint8_t> const& row = rows[static_cast<size_t>(from)];
  return static_cast<size_t>(to) < row.size() ? row[static_cast<size_t>(to)] : 0;
}

// A walk or link ends at a station from which a train leaves, never at a
// To station, and never starts another walk: the label it leaves carries
// no train.
template <bool kBackward>
bool EnginePass<kBackward>::WalkTo(int32_t tt, int32_t station, int32_t label, int32_t minutes,
                                   int32_t sourceTt) {
  if (minutes < 0 || Target(tt, station) || Alighting(tt, station) == 0) return false;
  const Label from = s_.At(label);
  int via = from.ViaLevel;
  if (via < viaCount_) {
    std::vector<uint16_t> const& stopVia = Marks(tt).StopVia;
    if (static_cast<size_t>(station) < stopVia.size() &&
        (stopVia[static_cast<size_t>(station)] & ViaBit(via)))
      ++via;
  }
  const int32_t arrival = from.Arrival + minutes;
  const int32_t distance = from.Distance + minutes / 5;
  if (arrival > kLatestTime) return false;
  const int32_t key = ProfileKey(arrival, distance);
  if (!Improves(Scratch(tt).Profile(via, station), key, from.OriginDeparture)) return false;
  if (parms_.LimitOnTarget) {
    const EndLimits limits = LimitsFor(from.OriginDeparture);
    if (arrival >= limits.Bound || arrival > LeaveBy(limits.By, station, via)) return false;
  }
  InsertLabel(tt, station, via, arrival, distance, from.OriginDeparture, from.Station, -1, label,
              sourceTt);
  return true;
}

// A station of a city timetable that takes part, in its own timetable or
// as the same station of another.
template <bool kBackward>
bool EnginePass<kBackward>::LeadsIntoCity(int32_t tt, int32_t station) {
  if (Record(tt).Kind == kKindCity) return true;
  bool city = false;
  ForEachEquivalent(tt, station, [&](int32_t otherTt, int32_t) {
    city = city || Record(otherTt).Kind == kKindCity;
  });
  return city;
}

template <bool kBackward>
void EnginePass<kBackward>::RelaxWalks(int32_t tt, int32_t station, int32_t label, int32_t limit) {
  TimetableRecord const& t = Record(tt);
  const bool lowFloor = parms_.LowFloorOnly != 0;
  const InternLinkRange links = InternLinks(t, static_cast<uint16_t>(station), lowFloor);
  for (int32_t i = 0; i < links.count; ++i) {
    const uint16_t to = links.Target(i);
    const int32_t minutes = links.Minutes(i);
    if (minutes < 0 || minutes > limit || to >= t.StationCount) continue;
    // Into a town with city transport the walk is capped: its trams go
    // on from nearer. Backward the pass walks the link from its end.
    if (minutes > parms_.ArcLengthCity && LeadsIntoCity(tt, kBackward ? station : to)) continue;
    if (parms_.LimitWalkArcs && !IsSamePlaceByName(tt, station, to)) continue;
    if (lowFloor && !IsStationBarrierFree(t, to)) continue;
    WalkTo(tt, to, label, minutes, tt);
  }
}

template <bool kBackward>
void EnginePass<kBackward>::RelaxExternLinks(int32_t tt, int32_t station, int32_t label,
                                             int32_t limit) {
  CrossLinkTable const& links = Record(tt).SetWide.CrossLinks;
  if (links.Offsets.empty()) return;
  const bool lowFloor = parms_.LowFloorOnly != 0;
  for (int32_t i = links.Offsets[static_cast<size_t>(station)];
       i < links.Offsets[static_cast<size_t>(station) + 1]; ++i) {
    const int32_t otherTt = links.Timetables[static_cast<size_t>(i)];
    const uint16_t other = links.Stations[static_cast<size_t>(i)];
    const int32_t minutes = links.Values[static_cast<size_t>(i)];
    if (otherTt < 0 || static_cast<size_t>(otherTt) >= takes_.size() || !Takes(otherTt)) continue;
    if (minutes < 0 || minutes > limit || other >= Record(otherTt).StationCount) continue;
    if (minutes > parms_.ArcLengthCity &&
        (kBackward ? LeadsIntoCity(tt, station) : LeadsIntoCity(otherTt, other)))
      continue;
    if (parms_.LimitWalkArcs && !IsSamePlaceAcrossTimetables(station, tt, otherTt, other)) continue;
    if (lowFloor && !IsStationBarrierFree(Record(otherTt), other)) continue;
    WalkTo(otherTt, other, label, minutes, tt);
  }
}

template <bool kBackward>
void EnginePass<kBackward>::RideTrain(int32_t tt, uint32_t train, int32_t station, int32_t boarding,
                                      int eventMinute, int32_t originDeparture, int via,
                                      int32_t parent, bool ahead) {
  if (parent != kNoLabel) {
    Label const& p = s_.At(parent);
    if (p.Train == static_cast<int32_t>(train) && p.Timetable == tt) return;
  }
  const EndLimits limits = parms_.LimitOnTarget && (round_ > 0 || via < viaCount_)
                               ? LimitsFor(originDeparture)
                               : EndLimits{};
  const int32_t limit = limits.Bound;
  const int32_t endBy = limits.By;
  if (boarding >= limit || boarding > LeaveBy(endBy, station, via)) return;

  TimetableRecord& t = Record(tt);
  const uint32_t word =
      static_cast<int32_t>(train) < t.TrainTypeWords.size() ? t.TrainTypeWords[train] : 0;
  EngineScratch& ts = Scratch(tt);
  int32_t endAt = kNoBound;
  const int32_t distance = parent == kNoLabel ? 0 : s_.At(parent).Distance;
  // Without a bed a night train is left before the night or three hours in.
  const bool beds = parms_.UseBeds == 1 && t.Kind == kKindRail && !(word & kHasBedsTrain);
  const bool regionGroup =
      (word & kNoLocalTrafficTrain) && (DayTypesOf(t).Filter.TypeMask & kNoLocalTrafficTrain) != 0;
  // Where the stops a ride may leave the train at depend on where it was
  // boarded (three hours on without a bed, outside the boarding station's
  // region group), a journey already on the train does not cover a later
  // boarding: such rides neither set nor read a mark.
  RideMark* mark =
      CurrentSearchSettings().SkipBounds || beds || regionGroup ? nullptr : &ts.Mark(via, train);
  if (mark && mark->OriginDeparture >= originDeparture) {
    // A journey that left no earlier is on this train already: only an
    // earlier boarding adds anything, and only up to where it boarded.
    // Counting kilometres, a later boarding still may, by a way shorter
    // than three kilometres per minute of delay would make up for.
    if (boarding >= mark->Boarding &&
        !(distanceMode_ && distance < mark->Distance + 3 * (boarding - mark->Boarding)))
      return;
    if ((via < viaCount_ || round_ == 0) && (!distanceMode_ || mark->Distance == 0))
      endAt = mark->Boarding;
  }
  // Most boardings end at the mark above: the train's own tests come after.
  if (parms_.LowFloorOnly && !(word & kLowFloorTrain)) return;
  // Required service codes: the train as a whole here, its sections as it
  // runs on.
  int byDay = 0, bySection = 0;
  const bool codes = CodeFilterOf(t).EnabledUnion != 0;
  const int32_t dayIndex = DayTypesOf(t).Filter.DayTypeMode
                               ? -1
                               : DayTypesOf(t).Filter.DayOffset + Div1440(Scaled(boarding));
  if (codes && !MatchTrainServiceCodes(t, train, StopList{}, -1, dayIndex, &byDay, &bySection))
    return;

  // Forward a ride starts at the last word of a stop (its departure) and
  // runs on; backward at the first word (its arrival) and runs back.
  constexpr int32_t step = kBackward ? -1 : 1;
  StopList stops = Stops(tt, train);
  int32_t board = -1;
  for (int32_t i = kBackward ? 1 : 0; i < stops.count - (kBackward ? 0 : 1); ++i) {
    if (stops.Station(i) == station && stops.Minute(i) == eventMinute &&
        stops.Station(i + step) != station) {
      board = i;
      break;
    }
  }
  if (board < 0) return;
  ++CurrentSearchCounters().Rides;
  const uint16_t boardFlags = stops.Time(board);
  if (kBackward ? RefusesAlighting(boardFlags) : RefusesBoarding(boardFlags)) {
    if (round_ > 0 && parent != kNoLabel && s_.At(parent).Train >= 0) {
      const uint32_t other = static_cast<uint32_t>(s_.At(parent).Train);
      if (kBackward ? CheckTrainContinuation(t, other, train, static_cast<uint16_t>(station))
                    : CheckTrainContinuation(t, train, other, static_cast<uint16_t>(station)))
        secondPass_ = true;
    }
    return;
  }
  // The first train from the origin is boarded at the From station listed
  // first among those it calls at.
  const bool fromOrigin = parent == kNoLabel;
  if (fromOrigin && PassedBetterOrigin(tt, station, stops, board)) return;
  // A bus boarded at a request stop is not flagged down at another one,
  // and leaves no mark for the rides of others.
  const bool requestRide = t.Kind == kKindBus && (boardFlags & kStopRequest) == kStopRequest;
  const RideMark before = mark ? *mark : RideMark{};
  if (mark && !ahead && !requestRide && originDeparture >= mark->OriginDeparture) {
    if (mark->OriginDeparture == RideMark{}.OriginDeparture)
      ts.MarksSet.push_back(static_cast<int32_t>(mark - ts.RideMarks.data()));
    mark->OriginDeparture = static_cast<int16_t>(originDeparture);
    mark->Boarding = static_cast<int16_t>(boarding);
    mark->Distance = static_cast<int16_t>(distance);
  }
  const bool lowFloor = parms_.LowFloorOnly != 0;
  std::vector<uint16_t> const& stopVia = Marks(tt).StopVia;
  std::vector<uint16_t> const& passVia = Marks(tt).PassVia;
  const bool stopsInVia = parms_.StopsInVia != 0;
  ChangeTimeFunction const callback = kBackward ? nullptr : CurrentSearchSettings().ChangeFun;
  // The first From station: a journey through it again is the callback's
  // to allow.
  const int32_t firstFrom = callback && run_.Request.From.front().timetable == &t
                                ? run_.Request.From.front().station
                                : -1;
  const bool railJourney = parent == kNoLabel ? originRail_ != 0 : s_.At(parent).Rail != 0;

  // Counting kilometres: the train's own distances from where it was
  // boarded, on top of the way to the boarding.
  int32_t const* const kilometres =
      distanceMode_ && MeasuresArcs(t) ? Kilometres(tt, train, stops.count) : nullptr;
  const int32_t boardKm = kilometres ? kilometres[board] : 0;
  // The marks are read at every stop of the ride: held once.
  uint8_t const* const targets =
      kBackward ? ts.EndMarks.data() : SearchStateOf(t).Marks.Target.data();
  int16_t const* const alighting = SearchStateOf(t).Marks.Alighting.data();
  // Only while a distance corridor applies.
  uint8_t const* const allowed =
      SearchStateOf(t).Marks.Allowed.empty() ? nullptr : SearchStateOf(t).Marks.Allowed.data();
  int32_t days = 0;
  const int boardVia = via;
  // A label is of use where the rides still allowed after this one can
  // reach an end from (in the last round only at an end).
  uint8_t const* levels = tt == destTimetable_ && rideLevels_ ? viaRideLevels_[via] : nullptr;
  const int ridesAfter = maxChanges_ - round_;
  // Most rides need none of the rarer checks (a distance corridor,
  // kilometres, beds, a callback, service codes, request stops, low floors,
  // region groups, trains preferred): those are left out of their loop.
  const bool plain = !allowed && !fromOrigin && !kilometres && distanceLimit_ <= 0 && !beds &&
                     !callback && !regionGroup && !requestRide && !railJourney && !lowFloor &&
                     !codes;
  auto rideOn = [&]<bool kPlain>() {
    for (int32_t j = board + step; j >= 0 && j < stops.count; j += step) {
      days += GetStopDayStep(t, stops, kBackward ? j + 1 : j);
      const int32_t e = stops.Station(j);
      if (e == stops.Station(j - step)) continue;  // the other word of a stop
      if (!kPlain && allowed && allowed[e] == 0) break;
      // Another From entry of the same station: the ride is its own from there.
      if (!kPlain && fromOrigin && ts.FromPosition[static_cast<size_t>(e)] >= 0 &&
          IsSameStationAcrossTimetables(e, tt, tt, station)) {
        if (mark && !ahead) *mark = before;
        break;
      }
      int32_t stopDistance = distance;
      if (!kPlain && kilometres)
        stopDistance =
            std::clamp(distance + step * (kilometres[j] - boardKm), 0, int32_t{kLatestTime});
      if (!kPlain && distanceLimit_ > 0 && stopDistance > distanceLimit_) break;
      while (via < viaCount_) {
        const uint16_t bit = ViaBit(via);
        const bool passed = stopsInVia
                                ? static_cast<size_t>(e) < stopVia.size() && (stopVia[e] & bit)
                                : PassesVia(t, stops.Station(j - step), e, bit, passVia);
        if (!passed) break;
        ++via;
        if (levels) levels = viaRideLevels_[via];
      }
      const int32_t arrival =
          boarding + days * 1440 + step * (stops.Minute(j) - stops.Minute(board));
      // Past the via point the ride is no longer the one the mark's boarding
      // covers: that journey had not passed it where it boarded.
      if (arrival > kLatestTime || arrival > limit || arrival > LeaveBy(endBy, e, via) ||
          (arrival > endAt && via == boardVia))
        break;
      if (!kPlain && beds) {
        const int32_t minute = stops.Minute(j) % 1440;
        if (minute < 121 || minute > 1379 || arrival - boarding > 180) break;
      }
      if (!kPlain && e == firstFrom &&
          !callback(tt, e, StationKey(tt, e), arrival, static_cast<int32_t>(train), -1,
                    static_cast<int32_t>(train), nullptr))
        break;
      const uint8_t target = targets[e];
      const uint16_t flags = stops.Time(j);
      if (e != station && alighting[e] != 0 &&
          !(kBackward ? RefusesBoarding(flags) : RefusesAlighting(flags)) &&
          !(levels ? levels[e] > ridesAfter : round_ == maxChanges_ && !target) &&
          !(!kPlain && regionGroup && AreStationsInSameRegionGroup(t, station, e)) &&
          !(!kPlain && requestRide && (flags & kStopRequest) == kStopRequest) &&
          !(!kPlain && railJourney && !target && PrefersTrainsAt(t, e)) &&
          !(!kPlain && lowFloor && !(target && via == viaCount_) &&
            !IsStationBarrierFree(t, static_cast<uint16_t>(e))) &&
          !(!kPlain && callback &&
            !callback(tt, e, StationKey(tt, e), arrival, static_cast<int32_t>(train), -1, -1,
                      nullptr))) {
        const int32_t key = ProfileKey(arrival, stopDistance);
        bool improves = true;
        if (!(round_ == 0 && target && via == viaCount_)) {
          improves = Improves(ts.Profile(via, e), key, originDeparture) &&
                     (via == viaCount_ || Improves(ts.Profile(viaCount_, e), key, originDeparture));
        }
        if (improves && target > 1 && via == viaCount_ &&
            BetterTargetLater(tt, stops, j, target, requestRide))
          improves = false;
        if (improves) {
          if (!ahead)
            InsertLabel(tt, e, via, arrival, stopDistance, originDeparture, station,
                        static_cast<int32_t>(train), parent, tt);
          else if (e == destStation_ && tt == destTimetable_ && via == viaCount_)
            NoteAhead(originDeparture, arrival);
          if (via == viaCount_ && target && (round_ == 0 || target == 1)) break;
        }
      }
      if (!kPlain && codes && bySection &&
          !MatchTrainServiceCodes(t, train, stops, e, dayIndex, &byDay, &bySection))
        break;
    }
  };
  if (plain)
    rideOn.template operator()<true>();
  else
    rideOn.template operator()<false>();
}

// A train from the origin is not boarded at a From station when it called
// before at one listed earlier (unless that is the same station by name or
// agrees with its region where this one does not), or when its next stop
// is one listed earlier.
template <bool kBackward>
bool EnginePass<kBackward>::PassedBetterOrigin(int32_t tt, int32_t station, StopList const& stops,
                                               int32_t board) {
  constexpr int32_t step = kBackward ? -1 : 1;
  EngineScratch const& ts = Scratch(tt);
  auto positionOf = [&](int32_t j) {
    return ts.FromPosition[static_cast<size_t>(stops.Station(j))];
  };
  const int32_t next = board + step;
  if (next >= 0 && next < stops.count && stops.Station(next) != station) {
    const int16_t p = positionOf(next);
    if (p >= 0 && p < originEntry_) return true;
  }
  const bool agrees = ts.FromAgrees[static_cast<size_t>(originEntry_)] != 0;
  // With a few From entries only the From stops right before this one
  // count: a stop between them makes this a From station of its own. With
  // many (a whole town) the train may wander between them.
  const bool anywhere = ts.FromAgrees.size() > kFewFromEntries;
  for (int32_t j = board - step; j >= 0 && j < stops.count; j -= step) {
    const int16_t p = positionOf(j);
    if (p < 0 && !anywhere) break;
    if (p < 0 || p >= originEntry_) continue;
    if (!IsSameStationAcrossTimetables(stops.Station(j), tt, tt, station)) return true;
    if (ts.FromAgrees[static_cast<size_t>(p)] && !agrees) return true;
  }
  return false;
}

// The arc from one stop of a ride to the next passes the via point when
// the arc carries its bit; without an arc between them the station's own
// mark tells.
template <bool kBackward>
bool EnginePass<kBackward>::PassesVia(TimetableRecord const& t, int32_t from, int32_t to,
                                      uint16_t bit, std::vector<uint16_t> const& passVia) {
  std::vector<uint16_t> const& arcs = SearchStateOf(t).Marks.ArcPassVia;
  // The arcs run from source to target; backward the ride runs against them.
  const int32_t source = kBackward ? to : from;
  const int32_t end = kBackward ? from : to;
  if (t.ArcOffsets.size() == static_cast<int32_t>(t.StationCount) + 1 && !arcs.empty()) {
    for (int32_t arc = t.ArcOffsets[source];
         arc < t.ArcOffsets[source + 1] && arc < t.ArcStations.size(); ++arc)
      if (t.ArcStations[arc] == end) return (arcs[static_cast<size_t>(arc)] & bit) != 0;
  }
  return static_cast<size_t>(to) < passVia.size() && (passVia[static_cast<size_t>(to)] & bit);
}

// A ride that reaches a To station of a later group (mark above 1) is not
// left there when a later stop of it reaches a better group: a smaller
// mark at a stop the traveller may leave the train. Past a stop that is no
// To station, an even mark (a station of a town that is not the one asked
// for) still looks on for the odd marks only; an odd mark looks no further.
template <bool kBackward>
bool EnginePass<kBackward>::BetterTargetLater(int32_t tt, StopList const& stops, int32_t at,
                                              uint8_t mark, bool requestRide) {
  constexpr int32_t step = kBackward ? -1 : 1;
  bool oddOnly = false;
  for (int32_t j = at + step; j >= 0 && j < stops.count; j += step) {
    const int32_t e = stops.Station(j);
    if (e == stops.Station(j - step)) continue;
    const uint8_t other = Target(tt, e);
    if (other == 0) {
      if (mark % 2 == 1) return false;
      oddOnly = true;
      continue;
    }
    const uint16_t flags = stops.Time(j);
    if (other >= mark || (oddOnly && other % 2 == 0)) continue;
    if (kBackward ? RefusesBoarding(flags) : RefusesAlighting(flags)) continue;
    if (requestRide && (flags & kStopRequest) == kStopRequest) continue;
    return true;
  }
  return false;
}

template <bool kBackward>
void EnginePass<kBackward>::InsertLabel(int32_t tt, int32_t station, int via, int32_t arrival,
                                        int32_t distance, int32_t originDeparture,
                                        int32_t boardStation, int32_t train, int32_t parent,
                                        int32_t boardTt) {
  const int32_t key = ProfileKey(arrival, distance);
  auto insert = [&](int32_t inTt, int32_t at) {
    EngineScratch& ts = Scratch(inTt);
    ArrivalProfile& profile = ts.Profile(via, at);
    if (profile.Empty()) ts.TouchedProfiles.push_back(via * ts.Stations + at);
    profile.Insert(key, originDeparture);
    // An end station's profile is what the kept bounds read.
    if (via == viaCount_ && Target(inTt, at)) ++limitsStamp_;
  };
  insert(tt, station);
  // Being here is being at the same station of the other timetables too.
  ForEachEquivalent(tt, station, insert);
  EngineScratch& ts = Scratch(tt);

  // The place in the chain: by key rising, equal keys by origin departure
  // falling. Labels mostly come in the order of their keys: one that
  // arrives after the chain's last goes to its end without a walk.
  int32_t& head = ts.Head(round_, station);
  int32_t& tail = ts.Tail(round_, station);
  auto unlink = [&](int32_t previous, int32_t label) {
    const int32_t next = s_.Node(label).Next;
    if (previous == kNoLabel)
      head = next;
    else
      s_.Node(previous).Next = next;
    if (next == kNoLabel) tail = previous;
  };
  auto linkAfter = [&](int32_t before, int32_t label) {
    const int32_t next = before == kNoLabel ? head : s_.Node(before).Next;
    s_.Node(label).Next = next;
    if (before == kNoLabel)
      head = label;
    else
      s_.Node(before).Next = label;
    if (next == kNoLabel) tail = label;
  };
  int32_t before = kNoLabel;
  int32_t c = head;
  if (tail != kNoLabel && s_.Node(tail).Key < key) {
    before = tail;
    c = kNoLabel;
  }
  while (c != kNoLabel) {
    ChainNode const& n = s_.Node(c);
    if (n.Key > key || (n.Key == key && n.OriginDeparture <= originDeparture)) break;
    before = c;
    c = n.Next;
  }
  // What follows and left the origin no later is dominated.
  const bool keepTargets = round_ == 0 && Target(tt, station) != 0 && via == viaCount_;
  int32_t previous = before;
  while (c != kNoLabel) {
    ChainNode& n = s_.Node(c);
    const int32_t next = n.Next;
    if (n.OriginDeparture <= originDeparture && n.ViaLevel <= via) {
      Label& l = s_.At(c);
      if (n.OriginDeparture == originDeparture && n.ViaLevel == via && l.Train == train &&
          l.Timetable == boardTt) {
        if (n.Key <= key) return;
        // The same ride found a better way on: take the label out and
        // put it back where it now belongs.
        unlink(previous, c);
        l.Arrival = arrival;
        l.Distance = distance;
        l.BoardStation = boardStation;
        l.Parent = parent;
        n.Key = key;
        linkAfter(before, c);
        if (parent != kNoLabel) s_.At(parent).Referenced = 1;
        return;
      }
      // A rail train kept as two records under one number is one train:
      // arriving by its other record at the same minute adds nothing to
      // the journey already there.
      if (round_ == 0 && KeyArrival(n.Key) == arrival && n.ViaLevel == via && train >= 0 &&
          l.Train >= 0 && l.Train != train && l.Timetable == tt && boardTt == tt &&
          Record(tt).Kind == kKindRail && !(TypeWord(tt, l.Train) & kGroupVariantTypeBit) &&
          HaveSameTrainNumber(tt, l.Train, train))
        return;
      // Counting kilometres, a later arrival by a shorter way stays.
      const bool shorter = distanceMode_ && n.OriginDeparture == originDeparture &&
                           KeyArrival(n.Key) > arrival && l.Distance < distance;
      if (!keepTargets && !shorter) {
        unlink(previous, c);
        if (!l.Referenced) s_.ReturnLabel(c);
        c = next;
        continue;
      }
    }
    previous = c;
    c = next;
  }

  ++CurrentSearchCounters().Labels;
  const int32_t fresh = s_.TakeLabel();
  Label& l = s_.At(fresh);
  l.Arrival = arrival;
  l.OriginDeparture = originDeparture;
  l.BoardStation = boardStation;
  l.Train = train;
  l.ViaLevel = static_cast<int16_t>(via);
  l.Timetable = boardTt;
  l.Parent = parent;
  l.Distance = distance;
  l.Rail = parent == kNoLabel ? originRail_ : s_.At(parent).Rail;
  l.Station = station;
  ChainNode& n = s_.Node(fresh);
  n.Key = key;
  n.OriginDeparture = originDeparture;
  n.ViaLevel = via;
  linkAfter(before, fresh);
  if (parent != kNoLabel) s_.At(parent).Referenced = 1;
  // Short walks follow the train at once, in the same round; a walk in the
  // last round could lead nowhere.
  if (train >= 0 && round_ < maxChanges_) {
    const int32_t limit = std::min(parms_.ArcLength, 5);
    RelaxWalks(tt, station, fresh, limit);
    RelaxExternLinks(tt, station, fresh, limit);
  }
}

// A train stored as a shared pattern is decoded once per loaded timetable;
// a stored list is read where it lies, found once. The list stays valid until the
// next call.
template <bool kBackward>
StopList EnginePass<kBackward>::Stops(int32_t tt, uint32_t train) {
  EngineScratch& ts = Scratch(tt);
  EngineScratch::DecodedStops& d = ts.Decoded[train];
  if (d.Count >= 0)
    return StopList{d.Stored ? d.Stored : ts.DecodedWords.data() + d.Offset, d.Count};
  TimetableRecord& t = Record(tt);
  StopList decoded = DecodeTrainStops(t, train);
  // Patterns follow the trains in the offsets table.
  const bool patterns = t.TrainStopOffsets.size() > static_cast<int32_t>(t.TrainCount) + 1;
  if (!patterns || !StopRange(t, train).IsReference()) {
    d.Stored = decoded.words;
    d.Count = decoded.count;
    return decoded;
  }
  const size_t bytes = static_cast<size_t>(decoded.count) * kStopWordBytes;
  d.Offset = static_cast<int32_t>(ts.DecodedWords.size());
  d.Count = decoded.count;
  ts.DecodedWords.insert(ts.DecodedWords.end(), decoded.words, decoded.words + bytes);
  return StopList{ts.DecodedWords.data() + d.Offset, d.Count};
}

// Each stop's kilometres from the train's first stop, one per stop word,
// rounded once per loaded timetable and train; null when the train has no
// distances. Valid until the next train's are found.
template <bool kBackward>
int32_t const* EnginePass<kBackward>::Kilometres(int32_t tt, uint32_t train, int32_t stops) {
  EngineScratch& ts = Scratch(tt);
  EngineScratch::TrainKilometres& k = ts.KilometreIndex[train];
  if (k.Count == -2) {
    k.Count = -1;
    ImageArray<int32_t> metres;
    if (LoadTrainDistances(Record(tt), train, &metres) && metres.size() == stops) {
      k.Offset = static_cast<int32_t>(ts.Kilometres.size());
      k.Count = stops;
      for (int32_t i = 0; i < stops; ++i) ts.Kilometres.push_back((metres[i] + 500) / 1000);
    }
  }
  return k.Count == stops ? ts.Kilometres.data() + k.Offset : nullptr;
}

template <bool kBackward>
void EnginePass<kBackward>::Extract(int32_t tt) {
  EngineScratch& ts = Scratch(tt);
  TimetableRecord const* t = &Record(tt);
  for (int round = 0; round <= round_; ++round) {
    for (SearchStation const& to : Ends()) {
      if (to.timetable != t || to.station < 0) continue;
      for (int32_t c = ts.Head(round, to.station); c != kNoLabel; c = s_.Node(c).Next) {
        if (s_.At(c).ViaLevel != viaCount_) continue;
        Connection connection = Trace(c);
        if (connection.empty()) continue;
        if (s_.At(c).OriginDeparture >= endMarker_) connection.front().RemovalMark = 1;
        ConsolidateLegs(std::move(connection), list_);
      }
    }
  }
}

template <bool kBackward>
Connection EnginePass<kBackward>::Trace(int32_t from) {
  Connection legs;
  const int32_t origin = s_.At(from).OriginDeparture;
  for (int32_t c = from; c != kNoLabel; c = s_.At(c).Parent) {
    Label const& l = s_.At(c);
    // A label updated in place belongs to another journey now.
    if (l.OriginDeparture != origin) return {};
    if (l.Train >= 0) {
      ConnectionLeg leg;
      if (!(kBackward ? TraceLegBackward(l, leg) : TraceLeg(l, l.Station, leg))) return {};
      // Backward a label counts the via points from the To side: those
      // passed once the leg ends are the ones its boarding had not.
      const int parentLevel = l.Parent == kNoLabel ? 0 : s_.At(l.Parent).ViaLevel;
      if constexpr (kBackward) leg.ViaLevel = viaCount_ - parentLevel;
      if (l.ViaLevel > parentLevel) NoteViaStations(l, parentLevel, leg);
      legs.push_back(leg);
    }
  }
  // Backward the chain already runs from the origin side.
  if constexpr (!kBackward) std::reverse(legs.begin(), legs.end());
  return legs;
}

// The first and the last station of a leg at which the journey passed a
// via point, found as the ride found them: from where the ride began, with
// the level it began at.
template <bool kBackward>
void EnginePass<kBackward>::NoteViaStations(Label const& l, int level, ConnectionLeg& leg) {
  constexpr int32_t step = kBackward ? -1 : 1;
  TimetableRecord const& t = Record(l.Timetable);
  StopList stops = Stops(l.Timetable, static_cast<uint32_t>(l.Train));
  // Forward the ride begins at the leg's from-station, backward at its
  // to-station.
  const int32_t start = kBackward ? leg.ToStation : leg.FromStation;
  const int32_t end = kBackward ? leg.FromStation : leg.ToStation;
  std::vector<uint16_t> const& stopVia = SearchStateOf(t).Marks.StopVia;
  std::vector<uint16_t> const& passVia = SearchStateOf(t).Marks.PassVia;
  const bool stopsInVia = parms_.StopsInVia != 0;
  int32_t first = kBackward ? stops.count - 1 : 0;
  while (first >= 0 && first < stops.count && stops.Station(first) != start) first += step;
  for (int32_t j = first + step; j >= 0 && j < stops.count && level < viaCount_; j += step) {
    const int32_t e = stops.Station(j);
    if (e == stops.Station(j - step)) continue;
    bool rose = false;
    while (level < viaCount_) {
      const uint16_t bit = ViaBit(level);
      const bool passed = stopsInVia ? static_cast<size_t>(e) < stopVia.size() && (stopVia[e] & bit)
                                     : PassesVia(t, stops.Station(j - step), e, bit, passVia);
      if (!passed) break;
      ++level;
      rose = true;
    }
    if (rose) {
      // In the order of time: backward the ride meets the last one first.
      if (kBackward ? leg.LastViaStation < 0 : leg.FirstViaStation < 0)
        (kBackward ? leg.LastViaStation : leg.FirstViaStation) = e;
      (kBackward ? leg.FirstViaStation : leg.LastViaStation) = e;
    }
    if (e == end) break;
  }
}

// A backward label sits where its train departs, at the time it departs,
// and names the station where the train is left.
template <bool kBackward>
bool EnginePass<kBackward>::TraceLegBackward(Label const& l, ConnectionLeg& leg) {
  TimetableRecord& t = Record(l.Timetable);
  StopList stops = Stops(l.Timetable, static_cast<uint32_t>(l.Train));
  const int32_t departure = kMirror - l.Arrival;
  int32_t board = -1;
  int32_t offset = 0;
  for (int32_t j = 0; j < stops.count; ++j) {
    if (j > 0) offset += GetStopDayStep(t, stops, j);
    if (stops.Station(j) != l.Station || stops.Minute(j) % 1440 != Mod1440(departure)) continue;
    if (j + 1 < stops.count && stops.Station(j + 1) == stops.Station(j)) continue;
    board = j;
    break;
  }
  if (board < 0) return false;
  int32_t days = 0;
  int32_t alight = -1;
  for (int32_t j = board + 1; j < stops.count; ++j) {
    days += GetStopDayStep(t, stops, j);
    if (stops.Station(j) == l.BoardStation && stops.Station(j - 1) != stops.Station(j)) {
      alight = j;
      break;
    }
  }
  if (alight < 0) return false;
  const int32_t arrival = departure + days * 1440 + stops.Minute(alight) - stops.Minute(board);
  leg.FromStation = l.Station;
  leg.ToStation = l.BoardStation;
  leg.DepartureMinute = Mod1440(departure);
  leg.DepartureDay = Div1440(departure);
  // An arrival at midnight is minute 1440 of the day before, also on the
  // days before the search day a backward pass reaches.
  leg.ArrivalMinute = arrival != 0 ? Mod1440(arrival - 1) + 1 : 0;
  leg.ArrivalDay = arrival != 0 ? Div1440(arrival - 1) : 0;
  leg.BoardingDayOffset = offset;
  leg.Train = l.Train;
  leg.ViaLevel = l.ViaLevel;
  leg.Timetable = l.Timetable;
  return true;
}

template <bool kBackward>
bool EnginePass<kBackward>::TraceLeg(Label const& l, int32_t toStation, ConnectionLeg& leg) {
  TimetableRecord& t = Record(l.Timetable);
  StopList stops = Stops(l.Timetable, static_cast<uint32_t>(l.Train));
  // An arrival at midnight is minute 1440 of the day before.
  const int32_t arrivalMinute = l.Arrival > 0 ? Mod1440(l.Arrival - 1) + 1 : 0;
  const int32_t arrivalDay = l.Arrival > 0 ? Div1440(l.Arrival - 1) : 0;
  int32_t alight = -1;
  for (int32_t j = stops.count - 1; j > 0; --j) {
    if (stops.Station(j) != toStation || stops.Minute(j) % 1440 != arrivalMinute % 1440) continue;
    if (stops.Station(j - 1) == stops.Station(j) && stops.Minute(j - 1) == stops.Minute(j))
      continue;
    alight = j;
    break;
  }
  if (alight < 0) return false;
  int32_t day = arrivalDay;
  if (arrivalMinute == 1440 && (stops.Time(alight) & kStopMidnightBit)) ++day;
  int32_t board = alight;
  while (board > 0) {
    day -= GetStopDayStep(t, stops, board);
    --board;
    if (stops.Station(board) == l.BoardStation) break;
  }
  if (stops.Station(board) != l.BoardStation || board == alight) return false;
  int32_t offset = 0;
  for (int32_t i = 1; i <= board; ++i) offset += GetStopDayStep(t, stops, i);
  leg.FromStation = l.BoardStation;
  leg.ToStation = toStation;
  leg.DepartureMinute = stops.Minute(board);
  leg.ArrivalMinute = arrivalMinute;
  leg.DepartureDay = day;
  leg.ArrivalDay = arrivalDay;
  leg.BoardingDayOffset = offset;
  leg.Train = l.Train;
  leg.ViaLevel = l.ViaLevel;
  leg.Timetable = l.Timetable;
  return true;
}

}  // namespace

namespace {

// The automatic strategy: the first pass only finds the ways through the
// network; a pass restricted to the change stations of each way follows,
// and the best of their lists is the answer.
template <bool kBackward>
int RunEngine(EngineCall const& call) {
  SearchRun& run = CurrentSearchRun();
  ConnParms& parms = CurrentSearchSettings().Parms;
  const int found = EnginePass<kBackward>(run, call, EngineLabels()).Run();
  if (!parms.AutoStrategy || !call.ChangesAllowed || SearchStopRequested()) return found;
  // The ways are read off the list as the traveller would see it: without
  // the detours and duplicates the clean-up takes away.
  if (CleanUpConnectionList(run, !kBackward) <= 1) return static_cast<int>(run.Found.size());
  std::vector<ChangeStationSet> const sets = CollectChangeStationSets(run.Found);
  if (sets.empty()) return found;

  ConnectionList first = std::move(run.Found);
  StationSet const changePoints = run.Request.ChangePoints;
  const int32_t strategy = parms.AutoStrategy;
  parms.AutoStrategy = 0;
  ConnectionList best;
  bool any = false;
  EngineCall restricted = call;
  restricted.ComputeBounds = true;
  restricted.ReportProgress = false;
  for (ChangeStationSet const& set : sets) {
    run.Request.ChangePoints.clear();
    for (auto const& [station, timetable] : set)
      run.Request.ChangePoints.push_back({.timetable = TimetableAt(timetable), .station = station});
    run.Found.clear();
    EnginePass<kBackward>(run, restricted, EngineLabels()).Run();
    CleanUpConnectionList(run, !kBackward);
    if (!any || IsBetterConnectionList(run.Found, best)) {
      best = std::move(run.Found);
      any = true;
    }
    if (SearchStopRequested()) break;
  }
  run.Request.ChangePoints = changePoints;
  parms.AutoStrategy = strategy;
  run.Found = any ? std::move(best) : std::move(first);
  return static_cast<int>(run.Found.size());
}

}  // namespace

int SearchForward(EngineCall const& call) { return RunEngine<false>(call); }

int SearchBackward(EngineCall const& call) { return RunEngine<true>(call); }

}  // namespace qo
