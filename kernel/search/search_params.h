#pragma once
// The settings that steer a connection search: kernel-wide values here,
// per-timetable change times and penalties in each record's search state.
// The exports of kernel/api/search_parms_api.cpp read and write them through
// the packed parameter record; the front and the engines read them here.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace qo {

struct TimetableRecord;

// Asked by the engines before a change, a boarding or an alighting: the
// timetable, the station, its key, the time there, the arriving train, the
// minute of the departing train, the departing train and, at a change, the
// change time it may replace. Nonzero accepts.
using ChangeTimeFunction = int (*)(int timetable, int station, int key, int time, int arrivingTrain,
                                   int departureMinute, int departingTrain, int* changeTime);

// Kernel-wide values of the parameter record, with their built-in defaults.
struct ConnParms {
  int32_t MaxChanges = 5;
  int32_t WindowDirect = 1440;
  int32_t WindowChanges = 360;
  int32_t StopsInVia = 1;
  int32_t DeltaMaxType = 0;
  int32_t DeltaMaxPercent = 100;
  int32_t DeltaMaxMetres = 200000;
  int32_t RetriesDirect = 3;
  int32_t RetriesChanges = 2;
  int32_t UseBeds = 0;
  int32_t PreferTrains = 1;
  int32_t ArcLength = 60;
  int32_t ArcLengthCity = 10;
  int32_t SearchByCoordinates = 1;
  int32_t LimitOnTarget = 1;
  int32_t ArcLengthFrom = -1;
  int32_t ArcLengthTo = -1;
  int32_t FromSameGroup = 0;
  int32_t ToSameGroup = 0;
  int32_t LimitWalkArcs = 0;
  int32_t LowFloorOnly = 0;
  int32_t AutoStrategy = 0;
  std::array<int32_t, 5> CodeValues{};
};

struct SearchSettings {
  ConnParms Parms;
  // How much of the caller's parameter record the kernel reads: 0, 1, 2.
  uint32_t ClientVersion = 0;
  int32_t PreferTrainsDefault = 1;
  int32_t SkipBounds = 0;
  ChangeTimeFunction ChangeFun = nullptr;
  int32_t MaxSearchDistance = 0;
};

SearchSettings& CurrentSearchSettings();

// Window length and further windows of a search with or without changes.
inline int32_t WindowLength(ConnParms const& p, bool changesAllowed) {
  return changesAllowed ? p.WindowChanges : p.WindowDirect;
}
inline int32_t WindowRetries(ConnParms const& p, bool changesAllowed) {
  return changesAllowed ? p.RetriesChanges : p.RetriesDirect;
}

// A parameter record as a caller gives it, unpacked: the kernel-wide values
// and, per timetable, the values of each array the record carries (an
// absent array leaves that setting as it is).
struct ConnParmsInput {
  uint32_t Version = 0;
  ConnParms Values;
  std::optional<std::vector<int32_t>> MaxChangeTimes;
  std::optional<std::vector<int32_t>> MinChangeTimes;
  std::optional<std::vector<int32_t>> DefaultMinTimes;
  std::optional<std::vector<int32_t>> ChangePenalties;
  // Per timetable its rows (an empty table leaves the rows as they are).
  std::optional<std::vector<std::vector<std::vector<uint8_t>>>> PenaltyTables;
};

// Checks the whole record and applies it only when every value is in
// range: 0, or 19 with nothing changed.
int ApplyConnParms(ConnParmsInput const& input);

// The settings in force as a whole record of the latest version, with
// every timetable's arrays: what a search handle keeps to run under again.
ConnParmsInput ConnParmsInForce();

// Resets the settings from the defaults of the selected timetables (null:
// all; entry 0: left out).
void ResetConnParms(int const* selection);

// The timetable's search defaults, taken from its file on first use.
struct TimetableSearchDefaults;
TimetableSearchDefaults& SearchDefaultsOf(TimetableRecord& t);

// Whether the timetable brings per-station minimum change times.
bool HasMinChangeTimeData(TimetableRecord const& t);

// QoSetDefaultSearchInterval without its argument checks: the new default
// retries, or 0 when nothing changed.
int SetDefaultSearchInterval(TimetableRecord& t, bool direct, int length, int span, bool force);

}  // namespace qo
