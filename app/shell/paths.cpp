#include "shell/paths.h"

#include <glob.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <filesystem>

#include <wx/string.h>

#include "shell/program_dates.h"

namespace vemo {

std::string GetModuleFilePath() {
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, length) : std::string();
}

std::string GetModuleDir() { return SplitDriveDir(GetModuleFilePath()); }

std::string SplitDriveDir(std::string const& path) {
  size_t at = path.rfind('/');
  return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string GetFileTitlePart(std::string const& path) {
  std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsDirectory(std::string const& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int TimeToDayNumber(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  return DmyToDayNumber(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

int LatestFileDay(int day_number, std::string const& pattern) {
  glob_t found{};
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0) {
    for (size_t i = 0; i < found.gl_pathc; ++i) {
      struct stat info;
      if (stat(found.gl_pathv[i], &info) != 0 || S_ISDIR(info.st_mode)) continue;
      int day = TimeToDayNumber(info.st_mtime);
      if (day > day_number) day_number = day;
    }
  }
  globfree(&found);
  return day_number;
}

bool IsRunningFromCd() {
  constexpr long kIso9660 = 0x9660, kUdf = 0x15013346;
  struct statfs info;
  std::string dir = GetModuleDir();
  if (dir.empty() || statfs(dir.c_str(), &info) != 0) return false;
  return info.f_type == kIso9660 || info.f_type == kUdf;
}

std::string FindFileNoCase(std::string const& directory, std::string const& name) {
  std::error_code error;
  wxString wanted = wxString::FromUTF8(name);
  for (auto const& entry : std::filesystem::directory_iterator(directory, error)) {
    std::string found = entry.path().filename().string();
    if (wxString::FromUTF8(found).CmpNoCase(wanted) == 0) return entry.path().string();
  }
  return {};
}

}  // namespace vemo
