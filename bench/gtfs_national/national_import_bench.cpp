// The GTFS import of a national-size feed (about 30,000 stops and 200,000
// trips over a year, generated), timed and with its peak memory, at several
// sizes: the import should stay linear in the size of the feed. Each size
// runs in a child process of its own, so that its peak memory is its own.
//
//   gtfs_national_bench            # sizes 0.5 and 1 of the national feed
//   gtfs_national_bench 0.05 0.1   # smaller sizes
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gtfs/gtfs_import.h"
#include "tools/gtfs/national_feed.h"
#include "writer/timetable_writer.h"

namespace {

int Measure(double scale) {
  qo::gtfs::testing::NationalFeedSize size;
  size.stops = static_cast<size_t>(30000 * scale);
  size.trips = static_cast<size_t>(200000 * scale);
  std::string folder =
      (std::filesystem::temp_directory_path() / ("qo-national-" + std::to_string(::getpid())))
          .string();
  size_t rows = qo::gtfs::testing::WriteNationalFeed(folder, size);
  struct rusage before {};
  ::getrusage(RUSAGE_SELF, &before);
  auto start = std::chrono::steady_clock::now();
  qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(folder);
  std::vector<uint8_t> bytes = qo::writer::WriteTimetable(feed.model, feed.options).bytes;
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  struct rusage after {};
  ::getrusage(RUSAGE_SELF, &after);
  std::filesystem::remove_all(folder);
  std::printf(
      "size %.2f: %zu stops, %zu trips, %zu stop times: import and write %.2f s (%.2f us per "
      "stop time), peak memory %.0f MB (%.0f bytes per stop time), file %.1f MB, %zu warnings\n",
      scale, feed.model.stations.size(), feed.model.trains.size(), rows, seconds,
      seconds * 1e6 / static_cast<double>(rows), static_cast<double>(after.ru_maxrss) / 1024,
      static_cast<double>(after.ru_maxrss) * 1024 / static_cast<double>(rows),
      static_cast<double>(bytes.size()) / 1e6, feed.WarningCount());
  std::fflush(stdout);
  return feed.model.trains.size() == size.trips ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<double> scales;
  for (int i = 1; i < argc; ++i) scales.push_back(std::atof(argv[i]));
  if (scales.empty()) scales = {0.5, 1.0};
  int failed = 0;
  for (double scale : scales) {
    std::fflush(stdout);
    pid_t child = ::fork();
    if (child == 0) std::_Exit(Measure(scale));
    int status = 0;
    ::waitpid(child, &status, 0);
    failed |= !WIFEXITED(status) || WEXITSTATUS(status) != 0;
  }
  return failed;
}
