#include "gtfs/gtfs_import.h"

#include <gtest/gtest.h>

#include <cmath>

#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "load/read_timetable.h"
#include "text/cp1250.h"
#include "tools/gtfs/gtfs_test_support.h"

namespace qo::gtfs {
namespace {

using testing::DecodeTrain;
using testing::FeedTables;
using testing::Word;
using writer::DayNumberOf;

// A small city network: a parent station with two stops, two stops of one
// name, a name Windows-1250 lacks a letter of, a tram and a night bus, a
// calendar with exceptions, trips past midnight (one leaving after 24:00),
// stops on request and with boarding limits, and transfers of every kind.
FeedTables SmallFeed() {
  return {
      {"agency.txt",
       "agency_id,agency_name,agency_url,agency_timezone\n"
       "DPZ,\"Dopravní podnik Zkušov, a.s.\",https://example.invalid,Europe/Prague\n"},
      {"stops.txt",
       "\xEF\xBB\xBFstop_name,stop_id,location_type,parent_station\r\n"
       "\"Náměstí Republiky\",P1,1,\r\n"
       "\"Náměstí Republiky\",100,0,P1\r\n"
       "\"Náměstí Republiky, nástupiště B\",101,0,P1\r\n"
       "\"Hlavní nádraží\",HN,0,\r\n"
       "Škoda,103,,\r\n"
       "Škoda,104,,\r\n"
       "Øresund,105,0,\r\n"},
      {"routes.txt",
       "route_id,agency_id,route_short_name,route_long_name,route_type\n"
       "R4,DPZ,4,\"Košutka - Dobřany\",0\n"
       "N1,DPZ,N1,,3\n"},
      {"calendar.txt",
       "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
       "WD,1,1,1,1,1,0,0,20260302,20260313\n"},
      {"calendar_dates.txt",
       "service_id,date,exception_type\n"
       "WD,20260304,2\n"
       "WD,20260307,1\n"
       "NIGHT,20260306,1\n"
       "NIGHT,20260307,1\n"},
      {"trips.txt",
       "route_id,service_id,trip_id,direction_id\n"
       "N1,NIGHT,T3,1\n"
       "R4,WD,T1,0\n"
       "N1,NIGHT,T2,1\n"},
      {"stop_times.txt",
       "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,drop_off_type\n"
       "T1,08:05:00,08:06:30,HN,2,,\n"  // line 2
       "T1,08:00:00,08:00:00,100,1,0,1\n"
       "T1,08:06:00,08:06:00,103,3,3,3\n"
       "T1,08:10:00,08:10:00,105,4,1,0\n"  // line 5
       "T2,23:50:00,23:50:00,HN,1,,\n"
       "T2,24:05:00,24:06:00,103,2,,\n"
       "T2,24:20:00,24:20:00,105,3,,\n"
       "T3,24:10:00,24:10:00,HN,1,,\n"
       "T3,24:30:00,24:30:00,104,2,,\n"},  // line 10
      {"transfers.txt",
       "from_stop_id,to_stop_id,transfer_type,min_transfer_time\n"
       "100,HN,2,120\n"
       "HN,100,2,90\n"
       "P1,103,2,61\n"
       "100,100,2,180\n"
       "103,104,3,\n"
       "105,HN,4,\n"},
  };
}

struct Read {
  ImportResult import;
  std::vector<uint8_t> bytes;
  TimetableRecord record;
};

std::unique_ptr<Read> ImportAndRead(std::string const& path) {
  auto out = std::make_unique<Read>();
  out->import = ImportFeed(path);
  out->bytes = writer::WriteTimetable(out->import.model, out->import.options).bytes;
  EXPECT_EQ(ReadTimetableBytes(out->bytes.data(), out->bytes.size(), &out->record), 0);
  return out;
}

std::set<int> Days(int year, int month, std::initializer_list<int> days) {
  std::set<int> out;
  for (int d : days) out.insert(DayNumberOf(year, month, d));
  return out;
}

TEST(GtfsImport, SmallFeedReadsBackAsTheFeedSays) {
  FeedTables feed = SmallFeed();
  auto folder = ImportAndRead(testing::WriteFeedFolder(feed, "small"));
  auto zip = ImportAndRead(testing::WriteFeedZip(feed, "small"));
  auto nested = ImportAndRead(testing::WriteFeedZip(feed, "nested", "plzen-2026"));
  EXPECT_EQ(folder->bytes, zip->bytes) << "a folder and a zip of the same feed differ";
  EXPECT_EQ(nested->bytes, zip->bytes) << "a zip whose files sit in a folder differs";
  TimetableRecord const& r = zip->record;

  // The timetable: city transport, valid from the first to the last day a
  // trip leaves, named by its agency.
  EXPECT_EQ(r.Kind, 3);
  EXPECT_EQ(r.FirstDay, DayNumberOf(2026, 3, 2));
  EXPECT_EQ(r.LastDay, DayNumberOf(2026, 3, 13));
  EXPECT_EQ(Cp1250ToUtf8(PoolString(r.NamePool, 0)), "Dopravní podnik Zkušov, a.s.");

  // Stations: stop ids as keys (the one that is no number numbered on),
  // names in Windows-1250, the one letter it lacks transliterated.
  ASSERT_EQ(r.StationCount, 6u);
  std::vector<std::string> names, ids = zip->import.station_ids;
  std::vector<int> keys, changeTimes;
  for (uint32_t s = 0; s < r.StationCount; ++s) {
    names.push_back(testing::StationName(r, s));
    keys.push_back(r.StationKeys[s]);
    changeTimes.push_back(r.DefaultChangeTimes[s]);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"100", "101", "HN", "103", "104", "105"}));
  EXPECT_EQ(names, (std::vector<std::string>{"Náměstí Republiky", "Náměstí Republiky, nástupiště B",
                                             "Hlavní nádraží", "Škoda", "Škoda", "Oresund"}));
  EXPECT_EQ(keys, (std::vector<int>{100, 101, 106, 103, 104, 105}));
  // The transfer from a stop to itself is its change time; the rest keep
  // the default.
  EXPECT_EQ(changeTimes, (std::vector<int>{3, 2, 2, 2, 2, 2}));

  // Places: the parent station's stops and the stops of one name are one
  // item each.
  ASSERT_EQ(r.VirtLists.size(), 1u);
  VirtListRecord const& list = r.VirtLists[0];
  EXPECT_EQ(list.Type, 2);
  std::vector<std::pair<std::string, std::vector<int>>> items;
  for (int32_t i = 0; i < list.ItemCount; ++i) {
    std::vector<int> stations;
    if (!list.ItemStationRanges.empty()) {
      for (int32_t k = list.ItemStationRanges[i]; k < list.ItemStationRanges[i + 1]; ++k) {
        stations.push_back(list.ItemStations[k]);
      }
    } else {
      stations.push_back(list.ItemStation[i]);
    }
    items.push_back({Cp1250ToUtf8(PoolString(list.Names[0], i + 1)), stations});
  }
  EXPECT_EQ(items,
            (std::vector<std::pair<std::string, std::vector<int>>>{{"Náměstí Republiky", {0, 1}},
                                                                   {"Hlavní nádraží", {2}},
                                                                   {"Škoda", {3, 4}},
                                                                   {"Oresund", {5}}}));

  // Trains by route, direction and departure; times from midnight of the
  // day they leave, the one leaving after 24:00 moved to the next day.
  ASSERT_EQ(r.TrainCount, 3u);
  EXPECT_EQ(zip->import.trip_ids, (std::vector<std::string>{"T1", "T2", "T3"}));
  EXPECT_EQ(DecodeTrain(r, 0),
            (std::vector<Word>{
                {0, 480, 0x1000}, {2, 485, 0}, {2, 486, 0}, {3, 486, 0x8000}, {5, 490, 0x4000}}));
  EXPECT_EQ(DecodeTrain(r, 1),
            (std::vector<Word>{{2, 1430, 0}, {3, 1445, 0}, {3, 1446, 0}, {5, 1460, 0}}));
  EXPECT_EQ(DecodeTrain(r, 2), (std::vector<Word>{{2, 10, 0}, {4, 30, 0}}));
  EXPECT_EQ(testing::RunningDays(r, 0), Days(2026, 3, {2, 3, 5, 6, 7, 9, 10, 11, 12, 13}));
  EXPECT_EQ(testing::RunningDays(r, 1), Days(2026, 3, {6, 7}));
  EXPECT_EQ(testing::RunningDays(r, 2), Days(2026, 3, {7, 8}));
  EXPECT_EQ(testing::TrainNumber(r, 0), "4");
  EXPECT_EQ(testing::TrainNumber(r, 2), "N1");
  EXPECT_EQ(Cp1250ToUtf8(PoolString(r.TrainTypeNames[0], 0)), "Tram");
  EXPECT_EQ(Cp1250ToUtf8(PoolString(r.TrainTypeNames[0], 1)), "Bus");
  EXPECT_EQ(r.TrainTypeWords[0], 1u);
  EXPECT_EQ(r.TrainTypeWords[2], 2u);
  EXPECT_EQ(r.TrainLines[0], 0);
  EXPECT_EQ(r.TrainLines[1], 1);
  EXPECT_EQ(Cp1250ToUtf8(PoolString(r.LinePools[0], 0)), "Košutka - Dobřany");
  EXPECT_EQ(Cp1250ToUtf8(PoolString(r.OwnerPools[0], 0)), "Dopravní podnik Zkušov, a.s.");

  // The stop on request carries its note.
  ASSERT_EQ(r.TrainStationRemarks.size(), 1);
  EXPECT_EQ(r.TrainStationRemarks.Field<int32_t>(0, 0), 0);
  EXPECT_EQ(r.TrainStationRemarks.Field<uint16_t>(0, 4), 3);
  EXPECT_EQ(r.TrainStationRemarks.Field<uint8_t>(0, 6), 'x');

  // Walking links with whole minutes, a parent station standing for its
  // stops, and a transfer that is not possible switched off.
  std::set<std::tuple<int, int, int>> links;
  for (uint32_t s = 0; s < r.StationCount; ++s) {
    for (int k = r.TransferOffsets[s]; k < r.TransferOffsets[s + 1]; ++k) {
      links.insert({s, r.TransferStations[k], r.TransferValues[k]});
    }
  }
  EXPECT_EQ(links, (std::set<std::tuple<int, int, int>>{
                       {0, 2, 2}, {2, 0, 2}, {0, 3, 2}, {1, 3, 2}, {3, 4, -1}}));

  // What was repaired or left out is counted.
  EXPECT_EQ(zip->import.WarningCount(), 2u);
  ASSERT_EQ(zip->import.warnings.size(), 2u);
  EXPECT_EQ(
      zip->import.warnings[0].text,
      "stops.txt:8: stop_name 'Øresund' has characters that Windows-1250 lacks, written 'Oresund'");
  EXPECT_EQ(zip->import.warnings[1].text,
            "transfers.txt:7: a transfer between particular trips or routes (left out)");
}

// What the import repairs: it warns and goes on.
TEST(GtfsImport, RepairsAreCountedAndKeepTheTrip) {
  FeedTables feed = SmallFeed();
  std::string& times = feed["stop_times.txt"];
  times.replace(times.find("T1,08:05:00,08:06:30"), 20, "T1,,");  // no times at HN
  times += "T1,08:10:00,08:11:00,105,5,,\n";                      // 105 twice in a row
  times += "T4,09:00:00,09:00:00,100,1,,\n";                      // one stop only
  feed["trips.txt"] += "R4,WD,T4,0\n";
  ImportResult result = ImportFeed(testing::WriteFeedFolder(feed, "repairs"));
  ASSERT_EQ(result.model.trains.size(), 3u);
  writer::Train const& t1 = result.model.trains[0];
  ASSERT_EQ(t1.stops.size(), 5u);
  EXPECT_EQ(t1.stops[1].arrival, 483);  // evenly between 8:00 and 8:06
  EXPECT_EQ(t1.stops[4].station, t1.stops[3].station);
  std::vector<std::string> texts;
  for (Warning const& w : result.warnings) texts.push_back(w.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{
                "stops.txt:8: stop_name 'Øresund' has characters that Windows-1250 lacks, "
                "written 'Oresund'",
                "stop_times.txt:2: trip 'T1' has stops without times (timed between their "
                "neighbours)",
                "stop_times.txt:11: trip 'T1' calls at '105' twice in a row (kept)",
                "trips.txt:5: trip 'T4' has fewer than two stop times (left out)",
                "transfers.txt:7: a transfer between particular trips or routes (left out)"}));
  // The repaired feed still writes and loads.
  std::vector<uint8_t> bytes = writer::WriteTimetable(result.model, result.options).bytes;
  TimetableRecord record;
  EXPECT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);
}

// Stops with a position get their point on the map, in the plane of the
// sample maps; a stop without one, or with a broken one, has none.
TEST(GtfsImport, StopPositionsGiveTheMap) {
  FeedTables feed = SmallFeed();
  feed["stops.txt"] =
      "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station\n"
      "P1,\"Náměstí Republiky\",49.7475,13.3776,1,\n"
      "100,\"Náměstí Republiky\",49.7475,13.3776,0,P1\n"
      "101,\"Náměstí Republiky, nástupiště B\",49.7575,13.3776,0,P1\n"
      "HN,\"Hlavní nádraží\",,,0,\n"
      "103,Škoda,north,13.5,,\n"
      "104,Škoda,49.7475,13.3876,,\n"
      "105,Øresund,49.70,13.30,0,\n";
  ImportResult result = ImportFeed(testing::WriteFeedFolder(feed, "positions"));
  EXPECT_EQ(result.model.extension_names, std::vector<std::string>{".gis"});
  std::map<int32_t, writer::GisPoint> points;
  for (writer::GisPoint const& p : result.map.station_points) points[p.key] = p;
  ASSERT_EQ(points.size(), 4u);  // 100, 101, 104, 105 (HN and 103 have none)
  EXPECT_FALSE(points.count(103));
  // The map keeps the S-JTSK plane negated; 0.01 degrees of latitude are
  // about 1112 m, 0.01 degrees of longitude here about 720 m.
  writer::GisPoint a = points[100], north = points[101], east = points[104];
  EXPECT_LT(a.x, 0);
  EXPECT_LT(a.y, 0);
  EXPECT_NEAR(std::hypot(north.x - a.x, north.y - a.y), 1112, 15);
  EXPECT_NEAR(std::hypot(east.x - a.x, east.y - a.y), 720, 15);
  EXPECT_TRUE(std::is_sorted(result.map.station_points.begin(), result.map.station_points.end(),
                             [](auto const& x, auto const& y) { return x.key < y.key; }));
  ASSERT_FALSE(result.warnings.empty());
  EXPECT_EQ(result.warnings[0].text,
            "stops.txt:6: stop position 'north', '13.5' is no latitude and longitude; the stop "
            "has no point on the map");

  // Without positions the timetable names no map.
  EXPECT_TRUE(ImportFeed(testing::WriteFeedFolder(SmallFeed(), "no-positions"))
                  .model.extension_names.empty());
}

// The kind follows the vehicles; each kind of vehicle is one train type.
TEST(GtfsImport, RouteTypesGiveTheKindAndTheTrainTypes) {
  struct Case {
    char const* tram;  // route_type of R4
    char const* bus;   // route_type of N1
    int kind;
    std::vector<std::string> types;
  };
  const Case cases[] = {
      {"0", "11", 3, {"Tram", "Trol"}},
      {"900", "715", 3, {"Tram", "Bus"}},  // extended types
      {"1", "7", 3, {"Metro", "Lan"}},
      {"2", "3", 1, {"Bus", "Vlak"}},
      {"106", "1100", 1, {"Vlak", "Let"}},
      {"1100", "1102", 4, {"Let"}},
      {"4", "3", 2, {"Bus", "Loď"}},
      {"200", "3", 2, {"Bus", "DBus"}},   // coach and city bus apart
      {"0", "9999", 3, {"Tram", "Bus"}},  // unknown: a bus, with a warning
  };
  for (Case const& c : cases) {
    FeedTables feed = SmallFeed();
    std::string& routes = feed["routes.txt"];
    std::string const tram = "Dobřany\",0", bus = ",3\n";
    routes.replace(routes.find(tram), tram.size(), "Dobřany\"," + std::string(c.tram));
    routes.replace(routes.rfind(bus), bus.size(), "," + std::string(c.bus) + "\n");
    ImportResult result = ImportFeed(testing::WriteFeedFolder(feed, "kinds"));
    std::vector<std::string> types;
    for (writer::TrainType const& t : result.model.train_types) types.push_back(t.abbreviation[0]);
    EXPECT_EQ(result.model.kind, c.kind) << c.tram << " " << c.bus;
    EXPECT_EQ(types, c.types) << c.tram << " " << c.bus;
    EXPECT_EQ(result.WarningCount(), std::string(c.bus) == "9999" ? 3u : 2u);
  }
}

TEST(GtfsImport, BrokenFeedsNameTheFileAndLine) {
  struct Case {
    char const* file;
    char const* from;  // replaced in the file; nullptr drops the file (or the two)
    char const* to;
    char const* error;  // a part of the message
  };
  const Case cases[] = {
      {"stops.txt", nullptr, nullptr, ": missing required file stops.txt"},
      {"calendar.txt calendar_dates.txt", nullptr, nullptr,
       ": missing required file calendar.txt (or calendar_dates.txt)"},
      {"stop_times.txt", "stop_sequence", "seq",
       "stop_times.txt:1: missing required column stop_sequence"},
      {"stop_times.txt", "T2,24:05:00,24:06:00,103", "T2,24:05:00,24:06:00,ZZ",
       "stop_times.txt:7: unknown stop 'ZZ'"},
      {"stop_times.txt", "T2,24:05:00,24:06:00,103", "T2,24:05:00,24:06:00,P1",
       "stop_times.txt:7: stop 'P1' is not a stop but location_type 1"},
      {"stop_times.txt", "08:00:00,08:00:00", "8h00,8h00",
       "stop_times.txt:3: arrival_time '8h00' is not a time H:MM:SS"},
      {"trips.txt", "R4,WD,T1", "R9,WD,T1", "trips.txt:3: unknown route 'R9'"},
      {"trips.txt", "R4,WD,T1", "R4,XX,T1", "trips.txt:3: unknown service 'XX'"},
      {"stops.txt", "Škoda,104", "Škoda,103", "stops.txt:7: stop '103' is listed twice"},
      {"stops.txt", ",100,0,P1", ",100,0,P9",
       "stops.txt:3: parent_station 'P9' is not a station (location_type 1)"},
      {"calendar_dates.txt", "WD,20260304,2", "WD,20260231,2",
       "calendar_dates.txt:2: date '20260231' is not a date YYYYMMDD"},
      {"transfers.txt", "100,HN,2,120", "100,XX,2,120", "transfers.txt:2: unknown stop 'XX'"},
      {"routes.txt", "\"Košutka - Dobřany\",0", "\"Košutka - Dobřany,0",
       "routes.txt:2: a quoted field is not closed"},
  };
  for (Case const& c : cases) {
    FeedTables feed = SmallFeed();
    if (!c.from) {
      std::string files = c.file;
      feed.erase(files.substr(0, files.find(' ')));
      if (files.find(' ') != std::string::npos) feed.erase(files.substr(files.find(' ') + 1));
    } else {
      std::string& text = feed[c.file];
      size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos) << c.from;
      text.replace(at, std::string(c.from).size(), c.to);
    }
    std::string expected = c.error;
    try {
      ImportFeed(testing::WriteFeedFolder(feed, "broken"));
      ADD_FAILURE() << "no error for " << expected;
    } catch (FeedError const& e) {
      EXPECT_NE(std::string(e.what()).find(expected), std::string::npos)
          << e.what() << "\n  expected: " << expected;
    }
  }
  EXPECT_THROW(ImportFeed("/nonexistent/feed.zip"), FeedError);
}

// A stop as station, arrival, departure and flags.
using StopTuple = std::tuple<int, int, int, int>;

// The stops, times and running days of each trip, by trip id.
std::map<std::string, std::pair<std::vector<StopTuple>, std::vector<uint16_t>>> TripsOf(
    ImportResult const& r) {
  std::map<std::string, std::pair<std::vector<StopTuple>, std::vector<uint16_t>>> out;
  for (size_t t = 0; t < r.model.trains.size(); ++t) {
    writer::Train const& train = r.model.trains[t];
    std::vector<uint16_t> days;
    if (train.calendar >= 0) {
      days = r.model.calendars[train.calendar].days;
    } else {
      for (int d = r.model.first_day; d <= r.model.last_day; ++d) days.push_back(d);
    }
    std::vector<StopTuple> stops;
    for (writer::Stop const& s : train.stops)
      stops.emplace_back(s.station, s.arrival, s.departure, s.flags);
    out[r.trip_ids[t]] = {stops, days};
  }
  return out;
}

// A trip the timetable cannot state is left out with a warning that names
// it, its stop and the reason; the other trips import as they are, and
// --strict refuses the feed instead.
TEST(GtfsImport, TripsThatCannotBeStoredAreLeftOut) {
  // T5: 80 stops eleven hours apart, a run of 36 days.
  std::string longRun;
  for (int i = 0; i < 80; ++i) {
    char row[64];
    std::snprintf(row, sizeof row, "T5,%d:00:00,%d:00:00,%s,%d,,\n", 8 + 11 * i, 8 + 11 * i,
                  i % 2 ? "HN" : "105", i + 1);
    longRun += row;
  }
  struct Case {
    char const* from;  // replaced in stop_times.txt; nullptr: T5 added
    char const* to;
    char const* trip;
    char const* reason;
    char const* warning;
  };
  const Case cases[] = {
      {"08:10:00,08:10:00", "08:04:00,08:04:00", "T1", "times go backwards",
       "stop_times.txt:5: trip 'T1': times go backwards at stop '105' (8:04 after the departure "
       "8:06 before it) (left out)"},
      {"T2,24:05:00,24:06:00", "T2,24:05:00,24:04:00", "T2", "times go backwards",
       "stop_times.txt:7: trip 'T2': at stop '103' the departure 24:04 lies before the arrival "
       "24:05 (left out)"},
      {"T1,08:00:00,08:00:00", "T1,,", "T1", "no time at an end",
       "stop_times.txt:3: trip 'T1': its first stop, stop '100', has no time (left out)"},
      {"103,3,3,3", "103,2,3,3", "T1", "a stop_sequence repeated",
       "stop_times.txt:4: trip 'T1': stop_sequence 2 is given twice (stop '103') (left out)"},
      {"T1,08:10:00,08:10:00", "T1,45:00:00,45:00:00", "T1", "more than 12 hours between two stops",
       "stop_times.txt:5: trip 'T1': at stop '105': too long after the previous stop: the file "
       "cannot express the days (left out)"},
      {nullptr, nullptr, "T5", "runs too long for the format",
       "stop_times.txt:81: trip 'T5': at stop '105': more than 31 days after the first "
       "departure (left out)"},
  };
  ImportResult whole = ImportFeed(testing::WriteFeedFolder(SmallFeed(), "whole"));
  auto expected = TripsOf(whole);
  for (Case const& c : cases) {
    SCOPED_TRACE(c.warning);
    FeedTables feed = SmallFeed();
    std::string& times = feed["stop_times.txt"];
    if (c.from) {
      times.replace(times.find(c.from), std::string(c.from).size(), c.to);
    } else {
      times += longRun;
      feed["trips.txt"] += "N1,WD,T5,0\n";
    }
    std::string folder = testing::WriteFeedFolder(feed, "left-out");
    ImportResult r = ImportFeed(folder);
    std::vector<std::string> texts;
    for (Warning const& w : r.warnings)
      if (!w.left_out.empty()) texts.push_back(w.text);
    EXPECT_EQ(texts, std::vector<std::string>{c.warning});
    EXPECT_EQ(r.LeftOut(), (std::vector<std::pair<std::string, size_t>>{{c.reason, 1}}));
    auto kept = TripsOf(r);
    auto others = expected;
    others.erase(c.trip);
    EXPECT_EQ(kept, others);
    // The file is written and loads.
    std::vector<uint8_t> bytes = writer::WriteTimetable(r.model, r.options).bytes;
    TimetableRecord record;
    EXPECT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);

    ImportOptions strict;
    strict.strict = true;
    try {
      ImportFeed(folder, strict);
      ADD_FAILURE() << "--strict took the feed";
    } catch (FeedError const& e) {
      // The first warning of the feed refuses it: the transliterated name.
      EXPECT_NE(std::string(e.what()).find("(refused: --strict)"), std::string::npos);
    }
  }
}

// Feeds as operators publish them.
TEST(GtfsImport, FeedsAsPublished) {
  // Trips of frequencies.txt, with exact times and without; entrances and
  // boarding areas that are no stations; a trip timed by the distance it
  // travels; a feed without calendar.txt whose feed_info cuts the validity;
  // a transfer time near INT_MAX.
  FeedTables feed = SmallFeed();
  feed["stops.txt"] +=
      "Vchod,E1,2,P1\r\n"
      "Uzel,N1,3,P1\r\n"
      "Nástupní plocha,B1,4,P1\r\n";
  feed["trips.txt"] += "R4,WD,F1,0\nR4,WD,F2,0\nR4,WD,D1,0\n";
  feed["stop_times.txt"] +=
      "F1,06:00:00,06:00:00,100,1,,\n"
      "F1,06:10:00,06:10:00,105,2,,\n"
      "F2,05:00:00,05:00:00,HN,1,,\n"
      "F2,05:05:00,05:05:00,104,2,,\n";
  feed["frequencies.txt"] =
      "trip_id,start_time,end_time,headway_secs,exact_times\n"
      "F1,07:00:00,08:00:00,1200,1\n"  // 7:00, 7:20, 7:40
      "F2,22:30:00,23:30:00,1800,0\n"  // 22:30, 23:00
      "F2,23:45:00,24:15:00,900,\n";   // 23:45, 24:00
  std::string& times = feed["stop_times.txt"];
  times.replace(0, times.find('\n'),
                "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,"
                "drop_off_type,shape_dist_traveled");
  times +=
      "D1,10:00:00,10:00:00,100,1,,,0\n"
      "D1,,,101,2,,,900\n"
      "D1,,,HN,3,,,1000\n"
      "D1,10:20:00,10:20:00,103,4,,,4000\n";
  feed.erase("calendar.txt");
  feed["calendar_dates.txt"] += "WD,20260302,1\nWD,20260303,1\nWD,20260305,1\n";
  feed["feed_info.txt"] =
      "feed_publisher_name,feed_publisher_url,feed_lang,feed_start_date,feed_end_date\n"
      "Z,https://example.invalid,cs,20260303,20260306\n";
  feed["transfers.txt"] += "101,HN,2,2147483647\n";
  ImportResult r = ImportFeed(testing::WriteFeedFolder(feed, "published"));

  EXPECT_EQ(r.model.stations.size(), 6u);  // no station for E1, N1, B1
  EXPECT_EQ(r.model.first_day, DayNumberOf(2026, 3, 3));
  EXPECT_EQ(r.model.last_day, DayNumberOf(2026, 3, 6));
  std::map<std::string, int> departures;
  for (size_t t = 0; t < r.model.trains.size(); ++t)
    departures[r.trip_ids[t]] = r.model.trains[t].stops.front().departure;
  EXPECT_EQ(departures, (std::map<std::string, int>{{"D1", 600},
                                                    {"F1@7:00", 420},
                                                    {"F1@7:20", 440},
                                                    {"F1@7:40", 460},
                                                    {"F2@22:30", 1350},
                                                    {"F2@23:00", 1380},
                                                    {"F2@23:45", 1425},
                                                    {"F2@24:00", 0},
                                                    {"T1", 480},
                                                    {"T2", 1430}}));  // T3 runs after the validity
  auto trips = TripsOf(r);
  // 10 of 20 minutes by 900 and 1000 of 4000 metres: 10:04 and 10:05.
  std::vector<StopTuple> const& d1 = trips["D1"].first;
  ASSERT_EQ(d1.size(), 4u);
  EXPECT_EQ(std::get<1>(d1[1]), 604);
  EXPECT_EQ(std::get<1>(d1[2]), 605);
  EXPECT_EQ(std::get<1>(trips["F1@7:20"].first.back()), 450);
  // Only calendar_dates.txt: the working-day service is its added dates.
  EXPECT_EQ(trips["T1"].second,
            (std::vector<uint16_t>{DayNumberOf(2026, 3, 3), DayNumberOf(2026, 3, 5)}));
  // The transfer time is cut, not overflowed.
  ASSERT_EQ(r.model.transfers.size(), 6u);
  EXPECT_EQ(r.model.transfers.back().minutes, 127);
}

TEST(GtfsImport, MoreStopsThanATimetableIndexesAreRefused) {
  FeedTables feed = SmallFeed();
  std::string& stops = feed["stops.txt"];
  for (int i = 0; i < 65536; ++i)
    stops += "S" + std::to_string(i) + ",X" + std::to_string(i) + ",0,\r\n";
  try {
    ImportFeed(testing::WriteFeedFolder(feed, "many-stops"));
    ADD_FAILURE() << "no error";
  } catch (FeedError const& e) {
    EXPECT_NE(std::string(e.what()).find("the feed has more than 65535 stops (location_type 0), "
                                         "more than a timetable can index"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace qo::gtfs
