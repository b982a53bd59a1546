#pragma once
// Today's date and the time of day, read in one place so that tests can fix
// them: boards, day remarks and date and time texts all depend on them.
#include "dates/day_number.h"

namespace qo {

// Today's local date; 0 when the clock lies outside the calendar.
DayNumber GetToday();
// Minutes since local midnight.
MinuteOfDay NowMinuteOfDay();

// Makes the clock read `today` and `now` until ResetClockForTesting. Tests
// only; nothing outside the kernel can reach it.
void SetClockForTesting(DayNumber today, MinuteOfDay now);
void ResetClockForTesting();

}  // namespace qo
