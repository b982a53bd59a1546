// CRC-32 runs over every file at load: its throughput bounds the load time.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/crc32.h"

static void BM_Crc32(benchmark::State& state) {
  std::vector<unsigned char> data(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 131);
  for (auto _ : state) benchmark::DoNotOptimize(qo::ComputeCrc32(data.data(), data.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32)->Arg(4 << 10)->Arg(16 << 20);
