// Writes the fuzzer's seed corpus into a directory: timetables of every
// format version (plain, with shared patterns and without stored events),
// and extension files of every type, empty and with content.
#include <cstdio>
#include <string>

#include "kernel/load/extension_bodies.h"
#include "kernel/load/rich_timetable.h"
#include "writer/timetable_writer.h"

namespace w = qo::writer;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  std::string dir = std::string(argv[1]) + "/";
  for (uint32_t v = 0; v <= qo::kMaxFormatVersion; ++v) {
    w::TimetableModel model = qo::test::RichModel(v);
    w::SaveFile(dir + "timetable-v" + std::to_string(v) + ".qo", w::WriteTimetable(model).bytes);
  }
  w::SaveFile(dir + "timetable-patterns.qo",
              w::WriteTimetable(qo::test::RichModel(23),
                                {.share_stop_patterns = true, .write_station_events = false})
                  .bytes);
  for (auto type : {w::ExtensionType::kFares, w::ExtensionType::kGis,
                    w::ExtensionType::kStationKeys, w::ExtensionType::kQMap}) {
    std::string name = dir + "extension-" + std::to_string(static_cast<int>(type));
    w::SaveFile(name + ".ext", w::WriteExtension({.type = type, .station_key_sets = 2}).bytes);
  }
  w::SaveFile(dir + "extension-gis-content.ext", qo::test::GisFile());
  w::SaveFile(dir + "extension-qmap-content.ext", qo::test::QMapFile(2));
  w::SaveFile(dir + "extension-fares-content.ext",
              qo::test::WithBody(w::ExtensionType::kFares, qo::test::FareBody()));
  return 0;
}
