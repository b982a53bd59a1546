#pragma once
// A GTFS feed turned into the writer's model of a timetable, so that
// tests, benchmarks and qobuild work on real networks. The mapping is
// described in docs/gtfs-import.md.
//
//   qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed("plzen.zip");
//   qo::writer::WrittenFile file = qo::writer::WriteTimetable(feed.model, feed.options);
//
// A broken feed throws FeedError naming the file and the line
// ("stop_times.txt:17: unknown stop 'X1'"); what the import repairs or
// leaves out is counted in the result's warnings.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gtfs/csv_reader.h"
#include "gtfs/feed_files.h"
#include "writer/gis_model.h"
#include "writer/timetable_model.h"
#include "writer/timetable_writer.h"

namespace qo::gtfs {

struct ImportOptions {
  uint32_t id = 1;
  uint8_t area = 0;
  // The minimal change time, in minutes, of a stop that transfers.txt does
  // not give one for (a transfer from the stop to itself).
  int16_t default_change_time = 2;
  // Every warning refuses the feed (a FeedError with the warning's text)
  // instead of repairing it or leaving a trip out.
  bool strict = false;
  // How much of a zip archive may be unpacked.
  ArchiveLimits archive_limits{};
  // Told of each phase and how far it has got (0..100), for a progress
  // line; may be empty.
  std::function<void(std::string const& phase, int percent)> progress;
};

// One kind of repair, with the place of its first occurrence.
struct Warning {
  std::string text;  // "stop_times.txt:88: trip 'T7' calls at 'S3' twice in a row (kept)"
  size_t count = 0;
  // For a trip left out: why, in a few words ("times go backwards"); empty
  // for a repair.
  std::string left_out;
};

// The file name of the stops' map, which the model names as its extension
// when any stop has a position: written beside the timetable, it gets the
// timetable's name (plzen.gis beside plzen.qo).
inline constexpr char kMapExtension[] = ".gis";

struct ImportResult {
  writer::TimetableModel model;
  writer::WriteOptions options;
  // Every stop with a position has its point in the station point table;
  // without any the model names no map.
  writer::GisModel map;
  // The feed's ids of the model's stations and trains, index by index.
  std::vector<std::string> station_ids;
  std::vector<std::string> trip_ids;
  // Per model train, the day it was moved by because its first departure
  // lies past 24:00 (its times are then counted from the next day).
  std::vector<int> trip_day_shift;
  std::vector<Warning> warnings;
  size_t WarningCount() const;
  // The trips left out, counted by reason, in the order the reasons first
  // came up.
  std::vector<std::pair<std::string, size_t>> LeftOut() const;
};

ImportResult ImportFeed(FeedFiles& feed, ImportOptions const& options = {});
ImportResult ImportFeed(std::string const& path, ImportOptions const& options = {});

}  // namespace qo::gtfs
