#pragma once
// Timetables with GIS maps for the map tests: a small model with keyed
// stations and one train over them, its map written by the project's
// writer beside it and named by the timetable.
#include <string>
#include <vector>

#include "kernel/loading/loading_test_support.h"

namespace qo::test {

// Stations keyed 100, 200, ..., one train calling at all of them from 8:00
// every 10 minutes, and the map file named ".gis".
inline w::TimetableModel MapModel(uint32_t id, int stations) {
  w::TimetableModel m = SmallModel(id, 1, 0, stations);
  w::Train train;
  for (int s = 0; s < stations; ++s) {
    int minute = 480 + 10 * s;
    if (s == 0) {
      train.stops.push_back(Dep(static_cast<uint16_t>(s), minute));
    } else if (s + 1 == stations) {
      train.stops.push_back(Arr(static_cast<uint16_t>(s), minute));
    } else {
      train.stops.push_back(Pass(static_cast<uint16_t>(s), minute, minute + 1));
    }
  }
  m.trains = {train};
  m.extension_names = {".gis"};
  return m;
}

class MapTest : public LoadingTest {
 protected:
  // Writes timetable `name`.qo with its map `name`.gis (none when `gis` is
  // null) and returns the timetable's path.
  std::string WriteWithMap(std::string const& name, w::TimetableModel const& model,
                           w::GisModel const* gis) {
    if (gis) {
      dir_.Save(name + ".gis",
                w::WriteExtension({.type = w::ExtensionType::kGis, .gis = *gis}).bytes);
    }
    return dir_.Write(name + ".qo", model);
  }
};

}  // namespace qo::test
