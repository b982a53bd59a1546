// Station event lists built at load against the lists the writer stores.
#include "trains/station_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

w::TimetableModel RailModel() {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);
  m.trains = {
      // Crosses midnight; waits at station 1 (two words there).
      {.stops = {{.station = 0, .departure = 1410},
                 {.station = 1, .arrival = 1435, .departure = 1445},
                 {.station = 2, .arrival = 1500}}},
      // Equal to the next one up to a shift in time: a shared pattern.
      {.stops = {{.station = 3, .departure = 600},
                 {.station = 2, .arrival = 630, .departure = 631},
                 {.station = 0, .arrival = 700}}},
      {.stops = {{.station = 3, .departure = 1425},
                 {.station = 2, .arrival = 1455, .departure = 1456},
                 {.station = 0, .arrival = 1525}}},
      // Ends at exactly midnight.
      {.stops = {{.station = 1, .departure = 1400}, {.station = 3, .arrival = 1440}}},
  };
  return m;
}

w::TimetableModel AirModel() {
  w::TimetableModel m = SmallModel(2, 4, 0, 3);
  m.stations[1].time_shift = 120;
  m.stations[2].time_shift = -300;
  m.trains = {
      {.stops = {{.station = 0, .departure = 1380}, {.station = 1, .arrival = 1530}}},
      {.stops = {{.station = 1, .departure = 60}, {.station = 2, .arrival = 200}}},
      {.stops = {{.station = 2, .departure = 1300}, {.station = 0, .arrival = 1700}}},
  };
  return m;
}

std::vector<uint8_t> EventBytes(TimetableRecord const& t) {
  uint8_t const* begin = t.StationEvents.At(0);
  return std::vector<uint8_t>(begin, begin + t.StationEvents.bytes());
}

std::vector<uint16_t> TypeWords(TimetableRecord const& t) {
  std::vector<uint16_t> words;
  for (int32_t s = 0; s < t.StationTypes.size(); ++s) words.push_back(t.StationTypes[s]);
  return words;
}

using StationIndex = LoadingTest;

TEST_F(StationIndex, BuiltListsEqualTheStoredOnes) {
  struct Case {
    char const* name;
    w::TimetableModel model;
    bool share;
  };
  const Case cases[] = {
      {"rail", RailModel(), false},
      {"rail with shared stop patterns", RailModel(), true},
      {"air across time zones", AirModel(), false},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    std::string stored = dir_.Write("stored.qo", c.model, {.share_stop_patterns = c.share});
    std::string built = dir_.Write("built.qo", c.model,
                                   {.share_stop_patterns = c.share, .write_station_events = false});
    ASSERT_EQ(Load({stored, built}), 2);
    TimetableRecord const& a = At(0).EventsBuilt ? At(1) : At(0);
    TimetableRecord const& b = At(0).EventsBuilt ? At(0) : At(1);
    ASSERT_EQ(a.FilePath, stored);
    EXPECT_EQ(EventBytes(a), EventBytes(b));
    EXPECT_EQ(TypeWords(a), TypeWords(b));
  }
}

TEST_F(StationIndex, EndStationsAreMarkedInTheWorkingWordsOnly) {
  w::WrittenFile file = w::WriteTimetable(RailModel(), {.write_station_events = false});
  // The same file with every type word 0: the end-station marks must come
  // from the loader.
  std::vector<uint8_t> bytes = file.bytes;
  size_t types = file.ArrayOffset("StationTypes") + 8;
  for (size_t s = 0; s < 4; ++s) std::memset(bytes.data() + types + 2 * s, 0, 2);
  w::Reseal(bytes);
  ASSERT_EQ(Load({dir_.Save("t.qo", bytes)}), 1);

  // Stations 0, 2 and 3 start or end a train, station 1 too (the last one).
  EXPECT_EQ(TypeWords(At(0)), (std::vector<uint16_t>{0x0800, 0x0800, 0x0800, 0x0800}));
  EXPECT_EQ(At(0).SetWide.StoredStationTypes[0], 0);
  EXPECT_EQ(QoVerifyCrc(0, nullptr), 1);
}

TEST_F(StationIndex, SortingLeftToFirstUseKeepsTheSameEvents) {
  w::TimetableModel model = RailModel();
  std::string stored = dir_.Write("stored.qo", model);
  std::string built = dir_.Write("built.qo", model, {.write_station_events = false});
  LoadLog::Reset([](int event, intptr_t) { return event == 3 ? 4 : 0; });
  ASSERT_EQ(Load({stored, built}, LoadLog::Callback), 2);
  TimetableRecord& lazy = At(0).EventsBuilt ? At(0) : At(1);
  TimetableRecord& sorted = At(0).EventsBuilt ? At(1) : At(0);
  ASSERT_EQ(lazy.EventsSorted.size(), lazy.StationCount);

  // Per station the same events, in whatever order.
  for (uint32_t s = 0; s < lazy.StationCount; ++s) {
    auto range = [&](TimetableRecord const& t) {
      std::vector<uint64_t> events;
      for (uint32_t e = t.StationEventOffsets[s] / 6; e < t.StationEventOffsets[s + 1] / 6; ++e)
        events.push_back(uint64_t{t.StationEvents.Field<uint16_t>(e, 0)} << 32 |
                         t.StationEvents.Field<uint32_t>(e, 2));
      std::sort(events.begin(), events.end());
      return events;
    };
    EXPECT_EQ(range(lazy), range(sorted)) << "station " << s;
  }
}

TEST_F(StationIndex, RangesTheStopsDoNotFillRefuseTheFile) {
  w::WrittenFile file = w::WriteTimetable(RailModel(), {.write_station_events = false});
  // Move the boundary between stations 0 and 1 by one event.
  size_t offsets = file.ArrayOffset("StationEventOffsets") + 8;
  uint32_t boundary = LoadLE<uint32_t>(file.bytes.data() + offsets + 4);
  std::string path = dir_.Save("t.qo", w::PatchU32(file, offsets + 4, boundary + 6));
  EXPECT_EQ(Load({path}), 0);
  EXPECT_EQ(QoError(), ErrDataFileHeader);

  // Left to first use, the damage shows there: the station has no events.
  LoadLog::Reset([](int event, intptr_t) { return event == 3 ? 1 : 0; });
  ASSERT_EQ(Load({path}, LoadLog::Callback), 1);
  EnsureStationIndex(At(0));
  EXPECT_TRUE(At(0).StationEvents.empty());
  EXPECT_FALSE(NeedsStationIndex(At(0)));
}

}  // namespace
}  // namespace qo::test
