#include "shell/information_target.h"

#include "shell/program_dates.h"
#include "shell/text_formats.h"

namespace vemo {
namespace {

int LanguageOf(KernelApi const& kernel, int timetable, char letter) {
  int language = kernel.QoGetLangIndex(timetable, letter);
  if (language < 0) {
    kernel.QoError();
    language = 0;
  }
  return language;
}

std::string StationName(KernelApi const& kernel, int timetable, int station) {
  const char* name = kernel.QoStName(timetable, station);
  if (!name) kernel.QoError();
  return kernel.FromKernel(name);
}

}  // namespace

std::string FormatTrainTitle(KernelApi const& kernel, int timetable, int language, int train,
                             int station, int from, int to) {
  if (train < 0) return {};
  const char *number = nullptr, *name = nullptr, *type = nullptr;
  int type_bit = 0, physical = 0;
  if (!kernel.QoTrainStationInfoExt(timetable, language, train, station, from, to, &number, &name,
                                    &type, &type_bit, &physical)) {
    kernel.QoError();
    return {};
  }
  std::string title;
  for (const char* part : {type, number, name}) {
    std::string text = kernel.FromKernel(part);
    if (text.empty()) continue;
    if (!title.empty()) title += ' ';
    title += text;
  }
  return title;
}

bool HasTrainFormationPage(KernelApi const& kernel, int timetable, int train, int station) {
  ROUTE2_REC* route = nullptr;
  int count = kernel.QoTrainRoute(timetable, train, &route);
  if (count <= 0 || !route) {
    kernel.QoError();
    return false;
  }
  // The last stop is nobody's departure.
  for (int i = 0; i + 1 < count; ++i) {
    if (station >= 0 && route[i].station != station) continue;
    if (kernel.QoStType(timetable, route[i].station) & 0x02) continue;
    const char *number = nullptr, *name = nullptr, *type = nullptr;
    int type_bit = 0;
    int found =
        kernel.QoTrainStationInfo(timetable, 0, train, station, &number, &name, &type, &type_bit);
    kernel.QoError();
    if (!found || !type) return false;
    std::string text = type;
    return text == "R" || text == "IC" || text == "EC" || text == "SC";
  }
  return false;
}

int TownKeyOfStation(KernelApi const& kernel, int timetable, int station, int language,
                     std::string* town_name) {
  kernel.QoError();
  int list = kernel.QoSearchVirtList(timetable, 0, 1, nullptr);
  int item = list < 0 ? -1 : kernel.QoMapVirtListItem(timetable, -1, station, list);
  int key = item < 0 ? 0 : kernel.QoVirtListItemKey(timetable, list, item);
  if (item >= 0 && town_name)
    *town_name = kernel.FromKernel(kernel.QoVirtListItem(timetable, list, language, item));
  kernel.QoError();
  return key > 0 ? key : -1;
}

InfoPageItems PrepareInfoPages(KernelApi const& kernel,
                               std::vector<TimetableSupport> const& supports, int timetable,
                               int train, int station, int date, char language_letter,
                               bool formation_known) {
  InfoPageItems items;
  items.target.timetable = timetable;
  if (timetable < 0 || timetable >= static_cast<int>(supports.size())) return items;
  TimetableSupport const& support = supports[timetable];
  int language = LanguageOf(kernel, timetable, language_letter);

  if (formation_known && train >= 0 && station >= 0 &&
      HasTrainFormationPage(kernel, timetable, train, station)) {
    items.train_formation = true;
    items.target.train = train;
    items.target.station = station;
    items.target.date = date;
    items.train_title = FormatTrainTitle(kernel, timetable, language, train, station);
  }
  if (station >= 0) {
    int key = kernel.QoStKey(timetable, station);
    kernel.QoError();
    int page = key > 0 ? support.FindStationPage(key) : -1;
    if (page >= 0) {
      items.station_page = true;
      items.target.station_page = page;
      items.station_name = StationName(kernel, timetable, station);
    }
    std::string town;
    int town_key = TownKeyOfStation(kernel, timetable, station, language, &town);
    page = support.FindTownPage(town_key);
    if (page >= 0) {
      items.town_page = true;
      items.target.town_page = page;
      items.town_name = town;
    }
  }
  return items;
}

std::string TrainFormationAddress(std::string const& server) {
  return server.empty() ? std::string() : "http://" + server + "/raz.aspx";
}

BrowserPage TrainFormationPage(KernelApi const& kernel, std::string const& address,
                               InformationTarget const& target, char language_letter) {
  BrowserPage page;
  if (address.empty() || target.timetable < 0 || target.train < 0 || target.station < 0)
    return page;
  int language = LanguageOf(kernel, target.timetable, language_letter);
  const char *number = nullptr, *name = nullptr, *type = nullptr;
  int type_bit = 0, physical = 0;
  if (!kernel.QoTrainStationInfoExt(target.timetable, language, target.train, target.station, -1,
                                    -1, &number, &name, &type, &type_bit, &physical)) {
    kernel.QoError();
    return page;
  }
  std::string train_text = kernel.FromKernel(number);
  std::string station = StationName(kernel, target.timetable, target.station);
  std::string designation =
      FormatTrainTitle(kernel, target.timetable, language, target.train, target.station);
  std::string date = target.date > 0 ? FormatDayNumberText(target.date) : std::string();

  page.title = "Řazení vlaku " + designation + " na odjezdu ze stanice " + station;
  page.url =
      address + "?cmd=cmdSearch&src=2&s=" + EscapeUrl(station) + "&t=" + EscapeUrl(train_text);
  if (!date.empty()) {
    page.title += " dne " + date;
    page.url += "&date=" + EscapeUrl(date);
  }
  page.error_text = "Při pokusu o zobrazení řazení vlaku z aplikace na adrese " + address +
                    " došlo k chybě.\n\nPrověřte dostupnost internetu.";
  page.placement_value_id = 4118;  // "Window 2"
  return page;
}

std::vector<int> ExtraSeparators(std::vector<bool> const& is_separator) {
  std::vector<bool> items = is_separator;
  std::vector<int> deleted;
  for (int i = static_cast<int>(items.size()) - 1; i >= 0; --i) {
    if (!items[i]) continue;
    bool last = i + 1 == static_cast<int>(items.size());
    if (last || i == 0 || items[i - 1]) {
      deleted.push_back(i);
      items.erase(items.begin() + i);
    }
  }
  return deleted;
}

}  // namespace vemo
