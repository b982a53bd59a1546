// Loading and closing exports: the load callback, the file list, CRC checks.
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "api/loaded_set_steps.h"
#include "core/byte_order.h"
#include "core/counted_array.h"
#include "core/crc32.h"
#include "dates/day_number.h"
#include "load/close_timetables.h"
#include "load/file_list.h"
#include "load/load_events.h"
#include "load/load_timetables.h"
#include "load/loaded_set.h"
#include "load/reindex.h"
#include "load/timetable_record.h"
#include "platform/file_system.h"
#include "text/text_convert.h"

using namespace qo;

static_assert(std::is_same_v<QoLoadCallback, LoadCallback>,
              "the exported callback type is the kernel's own");
static_assert(sizeof(void*) != 8 || sizeof(TIMETABLEFILE_REC) == 104);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEFILE_REC, id) == 16);
static_assert(offsetof(TIMETABLEFILE_REC, dates) == offsetof(TIMETABLEFILE_REC, area) + 4);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEFILE_REC, description) == 88);
static_assert(sizeof(void*) != 8 || offsetof(TIMETABLEFILE_REC, description_value) == 96);

namespace {

// The file list handed out: a counted array of records whose texts live in
// the vectors beside it, until the next listing replaces all of them.
struct FileList {
  ArrayHandle records = nullptr;
  std::vector<std::string> paths;
  std::vector<std::vector<char>> names;
  std::vector<std::string> descriptions;

  void Clear() {
    FreeArray(&records);
    paths.clear();
    names.clear();
    descriptions.clear();
  }
};

FileList& CurrentFileList() {
  static FileList list;
  return list;
}

// A kernel text in the current text mode, with room for UTF-16.
std::vector<char> ConvertedText(std::string const& text) {
  std::vector<char> buffer(2 * (text.size() + 1) + 2, '\0');
  std::memcpy(buffer.data(), text.data(), text.size());
  ConvertTextOutMode(GetTextMode(), buffer.data(), buffer.size());
  return buffer;
}

int MakeFileList(char const* pattern, char language, TIMETABLEFILE_REC** out, int depth,
                 int decoration) {
  FileList& list = CurrentFileList();
  list.Clear();
  if (out) *out = nullptr;
  std::vector<TimetableFileInfo> files = ListTimetableFiles(pattern, language, depth, decoration);
  if (files.empty()) return 0;

  auto const n = static_cast<int32_t>(files.size());
  list.paths.reserve(files.size());
  list.names.reserve(files.size());
  list.descriptions.reserve(files.size());
  AllocArray(&list.records, n, static_cast<int32_t>(sizeof(TIMETABLEFILE_REC)));
  auto* records = reinterpret_cast<TIMETABLEFILE_REC*>(list.records);
  for (int32_t i = 0; i < n; ++i) {
    TimetableFileInfo const& file = files[static_cast<size_t>(i)];
    TIMETABLEFILE_REC& record = records[i];
    list.paths.push_back(file.path);
    list.names.push_back(ConvertedText(file.display));
    record.path = list.paths.back().data();
    record.name = list.names.back().data();
    record.id = static_cast<int>(file.id);
    record.kind = file.kind;
    record.area = file.area;
    for (size_t d = 0; d < file.dates.size(); ++d)
      DayToDmy(static_cast<int>(file.dates[d]), &record.dates[d].day, &record.dates[d].month,
               &record.dates[d].year);
    if (file.hasDescription) {
      list.descriptions.push_back(file.description);
      record.description = list.descriptions.back().data();
      record.description_value = static_cast<int>(file.descriptionValue);
    }
  }
  if (out) *out = records;
  return n;
}

// The CRC-32 of all but the last four bytes against those four: 1 match,
// 0 mismatch, -1 for an image too small to hold a CRC.
int CheckImageCrc(void const* image, int* crc) {
  if (crc) *crc = 0;
  int32_t bytes = GetArrayBytes(image);
  if (bytes <= 4) return -1;
  auto const* data = static_cast<uint8_t const*>(image);
  uint32_t computed = ComputeCrc32(data, static_cast<size_t>(bytes) - 4);
  if (crc) *crc = static_cast<int>(computed);
  return computed == LoadLE<uint32_t>(data + bytes - 4) ? 1 : 0;
}

int VerifyImage(void const* image, int* crc) {
  int result = CheckImageCrc(image, crc);
  if (result < 0) {
    SetKernelError(ErrNotLoaded);
    return 0;
  }
  return result;
}

}  // namespace

extern "C" {

QO_API int QoInit(char const* directory, QoLoadCallback callback) {
  return api::GuardedExport<int>(0, [&] {
    LoadTimetableDirectory(directory, callback, KernelLoadSteps(), SetKernelError);
    return LoadedCount();
  });
}

QO_API int QoInit2(char const* const* paths, int count, QoLoadCallback callback) {
  return api::GuardedExport<int>(0, [&] {
    if (!paths || count < 1) return LoadedCount();
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i) list.emplace_back(paths[i] ? paths[i] : "");
    LoadTimetableFiles(list, callback, KernelLoadSteps(), SetKernelError);
    return LoadedCount();
  });
}

QO_API int QoLoadExtension(char const* path, QoLoadCallback callback) {
  return api::GuardedExport<int>(0, [&] {
    bool attached = false;
    if (int error = LoadLoneExtension(path, callback, &attached, KernelLoadSteps()))
      SetKernelError(error);
    return attached ? 1 : 0;
  });
}

QO_API int QoCloseQo(int index, int reindex) {
  return api::GuardedExport<int>(0, [&] {
    if (!api::CheckTimetable(index)) return 0;
    CloseTimetable(index);
    if (reindex)
      ReindexLoadedSet();
    else
      RebuildSetReferences();
    return 1;
  });
}

QO_API void QoCloseData(void) {
  api::GuardedExport<int>(0, [] {
    CloseAllTimetables();
    ReindexLoadedSet();
    return 1;
  });
}

QO_API int QoVerifyCrc(int index, int* crc) {
  return api::GuardedExport<int>(0, [&] {
    if (crc) *crc = 0;
    TimetableRecord* record = api::CheckTimetable(index);
    if (!record) return 0;
    return VerifyImage(record->Image.get(), crc);
  });
}

QO_API int QoVerifyBuffer(void const* image, int* crc) {
  return api::GuardedExport<int>(0, [&] { return VerifyImage(image, crc); });
}

QO_API int QoMakeListExt(char const* pattern, char language, TIMETABLEFILE_REC** list, int depth,
                         int decoration) {
  return api::GuardedExport<int>(
      0, [&] { return MakeFileList(pattern, language, list, depth, decoration); });
}

QO_API int QoMakeList(char const* pattern, char language, TIMETABLEFILE_REC** list, int depth) {
  return QoMakeListExt(pattern, language, list, depth, 0);
}

QO_API int QoNameCompare(int by_name) {
  LoadOptions().SortByName = by_name != 0;
  return by_name != 0 ? 1 : 0;
}

QO_API void QoSkipExtension(int type) {
  if (type >= 0 && type <= 5) LoadOptions().SkippedExtensionTypes |= 1u << type;
}

QO_API int QoLoadedFromNetwork(int index) {
  return api::Export<int>(0, [&] {
    TimetableRecord* record = api::CheckTimetable(index);
    if (!record) return 0;
    return IsOnRemoteFileSystem(record->FilePath) ? 1 : 0;
  });
}

QO_API int QoHasLinkedCity(void) { return LoadedSetIndex().LinkedCity ? 1 : 0; }

}  // extern "C"
