#include "trains/train_info.h"

#include <cstdio>
#include <cstring>

#include "format/stored_bits.h"
#include "remarks/general_remarks.h"
#include "trains/packed_numbers.h"
#include "trains/route_walk.h"
#include "trains/train_type.h"

namespace qo {
namespace {

constexpr uint16_t kForeignStation = 0x02;
constexpr size_t kMaxRebuiltSecond = 35;

void Cut(std::string& text, size_t length) {
  if (text.size() > length) text.resize(length);
}

// A fixed-size text field of a record: up to its first NUL.
std::string_view FixedText(uint8_t const* field, size_t size) {
  char const* text = reinterpret_cast<char const*>(field);
  return std::string_view(text, strnlen(text, size));
}

void SecondNumberText(TimetableRecord const& t, uint32_t train, std::string& out) {
  out.clear();
  if (t.SecondNumbers.Values.empty()) return;
  FormatPackedNumber(t.SecondNumbers, t.SecondNumbers.Values[static_cast<int32_t>(train)],
                     kMaxTrainTextLength, out);
}

bool HasRemarkWithColon(TimetableRecord const& t, uint32_t train) {
  bool found = false;
  ForEachRemark(t, train, [&](std::string_view text) {
    found = text.find(':') != std::string_view::npos;
    return !found;
  });
  return found;
}

// A group variant that tells nothing of its own along the route shows the
// texts of the train before it when both carry the same number.
uint32_t StandInTrain(TimetableRecord const& t, uint32_t train) {
  if (t.TrainTypeWords.empty() || t.MainNumbers.Values.empty()) return train;
  while (train > 0 && (t.TrainTypeWords[static_cast<int32_t>(train)] & kContinuesGroup) &&
         t.MainNumbers.Values[static_cast<int32_t>(train)] ==
             t.MainNumbers.Values[static_cast<int32_t>(train - 1)] &&
         !HasRemarkWithColon(t, train))
    --train;
  return train;
}

// The region code a station's numbers are kept under: its region name up to
// the first '-', without a leading '*'.
std::string_view StationRegionCode(TimetableRecord const& t, int32_t station) {
  if (t.StationRegions.empty()) return {};
  int16_t region = t.StationRegions[station];
  if (region < 0) return {};
  std::string_view name = PoolString(t.RegionNames, region);
  if (!name.empty() && name.front() == '*') name.remove_prefix(1);
  return name.substr(0, name.find('-'));
}

bool RegionNumber(TimetableRecord const& t, uint32_t train, int32_t station, std::string* out) {
  RecordArray const& rows = t.RegionNumberRows;
  if (rows.empty()) return false;
  std::string_view code = StationRegionCode(t, station);
  if (code.empty()) return false;
  for (int32_t i = 0; i < rows.size(); ++i) {
    int64_t first = rows.Field<int32_t>(i, 0);
    int64_t last = rows.Field<int32_t>(i, 4);
    if (train < first || train > last) continue;
    if (FixedText(rows.At(i) + 8, 4) != code) continue;
    out->assign(FixedText(rows.At(i) + 12, 8));
    return true;
  }
  return false;
}

// The numbers a train runs under along its route. Its second number lists
// them after its name ("name/1235/1237"); a remark that names a stop's time
// announces the next one, by its last word or else by counting.
class NumberChanges {
 public:
  NumberChanges(TimetableRecord const& t, uint32_t train, std::string_view second,
                std::string_view number)
      : t_(t), train_(train), inForce_(number) {
    for (size_t at = second.find('/'); at != std::string_view::npos;
         at = second.find('/', at + 1)) {
      size_t end = second.find('/', at + 1);
      parts_.push_back(second.substr(at + 1, end == std::string_view::npos ? end : end - at - 1));
    }
  }

  bool HasParts() const { return !parts_.empty(); }
  int Changes() const { return changes_; }
  std::string_view InForce() const { return inForce_; }
  // The position of the part in force within the second number, npos when
  // the number in force is not one of them.
  size_t InForcePart() const { return part_; }

  void Visit(StopRange const& words, RouteStop const& stop) {
    int arrival = words.Minute(stop.FirstWord);
    int departure = words.Minute(stop.LastWord);
    std::string_view announced;
    bool found = false;
    ForEachRemark(t_, train_, [&](std::string_view remark) {
      found = RemarkNamesTime(remark, arrival) ||
              (departure != arrival && RemarkNamesTime(remark, departure));
      if (found) announced = LastWord(remark);
      return !found;
    });
    if (!found) return;
    ++changes_;
    for (size_t j = 0; j < parts_.size(); ++j) {
      if (parts_[j] == announced) return Take(j);
    }
    // The k-th change brings the k-th number of the list.
    if (static_cast<size_t>(changes_) <= parts_.size()) Take(static_cast<size_t>(changes_) - 1);
  }

 private:
  void Take(size_t j) {
    inForce_ = parts_[j];
    part_ = j;
  }

  TimetableRecord const& t_;
  uint32_t train_;
  std::vector<std::string_view> parts_;
  std::string_view inForce_;
  size_t part_ = std::string_view::npos;
  int changes_ = 0;
};

// The number in force at the station replaces the main number; it leaves
// the second number and the main number goes in at its first '/'.
void ApplyNumberAtStation(TimetableRecord const& t, uint32_t train, int32_t station,
                          TrainTexts& out) {
  if (out.Second.find('/') == std::string::npos) return;
  const std::string second = out.Second;
  const std::string number = out.Number;
  NumberChanges changes(t, train, second, number);
  StopRange words(t, train);
  bool reached = false;
  ForEachStop(words, [&](RouteStop const& stop) {
    changes.Visit(words, stop);
    reached = stop.Station == station;
    return !reached;
  });
  if (!reached || changes.Changes() == 0 || changes.InForcePart() == std::string_view::npos) return;
  std::string_view inForce = changes.InForce();
  size_t partBegin = static_cast<size_t>(inForce.data() - second.data());
  size_t firstSlash = second.find('/');
  std::string rebuilt = second;
  rebuilt.erase(partBegin - 1, inForce.size() + 1);
  rebuilt.insert(firstSlash, "/" + number);
  out.Number.assign(inForce);
  out.Second = std::move(rebuilt);
  Cut(out.Number, kMaxTrainTextLength);
  Cut(out.Second, kMaxTrainTextLength);
}

// The second number rebuilt for a journey: its name, then each number the
// train runs under from `from` up to (not including) `to` that differs from
// the number shown.
void RebuildSecondForJourney(TimetableRecord const& t, uint32_t train, int32_t from, int32_t to,
                             std::string const& storedSecond, std::string const& storedNumber,
                             TrainTexts& out) {
  std::string rebuilt = out.Second.substr(0, out.Second.find('/'));
  NumberChanges changes(t, train, storedSecond, storedNumber);
  StopRange words(t, train);
  bool inside = from < 0;
  std::string last;
  ForEachStop(words, [&](RouteStop const& stop) {
    if (stop.Station == from) inside = true;
    if (stop.Station == to && inside) return false;
    changes.Visit(words, stop);
    if (!inside) return true;
    std::string_view number = changes.InForce();
    if (number != out.Number && number != last) {
      last.assign(number);
      if (rebuilt.size() + 1 + number.size() <= kMaxRebuiltSecond) {
        rebuilt += '/';
        rebuilt += number;
      }
    }
    return true;
  });
  size_t begin = rebuilt.find_first_not_of(' ');
  size_t end = rebuilt.find_last_not_of(' ');
  out.Second = begin == std::string::npos ? std::string() : rebuilt.substr(begin, end - begin + 1);
}

}  // namespace

std::string_view TextOfLanguage(std::vector<StringPool> const& pools, int language, int32_t i) {
  StringPool const* pool = PoolOfLanguage(pools, language);
  if (!pool) return {};
  std::string_view text = PoolString(*pool, i);
  if (text.empty() && pool != &pools[0]) text = PoolString(pools[0], i);
  return text;
}

int TrainTypeCount(TimetableRecord const& t) {
  return t.TrainTypeNames.empty() ? 0 : GetPoolCount(t.TrainTypeNames[0]);
}

bool HasPhysicalTypes(TimetableRecord const& t) { return !t.PhysicalTypeNames.empty(); }

int PhysicalTypeCount(TimetableRecord const& t) {
  return HasPhysicalTypes(t) ? GetPoolCount(t.PhysicalTypeNames[0]) : TrainTypeCount(t);
}

void TrainTypeTexts(TimetableRecord const& t, int language, int type, std::string& abbreviation,
                    std::string& description) {
  abbreviation.assign(TextOfLanguage(t.TrainTypeNames, language, type));
  description.assign(TextOfLanguage(t.TrainTypeLongNames, language, type));
}

void PhysicalTypeTexts(TimetableRecord const& t, int language, int type, std::string& abbreviation,
                       std::string& description) {
  if (!HasPhysicalTypes(t)) return TrainTypeTexts(t, language, type, abbreviation, description);
  abbreviation.assign(TextOfLanguage(t.PhysicalTypeNames, language, type));
  description.assign(TextOfLanguage(t.PhysicalTypeLongNames, language, type));
}

int TypeBitIndex(TimetableRecord const& t, uint32_t word) {
  int types = TrainTypeCount(t);
  for (int bit = 0; bit < types && bit < 32; ++bit)
    if (word >> bit & 1) return bit;
  return 0;
}

void GetTrainTexts(TimetableRecord const& t, int language, uint32_t train, TrainTexts& out) {
  TrainNumberText(t, train, out.Number);
  SecondNumberText(t, train, out.Second);
  uint32_t word = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[static_cast<int32_t>(train)];
  out.TypeBit = TypeBitIndex(t, word);
  if (HasPhysicalTypes(t) && !t.PhysicalTypes.empty()) {
    out.Physical = t.PhysicalTypes[static_cast<int32_t>(train)];
    out.Type.assign(TextOfLanguage(t.PhysicalTypeNames, language, out.Physical));
  } else {
    out.Physical = out.TypeBit;
    out.Type.assign(TextOfLanguage(t.TrainTypeNames, language, out.TypeBit));
  }
  Cut(out.Type, kMaxTrainTextLength);
}

void GetTrainStationTexts(TimetableRecord const& t, int language, uint32_t train, int32_t station,
                          int32_t from, int32_t to, bool wantType, TrainTexts& out) {
  if (station >= 0) train = StandInTrain(t, train);
  GetTrainTexts(t, language, train, out);
  if (station < 0) return;
  const std::string storedSecond = out.Second;
  const std::string storedNumber = out.Number;

  uint32_t word = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[static_cast<int32_t>(train)];
  if (t.Kind == kKindRail && wantType && (word & kTypeChangesAlongRoute)) {
    int bit = 0, physical = -1;
    if (FindTypeAtStop(t, train, station, &bit, &physical)) {
      out.TypeBit = bit;
      if (physical >= 0) {
        out.Physical = physical;
        out.Type.assign(TextOfLanguage(t.PhysicalTypeNames, language, physical));
      } else {
        out.Physical = HasPhysicalTypes(t) ? -1 : bit;
        out.Type.assign(TextOfLanguage(t.TrainTypeNames, language, bit));
      }
      Cut(out.Type, kMaxTrainTextLength);
    }
  }

  std::string regional;
  if (RegionNumber(t, train, station, &regional)) out.Number = regional;

  ApplyNumberAtStation(t, train, station, out);
  if (from >= 0 || to >= 0)
    RebuildSecondForJourney(t, train, from, to, storedSecond, storedNumber, out);
}

int TrainDomesticKind(TimetableRecord const& t, uint32_t train) {
  StopRange words(t, train);
  int32_t foreign = 0;
  for (int32_t i = 0; i < words.size(); ++i)
    if (!t.StationTypes.empty() && (t.StationTypes[words.Station(i)] & kForeignStation)) ++foreign;
  if (foreign == 0) return 1;
  return foreign == words.size() ? 2 : 3;
}

bool RemarkNamesTime(std::string_view remark, int minute) {
  if (remark.find(':') == std::string_view::npos) return false;
  char time[24];
  int length = std::snprintf(time, sizeof time, " %d:%02d)", minute / 60 % 24, minute % 60);
  std::string_view spaced(time, static_cast<size_t>(length));
  if (remark.find(spaced) != std::string_view::npos) return true;
  time[0] = '.';
  return remark.find(spaced) != std::string_view::npos;
}

std::string_view LastWord(std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  if (end == std::string_view::npos) return {};
  text = text.substr(0, end + 1);
  size_t blank = text.rfind(' ');
  return blank == std::string_view::npos ? text : text.substr(blank + 1);
}

}  // namespace qo
