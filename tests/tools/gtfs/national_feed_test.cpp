// The generated national-shaped feed, at a small size: every trip imports
// and the file loads. The benchmark runs the same feed at full size.
#include "tools/gtfs/national_feed.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "gtfs/gtfs_import.h"
#include "load/read_timetable.h"

namespace qo::gtfs::testing {
namespace {

TEST(NationalFeed, SmallSizeImportsWhole) {
  std::string folder = ::testing::TempDir() + "national-" + std::to_string(::getpid());
  size_t rows = WriteNationalFeed(folder, {.stops = 600, .trips = 3000});
  ImportResult r = ImportFeed(folder);
  std::filesystem::remove_all(folder);
  EXPECT_EQ(r.model.stations.size(), 600u);
  EXPECT_EQ(r.model.trains.size(), 3000u);
  EXPECT_TRUE(r.warnings.empty()) << r.warnings.front().text;
  size_t stops = 0;
  for (writer::Train const& t : r.model.trains) stops += t.stops.size();
  EXPECT_EQ(stops, rows);
  std::vector<uint8_t> bytes = writer::WriteTimetable(r.model, r.options).bytes;
  TimetableRecord record;
  EXPECT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);
  EXPECT_EQ(record.TrainCount, 3000u);
}

}  // namespace
}  // namespace qo::gtfs::testing
