#pragma once
// Finding trains: by the beginning of their number text (the train list's
// search box, keystroke by keystroke), by number, owner and date (a train
// named from outside), and the marking of trains that run on no further
// day.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dates/day_number.h"
#include "load/timetable_record.h"

namespace qo {

// Per timetable, built once at the first search: every train's main number
// text and, in rail timetables, its second number text, folded both ways the
// search compares them (search key and upper case). Each of the four is one
// block of characters with offsets, so that a scan reads one block in order.
struct TrainSearchIndex {
  enum Variant : int { MainKey = 0, MainUpper = 1, SecondKey = 2, SecondUpper = 3, kVariants = 4 };
  std::array<std::vector<uint32_t>, kVariants> Offsets;  // TrainCount + 1 each, or empty
  std::array<std::string, kVariants> Texts;

  bool Has(int variant) const { return !Offsets[variant].empty(); }
  std::string_view Text(uint32_t train, int variant) const {
    std::vector<uint32_t> const& offsets = Offsets[variant];
    return std::string_view(Texts[variant])
        .substr(offsets[train], offsets[train + 1] - offsets[train]);
  }
};

TrainSearchIndex const& EnsureTrainSearchIndex(TimetableRecord& t);

// What is searched for: the folded text, the number it begins with, how it
// was folded.
struct TrainSearchText {
  std::string Text;
  int32_t Number = 0;
  bool Fold = false;  // folded as a search key, else upper-cased
};

// Prepares the text searched for (kernel text): trimmed, its leading number
// read, folded as a search key when `fold` is asked and survives (in a text
// mode that keeps diacritics, a text typed with them is only upper-cased, so
// that it finds only numbers with those diacritics), else upper-cased.
void PrepareTrainSearchText(std::string_view text, bool fold, TrainSearchText& out);

struct TrainSearch {
  int32_t Start = 0;               // negative: 0
  uint32_t TypeMask = 0xFFFFFFFF;  // a train's type word must lie inside it
  int const* List = nullptr;       // trains to search, or null for all
  int32_t ListLength = 0;
  bool Exact = false;  // the number text must equal the text, not begin with it
};

// The position (in the list, or the train) of the first matching train at or
// after the start, -1 when none. A list entry that names no train fails the
// search with ErrTrainIndex in *error.
int32_t FindTrain(TimetableRecord& t, TrainSearchText const& text, TrainSearch const& search,
                  int* error);

// The train numbered `number` of the owner whose description holds
// `ownerText` (kernel text) that carries the number at a domestic stop and
// runs on `date` (through its group variants); -1 when none or when the
// timetable lacks what this needs.
int32_t SearchCurrentTrain(TimetableRecord& t, int32_t number, std::string_view ownerText,
                           uint32_t typeMask, int32_t date);

// Marks the trains whose calendar class runs on no day from `firstDay`
// (0 or less: today; clamped to the validity) to the end of the validity
// with type bit 0x20000000 and clears it on the others, in a working copy
// of the type words. Returns the number marked.
int32_t SetTrainsInvalid(TimetableRecord& t, int32_t firstDay);

}  // namespace qo
