#pragma once
// Where the internet update looks, and the query of the update-offer page
// that tells the server which program, kernel, font and data files are
// installed. The server's host is the user's setting "Global" /
// "Update server" (empty by default: no server, so no update runs and no
// offer is asked for).
#include <string>
#include <vector>

namespace vemo {

// The update index on the server: ftp://HOST/ext/qoaktual/update.txt;
// empty without a host.
std::string UpdateIndexUrl(std::string const& server);
// The offer page: the command line's address when it gave one, else
// http://HOST/ plus string 329; empty when neither is known.
std::string UpdateOfferAddress(std::string const& server, std::string const& command_line_address);

// One installed data file: its name without extension in lower case and
// the day number of its date.
struct InstalledFile {
  std::string name;
  int day = 0;
  bool operator==(InstalledFile const&) const = default;
};
// The files of the directory with the extension (".qo"), directories
// skipped, in name order.
std::vector<InstalledFile> InstalledFiles(std::string const& directory,
                                          std::string const& extension);

struct OfferFacts {
  unsigned random = 0;
  int kernel_day = 0;  // the kernel library's date
  int font_day = 0;    // the symbol font's date, 0 unknown
  std::vector<InstalledFile> timetables, fares, maps;
  std::string program_dir;  // with or without its trailing "/"
};
// address?r=..&x=qo,..[&f=..]{&t=..}{&p=..}{&m=..}&d=DIR
std::string UpdateOfferQuery(std::string const& address, OfferFacts const& facts);

}  // namespace vemo
