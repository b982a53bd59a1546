// Seat-reservation lookups: the reservation stations of a place with their
// reservation keys, and the reservation trains between two reservation keys
// or of a train number, with the running test at the boarding station.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t kReservationStation = 0x10;
constexpr uint32_t kSeats = 0x800000, kBeds = 0x2000000;
constexpr int kDay = w::DayNumberOf(2025, 3, 10);

// Rail timetable 1: stations 0..12 keyed 100..1300. Reservation key 7000
// names stations 0..10 (eleven: only the first ten count), 8000 station
// 11; 1, 2 and 12 take reservations, 12 without a listed reservation key.
//   0 "501" seats   0 8:00, 5 8:30, 11 9:00
//   1 "501"         0 8:10, 11 9:10
//   2 "502" beds   10 7:00, 11 9:20
//   3 "503" seats  11 6:00, 0 7:00
//   4 "504" seats   3 10:00, 4 10:10, 11 10:40   on kDay only
w::TimetableModel Rail() {
  w::TimetableModel m = SmallModel(1, 1, 0, 13);
  for (int s : {1, 2, 12}) m.stations[static_cast<size_t>(s)].type = kReservationStation;
  m.calendars = {{.days = {kDay}}};
  m.trains = {
      {.stops = {Dep(0, 480), Pass(5, 510, 510), Arr(11, 540)},
       .number = "501",
       .attributes = kSeats},
      {.stops = {Dep(0, 490), Arr(11, 550)}, .number = "501"},
      {.stops = {Dep(10, 420), Arr(11, 560)}, .number = "502", .attributes = kBeds},
      {.stops = {Dep(11, 360), Arr(0, 420)}, .number = "503", .attributes = kSeats},
      {.stops = {Dep(3, 600), Pass(4, 610, 610), Arr(11, 640)},
       .number = "504",
       .attributes = kSeats,
       .calendar = 0},
  };
  m.virtual_lists = {{.type = 1,
                      .name = {"Places"},
                      .items = {{.stations = {3, 4}, .key = 1},
                                {.stations = {0, 1}, .key = 2},
                                {.stations = {12}, .key = 3}}}};
  m.extension_names = {"rail.qok"};
  return m;
}

w::ExtensionModel RailKeys() {
  w::ExtensionModel keys{.type = w::ExtensionType::kStationKeys, .owner_id = 1};
  for (int s = 0; s <= 10; ++s) keys.station_key_rows.push_back({100 * (s + 1), 0, 7000});
  keys.station_key_rows.push_back({1200, 0, 8000});
  return keys;
}

// Bus timetable 2 without the extension: a reservation station and a
// reservation train of number 501, which no search of rail trains finds.
w::TimetableModel Bus() {
  w::TimetableModel m = SmallModel(2, 2, 0, 2);
  for (w::Station& s : m.stations) s.name = {"Bus " + std::to_string(s.key)};
  m.stations[0].type = kReservationStation;
  m.trains[0].number = "501";
  m.trains[0].attributes = kSeats;
  m.virtual_lists = {{.type = 4, .name = {"Stops"}, .items = {{.stations = {0, 1}, .key = 9}}}};
  return m;
}

using Hit = std::tuple<int, int, int>;  // timetable, train, boarding station

class Reservation : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    dir_.Save("rail.qok", w::WriteExtension(RailKeys()).bytes);
    ASSERT_EQ(Load({dir_.Write("rail.qo", Rail()), dir_.Write("bus.qo", Bus())}), 2);
    rail_ = At(0).TimetableId == 1 ? 0 : 1;
    bus_ = 1 - rail_;
    ASSERT_NE(At(rail_).StationKeyExt, nullptr);
  }

  static std::vector<Hit> Search(int number, int from, int to, int day = 0, int month = 0,
                                 int year = 0, int const* selection = nullptr) {
    int const* timetables = nullptr;
    int const* trains = nullptr;
    int const* stations = nullptr;
    int n = QoSearchReservedTrain(selection, number, from, to, day, month, year, &timetables,
                                  &trains, &stations);
    std::vector<Hit> hits;
    for (int i = 0; i < n; ++i) hits.emplace_back(timetables[i], trains[i], stations[i]);
    return hits;
  }

  GLOBALSEARCH_REC Place(int timetable, int item) const {
    return {static_cast<unsigned char>(timetable), 0, item};
  }

  int rail_ = 0, bus_ = 1;
};

TEST_F(Reservation, PlacesWithReservationStations) {
  EXPECT_EQ(QoHasReserv(Place(rail_, 0), 0), 0) << "no station of the place takes reservations";
  EXPECT_EQ(QoHasReserv(Place(rail_, 0), 1), 0);
  EXPECT_EQ(QoHasReserv(Place(rail_, 1), 0), 1);
  EXPECT_EQ(QoHasReserv(Place(rail_, 1), 1), 7000) << "the listed reservation key";
  EXPECT_EQ(QoHasReserv(Place(rail_, 2), 1), 1300) << "not listed: the station's own key";
  EXPECT_EQ(QoError(), 0);

  // Without the extension a reservation station has no key, and asking
  // for it leaves no error.
  EXPECT_EQ(QoHasReserv(Place(bus_, 0), 0), 1);
  EXPECT_EQ(QoHasReserv(Place(bus_, 0), 1), 0);
  EXPECT_EQ(QoError(), 0);

  EXPECT_EQ(QoHasReserv(Place(rail_, 7), 0), 0);
  EXPECT_NE(QoError(), 0) << "an item the list does not have";
  EXPECT_EQ(QoHasReserv(GLOBALSEARCH_REC{9, 0, 0}, 0), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(Reservation, TrainsBetweenReservationKeys) {
  int const r = rail_;
  // Key 7000 stands for stations 0..9: train 2 from station 10 is not
  // found, train 4 is boarded at 3, its first stop among them.
  EXPECT_EQ(Search(0, 7000, 8000), (std::vector<Hit>{{r, 0, 0}, {r, 4, 3}}));
  EXPECT_EQ(Search(0, 0, 8000), (std::vector<Hit>{{r, 0, -1}, {r, 2, -1}, {r, 4, -1}}))
      << "arrivals at the To station, boarded nowhere in particular";
  EXPECT_EQ(Search(0, 1200, 100), (std::vector<Hit>{{r, 3, 11}}))
      << "a key of no reservation row is the station's own key";
  EXPECT_EQ(Search(0, 0, 0), std::vector<Hit>{});
  EXPECT_EQ(Search(0, 9999, 8000), std::vector<Hit>{}) << "a key of no station";
  EXPECT_EQ(QoError(), 0);
}

TEST_F(Reservation, TrainsByNumber) {
  int const r = rail_;
  EXPECT_EQ(Search(501, 0, 0), (std::vector<Hit>{{r, 0, -1}}))
      << "train 1 has the number but no reservation; the bus timetable is not searched";
  EXPECT_EQ(Search(501, 7000, 8000), (std::vector<Hit>{{r, 0, 0}}));
  EXPECT_EQ(Search(501, 0, 8000), (std::vector<Hit>{{r, 0, -1}}));
  EXPECT_EQ(Search(503, 7000, 8000), std::vector<Hit>{}) << "it calls at To before From";
  EXPECT_EQ(Search(502, 7000, 0), std::vector<Hit>{}) << "station 10 is the eleventh of 7000";
  EXPECT_EQ(Search(502, 0, 8000), (std::vector<Hit>{{r, 2, -1}}));
  EXPECT_EQ(Search(505, 0, 0), std::vector<Hit>{});
}

TEST_F(Reservation, RunningTestAndSelection) {
  int const r = rail_;
  auto [day, month, year] = std::tuple{10, 3, 2025};
  EXPECT_EQ(Search(0, 7000, 8000, day, month, year), (std::vector<Hit>{{r, 0, 0}, {r, 4, 3}}));
  EXPECT_EQ(Search(0, 7000, 8000, day + 1, month, year), (std::vector<Hit>{{r, 0, 0}}))
      << "train 4 does not run that day";
  EXPECT_EQ(Search(504, 0, 8000, day + 1, month, year), (std::vector<Hit>{{r, 4, -1}}))
      << "no boarding station: no running test";
  EXPECT_EQ(Search(0, 7000, 8000, 0, month, year), (std::vector<Hit>{{r, 0, 0}, {r, 4, 3}}))
      << "day 0: no running test";

  std::vector<int> onlyBus(2, 0);
  onlyBus[static_cast<size_t>(bus_)] = 1;
  EXPECT_EQ(Search(0, 7000, 8000, 0, 0, 0, onlyBus.data()), std::vector<Hit>{});
  std::vector<int> onlyRail(2, 0);
  onlyRail[static_cast<size_t>(rail_)] = 1;
  EXPECT_EQ(Search(501, 0, 0, 0, 0, 0, onlyRail.data()), (std::vector<Hit>{{r, 0, -1}}));
}

}  // namespace
}  // namespace qo::test
