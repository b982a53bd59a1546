#include "shell/command_line.h"

#include <wx/string.h>

#include <cstdlib>
#include <filesystem>

namespace vemo {
namespace {

std::string Upper(std::string const& utf8) {
  return wxString::FromUTF8(utf8).Upper().utf8_string();
}

std::string Lower(std::string const& utf8) {
  return wxString::FromUTF8(utf8).Lower().utf8_string();
}

bool StartsWith(std::string const& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

void ShortSwitch(char letter, int pass, CommandLineOptions* options, KernelSwitches* kernel) {
  switch (letter) {
    case '1':
      options->direct_connections_default = true;
      break;
    case '?':
      options->help_requested = true;
      break;
    case 'C':
      options->skip_integrity_check = true;
      break;
    case 'I':
      options->menu_icons = false;
      break;
    case 'O':
      if (pass == 1 && kernel) kernel->SetExtactInclusion(-1);
      break;
    case 'P':
      options->load_at_once = true;
      break;
    default:
      break;
  }
}

void LongSwitch(std::string const& rest, std::string const& original, int pass,
                CommandLineOptions* options, KernelSwitches* kernel) {
  if (rest == "ALL") {
    options->load_all_found = true;
  } else if (StartsWith(rest, "W:") && rest[2] != '/' && rest[2] != '\\') {
    switch (rest[2]) {
      case 'A':
        options->first_window_kind = 1;
        break;
      case 'T':
        options->first_window_kind = 2;
        break;
      case 'Z':
        options->first_window_kind = 3;
        break;
      default:
        options->first_window_kind = 0;
        break;
    }
  } else if (StartsWith(rest, "D:")) {
    if (pass == 1 && kernel) kernel->SetDiaFromDigit(rest[2]);
  } else if (StartsWith(rest, "U:")) {
    options->update_offer_address = Lower(original.substr(2));
  } else if (StartsWith(rest, "X:")) {
    if (pass == 1 && kernel) kernel->SkipExtension(std::atoi(rest.c_str() + 2));
  } else if (StartsWith(rest, "M:")) {
    if (rest[2] == 'B') options->map_buffered = false;
  } else if (StartsWith(rest, "Z:")) {
    options->required_from_to = rest.substr(2);
  } else if (StartsWith(rest, "2:")) {
    // Both passes see the pair; it is stored once, by the first.
    size_t comma = rest.find(',');
    if (pass != 0 || comma == std::string::npos) return;
    long number = std::strtol(rest.substr(2, comma - 2).c_str(), nullptr, 16);
    if (number != 0)
      options->marked_items.push_back({static_cast<int>(number), rest.substr(comma + 1)});
  }
}

}  // namespace

void ParseArgs(std::vector<std::string> const& args, int pass, CommandLineOptions* options,
               KernelSwitches* kernel) {
  options->first_window_kind = 0;
  options->help_requested = false;
  for (std::string const& arg : args) {
    if (arg.empty()) continue;
    // On this system "/" also starts an absolute path: an argument that
    // names an existing file is a file, whatever its first character.
    if ((arg[0] != '-' && arg[0] != '/') ||
        (arg[0] == '/' && std::filesystem::is_regular_file(arg))) {
      if (pass == 0) options->timetable_files.push_back(arg);
      continue;
    }
    std::string original = arg.substr(1);
    std::string rest = Upper(original);
    if (rest.empty()) continue;
    if (rest.size() <= 2)
      ShortSwitch(rest[0], pass, options, kernel);
    else
      LongSwitch(rest, original, pass, options, kernel);
  }
}

}  // namespace vemo
