// The parameters of the connection search through the packed record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "core/counted_array.h"
#include "load/timetable_record.h"
#include "search/search_limits.h"
#include "search/search_params.h"
#include "search/search_state.h"
#include "search/walk_switch.h"

using namespace qo;

static_assert(sizeof(void*) != 8 || QO_CONNPARMS_SIZE_V0 == 84);
static_assert(sizeof(void*) != 8 || QO_CONNPARMS_SIZE_V1 == 132);
static_assert(sizeof(void*) != 8 || QO_CONNPARMS_SIZE_V2 == 152);
static_assert(sizeof(void*) != 4 || QO_CONNPARMS_SIZE_V0 == 60);
static_assert(sizeof(void*) != 4 || QO_CONNPARMS_SIZE_V1 == 108);
static_assert(sizeof(void*) != 4 || QO_CONNPARMS_SIZE_V2 == 128);
static_assert(sizeof(CONNPARMSLIMITS_REC) == 52);

namespace {

size_t RecordSize(uint32_t version) {
  return version == 0   ? QO_CONNPARMS_SIZE_V0
         : version == 1 ? QO_CONNPARMS_SIZE_V1
                        : QO_CONNPARMS_SIZE_V2;
}

// The client's record, as much of it as its version holds, in a whole one.
CONNPARMS_REC ReadRecord(CONNPARMS_REC const* record, uint32_t version) {
  CONNPARMS_REC whole{};
  std::memcpy(&whole, record, RecordSize(version));
  return whole;
}

std::optional<std::vector<int32_t>> IntArray(int const* array) {
  if (!array) return std::nullopt;
  const int32_t n = GetArrayCount(array);
  return std::vector<int32_t>(array, array + (n > 0 ? n : 0));
}

using Tables = std::vector<std::vector<std::vector<uint8_t>>>;

std::optional<Tables> TableArray(unsigned char*** tables) {
  if (!tables) return std::nullopt;
  Tables out(static_cast<size_t>(GetArrayCount(tables)));
  for (size_t t = 0; t < out.size(); ++t) {
    unsigned char** rows = tables[t];
    if (!rows) continue;
    out[t].resize(static_cast<size_t>(GetArrayCount(rows)));
    for (size_t r = 0; r < out[t].size(); ++r)
      if (unsigned char* row = rows[r]) out[t][r].assign(row, row + GetArrayCount(row));
  }
  return out;
}

ConnParmsInput Unpack(CONNPARMS_REC const& r, uint32_t version) {
  ConnParmsInput in;
  in.Version = version;
  ConnParms& v = in.Values;
  v.MaxChanges = r.max_changes;
  v.WindowDirect = r.window_direct;
  v.WindowChanges = r.window_changes;
  v.StopsInVia = r.stops_in_via;
  v.DeltaMaxType = r.delta_max_type;
  v.DeltaMaxPercent = r.delta_max_percent;
  v.DeltaMaxMetres = r.delta_max_metres;
  v.RetriesDirect = r.retries_direct;
  v.RetriesChanges = r.retries_changes;
  v.UseBeds = r.use_beds;
  v.PreferTrains = r.prefer_trains;
  v.ArcLength = r.arc_length;
  v.ArcLengthCity = r.arc_length_city;
  v.SearchByCoordinates = r.search_by_coordinates;
  v.LimitOnTarget = r.limit_on_target;
  v.ArcLengthFrom = r.arc_length_from;
  v.ArcLengthTo = r.arc_length_to;
  v.FromSameGroup = r.from_same_group;
  v.ToSameGroup = r.to_same_group;
  v.LimitWalkArcs = r.limit_walk_arcs;
  v.LowFloorOnly = r.low_floor_only;
  v.AutoStrategy = r.auto_strategy;
  for (int i = 0; i < 5; ++i) v.CodeValues[static_cast<size_t>(i)] = r.code_values[i];
  in.MaxChangeTimes = IntArray(r.max_change_times);
  in.MinChangeTimes = IntArray(r.min_change_times);
  in.DefaultMinTimes = IntArray(r.default_min_times);
  in.ChangePenalties = IntArray(r.change_penalties);
  in.PenaltyTables = TableArray(r.penalty_tables);
  return in;
}

int* NewIntArray(std::vector<int32_t> const& values) {
  if (values.empty()) return nullptr;
  ArrayHandle h = nullptr;
  AllocArray(&h, static_cast<int32_t>(values.size()), 4);
  std::memcpy(h, values.data(), values.size() * 4);
  return reinterpret_cast<int*>(h);
}

int* CopyIntArray(int const* source) {
  return source ? reinterpret_cast<int*>(CopyArray(source)) : nullptr;
}

unsigned char** NewRows(std::vector<std::vector<uint8_t>> const& rows) {
  if (rows.empty()) return nullptr;
  ArrayHandle h = nullptr;
  AllocArray(&h, static_cast<int32_t>(rows.size()), sizeof(void*));
  auto** out = reinterpret_cast<unsigned char**>(h);
  for (size_t r = 0; r < rows.size(); ++r) {
    ArrayHandle row = nullptr;
    if (!rows[r].empty()) {
      AllocArray(&row, static_cast<int32_t>(rows[r].size()), 1);
      std::memcpy(row, rows[r].data(), rows[r].size());
    }
    out[r] = row;
  }
  return out;
}

void FreeRows(unsigned char** rows) {
  if (!rows) return;
  for (int32_t r = 0; r < GetArrayCount(rows); ++r) {
    ArrayHandle row = rows[r];
    FreeArray(&row);
  }
  ArrayHandle h = reinterpret_cast<ArrayHandle>(rows);
  FreeArray(&h);
}

void FreeTables(unsigned char*** tables) {
  if (!tables) return;
  for (int32_t t = 0; t < GetArrayCount(tables); ++t) FreeRows(tables[t]);
  ArrayHandle h = reinterpret_cast<ArrayHandle>(tables);
  FreeArray(&h);
}

unsigned char*** CopyTables(unsigned char*** source) {
  std::optional<Tables> tables = TableArray(source);
  if (!tables || tables->empty()) return nullptr;
  ArrayHandle h = nullptr;
  AllocArray(&h, static_cast<int32_t>(tables->size()), sizeof(void*));
  auto*** out = reinterpret_cast<unsigned char***>(h);
  for (size_t t = 0; t < tables->size(); ++t) out[t] = NewRows((*tables)[t]);
  return out;
}

void FreeArrays(CONNPARMS_REC& r) {
  for (int** array :
       {&r.max_change_times, &r.min_change_times, &r.default_min_times, &r.change_penalties}) {
    ArrayHandle h = reinterpret_cast<ArrayHandle>(*array);
    FreeArray(&h);
    *array = nullptr;
  }
  FreeTables(r.penalty_tables);
  r.penalty_tables = nullptr;
}

bool SameInts(int const* a, int const* b) {
  const int32_t n = GetArrayCount(a);
  if (n != GetArrayCount(b)) return false;
  return n == 0 || std::memcmp(a, b, static_cast<size_t>(n) * 4) == 0;
}

bool SameTables(unsigned char*** a, unsigned char*** b) {
  std::optional<Tables> ta = TableArray(a), tb = TableArray(b);
  return ta.value_or(Tables{}) == tb.value_or(Tables{});
}

int Flag(int value) { return value != 0 ? 1 : 0; }

}  // namespace

extern "C" {

QO_API CONNPARMSLIMITS_REC* QoGetConnectionParmsLimits(void) {
  static CONNPARMSLIMITS_REC limits;
  limits = {0,
            kMaxChanges,
            0,
            kMaxChangeTime,
            0,
            kMaxChangePenalty,
            kMinWindowLength,
            kMaxWindowLength,
            0,
            kMaxDeltaPercent,
            0,
            kMaxDeltaMetres,
            kMaxRetries};
  return &limits;
}

QO_API int QoSetClientVersion(int version) {
  uint32_t& stored = CurrentSearchSettings().ClientVersion;
  if (stored <= 2) stored = static_cast<uint32_t>(version);
  return static_cast<int>(stored);
}

QO_API int QoSetConnectionParms(const CONNPARMS_REC* parms) {
  return api::GuardedExport<int>(ErrAccessViolation, [&] {
    if (!parms) return 0;
    const uint32_t version = CurrentSearchSettings().ClientVersion;
    int error = ApplyConnParms(Unpack(ReadRecord(parms, version), version));
    if (error) SetKernelError(error);
    return error;
  });
}

QO_API CONNPARMS_REC* QoGetConnectionParms(void) {
  static CONNPARMS_REC record{};
  return api::GuardedExport<CONNPARMS_REC*>(nullptr, [&] {
    FreeArrays(record);
    ConnParms const& p = CurrentSearchSettings().Parms;
    record.max_changes = p.MaxChanges;
    record.window_direct = p.WindowDirect;
    record.window_changes = p.WindowChanges;
    record.stops_in_via = p.StopsInVia;
    record.delta_max_type = p.DeltaMaxType;
    record.delta_max_percent = p.DeltaMaxPercent;
    record.delta_max_metres = p.DeltaMaxMetres;
    record.retries_direct = p.RetriesDirect;
    record.retries_changes = p.RetriesChanges;
    record.use_beds = p.UseBeds;
    record.prefer_trains = p.PreferTrains;
    record.arc_length = p.ArcLength;
    record.arc_length_city = p.ArcLengthCity;
    record.search_by_coordinates = p.SearchByCoordinates;
    record.limit_on_target = p.LimitOnTarget;
    record.arc_length_from = p.ArcLengthFrom;
    record.arc_length_to = p.ArcLengthTo;
    record.from_same_group = p.FromSameGroup;
    record.to_same_group = p.ToSameGroup;
    record.limit_walk_arcs = p.LimitWalkArcs;
    record.low_floor_only = p.LowFloorOnly;
    record.auto_strategy = p.AutoStrategy;
    for (int i = 0; i < 5; ++i) record.code_values[i] = p.CodeValues[static_cast<size_t>(i)];

    std::vector<int32_t> max, min, flags, penalties;
    Tables tables;
    for (TimetableRecord* t : LoadedSet()) {
      ChangeSettings const& c = SearchStateOf(*t).Change;
      max.push_back(c.MaxChangeTime);
      min.push_back(c.MinChangeTime);
      flags.push_back(c.DefaultMinTimes);
      penalties.push_back(c.ChangePenalty);
      tables.push_back(c.PenaltyRows);
    }
    record.max_change_times = NewIntArray(max);
    record.min_change_times = NewIntArray(min);
    record.default_min_times = NewIntArray(flags);
    record.change_penalties = NewIntArray(penalties);
    if (!tables.empty()) {
      ArrayHandle h = nullptr;
      AllocArray(&h, static_cast<int32_t>(tables.size()), sizeof(void*));
      record.penalty_tables = reinterpret_cast<unsigned char***>(h);
      for (size_t t = 0; t < tables.size(); ++t) record.penalty_tables[t] = NewRows(tables[t]);
    }
    return &record;
  });
}

QO_API CONNPARMS_REC* QoCopyConnectionParms(CONNPARMS_REC* dest, const CONNPARMS_REC* source) {
  return api::GuardedExport<CONNPARMS_REC*>(nullptr, [&]() -> CONNPARMS_REC* {
    if (!dest || !source || dest == source) return dest;
    std::memcpy(dest, source, RecordSize(CurrentSearchSettings().ClientVersion));
    dest->max_change_times = CopyIntArray(source->max_change_times);
    dest->min_change_times = CopyIntArray(source->min_change_times);
    dest->default_min_times = CopyIntArray(source->default_min_times);
    dest->change_penalties = CopyIntArray(source->change_penalties);
    dest->penalty_tables = CopyTables(source->penalty_tables);
    return dest;
  });
}

QO_API void QoFreeConnectionParms(CONNPARMS_REC* parms) {
  if (parms) FreeArrays(*parms);
}

QO_API int QoParmsEqual(const CONNPARMS_REC* a, const CONNPARMS_REC* b) {
  return api::GuardedExport<int>(0, [&] {
    if (!a || !b) return a == b ? 1 : 0;
    if (a->max_changes != b->max_changes || a->window_direct != b->window_direct ||
        a->window_changes != b->window_changes || a->stops_in_via != b->stops_in_via ||
        a->delta_max_type != b->delta_max_type || a->delta_max_percent != b->delta_max_percent ||
        a->delta_max_metres != b->delta_max_metres || a->retries_direct != b->retries_direct ||
        a->retries_changes != b->retries_changes || a->use_beds != b->use_beds)
      return 0;
    if (!SameInts(a->max_change_times, b->max_change_times) ||
        !SameInts(a->min_change_times, b->min_change_times) ||
        !SameInts(a->default_min_times, b->default_min_times) ||
        !SameInts(a->change_penalties, b->change_penalties) ||
        !SameTables(a->penalty_tables, b->penalty_tables))
      return 0;
    const uint32_t version = CurrentSearchSettings().ClientVersion;
    if (version >= 1) {
      // prefer_trains is not compared: the program keeps it apart.
      size_t from = offsetof(CONNPARMS_REC, arc_length);
      if (std::memcmp(reinterpret_cast<char const*>(a) + from,
                      reinterpret_cast<char const*>(b) + from, QO_CONNPARMS_SIZE_V1 - from) != 0)
        return 0;
    }
    if (version >= 2 && std::memcmp(a->code_values, b->code_values, sizeof a->code_values) != 0)
      return 0;
    return 1;
  });
}

QO_API int QoResetConnParms(const int* selection) {
  return api::GuardedExport<int>(0, [&] {
    ResetConnParms(selection);
    return 0;
  });
}

QO_API int QoSetDefaultSearchInterval(int timetable, int direct, int length, int span, int force) {
  return api::GuardedExport<int>(0, [&] {
    if (length < kMinWindowLength || length > kMaxWindowLength) return 0;
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    return SetDefaultSearchInterval(*t, direct == 1, length, span, force != 0);
  });
}

QO_API int QoSetDefaultMaxChange(int timetable, int value, int force) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    TimetableSearchDefaults& d = SearchDefaultsOf(*t);
    if (static_cast<uint32_t>(value) <= static_cast<uint32_t>(kMaxChanges) &&
        (force || value <= d.MaxChanges))
      d.MaxChanges = value;
    return d.MaxChanges;
  });
}

QO_API void QoSetMaxArcLengthFromTo(int minutes) {
  ConnParms& p = CurrentSearchSettings().Parms;
  p.ArcLengthFrom = p.ArcLengthTo = minutes;
}

QO_API void QoGetMaxArcLengths(int* arc_length, int* arc_length_city) {
  ConnParms const& p = CurrentSearchSettings().Parms;
  if (arc_length) *arc_length = p.ArcLength;
  if (arc_length_city) *arc_length_city = p.ArcLengthCity;
}

QO_API void QoSetMaxArcLengths(int arc_length, int arc_length_city) {
  ConnParms& p = CurrentSearchSettings().Parms;
  if (static_cast<uint32_t>(arc_length) <= kMaxArcLength) p.ArcLength = arc_length;
  if (static_cast<uint32_t>(arc_length_city) <= kMaxArcLength) p.ArcLengthCity = arc_length_city;
}

QO_API int QoPassViaSupported(int timetable) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && !t->PassViaOffsets.empty() ? 1 : 0;
  });
}

QO_API int QoChangeTypePenalSupported(int timetable) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && !t->PenaltyTables.empty() ? 1 : 0;
  });
}

QO_API int QoLowDeckConnAvail(void) {
  return api::GuardedExport<int>(0, [&] {
    for (TimetableRecord* t : LoadedSet())
      if (!SearchStateOf(*t).LeftOutOfReset &&
          (t->HasStationTypeBit10 || !t->BarrierFreeLinkMinutes.empty()))
        return 1;
    return 0;
  });
}

QO_API int QoGetPrefereTrains(int* out) {
  const int flag = CurrentSearchSettings().Parms.PreferTrains;
  if (out) *out = flag;
  return flag;
}

QO_API int QoSetPrefereTrains(int flag) {
  return CurrentSearchSettings().Parms.PreferTrains = Flag(flag);
}

QO_API int QoSetPrefereTrainsDefault(int flag) {
  return CurrentSearchSettings().PreferTrainsDefault = Flag(flag);
}

QO_API int QoSetLimitOnTarget(int flag) {
  return CurrentSearchSettings().Parms.LimitOnTarget = Flag(flag);
}

QO_API int QoSetSearchCoors(int flag) {
  return CurrentSearchSettings().Parms.SearchByCoordinates = Flag(flag);
}

QO_API int QoSetSkipBoundsT(int flag) { return CurrentSearchSettings().SkipBounds = Flag(flag); }

QO_API void QoSetChangeFun(QoChangeTimeCallback callback) {
  CurrentSearchSettings().ChangeFun = callback;
}

QO_API void QoSetMaxSearchDist(int distance) {
  CurrentSearchSettings().MaxSearchDistance = distance;
}

QO_API int QoEnableWalk(int timetable, int key_a, int key_b, int enable) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && EnableWalk(*t, key_a, key_b, enable != 0) ? 1 : 0;
  });
}

}  // extern "C"
