#include "trains/train_search.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "dates/clock.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "remarks/owners.h"
#include "text/text_convert.h"
#include "text/text_fold.h"
#include "text/text_util.h"
#include "trains/packed_numbers.h"
#include "trains/route_walk.h"
#include "trains/running_day.h"
#include "trains/train_checks.h"
#include "trains/train_info.h"

namespace qo {
namespace {

constexpr size_t kMaxSearchText = 99;
constexpr int kMaxCheckedStops = 200;

void AppendFolded(std::string_view text, char* (*fold)(char*), std::string& out) {
  char buffer[kMaxTrainTextLength + 1];
  size_t n = std::min(text.size(), kMaxTrainTextLength);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  fold(buffer);
  out.append(buffer);
}

bool Matches(std::string_view number, std::string_view text, bool exact) {
  return exact ? number == text : number.substr(0, text.size()) == text;
}

bool RunsOnDay(TimetableRecord const& t, uint32_t train, size_t day) {
  if (t.CalendarClass.empty() || day >= t.RunningDayCalendar.size()) return false;
  RecordArray const& set = t.RunningDayCalendar[day];
  return ClassRunsIn(set.At(0), set.bytes(), t.CalendarClass[static_cast<int32_t>(train)]);
}

bool InsideMask(TimetableRecord const& t, uint32_t train, uint32_t mask) {
  return (t.TrainTypeWords[static_cast<int32_t>(train)] & ~mask) == 0;
}

// Whether the train shows `number` at one of its domestic stops (the first
// 200 distinct stations looked at): a number of a region, or one announced
// along the route, may stand in for it elsewhere.
bool CarriesNumber(TimetableRecord const& t, uint32_t train, std::string_view number) {
  std::unordered_set<uint16_t> seen;
  bool carries = false;
  StopRange words(t, train);
  TrainTexts texts;
  ForEachStop(words, [&](RouteStop const& stop) {
    if (!seen.insert(stop.Station).second) return true;
    if (IsDomesticStation(t, stop.Station)) {
      GetTrainStationTexts(t, 0, train, stop.Station, -1, -1, false, texts);
      carries = texts.Number == number;
    }
    return !carries && static_cast<int>(seen.size()) < kMaxCheckedStops;
  });
  return carries;
}

// A second number that lists `number` as one of the train's further numbers:
// "/number" followed by the end or a blank.
bool ListsNumber(std::string_view second, std::string_view number) {
  std::string needle = "/" + std::string(number);
  for (size_t at = second.find(needle); at != std::string_view::npos;
       at = second.find(needle, at + 1)) {
    size_t end = at + needle.size();
    if (end == second.size() || second[end] == ' ') return true;
  }
  return false;
}

}  // namespace

TrainSearchIndex const& EnsureTrainSearchIndex(TimetableRecord& t) {
  if (t.TrainSearch) return *t.TrainSearch;
  auto index = std::make_shared<TrainSearchIndex>();
  bool const seconds = t.Kind == kKindRail && !t.SecondNumbers.Values.empty();
  int const variants = seconds ? TrainSearchIndex::kVariants : TrainSearchIndex::SecondKey;
  for (int v = 0; v < variants; ++v) {
    index->Offsets[v].reserve(static_cast<size_t>(t.TrainCount) + 1);
    index->Texts[v].reserve(static_cast<size_t>(t.TrainCount) * 8);
  }
  std::string main, second;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    TrainNumberText(t, train, main);
    if (seconds)
      FormatPackedNumber(t.SecondNumbers, t.SecondNumbers.Values[static_cast<int32_t>(train)],
                         kMaxTrainTextLength, second);
    for (int v = 0; v < variants; ++v) {
      index->Offsets[v].push_back(static_cast<uint32_t>(index->Texts[v].size()));
      bool key = v == TrainSearchIndex::MainKey || v == TrainSearchIndex::SecondKey;
      AppendFolded(v < TrainSearchIndex::SecondKey ? main : second,
                   key ? MakeSearchKey : MakeUpperCase, index->Texts[v]);
    }
  }
  for (int v = 0; v < variants; ++v)
    index->Offsets[v].push_back(static_cast<uint32_t>(index->Texts[v].size()));
  t.TrainSearch = std::move(index);
  return *t.TrainSearch;
}

void PrepareTrainSearchText(std::string_view text, bool fold, TrainSearchText& out) {
  char buffer[kMaxSearchText + 1] = {};
  std::memcpy(buffer, text.data(), std::min(text.size(), kMaxSearchText));
  TrimText(buffer);
  long number = std::strtol(buffer, nullptr, 10);
  out.Number = number > 0 && number <= INT32_MAX ? static_cast<int32_t>(number) : 0;
  if (fold && GetTextMode() <= TextModeWin1250) {
    for (char const* p = buffer; *p; ++p)
      if (static_cast<unsigned char>(*p) > 128) fold = false;
  }
  out.Fold = fold;
  if (fold) {
    MakeSearchKey(buffer);
  } else {
    MakeUpperCase(buffer);
  }
  out.Text.assign(buffer);
}

int32_t FindTrain(TimetableRecord& t, TrainSearchText const& text, TrainSearch const& search,
                  int* error) {
  *error = 0;
  TrainSearchIndex const& index = EnsureTrainSearchIndex(t);
  const int32_t end = search.List ? search.ListLength : static_cast<int32_t>(t.TrainCount);
  bool const filter = search.TypeMask != 0xFFFFFFFF && !t.TrainTypeWords.empty();
  bool const byValue = text.Number > 0 && !t.MainNumbers.Values.empty();
  bool const seconds = t.Kind == kKindRail && !t.SecondNumbers.Values.empty();
  int const main = text.Fold ? TrainSearchIndex::MainKey : TrainSearchIndex::MainUpper;
  int const second = text.Fold ? TrainSearchIndex::SecondKey : TrainSearchIndex::SecondUpper;
  for (int32_t p = search.Start < 0 ? 0 : search.Start; p < end; ++p) {
    int32_t entry = search.List ? search.List[p] : p;
    if (entry < 0 || static_cast<uint32_t>(entry) >= t.TrainCount) {
      *error = ErrTrainIndex;
      return -1;
    }
    auto train = static_cast<uint32_t>(entry);
    if (filter && !InsideMask(t, train, search.TypeMask)) continue;
    if ((byValue && t.MainNumbers.Values[entry] == text.Number) ||
        Matches(index.Text(train, main), text.Text, search.Exact) ||
        (seconds && Matches(index.Text(train, second), text.Text, search.Exact)))
      return p;
  }
  return -1;
}

int32_t SearchCurrentTrain(TimetableRecord& t, int32_t number, std::string_view ownerText,
                           uint32_t typeMask, int32_t date) {
  if (number <= 0 || t.MainNumbers.Values.empty() || t.TrainOwners.empty() ||
      t.TrainTypeWords.empty() || date <= 0 || static_cast<uint32_t>(date) < t.FirstDay ||
      static_cast<uint32_t>(date) > t.LastDay)
    return -1;
  int32_t owner = -1;
  for (int32_t o = 0, n = OwnerCount(t); o < n && owner < 0; ++o)
    if (OwnerDescription(t, 0, o).find(ownerText) != std::string_view::npos) owner = o;
  if (owner < 0) return -1;

  std::string numberText;
  FormatPackedNumber(t.MainNumbers, number, kMaxTrainTextLength, numberText);
  auto candidate = [&](uint32_t train) {
    return InsideMask(t, train, typeMask) && t.TrainOwners[static_cast<int32_t>(train)] == owner &&
           CarriesNumber(t, train, numberText);
  };
  int32_t found = -1;
  for (uint32_t train = 0; train < t.TrainCount && found < 0; ++train)
    if (t.MainNumbers.Values[static_cast<int32_t>(train)] == number && candidate(train))
      found = static_cast<int32_t>(train);
  if (found < 0 && !t.SecondNumbers.Values.empty()) {
    std::string second;
    for (uint32_t train = 0; train < t.TrainCount && found < 0; ++train) {
      int32_t value = t.SecondNumbers.Values[static_cast<int32_t>(train)];
      if (value >= 0) continue;
      FormatPackedNumber(t.SecondNumbers, value, kMaxTrainTextLength, second);
      if (ListsNumber(second, std::to_string(number)) && candidate(train))
        found = static_cast<int32_t>(train);
    }
  }
  if (found < 0) return -1;

  // The variant of the train's group that runs that day.
  uint32_t last = static_cast<uint32_t>(found);
  while (last + 1 < t.TrainCount &&
         (t.TrainTypeWords[static_cast<int32_t>(last + 1)] & kContinuesGroup))
    ++last;
  size_t day = static_cast<uint32_t>(date) - t.FirstDay;
  for (uint32_t variant = last; variant > static_cast<uint32_t>(found); --variant)
    if (RunsOnDay(t, variant, day)) return static_cast<int32_t>(variant);
  return found;
}

int32_t SetTrainsInvalid(TimetableRecord& t, int32_t firstDay) {
  if (t.TrainTypeWords.empty() || t.CalendarClass.empty()) return 0;
  if (firstDay <= 0) firstDay = GetToday();
  if (static_cast<int64_t>(firstDay) < t.FirstDay) firstDay = static_cast<int32_t>(t.FirstDay);

  // The classes that run on some day of the rest of the validity.
  std::vector<uint8_t> running;
  for (int64_t day = int64_t{firstDay} - t.FirstDay;
       day >= 0 && static_cast<size_t>(day) < t.RunningDayCalendar.size() &&
       day <= int64_t{t.LastDay} - t.FirstDay;
       ++day) {
    RecordArray const& set = t.RunningDayCalendar[static_cast<size_t>(day)];
    if (running.size() < static_cast<size_t>(set.bytes())) running.resize(set.bytes(), 0);
    for (int32_t b = 0; b < set.bytes(); ++b) running[b] |= set.At(0)[b];
  }

  // The image keeps the stored words: the marks go into a working copy.
  if (!t.TrainTypeWordCopy.get()) {
    ArrayHandle copy = CopyArray(t.TrainTypeWords.handle());
    t.TrainTypeWordCopy = OwnedArray(copy);
    t.TrainTypeWords = ImageArray<uint32_t>(copy, t.TrainTypeWords.size());
  }
  ArrayHandle words = t.TrainTypeWordCopy.get();
  int32_t marked = 0;
  for (int32_t train = 0; train < t.TrainTypeWords.size(); ++train) {
    uint32_t word = ArrayAt<uint32_t>(words, train);
    bool runs =
        ClassRunsIn(running.data(), static_cast<int32_t>(running.size()), t.CalendarClass[train]);
    word = runs ? word & ~kRunsNoFurther : word | kRunsNoFurther;
    marked += runs ? 0 : 1;
    ArraySet<uint32_t>(words, train, word);
  }
  return marked;
}

}  // namespace qo
