#pragma once
// The service-code filter of one timetable: the letter masks that the last
// QoFCEnable chose, their union, and each train's remark rules parsed once,
// so that matching a train during a search reads flat arrays only. One per
// TimetableRecord, held there through a forward-declared pointer.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// Station value of a rule end that names a station key the timetable does
// not have: it never equals a stop.
inline constexpr int32_t kRuleNoSuchStation = -2;

// A general remark of a train that carries a service code ("¤C"), with the
// conditions its control part puts on it.
struct ServiceCodeRule {
  uint8_t Code = 0;       // 0..63
  int16_t DayClass = -1;  // "¤V": the calendar class that must run that day; -1 none
  int32_t From = -1;      // "¤F" station; -1 none, kRuleNoSuchStation unknown key
  int32_t To = -1;        // "¤T" station, the same
};

struct CodeFilterState {
  // One mask per letter of the last letter-form QoFCEnable, in the order
  // given, and their union (0 = no filter).
  std::vector<uint64_t> EnabledMasks;
  uint64_t EnabledUnion = 0;

  // Train t's rules are Rules[RuleOffsets[t]] .. Rules[RuleOffsets[t + 1] - 1];
  // RuleOffsets is empty until the rules are built.
  std::vector<int32_t> RuleOffsets;
  std::vector<ServiceCodeRule> Rules;
};

// The timetable's filter, made on first use.
CodeFilterState& CodeFilterOf(TimetableRecord& t);
// Without making it: no filter.
CodeFilterState const& CodeFilterOf(TimetableRecord const& t);

}  // namespace qo
