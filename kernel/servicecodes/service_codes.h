#pragma once
// Service codes: up to 64 pictograms per timetable (low-floor vehicle,
// bicycles, barrier-free station...) that trains and stations carry as
// 64-bit sets (bit i = code i). A train's set can be refined per day and
// per route section by its remarks' control parts ("¤C" with "¤V", "¤F",
// "¤T"). A caller may require codes of the connections it searches
// (EnableServiceCodes): each train then carries the filter-miss bit in its
// type word when it lacks them, and the search asks MatchTrainServiceCodes
// for every ride.
//
// Cores return 0 or a kernel error code and never set the last error.
#include <cstdint>
#include <string>

#include "load/timetable_record.h"
#include "trains/train_stops.h"
#include "format/stored_bits.h"

namespace qo {

inline constexpr int kMaxEnabledLetters = 5;

inline constexpr uint64_t CodeBit(int code) { return uint64_t{1} << code; }

// Set `index` of the timetable's code sets (0 outside them).
uint64_t CodeSetAt(TimetableRecord const& t, int32_t index);

// The codes of a set in ascending order into out[0..63]; returns their
// number.
int ListCodes(uint64_t set, uint8_t* out);

// The train's (station's) own set; false when it has none. The index is
// checked by the caller.
bool TrainCodeSet(TimetableRecord const& t, uint32_t train, uint64_t* set);
bool StationCodeSet(TimetableRecord const& t, uint16_t station, uint64_t* set);

// The train's codes on a journey from `from` to `to` (stations, -1 open)
// on `date` (a day number, 0 any): codes that remarks attach to a section
// or a day are added where they hold and taken away where they do not.
// False when the train has no set.
bool TrainCodesOnJourney(TimetableRecord const& t, uint32_t train, int32_t from, int32_t to,
                         int32_t date, uint64_t* set);

// The codes the train carries at a station, from the rows of the
// train-station remarks that name a code set. False when none does.
bool TrainCodesAtStation(TimetableRecord const& t, uint32_t train, int32_t station, uint64_t* set);

// The code that fills role 1..4 (2: the low-floor vehicle), -1 when none.
int32_t RoleCode(TimetableRecord const& t, int role);

// The texts of a code: its name and description in the data language, and
// its symbol text. A description with fields ("{0}day{1}night") gives the
// field of the train's type bit + 1, else field "0" (train -1 asks for
// field "0" directly; a train below -1 for the whole description). Texts
// are Windows-1250 as stored.
struct CodeTexts {
  std::string name, symbols, description;
};
// ErrLanguageIndex, ErrIndexOutOfRange (code). The train is checked by the
// caller (-1 or more).
int GetCodeTexts(TimetableRecord const& t, int32_t train, int32_t code, int32_t language,
                 CodeTexts* out);

// Sets the timetable's filter from `count` bytes. Letters (all of them
// filter letters of the timetable; at most the first five count) each
// require one code of the letter's mask; other bytes are code numbers that
// a train must all carry. Count 0 clears the filter. Marks the trains
// that miss it in their type word (a working copy, never the image).
void EnableServiceCodes(TimetableRecord& t, uint8_t const* bytes, int count);

// Whether the train meets the enabled filter: as a whole (station -1, no
// stops) or at one stop of its decoded list; `dayIndex` is the calendar day
// (-1 none). *dayDependent and *sectionDependent tell that the answer
// depends on the day or on the stop, so that the caller asks again.
int MatchTrainServiceCodes(TimetableRecord const& t, uint32_t train, StopList const& stops,
                           int32_t station, int32_t dayIndex, int* dayDependent,
                           int* sectionDependent);

}  // namespace qo
