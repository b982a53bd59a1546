// The import of a real GTFS feed (Plzeň's city transport, beside the
// project) into a timetable file, and the reader's load of that file
// against the plain reading of its bytes: the load should cost little more
// than the read. Without the feed every benchmark here reports why and
// skips itself.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gtfs/gtfs_import.h"
#include "load/read_timetable.h"
#include "writer/timetable_writer.h"

namespace {

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";

bool HaveFeed(benchmark::State& state) {
  if (std::filesystem::exists(kFeed)) return true;
  state.SkipWithError(("the Plzeň feed is absent: " + kFeed).c_str());
  return false;
}

// The imported timetable written once to a temporary file.
std::string const& PlzenFile() {
  static std::string const path = [] {
    qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(kFeed);
    std::string p = (std::filesystem::temp_directory_path() / "qo-bench-plzen.qo").string();
    qo::writer::SaveFile(p, qo::writer::WriteTimetable(feed.model, feed.options).bytes);
    return p;
  }();
  return path;
}

}  // namespace

// What `qobuild feed.zip` does: unzip, parse, map, write.
static void BM_GtfsImportPlzen(benchmark::State& state) {
  if (!HaveFeed(state)) return;
  size_t bytes = 0;
  for (auto _ : state) {
    qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(kFeed);
    bytes = qo::writer::WriteTimetable(feed.model, feed.options).bytes.size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_GtfsImportPlzen)->Unit(benchmark::kMillisecond);

// The mapping alone, without writing.
static void BM_GtfsMapPlzen(benchmark::State& state) {
  if (!HaveFeed(state)) return;
  for (auto _ : state) benchmark::DoNotOptimize(qo::gtfs::ImportFeed(kFeed).model.trains.size());
}
BENCHMARK(BM_GtfsMapPlzen)->Unit(benchmark::kMillisecond);

// The floor for a load: the file's bytes into memory.
static void BM_PlzenReadBytes(benchmark::State& state) {
  if (!HaveFeed(state)) return;
  std::string const& path = PlzenFile();
  size_t size = std::filesystem::file_size(path);
  for (auto _ : state) {
    std::vector<char> bytes(size);
    std::ifstream in(path, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_PlzenReadBytes)->Unit(benchmark::kMicrosecond);

// The kernel's reader: the read, then every section taken and checked.
static void BM_PlzenLoad(benchmark::State& state) {
  if (!HaveFeed(state)) return;
  std::string const& path = PlzenFile();
  size_t size = std::filesystem::file_size(path);
  for (auto _ : state) {
    qo::TimetableRecord record;
    if (qo::ReadTimetableFile(path.c_str(), nullptr, &record) != 0) {
      state.SkipWithError("the imported file does not load");
      break;
    }
    benchmark::DoNotOptimize(record.TrainCount);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_PlzenLoad)->Unit(benchmark::kMicrosecond);
