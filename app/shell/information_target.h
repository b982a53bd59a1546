#pragma once
// The web pages that the windows' context menus offer for what is under
// the mouse: the railway's train-formation page of a train leaving a
// station, and the timetable's own station and town pages. Preparing a
// menu decides which of the three it shows and remembers what the page
// commands then act on.
#include <string>
#include <vector>

#include "shell/browser_pages.h"
#include "shell/kernel_api.h"
#include "shell/timetable_support.h"

namespace vemo {

// What the page commands (train formation, station page, town page) act
// on; -1 (date 0) where it does not apply.
struct InformationTarget {
  int timetable = -1, train = -1, station = -1, date = 0;
  int station_page = -1, town_page = -1;
  bool operator==(InformationTarget const&) const = default;
};

// The train's designation at the station: its type abbreviation, number
// and name, each non-empty part after one blank; empty for a negative
// train. `from` and `to` (-1 none) limit the name to a section of the
// route.
std::string FormatTrainTitle(KernelApi const& kernel, int timetable, int language, int train,
                             int station, int from = -1, int to = -1);

// Whether the railway's formation page is offered for the train at the
// station: at the first stop of the route that is at the station (any stop
// when the station is negative) and not a point outside the network
// (station type bit 0x02), before the last stop, the train's type is one
// of "R", "IC", "EC" or "SC".
bool HasTrainFormationPage(KernelApi const& kernel, int timetable, int train, int station);

// The town a station belongs to in the timetable's town list: its key
// (-1 when none) and its name in the data language.
int TownKeyOfStation(KernelApi const& kernel, int timetable, int station, int language,
                     std::string* town_name);

// The page items of one context menu: which are kept, the text each
// item's format is filled with, and the target the commands then use.
struct InfoPageItems {
  InformationTarget target;
  bool train_formation = false, station_page = false, town_page = false;
  std::string train_title, station_name, town_name;
};
// `formation_known`: the address of the formation page is set; without it
// the item is left out.
InfoPageItems PrepareInfoPages(KernelApi const& kernel,
                               std::vector<TimetableSupport> const& supports, int timetable,
                               int train, int station, int date, char language_letter,
                               bool formation_known);

// The railway's formation page: HOST/raz.aspx with the search; empty
// without a host.
std::string TrainFormationAddress(std::string const& server);
// The page of the target's train leaving its station, shown in the
// browser dialog's second placement; no url when the target has no train
// and station or no address is known.
BrowserPage TrainFormationPage(KernelApi const& kernel, std::string const& address,
                               InformationTarget const& target, char language_letter);

// The positions of the separators a menu loses, in the order they are
// deleted: walking from the last item to the first, every separator that
// stands last, first, or right after another separator.
std::vector<int> ExtraSeparators(std::vector<bool> const& is_separator);

}  // namespace vemo
