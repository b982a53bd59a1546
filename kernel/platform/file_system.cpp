#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace qo {
namespace {

bool Exists(std::string const& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

std::string CurrentDirectory() {
  std::string buffer(256, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

}  // namespace

std::vector<DirectoryEntry> ListDirectory(std::string const& directory) {
  std::vector<DirectoryEntry> entries;
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (!dir) return entries;
  std::string prefix = directory;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  while (dirent const* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    DirectoryEntry e;
    e.name = name;
    e.hidden = name[0] == '.';
    struct stat info;
    // Relative to the listed folder, so that an entry whose full path is too
    // long for the system is still seen (and then refused when opened).
    if (::fstatat(::dirfd(dir), name.c_str(), &info, 0) == 0) {
      e.directory = S_ISDIR(info.st_mode);
      e.regular = S_ISREG(info.st_mode);
    }
    entries.push_back(std::move(e));
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](DirectoryEntry const& a, DirectoryEntry const& b) { return a.name < b.name; });
  return entries;
}

bool MatchesMask(std::string const& name, std::string const& mask) {
  return ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0;
}

std::string ToSlashes(std::string_view path) {
  std::string out(path);
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::string FullPath(std::string_view path) {
  if (path.empty()) return {};
  std::string slashed = ToSlashes(path);
  if (slashed[0] != '/') slashed = CurrentDirectory() + "/" + slashed;
  bool const trailing = slashed.back() == '/';

  std::vector<std::string_view> parts;
  std::string_view rest = slashed;
  while (!rest.empty()) {
    size_t cut = rest.find('/');
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (std::string_view part : parts) {
    out += '/';
    out += part;
  }
  if (out.empty() || trailing) out += '/';
  return out;
}

std::string ResolveExistingPath(std::string_view path) {
  std::string slashed = ToSlashes(path);
  if (slashed.empty() || Exists(slashed)) return slashed;

  std::string resolved = slashed[0] == '/' ? "/" : "";
  std::string_view rest = slashed;
  while (!rest.empty()) {
    size_t cut = rest.find('/');
    std::string part(rest.substr(0, cut));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    if (part.empty()) continue;
    std::string candidate = resolved + part;
    if (part != "." && part != ".." && !Exists(candidate)) {
      bool found = false;
      for (DirectoryEntry const& entry : ListDirectory(resolved.empty() ? "." : resolved)) {
        if (SamePathIgnoringCase(entry.name, part)) {
          candidate = resolved + entry.name;
          found = true;
          break;
        }
      }
      if (!found) return slashed;
    }
    resolved = candidate;
    if (!rest.empty()) resolved += '/';
  }
  return resolved;
}

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IsOnRemoteFileSystem(std::string const& path) {
  struct statfs info;
  if (::statfs(path.c_str(), &info) != 0) return false;
  switch (static_cast<uint32_t>(info.f_type)) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x01021997:  // 9P
    case 0x5346414F:  // AFS
    case 0x6B414653:  // kAFS
    case 0x00C36400:  // Ceph
    case 0x73757245:  // Coda
    case 0x564C:      // NCP
    case 0x0BD00BD0:  // Lustre
      return true;
    default:
      return false;
  }
}

}  // namespace qo
