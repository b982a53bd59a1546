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
  // The same QMap with a path network: two path nodes and the nodes of
  // two coordinate rows.
  w::QMapModel network = qo::test::QMapContent(2);
  network.nodes = {{{0, 3}, -1, {{1, 10}, {2, 1}}},
                   {{10, 3}, -1, {{0, 10}, {3, 2}}},
                   {{1, 2}, 0, {}},
                   {{10, 4}, 2, {}}};
  w::SaveFile(dir + "extension-qmap-network.ext",
              w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = network}).bytes);
  // Rows for two of RichModel's stations (one reservation key for both),
  // one for a key of no station; the two further column triples empty.
  w::SaveFile(
      dir + "extension-keys-content.ext",
      w::WriteExtension(
          {.type = w::ExtensionType::kStationKeys,
           .station_key_sets = 2,
           .station_key_rows = {{5457076, 5435, 54001}, {5457086, 5436, 54001}, {9999999, 1, 2}}})
          .bytes);
  w::SaveFile(dir + "extension-fares-content.ext",
              qo::test::WithBody(w::ExtensionType::kFares, qo::test::FareBody()));
  return 0;
}
