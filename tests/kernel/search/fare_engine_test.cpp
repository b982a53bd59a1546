// The fare engine on small timetables with fare files written by the
// project's writer: distance and zone measures, rule tests, tables that
// fill up, and the price exports on a found connection.
#include "search/fare_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "dates/clock.h"
#include "format/fare_layout.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "kernel/search/connection_legs.h"
#include "load/loaded_set.h"
#include "search/search_handle.h"
#include "search/search_params.h"
#include "text/cp1250.h"

namespace qo::test {
namespace {

std::string Cp(std::string const& utf8) { return Utf8ToCp1250(utf8); }

// Tuesday 11 March 2025.
const DayNumber kTuesday = w::DayNumberOf(2025, 3, 11);

// Stations A, B (region "Praha") and C, D ("Brno"), keyed 100 to 400. Train
// 0 runs A-B-C-D (10, 40 and 60 km), train 1 B-A, train 2 A-B again later.
w::TimetableModel RailModel() {
  w::TimetableModel m;
  m.id = 7;
  m.names = {"Rail"};
  m.regions = {"Praha", "Brno"};
  const char* names[] = {"Alfa", "Beta", "Gama", "Delta"};
  for (int s = 0; s < 4; ++s)
    m.stations.push_back(
        {.name = {names[s]}, .key = 100 * (s + 1), .region = static_cast<int16_t>(s < 2 ? 0 : 1)});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  m.trains = {
      {.stops = {{.station = 0, .departure = 480, .distance = 0},
                 {.station = 1, .arrival = 500, .departure = 501, .distance = 10000},
                 {.station = 2, .arrival = 530, .departure = 531, .distance = 40000},
                 {.station = 3, .arrival = 560, .distance = 60000}},
       .number = "101"},
      {.stops = {{.station = 1, .departure = 510, .distance = 0},
                 {.station = 0, .arrival = 530, .distance = 10000}},
       .number = "102"},
      {.stops = {{.station = 0, .departure = 600, .distance = 0},
                 {.station = 1, .arrival = 620, .distance = 10000}},
       .number = "103"},
  };
  m.days_off = {w::DayNumberOf(2025, 3, 12)};  // a Wednesday off
  m.extension_names = {"rail.qof"};
  return m;
}

w::FareCurrency Crowns(uint8_t mark = 0) {
  return {.rounding = 0, .mark = mark, .format_cents = "%d,%02d Kč", .format_whole = "%d Kč"};
}

// 10, 20, 50 and 100 km for 10, 20, 40 and 80 crowns; the measure in km.
w::FareTable DistanceTable() {
  return {.kind = kTableDistance,
          .formats = "10=deset km|30-49=%d kilometrů|%d km",
          .thresholds = {10000, 20000, 50000, 100000},
          .values = {1000, 2000, 4000, 8000}};
}

w::FareRule FixedRule(std::string name, int32_t price) {
  w::FareRule r;
  r.names = {std::move(name)};
  r.prices = {{.fixed = {price, 0}}};
  return r;
}

w::FareRule DistanceRule(std::string name = "Obyčejné") {
  w::FareRule r;
  r.names = {std::move(name)};
  r.prices = {{.table = 0}};
  r.measure_table = 0;
  return r;
}

w::FareModel DistanceFares() {
  w::FareModel f;
  f.currencies = {Crowns()};
  f.tables = {DistanceTable()};
  f.rules = {DistanceRule()};
  return f;
}

class FareTest : public LoadingTest {
 protected:
  void TearDown() override {
    ResetClockForTesting();
    CurrentSearchHandle() = SearchHandle{};
    LoadingTest::TearDown();
  }

  // Writes and loads the rail timetable with the fares (none: no file).
  void LoadRail(w::FareModel const* fares, w::TimetableModel m = RailModel()) {
    if (fares) {
      w::ExtensionModel e{.type = w::ExtensionType::kFares};
      e.fares = *fares;
      dir_.Save("rail.qof", w::WriteExtension(e).bytes);
    }
    QoCloseData();
    ASSERT_EQ(Load({dir_.Write("rail.qo", m)}), 1);
    QoError();
  }

  FareResult Price(Connection const& legs, FareRequest request = {}) {
    if (request.TravelDay == 0) request.TravelDay = kTuesday;
    return CalculateFare(legs, request, tables_);
  }
  std::string Total(int i = 0) const { return tables_.Totals[static_cast<size_t>(i)].Text; }
  std::string Line(int section, int i) const {
    PriceLine const& l = tables_.Sections[static_cast<size_t>(section)].Lines[i];
    return std::string(l.Rule) + ": " + l.Text +
           (l.Measure[0] ? std::string(" / ") + l.Measure : "");
  }

  FareTables tables_;
};

TEST_F(FareTest, WithoutAFareGroupNothingIsPriced) {
  w::TimetableModel m = RailModel();
  m.extension_names.clear();
  LoadRail(nullptr, m);
  EXPECT_EQ(Price({Leg(0, 0, 3, 480, 560)}), FareNotPriced);
  EXPECT_EQ(tables_.SectionCount, 0);
  EXPECT_EQ(tables_.TotalCount, 0);
}

TEST_F(FareTest, DistanceFareWithItsMeasureAndFormats) {
  w::FareModel f = DistanceFares();
  LoadRail(&f);
  struct Case {
    Connection legs;
    const char* line;
  } cases[] = {
      {{Leg(0, 0, 1, 480, 500)}, "Obyčejné: 10 Kč / deset km"},  // 10 km is the first threshold
      {{Leg(0, 0, 2, 480, 530)}, "Obyčejné: 40 Kč / 40 kilometrů"},
      {{Leg(0, 1, 3, 501, 560)}, "Obyčejné: 40 Kč / 50 km"},
      {{Leg(0, 0, 3, 480, 560)}, "Obyčejné: 80 Kč / 60 km"},
  };
  for (Case const& c : cases) {
    ASSERT_EQ(Price(c.legs), FareAllPriced) << c.line;
    ASSERT_EQ(tables_.SectionCount, 1);
    EXPECT_EQ(Line(0, 0), Cp(c.line));
    std::string line = Cp(c.line);
    EXPECT_EQ(Total(), line.substr(line.find(": ") + 2, line.find(" /") - line.find(": ") - 2));
  }
  PriceSection const& s = tables_.Sections[0];
  EXPECT_EQ(s.FromTimetable, 0);
  EXPECT_EQ(s.FromStation, 0);
  EXPECT_EQ(s.ToStation, 3);
  EXPECT_EQ(tables_.Totals[0].Price, 8000);
}

TEST_F(FareTest, DistanceAcrossARegionBorder) {
  // A rule for the Praha region: A-B counts whole, B-C (30 km) crosses the
  // border, C-D lies outside.
  struct Case {
    std::vector<w::FareKeyTriple> borders;
    const char* measure;
  } cases[] = {
      {{}, "25 km"},                   // half of the crossing pair
      {{{200, 300, 12000}}, "22 km"},  // the border table's distance
      {{{300, 200, 12000}}, "25 km"},  // an entry for the other direction does not count
  };
  for (Case const& c : cases) {
    w::FareModel f = DistanceFares();
    f.tables[0].formats = "%d km";
    f.rules[0].region = "Pra";
    f.borders = c.borders;
    LoadRail(&f);
    ASSERT_EQ(Price({Leg(0, 0, 3, 480, 560)}), FareAllPriced);
    EXPECT_STREQ(tables_.Sections[0].Lines[0].Measure, c.measure);
  }
}

TEST_F(FareTest, DayRulesFollowTheTimetablesDaysOff) {
  w::FareModel f;
  f.currencies = {Crowns()};
  f.rules = {FixedRule("Pracovní den", 1000), FixedRule("Jiný den", 2000)};
  f.rules[0].day_rule = 0;
  LoadRail(&f);
  struct Case {
    DayNumber day;
    const char* rule;
  } cases[] = {
      {kTuesday, "Pracovní den"},
      {w::DayNumberOf(2025, 3, 12), "Jiný den"},  // a working weekday, but a day off
      {w::DayNumberOf(2025, 3, 16), "Jiný den"},  // Sunday
  };
  for (Case const& c : cases) {
    ASSERT_EQ(Price({Leg(0, 0, 1, 480, 500)}, {.TravelDay = c.day}), FareAllPriced);
    EXPECT_EQ(tables_.Sections[0].Lines[0].Rule, Cp(c.rule));
  }
}

TEST_F(FareTest, CategoryAndSecondPrice) {
  w::FareModel f = DistanceFares();
  f.flags = kFareFlagTwoVariants;
  f.tables[0].values = {1000, 500, 2000, 1000, 4000, 2000, 8000, 4000};
  w::FareRule discount = DistanceRule("Sleva");
  discount.category = 1;
  discount.prices[0].base = -1000;
  f.rules.push_back(discount);
  LoadRail(&f);
  struct Case {
    int32_t variant, category;
    FareResult result;
    const char* total;
  } cases[] = {
      {0, -1, FareAllPriced, "80 Kč"},
      {1, -1, FareAllPriced, "40 Kč"},  // the customer card's price
      {0, 1, FareAllPriced, "70 Kč"},   // the discount rule right after the general one
      {0, 2, FareNotPriced, ""},        // no rule of that category applied
  };
  for (Case const& c : cases) {
    ASSERT_EQ(Price({Leg(0, 0, 3, 480, 560)}, {.Variant = c.variant, .Category = c.category}),
              c.result);
    if (c.result != FareNotPriced) {
      EXPECT_EQ(Total(), Cp(c.total));
    }
  }
}

TEST_F(FareTest, EqualConsecutiveSectionsAreReportedOnce) {
  w::FareModel f = DistanceFares();
  LoadRail(&f);
  // Two rides A-B: the second section has the same four ends.
  ASSERT_EQ(Price({Leg(0, 0, 1, 480, 500), Leg(2, 0, 1, 600, 620)}), FareAllPriced);
  ASSERT_EQ(tables_.SectionCount, 1);
  EXPECT_EQ(tables_.Sections[0].Count, 2);
  EXPECT_EQ(Total(), Cp("20 Kč"));
  // A-B and then B-A are two sections.
  ASSERT_EQ(Price({Leg(0, 0, 1, 480, 500), Leg(1, 1, 0, 510, 530)}), FareAllPriced);
  EXPECT_EQ(tables_.SectionCount, 2);
}

TEST_F(FareTest, EveryTableWriteIsBounded) {
  // Forty rules that are not final, each in a currency of its own mark: a
  // section keeps six lines and the totals 31; the result says partly.
  w::FareModel f;
  for (int i = 0; i < 40; ++i) {
    f.currencies.push_back(Crowns(static_cast<uint8_t>(i)));
    w::FareRule r = FixedRule("Příplatek " + std::to_string(i), 100);
    r.final = false;
    r.currency = static_cast<int16_t>(i);
    f.rules.push_back(r);
  }
  LoadRail(&f);
  ASSERT_EQ(Price({Leg(0, 0, 1, 480, 500)}), FarePartlyPriced);
  EXPECT_EQ(tables_.Sections[0].Count, kMaxSectionLines);
  EXPECT_EQ(tables_.TotalCount, kMaxFareLines);

  // More legs than nodes: the nodes stop at 31, and so do the sections.
  w::TimetableModel m = RailModel();
  m.trains.clear();
  for (int i = 0; i < 40; ++i) {
    int from = i % 2, to = 1 - from;
    m.trains.push_back(
        {.stops = {
             {.station = static_cast<uint16_t>(from), .departure = 300 + 20 * i, .distance = 0},
             {.station = static_cast<uint16_t>(to), .arrival = 310 + 20 * i, .distance = 10000}}});
  }
  w::FareModel d = DistanceFares();
  d.flags = kFareFlagNoLinks;
  LoadRail(&d, m);
  Connection legs;
  for (int i = 0; i < 40; ++i) legs.push_back(Leg(i, i % 2, 1 - i % 2, 300 + 20 * i, 310 + 20 * i));
  EXPECT_EQ(Price(legs), FarePartlyPriced);
  EXPECT_EQ(tables_.SectionCount, kMaxFareSections);
}

// Zone fares: stations 0..3 get zone candidates from the fare file.
class ZoneFareTest : public FareTest {
 protected:
  // Prices A-D of train 0 with the stops' zones; the names of the rules that
  // applied, and the zone count as the measure text.
  std::string PriceZones(std::vector<std::vector<int16_t>> zones, uint8_t flags = 0) {
    w::FareModel f;
    f.flags = flags;
    f.currencies = {Crowns()};
    f.tables = {{.kind = kTableZones, .formats = "%d", .thresholds = {100}, .values = {0}}};
    for (size_t s = 0; s < zones.size(); ++s)
      for (size_t k = 0; k < zones[s].size(); k += 2)
        f.station_zones.push_back(
            {.key = static_cast<int32_t>(100 * (s + 1)),
             .zone = zones[s][k],
             .second = k + 1 < zones[s].size() ? zones[s][k + 1] : int16_t{-1}});
    // Which zones the cover took, told by rules that need one zone each.
    for (int16_t z : {66, 1, 3, 0}) {
      w::FareRule r = FixedRule("z" + std::to_string(z), 100);
      r.final = false;
      r.required_zones = {z};
      r.measure_table = 0;
      f.rules.push_back(r);
    }
    w::FareRule any = FixedRule("zones", 100);
    any.measure_table = 0;
    f.rules.push_back(any);
    LoadRail(&f);
    if (Price({Leg(0, 0, 3, 480, 560)}) == FareNotPriced) return "none";
    std::string out;
    PriceSection const& s = tables_.Sections[0];
    for (int i = 0; i < s.Count; ++i) out += std::string(s.Lines[i].Rule) + " ";
    return out + s.Lines[0].Measure;
  }
};

TEST_F(ZoneFareTest, GreedyCoverAndItsTieRules) {
  struct Case {
    std::vector<std::vector<int16_t>> zones;
    uint8_t flags;
    const char* taken;
  } cases[] = {
      // Single candidates first: 1 and 3 cover B and C.
      {{{1}, {1, 2}, {2, 3}, {3}}, 0, "z1 z3 zones 2"},
      // A tie between 1 and 66 goes to 66 while zone 2 is not taken ...
      {{{1, 66}, {1, 66}, {1, 66}, {1, 66}}, 0, "z66 zones 1"},
      // ... and to the lower number once it is.
      {{{2}, {1, 66}, {1, 66}, {1, 66}}, 0, "z1 zones 2"},
      // Otherwise the lowest number wins a tie.
      {{{3, 5}, {3, 5}, {3, 5}, {3, 5}}, 0, "z3 zones 1"},
      // More stops win over a lower number.
      {{{1, 3}, {3}, {3}, {3}}, 0, "z3 zones 1"},
      // Zones 1 and 80 bring zone 0.
      {{{1}, {80}, {80}, {80}}, 0, "z1 z0 zones 3"},
      // Gaps between zones taken are filled with the flag only.
      {{{1}, {1}, {4}, {4}}, 0, "z1 zones 2"},
      {{{1}, {1}, {4}, {4}}, kFareFlagFillZones, "z1 z3 zones 4"},
  };
  for (Case const& c : cases) EXPECT_EQ(PriceZones(c.zones, c.flags), c.taken);
}

TEST_F(FareTest, ZonePairTablesPriceTheEndsZones) {
  // Zones by key ranges: A in zone 0, B in 1, C and D in 2.
  auto fares = [](std::vector<int32_t> values) {
    w::FareModel f;
    f.currencies = {Crowns()};
    f.tables = {{.kind = kTableZonePrice,
                 .values = std::move(values),
                 .zone_ranges = {{100, 199}, {200, 299}, {300, 499}}}};
    w::FareRule r;
    r.names = {"Zóny"};
    r.prices = {{.zone_table = 0}};
    f.rules = {r};
    return f;
  };
  struct Case {
    std::vector<int32_t> values;
    Connection legs;
    FareResult result;
    int32_t price;
  } cases[] = {
      {{1000, 2000, 3000}, {Leg(0, 0, 1, 480, 500)}, FareAllPriced, 1000},  // 0-1
      {{1000, 2000, 3000}, {Leg(0, 0, 3, 480, 560)}, FareAllPriced, 2000},  // 0-2
      {{1000, 2000, 3000}, {Leg(0, 1, 3, 501, 560)}, FareAllPriced, 3000},  // 1-2
      // C-D lie in one zone: no price from a table without a diagonal ...
      {{1000, 2000, 3000}, {Leg(0, 2, 3, 531, 560)}, FareNotPriced, 0},
      // ... and the diagonal's price from one that has it.
      {{500, 1000, 2000, 600, 3000, 700}, {Leg(0, 2, 3, 531, 560)}, FareAllPriced, 700},
      {{500, 1000, 2000, 600, 3000, 700}, {Leg(0, 0, 3, 480, 560)}, FareAllPriced, 2000},
  };
  for (Case const& c : cases) {
    w::FareModel f = fares(c.values);
    LoadRail(&f);
    ASSERT_EQ(Price(c.legs), c.result);
    if (c.result == FareAllPriced) {
      EXPECT_EQ(tables_.Totals[0].Price, c.price);
    }
  }
}

TEST_F(FareTest, LinkedNodesAreCutWhereTheJourneyComesBack) {
  w::FareModel f = DistanceFares();
  f.transfers = {{200, 200, 0}};
  f.flags = kFareFlagForceJoin;
  LoadRail(&f);
  // A-B, then back B-A: the second node would link to the first over the
  // transfer at B, but it returns to A, so the chain is cut there.
  ASSERT_EQ(Price({Leg(0, 0, 1, 480, 500), Leg(1, 1, 0, 510, 530)}), FareAllPriced);
  EXPECT_EQ(tables_.Cuts, std::vector<int32_t>{1});
  EXPECT_EQ(tables_.SectionCount, 2);
  // A-B then on to C over the same train's later stops: linked and priced
  // as one 40 km ride (the transfer joins them).
  ASSERT_EQ(Price({Leg(2, 0, 1, 600, 620), Leg(0, 1, 2, 501, 530)}), FareAllPriced);
  EXPECT_TRUE(tables_.Cuts.empty());
  ASSERT_EQ(tables_.SectionCount, 1);
  EXPECT_EQ(Total(), Cp("40 Kč"));
}

TEST_F(FareTest, ADamagedFareFileIsRefused) {
  w::FareModel f = DistanceFares();
  w::ExtensionModel e{.type = w::ExtensionType::kFares};
  e.fares = f;
  w::WrittenFile good = w::WriteExtension(e);
  size_t rule = good.ArrayOffset("Fares/rules") + 8;
  size_t table = good.ArrayOffset("Fares/table0/values");
  std::vector<std::vector<uint8_t>> damaged = {
      // a rule naming a currency that is not there
      w::PatchU8(good, rule + kRuleCurrency, 5),
      // a rule naming a measure table that is not there
      w::PatchU8(good, rule + kRuleMeasureTable, 9),
      // a table whose values are no longer one word each
      w::PatchU32(good, table + 4, 2),
  };
  for (auto const& bytes : damaged) {
    dir_.Save("rail.qof", bytes);
    QoCloseData();
    ASSERT_EQ(Load({dir_.Write("rail.qo", RailModel())}), 1);
    EXPECT_EQ(QoError(), ErrExtensionHeader);
    EXPECT_FALSE(At(0).Fares);
  }
}

TEST_F(FareTest, PriceExportsOnAFoundConnection) {
  w::FareModel f = DistanceFares();
  f.rules[0].names = {"Obyčejné jízdné po železnici"};
  LoadRail(&f);
  ResetConnParms(nullptr);
  int from = 0, to = 3, list = -1, timetable = 0, count = 0;
  QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                   nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, 470, 11, 3, 2025, 1,
                   1, nullptr, &count, nullptr);
  ASSERT_GE(count, 1);

  PRICEDESC_REC* lines = nullptr;
  SECTION_REC* sections = nullptr;
  int lineCount = 0, sectionCount = 0;
  ASSERT_EQ(QoGetPriceExt2(nullptr, 0, 'C', 0, &lines, &lineCount, &sections, &sectionCount, -1),
            0);
  ASSERT_EQ(lineCount, 1);
  EXPECT_EQ(lines[0].price, 8000);
  ASSERT_EQ(sectionCount, 1);
  EXPECT_EQ(sections[0].to_station, 3);

  PRICEDESC1_REC* old = nullptr;
  SECTION1_REC* oldSections = nullptr;
  ASSERT_EQ(QoGetPrice(nullptr, 0, 'C', 0, &old, &lineCount, &oldSections, &sectionCount), 0);
  EXPECT_EQ(old[0].price_text, Cp("80 Kč"));
  EXPECT_EQ(oldSections[0].lines[0].rule, Cp("Obyčejné jízdné po železnici"));
  EXPECT_STREQ(oldSections[0].lines[0].measure, "60 km");

  const int* cuts = nullptr;
  EXPECT_EQ(QoGetOpp(&cuts), 0);
  EXPECT_EQ(QoGetPriceExt2(nullptr, 5, 'C', 0, &lines, &lineCount, nullptr, nullptr, -1), 2);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);

  // A handle from before a reload.
  void* handle = QoGetConnHandle();
  LoadRail(&f);
  EXPECT_EQ(QoGetPriceExt2(handle, 0, 'C', 0, &lines, &lineCount, nullptr, nullptr, -1), 2);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(lineCount, 0);
  delete static_cast<SearchHandle*>(handle);
}

}  // namespace
}  // namespace qo::test
