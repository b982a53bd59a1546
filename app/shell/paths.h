#pragma once
// The program's own path, file names and dates of files. Names found on
// disk keep their real spelling: where a name is looked up, letter case is
// ignored, but the path handed on is the one that exists.
#include <ctime>
#include <string>

namespace vemo {

// Full path of the program file; empty when it cannot be found.
std::string GetModuleFilePath();
// Its directory, ending with "/". Safe on any thread.
std::string GetModuleDir();
// The directory of a path, ending with "/"; empty for a bare name.
std::string SplitDriveDir(std::string const& path);
// The file name without directory and extension.
std::string GetFileTitlePart(std::string const& path);
bool IsDirectory(std::string const& path);
// The day number of the local date of a time.
int TimeToDayNumber(std::time_t time);
// The greater of `day_number` and the day of the newest file (directories
// skipped) that matches the shell pattern.
int LatestFileDay(int day_number, std::string const& pattern);
// True when the program runs from a CD or DVD (an ISO 9660 or UDF file
// system).
bool IsRunningFromCd();
// The entry of `directory` whose name equals `name` without regard to case,
// as a full path; empty when there is none.
std::string FindFileNoCase(std::string const& directory, std::string const& name);

}  // namespace vemo
