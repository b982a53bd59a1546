// Stop timetables of the real Plzeň feed, checked against the feed's own
// tables: for a sample of lines, directions and stops, the departures a
// week's day group lists are exactly the departures of that stop, in that
// direction, on each day the group claims, and a day no group claims has
// none.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

#include "Qo.h"
#include "gtfs/csv_reader.h"
#include "gtfs/feed_files.h"
#include "gtfs/gtfs_import.h"
#include "lines/line_directions.h"
#include "load/loaded_set.h"
#include "writer/timetable_model.h"

namespace qo::gtfs {
namespace {

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";
constexpr unsigned kAll = 0xFFFFFFFF;

int Minutes(std::string_view hms) {
  int h = 0, m = 0, s = 0;
  std::sscanf(std::string(hms).c_str(), "%d:%d:%d", &h, &m, &s);
  return h * 60 + m;
}

int Day(std::string_view yyyymmdd) {
  int v = std::stoi(std::string(yyyymmdd));
  return writer::DayNumberOf(v / 10000, v / 100 % 100, v % 100);
}

struct FeedStop {
  int sequence;
  std::string stop;
  int departure;
};

// The feed's service days and stops per trip, read from its CSV tables.
struct FeedTables {
  std::unordered_map<std::string, std::set<int>> serviceDays;
  std::unordered_map<std::string, std::string> serviceOf;
  std::unordered_map<std::string, std::vector<FeedStop>> stopsOf;

  explicit FeedTables(FeedFiles& feed) {
    std::string text = *feed.Read("calendar.txt");
    CsvReader calendar(text, "calendar.txt");
    char const* names[] = {"monday", "tuesday",  "wednesday", "thursday",
                           "friday", "saturday", "sunday"};
    int id = calendar.Require("service_id"), start = calendar.Require("start_date"),
        end = calendar.Require("end_date");
    while (calendar.Next()) {
      std::set<int>& days = serviceDays[std::string(calendar.Field(id))];
      for (int d = Day(calendar.Field(start)); d <= Day(calendar.Field(end)); ++d)
        if (calendar.Field(calendar.Require(names[(d + 7) % 7])) == "1") days.insert(d);
    }
    text = *feed.Read("calendar_dates.txt");
    CsvReader dates(text, "calendar_dates.txt");
    int sid = dates.Require("service_id"), date = dates.Require("date"),
        type = dates.Require("exception_type");
    while (dates.Next()) {
      std::set<int>& days = serviceDays[std::string(dates.Field(sid))];
      if (dates.Field(type) == "1")
        days.insert(Day(dates.Field(date)));
      else
        days.erase(Day(dates.Field(date)));
    }
    text = *feed.Read("trips.txt");
    CsvReader trips(text, "trips.txt");
    int trip = trips.Require("trip_id"), service = trips.Require("service_id");
    while (trips.Next()) serviceOf[std::string(trips.Field(trip))] = trips.Field(service);
    text = *feed.Read("stop_times.txt");
    CsvReader times(text, "stop_times.txt");
    int tid = times.Require("trip_id"), stop = times.Require("stop_id"),
        seq = times.Require("stop_sequence"), dep = times.Require("departure_time");
    while (times.Next())
      stopsOf[std::string(times.Field(tid))].push_back({std::stoi(std::string(times.Field(seq))),
                                                        std::string(times.Field(stop)),
                                                        Minutes(times.Field(dep))});
    for (auto& [id, stops] : stopsOf)
      std::sort(stops.begin(), stops.end(),
                [](FeedStop const& a, FeedStop const& b) { return a.sequence < b.sequence; });
  }
};

class PlzenStopTimetables : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kFeed)) GTEST_SKIP() << "the Plzeň feed is absent: " << kFeed;
  }
  void TearDown() override { QoCloseData(); }
};

TEST_F(PlzenStopTimetables, DayGroupsListEveryDepartureOfTheirDaysAndNoOther) {
  ImportResult import = ImportFeed(kFeed);
  std::string path =
      (std::filesystem::temp_directory_path() / "qo-plzen-stop-timetables.qo").string();
  writer::SaveFile(path, writer::WriteTimetable(import.model, import.options).bytes);
  char const* paths[] = {path.c_str()};
  ASSERT_EQ(QoInit2(paths, 1, nullptr), 1);
  TimetableRecord& t = *TimetableAt(0);
  std::unique_ptr<FeedFiles> feed = OpenFeed(kFeed);
  FeedTables tables(*feed);
  std::unordered_map<std::string, int> station;
  for (uint32_t s = 0; s < t.StationCount; ++s)
    station[import.station_ids[s]] = static_cast<int>(s);

  const int monday = writer::DayNumberOf(2026, 3, 2);
  int* lines = nullptr;
  const int lineCount = QoLineTrains(0, kAll, &lines);
  ASSERT_GT(lineCount, 10);
  const std::vector<int> firsts(lines, lines + lineCount);
  int checked = 0;
  for (size_t l = 0; l < firsts.size(); l += 4) {
    const int first = firsts[l];
    int* counts = nullptr;
    int** stations = nullptr;
    const int directions =
        QoLineDirections(0, kAll, first, 4, 3, 2026, 1, &counts, &stations, nullptr);
    for (int d = 0; d < std::min(directions, 2); ++d) {
      const std::vector<int> R(stations[d], stations[d] + counts[d]);
      for (int s = 1; s + 1 < static_cast<int>(R.size());
           s += std::max<int>(1, static_cast<int>(R.size()) / 3)) {
        const int P = R[static_cast<size_t>(s)];
        // Where a name around the stop comes again in the direction (a
        // loop), the stop timetable tells trips apart by where they come
        // from and go to; the sample keeps to plain stops.
        auto repeats = [&](int at) {
          return std::count_if(R.begin(), R.end(),
                               [&](int x) { return QoStationsEqual(0, x, at); }) > 1;
        };
        if (repeats(R[static_cast<size_t>(s) - 1]) || repeats(P) ||
            repeats(R[static_cast<size_t>(s) + 1]))
          continue;
        SCOPED_TRACE("line " + std::to_string(first) + " direction " + std::to_string(d) +
                     " stop " + std::to_string(s));
        int** hourCounts = nullptr;
        ZJRTIME_REC*** hours = nullptr;
        unsigned char* days = nullptr;
        int legend = 0, kind = 0;
        char const** codes = nullptr;
        char const** texts = nullptr;
        const int groups =
            QoZJRTimes(0, kAll, first, 0, 4, 3, 2026, 1, R.data(), static_cast<int>(R.size()), s, 0,
                       &hourCounts, &hours, &days, &legend, &codes, &texts, &kind);
        std::map<int, std::set<int>> listed;  // weekday -> minutes of the day
        for (int g = 0; g < groups; ++g)
          for (int j = 0; j < 7; ++j) {
            if (!(days[g] >> j & 1)) continue;
            EXPECT_FALSE(listed.count(j)) << "weekday " << j << " in two groups";
            std::set<int>& minutes = listed[j];
            for (int h = 0; h < 24; ++h)
              for (int i = 0; i < hourCounts[g][h]; ++i)
                minutes.insert(h * 60 + hours[g][h][i].minute);
          }
        // The feed's departures of the stop in the direction, per day.
        std::map<int, std::set<int>> expected;
        const uint32_t end = LineRunEnd(t, static_cast<uint32_t>(first));
        for (uint32_t trip = static_cast<uint32_t>(first); trip < end; ++trip) {
          std::string const& id = import.trip_ids[trip];
          std::vector<FeedStop> const& stops = tables.stopsOf.at(id);
          auto at = [&](size_t k) { return station.at(stops[k].stop); };
          for (size_t k = 0; k + 1 < stops.size(); ++k) {
            const bool here = at(k) == P || (QoStationsEqual(0, at(k), P) &&
                                             at(k + 1) == R[static_cast<size_t>(s) + 1]);
            if (!here || at(k + 1) == P) continue;
            bool onward = k > 0 && at(k - 1) == R[static_cast<size_t>(s) - 1];
            for (size_t i = static_cast<size_t>(s) + 1; i < R.size() && !onward && R[i] != P; ++i)
              onward = R[i] == at(k + 1);
            if (!onward) continue;
            const int minute = stops[k].departure;
            for (int j = 0; j < 7; ++j)
              if (tables.serviceDays.at(tables.serviceOf.at(id)).count(monday + j - minute / 1440))
                expected[j].insert(minute % 1440);
            break;
          }
        }
        for (int j = 0; j < 7; ++j) EXPECT_EQ(listed[j], expected[j]) << "weekday " << j;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 20);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace qo::gtfs
