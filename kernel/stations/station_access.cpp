#include "stations/station_access.h"

#include <cstdlib>

#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "trains/packed_numbers.h"

namespace qo {
namespace {

constexpr size_t kMaxLineText = 9;

}  // namespace

void StationKeyText(TimetableRecord const& t, uint16_t station, std::string& out) {
  out.clear();
  if (station >= t.StationKeys.size()) return;
  int32_t key = t.StationKeys[station];
  if (key == 0) return;
  if (t.Kind == kKindAir) {
    auto bits = static_cast<uint32_t>(key);
    for (int i = 0; i < 4 && (bits >> (8 * i) & 0xFF); ++i)
      out += static_cast<char>(bits >> (8 * i) & 0xFF);
    return;
  }
  out = std::to_string(key);
}

int32_t SearchStationKey(TimetableRecord const& t, int32_t key) {
  ImageArray<int32_t> const& keys = t.StationKeys;
  ImageArray<uint16_t> const& byKey = t.StationsByKey;
  if (byKey.size() != keys.size()) {
    for (int32_t s = 0; s < keys.size(); ++s)
      if (keys[s] == key) return s;
    return -1;
  }
  int32_t low = 0, high = byKey.size();
  while (low < high) {
    int32_t middle = low + (high - low) / 2;
    if (keys[byKey[middle]] < key) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  // Equal keys may stand in any order: the lowest index is the first.
  int32_t found = -1;
  for (int32_t i = low; i < byKey.size() && keys[byKey[i]] == key; ++i)
    if (found < 0 || byKey[i] < found) found = byKey[i];
  return found;
}

void SearchStationKeyEx(TimetableRecord const& t, int32_t key, int column,
                        std::vector<int32_t>& out) {
  out.clear();
  if (t.StationKeyExt && (column == KeyColumnTcv || column == KeyColumnReservation)) {
    for (auto const& group : t.StationKeyExt->Groups) {
      ImageArray<int32_t> const& keys = group[static_cast<size_t>(column)];
      for (int32_t row = 0; row < keys.size(); ++row) {
        if (keys[row] != key) continue;
        int32_t station = SearchStationKey(t, group[KeyColumnStation][row]);
        if (station >= 0) out.push_back(station);
      }
    }
  }
  if (out.empty()) {
    int32_t station = SearchStationKey(t, key);
    if (station >= 0) out.push_back(station);
  }
}

int StationExtensionKey(TimetableRecord const& t, uint16_t station, int column, int32_t* out) {
  *out = 0;
  if (!t.StationKeyExt || t.StationKeys.empty()) return ErrNotSupported;
  int32_t key = t.StationKeys[station];
  *out = key;
  for (auto const& group : t.StationKeyExt->Groups) {
    ImageArray<int32_t> const& keys = group[KeyColumnStation];
    for (int32_t row = 0; row < keys.size(); ++row) {
      if (keys[row] == key) {
        *out = group[static_cast<size_t>(column)][row];
        return 0;
      }
    }
  }
  return 0;
}

int StationTimeShift(TimetableRecord const& t, uint16_t station, int32_t value) {
  if (station < t.StationShiftLists.size()) {
    RecordArray const& list = t.StationShiftLists[station];
    if (list.empty()) return 0;
    for (int32_t i = list.size() - 1; i >= 0; --i)
      if (list.Field<int32_t>(i, 0) >= value) return list.Field<int16_t>(i, 4);
    return list.Field<int16_t>(0, 4);
  }
  if (station < t.StationTimeShifts.size()) return t.StationTimeShifts[station];
  return 0;
}

int StationShiftOnLegDay(TimetableRecord const& t, int32_t station, bool byDayType, int32_t day,
                         int32_t legDay) {
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return 0;
  const int32_t base = byDayType ? static_cast<int32_t>(t.FirstDay) : day;
  return StationTimeShift(t, static_cast<uint16_t>(station), base + legDay);
}

std::string_view StationRemark(TimetableRecord const& t, uint16_t station) {
  if (station >= t.StationRemarkIndex.size()) return {};
  int16_t index = t.StationRemarkIndex[station];
  return index > 0 ? PoolString(t.StationRemarks, index - 1) : std::string_view();
}

bool FindRemarkTag(std::string_view remark, std::string_view tag, std::string& text,
                   std::string& second) {
  text.clear();
  second.clear();
  std::string braced = "{";
  braced.append(tag);
  braced += '}';
  size_t at = remark.find(braced);
  if (at == std::string_view::npos) return false;
  std::string_view rest = remark.substr(at + braced.size());
  rest = rest.substr(0, rest.find('{'));
  size_t bar = rest.find('|');
  if (bar != std::string_view::npos) {
    second.assign(rest.substr(bar + 1));
    rest = rest.substr(0, bar);
  }
  text.assign(rest);
  return true;
}

void ZoneText(std::string_view remark, int32_t threshold, std::string& out) {
  out.clear();
  std::string_view zone = remark;
  size_t tag = remark.find("{Z}");
  if (tag != std::string_view::npos) {
    zone = remark.substr(tag + 3);
    zone = zone.substr(0, zone.find('{'));
  } else if (remark.find('{') != std::string_view::npos) {
    return;
  }
  while (!zone.empty() && zone.front() == '[') {
    size_t close = zone.find(']');
    if (close == std::string_view::npos) {
      zone = {};
      break;
    }
    long number = std::strtol(std::string(zone.substr(1, close - 1)).c_str(), nullptr, 10);
    std::string_view after = zone.substr(close + 1);
    size_t next = after.find('[');
    if (number >= threshold) {
      zone = after.substr(0, next);
      break;
    }
    zone = next == std::string_view::npos ? std::string_view() : after.substr(next);
  }
  out.assign(zone);
}

int StationZone(TimetableRecord const& t, uint16_t station, int32_t train, bool useLines,
                std::string_view lineText, std::string& out) {
  out.clear();
  int32_t threshold = train;
  if (useLines && !t.ZoneLines.empty()) {
    std::string line;
    if (train >= 0) {
      if (static_cast<uint32_t>(train) >= t.TrainCount) return ErrTrainIndex;
      TrainNumberText(t, static_cast<uint32_t>(train), line);
    } else {
      line.assign(lineText.substr(0, kMaxLineText));
    }
    if (!line.empty()) {
      long number = std::strtol(line.c_str(), nullptr, 10);
      std::string text;
      int32_t entry = -1;
      for (int32_t i = 0; i < t.ZoneLines.size() && entry < 0; ++i) {
        int32_t value = t.ZoneLines.Field<int32_t>(i, 0);
        FormatPackedNumber(t.MainNumbers, value, 39, text);
        if (text == line || (number > 0 && value == number)) entry = i;
      }
      if (entry < 0) return 0;
      // The zone line's threshold holds for a train's line as well as for a
      // line given as text.
      threshold = t.ZoneLines.Field<int32_t>(entry, 4);
    }
  }
  std::string_view remark = StationRemark(t, station);
  if (remark.empty()) return 0;
  ZoneText(remark, threshold, out);
  return 0;
}

}  // namespace qo
