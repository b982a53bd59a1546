#pragma once
// The once-at-load checks of a taken timetable: per-station and per-train
// arrays have their counts, offset and range arrays are monotone and stay
// inside their targets, and every station, train, pattern, class, region and
// code-set index stored in the file is in range. After they pass, the
// queries index the arrays without checking again.
#include <cstdint>

#include "format/range_checks.h"
#include "load/timetable_record.h"

namespace qo {

// Null when the record passes, else the name of the check that refused it.
Refusal CheckTimetableReferences(const TimetableRecord& record);

// A printf format with exactly one conversion, of the integer kind (d i u x
// X o) or of the text kind (s), and nothing else but text and "%%". Flags,
// width and precision are allowed; '*' and length modifiers are not.
bool IsSafeFormat(const char* format, bool textConversion);

// Number of stop words train t decodes to (a one-word reference stands for
// its pattern's words). The offsets must have been checked.
int32_t DecodedStopCount(const TimetableRecord& record, uint32_t train);

}  // namespace qo
