#include "stations/station_names.h"

#include "format/stored_bits.h"
#include "frame/error_codes.h"

namespace qo {
namespace {

constexpr uint16_t kShowFirstPart = 0x08;
constexpr uint16_t kShowSecondPart = 0x04;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The part of a region name that a mode and a station type word ask for.
std::string_view RegionPart(std::string_view region, int mode, uint16_t type) {
  size_t dash = region.find('-');
  bool first = false, second = false;
  switch (mode) {
    case NameModeByType:
      first = type & kShowFirstPart;
      second = type & kShowSecondPart;
      break;
    case NameModeWholeRegion:
      return region;
    case NameModeSecondOnly:
      if (dash != std::string_view::npos) return region.substr(dash + 1);
      [[fallthrough]];
    case NameModeSecond:
      second = true;
      first = type & kShowFirstPart;
      break;
    default:
      return {};
  }
  if (dash == std::string_view::npos || (first && second)) return first || second ? region : "";
  if (first) return region.substr(0, dash);
  if (second) return region.substr(dash + 1);
  return {};
}

}  // namespace

int& RegionDisplayMode() {
  static int mode = 0;
  return mode;
}

void AddRegionPart(int mode, TimetableRecord const& t, uint16_t station, std::string& name) {
  if (name.empty() || mode == NameModeNoRegion || t.StationRegions.empty() ||
      station >= t.StationRegions.size())
    return;
  int16_t region = t.StationRegions[station];
  if (region < 0) return;
  uint16_t type = station < t.StationTypes.size() ? t.StationTypes[station] : 0;
  std::string_view part = RegionPart(PoolString(t.RegionNames, region), mode, type);
  if (part.empty()) return;
  std::string inserted = " [";
  inserted.append(part);
  inserted += ']';
  size_t comma = name.find(',');
  name.insert(comma == std::string::npos ? name.size() : comma, inserted);
}

int GetStationName(TimetableRecord const& t, int station, int mode, bool plain, std::string& out) {
  out.clear();
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return ErrStationIndex;
  std::string_view stored = PoolString(t.StationNames, station);
  out.assign(stored.substr(0, kMaxStoredNameLength));
  if (!(plain && mode == NameModeByType && t.Kind != kKindBus))
    AddRegionPart(mode, t, static_cast<uint16_t>(station), out);
  return 0;
}

void CutAtComma(std::string& name, int which) {
  size_t at = std::string::npos;
  for (int n = 0; n < which; ++n) {
    at = name.find(',', at == std::string::npos ? 0 : at + 1);
    if (at == std::string::npos) return;
  }
  while (at > 0 && (name[at - 1] == ',' || name[at - 1] == ' ')) --at;
  name.resize(at);
}

void SwapCommaParts(std::string& name) {
  size_t first = name.find(',');
  if (first == std::string::npos) return;
  size_t second = name.find(',', first + 1);
  size_t last = name.rfind(',');
  std::string_view all(name);
  std::string swapped(Trim(
      all.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1)));
  swapped += '/';
  swapped.append(Trim(all.substr(0, first)));
  if (second != std::string::npos) {
    swapped += ',';
    swapped.append(Trim(all.substr(last + 1)));
  }
  name = std::move(swapped);
}

void ExpandBracketRefs(TimetableRecord const& t, std::string_view text, CodeMarkers const& markers,
                       std::string& out) {
  out.clear();
  if (text.find('[') == std::string_view::npos) {
    out.assign(text);
    return;
  }
  out.reserve(text.size() + 500);
  const int32_t codes = GetPoolCount(t.CodeNames);
  bool const symbols = !markers.open1.empty() || !markers.close1.empty();
  size_t at = 0;
  while (at < text.size()) {
    size_t open = text.find('[', at);
    size_t close = open == std::string_view::npos ? open : text.find(']', open + 1);
    if (close == std::string_view::npos) {
      out.append(text.substr(at));
      break;
    }
    out.append(text.substr(at, open - at));
    std::string_view code = text.substr(open + 1, close - open - 1);
    int32_t found = -1;
    for (int32_t c = 0; c < codes && found < 0; ++c)
      if (PoolString(t.CodeNames, c) == code) found = c;
    if (found < 0) {
      out.append(text.substr(open, close - open + 1));
    } else {
      std::string_view symbol = PoolString(t.CodeShortTexts, found);
      if (!symbol.empty() && symbols) {
        out.append(markers.open1).append(symbol).append(markers.close1);
      } else {
        out.append(markers.open0).append(code).append(markers.close0);
      }
    }
    at = close + 1;
  }
}

}  // namespace qo
