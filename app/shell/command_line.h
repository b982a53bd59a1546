#pragma once
// The program's command line. It is read twice: pass 0 at the very start
// takes the timetable files and the program's own switches; pass 1, once
// the kernel is bound, applies the switches that call the kernel. Nothing
// on the command line is ever reported as wrong: what is not understood is
// ignored. Switches start with "-" or "/"; an argument that names an
// existing file is a timetable file even when it starts with "/".
#include <string>
#include <vector>

namespace vemo {

struct MarkedItem {
  int number = 0;
  std::string text;
  bool operator==(MarkedItem const&) const = default;
};

struct CommandLineOptions {
  std::vector<std::string> timetable_files;
  // 0 connections, 1 arrivals/departures, 2 trains, 3 stop timetables.
  int first_window_kind = 0;
  bool help_requested = false;
  bool load_all_found = false;
  bool skip_integrity_check = false;
  bool load_at_once = false;
  bool menu_icons = true;
  bool direct_connections_default = false;
  bool map_buffered = true;
  std::string required_from_to;          // "Z:", upper case
  std::string update_offer_address;      // "U:", lower case
  std::vector<MarkedItem> marked_items;  // "2:"
};

// What pass 1 asks of the kernel.
class KernelSwitches {
 public:
  virtual ~KernelSwitches() = default;
  virtual void SetDiaFromDigit(char digit) = 0;
  virtual void SkipExtension(int type) = 0;
  virtual void SetExtactInclusion(int value) = 0;
};

// `args` are the arguments after the program name, in UTF-8. `kernel` is
// used by pass 1 only and may be null in pass 0.
void ParseArgs(std::vector<std::string> const& args, int pass, CommandLineOptions* options,
               KernelSwitches* kernel);

}  // namespace vemo
