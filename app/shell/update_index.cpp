#include "shell/update_index.h"

#include <cstdlib>

namespace vemo {
namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trim(std::string_view text) {
  size_t start = text.find_first_not_of(kBlanks);
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

int64_t Number(std::string const& text) { return std::strtoll(text.c_str(), nullptr, 10); }

}  // namespace

std::vector<UpdateIndexEntry> ParseUpdateIndex(std::string_view bytes) {
  std::vector<UpdateIndexEntry> entries;
  size_t start = 0;
  while (start <= bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = Trim(bytes.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    // A run of "|" is one separator, so no field is empty.
    std::vector<std::string> fields;
    size_t at = 0;
    while (at < line.size() && fields.size() < 10) {
      while (at < line.size() && line[at] == '|') ++at;
      if (at >= line.size()) break;
      size_t next = line.find('|', at);
      if (next == std::string_view::npos) next = line.size();
      std::string_view field = Trim(line.substr(at, next - at));
      if (!field.empty()) fields.emplace_back(field);
      at = next;
    }
    if (fields.size() < 9) continue;
    UpdateIndexEntry entry;
    entry.remote_url = fields[0];
    entry.local_name = fields[1];
    entry.size = Number(fields[2]);
    entry.year = static_cast<int>(Number(fields[3]));
    entry.month = static_cast<int>(Number(fields[4]));
    entry.day = static_cast<int>(Number(fields[5]));
    entry.hour = static_cast<int>(Number(fields[6]));
    entry.minute = static_cast<int>(Number(fields[7]));
    entry.second = static_cast<int>(Number(fields[8]));
    if (fields.size() >= 10) {
      entry.sha256 = fields[9];
      for (char& ch : entry.sha256)
        if (ch >= 'A' && ch <= 'F') ch = static_cast<char>(ch - 'A' + 'a');
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsSafeLocalName(std::string_view name) {
  if (name.empty() || name[0] == '/' || name.find('\\') != std::string_view::npos) return false;
  if (name.size() >= 2 && name[1] == ':') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace vemo
