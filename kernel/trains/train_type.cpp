#include "trains/train_type.h"

#include <cstdio>
#include <string_view>

#include "format/stored_bits.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

// Calls f(text) for each general remark of the train, the last first, in
// data language 0.
template <class F>
void ForEachRemarkBackwards(TimetableRecord const& t, uint32_t train, F&& f) {
  if (t.RemarkGroups.empty() || t.GeneralRemarkPools.empty()) return;
  StringPool const& pool = t.GeneralRemarkPools[0];
  int32_t group = t.RemarkGroups[static_cast<int32_t>(train)];
  if (t.RemarkListOffsets.empty()) {
    f(PoolString(pool, group));
    return;
  }
  int32_t begin = t.RemarkListOffsets[group];
  int32_t end = t.RemarkListOffsets[group + 1];
  for (int32_t i = end - 1; i >= begin; --i) f(PoolString(pool, t.RemarkTextIndexes[i]));
}

// The type name a remark gives for a departure at `minute`: the remark holds
// " H:MM)" of that minute followed by " vlak " and the name.
std::string_view TypeNameAt(std::string_view remark, int minute) {
  if (remark.find(':') == std::string_view::npos) return {};
  char time[16];
  int length = std::snprintf(time, sizeof time, " %d:%02d)", minute / 60 % 24, minute % 60);
  constexpr std::string_view kTrain = " vlak ";
  for (size_t at = remark.find(time); at != std::string_view::npos;
       at = remark.find(time, at + 1)) {
    std::string_view rest = remark.substr(at + static_cast<size_t>(length));
    if (rest.substr(0, kTrain.size()) != kTrain) continue;
    rest.remove_prefix(kTrain.size());
    std::string_view name = rest.substr(0, rest.find(' '));
    if (!name.empty()) return name;
  }
  return {};
}

// The type that a name stands for: physical types first, then train types,
// each searched from the last back.
bool LookUpType(TimetableRecord const& t, std::string_view name, int* bit, int* physical) {
  if (!t.PhysicalTypeNames.empty()) {
    StringPool const& pool = t.PhysicalTypeNames[0];
    for (int32_t p = GetPoolCount(pool) - 1; p >= 0; --p) {
      if (PoolString(pool, p) != name) continue;
      *physical = p;
      *bit = p < t.PhysicalTypeBits.size() ? t.PhysicalTypeBits[p] : p;
      return true;
    }
  }
  if (!t.TrainTypeNames.empty()) {
    StringPool const& pool = t.TrainTypeNames[0];
    for (int32_t i = GetPoolCount(pool) - 1; i >= 0; --i) {
      if (PoolString(pool, i) != name) continue;
      *physical = -1;
      *bit = i;
      return true;
    }
  }
  return false;
}

}  // namespace

bool FindTypeAtStop(TimetableRecord const& t, uint32_t train, int32_t station, int* bit,
                    int* physical) {
  StopRange stops(t, train);
  bool found = false;
  for (int32_t i = 0; i < stops.size(); ++i) {
    uint16_t here = stops.Station(i);
    // A stop of two words departs with the second.
    if (i + 1 < stops.size() && stops.Station(i + 1) == here) continue;
    int minute = stops.Minute(i);
    bool named = false;
    ForEachRemarkBackwards(t, train, [&](std::string_view remark) {
      if (named) return;
      std::string_view name = TypeNameAt(remark, minute);
      if (!name.empty() && LookUpType(t, name, bit, physical)) named = true;
    });
    found = found || named;
    if (here == station) break;
  }
  return found;
}

uint32_t GetTrainTypeWord(TimetableRecord const& t, uint32_t train, int32_t station) {
  if (t.TrainTypeWords.empty()) return 0;
  uint32_t word = t.TrainTypeWords[static_cast<int32_t>(train)];
  if (t.Kind != kKindRail || !(word & kTypeChangesAlongRoute) || t.GeneralRemarkPools.empty())
    return word;
  int bit = 0, physical = -1;
  if (!FindTypeAtStop(t, train, station, &bit, &physical) || bit < 0 || bit > 31) return word;
  return (uint32_t{1} << bit) | (word & ~t.TrainTypeMask);
}

}  // namespace qo
