// Per stop of a direction: the remark every trip shows there and the
// running times from the first stop.
#include <algorithm>

#include "calendars/train_calendar.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "lines/line_requests.h"
#include "remarks/station_remarks.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int32_t kNoRemark = -1;
constexpr int32_t kNoCommonRemark = -2;

// The shared pattern a trip's single stored word refers to, -1 for a trip
// with its own list.
int64_t PatternOf(TimetableRecord const& t, uint32_t train) {
  const int32_t first = static_cast<int32_t>(t.TrainStopOffsets[static_cast<int32_t>(train)] / 4);
  const int32_t next =
      static_cast<int32_t>(t.TrainStopOffsets[static_cast<int32_t>(train) + 1] / 4);
  if (next - first != 1) return -1;
  const uint16_t time = t.TrainStopData.Field<uint16_t>(first, 0);
  return ((time >> 12) & 0xF) * int64_t{65536} + t.TrainStopData.Field<uint16_t>(first, 2);
}

// The first remark of the trip at the station that a stop timetable shows
// as a letter; false when there is none.
bool FirstShownRemark(TimetableRecord const& t, uint32_t trip, uint16_t station, char* letter,
                      int16_t* text) {
  StationRemark remark;
  for (int32_t n = 0; FindStationRemark(t, trip, station, n, &remark); ++n) {
    std::string_view code = remark.Code;
    if (!code.empty() && static_cast<uint8_t>(code[0]) < 32) {
      if (static_cast<uint8_t>(code[0]) & (0x01 | 0x04)) continue;
      code.remove_prefix(1);
    }
    if (code.empty()) return false;
    *letter = code[0];
    *text = remark.Text;
    return true;
  }
  return false;
}

}  // namespace

int CollectStopRemarks(TimetableRecord& t, LineSettings const& settings, StopRemarkRequest const& q,
                       int32_t* remark, int32_t* least, int32_t* greatest, StopRemarks& out) {
  out.letters.clear();
  out.texts.clear();
  DayRange range;
  if (int error = MakeDayRange(t, settings, q.day, q.month, q.year, q.week, &range)) return error;
  if (!q.stations && q.count > 0) return ErrParameters;
  for (int32_t v = 0; v < q.count; ++v) {
    if (q.stations[v] < 0 || static_cast<uint32_t>(q.stations[v]) >= t.StationCount)
      return ErrStationIndex;
    remark[v] = kNoRemark;
    if (least) least[v] = 1440;
    if (greatest) greatest[v] = 0;
  }
  if (t.MainNumbers.Values.empty() || q.count == 0) return 0;
  std::vector<int64_t> patterns;
  std::vector<int32_t> considered;
  const uint32_t end = LineRunEnd(t, q.train);
  for (uint32_t trip = LineRunBegin(t, q.train); trip < end; ++trip) {
    if (!TripInsideMask(t, trip, q.mask)) continue;
    bool runs = false;
    if (q.year != 0)
      runs = TripRunsInRange(t, range.from, range.to, trip, range.requestDate, range.weekMode2,
                             false, false, nullptr);
    else
      TrainRunsOnDayType(t, trip, q.day, q.month, -1, true, 0, &runs);
    if (!runs) continue;
    const int64_t pattern = PatternOf(t, trip);
    if (pattern >= 0) {
      if (std::find(patterns.begin(), patterns.end(), pattern) != patterns.end()) continue;
      patterns.push_back(pattern);
    }
    StopList stops = DecodeTrainStops(t, trip);
    auto kept = [&](int32_t i) { return LaterWordIsOwnStop(t, stops.Time(i)); };
    // Of two words at one station the later stands for the stop.
    considered.clear();
    for (int32_t i = 0; i < stops.count; ++i)
      if (i + 1 == stops.count || stops.Station(i + 1) != stops.Station(i) || kept(i + 1))
        considered.push_back(i);
    std::vector<int32_t> position(considered.size(), -1);
    int32_t after = -1, lastFound = -1;
    for (size_t c = 0; c < considered.size(); ++c) {
      const uint16_t station = stops.Station(considered[c]);
      for (int32_t v = after + 1; v < q.count; ++v)
        if (q.stations[v] == station) {
          position[c] = after = v;
          break;
        }
    }
    lastFound = position.empty() ? -1 : position.back();
    if (lastFound < 1) continue;
    int32_t previous = -1;
    for (size_t c = 0; c < considered.size(); ++c) {
      const int32_t v = position[c];
      if (v < 0) continue;
      const int32_t i = considered[c];
      if (v == previous + 1 && i > 0) {
        int32_t before = i - 1;
        if (before > 0 && stops.Station(before) == stops.Station(i) && !kept(i)) --before;
        int minutes = stops.Minute(i) - stops.Minute(before);
        if (minutes < 0) minutes += 1440;
        if (least) least[v] = std::min(least[v], minutes);
        if (greatest) greatest[v] = std::max(greatest[v], minutes);
      }
      previous = v;
      if (remark[v] == kNoCommonRemark || !(stops.Time(i) & kStopHasNotes)) continue;
      char letter = 0;
      int16_t text = -1;
      if (!FirstShownRemark(t, trip, stops.Station(i), &letter, &text)) {
        remark[v] = kNoCommonRemark;
        continue;
      }
      if (remark[v] >= 0 && out.letters[static_cast<size_t>(remark[v])] != letter) {
        remark[v] = kNoCommonRemark;
        continue;
      }
      size_t code = out.letters.find(letter);
      if (code == std::string::npos) {
        code = out.letters.size();
        out.letters.push_back(letter);
        out.texts.emplace_back(StationRemarkText(t, q.language, text));
      }
      remark[v] = static_cast<int32_t>(code);
    }
  }
  // Keep the codes some position still uses, in their order.
  std::vector<int32_t> renumber(out.letters.size(), -1);
  for (int32_t v = 0; v < q.count; ++v)
    if (remark[v] >= 0) renumber[static_cast<size_t>(remark[v])] = 0;
  StopRemarks kept;
  for (size_t c = 0; c < renumber.size(); ++c)
    if (renumber[c] == 0) {
      renumber[c] = static_cast<int32_t>(kept.letters.size());
      kept.letters.push_back(out.letters[c]);
      kept.texts.push_back(std::move(out.texts[c]));
    }
  for (int32_t v = 0; v < q.count; ++v)
    if (remark[v] >= 0) remark[v] = renumber[static_cast<size_t>(remark[v])];
  out = std::move(kept);
  int32_t sumLeast = 0, sumGreatest = 0;
  for (int32_t v = 0; v < q.count; ++v) {
    if (least) {
      if (least[v] == 1440) least[v] = 0;
      least[v] = sumLeast += least[v];
    }
    if (greatest) greatest[v] = sumGreatest += greatest[v];
  }
  return 0;
}

}  // namespace qo
