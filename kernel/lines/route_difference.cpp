#include "lines/route_difference.h"

#include <string_view>
#include <vector>

#include "boards/board_core.h"
#include "core/string_pool.h"
#include "frame/message_tables.h"
#include "stations/station_names.h"

namespace qo {
namespace {

enum Word : int {
  kAnd = 5,
  kEndsEarly = 36,
  kContinuesBeyond = 37,
  kThenTo = 38,
  kViaOne = 39,
  kSkipsOne = 40,
  kViaMany = 41,
  kSkipsMany = 42,
  kLeavesAtOnce = 43,
  kThroughStation = 44,
  kThroughLine = 45,
};

void Append(std::string& out, std::string_view piece) {
  if (out.size() >= kMaxRouteTextLength) return;
  out.append(piece.substr(0, kMaxRouteTextLength - out.size()));
}

void AppendName(TimetableRecord& t, uint16_t station, std::string& out) {
  std::string name;
  GetStationName(t, station, NameModeNoRegion, true, name);
  Append(out, name);
}

}  // namespace

void JoinStationNames(TimetableRecord& t, uint16_t const* stations, int32_t count,
                      std::string& out) {
  out.clear();
  for (int32_t i = 0; i < count; ++i) {
    if (i > 0) Append(out, i == count - 1 ? KernelText(kAnd) : ", ");
    AppendName(t, stations[i], out);
  }
}

void BuildRouteDifferenceText(TimetableRecord& t, int language, int32_t const* line, int32_t E,
                              uint16_t const* trip, int32_t N, int32_t throughStation,
                              int32_t throughLine, std::string& out) {
  out.clear();
  if (language >= 0 && static_cast<size_t>(language) < t.LanguageLetters.size())
    SelectLanguage(t.LanguageLetters[static_cast<size_t>(language)]);
  if (E < 1 || N < 1) return;
  std::vector<int32_t> const& names = NameClasses(t);
  auto match = [&](int32_t lineAt, int32_t tripAt) {
    return names[static_cast<size_t>(line[lineAt])] == names[trip[tripAt]];
  };

  std::vector<uint16_t> skipped, via;
  int32_t l = 0, tp = 0, ml = 0, mt = 0;
  bool mismatch = false;
  while (tp < N && l < E) {
    if (!mismatch && match(l, tp)) {
      ml = l++;
      mt = tp++;
      continue;
    }
    int32_t i = tp;
    while (i < N && !match(l, i)) ++i;
    int32_t j = l;
    while (j < E && !match(j, tp)) ++j;
    if (j < E && (i == N || j - l <= i - tp)) {
      // Ties go to skipping line stations.
      for (int32_t s = ml + 1; s < j; ++s) skipped.push_back(static_cast<uint16_t>(line[s]));
      ml = j;
      mt = tp;
      l = j + 1;
      ++tp;
      mismatch = false;
      continue;
    }
    const int32_t next = l + 1;
    mismatch = true;
    if (i == N || (j < E && j - next <= i - tp)) {
      ++tp;
    } else {
      for (int32_t s = mt + 1; s < i; ++s) via.push_back(trip[s]);
      mt = i;
      ml = l;
      tp = i + 1;
      mismatch = false;
    }
    l = next;
  }

  std::string list;
  auto clause = [&](int word) {
    if (!out.empty()) Append(out, ", ");
    Append(out, KernelText(word));
  };
  if (!skipped.empty()) {
    clause(skipped.size() == 1 ? kSkipsOne : kSkipsMany);
    JoinStationNames(t, skipped.data(), static_cast<int32_t>(skipped.size()), list);
    Append(out, list);
  }
  if (!via.empty()) {
    clause(via.size() == 1 ? kViaOne : kViaMany);
    JoinStationNames(t, via.data(), static_cast<int32_t>(via.size()), list);
    Append(out, list);
  }
  const uint16_t tripLast = trip[N - 1];
  if (names[tripLast] != names[static_cast<size_t>(line[E - 1])]) {
    if (l < E && mt == N - 1) {
      clause(kEndsEarly);
    } else if (tp >= N || ml < E - 1) {
      if (ml < 1) {
        clause(kLeavesAtOnce);
      } else {
        clause(kEndsEarly);
        AppendName(t, static_cast<uint16_t>(line[ml]), out);
        clause(kThenTo);
      }
    } else {
      clause(kContinuesBeyond);
    }
    AppendName(t, tripLast, out);
  }
  if (throughStation >= 0 && static_cast<uint32_t>(throughStation) < t.StationCount) {
    clause(kThroughStation);
    AppendName(t, static_cast<uint16_t>(throughStation), out);
    if (throughLine > 0) {
      Append(out, KernelText(kThroughLine));
      Append(out, std::to_string(throughLine));
    } else if (throughLine < 0 && GetPoolCount(t.MainNumbers.Texts) > -throughLine - 1) {
      Append(out, KernelText(kThroughLine));
      Append(out, PoolString(t.MainNumbers.Texts, -throughLine - 1).substr(0, 10));
    }
  }
}

}  // namespace qo
