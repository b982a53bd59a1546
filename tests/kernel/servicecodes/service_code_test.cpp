// Service codes: their texts and roles, the codes of stations and trains
// (whole, per section and day, at a station), the filter in its letter and
// number forms, and the matcher the search asks per ride.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/c_client/read_int_arrays.h"
#include "kernel/loading/loading_test_support.h"
#include "servicecodes/code_filter_state.h"
#include "servicecodes/service_codes.h"
#include "trains/train_stops.h"

namespace qo::test {
namespace {

constexpr uint16_t D(int month, int day) { return w::DayNumberOf(2025, month, day); }

w::Stop Dep(uint16_t station, int minute) { return {.station = station, .departure = minute}; }
w::Stop Arr(uint16_t station, int minute) { return {.station = station, .arrival = minute}; }
w::Stop Pass(uint16_t station, int minute) {
  return {.station = station, .arrival = minute, .departure = minute};
}

// By reference: the list is read after the call that fills it.
std::vector<int> Codes(int n, unsigned char const* const& list) {
  return n > 0 ? std::vector<int>(list, list + n) : std::vector<int>{};
}

class ServiceCodeTest : public LoadingTest {
 protected:
  // Types: 0 plain, 1 with codes by day, 2 with codes by section.
  enum Train { kPlain, kNoCodes, kByDay, kBySection, kAll };
  static constexpr uint32_t kLacks = 0x04000000;

  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 4);  // station keys 100..400
    m.languages = "CE";
    m.names = {"Test"};
    m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"R"}}, {.abbreviation = {"Sp"}}};
    w::ServiceCodes& c = m.service_codes;
    c.codes = {
        {.name = "WC", .short_text = "a", .description = {"Záchod", "Toilet"}},
        {.name = "Kolo", .short_text = "b", .description = {"{0}Kola{1}Kola ve voze", "Bikes"}},
        {.name = "Nízkopodlažní", .short_text = "c"},
        {.name = "Wifi", .short_text = "d"},
        {.name = "Restaurace", .short_text = "e"},
        {.name = "Bistro", .short_text = "f"},
        {.name = "Lůžka", .short_text = "g"}};
    c.sets = {0b11, 0b100, 0b100000, 0b1010, 0b11111};
    c.filter_letters = "ABCDEF";
    c.letter_masks = {1 << 0, 1 << 1, 1 << 2, 1 << 3, 1 << 4, 1 << 5};
    c.filter_ids = {11, 12, 13, 14, 15, 16};
    c.roles = {0, 2, -1, 6};
    c.day_type_mask = 0x2;
    c.section_type_mask = 0x4;
    m.stations[0].service_set = 1;

    m.calendars = {{}};  // class 0: the Sundays
    for (uint16_t day = m.first_day; day <= m.last_day; ++day)
      if ((day + 1) % 7 == 0) m.calendars[0].days.push_back(day);
    const std::vector<w::Stop> route = {Dep(0, 600), Pass(1, 610), Pass(2, 620), Arr(3, 630)};
    m.trains = {
        {.stops = route, .service_set = 0},
        {.stops = route},
        // The bistro runs on Sundays only, and so do the sleepers it does
        // not otherwise carry.
        {.stops = route,
         .type = 1,
         .remarks = {{"Bistro¤¤¤C5¤V0"}, {"Lůžka¤¤¤C6¤V0"}, {"Jede denně."}},
         .service_set = 2},
        // Low floor from station 1 (key 200) to station 2 (key 300).
        {.stops = route,
         .type = 2,
         .remarks = {{"Nízkopodlažní¤¤¤C2¤F200¤T300"}},
         .service_set = 1},
        // An owner remark is not the train's own: its code counts nowhere.
        {.stops = route, .remarks = {{"Dopravce¤¤¤O1¤C4"}}, .service_set = 4},
    };
    m.station_remarks = {
        {.station = 2, .service_set = 3},
        {.train = 0, .last_train = 1, .station = 3, .code = "x", .text = {"Jen výstup"}},
        {.train = 1, .station = 3, .service_set = 1},
        {.train = 2, .last_train = 4, .station = 1, .service_set = 4},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }

  TimetableRecord& t() { return At(0); }
  std::vector<bool> Lacking() {
    std::vector<bool> out;
    for (int train = 0; train < 5; ++train) out.push_back((QoTrType(0, train) & kLacks) != 0);
    return out;
  }
  int Match(uint32_t train, int32_t station, int32_t day, int* byDay = nullptr,
            int* bySection = nullptr) {
    int d = -1, s = -1;
    StopList stops = station >= 0 ? DecodeTrainStops(t(), train) : StopList{};
    int result = MatchTrainServiceCodes(t(), train, stops, station, day, &d, &s);
    if (byDay) *byDay = d;
    if (bySection) *bySection = s;
    return result;
  }
};

TEST_F(ServiceCodeTest, CodesAndTheirTexts) {
  EXPECT_EQ(QoFCCount(0), 7);
  char const *name = nullptr, *symbols = nullptr, *description = nullptr;
  ASSERT_EQ(QoFCValue(0, 0, 1, &name, &symbols, &description), 1);
  EXPECT_STREQ(name, "WC");
  EXPECT_STREQ(symbols, "a");
  EXPECT_STREQ(description, "Toilet");

  struct Case {
    int train;
    char const* description;
  };
  const Case cases[] = {
      {-1, "Kola"},                    // field 0
      {kPlain, "Kola ve voze"},        // type bit 0: field 1
      {kByDay, "Kola"},                // type bit 1: no field 2, field 0
      {-2, "{0}Kola{1}Kola ve voze"},  // no train's field asked for
  };
  for (Case const& c : cases) {
    ASSERT_EQ(QoFCValueExt(0, c.train, 1, 0, nullptr, nullptr, &description), 1) << c.train;
    EXPECT_STREQ(description, c.description) << c.train;
  }
  EXPECT_EQ(QoError(), 0);

  struct Error {
    int train, code, language, error;
  };
  const Error errors[] = {{5, 1, 0, ErrTrainIndex},
                          {-1, 7, 0, ErrIndexOutOfRange},
                          {-1, -1, 0, ErrIndexOutOfRange},
                          {-1, 1, 2, ErrLanguageIndex}};
  for (Error const& e : errors) {
    EXPECT_EQ(QoFCValueExt(0, e.train, e.code, e.language, &name, nullptr, nullptr), 0);
    EXPECT_EQ(QoError(), e.error) << e.train << " " << e.code << " " << e.language;
  }

  EXPECT_EQ((std::vector<int>{QoFCLowDeck(0, 1), QoFCLowDeck(0, 2), QoFCLowDeck(0, 3),
                              QoFCLowDeck(0, 4), QoFCLowDeck(0, 0), QoFCLowDeck(0, 5)}),
            (std::vector<int>{0, 2, -1, 6, -1, -1}));
  EXPECT_EQ(QoFCLowDeck(1, 2), -1);
  EXPECT_EQ(QoFCLowDeck(0, 5), -1);
  EXPECT_EQ(QoPeekError(), ErrTimetableIndex) << "a role out of range leaves the error alone";
  QoError();

  char const* letters = nullptr;
  ASSERT_EQ(QoFCConn(0, &letters), 6);
  EXPECT_EQ(std::string(letters, 6), "ABCDEF");
  int const* ids = nullptr;
  ASSERT_EQ(QoFCConnID(0, &ids), 6);
  EXPECT_EQ(LoadLE<int32_t>(ids + 5), 16);
  // A C client reads them in place: an aligned copy, whatever the image's offset.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(ids) % alignof(int), 0u);
  long long sum = 0;
  for (int i = 0; i < 6; ++i) sum += LoadLE<int32_t>(ids + i);
  EXPECT_EQ(SumServiceCodeIdsInC(0), sum);
}

TEST_F(ServiceCodeTest, CodesOfStationsAndTrains) {
  unsigned char const* list = nullptr;
  EXPECT_EQ(Codes(QoFCStation(0, 0, &list), list), (std::vector<int>{2}));
  EXPECT_EQ(QoFCStation(0, 1, &list), 0);
  EXPECT_EQ(QoError(), 0) << "a station without codes";
  EXPECT_EQ(QoFCStation(0, 4, &list), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);

  EXPECT_EQ(Codes(QoFCTrain(0, kPlain, &list), list), (std::vector<int>{0, 1}));
  EXPECT_EQ(Codes(QoFCTrain(0, kByDay, &list), list), (std::vector<int>{5}));
  EXPECT_EQ(QoFCTrain(0, kNoCodes, &list), 0);
  EXPECT_EQ(QoFCTrain(0, 5, &list), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);

  struct Case {
    char const* name;
    int train, from, to, day;
    std::vector<int> codes;
  };
  const Case cases[] = {
      {"a Sunday adds the sleepers", kByDay, -1, -1, D(6, 1), {5, 6}},
      {"a Monday takes the bistro away", kByDay, -1, -1, D(6, 2), {}},
      {"a journey inside the section", kBySection, 1, 2, 0, {2}},
      {"a journey that ends where the section starts", kBySection, 0, 1, 0, {}},
      {"a journey that starts where the section ends", kBySection, 2, 3, 0, {}},
      {"a journey over the section", kBySection, 0, 3, 0, {2}},
      {"an owner remark's code", kAll, 0, 3, 0, {0, 1, 2, 3}},
  };
  for (Case const& c : cases)
    EXPECT_EQ(Codes(QoFCTrainExt(0, c.train, c.from, c.to, c.day, &list), list), c.codes) << c.name;

  struct AtStation {
    char const* name;
    int train, station;
    std::vector<int> codes;
  };
  const AtStation rows[] = {
      {"a row for every train", kPlain, 2, {1, 3}},
      {"past a range row with a text, its own row", kNoCodes, 3, {2}},
      {"a range row with a text names no codes", kPlain, 3, {}},
      {"outside the range", kByDay, 3, {}},
      {"a range row with codes", kBySection, 1, {0, 1, 2, 3, 4}},
      {"before the range", kNoCodes, 1, {}},
      {"no rows", kPlain, 0, {}},
  };
  for (AtStation const& r : rows)
    EXPECT_EQ(Codes(QoFCTrainStation(0, r.train, r.station, &list), list), r.codes) << r.name;
  EXPECT_EQ(QoFCTrainStation(0, 9, 1, &list), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

TEST_F(ServiceCodeTest, TheFilterByLettersOrByNumbers) {
  int crc = 0;
  struct Case {
    char const* name;
    std::string bytes;
    std::vector<bool> lacking;  // per train
  };
  const Case cases[] = {
      {"a toilet and bicycles", "AB", {false, true, true, true, false}},
      {"six letters: the sixth is not taken", "ABCDEF", {true, true, true, true, false}},
      {"code numbers: 1 and 3", std::string("\x01\x03", 2), {true, true, true, true, false}},
      {"not all letters: numbers (65 names none)",
       std::string("A\x02", 2),
       {true, true, true, false, false}},
      {"a negative byte names none", std::string("\xFF\x05", 2), {true, true, false, true, true}},
      {"count 0 clears", "", {false, false, false, false, false}},
  };
  for (Case const& c : cases) {
    QoFCEnable(0, static_cast<int>(c.bytes.size()), c.bytes.data());
    EXPECT_EQ(Lacking(), c.lacking) << c.name;
    EXPECT_EQ(QoVerifyCrc(0, &crc), 1) << c.name << ": the file image stays as it was";
  }
  QoFCEnable(0, 6, "ABCDEF");
  EXPECT_EQ(CodeFilterOf(t()).EnabledMasks.size(), 5u);
  QoFCEnable(0, 2, std::string("\x01\x03", 2).data());
  EXPECT_EQ(Match(kNoCodes, -1, -1), 1) << "numbers leave the search's matcher open";
  QoFCEnable(0, 0, nullptr);
  for (uint32_t train = 0; train < 5; ++train) EXPECT_EQ(Match(train, -1, -1), 1) << train;
  QoFCEnable(1, 0, nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(ServiceCodeTest, MatchingARideByDayAndSection) {
  int byDay = -1, bySection = -1;
  QoFCEnable(0, 1, "F");  // the bistro only
  EXPECT_EQ(Match(kByDay, -1, -1, &byDay, &bySection), 1);
  EXPECT_EQ(byDay, 1);
  EXPECT_EQ(bySection, 0);
  EXPECT_EQ(Match(kByDay, -1, D(6, 1) - D(1, 1)), 1) << "a Sunday";
  EXPECT_EQ(Match(kByDay, -1, D(6, 2) - D(1, 1)), 0) << "a Monday";
  EXPECT_EQ(Match(kPlain, -1, -1, &byDay, &bySection), 0);
  EXPECT_EQ(Match(kNoCodes, -1, -1), 0);

  QoFCEnable(0, 1, "C");  // low floor
  EXPECT_EQ(Match(kBySection, -1, -1, &byDay, &bySection), 1);
  EXPECT_EQ(bySection, 1);
  EXPECT_EQ(byDay, 0);
  EXPECT_EQ((std::vector<int>{Match(kBySection, 0, -1), Match(kBySection, 1, -1),
                              Match(kBySection, 2, -1), Match(kBySection, 3, -1)}),
            (std::vector<int>{0, 1, 0, 0}))
      << "from station 1 up to, not at, station 2";
  EXPECT_EQ(Match(kAll, 0, -1, &byDay, &bySection), 1) << "a train of a plain type";
  EXPECT_EQ(bySection, 0);

  QoFCEnable(0, 2, "AD");  // a toilet and wifi
  EXPECT_EQ(Match(kPlain, -1, -1), 0) << "a toilet but no wifi";
  EXPECT_EQ(Match(kAll, -1, -1), 1);
}

}  // namespace
}  // namespace qo::test
