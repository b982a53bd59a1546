#include "load/file_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/byte_order.h"
#include "core/string_pool.h"
#include "format/section_reader.h"
#include "load/file_image.h"
#include "load/load_timetables.h"
#include "load/loaded_set.h"
#include "load/read_timetable.h"
#include "platform/file_system.h"
#include "text/collate.h"

namespace qo {
namespace {

constexpr size_t kLanguageCountOffset = 100;
constexpr size_t kDescriptionMax = 99;
constexpr int kDecoratedGroup = 3;

class FileCloser {
 public:
  explicit FileCloser(std::FILE* file) : file_(file) {}
  ~FileCloser() {
    if (file_) std::fclose(file_);
  }
  FileCloser(FileCloser const&) = delete;
  FileCloser& operator=(FileCloser const&) = delete;

 private:
  std::FILE* file_;
};

bool ReadAt(std::FILE* file, long offset, void* into, size_t bytes) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(into, 1, bytes, file) == bytes;
}

// Appends one stored array ({u32 byte size; u32 count; elements}, or a lone
// u32 0) read at *offset, bounded by the file's size.
bool AppendStoredArray(std::FILE* file, long size, long* offset, std::vector<uint8_t>& out) {
  uint8_t head[8];
  if (*offset + 4 > size || !ReadAt(file, *offset, head, 4)) return false;
  uint32_t bytes = LoadLE<uint32_t>(head);
  if (bytes == 0) {
    out.insert(out.end(), head, head + 4);
    *offset += 4;
    return true;
  }
  if (bytes > static_cast<uint64_t>(size - *offset - 8) || !ReadAt(file, *offset + 4, head + 4, 4))
    return false;
  size_t at = out.size();
  out.insert(out.end(), head, head + 8);
  out.resize(at + 8 + bytes);
  if (std::fread(out.data() + at + 8, 1, bytes, file) != bytes) return false;
  *offset += 8 + static_cast<long>(bytes);
  return true;
}

void ReadDescription(std::FILE* file, long size, TimetableFileInfo* info) {
  long trailer = size - static_cast<long>(kTrailerBytes);
  uint8_t raw[4];
  if (!ReadAt(file, trailer, raw, 4)) return;
  long offset = static_cast<long>(LoadLE<uint32_t>(raw));
  if (offset < static_cast<long>(kHeaderFixedBytes) || offset >= trailer) return;
  char text[kDescriptionMax + 1 + 4];
  size_t room = std::min(sizeof text, static_cast<size_t>(trailer - offset));
  if (!ReadAt(file, offset, text, room)) return;
  char const* end =
      static_cast<char const*>(std::memchr(text, 0, std::min(room, kDescriptionMax + 1)));
  if (!end) return;
  size_t length = static_cast<size_t>(end - text);
  if (length + 1 + 4 > room) return;
  info->description.assign(text, length);
  info->descriptionValue = LoadLE<uint32_t>(text + length + 1);
  info->hasDescription = true;
}

int Compare(int a, int b) { return a < b ? -1 : b < a ? 1 : 0; }

int GroupOf(TimetableFileInfo const& f) {
  return f.display.find(" - ") != std::string::npos ? kDecoratedGroup : f.kind;
}

bool FileBefore(TimetableFileInfo const& a, TimetableFileInfo const& b, bool byName) {
  int c = Compare(GroupOf(a), GroupOf(b));
  if (byName) {
    if (!c) c = CompareCzech(a.display.c_str(), b.display.c_str(), true);
    if (!c) c = CompareCzech(a.path.c_str(), b.path.c_str(), true);
    if (!c) c = Compare(a.area, b.area);
    if (!c) c = Compare(static_cast<int>(a.dates[1]), static_cast<int>(b.dates[1]));
  } else {
    if (!c) c = Compare(a.area, b.area);
    if (!c) c = Compare(static_cast<int>(a.dates[1]), static_cast<int>(b.dates[1]));
    if (!c) c = CompareCzech(a.path.c_str(), b.path.c_str(), true);
  }
  return c < 0;
}

void ListInto(std::string const& directory, std::string const& mask, char language, int depth,
              int decoration, std::vector<TimetableFileInfo>& out) {
  std::vector<DirectoryEntry> entries = ListDirectory(directory);
  for (DirectoryEntry const& entry : entries) {
    if (!entry.regular || entry.hidden || !MatchesMask(entry.name, mask)) continue;
    TimetableFileInfo info;
    if (ReadTimetableFileHeader(FullPath(directory + entry.name), language, decoration, &info))
      out.push_back(std::move(info));
  }
  if (!out.empty() || depth <= 0) return;
  for (DirectoryEntry const& entry : entries)
    if (entry.directory)
      ListInto(directory + entry.name + "/", mask, language, depth - 1, decoration, out);
}

}  // namespace

bool ReadTimetableFileHeader(std::string const& path, char language, int decoration,
                             TimetableFileInfo* info) {
  std::FILE* file = OpenBinaryFile(path.c_str());
  if (!file) return false;
  FileCloser closer(file);
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  long size = std::ftell(file);
  if (size < static_cast<long>(kHeaderFixedBytes + kTrailerBytes)) return false;

  uint8_t head[kHeaderFixedBytes];
  if (!ReadAt(file, 0, head, sizeof head) || !HasTimetableSignature(head, sizeof head))
    return false;
  uint32_t version = LoadLE<uint32_t>(head + 70);
  uint32_t languages = LoadLE<uint32_t>(head + kLanguageCountOffset);
  if (languages > static_cast<uint64_t>(size) - kHeaderFixedBytes) return false;
  std::string letters(languages, '\0');
  if (languages && !ReadAt(file, kHeaderFixedBytes, letters.data(), languages)) return false;

  // The name pool follows the letters: names, then decorations.
  std::vector<uint8_t> stored;
  long offset = static_cast<long>(kHeaderFixedBytes + languages);
  if (!AppendStoredArray(file, size, &offset, stored) ||
      !AppendStoredArray(file, size, &offset, stored))
    return false;
  SectionReader r(stored.data(), stored.data() + stored.size());
  StringPool names = r.Pool();
  if (!r.ok()) return false;

  info->path = path;
  info->id = LoadLE<uint32_t>(head + kHeaderIdOffset);
  info->kind = head[74];
  info->area = head[75];
  for (size_t d = 0; d < info->dates.size(); ++d)
    info->dates[d] = LoadLE<uint32_t>(head + 80 + 4 * d);

  int32_t index = 0;
  size_t last = letters.find_last_of(language);
  if (last != std::string::npos) index = static_cast<int32_t>(last);
  auto const n = static_cast<int32_t>(languages);
  std::string name(PoolString(names, index));
  std::string decorationText = n ? std::string(PoolString(names, n + index)) : std::string();
  if (decorationText.empty() && n) decorationText = std::string(PoolString(names, n));
  if (decoration != 0 && !decorationText.empty())
    info->display = name.empty() ? decorationText : decorationText + " - " + name;
  else
    info->display = name;

  if (version > 1 && decoration >= 0) ReadDescription(file, size, info);
  return true;
}

std::vector<TimetableFileInfo> ListTimetableFiles(char const* pattern, char language, int depth,
                                                  int decoration) {
  std::string slashed = pattern ? ToSlashes(pattern) : DataDirectory() + "*.qo";
  size_t cut = slashed.find_last_of('/');
  std::string directory = cut == std::string::npos ? "./" : slashed.substr(0, cut + 1);
  std::string mask = cut == std::string::npos ? slashed : slashed.substr(cut + 1);
  directory = ResolveExistingPath(directory);
  if (directory.empty() || directory.back() != '/') directory += '/';

  std::vector<TimetableFileInfo> files;
  ListInto(directory, mask, language, depth, decoration, files);
  bool byName = LoadOptions().SortByName;
  std::stable_sort(files.begin(), files.end(),
                   [byName](auto const& a, auto const& b) { return FileBefore(a, b, byName); });
  return files;
}

}  // namespace qo
