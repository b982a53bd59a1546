#pragma once
// The user's settings: one file in the XDG layout
// ($XDG_CONFIG_HOME/Vorka/Qo.conf, else ~/.config/Vorka/Qo.conf). Sections
// are paths like "Connection\Window" ("\" separates levels). Section and
// value names come from the string table (ids 4000..4119) or are given as
// text; reading always supplies a default. Nothing is written to disk
// before Flush (at exit, or when a window saves its state).
#include <memory>
#include <optional>
#include <string>

class wxFileConfig;

namespace vemo {

class Profile {
 public:
  explicit Profile(std::string path);
  ~Profile();
  Profile(Profile const&) = delete;
  Profile& operator=(Profile const&) = delete;

  // The settings file of the user running the program.
  static std::string DefaultPath();
  std::string const& path() const { return path_; }

  // By section text and value id, by ids, and by section id and value text.
  bool WriteProfileIntSecText(std::string const& section, int value_id, int value);
  bool WriteProfileIntIds(int section_id, int value_id, int value);
  bool WriteProfileIntKeyText(int section_id, std::string const& name, int value);
  bool WriteProfileStringSecText(std::string const& section, int value_id,
                                 std::string const& value);
  bool WriteProfileStringIds(int section_id, int value_id, std::string const& value);
  bool WriteProfileStringKeyText(int section_id, std::string const& name, std::string const& value);
  int GetProfileIntSecText(std::string const& section, int value_id, int default_value) const;
  int GetProfileIntIds(int section_id, int value_id, int default_value) const;
  int GetProfileIntKeyText(int section_id, std::string const& name, int default_value) const;
  std::string GetProfileStringSecText(std::string const& section, int value_id,
                                      std::string const& default_value) const;
  std::string GetProfileStringIds(int section_id, int value_id,
                                  std::string const& default_value) const;
  std::string GetProfileStringKeyText(int section_id, std::string const& name,
                                      std::string const& default_value) const;

  // The plain forms the helpers above share.
  bool WriteInt(std::string const& section, std::string const& name, int value);
  bool WriteString(std::string const& section, std::string const& name, std::string const& value);
  int GetInt(std::string const& section, std::string const& name, int default_value) const;
  std::string GetString(std::string const& section, std::string const& name,
                        std::string const& default_value) const;

  bool ProfileKeyExists(std::string const& section) const;
  // Deletes the section with its values; refuses one that has subsections,
  // as the registry does, instead of deleting them too.
  bool DeleteProfileKey(std::string const& section);
  // The greatest subsection name in byte order ("9" over "10"); empty when
  // there is none.
  std::string GetGreatestSubkeyName(std::string const& section) const;

  // Writes the file when anything changed. False when it could not be written.
  bool Flush();

 private:
  std::string path_;
  std::unique_ptr<wxFileConfig> config_;
};

// A window's placement as it is stored: flags, show command, minimised x and
// y, maximised x and y, and the normal rectangle left, top, right, bottom,
// joined by "|" (string 165). Flag 2 means "restore maximised"; bit 0 of
// the show command "was minimised".
struct WindowPlacement {
  int flags = 0, show = 0;
  int min_x = 0, min_y = 0, max_x = 0, max_y = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(WindowPlacement const&) const = default;
};

std::string FormatPlacement(WindowPlacement const& placement);
// Only a text of exactly ten numbers is a placement.
std::optional<WindowPlacement> ParsePlacement(std::string const& text);

}  // namespace vemo
