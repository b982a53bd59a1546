#pragma once
// The update index ("Update.txt"): one line per file, fields separated by
// "|": remote URL, local name, size (negative: delete the local file),
// year, month, day, hour, minute and second of the new version (local
// time), and optionally its SHA-256 in hexadecimal.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vemo {

struct UpdateIndexEntry {
  std::string remote_url;
  std::string local_name;
  int64_t size = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::string sha256;  // lower-case hexadecimal, empty when not given
};

// Lines with fewer than nine fields are skipped: what they lack is unknown.
std::vector<UpdateIndexEntry> ParseUpdateIndex(std::string_view bytes);

// A local name may only name a file inside the program's folder: no "..",
// no absolute path, no drive letter, no backslash, no empty part.
bool IsSafeLocalName(std::string_view name);

}  // namespace vemo
