#include "load/timetable_checks.h"

#include <cctype>
#include <cstring>

#include "format/range_checks.h"

namespace qo {
namespace {

constexpr int32_t kStopWordBytes = 4;
constexpr int32_t kStationEventBytes = 6;
constexpr uint32_t kEventTrainMask = 0xFFFFFF;

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
Refusal CheckStations(const TimetableRecord& t, int64_t totalWords) {
  const uint32_t s = t.StationCount;
  if (!PerItem(t.StationKeys, s) || !PerItem(t.StationsByKey, s) ||
      !PerItem(t.StationFirstLetters, s) || !PerItem(t.StationSecondLetters, s) ||
      !PerItem(t.StationTimeShifts, s) || !PerItem(t.StationTypes, s) ||
      !PerItem(t.StationRegions, s) || !PerItem(t.StationRemarkIndex, s) ||
      !PerItem(t.DefaultChangeTimes, s) || !PerItem(t.MergeStationKeys, s) ||
      !PerItem(t.MergeStationsByKey, s) || !PerItem(t.StationCodeSet, s))
    return "station arrays not one per station";
  if (!AllBelow(t.StationsByKey, s) || !AllBelow(t.MergeStationsByKey, s))
    return "station by key out of range";
  if (!NoneOrBelow(t.StationRegions, GetPoolCount(t.RegionNames)))
    return "station region out of range";
  if (!AllBelow(t.StationRemarkIndex, int64_t{GetPoolCount(t.StationRemarks)} + 1))
    return "station remark out of range";
  if (!NoneOrBelow(t.StationCodeSet, t.CodeSets.size()))
    return "station service-code set out of range";

  // Station events: byte offsets per station into the events, which are
  // either stored (and then must fill the ranges exactly) or built later by
  // the loader, one per stop word: ranges larger than that are not a
  // timetable's. The last offset is read only once the offsets are known to
  // have s + 1 entries.
  if (!Ranges(t.StationEventOffsets, s, INT32_MAX, kStationEventBytes))
    return "station event offsets";
  if (!t.StationEvents.empty()) {
    if (t.StationEventOffsets.empty()) return "station events without offsets";
    if (t.StationEventOffsets[static_cast<int32_t>(s)] !=
        static_cast<uint32_t>(t.StationEvents.bytes()))
      return "station events not filling their offsets";
    for (int32_t e = 0; e < t.StationEvents.size(); ++e)
      if ((t.StationEvents.Field<uint32_t>(e, 2) & kEventTrainMask) >= t.TrainCount)
        return "station event train out of range";
  } else if (!t.StationEventOffsets.empty() &&
             t.StationEventOffsets[static_cast<int32_t>(s)] > totalWords * kStationEventBytes) {
    return "station event offsets past the stop words";
  }

  // Station graph, pass-via table and walking links.
  if (!Ranges(t.ArcOffsets, s, t.ArcStations.size())) return "arc offsets";
  if (t.ArcLengths.size() != t.ArcStations.size() || !AllBelow(t.ArcStations, s))
    return "arc stations";
  if (!Ranges(t.PassViaOffsets, s, t.PassViaArcs.size())) return "pass-via offsets";
  if (!AllBelow(t.PassViaArcs, t.ArcStations.size())) return "pass-via arc out of range";
  if (!Ranges(t.TransferOffsets, s, t.TransferStations.size())) return "transfer offsets";
  if (t.TransferValues.size() != t.TransferStations.size() || !AllBelow(t.TransferStations, s))
    return "transfer stations";
  if (!PerItem(t.BarrierFreeLinkMinutes, static_cast<uint32_t>(t.TransferValues.size())))
    return "barrier-free link minutes";

  for (const RecordArray& list : t.StationShiftLists)
    if (list.empty()) return "empty time-shift list";  // a shift lookup falls back to entry 0

  for (const LinkRecord& link : t.LinkRecords) {
    if (link.Keys.size() != link.OwnStations.size() ||
        link.Values.size() != link.OwnStations.size())
      return "link arrays of different lengths";
    if (!AllBelow(link.OwnStations, s)) return "link station out of range";
  }
  return nullptr;
}

Refusal CheckVirtLists(const TimetableRecord& t) {
  const uint32_t s = t.StationCount;
  for (const VirtListRecord& list : t.VirtLists) {
    const uint32_t items = static_cast<uint32_t>(list.ItemCount);
    if (!PerItem(list.FirstLetters, items) || !PerItem(list.SecondLetters, items) ||
        !PerItem(list.ItemKeys, items) || !PerItem(list.ItemKinds, items) ||
        !PerItem(list.ItemStation, items))
      return "virtual list arrays not one per item";
    // Every item needs its station(s) from one of the two forms.
    if (items > 0 && list.ItemStation.empty() && list.ItemStationRanges.empty())
      return "virtual list items without stations";
    if (!AllBelow(list.ItemStation, s)) return "virtual list item station out of range";
    if (!Ranges(list.ItemStationRanges, items, list.ItemStations.size()))
      return "virtual list station ranges";
    if (!AllBelow(list.ItemStations, s)) return "virtual list station out of range";
    if (!PerItem(list.ItemStationBytes, static_cast<uint32_t>(list.ItemStations.size())))
      return "virtual list station bytes";
  }
  if (!t.GisTownItems.empty()) {
    if (t.VirtLists.empty() || !AllBelow(t.GisTownItems, t.VirtLists[0].ItemCount))
      return "GIS town item out of range";
  }
  return nullptr;
}

// Stop lists: offsets, stations and minutes of the final lists, pattern
// references, and MaxTrainStops against the longest decoded train.
Refusal CheckTrainStops(const TimetableRecord& t, int64_t* totalWords) {
  const uint32_t trains = t.TrainCount;
  *totalWords = 0;
  if (t.TrainStopOffsets.empty())
    return trains == 0 && t.MaxTrainStops == 0 ? nullptr : "trains without stop offsets";
  if (static_cast<uint32_t>(t.TrainStopOffsets.size()) < trains + 1)
    return "stop offsets fewer than trains";
  if (!Monotone(t.TrainStopOffsets, t.TrainStopData.bytes(), kStopWordBytes)) return "stop offsets";
  const int32_t ranges = t.TrainStopOffsets.size() - 1;

  int64_t longest = 0;
  for (int32_t range = 0; range < ranges; ++range) {
    const bool isTrain = static_cast<uint32_t>(range) < trains;
    const int32_t begin = RangeBegin(t, range);
    const int32_t length = RangeLength(t, range);
    int64_t decoded = length;
    if (isTrain && length == 1) {
      if ((StopTime(t, begin) & 0x7FF) > 1440) return "stop pattern reference minute";
      int64_t pattern = PatternRange(t, begin);
      if (pattern >= ranges) return "stop pattern reference out of range";
      decoded = RangeLength(t, static_cast<int32_t>(pattern));
      if (decoded < 2)
        return "stop pattern reference to a reference";  // a pattern is a final list, never a
                                                         // reference
    } else if (length >= 2) {
      for (int32_t w = begin; w < begin + length; ++w) {
        if (StopStation(t, w) >= t.StationCount) return "stop station out of range";
        if (isTrain && (StopTime(t, w) & 0x7FF) > 1440) return "stop minute beyond the day";
      }
    }
    if (isTrain) {
      *totalWords += decoded;
      if (decoded > longest) longest = decoded;
    }
  }
  if (t.MaxTrainStops < longest) return "longest train above MaxTrainStops";
  if (t.MaxTrainStops > static_cast<uint32_t>(t.TrainStopData.size()))
    return "MaxTrainStops above the stop words";
  return nullptr;
}

Refusal CheckDistances(const TimetableRecord& t) {
  const uint32_t trains = t.TrainCount;
  if (t.DistanceOffsets.empty()) return nullptr;
  if (!Ranges(t.DistanceOffsets, trains, t.DistanceData.size() * int64_t{4}, 4))
    return "distance offsets";
  auto begin = [&](uint32_t train) { return static_cast<int32_t>(t.DistanceOffsets[train] / 4); };
  auto length = [&](uint32_t train) { return begin(train + 1) - begin(train); };
  for (uint32_t train = 0; train < trains; ++train) {
    int32_t n = length(train);
    if (n == 0) continue;  // summed from the arcs
    uint32_t list = train;
    if (n == 1 && t.DistanceData[begin(train)] < 0) {
      int64_t other = -static_cast<int64_t>(t.DistanceData[begin(train)]) - 1;
      if (other >= trains) return "distance reference out of range";
      list = static_cast<uint32_t>(other);
      n = length(list);
      // A reference names a real list, never another reference.
      if (n == 1 && t.DistanceData[begin(list)] < 0) return "distance reference to a reference";
    }
    if (n < DecodedStopCount(t, train)) return "distance list shorter than the stops";
  }
  return nullptr;
}

Refusal CheckTrains(const TimetableRecord& t) {
  const uint32_t trains = t.TrainCount;
  const uint32_t s = t.StationCount;
  if (!PerItem(t.TrainTypeWords, trains) || !PerItem(t.MainNumbers.Values, trains) ||
      !PerItem(t.SecondNumbers.Values, trains) || !PerItem(t.RemarkGroups, trains) ||
      !PerItem(t.CalendarClass, trains) || !PerItem(t.TrainLines, trains) ||
      !PerItem(t.TrainOwners, trains) || !PerItem(t.TrainCodeSet, trains) ||
      !PerItem(t.PhysicalTypes, trains) || !PerItem(t.TripEndFlags, trains) ||
      !PerItem(t.TrainStopPattern, trains) || !PerItem(t.TrainPatternByte, trains))
    return "train arrays not one per train";

  for (const PackedNumberTable* table : {&t.MainNumbers, &t.SecondNumbers}) {
    if (table->Values.empty()) continue;
    if (!IsSafeFormat(table->NumberFormat, false) || !IsSafeFormat(table->TextFormat, true))
      return "unsafe number format";
  }

  // General remarks: a group indexes the list offsets, or without lists is
  // the text index itself (read from a bounded pool).
  if (!Monotone(t.RemarkListOffsets, t.RemarkTextIndexes.size()))
    return "general remark list offsets";
  int64_t groups = t.RemarkListOffsets.empty() ? INT64_MAX : t.RemarkListOffsets.size() - 1;
  if (!AllBelow(t.RemarkGroups, groups)) return "general remark group out of range";
  if (t.RemarkGroups.empty() && !t.RemarkListOffsets.empty() && groups < trains)
    return "general remark groups missing";

  // Calendar: all day sets (and stored day-type windows) of one size, and
  // every class a bit inside them.
  int32_t setBytes = -1;
  for (const RecordArray& set : t.RunningDayCalendar) {
    if (setBytes < 0) setBytes = set.bytes();
    if (set.bytes() != setBytes) return "running-day sets of different sizes";
  }
  for (const RecordArray& window : t.StoredDayTypeWindows)
    if (!window.empty() && setBytes >= 0 && window.bytes() != setBytes)
      return "day-type window size";
  if (setBytes >= 0 && !AllBelow(t.CalendarClass, int64_t{setBytes} * 8))
    return "calendar class out of range";
  if (!AllBelow(t.CalendarClass, INT16_MAX + 1))
    return "calendar class negative";  // no negative class
  if (!Monotone(t.DayRemarkOffsets, t.DayRemarkTextIndexes.size())) return "day remark offsets";
  if (!t.DayRemarkOffsets.empty() && !AllBelow(t.CalendarClass, t.DayRemarkOffsets.size() - 1))
    return "calendar class without day remark";

  // Station remark rows: sorted by station; a range row names its last
  // train in the row after it.
  const RecordArray& rows = t.TrainStationRemarks;
  for (int32_t i = 0; i < rows.size(); ++i) {
    int32_t train = rows.Field<int32_t>(i, 0);
    uint16_t station = rows.Field<uint16_t>(i, 4);
    if (station >= s) return "station remark row station out of range";
    if (i > 0 && station < rows.Field<uint16_t>(i - 1, 4)) return "station remark rows not sorted";
    if (train == -1) continue;
    if (train >= 0x40000000) {
      int64_t first = int64_t{train} - 0x40000000;
      if (first >= trains || i + 1 >= rows.size()) return "station remark range without its end";
      int32_t last = rows.Field<int32_t>(i + 1, 0);
      if (last < 0 || static_cast<uint32_t>(last) >= trains)
        return "station remark range end out of range";
      ++i;
      continue;
    }
    if (train < 0 || static_cast<uint32_t>(train) >= trains)
      return "station remark row train out of range";
  }

  // Continuations.
  if (t.ContinuationStation.size() != t.ContinuationTrainA.size() ||
      t.ContinuationTrainB.size() != t.ContinuationTrainA.size())
    return "continuation arrays of different lengths";
  if (!AllBelow(t.ContinuationTrainA, trains) || !AllBelow(t.ContinuationStation, s) ||
      !AllBelow(t.ContinuationTrainB, trains))
    return "continuation out of range";

  for (int32_t i = 0; i < t.DistanceOverrides.size(); ++i) {
    if (t.DistanceOverrides.Field<uint32_t>(i, 0) >= trains ||
        t.DistanceOverrides.Field<uint16_t>(i, 4) >= s ||
        t.DistanceOverrides.Field<uint16_t>(i, 6) >= s)
      return "distance override out of range";
  }
  for (int32_t i = 0; i < t.TrainPairs.size(); ++i) {
    int32_t a = t.TrainPairs.Field<int32_t>(i, 0);
    int32_t b = t.TrainPairs.Field<int32_t>(i, 4);
    if (a < 0 || b < 0 || static_cast<uint32_t>(a) >= trains || static_cast<uint32_t>(b) >= trains)
      return "train pair out of range";
  }

  // Owners index the fare owner bit sets, so they must name a description.
  int64_t owners = t.OwnerPools.empty() ? 0 : GetPoolCount(t.OwnerPools[0]);
  if (!NoneOrBelow(t.TrainOwners, owners)) return "owner out of range";

  // Service codes and physical types.
  if (!NoneOrBelow(t.TrainCodeSet, t.CodeSets.size())) return "train service-code set out of range";
  if (!PerItem(t.CodeLetterMasks, static_cast<uint32_t>(t.CodeFilterLetters.size())))
    return "service-code letter masks";
  if (!t.PhysicalTypeBits.empty() && !AllBelow(t.PhysicalTypes, t.PhysicalTypeBits.size()))
    return "physical type out of range";
  if (!AllBelow(t.PhysicalTypeBits, 32)) return "physical type bit out of range";

  if (!PerItem(t.HourlyChangeTimes, 24)) return "hourly change times not one per hour";

  // Version 11: through-running trips and their rows.
  if (t.ThroughRows.size() != t.ThroughTrips.size() || !AllBelow(t.ThroughTrips, trains))
    return "through trips";
  for (int32_t i = 0; i < t.ThroughRows.size(); ++i)
    if (t.ThroughRows.Field<uint16_t>(i, 0) >= s) return "through row station out of range";

  // Version 16: stop patterns.
  if (!t.StopPatternIndex.empty() && !Monotone(t.StopPatternIndex, t.StopPatternStops.size()))
    return "stop pattern index";
  for (int32_t i = 0; i < t.StopPatternStops.size(); ++i)
    if (t.StopPatternStops.Field<uint16_t>(i, 0) >= s) return "stop pattern station out of range";
  int64_t patterns = t.StopPatternIndex.empty() ? 0 : t.StopPatternIndex.size() - 1;
  if (!NoneOrBelow(t.TrainStopPattern, patterns)) return "train stop pattern out of range";

  // Version 18: line validity per train.
  if (!Ranges(t.LineValidityOffsets, trains, t.LineValidityIndexes.size()))
    return "line validity offsets";
  if (!AllBelow(t.LineValidityIndexes, t.LineValidity.size()))
    return "line validity index out of range";
  return nullptr;
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

Refusal CheckTimetableReferences(const TimetableRecord& t) {
  if (static_cast<uint32_t>(t.StationShiftLists.size()) != 0 &&
      t.StationShiftLists.size() != t.StationCount)
    return "time-shift lists not one per station";
  int64_t totalWords = 0;
  if (Refusal r = CheckTrainStops(t, &totalWords)) return r;
  if (Refusal r = CheckStations(t, totalWords)) return r;
  if (Refusal r = CheckVirtLists(t)) return r;
  if (Refusal r = CheckDistances(t)) return r;
  return CheckTrains(t);
}

}  // namespace qo
