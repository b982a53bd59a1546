#pragma once
// Benchmarks build their timetables with the project's writer: write the
// models to the temporary folder and make them the loaded set, replacing
// whatever another benchmark loaded. A set that does not load in full ends
// the run, since every figure after it would measure nothing.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "api/loaded_set_steps.h"
#include "load/close_timetables.h"
#include "load/load_timetables.h"
#include "load/loaded_set.h"
#include "writer/timetable_writer.h"

namespace qo::bench {

inline void LoadModels(std::vector<writer::TimetableModel> const& models, std::string const& tag,
                       writer::WriteOptions const& options = {}) {
  std::vector<std::string> paths;
  for (size_t i = 0; i < models.size(); ++i) {
    paths.push_back(std::string(P_tmpdir) + "/qo_bench_" + tag + std::to_string(i) + ".qo");
    writer::SaveFile(paths.back(), writer::WriteTimetable(models[i], options).bytes);
  }
  CloseAllTimetables();
  LoadTimetableFiles(paths, nullptr, KernelLoadSteps());
  if (LoadedCount() != static_cast<int>(models.size())) {
    std::fprintf(stderr, "benchmark: the %s timetables did not load\n", tag.c_str());
    std::exit(1);
  }
}

}  // namespace qo::bench
