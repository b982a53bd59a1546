// The kernel's reader and the writer are two independent readings of
// docs/timetable-format.md: every file the writer makes must load.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "load/read_timetable.h"
#include "tools/rich_model.h"
#include "writer/timetable_writer.h"

namespace qo::writer {
namespace {

using testing::RichModel;

TEST(KernelReader, TakesEveryVersionTheWriterMakes) {
  std::string path = (std::filesystem::temp_directory_path() / "qo_writer_probe.qo").string();
  for (uint32_t version = 0; version <= 23; ++version) {
    for (bool patterns : {false, true}) {
      SCOPED_TRACE("version " + std::to_string(version) + (patterns ? " with patterns" : ""));
      TimetableModel m = RichModel();
      m.format_version = version;
      SaveFile(path, WriteTimetable(m, {.share_stop_patterns = patterns}).bytes);
      TimetableRecord record;
      EXPECT_EQ(ReadTimetableFile(path.c_str(), nullptr, &record), 0);
    }
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace qo::writer
