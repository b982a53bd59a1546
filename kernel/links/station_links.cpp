#include "links/station_links.h"

#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

// The first walking link from `from` to `to` that is switched on.
int WalkingMinutes(TimetableRecord const& t, uint16_t from, uint16_t to, bool barrierFree) {
  const InternLinkRange links = InternLinks(t, from, barrierFree);
  for (int32_t i = 0; i < links.count; ++i)
    if (links.Target(i) == to && links.Minutes(i) >= 0) return links.Minutes(i);
  return 0;
}

}  // namespace

InternLinkRange InternLinks(TimetableRecord const& t, uint16_t station, bool barrierFree) {
  if (t.TransferOffsets.empty()) return {};
  const int32_t first = t.TransferOffsets[station];
  const int32_t count = t.TransferOffsets[station + 1] - first;
  bool const useBarrierFree = barrierFree && !t.BarrierFreeLinkMinutes.empty();
  // Links switched by QoEnableWalk live in a working copy, not the image.
  uint8_t const* plain = t.WalkMinutes.empty()
                             ? t.TransferValues.handle()
                             : reinterpret_cast<uint8_t const*>(t.WalkMinutes.data());
  uint8_t const* minutes = useBarrierFree ? t.BarrierFreeLinkMinutes.handle() : plain;
  if (count <= 0) return {};
  return {t.TransferStations.handle() + 2 * first, minutes + first, count};
}

int32_t OwnLinkEntryCount(TimetableRecord const& t) {
  int32_t total = 0;
  for (LinkRecord const& record : t.LinkRecords) total += record.OwnStations.size();
  return total;
}

void ExternLinks(TimetableRecord const& t, uint16_t station, ExternLinkList& out) {
  out.timetables.clear();
  out.stations.clear();
  out.minutes.clear();
  CrossLinkTable const& links = t.SetWide.CrossLinks;
  if (links.Offsets.empty()) return;
  for (int32_t i = links.Offsets[station]; i < links.Offsets[station + 1]; ++i) {
    out.timetables.push_back(links.Timetables[static_cast<size_t>(i)]);
    out.stations.push_back(links.Stations[static_cast<size_t>(i)]);
    out.minutes.push_back(links.Values[static_cast<size_t>(i)]);
  }
}

bool MergeKeyNames(TimetableRecord const& p, uint16_t x, TimetableRecord const& q, uint16_t y) {
  if (p.MergeKind == 0 || p.MergeKind != q.Kind || p.MergeArea != q.Area) return false;
  if (x >= p.StationCount || y >= q.StationCount || q.StationKeys.empty()) return false;
  if (p.MergeStationKeys.empty()) return false;
  int32_t key = p.MergeStationKeys[x];
  if (key == 0) {
    // A stop without a key of its own stands for the place of the stop it
    // shares a platform with.
    const InternLinkRange links = InternLinks(p, x, false);
    for (int32_t i = 0; i < links.count && key == 0; ++i)
      if (links.Minutes(i) == 0) key = p.MergeStationKeys[links.Target(i)];
  }
  return key != 0 && key == q.StationKeys[y];
}

bool IsSamePlace(int timetableA, uint16_t stationA, int timetableB, uint16_t stationB) {
  if (timetableA == timetableB) return stationA == stationB;
  TimetableRecord const* a = TimetableAt(timetableA);
  TimetableRecord const* b = TimetableAt(timetableB);
  if (!a || !b) return false;
  std::vector<int32_t> const& numbersA = a->SetWide.SetStationNumbers;
  std::vector<int32_t> const& numbersB = b->SetWide.SetStationNumbers;
  if (stationA >= numbersA.size() || stationB >= numbersB.size()) return false;
  std::vector<int32_t> const& ring = LoadedSetIndex().MergedStationRing;
  const int32_t start = numbersA[stationA], target = numbersB[stationB];
  int32_t at = start;
  // The ring closes on itself; the bound only guards against a broken one.
  for (size_t steps = 0; steps < ring.size(); ++steps) {
    if (at < 0 || static_cast<size_t>(at) >= ring.size()) return false;
    at = ring[static_cast<size_t>(at)];
    if (at == target) return true;
    if (at == start) return false;
  }
  return false;
}

int LinkMinutes(int timetableA, uint16_t stationA, int timetableB, uint16_t stationB,
                bool barrierFree) {
  TimetableRecord const* a = TimetableAt(timetableA);
  TimetableRecord const* b = TimetableAt(timetableB);
  if (!a || !b) return 0;
  if (timetableA == timetableB) return WalkingMinutes(*a, stationA, stationB, barrierFree);

  if (IsSamePlace(timetableA, stationA, timetableB, stationB) ||
      MergeKeyNames(*a, stationA, *b, stationB) || MergeKeyNames(*b, stationB, *a, stationA))
    return 0;

  CrossLinkTable const& links = a->SetWide.CrossLinks;
  if (!links.Offsets.empty()) {
    for (int32_t i = links.Offsets[stationA]; i < links.Offsets[stationA + 1]; ++i) {
      if (links.Timetables[static_cast<size_t>(i)] == timetableB &&
          links.Stations[static_cast<size_t>(i)] == stationB)
        return links.Values[static_cast<size_t>(i)];
    }
  }

  // A's counterpart in B's timetable, then on foot there.
  int targetList = -1, error = 0;
  const int32_t counterpart =
      MapVirtListItem2(timetableA, -1, stationA, timetableB, &targetList, &error);
  if (counterpart < 0 || static_cast<uint32_t>(counterpart) >= b->StationCount) return 0;
  return WalkingMinutes(*b, static_cast<uint16_t>(counterpart), stationB, barrierFree);
}

int DefaultChangeMinutes(TimetableRecord const& t, uint16_t station, bool byHour, int minute,
                         int* out) {
  *out = 0;
  if (!t.DefaultChangeTimes.empty()) {
    *out = t.DefaultChangeTimes[station];
    return 0;
  }
  if (byHour && t.HourlyChangeTimes.size() == 24) {
    // Floor division: minute -30 lies in hour 23 of the day before, however
    // many days back it reaches.
    int hour = minute / 60;
    if (minute % 60 < 0) --hour;
    hour %= 24;
    if (hour < 0) hour += 24;
    *out = t.HourlyChangeTimes[hour];
    return 0;
  }
  return ErrNotSupported;
}

}  // namespace qo
