#include <algorithm>
#include <cstdlib>

#include "boards/board_filters.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "trains/train_info.h"
#include "trains/train_stops.h"
#include "virtlists/virt_lists.h"

namespace qo {

namespace {

// A side of the merged board in timetable `i`: its item and list there, or
// false when it does not map.
bool MapSide(int timetable, int item, int list, int i, int* mappedItem, int* mappedList) {
  *mappedItem = -1;
  *mappedList = -1;
  if (item < 0) return true;
  if (timetable == i) {
    *mappedItem = item;
    *mappedList = list;
    return true;
  }
  int targetList = list < 0 ? -1 : -2;
  int error = 0;
  int32_t mapped = MapVirtListItem2(timetable, list, item, i, &targetList, &error);
  if (mapped < 0 || error) return false;
  *mappedItem = mapped;
  *mappedList = targetList;
  return true;
}

// A number or name text as the merged order reads it: its value when it
// starts with a positive number, else 0.
int64_t LeadingValue(const std::string& text) {
  long long v = std::strtoll(text.c_str(), nullptr, 10);
  return v > 0 ? v : 0;
}

int CompareTexts(const std::string& a, int64_t av, const std::string& b, int64_t bv) {
  if (av > 0 && bv > 0 && av != bv) return av < bv ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool AreLike(const TimetableRecord& a, const TimetableRecord& b) {
  return a.Kind == b.Kind && a.Area == b.Area && a.FirstDay == b.FirstDay;
}

}  // namespace

int CollectMergedBoard(const MergedBoardRequest& r, MergedBoardWork& work,
                       std::vector<MergedBoardEntry>& out) {
  out.clear();
  const int loaded = LoadedCount();
  if ((r.fromItem >= 0 && !TimetableAt(r.fromTimetable)) ||
      (r.toItem >= 0 && !TimetableAt(r.toTimetable)))
    return ErrTimetableIndex;
  bool anyLike = false;
  int lastTimetable = -1;
  std::vector<int> timetables;
  for (int i = 0; i < loaded; ++i) {
    if (r.masks1 && r.masks1[i] == 0) continue;
    int fromItem, fromList, toItem, toList;
    if (!MapSide(r.fromTimetable, r.fromItem, r.fromList, i, &fromItem, &fromList) ||
        !MapSide(r.toTimetable, r.toItem, r.toList, i, &toItem, &toList))
      continue;
    TimetableRecord& t = *TimetableAt(i);
    BoardFilter filter = MakeBoardFilter(t, r.masks1 ? r.masks1[i] : 0xFFFFFFFF,
                                         r.masks2 ? r.masks2[i] : 0xFFFFFFFF);
    if (int error = CollectBoardVL(t, fromItem, fromList, toItem, toList, r.departures, filter,
                                   work.board, work.part)) {
      out.clear();
      return error;
    }
    if (r.day != 0 && r.month != 0) {
      int error = KeepBoardDate(t, r.departures, r.day, r.month, r.year, work.part.data(),
                                static_cast<int>(work.part.size()), work.part);
      if (error && error != ErrDateOutOfRange) {
        out.clear();
        return error;
      }
    }
    if (r.reduce) {
      const bool fromSide = (r.departures && fromItem >= 0) || toItem < 0;
      int item = fromSide ? fromItem : toItem;
      int list = fromSide ? fromList : toList;
      if (item >= 0 && list >= 0 && static_cast<uint32_t>(list) < t.VirtLists.size()) {
        const uint8_t* members = nullptr;
        const uint8_t* bytes = nullptr;
        int32_t n = ItemStations(t.VirtLists[static_cast<size_t>(list)], item, &members, &bytes);
        ReduceBoardToPlace(t, r.departures, members, n, work.part.data(),
                           static_cast<int>(work.part.size()), work.group, work.part);
      }
    }
    if (work.part.empty()) continue;
    if (lastTimetable >= 0 && AreLike(*TimetableAt(lastTimetable), t)) anyLike = true;
    lastTimetable = i;
    timetables.push_back(i);
    for (const BoardEntry& e : work.part) out.push_back({i, e});
  }
  if (timetables.size() < 2) return ErrNone;

  // Sort keys once per entry: the comparisons then read no train data.
  const size_t n = out.size();
  work.numbers.resize(n);
  work.names.resize(n);
  work.numberValues.resize(n);
  work.nameValues.resize(n);
  TrainTexts texts;
  for (size_t k = 0; k < n; ++k) {
    const TimetableRecord& t = *TimetableAt(out[k].timetable);
    GetTrainStationTexts(t, 0, static_cast<uint32_t>(out[k].entry.train), out[k].entry.station, -1,
                         -1, false, texts);
    work.numbers[k] = texts.Number;
    work.names[k] = texts.Second;
    work.numberValues[k] = LeadingValue(texts.Number);
    work.nameValues[k] = LeadingValue(texts.Second);
  }
  work.order.resize(n);
  for (size_t k = 0; k < n; ++k) work.order[k] = static_cast<int32_t>(k);
  auto compare = [&](int32_t x, int32_t y) {
    const MergedBoardEntry& a = out[static_cast<size_t>(x)];
    const MergedBoardEntry& b = out[static_cast<size_t>(y)];
    int ma = a.entry.minute & kStopMinuteMask, mb = b.entry.minute & kStopMinuteMask;
    if (ma != mb) return ma < mb ? -1 : 1;
    if (a.timetable == b.timetable)
      return a.entry.train < b.entry.train ? -1 : a.entry.train > b.entry.train;
    const TimetableRecord& ta = *TimetableAt(a.timetable);
    const TimetableRecord& tb = *TimetableAt(b.timetable);
    if (ta.Kind != tb.Kind || ta.Area != tb.Area) return a.timetable < b.timetable ? -1 : 1;
    if (int c = CompareTexts(
            work.numbers[static_cast<size_t>(x)], work.numberValues[static_cast<size_t>(x)],
            work.numbers[static_cast<size_t>(y)], work.numberValues[static_cast<size_t>(y)]))
      return c;
    if (int c = CompareTexts(
            work.names[static_cast<size_t>(x)], work.nameValues[static_cast<size_t>(x)],
            work.names[static_cast<size_t>(y)], work.nameValues[static_cast<size_t>(y)]))
      return c;
    return a.timetable < b.timetable ? -1 : a.timetable > b.timetable;
  };
  std::stable_sort(work.order.begin(), work.order.end(),
                   [&](int32_t x, int32_t y) { return compare(x, y) < 0; });

  // Like timetables show one train twice: drop the later copy.
  work.sorted.clear();
  int32_t previous = -1;
  for (int32_t k : work.order) {
    const MergedBoardEntry& e = out[static_cast<size_t>(k)];
    if (anyLike && previous >= 0) {
      const MergedBoardEntry& p = out[static_cast<size_t>(previous)];
      if (p.timetable != e.timetable &&
          (p.entry.minute & kStopMinuteMask) == (e.entry.minute & kStopMinuteMask) &&
          AreLike(*TimetableAt(p.timetable), *TimetableAt(e.timetable)) &&
          work.numbers[static_cast<size_t>(k)] == work.numbers[static_cast<size_t>(previous)] &&
          work.names[static_cast<size_t>(k)] == work.names[static_cast<size_t>(previous)])
        continue;
    }
    work.sorted.push_back(e);
    previous = k;
  }
  out.swap(work.sorted);
  return ErrNone;
}

}  // namespace qo
