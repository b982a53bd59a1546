#include "search/search_params.h"

#include <algorithm>

#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/floor_math.h"
#include "search/search_limits.h"
#include "search/search_state.h"

namespace qo {
namespace {

bool InRange(int64_t value, int64_t low, int64_t high) { return value >= low && value <= high; }

std::vector<std::vector<uint8_t>> StoredPenaltyRows(TimetableRecord const& t) {
  std::vector<std::vector<uint8_t>> rows;
  rows.reserve(t.PenaltyTables.size());
  for (RecordArray const& row : t.PenaltyTables)
    rows.emplace_back(row.handle(), row.handle() + row.bytes());
  return rows;
}

// Takes as many rows and bytes as the timetable's own table has.
void StorePenaltyRows(ChangeSettings& change, std::vector<std::vector<uint8_t>> const& given) {
  for (size_t r = 0; r < change.PenaltyRows.size() && r < given.size(); ++r) {
    std::vector<uint8_t>& row = change.PenaltyRows[r];
    std::copy_n(given[r].begin(), std::min(row.size(), given[r].size()), row.begin());
  }
}

}  // namespace

SearchSettings& CurrentSearchSettings() {
  static SearchSettings settings;
  return settings;
}

bool HasMinChangeTimeData(TimetableRecord const& t) {
  return !t.DefaultChangeTimes.empty() || !t.HourlyChangeTimes.empty();
}

TimetableSearchDefaults& SearchDefaultsOf(TimetableRecord& t) {
  TimetableSearchDefaults& d = SearchStateOf(t).Defaults;
  if (d.Taken) return d;
  d.Taken = true;
  auto const& v1 = t.Version1SearchDefaults;
  d.MaxChanges = static_cast<int32_t>(v1[0]);
  d.WindowDirect = static_cast<int32_t>(v1[1]);
  d.WindowChanges = static_cast<int32_t>(v1[2]);
  d.DeltaMaxType = static_cast<int32_t>(v1[3]);
  d.DeltaMaxMetres = static_cast<int32_t>(v1[4]);
  d.DeltaMaxPercent = static_cast<int32_t>(v1[5]);
  d.RetriesDirect = static_cast<int32_t>(v1[6]);
  d.RetriesChanges = static_cast<int32_t>(v1[7]);
  d.Present = d.WindowDirect != 0;
  d.Change.MaxChangeTime = static_cast<int32_t>(t.SearchDefaults[0].Stored);
  d.Change.MinChangeTime = static_cast<int32_t>(t.SearchDefaults[1].Stored);
  d.Change.ChangePenalty = static_cast<int32_t>(t.SearchDefaults[2].Stored);
  d.Change.DefaultMinTimes = HasMinChangeTimeData(t) ? 1 : 0;
  d.Change.PenaltyRows = StoredPenaltyRows(t);
  return d;
}

void ResetConnParms(int const* selection) {
  SearchSettings& s = CurrentSearchSettings();
  ConnParms& p = s.Parms;
  const int count = LoadedCount();
  auto selected = [&](int i) { return !selection || selection[i] != 0; };

  bool any = false, allHaveDefaults = true, allTyped = true;
  for (int i = 0; i < count; ++i) {
    if (!selected(i)) continue;
    any = true;
    TimetableSearchDefaults const& d = SearchDefaultsOf(*TimetableAt(i));
    allHaveDefaults = allHaveDefaults && d.Present;
    allTyped = allTyped && d.DeltaMaxType != 0;
  }
  const int32_t stopsInVia = p.StopsInVia;
  const ConnParms builtIn;
  p = builtIn;
  p.StopsInVia = stopsInVia;
  if (any && allHaveDefaults) {
    p.MaxChanges = p.WindowDirect = p.WindowChanges = p.DeltaMaxMetres = p.DeltaMaxPercent =
        p.RetriesDirect = p.RetriesChanges = 0;
    int32_t lastType = 0;
    for (int i = 0; i < count; ++i) {
      if (!selected(i)) continue;
      TimetableSearchDefaults const& d = SearchStateOf(*TimetableAt(i)).Defaults;
      p.MaxChanges = std::max(p.MaxChanges, d.MaxChanges);
      p.WindowDirect = std::max(p.WindowDirect, d.WindowDirect);
      p.WindowChanges = std::max(p.WindowChanges, d.WindowChanges);
      p.DeltaMaxMetres = std::max(p.DeltaMaxMetres, d.DeltaMaxMetres);
      p.DeltaMaxPercent = std::max(p.DeltaMaxPercent, d.DeltaMaxPercent);
      p.RetriesDirect = std::max(p.RetriesDirect, d.RetriesDirect);
      p.RetriesChanges = std::max(p.RetriesChanges, d.RetriesChanges);
      lastType = d.DeltaMaxType;
    }
    p.DeltaMaxType = allTyped ? lastType : 0;
  }
  for (int i = 0; i < count; ++i) {
    TimetableRecord& t = *TimetableAt(i);
    if (selected(i)) {
      SearchStateOf(t).Change = SearchDefaultsOf(t).Change;
      SearchStateOf(t).LeftOutOfReset = false;
    } else {
      if (!SearchStateOf(t).Defaults.Taken) SearchStateOf(t).Change = SearchDefaultsOf(t).Change;
      SearchStateOf(t).LeftOutOfReset = true;
    }
  }
  p.PreferTrains = s.PreferTrainsDefault;
}

int ApplyConnParms(ConnParmsInput const& in) {
  ConnParms const& v = in.Values;
  if (!InRange(v.MaxChanges, 0, kMaxChanges) ||
      !InRange(v.WindowDirect, kMinWindowLength, kMaxWindowLength) ||
      !InRange(v.WindowChanges, kMinWindowLength, kMaxWindowLength) ||
      !InRange(v.DeltaMaxType, 0, 2) || !InRange(v.DeltaMaxPercent, 0, kMaxDeltaPercent) ||
      !InRange(v.DeltaMaxMetres, 0, kMaxDeltaMetres) || !InRange(v.RetriesDirect, 0, kMaxRetries) ||
      !InRange(v.RetriesChanges, 0, kMaxRetries))
    return ErrSearchParmsOutOfRange;

  // Every timetable is checked before any is changed: a caller is promised
  // that a refused record changes nothing.
  const int count = LoadedCount();
  auto given = [](auto const& array, int i) -> int32_t const* {
    return array && static_cast<size_t>(i) < array->size() ? &(*array)[static_cast<size_t>(i)]
                                                           : nullptr;
  };
  for (int i = 0; i < count; ++i) {
    TimetableRecord const& t = *TimetableAt(i);
    int32_t const* max = given(in.MaxChangeTimes, i);
    int32_t const* min = given(in.MinChangeTimes, i);
    int32_t const* penalty = given(in.ChangePenalties, i);
    if (max && !InRange(*max, 0, kMaxChangeTime)) return ErrSearchParmsOutOfRange;
    if (min && *min < 0) return ErrSearchParmsOutOfRange;
    // A minimum is checked against the maximum that will be in force, also
    // when the record changes only one of them.
    if ((min || max) && (min ? *min : SearchStateOf(t).Change.MinChangeTime) >
                            (max ? *max : SearchStateOf(t).Change.MaxChangeTime))
      return ErrSearchParmsOutOfRange;
    if (penalty && !InRange(*penalty, 0, kMaxChangePenalty)) return ErrSearchParmsOutOfRange;
  }

  for (int i = 0; i < count; ++i) {
    TimetableRecord& t = *TimetableAt(i);
    ChangeSettings& c = SearchStateOf(t).Change;
    if (int32_t const* max = given(in.MaxChangeTimes, i)) c.MaxChangeTime = *max;
    if (int32_t const* min = given(in.MinChangeTimes, i)) c.MinChangeTime = *min;
    if (int32_t const* flag = given(in.DefaultMinTimes, i))
      c.DefaultMinTimes = HasMinChangeTimeData(t) ? *flag : 0;
    if (int32_t const* penalty = given(in.ChangePenalties, i)) c.ChangePenalty = *penalty;
    if (in.PenaltyTables && static_cast<size_t>(i) < in.PenaltyTables->size())
      StorePenaltyRows(c, (*in.PenaltyTables)[static_cast<size_t>(i)]);
  }

  ConnParms& p = CurrentSearchSettings().Parms;
  p.MaxChanges = v.MaxChanges;
  p.WindowDirect = v.WindowDirect;
  p.WindowChanges = v.WindowChanges;
  p.StopsInVia = v.StopsInVia != 0;
  p.DeltaMaxType = v.DeltaMaxType;
  p.DeltaMaxPercent = v.DeltaMaxPercent;
  p.DeltaMaxMetres = v.DeltaMaxMetres;
  p.RetriesDirect = v.RetriesDirect;
  p.RetriesChanges = v.RetriesChanges;
  if (InRange(v.UseBeds, 0, 2)) p.UseBeds = v.UseBeds;
  if (in.Version >= 1) {
    p.PreferTrains = v.PreferTrains != 0;
    if (InRange(v.ArcLength, 0, kMaxArcLength)) p.ArcLength = v.ArcLength;
    if (InRange(v.ArcLengthCity, 0, kMaxArcLength)) p.ArcLengthCity = v.ArcLengthCity;
    p.SearchByCoordinates = v.SearchByCoordinates != 0;
    p.LimitOnTarget = v.LimitOnTarget != 0;
    p.ArcLengthFrom = v.ArcLengthFrom;
    p.ArcLengthTo = v.ArcLengthTo;
    p.FromSameGroup = v.FromSameGroup;
    p.ToSameGroup = v.ToSameGroup;
    p.LimitWalkArcs = v.LimitWalkArcs;
    p.LowFloorOnly = v.LowFloorOnly;
    p.AutoStrategy = v.AutoStrategy;
  }
  if (in.Version >= 2) p.CodeValues = v.CodeValues;
  return 0;
}

ConnParmsInput ConnParmsInForce() {
  ConnParmsInput in;
  in.Version = 2;
  in.Values = CurrentSearchSettings().Parms;
  in.MaxChangeTimes.emplace();
  in.MinChangeTimes.emplace();
  in.DefaultMinTimes.emplace();
  in.ChangePenalties.emplace();
  in.PenaltyTables.emplace();
  for (TimetableRecord* t : LoadedSet()) {
    ChangeSettings const& c = SearchStateOf(*t).Change;
    in.MaxChangeTimes->push_back(c.MaxChangeTime);
    in.MinChangeTimes->push_back(c.MinChangeTime);
    in.DefaultMinTimes->push_back(c.DefaultMinTimes);
    in.ChangePenalties->push_back(c.ChangePenalty);
    in.PenaltyTables->push_back(c.PenaltyRows);
  }
  return in;
}

int SetDefaultSearchInterval(TimetableRecord& t, bool direct, int length, int span, bool force) {
  TimetableSearchDefaults& d = SearchDefaultsOf(t);
  if (!d.Present) return 0;
  int32_t& oldLength = direct ? d.WindowDirect : d.WindowChanges;
  int32_t& retries = direct ? d.RetriesDirect : d.RetriesChanges;
  if (!force && length >= oldLength) return 0;
  const int64_t covered = std::min<int64_t>(
      span, static_cast<int64_t>(oldLength) * (static_cast<int64_t>(retries) + 1));
  oldLength = length;
  retries = static_cast<int32_t>(-FloorDiv(-covered, length) - 1);  // ceil(covered / length) - 1
  return retries;
}

}  // namespace qo
