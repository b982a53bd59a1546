#pragma once
// Day remarks of trains: the running days in words. A timetable may store
// them per calendar class (a list of texts per class); a class without
// stored texts has one remark that the kernel words from the running days.
#include <cstdint>
#include <string>

#include "load/timetable_record.h"

namespace qo {

// The words of the days on which the train's calendar class runs, in the
// kernel language of `letter`, shifted by `dayOffset` days; empty when there
// is nothing to say. The day-remark text generator gives this its body (see
// day_remark_hook.cpp).
void GenerateTrainDayRemark(TimetableRecord& t, uint32_t train, char letter, int32_t calendarClass,
                            int dayOffset, std::string& out);

// True when the timetable stores day-remark texts.
bool HasStoredDayRemarks(TimetableRecord const& t);

int32_t DayRemarkCount(TimetableRecord& t, uint32_t train);

// Day remark i of the train: `language` is a data language index (checked
// by the caller) and `letter` its kernel language letter. `force` asks for
// the generated remark whatever is stored.
void GetDayRemark(TimetableRecord& t, int language, char letter, uint32_t train, int32_t i,
                  int dayOffset, bool force, std::string& out);

}  // namespace qo
