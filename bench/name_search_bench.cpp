// The name search runs on every keystroke of a place input, and a global
// search step on every line of its drop-down: both over timetables of
// 45,000 stations, the global step over ten of them at once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/loaded_set_steps.h"
#include "load/loaded_set.h"
#include "load/reindex.h"
#include "load/timetable_record.h"
#include "text/collate.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kTowns = 15000;  // three stations each: 45,000 stations
constexpr int kTimetables = 10;

// A made-up town name from syllables; `variant` shifts the syllables so
// that timetables share some names and not others.
std::string TownName(int n, int variant) {
  static char const* const kSyllables[] = {"bra", "no",  "ko",  "lin", "pra",  "ha",  "os",  "tra",
                                           "va",  "zli", "ber", "ou",  "cheb", "hra", "dec", "pi",
                                           "sek", "tab", "or",  "mel", "nik",  "kla", "dno", "jih"};
  constexpr int kCount = sizeof kSyllables / sizeof kSyllables[0];
  std::string name;
  int v = n * 7 + variant * 131;
  for (int k = 0; k < 3 || v > 0; ++k) {
    name += kSyllables[v % kCount];
    v /= kCount;
  }
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return name;
}

// Towns (type 1) and stops (type 2, "Town", "Town,Part", "Town,Part,Place"),
// both in Czech order as timetables keep them; keys follow the names, so a
// name in two timetables is one place.
w::TimetableModel LargeModel(uint32_t id, int variant) {
  struct Town {
    std::string name;
    int32_t number;  // the generator's number: one name, one key in every timetable
  };
  std::vector<Town> towns;
  for (int t = 0; t < kTowns; ++t) towns.push_back({TownName(t, variant), t * 7 + variant * 131});
  std::sort(towns.begin(), towns.end(), [](Town const& a, Town const& b) {
    return qo::CompareCzech(a.name.c_str(), b.name.c_str(), true) < 0;
  });
  towns.erase(std::unique(towns.begin(), towns.end(),
                          [](Town const& a, Town const& b) { return a.name == b.name; }),
              towns.end());
  w::TimetableModel m;
  m.id = id;
  m.kind = static_cast<uint8_t>(1 + id % 3);
  m.area = static_cast<uint8_t>(id);
  for (int r = 0; r < 40; ++r) m.regions.push_back("CZ-Okres " + std::to_string(r));
  w::VirtList townList{.type = 1, .name = {"Obce"}};
  w::VirtList stopList{.type = 2, .name = {"Zastávky"}};
  for (Town const& town : towns) {
    auto const first = static_cast<uint16_t>(m.stations.size());
    int32_t part = 0;
    for (char const* suffix : {"", ",Dolni", ",Horni,nadr."}) {
      const int32_t key = town.number * 4 + ++part;
      m.stations.push_back({.name = {town.name + suffix},
                            .key = key,
                            .region = static_cast<int16_t>(town.number % 40)});
      stopList.items.push_back(
          {.stations = {static_cast<uint16_t>(m.stations.size() - 1)}, .key = key, .kind = -1});
    }
    townList.items.push_back(
        {.stations = {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2)},
         .key = town.number + 1,
         .name = {town.name}});
  }
  m.virtual_lists = {townList, stopList};
  return m;
}

// Loads the timetables once for every benchmark of this file.
void LoadLarge(int count) {
  static int loaded = 0;
  if (loaded == count && qo::LoadedCount() == count) return;
  QoCloseData();
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    std::string path = std::string(P_tmpdir) + "/qo_bench_names_" + std::to_string(i) + ".qo";
    w::SaveFile(path, w::WriteTimetable(LargeModel(100 + static_cast<uint32_t>(i), i)).bytes);
    paths.push_back(path);
  }
  std::vector<char const*> raw;
  for (std::string const& p : paths) raw.push_back(p.c_str());
  QoInit2(raw.data(), count, nullptr);
  loaded = count;
}

// One keystroke: the first match from the start of the stations or stops.
// A text that matches nothing walks every candidate.
void BM_SearchStation(benchmark::State& state, int list, char const* text) {
  LoadLarge(kTimetables);
  QoSearchStation(0, list, 0, 0, text, 1, nullptr);  // folds the names once
  for (auto _ : state) benchmark::DoNotOptimize(QoSearchStation(0, list, 0, 0, text, 1, nullptr));
  state.counters["stations"] = QoStCount(0);
}
BENCHMARK_CAPTURE(BM_SearchStation, prefix_hit, -1, "pino")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchStation, prefix_two_words, -1, "zli horni")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchStation, prefix_none, -1, "qqq")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchStation, prefix_letters_none, -1, "brx")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchStation, substring_none, -1, "*xyz")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchStation, stops_bracket_none, 1, "bra [x")->Unit(benchmark::kMicrosecond);

// Folding the names of a timetable's stations: what the first search after
// a load pays once.
void BM_FoldStationNames(benchmark::State& state) {
  LoadLarge(kTimetables);
  qo::TimetableRecord& t = *qo::TimetableAt(0);
  for (auto _ : state) {
    t.NameSearch.reset();
    benchmark::DoNotOptimize(QoSearchStation(0, -1, 0, 0, "qqq", 1, nullptr));
  }
}
BENCHMARK(BM_FoldStationNames)->Unit(benchmark::kMillisecond);

// One step of a global search over the stops of ten timetables, for a
// typed text and for the whole list; a search that runs out starts again
// (its start is timed apart below).
void BM_GlobalSearchStep(benchmark::State& state, char const* text) {
  LoadLarge(kTimetables);
  GLOBALSEARCH_REC place;
  QoInitGlobalSearch(nullptr, 2, 'C', text, 1);
  int64_t places = 0;
  for (auto _ : state) {
    if (!QoGlobalSearch(&place)) {
      state.PauseTiming();
      QoInitGlobalSearch(nullptr, 2, 'C', text, 1);
      state.ResumeTiming();
      continue;
    }
    ++places;
  }
  state.counters["places"] = static_cast<double>(places);
}
BENCHMARK_CAPTURE(BM_GlobalSearchStep, typed, "bra")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GlobalSearchStep, everything, "")->Unit(benchmark::kMicrosecond);

// Starting a global search and taking its first place: a name search in
// each of the ten timetables.
void BM_GlobalSearchFirst(benchmark::State& state, char const* text) {
  LoadLarge(kTimetables);
  GLOBALSEARCH_REC place;
  for (auto _ : state) {
    QoInitGlobalSearch(nullptr, 2, 'C', text, 1);
    benchmark::DoNotOptimize(QoGlobalSearch(&place));
  }
}
BENCHMARK_CAPTURE(BM_GlobalSearchFirst, typed, "bra")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_GlobalSearchFirst, rare, "zzz")->Unit(benchmark::kMicrosecond);

// The whole index of the towns of ten timetables.
void BM_GlobalIndex(benchmark::State& state) {
  LoadLarge(kTimetables);
  GLOBALSEARCH_REC* entries = nullptr;
  int count = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(count = QoGlobalIndex(nullptr, 1, 'C', &entries, nullptr));
  state.counters["entries"] = count;
}
BENCHMARK(BM_GlobalIndex)->Unit(benchmark::kMillisecond);

// The re-index after a load or close, which marks same-named towns of
// different places across the ten timetables.
void BM_ReindexWithSameNames(benchmark::State& state) {
  LoadLarge(kTimetables);
  for (auto _ : state) qo::ReindexLoadedSet();
}
BENCHMARK(BM_ReindexWithSameNames)->Unit(benchmark::kMillisecond);

}  // namespace
