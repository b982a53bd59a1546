// The search parameters: the packed record by client version, the whole
// record refused when one value is out of range, the reset to defaults, the
// default interval, and walking links switched without touching the file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "search/search_params.h"

namespace qo::test {
namespace {

class SearchParmsTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    CurrentSearchSettings() = SearchSettings();
  }
  void TearDown() override {
    CurrentSearchSettings() = SearchSettings();
    LoadingTest::TearDown();
  }

  // Two timetables: one with search defaults (window 120 / 240, retries
  // 1 / 4, a two-row penalty table), one written in format 0 (none).
  void LoadTwo() {
    w::TimetableModel a = SmallModel(1, 1, 0, 3);
    a.search = {.max_change_time = 30,
                .min_change_time = 4,
                .change_penalty = 2,
                .max_changes = 3,
                .window_direct = 120,
                .window_changes = 240,
                .delta_max_type = 1,
                .delta_max_metres = 5000,
                .delta_max_percent = 50,
                .retries_direct = 1,
                .retries_changes = 4};
    a.change_penalty_rows = {{1, 2, 3}, {4, 5}};
    w::TimetableModel b = SmallModel(2, 2, 0, 2);
    b.format_version = 0;
    b.search.max_change_time = 20;
    ASSERT_EQ(Load({dir_.Write("a.qo", a), dir_.Write("b.qo", b)}), 2);
    a_ = At(0).TimetableId == 1 ? 0 : 1;
    b_ = 1 - a_;
    QoError();
  }

  // A caller's copy of the settings in force.
  CONNPARMS_REC Copy() {
    CONNPARMS_REC r{};
    QoCopyConnectionParms(&r, QoGetConnectionParms());
    return r;
  }

  int a_ = 0, b_ = 1;
};

TEST_F(SearchParmsTest, ARefusedRecordChangesNothing) {
  LoadTwo();
  QoSetClientVersion(2);
  CONNPARMS_REC const before = *QoGetConnectionParms();
  CONNPARMS_REC saved = Copy();
  struct Case {
    char const* name;
    void (*spoil)(CONNPARMS_REC&, int a, int b);
  };
  const Case cases[] = {
      // The later timetable is wrong: the earlier one must keep its values.
      {"min 10 above max 5",
       [](CONNPARMS_REC& r, int, int b) {
         r.min_change_times[b] = 10;
         r.max_change_times[b] = 5;
       }},
      // Only a minimum array: checked against the maximum in force (20).
      {"min above the max in force",
       [](CONNPARMS_REC& r, int, int b) {
         r.max_change_times = nullptr;
         r.min_change_times[b] = 21;
       }},
      {"max change time 1440", [](CONNPARMS_REC& r, int a, int) { r.max_change_times[a] = 1440; }},
      {"penalty 481", [](CONNPARMS_REC& r, int, int b) { r.change_penalties[b] = 481; }},
      {"max changes 16", [](CONNPARMS_REC& r, int, int) { r.max_changes = 16; }},
      {"window 59", [](CONNPARMS_REC& r, int, int) { r.window_changes = 59; }},
      {"retries 33", [](CONNPARMS_REC& r, int, int) { r.retries_direct = 33; }},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    CONNPARMS_REC r = Copy();
    r.max_change_times[a_] = 50;  // valid changes that must not be applied
    r.window_direct = 600;
    CONNPARMS_REC const arrays = r;
    c.spoil(r, a_, b_);
    EXPECT_EQ(QoSetConnectionParms(&r), 19);
    EXPECT_EQ(QoError(), 19);
    EXPECT_EQ(QoParmsEqual(QoGetConnectionParms(), &saved), 1);
    EXPECT_EQ(QoGetConnectionParms()->window_direct, before.window_direct);
    r.max_change_times = arrays.max_change_times;
    QoFreeConnectionParms(&r);
  }
  QoFreeConnectionParms(&saved);
}

TEST_F(SearchParmsTest, ValuesOutsideTheirRangeAreIgnoredAndTheRestApplied) {
  LoadTwo();
  QoSetClientVersion(1);
  CONNPARMS_REC r = Copy();
  r.use_beds = 7;
  r.arc_length = 121;
  r.arc_length_city = 15;
  r.max_changes = 9;
  r.min_change_times[a_] = 7;
  ASSERT_EQ(QoSetConnectionParms(&r), 0);
  CONNPARMS_REC const* now = QoGetConnectionParms();
  EXPECT_EQ(now->use_beds, 0);
  EXPECT_EQ(now->arc_length, 60);
  EXPECT_EQ(now->arc_length_city, 15);
  EXPECT_EQ(now->max_changes, 9);
  EXPECT_EQ(now->min_change_times[a_], 7);
  QoFreeConnectionParms(&r);
}

TEST_F(SearchParmsTest, TheClientVersionDecidesHowMuchOfTheRecordCounts) {
  LoadTwo();
  struct Case {
    int version;
    size_t size;
  };
  for (Case c : {Case{0, QO_CONNPARMS_SIZE_V0}, Case{1, QO_CONNPARMS_SIZE_V1},
                 Case{2, QO_CONNPARMS_SIZE_V2}}) {
    SCOPED_TRACE(c.version);
    CurrentSearchSettings().ClientVersion = static_cast<uint32_t>(c.version);
    // Only the prefix is read: a record that ends there is enough, and
    // what lies behind it is not copied, compared or applied.
    std::vector<unsigned char> bytes(sizeof(CONNPARMS_REC), 0xAB);
    CONNPARMS_REC source = *QoGetConnectionParms();
    source.arc_length = 33;
    source.code_values[0] = 5;
    std::memcpy(bytes.data(), &source, c.size);
    CONNPARMS_REC copy;
    std::memset(&copy, 0xCD, sizeof copy);
    QoCopyConnectionParms(&copy, reinterpret_cast<CONNPARMS_REC*>(bytes.data()));
    unsigned char const* tail = reinterpret_cast<unsigned char const*>(&copy) + c.size;
    for (size_t i = 0; c.size < sizeof copy && i < sizeof copy - c.size; ++i)
      ASSERT_EQ(tail[i], 0xCD) << i;
    ASSERT_EQ(QoSetConnectionParms(reinterpret_cast<CONNPARMS_REC*>(bytes.data())), 0);
    EXPECT_EQ(QoGetConnectionParms()->arc_length, c.version >= 1 ? 33 : 60);
    EXPECT_EQ(QoGetConnectionParms()->code_values[0], c.version >= 2 ? 5 : 0);
    CONNPARMS_REC other = copy;
    other.arc_length = 34;
    EXPECT_EQ(QoParmsEqual(&copy, &other), c.version >= 1 ? 0 : 1);
    QoFreeConnectionParms(&copy);
    QoResetConnParms(nullptr);
  }
  // Once a version above 2 is stored, it stays.
  CurrentSearchSettings().ClientVersion = 0;
  EXPECT_EQ(QoSetClientVersion(2), 2);
  EXPECT_EQ(QoSetClientVersion(7), 7);
  EXPECT_EQ(QoSetClientVersion(1), 7);
}

TEST_F(SearchParmsTest, ResetTakesTheLargestDefaultsOrTheBuiltInOnes) {
  LoadTwo();
  int const onlyA[2] = {a_ == 0, a_ == 1};
  struct Case {
    char const* name;
    int const* selection;
    int maxChanges, windowDirect, windowChanges, retriesDirect, retriesChanges, deltaType;
  };
  const Case cases[] = {
      {"with defaults", onlyA, 3, 120, 240, 1, 4, 1},
      // b has no defaults: the built-in values.
      {"one without", nullptr, 5, 1440, 360, 3, 2, 0},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    QoSetMaxArcLengths(5, 6);
    ASSERT_EQ(QoResetConnParms(c.selection), 0);
    CONNPARMS_REC const* p = QoGetConnectionParms();
    EXPECT_EQ(p->max_changes, c.maxChanges);
    EXPECT_EQ(p->window_direct, c.windowDirect);
    EXPECT_EQ(p->window_changes, c.windowChanges);
    EXPECT_EQ(p->retries_direct, c.retriesDirect);
    EXPECT_EQ(p->retries_changes, c.retriesChanges);
    EXPECT_EQ(p->delta_max_type, c.deltaType);
    EXPECT_EQ(p->arc_length, 60);
    EXPECT_EQ(p->arc_length_city, 10);
    EXPECT_EQ(p->max_change_times[a_], 30);
    EXPECT_EQ(p->min_change_times[a_], 4);
    EXPECT_EQ(p->change_penalties[a_], 2);
    ASSERT_NE(p->penalty_tables, nullptr);
    ASSERT_NE(p->penalty_tables[a_], nullptr);
    EXPECT_EQ(p->penalty_tables[a_][1][1], 5);
  }
}

TEST_F(SearchParmsTest, PenaltyRowsTakeOnlyTheTimetablesOwnShape) {
  LoadTwo();
  CONNPARMS_REC r = Copy();
  r.penalty_tables[a_][0][2] = 9;
  ASSERT_EQ(QoSetConnectionParms(&r), 0);
  EXPECT_EQ(QoGetConnectionParms()->penalty_tables[a_][0][2], 9);
  EXPECT_EQ(QoGetConnectionParms()->penalty_tables[b_], nullptr);
  QoFreeConnectionParms(&r);
}

TEST_F(SearchParmsTest, DefaultSearchIntervalKeepsTheSpanCovered) {
  w::TimetableModel m = SmallModel(1, 1, 0, 2);
  m.search.window_changes = 360;
  m.search.retries_changes = 2;
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    char const* name;
    int length, span, force, result;
  };
  const Case cases[] = {
      {"too short a length", 59, 1440, 1, 0},
      {"longer, not forced", 400, 1440, 0, 0},
      {"360 x 3 = 1080 over 120", 120, 1440, 0, 8},
      {"forced back to 360 over 1440", 360, 1440, 1, 2},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(QoSetDefaultSearchInterval(0, 0, c.length, c.span, c.force), c.result);
  }
  EXPECT_EQ(QoSetDefaultSearchInterval(3, 0, 120, 1440, 1), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(SearchParmsTest, WalkingLinksSwitchWithoutTouchingTheFile) {
  w::TimetableModel m = SmallModel(1, 3, 0, 3);
  m.transfers = {{.from = 0, .to = 1, .minutes = 3},
                 {.from = 1, .to = 0, .minutes = 3},
                 {.from = 1, .to = 2, .minutes = 4}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  // The links 0 -> 1 and 1 -> 0 as the search sees them.
  auto minutes = [] {
    TimetableRecord const& t = At(0);
    std::vector<int8_t> const& copy = t.WalkMinutes;
    auto at = [&](int i) {
      return copy.empty() ? t.TransferValues[i] : copy[static_cast<size_t>(i)];
    };
    return std::to_string(at(0)) + "," + std::to_string(at(1));
  };
  struct Case {
    char const* name;
    int keyA, keyB, enable, result;
    std::string after;
  };
  const Case cases[] = {
      {"off", 100, 200, 0, 1, "-4,-4"},
      {"off again changes nothing", 200, 100, 0, 0, "-4,-4"},
      {"on", 200, 100, 1, 1, "3,3"},
      {"unknown key", 100, 999, 0, 0, "3,3"},
      {"one station twice", 100, 100, 0, 0, "3,3"},
      {"no link between them", 100, 300, 0, 0, "3,3"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(QoEnableWalk(0, c.keyA, c.keyB, c.enable), c.result);
    EXPECT_EQ(minutes(), c.after);
    int crc = 0;
    EXPECT_EQ(QoVerifyCrc(0, &crc), 1);
  }
}

}  // namespace
}  // namespace qo::test
