#include "shell/profile.h"

#include <wx/fileconf.h>

#include <cstdlib>
#include <filesystem>

#include "shell/string_table.h"

namespace vemo {
namespace {

wxString Utf8(std::string const& text) { return wxString::FromUTF8(text); }
std::string Id(int id) { return std::string(LoadResString(id)); }

// "Connection\Window" -> "/Connection/Window".
wxString GroupPath(std::string const& section) {
  std::string path = "/";
  for (char ch : section) path += ch == '\\' ? '/' : ch;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return Utf8(path);
}

wxString EntryPath(std::string const& section, std::string const& name) {
  wxString group = GroupPath(section);
  return (group == wxString("/", wxConvUTF8) ? group : group + wxString("/", wxConvUTF8)) +
         Utf8(name);
}

}  // namespace

Profile::Profile(std::string path) : path_(std::move(path)) {
  config_ = std::make_unique<wxFileConfig>(wxString(), wxString(), Utf8(path_), wxString(),
                                           wxCONFIG_USE_LOCAL_FILE);
  // Stored texts are taken as they stand: "%d" and "$" are no variables.
  config_->SetExpandEnvVars(false);
}

// Whatever is left unsaved goes to disk with the profile.
Profile::~Profile() { Flush(); }

std::string Profile::DefaultPath() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : ".") + "/.config";
  }
  return base + "/" + Id(4001) + "/" + Id(4000) + ".conf";
}

bool Profile::WriteInt(std::string const& section, std::string const& name, int value) {
  return config_->Write(EntryPath(section, name), static_cast<long>(value));
}

bool Profile::WriteString(std::string const& section, std::string const& name,
                          std::string const& value) {
  return config_->Write(EntryPath(section, name), Utf8(value));
}

int Profile::GetInt(std::string const& section, std::string const& name, int default_value) const {
  long value = default_value;
  if (!config_->Read(EntryPath(section, name), &value, default_value)) return default_value;
  return static_cast<int>(value);
}

std::string Profile::GetString(std::string const& section, std::string const& name,
                               std::string const& default_value) const {
  wxString value;
  if (!config_->Read(EntryPath(section, name), &value)) return default_value;
  return value.utf8_string();
}

bool Profile::WriteProfileIntSecText(std::string const& section, int value_id, int value) {
  return WriteInt(section, Id(value_id), value);
}
bool Profile::WriteProfileIntIds(int section_id, int value_id, int value) {
  return WriteInt(Id(section_id), Id(value_id), value);
}
bool Profile::WriteProfileIntKeyText(int section_id, std::string const& name, int value) {
  return WriteInt(Id(section_id), name, value);
}
bool Profile::WriteProfileStringSecText(std::string const& section, int value_id,
                                        std::string const& value) {
  return WriteString(section, Id(value_id), value);
}
bool Profile::WriteProfileStringIds(int section_id, int value_id, std::string const& value) {
  return WriteString(Id(section_id), Id(value_id), value);
}
bool Profile::WriteProfileStringKeyText(int section_id, std::string const& name,
                                        std::string const& value) {
  return WriteString(Id(section_id), name, value);
}
int Profile::GetProfileIntSecText(std::string const& section, int value_id,
                                  int default_value) const {
  return GetInt(section, Id(value_id), default_value);
}
int Profile::GetProfileIntIds(int section_id, int value_id, int default_value) const {
  return GetInt(Id(section_id), Id(value_id), default_value);
}
int Profile::GetProfileIntKeyText(int section_id, std::string const& name,
                                  int default_value) const {
  return GetInt(Id(section_id), name, default_value);
}
std::string Profile::GetProfileStringSecText(std::string const& section, int value_id,
                                             std::string const& default_value) const {
  return GetString(section, Id(value_id), default_value);
}
std::string Profile::GetProfileStringIds(int section_id, int value_id,
                                         std::string const& default_value) const {
  return GetString(Id(section_id), Id(value_id), default_value);
}
std::string Profile::GetProfileStringKeyText(int section_id, std::string const& name,
                                             std::string const& default_value) const {
  return GetString(Id(section_id), name, default_value);
}

bool Profile::ProfileKeyExists(std::string const& section) const {
  return config_->HasGroup(GroupPath(section));
}

bool Profile::DeleteProfileKey(std::string const& section) {
  wxString group = GroupPath(section);
  if (group == wxString("/", wxConvUTF8) || !config_->HasGroup(group)) return false;
  wxString old_path = config_->GetPath();
  config_->SetPath(group);
  size_t subgroups = config_->GetNumberOfGroups(false);
  config_->SetPath(old_path);
  if (subgroups > 0) return false;
  return config_->DeleteGroup(group);
}

std::string Profile::GetGreatestSubkeyName(std::string const& section) const {
  wxString group = GroupPath(section);
  if (group != wxString("/", wxConvUTF8) && !config_->HasGroup(group)) return {};
  wxString old_path = config_->GetPath();
  config_->SetPath(group);
  std::string greatest;
  wxString name;
  long cookie = 0;
  for (bool more = config_->GetFirstGroup(name, cookie); more;
       more = config_->GetNextGroup(name, cookie)) {
    std::string text = name.utf8_string();
    if (text.size() <= 99 && text > greatest) greatest = text;
  }
  config_->SetPath(old_path);
  return greatest;
}

bool Profile::Flush() {
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
  return config_->Flush();
}

std::string FormatPlacement(WindowPlacement const& p) {
  return FormatResString(
      165, {p.flags, p.show, p.min_x, p.min_y, p.max_x, p.max_y, p.left, p.top, p.right, p.bottom});
}

std::optional<WindowPlacement> ParsePlacement(std::string const& text) {
  int values[10];
  size_t position = 0;
  for (int i = 0; i < 10; ++i) {
    if (i > 0) {
      if (position >= text.size() || text[position] != '|') return std::nullopt;
      ++position;
    }
    const char* start = text.c_str() + position;
    char* end = nullptr;
    long value = std::strtol(start, &end, 10);
    if (end == start || value < -1000000 || value > 1000000) return std::nullopt;
    values[i] = static_cast<int>(value);
    position = end - text.c_str();
  }
  if (position != text.size()) return std::nullopt;
  return WindowPlacement{values[0], values[1], values[2], values[3], values[4],
                         values[5], values[6], values[7], values[8], values[9]};
}

}  // namespace vemo
