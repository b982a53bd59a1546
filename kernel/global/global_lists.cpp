#include "global/global_lists.h"

#include <algorithm>
#include <numeric>

#include "format/stored_bits.h"
#include "info/timetable_info.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "text/collate.h"
#include "text/text_fold.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr size_t kMaxGlobalNameLength = 499;
constexpr size_t kMaxFoldedPrefix = 127;

bool Selected(int const* selection, int i) { return !selection || selection[i] != 0; }

std::string Upper(std::string_view text) {
  std::string s(text);
  MakeUpperCase(s.data());
  return s;
}

std::string SearchKeyOf(std::string_view text) {
  std::string s(text.substr(0, std::min(text.size(), kMaxFoldedPrefix)));
  MakeSearchKey(s.data());
  return s;
}

bool BeginsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsStructuredListType(int32_t type) { return type == 1 || type == 2 || type == 200003; }

void BuildGlobalLists(int const* selection, char letter, GlobalLists& out) {
  out = GlobalLists();
  std::vector<std::string> decorations;
  bool everyHasTowns = true, everyHasStops = true, anySelected = false;
  int cities = 0;
  std::string name;
  int const count = LoadedCount();
  for (int i = 0; i < count; ++i) {
    if (!Selected(selection, i)) continue;
    TimetableRecord const& t = *TimetableAt(i);
    anySelected = true;
    if (t.Kind == kKindCity) ++cities;
    int const language = GetLangIndex(t, letter);
    bool towns = false, stops = false;
    for (VirtListRecord const& list : t.VirtLists) {
      if (list.Type < 1) continue;
      towns = towns || list.Type == 1;
      stops = stops || list.Type == 2;
      VirtListName(t, list, language, name);
      auto at = std::find(out.types.begin(), out.types.end(), list.Type);
      if (at != out.types.end()) {
        std::string& joined = out.names[static_cast<size_t>(at - out.types.begin())];
        if (!name.empty() && joined.find(name) == std::string::npos &&
            Upper(joined) != Upper(name)) {
          joined += '/';
          joined += name;
          if (joined.size() > kMaxGlobalNameLength) joined.resize(kMaxGlobalNameLength);
        }
        continue;
      }
      out.types.push_back(list.Type);
      out.names.push_back(name);
      std::string decoration;
      GetDecoration(t, language, decoration);
      decorations.push_back(std::move(decoration));
    }
    everyHasTowns = everyHasTowns && towns;
    everyHasStops = everyHasStops && stops;
  }

  // A name that another list's name could be mistaken for carries its
  // timetable's decoration; so do the own lists of several city timetables,
  // which would otherwise all read "Lines" or "Areas".
  const size_t n = out.types.size();
  std::vector<bool> decorate(n, false);
  for (size_t i = 0; i < n; ++i) {
    decorate[i] = cities >= 2 && out.types[i] % 1000 >= 4;
    for (size_t j = 0; j < n && !decorate[i]; ++j) {
      if (j == i) continue;
      if (Upper(out.names[i]) == Upper(out.names[j])) {
        decorate[i] = true;
      } else if (!decorations[i].empty() && !decorations[j].empty() &&
                 decorations[i] != decorations[j]) {
        std::string a = SearchKeyOf(out.names[i]), b = SearchKeyOf(out.names[j]);
        decorate[i] = BeginsWith(a, b) || BeginsWith(b, a);
      }
    }
  }
  for (size_t i = 0; i < n; ++i) {
    if (!decorate[i] || decorations[i].empty() ||
        out.names[i].find(decorations[i]) != std::string::npos)
      continue;
    out.names[i] += " (" + decorations[i] + ")";
    if (out.names[i].size() > kMaxGlobalNameLength) out.names[i].resize(kMaxGlobalNameLength);
  }

  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    int32_t ta = out.types[a], tb = out.types[b];
    if (ta % 1000 != tb % 1000) return ta % 1000 < tb % 1000;
    if (ta / 100000 != tb / 100000) return ta / 100000 < tb / 100000;
    return CompareCzech(out.names[a].c_str(), out.names[b].c_str(), true) < 0;
  });
  GlobalLists sorted;
  for (size_t i : order) {
    sorted.types.push_back(out.types[i]);
    sorted.names.push_back(std::move(out.names[i]));
  }
  out = std::move(sorted);

  if (out.types.empty()) return;
  if (anySelected && everyHasTowns) {
    out.defaultType = 1;
  } else if (anySelected && everyHasStops) {
    out.defaultType = 2;
  } else {
    auto stations = std::find_if(out.types.begin(), out.types.end(),
                                 [](int32_t type) { return type % 1000 == 3; });
    out.defaultType = stations != out.types.end() ? *stations : out.types.front();
  }
}

}  // namespace qo
