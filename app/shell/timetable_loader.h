#pragma once
// Finding, choosing and loading the timetables through the kernel with the
// program's load callback: splash texts and progress for every step, the
// integrity checks, and the questions about expired and contained
// timetables.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "shell/kernel_api.h"
#include "shell/load_ui.h"

namespace vemo {

struct LoadOptions {
  // From the command line; empty: discover the files in the current
  // directory (or its subdirectories).
  std::vector<std::string> timetable_files;
  bool load_all_found = false;
  bool skip_integrity_check = false;
  bool load_at_once = false;
  char language_letter = 'C';
  // Day number of today, for the expiry question.
  int today = 0;
};

class TimetableLoader {
 public:
  TimetableLoader(KernelApi* api, LoadUi* ui, LoadOptions options);

  // True when at least one timetable is loaded; otherwise the reason was
  // shown (or the choice was cancelled).
  bool LoadTimetables();
  // The paths handed to the kernel.
  std::vector<std::string> const& files() const { return files_; }

  // The load callback's decisions; public for the kernel's trampoline.
  intptr_t OnKernelLoadEvent(int event, intptr_t value);

 private:
  bool DiscoverFiles();
  intptr_t OnParsed(int index);
  void CloseContainedTimetables();
  std::string NameOf(int index);
  void Splash(int id, std::string const& name);

  KernelApi* api_;
  LoadUi* ui_;
  LoadOptions options_;
  std::vector<std::string> files_;
  std::string current_file_;
  std::string current_extension_;
  // Earlier timetables found contained in a later one. Closing them inside
  // the callback would shift the indexes under the record the kernel is
  // still building, and the set is sorted after loading, so they are
  // remembered by path and closed once QoInit2 has returned.
  std::set<std::string> contained_paths_;
};

}  // namespace vemo
