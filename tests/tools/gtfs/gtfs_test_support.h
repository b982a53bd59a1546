#pragma once
// What the tests of the GTFS import need around it: feeds written from
// inline tables into a folder or a zip archive, and the trains and running
// days of a written timetable read back through the kernel's reader and
// decoded by docs/timetable-format.md.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "load/timetable_record.h"

namespace qo::gtfs::testing {

// File name to content.
using FeedTables = std::map<std::string, std::string>;

// A fresh folder (or zip archive) under the test's temporary directory. In
// the archive the files go into `folder` when it is not empty.
std::string WriteFeedFolder(FeedTables const& tables, std::string const& name);
std::string WriteFeedZip(FeedTables const& tables, std::string const& name,
                         std::string const& folder = "");

// One stop word of a decoded train: its station, its time in minutes from
// midnight of the train's first day (1450 is 0:10 of the next day), and its
// stop flags.
struct Word {
  uint16_t station = 0;
  int minute = 0;
  uint16_t flags = 0;
  bool operator==(Word const&) const = default;
};

std::vector<Word> DecodeTrain(TimetableRecord const& record, uint32_t train);
// The day numbers on which a train leaves its first stop.
std::set<int> RunningDays(TimetableRecord const& record, uint32_t train);
std::string TrainNumber(TimetableRecord const& record, uint32_t train);
std::string StationName(TimetableRecord const& record, uint32_t station);  // UTF-8

}  // namespace qo::gtfs::testing
