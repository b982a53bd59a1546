// Train properties of city and bus lines in the text format: running on
// beyond the line (which a stop timetable's legend names) and the trips
// whose first or last stop is no end of the line.
#include <gtest/gtest.h>

#include <string>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"
#include "qobuild/text_source.h"

namespace qo::test {
namespace {

constexpr char kSource[] =
    "id 7\n"
    "kind city\n"
    "name \"Město\"\n"
    "valid 14.12.2025 12.12.2026\n"
    "station A 11 \"Alfa\"\n"
    "station B 12 \"Beta\"\n"
    "station C 13 \"Gama\"\n"
    "traintype Bus\n"
    "train Bus 5\n"
    "  every 30 until 9:00\n"
    "  through C line=12\n"
    "  A 8:00\n"
    "  B 8:10\n"
    "train Bus 5\n"
    "  line-ends not-start not-end\n"
    "  A 10:00\n"
    "  B 10:10\n";

class LineProperties : public LoadingTest {};

TEST_F(LineProperties, ThroughRunningAndLineEnds) {
  textsource::CompiledFiles files =
      textsource::WriteCompiledSource(textsource::ParseTimetableSource(kSource, "t.txt"));
  ASSERT_EQ(Load({dir_.Save("t.qo", files.timetable.bytes)}), 1);
  TimetableRecord& t = At(0);
  ASSERT_EQ(t.ThroughTrips.size(), 3);  // every copy of the repeated trip
  EXPECT_EQ(t.ThroughRows.Field<uint16_t>(2, 0), 2);
  EXPECT_EQ(t.ThroughRows.Field<int32_t>(2, 2), 12);
  ASSERT_EQ(t.TripEndFlags.size(), 4);
  EXPECT_EQ(static_cast<uint8_t>(t.TripEndFlags[3]), 0xC0);
  EXPECT_EQ(t.TripEndFlags[0], 0);

  const int direction[] = {0, 1};
  int** counts = nullptr;
  ZJRTIME_REC*** hours = nullptr;
  unsigned char* days = nullptr;
  int legend = 0, kind = 0;
  char const** codes = nullptr;
  char const** texts = nullptr;
  ASSERT_EQ(QoZJRTimes(0, 0xFFFFFFFF, 0, 0, 5, 1, 2026, 0, direction, 2, 0, 0, &counts, &hours,
                       &days, &legend, &codes, &texts, &kind),
            1);
  ASSERT_EQ(legend, 1);
  // Kernel text in Windows-1250.
  EXPECT_EQ(std::string(texts[0]), "d\xE1le pokra\xE8uje do zast\xE1vky Gama jako linka 12");
  EXPECT_EQ(std::string(hours[0][8][0].marks), "A");
  EXPECT_EQ(std::string(hours[0][10][0].marks), "");

  EXPECT_THROW(textsource::ParseTimetableSource(std::string(kSource) +
                                                    "train Bus 6\n"
                                                    "  line-ends nowhere\n  A 11:00\n  B 11:10\n",
                                                "t.txt"),
               textsource::SourceError);
}

}  // namespace
}  // namespace qo::test
