// Czech ordering sorts every name list the program shows (stations, virtual
// lists, the loaded set): its cost per comparison bounds those sorts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/collate.h"
#include "text/cp1250.h"

namespace {

std::vector<std::string> Names(size_t count) {
  const char* stems[] = {
      "Praha",          "Brno",           "Chrudim", "Česká Třebová", "Žďár nad Sázavou",
      "Hradec Králové", "Ústí nad Labem", "Olomouc", "Chomutov",      "Řevnice"};
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i)
    names.push_back(
        qo::Utf8ToCp1250(std::string(stems[i % 10]) + " " + std::to_string(i * 7919 % count)));
  return names;
}

void BM_CompareCzech(benchmark::State& state) {
  auto names = Names(1024);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        qo::CompareCzech(names[i & 1023].c_str(), names[(i * 7 + 3) & 1023].c_str(), true));
    ++i;
  }
}
BENCHMARK(BM_CompareCzech);

void BM_SortNamesCzech(benchmark::State& state) {
  auto names = Names(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    auto copy = names;
    std::sort(copy.begin(), copy.end(), [](const std::string& a, const std::string& b) {
      return qo::CompareCzech(a.c_str(), b.c_str(), true) < 0;
    });
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_SortNamesCzech)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
