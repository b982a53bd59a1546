#pragma once
// The hidden control part of a train's general remarks, as the service
// codes read it. A remark text is the visible text, then optionally "¤¤"
// and codes, each "¤", a letter and a value up to the next "¤": "¤C" a
// service code, "¤V" a calendar class that must run that day, "¤S", "¤F",
// "¤T" station keys that bound the route section the remark holds on, "¤O"
// an owner remark. ("¤" is byte 0xA4 in the kernel's Windows-1250.)
//
// A stand-in for the remark module's readers: the general remarks here are
// read in the first data language only, which is where the control parts
// live.
#include <cstdint>
#include <string_view>

#include "load/timetable_record.h"

namespace qo {

// The train's general remarks (0 when the first language's pool is empty).
int32_t ServiceRemarkCount(const TimetableRecord& t, uint32_t train);

// Remark i of the train, as stored (Windows-1250, control part included).
std::string_view ServiceRemarkText(const TimetableRecord& t, uint32_t train, int32_t i);

// The text index of remark i of the train (a position in the pools).
int32_t ServiceRemarkTextIndex(const TimetableRecord& t, uint32_t train, int32_t i);

// Stations of codes: -1 when the remark has no such code,
// kRuleNoSuchStation when its key names no station of the timetable.
struct ServiceControl {
  bool owner = false;          // "¤O"
  int32_t serviceCode = -1;    // "¤C", 0..63 (other numbers are left out)
  int32_t dayClass = -1;       // "¤V"
  int32_t sectionBoth = -1;    // "¤S"
  int32_t sectionFrom = -1;    // "¤F"
  int32_t sectionTo = -1;      // "¤T"
};

// Reads the control part of a remark text; false when it has none.
bool ReadServiceControl(const TimetableRecord& t, std::string_view text, ServiceControl* out);

// Whether a remark with this control part holds for a journey on the train
// from station `from` to station `to` (either -1: open) on `date` (a day
// number; 0 = any day): its route section must overlap the journey, and its
// calendar class must run that day.
bool ServiceRemarkHolds(const TimetableRecord& t, uint32_t train, const ServiceControl& control,
                           int32_t from, int32_t to, int32_t date);

// The value of field "{name}" in a text: what follows up to the next '{'
// or the end. False when the text lacks the field.
bool FindDescriptionField(std::string_view text, std::string_view name, std::string_view* value);

}  // namespace qo
