#pragma once
// Station data other than names: keys and the station-key extension's
// cross-references, time shifts, remarks with their tags, fare zones.
// Stations passed here are checked by the caller (0..StationCount-1).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// The station key as text: empty for key 0; in an air timetable the key's
// four bytes as characters, lowest first, up to the first zero byte (a code
// such as "PRG"); otherwise the key in decimal. Empty without keys.
void StationKeyText(TimetableRecord const& t, uint16_t station, std::string& out);

// The first station (lowest index) with the key, -1 when none.
int32_t SearchStationKey(TimetableRecord const& t, int32_t key);

// Columns of the station-key extension.
enum StationKeyColumn : int { KeyColumnStation = 0, KeyColumnTcv = 1, KeyColumnReservation = 2 };

// Stations that the station-key extension lists under `key` in `column`
// (1 TCV, 2 reservation): for each row holding the key there, the station
// whose key stands in the row's station-key column. When that gives none,
// the station with the key itself (when there is one).
void SearchStationKeyEx(TimetableRecord const& t, int32_t key, int column,
                        std::vector<int32_t>& out);

// The station's key in another column of the station-key extension (1 TCV,
// 2 reservation), or its own key when the extension does not list it.
// Returns 0, or ErrNotSupported without the extension or without station
// keys.
int StationExtensionKey(TimetableRecord const& t, uint16_t station, int column, int32_t* out);

// The station's time shift for `value`: from its shift list the last entry
// whose limit is at least the value (entry 0 when none is), else its single
// shift, else 0.
int StationTimeShift(TimetableRecord const& t, uint16_t station, int32_t value);

// The time shift of a station at one end of a found leg, `legDay` days after
// the search day: the shift lists change on given days, so it is looked up
// for the day, counted from `day` after a search by date (or when the days
// are day numbers already) and from the first day of validity after one by
// day type. 0 for a station the timetable does not have.
int StationShiftOnLegDay(TimetableRecord const& t, int32_t station, bool byDayType, int32_t day,
                         int32_t legDay);

// The station's remark as stored (Windows-1250); empty when it has none.
std::string_view StationRemark(TimetableRecord const& t, uint16_t station);

// Looks for "{tag}" in a remark: the text after it up to the next '{' goes
// to *text, cut at a '|' whose rest goes to *second (else empty). False
// when the tag is not there.
bool FindRemarkTag(std::string_view remark, std::string_view tag, std::string& text,
                   std::string& second);

// The fare-zone text of a remark for a threshold: the text after "{Z}" up
// to the next '{' (the whole remark when it has no tag at all; empty when
// it has other tags only); then, while it starts with "[n]", the text after
// the first "[n]" with n at least the threshold, up to the next '['.
void ZoneText(std::string_view remark, int32_t threshold, std::string& out);

// The station's fare-zone text. With `useLines` and the timetable's zone
// lines, the line (the train's main number when train >= 0, else
// `lineText`, at most 9 characters) picks the threshold of the first zone
// line that names it; a line named by no zone line gives the empty text.
// Otherwise the train argument is the threshold. Returns 0, or
// ErrTrainIndex for a train beyond the timetable's.
int StationZone(TimetableRecord const& t, uint16_t station, int32_t train, bool useLines,
                std::string_view lineText, std::string& out);

}  // namespace qo
