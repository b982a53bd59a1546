#pragma once
// Loading timetable files into the set, with the caller's load callback told
// of each step. These are cores: they return the kernel error code of the
// last file that failed (0 when none did) and leave the last-error code to
// the export. A failed file does not stop the others; each failure is also
// handed at once to the export's error sink, so that the callback of a later
// step already reads it (and may clear it).
#include <string>
#include <string_view>
#include <vector>

#include "load/load_events.h"
#include "load/timetable_record.h"

namespace qo {

// Where a failure goes the moment it happens; null: nowhere.
using LoadErrorSink = void (*)(int error);

// The steps of a load that belong to the layers above the loader, run at
// their place: the station index of a file that stores no events (trains/)
// and the full re-index once the set changed. The exports pass the kernel's
// own (KernelLoadSteps, api/loaded_set_steps.h), so that the loader includes
// none of those layers.
struct LoadSteps {
  bool (*NeedsStationIndex)(TimetableRecord const& t) = nullptr;
  bool (*BuildStationIndex)(TimetableRecord& t, bool sort, bool progress,
                            LoadCallback callback) = nullptr;
  void (*Reindex)() = nullptr;
};

// Each path in turn (made a full path), then event 5 when the set is not
// empty, the sort and the full re-index.
int LoadTimetableFiles(std::vector<std::string> const& paths, LoadCallback callback,
                       LoadSteps const& steps, LoadErrorSink report = nullptr);

// Every "*.qo" file of the directory (the data directory when null), by name,
// skipping hidden files and whatever is not a plain file. A directory given
// becomes the data directory.
int LoadTimetableDirectory(char const* directory, LoadCallback callback, LoadSteps const& steps,
                           LoadErrorSink report = nullptr);

// Closes every timetable and reads one extension file into a new empty
// record alone; on failure closes all again; then the full re-index.
// *attached tells success.
int LoadLoneExtension(char const* path, LoadCallback callback, bool* attached,
                      LoadSteps const& steps);

// Where an extension named in a timetable lies: ".gis" is the timetable's
// own path with that extension, a name with a separator is used as it is,
// any other name lies in the timetable's directory. '\' is a separator, and
// a name whose letter case differs from the file's still finds it.
std::string ResolveExtensionPath(std::string_view timetablePath, std::string_view name);

// The directory QoInit and QoMakeListExt use when the caller names none:
// the library's own until a caller sets another (with its separator).
std::string const& DataDirectory();
void SetDataDirectory(std::string_view directory);

}  // namespace qo
