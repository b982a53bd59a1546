#include "remarks/owners.h"

#include <cstdlib>

#include "trains/train_info.h"

namespace qo {

int32_t OwnerCount(TimetableRecord const& t) {
  return t.OwnerPools.empty() ? 0 : GetPoolCount(t.OwnerPools[0]);
}

int32_t LineCount(TimetableRecord const& t) {
  return t.LinePools.empty() ? 0 : GetPoolCount(t.LinePools[0]);
}

int32_t TrainOwner(TimetableRecord const& t, uint32_t train) {
  return t.TrainOwners.empty() ? -1 : t.TrainOwners[static_cast<int32_t>(train)];
}

int32_t TrainLine(TimetableRecord const& t, uint32_t train) {
  return t.TrainLines.empty() ? -1 : t.TrainLines[static_cast<int32_t>(train)];
}

std::string_view OwnerDescription(TimetableRecord const& t, int language, int32_t owner) {
  StringPool const* pool = PoolOfLanguage(t.OwnerPools, language);
  return pool ? PoolString(*pool, owner) : std::string_view();
}

std::string_view LineDescription(TimetableRecord const& t, int language, int32_t line) {
  StringPool const* pool = PoolOfLanguage(t.LinePools, language);
  return pool ? PoolString(*pool, line) : std::string_view();
}

void GetTrainOwners(TimetableRecord const& t, uint32_t train, Journey const& journey,
                    std::vector<TrainOwnerEntry>& out) {
  out.clear();
  for (int32_t i = 0, n = CountGeneralRemarks(t, train); i < n; ++i) {
    RemarkParts parts;
    if (!GeneralRemarkHolds(t, 0, train, i, journey, kOwnerRemarks, &parts)) continue;
    std::string_view number, text;
    ControlValue(parts.Control, 'O', &number);
    ControlValue(parts.Control, 'L', &text);
    int32_t owner = std::atoi(std::string(number).c_str());
    TrainOwnerEntry* entry = nullptr;
    for (TrainOwnerEntry& e : out)
      if (e.Owner == owner) entry = &e;
    if (!entry) {
      out.push_back({owner, std::string(text)});
      continue;
    }
    if (text.empty()) continue;
    if (!entry->Text.empty()) entry->Text += ", ";
    entry->Text += text;
  }
  if (out.empty() && TrainOwner(t, train) >= 0) out.push_back({TrainOwner(t, train), {}});
}

}  // namespace qo
