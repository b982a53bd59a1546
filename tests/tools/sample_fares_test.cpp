// The sample rail and bus timetables price the connections a user finds:
// the rail by distance with a reduced class, the bus by the zones passed.
#include <gtest/gtest.h>

#include <string>

#include "Qo.h"
#include "tools/sample_timetable.h"

namespace qo::textsource {
namespace {

class SampleFares : public test::SampleTimetable {
 protected:
  void LoadSample(std::string const& name) {
    SampleTimetable::LoadSample(name);
    ASSERT_EQ(QoError(), 0);
  }
  // The first connection from one station to another on Wednesday 4 March
  // 2026 after the time; the count found.
  static int Search(char const* from, char const* to, int time) {
    int f = QoSearchStationName(0, from), t = QoSearchStationName(0, to);
    EXPECT_GE(f, 0);
    EXPECT_GE(t, 0);
    int list = -1, timetable = 0, count = 0;
    QoConnectionExt2(&f, &list, &timetable, nullptr, 1, &t, &list, &timetable, nullptr, 1, nullptr,
                     nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, time, 4, 3, 2026, 1, 1,
                     nullptr, &count, nullptr);
    return count;
  }
  // "rule: price / measure" of the first line, after the result code.
  static std::string Price(int category) {
    PRICEDESC_REC* lines = nullptr;
    SECTION_REC* sections = nullptr;
    int nLines = 0, nSections = 0;
    int result =
        QoGetPriceExt2(nullptr, 0, 'C', 0, &lines, &nLines, &sections, &nSections, category);
    if (result == 2 || nSections < 1) return std::to_string(result);
    PRICEDESC_REC const& l = sections[0].lines[0];
    return std::to_string(result) + " " + l.rule + ": " + l.price_text + " / " + l.measure;
  }
};

TEST_F(SampleFares, RailPricesByDistanceWithAReducedClass) {
  LoadSample("rail");
  ASSERT_GE(Search("Praha hl.n.", "Brno hl.n.", 360), 1);
  // Names in Windows-1250, the kernel's text mode here.
  EXPECT_EQ(Price(-1),
            "0 Oby\xE8"
            "ejn\xE9 j\xEDzdn\xE9: 370 K\xE8 / 257 km");
  EXPECT_EQ(Price(1), "0 Zlevn\xECn\xE9 j\xEDzdn\xE9: 185 K\xE8 / 257 km");
}

TEST_F(SampleFares, BusPricesByZonesPassed) {
  LoadSample("bus");
  ASSERT_GE(Search("Kol\xEDn,,aut.st.", "\xC8\xE1slav,,n\xE1m.J.\x8Ei\x9Eky", 300), 1);
  EXPECT_EQ(Price(-1), "0 Jednotliv\xE1 j\xEDzdenka: 56 K\xE8 / 7 p\xE1sem");
  ASSERT_GE(Search("Kol\xEDn,,aut.st.", "Kutn\xE1 Hora,,aut.st.", 300), 1);
  EXPECT_EQ(Price(-1), "0 Jednotliv\xE1 j\xEDzdenka: 34 K\xE8 / 4 p\xE1sma");
}

}  // namespace
}  // namespace qo::textsource
