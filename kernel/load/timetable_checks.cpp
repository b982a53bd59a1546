#include "load/timetable_checks.h"

#include <cctype>
#include <cstring>

namespace qo {
namespace {

constexpr int32_t kStopWordBytes = 4;
constexpr int32_t kStationEventBytes = 6;
constexpr uint32_t kEventTrainMask = 0xFFFFFF;

template <class A>
bool PerItem(const A& array, uint32_t n) {
  return array.empty() || static_cast<uint32_t>(array.size()) == n;
}

// Non-decreasing offsets from 0 up, none above limit, each a multiple of unit.
template <class T>
bool Monotone(const ImageArray<T>& offsets, int64_t limit, int64_t unit = 1) {
  int64_t previous = 0;
  for (int32_t i = 0; i < offsets.size(); ++i) {
    int64_t value = static_cast<int64_t>(offsets[i]);
    if (value < previous || value > limit || value % unit != 0) return false;
    previous = value;
  }
  return true;
}

// An offsets array of n + 1 entries (or none) into a target of `limit`.
template <class T>
bool Ranges(const ImageArray<T>& offsets, uint32_t n, int64_t limit, int64_t unit = 1) {
  if (offsets.empty()) return true;
  return static_cast<uint32_t>(offsets.size()) == n + 1 && Monotone(offsets, limit, unit);
}

// Every value in 0..limit-1.
template <class T>
bool AllBelow(const ImageArray<T>& values, int64_t limit) {
  for (int32_t i = 0; i < values.size(); ++i) {
    int64_t value = static_cast<int64_t>(values[i]);
    if (value < 0 || value >= limit) return false;
  }
  return true;
}

// Negative values mean "none"; the others must be below limit.
template <class T>
bool NoneOrBelow(const ImageArray<T>& values, int64_t limit) {
  for (int32_t i = 0; i < values.size(); ++i) {
    int64_t value = static_cast<int64_t>(values[i]);
    if (value >= limit) return false;
  }
  return true;
}

uint16_t StopTime(const TimetableRecord& t, int32_t word) {
  return t.TrainStopData.Field<uint16_t>(word, 0);
}
uint16_t StopStation(const TimetableRecord& t, int32_t word) {
  return t.TrainStopData.Field<uint16_t>(word, 2);
}
int32_t RangeBegin(const TimetableRecord& t, int32_t range) {
  return static_cast<int32_t>(t.TrainStopOffsets[range] / kStopWordBytes);
}
int32_t RangeLength(const TimetableRecord& t, int32_t range) {
  return RangeBegin(t, range + 1) - RangeBegin(t, range);
}
int64_t PatternRange(const TimetableRecord& t, int32_t word) {
  uint16_t time = StopTime(t, word);
  return static_cast<int64_t>(t.TrainCount) + ((time >> 12) & 0xF) * 65536 + StopStation(t, word);
}

// totalWords: the decoded stop words of all trains (CheckTrainStops).
bool CheckStations(const TimetableRecord& t, int64_t totalWords) {
  const uint32_t s = t.StationCount;
  if (!PerItem(t.StationKeys, s) || !PerItem(t.StationsByKey, s) ||
      !PerItem(t.StationFirstLetters, s) || !PerItem(t.StationSecondLetters, s) ||
      !PerItem(t.StationTimeShifts, s) || !PerItem(t.StationTypes, s) ||
      !PerItem(t.StationRegions, s) || !PerItem(t.StationRemarkIndex, s) ||
      !PerItem(t.DefaultChangeTimes, s) || !PerItem(t.MergeStationKeys, s) ||
      !PerItem(t.MergeStationsByKey, s) || !PerItem(t.StationCodeSet, s))
    return false;
  if (!AllBelow(t.StationsByKey, s) || !AllBelow(t.MergeStationsByKey, s)) return false;
  if (!NoneOrBelow(t.StationRegions, GetPoolCount(t.RegionNames))) return false;
  if (!AllBelow(t.StationRemarkIndex, int64_t{GetPoolCount(t.StationRemarks)} + 1)) return false;
  if (!NoneOrBelow(t.StationCodeSet, t.CodeSets.size())) return false;

  // Station events: byte offsets per station into the events, which are
  // either stored (and then must fill the ranges exactly) or built later by
  // the loader, one per stop word: ranges larger than that are not a
  // timetable's. The last offset is read only once the offsets are known to
  // have s + 1 entries.
  if (!Ranges(t.StationEventOffsets, s, INT32_MAX, kStationEventBytes)) return false;
  if (!t.StationEvents.empty()) {
    if (t.StationEventOffsets.empty()) return false;
    if (t.StationEventOffsets[static_cast<int32_t>(s)] !=
        static_cast<uint32_t>(t.StationEvents.bytes()))
      return false;
    for (int32_t e = 0; e < t.StationEvents.size(); ++e)
      if ((t.StationEvents.Field<uint32_t>(e, 2) & kEventTrainMask) >= t.TrainCount) return false;
  } else if (!t.StationEventOffsets.empty() &&
             t.StationEventOffsets[static_cast<int32_t>(s)] > totalWords * kStationEventBytes) {
    return false;
  }

  // Station graph, pass-via table and walking links.
  if (!Ranges(t.ArcOffsets, s, t.ArcStations.size())) return false;
  if (t.ArcLengths.size() != t.ArcStations.size() || !AllBelow(t.ArcStations, s)) return false;
  if (!Ranges(t.PassViaOffsets, s, t.PassViaArcs.size())) return false;
  if (!AllBelow(t.PassViaArcs, t.ArcStations.size())) return false;
  if (!Ranges(t.TransferOffsets, s, t.TransferStations.size())) return false;
  if (t.TransferValues.size() != t.TransferStations.size() || !AllBelow(t.TransferStations, s))
    return false;
  if (!PerItem(t.BarrierFreeLinkMinutes, static_cast<uint32_t>(t.TransferValues.size())))
    return false;

  for (const RecordArray& list : t.StationShiftLists)
    if (list.empty()) return false;  // a shift lookup falls back to entry 0

  for (const LinkRecord& link : t.LinkRecords) {
    if (link.Keys.size() != link.OwnStations.size() ||
        link.Values.size() != link.OwnStations.size())
      return false;
    if (!AllBelow(link.OwnStations, s)) return false;
  }
  return true;
}

bool CheckVirtLists(const TimetableRecord& t) {
  const uint32_t s = t.StationCount;
  for (const VirtListRecord& list : t.VirtLists) {
    const uint32_t items = static_cast<uint32_t>(list.ItemCount);
    if (!PerItem(list.FirstLetters, items) || !PerItem(list.SecondLetters, items) ||
        !PerItem(list.ItemKeys, items) || !PerItem(list.ItemKinds, items) ||
        !PerItem(list.ItemStation, items))
      return false;
    // Every item needs its station(s) from one of the two forms.
    if (items > 0 && list.ItemStation.empty() && list.ItemStationRanges.empty()) return false;
    if (!AllBelow(list.ItemStation, s)) return false;
    if (!Ranges(list.ItemStationRanges, items, list.ItemStations.size())) return false;
    if (!AllBelow(list.ItemStations, s)) return false;
    if (!PerItem(list.ItemStationBytes, static_cast<uint32_t>(list.ItemStations.size())))
      return false;
  }
  if (!t.GisTownItems.empty()) {
    if (t.VirtLists.empty() || !AllBelow(t.GisTownItems, t.VirtLists[0].ItemCount)) return false;
  }
  return true;
}

// Stop lists: offsets, stations and minutes of the final lists, pattern
// references, and MaxTrainStops against the longest decoded train.
bool CheckTrainStops(const TimetableRecord& t, int64_t* totalWords) {
  const uint32_t trains = t.TrainCount;
  *totalWords = 0;
  if (t.TrainStopOffsets.empty()) return trains == 0 && t.MaxTrainStops == 0;
  if (static_cast<uint32_t>(t.TrainStopOffsets.size()) < trains + 1) return false;
  if (!Monotone(t.TrainStopOffsets, t.TrainStopData.bytes(), kStopWordBytes)) return false;
  const int32_t ranges = t.TrainStopOffsets.size() - 1;

  int64_t longest = 0;
  for (int32_t range = 0; range < ranges; ++range) {
    const bool isTrain = static_cast<uint32_t>(range) < trains;
    const int32_t begin = RangeBegin(t, range);
    const int32_t length = RangeLength(t, range);
    int64_t decoded = length;
    if (isTrain && length == 1) {
      if ((StopTime(t, begin) & 0x7FF) > 1440) return false;
      int64_t pattern = PatternRange(t, begin);
      if (pattern >= ranges) return false;
      decoded = RangeLength(t, static_cast<int32_t>(pattern));
      if (decoded < 2) return false;  // a pattern is a final list, never a reference
    } else if (length >= 2) {
      for (int32_t w = begin; w < begin + length; ++w) {
        if (StopStation(t, w) >= t.StationCount) return false;
        if (isTrain && (StopTime(t, w) & 0x7FF) > 1440) return false;
      }
    }
    if (isTrain) {
      *totalWords += decoded;
      if (decoded > longest) longest = decoded;
    }
  }
  return t.MaxTrainStops >= longest &&
         t.MaxTrainStops <= static_cast<uint32_t>(t.TrainStopData.size());
}

bool CheckDistances(const TimetableRecord& t) {
  const uint32_t trains = t.TrainCount;
  if (t.DistanceOffsets.empty()) return true;
  if (!Ranges(t.DistanceOffsets, trains, t.DistanceData.size() * int64_t{4}, 4)) return false;
  auto begin = [&](uint32_t train) { return static_cast<int32_t>(t.DistanceOffsets[train] / 4); };
  auto length = [&](uint32_t train) { return begin(train + 1) - begin(train); };
  for (uint32_t train = 0; train < trains; ++train) {
    int32_t n = length(train);
    if (n == 0) continue;  // summed from the arcs
    uint32_t list = train;
    if (n == 1 && t.DistanceData[begin(train)] < 0) {
      int64_t other = -static_cast<int64_t>(t.DistanceData[begin(train)]) - 1;
      if (other >= trains) return false;
      list = static_cast<uint32_t>(other);
      n = length(list);
      // A reference names a real list, never another reference.
      if (n == 1 && t.DistanceData[begin(list)] < 0) return false;
    }
    if (n < DecodedStopCount(t, train)) return false;
  }
  return true;
}

bool CheckTrains(const TimetableRecord& t) {
  const uint32_t trains = t.TrainCount;
  const uint32_t s = t.StationCount;
  if (!PerItem(t.TrainTypeWords, trains) || !PerItem(t.MainNumbers.Values, trains) ||
      !PerItem(t.SecondNumbers.Values, trains) || !PerItem(t.RemarkGroups, trains) ||
      !PerItem(t.CalendarClass, trains) || !PerItem(t.TrainLines, trains) ||
      !PerItem(t.TrainOwners, trains) || !PerItem(t.TrainCodeSet, trains) ||
      !PerItem(t.PhysicalTypes, trains) || !PerItem(t.TripEndFlags, trains) ||
      !PerItem(t.TrainStopPattern, trains) || !PerItem(t.TrainPatternByte, trains))
    return false;

  for (const PackedNumberTable* table : {&t.MainNumbers, &t.SecondNumbers}) {
    if (table->Values.empty()) continue;
    if (!IsSafeFormat(table->NumberFormat, false) || !IsSafeFormat(table->TextFormat, true))
      return false;
  }

  // General remarks: a group indexes the list offsets, or without lists is
  // the text index itself (read from a bounded pool).
  if (!Monotone(t.RemarkListOffsets, t.RemarkTextIndexes.size())) return false;
  int64_t groups = t.RemarkListOffsets.empty() ? INT64_MAX : t.RemarkListOffsets.size() - 1;
  if (!AllBelow(t.RemarkGroups, groups)) return false;
  if (t.RemarkGroups.empty() && !t.RemarkListOffsets.empty() && groups < trains) return false;

  // Calendar: all day sets (and stored day-type windows) of one size, and
  // every class a bit inside them.
  int32_t setBytes = -1;
  for (const RecordArray& set : t.RunningDayCalendar) {
    if (setBytes < 0) setBytes = set.bytes();
    if (set.bytes() != setBytes) return false;
  }
  for (const RecordArray& window : t.StoredDayTypeWindows)
    if (!window.empty() && setBytes >= 0 && window.bytes() != setBytes) return false;
  if (setBytes >= 0 && !AllBelow(t.CalendarClass, int64_t{setBytes} * 8)) return false;
  if (!AllBelow(t.CalendarClass, INT16_MAX + 1)) return false;  // no negative class
  if (!Monotone(t.DayRemarkOffsets, t.DayRemarkTextIndexes.size())) return false;
  if (!t.DayRemarkOffsets.empty() && !AllBelow(t.CalendarClass, t.DayRemarkOffsets.size() - 1))
    return false;

  // Station remark rows: sorted by station; a range row names its last
  // train in the row after it.
  const RecordArray& rows = t.TrainStationRemarks;
  for (int32_t i = 0; i < rows.size(); ++i) {
    int32_t train = rows.Field<int32_t>(i, 0);
    uint16_t station = rows.Field<uint16_t>(i, 4);
    if (station >= s) return false;
    if (i > 0 && station < rows.Field<uint16_t>(i - 1, 4)) return false;
    if (train == -1) continue;
    if (train >= 0x40000000) {
      int64_t first = int64_t{train} - 0x40000000;
      if (first >= trains || i + 1 >= rows.size()) return false;
      int32_t last = rows.Field<int32_t>(i + 1, 0);
      if (last < 0 || static_cast<uint32_t>(last) >= trains) return false;
      ++i;
      continue;
    }
    if (train < 0 || static_cast<uint32_t>(train) >= trains) return false;
  }

  // Continuations.
  if (t.ContinuationStation.size() != t.ContinuationTrainA.size() ||
      t.ContinuationTrainB.size() != t.ContinuationTrainA.size())
    return false;
  if (!AllBelow(t.ContinuationTrainA, trains) || !AllBelow(t.ContinuationStation, s) ||
      !AllBelow(t.ContinuationTrainB, trains))
    return false;

  for (int32_t i = 0; i < t.DistanceOverrides.size(); ++i) {
    if (t.DistanceOverrides.Field<uint32_t>(i, 0) >= trains ||
        t.DistanceOverrides.Field<uint16_t>(i, 4) >= s ||
        t.DistanceOverrides.Field<uint16_t>(i, 6) >= s)
      return false;
  }
  for (int32_t i = 0; i < t.TrainPairs.size(); ++i) {
    int32_t a = t.TrainPairs.Field<int32_t>(i, 0);
    int32_t b = t.TrainPairs.Field<int32_t>(i, 4);
    if (a < 0 || b < 0 || static_cast<uint32_t>(a) >= trains || static_cast<uint32_t>(b) >= trains)
      return false;
  }

  // Owners index the fare owner bit sets, so they must name a description.
  int64_t owners = t.OwnerPools.empty() ? 0 : GetPoolCount(t.OwnerPools[0]);
  if (!NoneOrBelow(t.TrainOwners, owners)) return false;

  // Service codes and physical types.
  if (!NoneOrBelow(t.TrainCodeSet, t.CodeSets.size())) return false;
  if (!PerItem(t.CodeLetterMasks, static_cast<uint32_t>(t.CodeFilterLetters.size()))) return false;
  if (!t.PhysicalTypeBits.empty() && !AllBelow(t.PhysicalTypes, t.PhysicalTypeBits.size()))
    return false;
  if (!AllBelow(t.PhysicalTypeBits, 32)) return false;

  if (!PerItem(t.HourlyChangeTimes, 24)) return false;

  // Version 11: through-running trips and their rows.
  if (t.ThroughRows.size() != t.ThroughTrips.size() || !AllBelow(t.ThroughTrips, trains))
    return false;
  for (int32_t i = 0; i < t.ThroughRows.size(); ++i)
    if (t.ThroughRows.Field<uint16_t>(i, 0) >= s) return false;

  // Version 16: stop patterns.
  if (!t.StopPatternIndex.empty() && !Monotone(t.StopPatternIndex, t.StopPatternStops.size()))
    return false;
  for (int32_t i = 0; i < t.StopPatternStops.size(); ++i)
    if (t.StopPatternStops.Field<uint16_t>(i, 0) >= s) return false;
  int64_t patterns = t.StopPatternIndex.empty() ? 0 : t.StopPatternIndex.size() - 1;
  if (!NoneOrBelow(t.TrainStopPattern, patterns)) return false;

  // Version 18: line validity per train.
  if (!Ranges(t.LineValidityOffsets, trains, t.LineValidityIndexes.size())) return false;
  if (!AllBelow(t.LineValidityIndexes, t.LineValidity.size())) return false;
  return true;
}

bool IsConversion(char c, bool text) {
  return text ? c == 's' : std::strchr("diuxXo", c) != nullptr;
}

}  // namespace

bool IsSafeFormat(const char* format, bool textConversion) {
  int conversions = 0;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '%') continue;
    while (*p && std::strchr("-+ #0", *p)) ++p;
    // A number is a few characters wide: a width or precision of more than
    // two digits would have every number printed pad millions of blanks.
    auto digits = [&p] {
      int n = 0;
      for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) ++n;
      return n;
    };
    if (digits() > 2) return false;
    if (*p == '.') {
      ++p;
      if (digits() > 2) return false;
    }
    if (!*p || !IsConversion(*p, textConversion)) return false;
    ++conversions;
  }
  return conversions == 1;
}

int32_t DecodedStopCount(const TimetableRecord& t, uint32_t train) {
  if (train + 1 >= static_cast<uint32_t>(t.TrainStopOffsets.size())) return 0;
  int32_t range = static_cast<int32_t>(train);
  int32_t length = RangeLength(t, range);
  if (length != 1) return length;
  return RangeLength(t, static_cast<int32_t>(PatternRange(t, RangeBegin(t, range))));
}

bool CheckTimetableReferences(const TimetableRecord& t) {
  if (static_cast<uint32_t>(t.StationShiftLists.size()) != 0 &&
      t.StationShiftLists.size() != t.StationCount)
    return false;
  int64_t totalWords = 0;
  if (!CheckTrainStops(t, &totalWords)) return false;
  return CheckStations(t, totalWords) && CheckVirtLists(t) && CheckDistances(t) && CheckTrains(t);
}

}  // namespace qo
