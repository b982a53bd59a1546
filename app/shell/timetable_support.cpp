#include "shell/timetable_support.h"

#include <wx/string.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "shell/kernel_api.h"
#include "shell/paths.h"
#include "shell/profile.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;

bool StartsWithNoCase(std::string const& text, std::string const& prefix) {
  if (text.size() < prefix.size()) return false;
  return wxString::FromUTF8(text.substr(0, prefix.size())).CmpNoCase(wxString::FromUTF8(prefix)) ==
         0;
}

bool SameNoCase(std::string const& a, std::string const& b) {
  return wxString::FromUTF8(a).CmpNoCase(wxString::FromUTF8(b)) == 0;
}

std::string Trim(std::string const& text) {
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

// Files of a folder, sorted by name, so that "the first" is the same on
// every run.
std::vector<std::string> FileNames(std::string const& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto const& entry : fs::directory_iterator(folder, error))
    if (entry.is_regular_file(error)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TrainTypeResource ParseTrainTypeResource(std::string const& text) {
  TrainTypeResource resource;
  if (text.size() > 100) return resource;
  int slot = 0, icon = 0;
  unsigned colour = 0;
  int read = std::sscanf(text.c_str(), "%d|%x|%d", &slot, &colour, &icon);
  if (read >= 1) resource.slot = slot;
  if (read >= 2) resource.colour = colour;
  if (read >= 3) resource.icon = icon;
  return resource;
}

ResourceBundle LoadResourceBundle(std::string const& path) {
  ResourceBundle bundle;
  if (path.empty() || path.back() == '/' || path.back() == '\\') return bundle;
  std::string folder = FindFileNoCase(SplitDriveDir(path), path.substr(path.rfind('/') + 1));
  if (folder.empty() || !IsDirectory(folder)) return bundle;
  std::string manifest = FindFileNoCase(folder, "manifest.txt");
  std::ifstream in(manifest);
  if (!in) return bundle;
  bundle.folder = folder + "/";
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    size_t first = line.find(' ');
    if (first == std::string::npos) continue;
    std::string word = line.substr(0, first);
    std::string rest = Trim(line.substr(first + 1));
    size_t second = rest.find(' ');
    if (second == std::string::npos) continue;
    char* end = nullptr;
    long id = std::strtol(rest.c_str(), &end, 10);
    if (end != rest.c_str() + second) continue;
    std::string value = Trim(rest.substr(second + 1));
    if (word == "icon") {
      std::string file = FindFileNoCase(folder, value);
      // Only names inside the bundle's folder.
      if (!file.empty() && value.find('/') == std::string::npos)
        bundle.icons[static_cast<int>(id)] = file;
    } else if (word == "string") {
      bundle.strings[static_cast<int>(id)] = value;
    }
  }
  return bundle;
}

void TimetableSupport::Init(int timetable, std::string const& timetable_path,
                            std::string const& resource_path, int train_type_count,
                            char language_letter, int kind, int area, Profile const* profile,
                            InfoPages* pages) {
  timetable_ = timetable;
  bundle_ = LoadResourceBundle(resource_path);
  train_types_.clear();
  colours_.clear();
  for (int t = 0; t < train_type_count; ++t) {
    auto it = bundle_.strings.find(1000 + t);
    TrainTypeResource resource =
        it == bundle_.strings.end() ? TrainTypeResource{} : ParseTrainTypeResource(it->second);
    uint32_t colour = resource.colour;
    if (resource.slot != 0 && profile)
      colour = static_cast<uint32_t>(profile->GetProfileIntKeyText(
          4059, std::to_string(resource.slot), static_cast<int>(colour)));
    train_types_.push_back(resource);
    colours_.push_back(colour);
  }
  FindInfoFolder(timetable_path, language_letter, kind, area, pages);
}

uint32_t TimetableSupport::Colour(int type) const {
  return type >= 0 && type < static_cast<int>(colours_.size()) ? colours_[type] : 0xFFFFFFFF;
}

void TimetableSupport::FindInfoFolder(std::string const& timetable_path, char letter, int kind,
                                      int area, InfoPages* pages) {
  info_folder_.clear();
  station_pages_.clear();
  town_pages_.clear();
  std::string base = SplitDriveDir(timetable_path);
  if (base.empty()) base = "./";
  char name[64];
  if (area != 0)
    std::snprintf(name, sizeof name, "%c%d_%d", letter, kind, area);
  else
    std::snprintf(name, sizeof name, "%c%d", letter, kind);
  std::string folder = FindFileNoCase(base, name);
  if (folder.empty() || !IsDirectory(folder)) {
    folder = FindFileNoCase(base, std::string(1, letter) + GetFileTitlePart(timetable_path));
    if (folder.empty() || !IsDirectory(folder)) return;
  }
  std::vector<std::string> files = FileNames(folder);
  for (int n = 0; n <= 4 && pages; ++n) {
    std::string prefix = "default" + std::to_string(n) + ".";
    auto found = std::find_if(files.begin(), files.end(),
                              [&](std::string const& f) { return StartsWithNoCase(f, prefix); });
    if (found == files.end()) continue;
    std::string path = folder + "/" + *found;
    bool known = std::any_of(pages->paths.begin(), pages->paths.end(),
                             [&](std::string const& p) { return SameNoCase(p, path); });
    if (known) continue;
    std::ifstream probe(path);
    if (!probe) continue;
    pages->paths.push_back(path);
    pages->titles.push_back(PageTitle(path));
  }
  info_folder_ = folder + "/";
  for (std::string const& file : files) {
    if (file.size() < 4 || !SameNoCase(file.substr(file.size() - 4), ".htm")) continue;
    if (file[0] == 'C' || file[0] == 'c') town_pages_.push_back(file);
    if (file[0] == 'S' || file[0] == 's') station_pages_.push_back(file);
  }
}

int FindPagePrefix(std::vector<std::string> const& names, std::string const& prefix) {
  for (size_t i = 0; i < names.size(); ++i)
    if (StartsWithNoCase(names[i], prefix)) return static_cast<int>(i);
  return -1;
}

std::string PageTitle(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(2048, '\0');
  in.read(head.data(), head.size());
  head.resize(in.gcount());
  std::string folded = head;
  for (char& ch : folded)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  size_t close = folded.find("</title>");
  size_t open = close == std::string::npos ? std::string::npos : folded.rfind("<title>", close);
  if (open == std::string::npos) return GetFileTitlePart(path);
  std::string title = Trim(head.substr(open + 7, close - open - 7));
  // Pages without UTF-8 are taken as Windows-1250, as the timetables are.
  if (wxString::FromUTF8(title).empty() && !title.empty()) title = Cp1250ToUtf8(title);
  return title;
}

int TimetableSupport::FindStationPage(int station_key) const {
  if (station_pages_.empty()) return -1;
  return FindPagePrefix(station_pages_, "S" + std::to_string(station_key) + ".");
}

int TimetableSupport::FindTownPage(int town_key) const {
  if (town_pages_.empty() || town_key <= 0) return -1;
  return FindPagePrefix(town_pages_, "C" + std::to_string(town_key) + ".");
}

std::string TimetableSupport::GetStationPagePath(int index) const {
  return index >= 0 && index < static_cast<int>(station_pages_.size())
             ? info_folder_ + station_pages_[index]
             : std::string();
}

std::string TimetableSupport::GetTownPagePath(int index) const {
  return index >= 0 && index < static_cast<int>(town_pages_.size())
             ? info_folder_ + town_pages_[index]
             : std::string();
}

}  // namespace vemo
