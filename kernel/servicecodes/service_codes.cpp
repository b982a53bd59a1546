#include "servicecodes/service_codes.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "calendars/train_calendar.h"
#include "core/counted_array.h"
#include "frame/error_codes.h"
#include "remarks/general_remarks.h"
#include "remarks/owners.h"
#include "servicecodes/code_filter_state.h"
#include "stations/station_access.h"
#include "trains/train_info.h"

namespace qo {
namespace {

constexpr uint32_t kRangeRow = 0x40000000;

uint64_t Read64(RecordArray const& records, int32_t i) {
  return records.Field<uint32_t>(i, 0) | uint64_t{records.Field<uint32_t>(i, 4)} << 32;
}

// The filter-miss bit goes into a working copy of the type words: the image
// keeps what the file says (and its checksum).
ArrayHandle WritableTypeWords(TimetableRecord& t) {
  if (!t.TrainTypeWordCopy.get()) {
    ArrayHandle copy = CopyArray(t.TrainTypeWords.handle());
    t.TrainTypeWordCopy = OwnedArray(copy);
    t.TrainTypeWords = ImageArray<uint32_t>(copy, t.TrainTypeWords.size());
  }
  return t.TrainTypeWordCopy.get();
}

// The leading decimal number of a code's value (blanks and a sign
// allowed); false when it has none.
bool ReadNumber(std::string_view value, int64_t* out) {
  size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  int64_t number = 0;
  size_t digits = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9' && digits < 10; ++i, ++digits)
    number = number * 10 + (value[i] - '0');
  *out = negative ? -number : number;
  return digits > 0;
}

// The service code of a remark's control part ("¤C", 0..63); -1 when it
// has none or names another number.
int ServiceCodeOf(RemarkParts const& parts) {
  std::string_view value;
  int64_t code = 0;
  if (!parts.HasControl || !ControlValue(parts.Control, 'C', &value) || !ReadNumber(value, &code) ||
      code < 0 || code >= 64)
    return -1;
  return static_cast<int>(code);
}

// The station a section code names by its key.
int32_t SectionEnd(TimetableRecord const& t, std::string_view control, char letter) {
  std::string_view value;
  if (!ControlValue(control, letter, &value)) return -1;
  int64_t key = 0;
  if (!ReadNumber(value, &key) || key < INT32_MIN || key > INT32_MAX) return kRuleNoSuchStation;
  const int32_t station = SearchStationKey(t, static_cast<int32_t>(key));
  return station >= 0 ? station : kRuleNoSuchStation;
}

// Each train's service-code remarks, parsed once for all the rides the
// search will match.
void BuildRules(TimetableRecord& t) {
  CodeFilterState& filter = CodeFilterOf(t);
  if (!filter.RuleOffsets.empty()) return;
  filter.Rules.clear();
  filter.RuleOffsets.assign(static_cast<size_t>(t.TrainCount) + 1, 0);
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    filter.RuleOffsets[train] = static_cast<int32_t>(filter.Rules.size());
    ForEachRemark(t, train, [&](std::string_view text) {
      const RemarkParts parts = SplitRemark(text, false);
      const int code = ServiceCodeOf(parts);
      if (code < 0) return true;
      ServiceCodeRule rule;
      rule.Code = static_cast<uint8_t>(code);
      std::string_view value;
      int64_t dayClass = 0;
      if (ControlValue(parts.Control, 'V', &value) && ReadNumber(value, &dayClass) &&
          dayClass >= 0 && dayClass <= INT16_MAX)
        rule.DayClass = static_cast<int16_t>(dayClass);
      rule.From = SectionEnd(t, parts.Control, 'F');
      rule.To = SectionEnd(t, parts.Control, 'T');
      filter.Rules.push_back(rule);
      return true;
    });
  }
  filter.RuleOffsets[t.TrainCount] = static_cast<int32_t>(filter.Rules.size());
}

// Whether a set offers every enabled letter: one code of the union, and one
// of each mask after the first (the first is inside the union).
bool OffersEveryLetter(CodeFilterState const& filter, uint64_t set) {
  if ((set & filter.EnabledUnion) == 0) return false;
  for (size_t k = filter.EnabledMasks.size(); k-- > 1;)
    if ((set & filter.EnabledMasks[k]) == 0) return false;
  return true;
}

// Whether a code that a remark limits to the section from F to T holds at
// the station, walking the train's stops.
bool SectionCodeHolds(ServiceCodeRule const& rule, StopList const& stops, int32_t station) {
  bool passedFrom = false;
  for (int32_t i = 0; i < stops.count; ++i) {
    const int32_t at = stops.Station(i);
    if (at == rule.From) {
      if (rule.To == -1) return true;
      passedFrom = true;
    }
    if (at == rule.To) return false;
    if (at == station) return passedFrom || rule.From == -1;
  }
  return true;
}

}  // namespace

CodeFilterState& CodeFilterOf(TimetableRecord& t) {
  if (!t.CodeFilter) t.CodeFilter = std::make_shared<CodeFilterState>();
  return *t.CodeFilter;
}

CodeFilterState const& CodeFilterOf(TimetableRecord const& t) {
  static CodeFilterState const none;
  return t.CodeFilter ? *t.CodeFilter : none;
}

uint64_t CodeSetAt(TimetableRecord const& t, int32_t index) {
  return index >= 0 && index < t.CodeSets.size() ? Read64(t.CodeSets, index) : 0;
}

int ListCodes(uint64_t set, uint8_t* out) {
  int n = 0;
  for (int code = 0; code < 64; ++code)
    if (set & CodeBit(code)) out[n++] = static_cast<uint8_t>(code);
  return n;
}

bool TrainCodeSet(TimetableRecord const& t, uint32_t train, uint64_t* set) {
  *set = 0;
  if (t.TrainCodeSet.empty()) return false;
  const int16_t index = t.TrainCodeSet[static_cast<int32_t>(train)];
  if (index < 0) return false;
  *set = CodeSetAt(t, index);
  return true;
}

bool StationCodeSet(TimetableRecord const& t, uint16_t station, uint64_t* set) {
  *set = 0;
  if (t.StationCodeSet.empty()) return false;
  const int16_t index = t.StationCodeSet[station];
  if (index < 0) return false;
  *set = CodeSetAt(t, index);
  return true;
}

bool TrainCodesOnJourney(TimetableRecord const& t, uint32_t train, int32_t from, int32_t to,
                         int32_t date, uint64_t* set) {
  if (!TrainCodeSet(t, train, set)) return false;
  if (from < 0 && to < 0 && date <= 0) return *set != 0;
  uint64_t added = 0;
  const Journey journey{from, to, date};
  const int32_t count = CountGeneralRemarks(t, train);
  for (int32_t i = 0; i < count; ++i) {
    // A remark without a control part carries no code. An owner remark's
    // code is read too: the remark is not the train's own, so it never
    // holds and its code leaves the set.
    int const code = ServiceCodeOf(SplitRemark(GeneralRemarkText(t, 0, train, i), false));
    if (code < 0) continue;
    RemarkParts parts;
    if (GeneralRemarkHolds(t, 0, train, i, journey, 0, &parts))
      added |= CodeBit(code);
    else
      *set &= ~CodeBit(code);
  }
  *set |= added;
  return *set != 0;
}

bool TrainCodesAtStation(TimetableRecord const& t, uint32_t train, int32_t station, uint64_t* set) {
  *set = 0;
  RecordArray const& rows = t.TrainStationRemarks;
  for (int32_t i = 0; i < rows.size(); ++i) {
    const int32_t at = rows.Field<uint16_t>(i, 4);
    if (at > station) return false;
    if (at != station) continue;
    const int32_t who = rows.Field<int32_t>(i, 0);
    const int16_t value = rows.Field<int16_t>(i, 10);
    bool const range = who >= 0 && (static_cast<uint32_t>(who) & kRangeRow) != 0;
    // The load checked that a range row has the row of its last train after it.
    bool const applies = who < 0 || who == static_cast<int32_t>(train) ||
                         (range && i + 1 < rows.size() &&
                          static_cast<int64_t>(train) >= (who & ~static_cast<int32_t>(kRangeRow)) &&
                          static_cast<int64_t>(train) <= rows.Field<int32_t>(i + 1, 0));
    if (!applies) continue;
    if (value < 0) {
      *set = CodeSetAt(t, -int32_t{value} - 1);
      return *set != 0;
    }
    if (range) ++i;
  }
  return false;
}

int32_t RoleCode(TimetableRecord const& t, int role) {
  // The record keeps the roles in the order 1, 2, 4, 3.
  static constexpr int kSlot[] = {0, 1, 3, 2};
  if (role < 1 || role > 4) return -1;
  return static_cast<int32_t>(t.CodeRoles[static_cast<size_t>(kSlot[role - 1])]) - 1;
}

int GetCodeTexts(TimetableRecord const& t, int32_t train, int32_t code, int32_t language,
                 CodeTexts* out) {
  if (language < 0 || static_cast<uint32_t>(language) >= t.LanguageCount) return ErrLanguageIndex;
  if (code < 0 || code >= t.CodeCount) return ErrIndexOutOfRange;
  out->name = PoolString(t.CodeNames, code);
  out->symbols = PoolString(t.CodeShortTexts, code);
  const std::string_view description =
      static_cast<size_t>(language) < t.CodeDescriptions.size()
          ? PoolString(t.CodeDescriptions[static_cast<size_t>(language)], code)
          : std::string_view();
  out->description = description;
  if (train < -1 || description.find('{') == std::string_view::npos) return 0;

  std::string_view field;
  bool found = false;
  if (train >= 0) {
    const uint32_t word = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[train];
    found = GetField(std::to_string(TypeBitIndex(t, word) + 1), description, &field);
  }
  if (!found) found = GetField("0", description, &field);
  if (found) out->description = field;
  return 0;
}

void EnableServiceCodes(TimetableRecord& t, uint8_t const* bytes, int count) {
  CodeFilterState& filter = CodeFilterOf(t);
  filter.EnabledUnion = 0;
  if (t.TrainTypeWords.empty()) return;
  ArrayHandle words = WritableTypeWords(t);
  const int32_t trains = t.TrainTypeWords.size();
  auto mark = [&](int32_t train, bool misses) {
    const uint32_t word = ArrayAt<uint32_t>(words, train);
    ArraySet<uint32_t>(words, train, misses ? word | kLacksServiceCode : word & ~kLacksServiceCode);
  };
  if (count < 1 || !bytes || t.TrainCodeSet.empty()) {
    for (int32_t train = 0; train < trains; ++train) mark(train, false);
    return;
  }

  ImageArray<uint8_t> const& letters = t.CodeFilterLetters;
  auto letterIndex = [&](uint8_t byte) {
    for (int32_t k = 0; k < letters.size(); ++k)
      if (letters[k] == byte) return k;
    return -1;
  };
  bool const letterForm =
      !t.CodeLetterMasks.empty() &&
      std::all_of(bytes, bytes + count, [&](uint8_t b) { return letterIndex(b) >= 0; });
  if (letterForm) {
    filter.EnabledMasks.clear();
    for (int i = 0; i < std::min(count, kMaxEnabledLetters); ++i) {
      const uint64_t mask = Read64(t.CodeLetterMasks, letterIndex(bytes[i]));
      filter.EnabledMasks.push_back(mask);
      filter.EnabledUnion |= mask;
    }
    BuildRules(t);
    for (int32_t train = 0; train < trains; ++train) {
      uint64_t set;
      bool const has = TrainCodeSet(t, static_cast<uint32_t>(train), &set);
      bool misses = !has;
      for (uint64_t mask : filter.EnabledMasks) misses = misses || (set & mask) == 0;
      mark(train, misses);
    }
    return;
  }

  // Code numbers: a train must carry all of them. The search's matcher is
  // not involved in this form (the union stays 0).
  uint64_t required = 0;
  for (int i = 0; i < count; ++i) {
    int const code = static_cast<int8_t>(bytes[i]);
    if (code >= 0 && code < 64) required |= CodeBit(code);
  }
  for (int32_t train = 0; train < trains; ++train) {
    uint64_t set;
    bool const has = TrainCodeSet(t, static_cast<uint32_t>(train), &set);
    mark(train, !has || (set & required) != required);
  }
}

int MatchTrainServiceCodes(TimetableRecord const& t, uint32_t train, StopList const& stops,
                           int32_t station, int32_t dayIndex, int* dayDependent,
                           int* sectionDependent) {
  *dayDependent = 0;
  *sectionDependent = 0;
  CodeFilterState const& filter = CodeFilterOf(t);
  const uint64_t wanted = filter.EnabledUnion;
  if (wanted == 0) return 1;
  uint64_t own;
  if (!TrainCodeSet(t, train, &own) || !OffersEveryLetter(filter, own)) return 0;

  const uint32_t word =
      t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[static_cast<int32_t>(train)];
  bool const byDay = (word & t.DayDependentTypeMask) != 0;
  bool const bySection = (word & t.SectionDependentTypeMask) != 0;
  if (!byDay && !bySection) return 1;

  uint64_t set = own, added = 0;
  if (filter.RuleOffsets.size() > train + 1) {
    for (int32_t r = filter.RuleOffsets[train]; r < filter.RuleOffsets[train + 1]; ++r) {
      ServiceCodeRule const& rule = filter.Rules[static_cast<size_t>(r)];
      const uint64_t bit = CodeBit(rule.Code);
      if (!(bit & wanted)) continue;
      if (byDay) {
        *dayDependent = 1;
        if (dayIndex >= 0 && rule.DayClass >= 0 &&
            static_cast<size_t>(dayIndex) < t.RunningDayCalendar.size() &&
            !ClassRunsOnCalendarDay(t, rule.DayClass, dayIndex)) {
          set &= ~bit;
          continue;
        }
      }
      if (bySection) {
        *sectionDependent = 1;
        if (station >= 0 && stops.count > 0 && (rule.From != -1 || rule.To != -1) &&
            rule.From != station && !SectionCodeHolds(rule, stops, station)) {
          set &= ~bit;
          continue;
        }
      }
      added |= bit;
    }
  }
  set |= added;
  if ((set & own) == own) return 1;
  return OffersEveryLetter(filter, set) ? 1 : 0;
}

}  // namespace qo
