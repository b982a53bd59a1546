#include "load/load_timetables.h"

#include <memory>

#include "frame/error_codes.h"
#include "frame/module_paths.h"
#include "load/close_timetables.h"
#include "load/file_image.h"
#include "load/loaded_set.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "load/reindex.h"
#include "load/sort_set.h"
#include "load/timetable_record.h"
#include "platform/file_system.h"

namespace qo {
namespace {

constexpr intptr_t kIndexLater = 1;
constexpr intptr_t kIndexSorted = 0;
constexpr intptr_t kIndexSortedWithProgress = 3;
constexpr intptr_t kIndexWithProgress = 4;

intptr_t SetCount() { return LoadedCount(); }

// The record being loaded is pinned while the caller's callback runs, which
// may close it (or any other timetable). After each callback the loader asks
// whether the record is still in the set; when it is not, the callback
// closed it and loading it ends as if cancelled.
class LoadingRecord {
 public:
  LoadingRecord() : record_(new TimetableRecord) {}
  ~LoadingRecord() { Drop(); }
  LoadingRecord(LoadingRecord const&) = delete;
  LoadingRecord& operator=(LoadingRecord const&) = delete;

  TimetableRecord* get() const { return record_; }

  void Append() {
    LoadedSet().push_back(record_);
    PinLoadingRecord(record_);
    pinned_ = true;
  }

  bool InSet() const { return IndexOfTimetable(record_) >= 0; }

  // Takes the record out of the set (if it is still there) without the
  // re-index: the set's references are rebuilt, and it is freed.
  void Close() {
    int index = IndexOfTimetable(record_);
    if (index >= 0) {
      CloseTimetable(index);
      RebuildSetReferences();
    }
    Drop();
  }

  // The record stays in the set for good.
  void Keep() {
    UnpinLoadingRecord(record_);
    pinned_ = false;
    record_ = nullptr;
  }

 private:
  void Drop() {
    if (!record_) return;
    if (pinned_) UnpinLoadingRecord(record_);
    // A record still in the set belongs to it; anything else is ours.
    if (!pinned_ || IndexOfTimetable(record_) < 0) delete record_;
    record_ = nullptr;
    pinned_ = false;
  }

  TimetableRecord* record_;
  bool pinned_ = false;
};

bool IsDuplicate(std::string const& path, uint32_t id) {
  for (TimetableRecord const* t : LoadedSet())
    if (t->TimetableId == id && SamePathIgnoringCase(t->FilePath, path)) return true;
  return false;
}

uint32_t TrainTypeBits(TimetableRecord const& t) {
  int32_t types = t.TrainTypeNames.empty() ? 0 : GetPoolCount(t.TrainTypeNames[0]);
  if (types <= 0) return 0;
  return types >= 32 ? 0xFFFFFFFFu : (1u << types) - 1;
}

int Reported(LoadErrorSink report, int error) {
  if (report && error) report(error);
  return error;
}

// One timetable file. The answer 1 to events 0, 1 and 2 skips or cancels it
// without an error.
int LoadOneFile(std::string const& path, LoadCallback callback, LoadSteps const& steps,
                LoadErrorSink report) {
  uint32_t id = 0;
  if (int error = ProbeTimetableFile(path.c_str(), &id)) return Reported(report, error);
  if (IsDuplicate(path, id)) return 0;

  intptr_t answer = RaiseLoadEvent(callback, LoadEvFile, reinterpret_cast<intptr_t>(path.c_str()));
  if (answer == kLoadAnswerSkip) return 0;

  // The image is read before the record joins the set, so that the progress
  // events of a long read cannot reach a half-read record.
  LoadingRecord loading;
  TimetableRecord& t = *loading.get();
  if (int error = ReadTimetableImage(path.c_str(), answer == kLoadAnswerProgress, callback, &t))
    return Reported(report, error);
  loading.Append();

  answer = RaiseLoadEvent(callback, LoadEvAdded, SetCount());
  if (!loading.InSet()) return 0;
  if (answer == kLoadAnswerSkip) {
    loading.Close();
    return 0;
  }

  if (int error = TakeTimetableSections(&t)) {
    loading.Close();
    return Reported(report, error);
  }
  PrepareSetWideData(t);

  answer = RaiseLoadEvent(callback, LoadEvParsed, SetCount());
  if (!loading.InSet()) return 0;
  if (answer == kLoadAnswerSkip) {
    loading.Close();
    return 0;
  }

  if (steps.NeedsStationIndex(t)) {
    answer = RaiseLoadEvent(callback, LoadEvIndex, SetCount());
    if (!loading.InSet()) return 0;
    if (answer != kIndexLater) {
      bool sort = answer == kIndexSorted || answer == kIndexSortedWithProgress;
      bool progress = answer == kIndexSortedWithProgress || answer == kIndexWithProgress;
      if (!steps.BuildStationIndex(t, sort, progress, callback)) {
        loading.Close();
        return Reported(report, ErrDataFileHeader);
      }
      if (!loading.InSet()) return 0;
    }
  }

  int lastError = 0;
  for (int32_t i = 0; i < GetPoolCount(t.ExtensionNames); ++i) {
    std::string_view name = PoolString(t.ExtensionNames, i);
    if (name.empty()) continue;
    std::string extension = ResolveExtensionPath(t.FilePath, name);
    ExtensionReadOptions options;
    options.callback = callback;
    options.skipTypes = LoadOptions().SkippedExtensionTypes;
    options.setCount = SetCount();
    bool attached = false;
    if (int error = ReadExtensionFile(&t, extension.c_str(), options, &attached))
      lastError = Reported(report, error);
    if (!loading.InSet()) return lastError;
  }

  t.TrainTypeMask = TrainTypeBits(t);
  loading.Keep();
  RaiseLoadEvent(callback, LoadEvLoaded, SetCount());
  return lastError;
}

}  // namespace

int LoadTimetableFiles(std::vector<std::string> const& paths, LoadCallback callback,
                       LoadSteps const& steps, LoadErrorSink report) {
  int lastError = 0;
  for (std::string const& given : paths) {
    std::string full = FullPath(given);
    int error = IsUsablePath(full.c_str())
                    ? LoadOneFile(ResolveExistingPath(full), callback, steps, report)
                    : Reported(report, ErrOpenDataFile);
    if (error) lastError = error;
  }
  if (LoadedCount() > 0) RaiseLoadEvent(callback, LoadEvSetDone, SetCount());
  SortLoadedSet();
  steps.Reindex();
  return lastError;
}

int LoadTimetableDirectory(char const* directory, LoadCallback callback, LoadSteps const& steps,
                           LoadErrorSink report) {
  if (directory) SetDataDirectory(directory);
  std::string folder = ResolveExistingPath(DataDirectory());
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::vector<std::string> paths;
  for (DirectoryEntry const& entry : ListDirectory(folder))
    if (entry.regular && !entry.hidden && MatchesMask(entry.name, "*.qo"))
      paths.push_back(folder + entry.name);
  return LoadTimetableFiles(paths, callback, steps, report);
}

int LoadLoneExtension(char const* path, LoadCallback callback, bool* attached,
                      LoadSteps const& steps) {
  *attached = false;
  CloseAllTimetables();
  steps.Reindex();
  LoadingRecord loading;
  loading.Append();
  ExtensionReadOptions options;
  options.callback = callback;
  options.skipTypes = LoadOptions().SkippedExtensionTypes;
  options.setCount = SetCount();
  std::string resolved = ResolveExistingPath(path ? path : "");
  int error = ReadExtensionFile(loading.get(), resolved.c_str(), options, attached);
  if (!loading.InSet()) *attached = false;
  if (!*attached) {
    loading.Close();
    CloseAllTimetables();
    steps.Reindex();
    return error;
  }
  loading.Keep();
  steps.Reindex();
  return error;
}

std::string ResolveExtensionPath(std::string_view timetablePath, std::string_view name) {
  std::string resolved(name);
  size_t separator = timetablePath.find_last_of("/\\");
  if (!resolved.empty() && resolved[0] == '.') {
    std::string_view base = timetablePath;
    size_t dot = base.find_last_of('.');
    if (dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator))
      base = base.substr(0, dot);
    resolved = std::string(base) + resolved;
  }
  if (resolved.find_first_of("/\\") == std::string::npos && separator != std::string_view::npos)
    resolved = std::string(timetablePath.substr(0, separator + 1)) + resolved;
  return ResolveExistingPath(resolved);
}

std::string const& DataDirectory() {
  std::string const& chosen = LoadOptions().DataDirectory;
  return chosen.empty() ? DefaultDataDirectory() : chosen;
}

void SetDataDirectory(std::string_view directory) {
  std::string folder = ToSlashes(directory);
  if (folder.empty()) return;
  if (folder.back() != '/') folder += '/';
  LoadOptions().DataDirectory = folder;
}

}  // namespace qo
