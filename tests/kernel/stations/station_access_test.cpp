// Station accessors: keys and the station-key extension, types, time
// shifts, remarks with their tags, and fare zones.
#include "stations/station_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "core/counted_array.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr int32_t AirCode(char a, char b, char c) {
  return static_cast<int32_t>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b) << 8 |
                              static_cast<uint8_t>(c) << 16);
}

std::vector<int> Stations(int timetable, int key, int column) {
  int count = -1;
  int const* found = QoSearchStKeyEx(timetable, key, column, &count);
  EXPECT_NE(found, nullptr);
  return std::vector<int>(found, found + count);
}

using StationAccess = LoadingTest;

constexpr int32_t kLimit = 1000;

TEST_F(StationAccess, KeysAndKeyTexts) {
  w::TimetableModel rail = SmallModel(1, 1, 0, 3);
  rail.stations[0].key = 5457076;
  rail.stations[1].key = 17;
  rail.stations[2].key = 3;
  w::TimetableModel air = SmallModel(2, 4, 0, 2);
  air.stations[0].key = AirCode('P', 'R', 'G');
  air.stations[1].key = AirCode('V', 'I', 'E');
  w::TimetableModel unkeyed = SmallModel(3, 2, 0, 2);
  unkeyed.write_station_keys = false;
  ASSERT_EQ(Load({dir_.Write("rail.qo", rail), dir_.Write("air.qo", air),
                  dir_.Write("unkeyed.qo", unkeyed)}),
            3);
  int r = -1, a = -1, u = -1;
  for (int i = 0; i < 3; ++i) (At(i).Kind == 1 ? r : At(i).Kind == 4 ? a : u) = i;

  EXPECT_STREQ(QoStKeyChar(r, 0), "5457076");
  EXPECT_STREQ(QoStKeyChar(a, 0), "PRG");
  EXPECT_STREQ(QoStKeyChar(a, 1), "VIE");
  EXPECT_STREQ(QoStKeyChar(u, 0), "");
  EXPECT_STREQ(QoStKeyChar(r, 3), "");
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoStKeyChar(5, 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  EXPECT_EQ(QoStKey(r, 0), 5457076);
  EXPECT_EQ(QoStKey(u, 0), 0);
  EXPECT_EQ(QoSearchStKey(r, 3), 2);
  EXPECT_EQ(QoSearchStKey(r, 5457076), 0);
  EXPECT_EQ(QoSearchStKey(r, 4), -1);
  EXPECT_EQ(QoSearchStKey(u, 1), -1);
  int const* keys = QoStKeys(r);
  ASSERT_NE(keys, nullptr);
  ASSERT_EQ(GetArrayCount(keys), 3);
  EXPECT_EQ(LoadLE<int32_t>(keys + 1), 17);
  EXPECT_EQ(QoStKeys(u), nullptr);
  EXPECT_EQ(QoStCount(r), 3);
  EXPECT_EQ(QoStCount(7), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(StationAccess, StationKeyExtension) {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);  // keys 100, 200, 300, 400
  m.extension_names = {"keys.qok"};
  dir_.Save("keys.qok",
            w::WriteExtension(
                {.type = w::ExtensionType::kStationKeys,
                 .owner_id = 1,
                 .station_key_rows = {{100, 9100, 7100}, {200, 9200, 7100}, {999, 9100, 7999}}})
                .bytes);
  w::TimetableModel plain = SmallModel(2, 2, 0, 2);
  ASSERT_EQ(Load({dir_.Write("a.qo", m), dir_.Write("b.qo", plain)}), 2);
  int const t = At(0).TimetableId == 1 ? 0 : 1;
  ASSERT_NE(At(t).StationKeyExt, nullptr);

  EXPECT_EQ(QoStTCVKey(t, 0), 9100);
  EXPECT_EQ(QoStReservKey(t, 1), 7100);
  EXPECT_EQ(QoStTCVKey(t, 2), 300) << "not listed: its own key";
  EXPECT_EQ(QoStTCVKey(1 - t, 0), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  EXPECT_EQ(QoStTCVKey(t, 4), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);

  EXPECT_EQ(Stations(t, 9100, 1), std::vector<int>{0}) << "key 999 names no station";
  EXPECT_EQ(Stations(t, 7100, 2), (std::vector<int>{0, 1}));
  EXPECT_EQ(Stations(t, 300, 1), std::vector<int>{2}) << "absent from the column: the key itself";
  EXPECT_EQ(Stations(t, 9100, 3), std::vector<int>{}) << "no such column";
  EXPECT_EQ(Stations(1 - t, 200, 1), std::vector<int>{1}) << "no extension";
  EXPECT_EQ(Stations(t, 555, 1), std::vector<int>{});
  int count = 9;
  EXPECT_EQ(QoSearchStKeyEx(3, 100, 1, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(StationAccess, TypesAndTimeShiftsInBothForms) {
  w::TimetableModel single = SmallModel(1, 4, 0, 3);
  single.stations[1].time_shift = 60;
  single.stations[2].type = 0x0002;
  w::TimetableModel lists = SmallModel(2, 4, 0, 3);
  lists.stations[0].time_shift_list = {{0, 60}, {kLimit, 120}};
  lists.stations[2].time_shift = -300;  // written as its one-entry list
  ASSERT_EQ(Load({dir_.Write("single.qo", single), dir_.Write("lists.qo", lists)}), 2);
  int const s = At(0).TimetableId == 1 ? 0 : 1, l = 1 - s;
  ASSERT_TRUE(At(s).StationShiftLists.empty());
  ASSERT_FALSE(At(l).StationShiftLists.empty());

  EXPECT_EQ(QoStTimeShift(s, 1, 0), 60);
  EXPECT_EQ(QoStTimeShift(s, 0, 0), 0);
  struct Case {
    int station, value, shift;
  };
  const Case cases[] = {
      {0, -5, 120},  // the last entry whose limit is at least the value
      {0, 0, 120},  {0, kLimit, 120}, {0, kLimit + 1, 60},  // no entry reaches it: entry 0
      {2, 5, -300}, {1, 5, 0},
  };
  for (Case const& c : cases)
    EXPECT_EQ(QoStTimeShift(l, c.station, c.value), c.shift) << c.station << " " << c.value;
  EXPECT_EQ(QoStTimeShift(l, 3, 0), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);

  EXPECT_EQ(QoStType(s, 2), 0x0002);
  unsigned short const* types = QoStTypes(s);
  ASSERT_NE(types, nullptr);
  EXPECT_EQ(GetArrayCount(types), 3);
  EXPECT_EQ(LoadLE<uint16_t>(types + 2), 0x0002);
  EXPECT_EQ(QoStType(s, 3), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(StationAccess, RemarksAndTheirTags) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.stations[0].remark = "{I}page.htm|Info{Z}3";
  m.stations[1].remark = "{I}kolín.htm";
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  QoSetDia(4);
  EXPECT_STREQ(QoStRem(0, 1), "{I}kolin.htm");
  QoSetDia(3);
  EXPECT_STREQ(QoStRem(0, 2), "");
  EXPECT_STREQ(QoStRem(0, -1), "");
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoStRem(1, 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  struct Case {
    int station;
    char const* tag;
    int found;
    char const* text;
    char const* second;
  };
  const Case cases[] = {
      {0, nullptr, 1, "page.htm", "Info"},
      {0, "I", 1, "page.htm", "Info"},
      {0, "Z", 1, "3", ""},
      {0, "X", 0, "", ""},
      {1, nullptr, 1, "kol\xEDn.htm", ""},
      {2, nullptr, 0, "", ""},  // no remark
  };
  for (Case const& c : cases) {
    char const* text = nullptr;
    char const* second = nullptr;
    EXPECT_EQ(QoStRemType(0, c.station, c.tag, &text, &second), c.found) << c.station;
    EXPECT_STREQ(text, c.text);
    EXPECT_STREQ(second, c.second);
  }
  EXPECT_EQ(QoStRemType(0, 0, "Z", nullptr, nullptr), 1);
}

TEST(ZoneText, ThresholdsPickTheZone) {
  struct Case {
    char const* remark;
    int threshold;
    char const* zone;
  };
  const Case cases[] = {
      {"[1]A[5]B", 3, "B"},
      {"[1]A[5]B", 7, ""},
      {"[1]A[5]B", 0, "A"},
      {"P", 3, "P"},
      {"{I}x.htm{Z}[2]P[9]0", 4, "0"},
      {"{Z}P{I}x.htm", 0, "P"},
      {"{I}x.htm", 0, ""},  // other tags only
      {"[3", 0, ""},
  };
  std::string out;
  for (Case const& c : cases) {
    ZoneText(c.remark, c.threshold, out);
    EXPECT_EQ(out, c.zone) << c.remark << " " << c.threshold;
  }
}

TEST_F(StationAccess, ZonesByLine) {
  w::TimetableModel m = SmallModel(1, 3, 0, 3);
  m.stations[0].remark = "{Z}[1]A[5]B";
  m.stations[2].remark = "{Z}C";
  m.trains = {
      {.stops = {{.station = 0, .departure = 600}, {.station = 1, .arrival = 610}}, .number = "12"},
      {.stops = {{.station = 0, .departure = 700}, {.station = 1, .arrival = 710}}, .number = "X7"},
      {.stops = {{.station = 0, .departure = 800}, {.station = 1, .arrival = 810}},
       .number = "44"}};
  m.zone_lines = {{.number_value = 12, .threshold = 3}, {.number_value = ~0, .threshold = 6}};
  w::TimetableModel flat = SmallModel(2, 3, 0, 2);
  flat.stations[0].remark = "[1]A[5]B";
  ASSERT_EQ(Load({dir_.Write("lines.qo", m), dir_.Write("flat.qo", flat)}), 2);
  int const t = At(0).TimetableId == 1 ? 0 : 1;
  char const* none = reinterpret_cast<char const*>(-1);
  struct Case {
    int timetable, station, train;
    char const* line;
    char const* zone;
  };
  const Case cases[] = {
      {t, 0, -1, "12", "B"},    // line 12: threshold 3
      {t, 0, -1, "X7", ""},     // threshold 6
      {t, 0, -1, "44", ""},     // a line of no zone
      {t, 0, 0, nullptr, "B"},  // train 0 runs as line 12
      {t, 0, 1, nullptr, ""},   {t, 0, 2, nullptr, ""},
      {t, 0, 0, none, "A"},  // no line: the argument itself is the threshold
      {t, 0, 4, none, "B"},     {t, 0, -1, nullptr, "A"},
      {t, 2, -1, "12", "C"},    {t, 1, -1, "12", ""},  // no remark
      {1 - t, 0, 3, "12", "B"},                        // no zone lines
  };
  for (Case const& c : cases) {
    EXPECT_STREQ(QoStZone(c.timetable, c.station, c.train, c.line), c.zone)
        << c.station << " " << c.train << " "
        << (c.line == none ? "-1"
            : c.line       ? c.line
                           : "null");
  }
  EXPECT_STREQ(QoStZone(t, 0, 3, nullptr), "");
  EXPECT_EQ(QoError(), ErrTrainIndex);
  EXPECT_STREQ(QoStZone(t, 3, 0, none), "");
  EXPECT_EQ(QoError(), ErrStationIndex);
}

}  // namespace
}  // namespace qo::test
