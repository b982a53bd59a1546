// The stations of a place across two rail timetables that share a station
// key and a town key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "calendars/day_type_state.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

class ObjectStationsTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel first = SmallModel(1, 1, 0, 4);  // keys 100..400
    first.stations[2].type = 0x1000;                   // no member of a town
    first.virtual_lists = {{.type = 1,
                            .name = {"Obce"},
                            .items = {{.stations = {0, 1, 2}, .station_bytes = {0, 5, 9}, .key = 7},
                                      {.stations = {3, 3}, .station_bytes = {7, 2}, .key = 8}}}};
    w::TimetableModel second = SmallModel(2, 1, 0, 2);
    second.stations[0].key = 100;
    second.stations[1].key = 500;
    second.virtual_lists = {{.type = 1,
                             .name = {"Obce"},
                             .items = {{.stations = {1}, .station_bytes = {3}, .key = 7}}}};
    ASSERT_EQ(Load({dir_.Write("first.qo", first), dir_.Write("second.qo", second)}), 2);
    first_ = At(0).TimetableId == 1 ? 0 : 1;
    second_ = 1 - first_;
    QoError();
  }

  // "timetable:station+minutes" per station found.
  std::string Stations(int timetable, int list, int item, int const* selection) {
    int const *timetables = nullptr, *stations = nullptr, *minutes = nullptr;
    int n = QoObjectStations(timetable, list, item, selection, &timetables, &stations, &minutes);
    std::string out;
    for (int i = 0; i < n; ++i) {
      out += (i ? " " : "") + std::string(timetables[i] == first_ ? "A" : "B") + ":" +
             std::to_string(stations[i]) + "+" + std::to_string(minutes[i]);
    }
    return out;
  }
  int first_ = 0, second_ = 1;
};

TEST_F(ObjectStationsTest, PlacesOverTheLoadedTimetables) {
  int const onlyFirst[2] = {first_ == 0, first_ == 1};
  struct Case {
    char const* name;
    int timetable, list, item;
    int const* selection;
    std::string stations;
  };
  const std::string a = first_ == 0 ? "A:0+0 B:0+0" : "B:0+0 A:0+0";
  const Case cases[] = {
      {"a station and the same place elsewhere", first_, -1, 0, nullptr, a},
      {"a station in no other timetable", first_, -1, 1, nullptr, "A:1+0"},
      {"the same place from the other side", second_, -1, 0, nullptr, a},
      {"the other timetable left out", first_, -1, 0, onlyFirst, "A:0+0"},
      {"a town: its members and the town of the same key", first_, 0, 0, nullptr,
       first_ == 0 ? "A:0+0 A:1+5 B:1+3" : "B:1+3 A:0+0 A:1+5"},
      {"a town without its left-out member", first_, 0, 0, onlyFirst, "A:0+0 A:1+5"},
      {"a station met twice keeps its smallest minutes", first_, 0, 1, nullptr, "A:3+2"},
  };
  for (Case const& c : cases)
    EXPECT_EQ(Stations(c.timetable, c.list, c.item, c.selection), c.stations) << c.name;
  EXPECT_EQ(QoError(), 0);
  Stations(first_, -1, 0, onlyFirst);
  EXPECT_EQ(DayTypesOf(At(second_)).Filter.TypeMask, 0u) << "the selection stays for the search";

  struct Error {
    int timetable, list, item, error;
  };
  const Error errors[] = {{2, -1, 0, ErrTimetableIndex},
                          {first_, -1, 4, ErrStationIndex},
                          {first_, 1, 0, ErrVirtListIndex},
                          {first_, 0, 2, ErrObjectIndex}};
  for (Error const& e : errors) {
    EXPECT_EQ(Stations(e.timetable, e.list, e.item, nullptr), "");
    EXPECT_EQ(QoError(), e.error) << e.timetable << " " << e.list << " " << e.item;
  }
}

}  // namespace
}  // namespace qo::test
