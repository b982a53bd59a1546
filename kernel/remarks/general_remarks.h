#pragma once
// General remarks of trains: the train's group names a list of text indexes
// (trains share lists), each naming a text of the per-language pools. A text
// is a visible part, optionally "¤¤" and a control part of codes ("¤O" owner,
// "¤L" owner text, "¤S"/"¤F"/"¤T" route section, "¤V" calendar class, "¤C"
// service code). The visible part may begin with "$" (a flag) and a code in
// braces ("{L}"), both handed out apart when the remark is processed.
//
// Texts here are kernel texts (Windows-1250): "¤" is the byte 0xA4.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/timetable_record.h"

namespace qo {

inline constexpr std::string_view kControlMark = "\xA4";
inline constexpr std::string_view kControlStart = "\xA4\xA4";
inline constexpr size_t kMaxControlValue = 79;

// Number of general remarks of the train; 0 when the language-0 pool has no
// texts. `train` must be below TrainCount.
int32_t CountGeneralRemarks(TimetableRecord const& t, uint32_t train);

// The stored text of remark i (0..count-1) of the train in a data language
// (language 0's pool when that language has none), whole and unprocessed.
std::string_view GeneralRemarkText(TimetableRecord const& t, int language, uint32_t train,
                                   int32_t i);

// True when the timetable has general remark texts.
bool HasGeneralRemarks(TimetableRecord const& t);

// True when two trains carry the same general remarks, in the same order
// (always when the timetable has none). Both trains must be below
// TrainCount.
bool SameGeneralRemarks(TimetableRecord const& t, uint32_t a, uint32_t b);

// Calls f(text) for each language-0 remark of the train, in order; f returns
// false to stop.
template <class F>
void ForEachRemark(TimetableRecord const& t, uint32_t train, F&& f) {
  int32_t n = CountGeneralRemarks(t, train);
  for (int32_t i = 0; i < n; ++i)
    if (!f(GeneralRemarkText(t, 0, train, i))) return;
}

// The value of control code `letter` in a control part (the text after
// "¤¤"): from the letter up to the next "¤", at most 79 characters. False
// when the code is not there.
bool ControlValue(std::string_view control, char letter, std::string_view* value);

// A remark split for display: the visible text cut before "¤¤", the control
// part after it (empty when there is none), and with `process` a leading "$"
// and a leading code in braces taken off.
struct RemarkParts {
  std::string_view Visible;
  std::string_view Control;
  bool HasControl = false;
  bool Flag = false;
  std::string_view Code;
};

RemarkParts SplitRemark(std::string_view text, bool process);

// Whether a train's general remark holds for a journey from `from` to `to`
// (stations, -1 for none) on `date` (a day number; 0 for none).
struct Journey {
  int32_t From = -1;
  int32_t To = -1;
  int32_t Date = 0;
};

// Flag bit 0 asks for owner remarks (those with "¤O") only; without it they
// are left out.
inline constexpr int kOwnerRemarks = 1;

// Remark i of the train, processed, when it holds for the journey: *parts
// describes it. False when it is empty or does not hold.
bool GeneralRemarkHolds(TimetableRecord const& t, int language, uint32_t train, int32_t i,
                        Journey const& journey, int flags, RemarkParts* parts);

// The visible text as shown: bracketed service codes written out.
void RemarkDisplayText(TimetableRecord const& t, std::string_view visible, std::string& out);

// True when the language-0 remark texts contain "{L}".
bool HasLineRemarks(TimetableRecord const& t);

}  // namespace qo
