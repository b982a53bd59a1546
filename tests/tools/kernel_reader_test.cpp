// The kernel's reader and the writer are two independent readings of
// docs/timetable-format.md: every file the writer makes must load.
#include <gtest/gtest.h>

#include "dates/day_number.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "tools/rich_model.h"
#include "writer/timetable_writer.h"

namespace qo::writer {
namespace {

using testing::RichModel;

TEST(KernelReader, TakesEveryVersionTheWriterMakes) {
  for (uint32_t version = 0; version <= 23; ++version) {
    for (bool patterns : {false, true}) {
      SCOPED_TRACE("version " + std::to_string(version) + (patterns ? " with patterns" : ""));
      TimetableModel m = RichModel();
      m.format_version = version;
      std::vector<uint8_t> bytes = WriteTimetable(m, {.share_stop_patterns = patterns}).bytes;
      TimetableRecord record;
      EXPECT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);
    }
  }
  // Station events left to the loader.
  std::vector<uint8_t> bytes = WriteTimetable(RichModel(), {.write_station_events = false}).bytes;
  TimetableRecord record;
  EXPECT_EQ(ReadTimetableBytes(bytes.data(), bytes.size(), &record), 0);
}

TEST(KernelReader, AttachesEveryExtensionTheWriterMakes) {
  TimetableModel m = RichModel();
  m.id = 33;
  std::vector<uint8_t> timetable = WriteTimetable(m).bytes;
  for (auto type : {ExtensionType::kFares, ExtensionType::kGis, ExtensionType::kStationKeys,
                    ExtensionType::kQMap}) {
    for (int variant = 0; variant < 3; ++variant) {
      SCOPED_TRACE("type " + std::to_string(static_cast<int>(type)) + ", variant " +
                   std::to_string(variant));
      ExtensionModel model{.type = type, .owner_id = variant == 0 ? -1 : 33};
      model.fare_version = static_cast<uint16_t>(variant * 3);
      model.qmap_version = static_cast<uint16_t>(variant % 2);
      model.station_key_sets = static_cast<uint32_t>(variant);
      std::vector<uint8_t> bytes = WriteExtension(model).bytes;
      TimetableRecord record;
      ASSERT_EQ(ReadTimetableBytes(timetable.data(), timetable.size(), &record), 0);
      bool attached = false;
      EXPECT_EQ(ReadExtensionBytes(&record, "x.ext", bytes.data(), bytes.size(), {}, &attached), 0);
      EXPECT_TRUE(attached);
    }
  }
}

// Models state dates with the writer's own day numbers; they must be the
// kernel's.
TEST(KernelReader, DayNumbersAgreeWithTheKernel) {
  int const dates[][3] = {{1900, 1, 2}, {1900, 3, 1}, {2000, 2, 29}, {2025, 1, 1}, {2078, 12, 31}};
  for (auto const& d : dates) {
    EXPECT_EQ(DayNumberOf(d[0], d[1], d[2]), DmyToDay(d[0], d[1], d[2])) << d[0] << "-" << d[1];
  }
}

}  // namespace
}  // namespace qo::writer
