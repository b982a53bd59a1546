// The real feed of Plzeň's city transport, checked against its own tables:
// every trip's stops, times and stop flags and every trip's running days
// must come back from the written file exactly. The expectations are read
// from the feed's CSV tables here, apart from the import's own mapping.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <unordered_map>

#include "gtfs/csv_reader.h"
#include "gtfs/feed_files.h"
#include "gtfs/gtfs_import.h"
#include "load/read_timetable.h"
#include "tools/gtfs/gtfs_test_support.h"
#include "trains/train_stops.h"
#include "writer/timetable_model.h"

namespace qo::gtfs {
namespace {

using testing::Word;
using writer::DayNumberOf;

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";

int Minutes(std::string_view hms) {
  int h = 0, m = 0, s = 0;
  EXPECT_EQ(std::sscanf(std::string(hms).c_str(), "%d:%d:%d", &h, &m, &s), 3) << hms;
  return h * 60 + m;
}

int Day(std::string_view yyyymmdd) {
  int v = std::stoi(std::string(yyyymmdd));
  return DayNumberOf(v / 10000, v / 100 % 100, v % 100);
}

struct ExpectedStop {
  int sequence;
  std::string stop;
  int arrival, departure;
  uint16_t flags;
};

class PlzenFeed : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kFeed)) GTEST_SKIP() << "the Plzeň feed is absent: " << kFeed;
  }
};

TEST_F(PlzenFeed, ImportsAndReadsBackTripByTrip) {
  ImportResult import = ImportFeed(kFeed);
  std::vector<uint8_t> bytes = writer::WriteTimetable(import.model, import.options).bytes;
  TimetableRecord r;
  ASSERT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &r), 0);

  EXPECT_EQ(r.Kind, 3);
  EXPECT_EQ(r.StationCount, 710u);
  EXPECT_EQ(r.TrainCount, 7942u);
  EXPECT_EQ(r.TransferStations.size(), 609);
  EXPECT_EQ(r.FirstDay, DayNumberOf(2026, 2, 9));
  EXPECT_EQ(r.LastDay, DayNumberOf(2026, 8, 12));
  EXPECT_EQ(import.WarningCount(), 0u);
  ASSERT_EQ(r.VirtLists.size(), 1u);
  EXPECT_EQ(r.VirtLists[0].ItemCount, 325);  // stop names

  // A few stops as the feed names them.
  std::unordered_map<std::string, uint32_t> station;
  for (uint32_t s = 0; s < r.StationCount; ++s) station[import.station_ids[s]] = s;
  struct KnownStop {
    char const* id;
    char const* name;
  };
  for (KnownStop k : {KnownStop{"27", "Anglické nábřeží"}, KnownStop{"712", "K Řečišti"},
                      KnownStop{"450", "Nad Úhlavou"}}) {
    ASSERT_TRUE(station.count(k.id)) << k.id;
    EXPECT_EQ(testing::StationName(r, station[k.id]), k.name) << k.id;
    EXPECT_EQ(r.StationKeys[station[k.id]], std::stoi(k.id));
  }

  // The feed's own tables.
  std::unique_ptr<FeedFiles> feed = OpenFeed(kFeed);
  std::map<std::string, std::set<int>> serviceDays;
  {
    std::string text = *feed->Read("calendar.txt");
    CsvReader csv(text, "calendar.txt");
    char const* names[] = {"monday", "tuesday",  "wednesday", "thursday",
                           "friday", "saturday", "sunday"};
    int id = csv.Require("service_id"), start = csv.Require("start_date"),
        end = csv.Require("end_date");
    while (csv.Next()) {
      std::set<int>& days = serviceDays[std::string(csv.Field(id))];
      for (int d = Day(csv.Field(start)); d <= Day(csv.Field(end)); ++d) {
        int monday0 = (d + 6) % 7;  // 1 January 1900 was a Monday
        if (csv.Field(csv.Require(names[monday0])) == "1") days.insert(d);
      }
    }
  }
  {
    std::string text = *feed->Read("calendar_dates.txt");
    CsvReader csv(text, "calendar_dates.txt");
    int id = csv.Require("service_id"), date = csv.Require("date"),
        type = csv.Require("exception_type");
    while (csv.Next()) {
      std::set<int>& days = serviceDays[std::string(csv.Field(id))];
      if (csv.Field(type) == "1")
        days.insert(Day(csv.Field(date)));
      else
        days.erase(Day(csv.Field(date)));
    }
  }
  std::unordered_map<std::string, std::string> serviceOf;
  {
    std::string text = *feed->Read("trips.txt");
    CsvReader csv(text, "trips.txt");
    int trip = csv.Require("trip_id"), service = csv.Require("service_id");
    while (csv.Next()) serviceOf[std::string(csv.Field(trip))] = csv.Field(service);
  }
  std::unordered_map<std::string, std::vector<ExpectedStop>> stopsOf;
  {
    std::string text = *feed->Read("stop_times.txt");
    CsvReader csv(text, "stop_times.txt");
    int trip = csv.Require("trip_id"), stop = csv.Require("stop_id"),
        seq = csv.Require("stop_sequence");
    int arr = csv.Require("arrival_time"), dep = csv.Require("departure_time");
    int pickup = csv.Require("pickup_type"), dropOff = csv.Require("drop_off_type");
    while (csv.Next()) {
      uint16_t flags =
          (csv.Field(pickup) == "1" ? 0x4000 : 0) | (csv.Field(dropOff) == "1" ? 0x1000 : 0);
      if (csv.Field(pickup) >= "2" || csv.Field(dropOff) >= "2") flags |= 0x8000;
      stopsOf[std::string(csv.Field(trip))].push_back(
          {std::stoi(std::string(csv.Field(seq))), std::string(csv.Field(stop)),
           Minutes(csv.Field(arr)), Minutes(csv.Field(dep)), flags});
    }
  }
  EXPECT_EQ(stopsOf.size(), 7942u);

  // Every trip: its stop words and its days. A trip leaving after 24:00
  // counts its times, and its days, from the next day.
  ASSERT_EQ(import.trip_ids.size(), r.TrainCount);
  std::set<std::string> seen;
  int pastMidnight = 0;
  for (uint32_t t = 0; t < r.TrainCount; ++t) {
    std::string const& id = import.trip_ids[t];
    SCOPED_TRACE("trip " + id);
    ASSERT_TRUE(seen.insert(id).second);
    std::vector<ExpectedStop> stops = stopsOf[id];
    std::sort(stops.begin(), stops.end(),
              [](ExpectedStop const& a, ExpectedStop const& b) { return a.sequence < b.sequence; });
    int shift = stops.front().departure / 1440;
    pastMidnight += stops.back().arrival >= 1440 && shift == 0;
    std::vector<Word> expected;
    for (size_t i = 0; i < stops.size(); ++i) {
      ExpectedStop const& s = stops[i];
      uint16_t at = static_cast<uint16_t>(station.at(s.stop));
      if (i > 0) expected.push_back({at, s.arrival - shift * 1440, s.flags});
      if (i + 1 < stops.size() && (i == 0 || s.departure != s.arrival)) {
        expected.push_back({at, s.departure - shift * 1440, s.flags});
      }
    }
    ASSERT_EQ(testing::DecodeTrain(r, t), expected);
    // The kernel's own decoding, shared patterns and all, gives the same.
    StopList decoded = DecodeTrainStops(r, t);
    std::vector<Word> kernel;
    int day = 0;
    for (int32_t i = 0; i < decoded.count; ++i) {
      day += GetStopDayStep(r, decoded, i);
      kernel.push_back({decoded.Station(i), decoded.Minute(i) + 1440 * day,
                        static_cast<uint16_t>(decoded.Time(i) & kStopKeptFlags)});
    }
    ASSERT_EQ(kernel, expected);
    std::set<int> days;
    for (int d : serviceDays.at(serviceOf.at(id))) days.insert(d + shift);
    ASSERT_EQ(testing::RunningDays(r, t), days);
  }
  // The notes of stops on request cover exactly the stops flagged so (rows
  // of a train range end with the row of their last train).
  std::set<std::pair<uint32_t, uint16_t>> flagged, noted;
  for (uint32_t t = 0; t < r.TrainCount; ++t) {
    for (Word const& w : testing::DecodeTrain(r, t)) {
      if (w.flags & 0x8000) flagged.insert({t, w.station});
    }
  }
  RecordArray const& rows = r.TrainStationRemarks;
  for (int32_t i = 0; i < rows.size(); ++i) {
    int32_t train = rows.Field<int32_t>(i, 0);
    uint16_t at = rows.Field<uint16_t>(i, 4);
    int32_t last = train;
    if (train >= 0x40000000) {
      train -= 0x40000000;
      last = rows.Field<int32_t>(++i, 0);
    }
    for (int32_t t = train; t <= last; ++t) noted.insert({static_cast<uint32_t>(t), at});
  }
  EXPECT_EQ(noted, flagged);
  EXPECT_FALSE(flagged.empty());

  // The feed has trips that run past midnight; the test must have met them.
  EXPECT_GT(pastMidnight, 0);
}

}  // namespace
}  // namespace qo::gtfs
