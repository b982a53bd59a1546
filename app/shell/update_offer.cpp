#include "shell/update_offer.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>

#include "shell/paths.h"
#include "shell/string_table.h"

namespace vemo {

std::string UpdateIndexUrl(std::string const& server) {
  return server.empty() ? std::string() : "ftp://" + server + "/ext/qoaktual/update.txt";
}

std::string UpdateOfferAddress(std::string const& server, std::string const& command_line_address) {
  if (!command_line_address.empty()) return command_line_address;
  if (server.empty()) return {};
  return "http://" + server + "/" + std::string(LoadResString(329));
}

std::vector<InstalledFile> InstalledFiles(std::string const& directory,
                                          std::string const& extension) {
  std::vector<InstalledFile> files;
  std::error_code error;
  for (auto const& entry : std::filesystem::directory_iterator(directory, error)) {
    std::string file_name = entry.path().filename().string();
    if (entry.is_directory(error) || file_name.size() <= extension.size()) continue;
    std::string name = file_name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name.compare(name.size() - extension.size(), extension.size(), extension) != 0) continue;
    name.resize(name.size() - extension.size());
    files.push_back({name, LatestFileDay(0, entry.path().string())});
  }
  std::sort(files.begin(), files.end(),
            [](InstalledFile const& a, InstalledFile const& b) { return a.name < b.name; });
  return files;
}

std::string UpdateOfferQuery(std::string const& address, OfferFacts const& facts) {
  std::string query = address + FormatText("?r=%x&x=qo,%4x",
                                           {static_cast<int64_t>(facts.random), facts.kernel_day});
  if (facts.font_day > 0) query += FormatText("&f=%4x", {facts.font_day});
  for (auto const& [key, files] : {std::pair{"t", &facts.timetables}, std::pair{"p", &facts.fares},
                                   std::pair{"m", &facts.maps}})
    for (InstalledFile const& file : *files)
      query += FormatText(std::string("&") + key + "=%s,%4x", {file.name, file.day});
  std::string dir = facts.program_dir;
  if (!dir.empty() && dir.back() == '/') dir.pop_back();
  query += "&d=";
  for (char c : dir) query += c == ' ' ? std::string("%20") : std::string(1, c);
  return query;
}

}  // namespace vemo
