#pragma once
// What the program adds to one loaded timetable: its resource bundle (two
// timetable icons, and per train type a colour slot, a colour and an icon;
// format in docs/resource-bundle-format.md), the train-type colours with the
// user's overrides, and its information folder with general, station and
// town pages. File names on disk keep their spelling; they are matched
// without regard to case.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vemo {

class Profile;

// "%d|%x|%d": colour slot, colour (0x00BBGGRR), icon id. Missing fields
// leave slot 0, colour 0xFFFFFFFF and icon 0.
struct TrainTypeResource {
  int slot = 0;
  uint32_t colour = 0xFFFFFFFF;
  int icon = 0;
  bool operator==(TrainTypeResource const&) const = default;
};
TrainTypeResource ParseTrainTypeResource(std::string const& text);

// A resource bundle: a folder with manifest.txt; empty when missing.
struct ResourceBundle {
  std::string folder;                  // with a trailing "/"
  std::map<int, std::string> icons;    // id -> full path of the PNG
  std::map<int, std::string> strings;  // id -> text
};
// `path` as the kernel names it; a path that ends with "/" names none.
ResourceBundle LoadResourceBundle(std::string const& path);

// The application-wide list of general information pages (menu entries
// 40700 + i of every frame), without duplicates.
struct InfoPages {
  std::vector<std::string> paths, titles;
};

class TimetableSupport {
 public:
  // Binds the timetable: its bundle, its train-type colours (the user's
  // "Colors" / slot values win) and its information folder.
  void Init(int timetable, std::string const& timetable_path, std::string const& resource_path,
            int train_type_count, char language_letter, int kind, int area, Profile const* profile,
            InfoPages* pages);

  int timetable() const { return timetable_; }
  ResourceBundle const& bundle() const { return bundle_; }
  std::vector<TrainTypeResource> const& train_types() const { return train_types_; }
  // The colour of a type after the user's override; 0xFFFFFFFF none.
  uint32_t Colour(int type) const;
  std::string const& info_folder() const { return info_folder_; }

  // The first station page for the station key ("S123." begins the name),
  // -1 when none; the same for a town key ("C...").
  int FindStationPage(int station_key) const;
  int FindTownPage(int town_key) const;
  std::string GetStationPagePath(int index) const;
  std::string GetTownPagePath(int index) const;

 private:
  void FindInfoFolder(std::string const& timetable_path, char letter, int kind, int area,
                      InfoPages* pages);

  int timetable_ = -1;
  ResourceBundle bundle_;
  std::vector<TrainTypeResource> train_types_;
  std::vector<uint32_t> colours_;
  std::string info_folder_;
  std::vector<std::string> station_pages_, town_pages_;  // real file names
};

// Index of the first name that begins with the prefix, letter case aside;
// -1 when none.
int FindPagePrefix(std::vector<std::string> const& names, std::string const& prefix);
// The page's title: the text of its <title> element within its first 2048
// bytes, trimmed; else its file name without extension.
std::string PageTitle(std::string const& path);

}  // namespace vemo
