#include "gtfs/gtfs_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <climits>
#include <map>
#include <numeric>
#include <unordered_map>

#include "format/stored_bits.h"
#include "gtfs/cp1250_fit.h"
#include "map/coor_transform.h"
#include "writer/train_stops.h"

namespace qo::gtfs {

namespace {

using writer::DayNumberOf;
using writer::kNoTime;

// The note that marks a stop on request at the stops where a trip carries it.
constexpr char kRequestCode[] = "x";
constexpr char kRequestText[] = "zastávka na znamení";

// Day numbers the format can carry: 0 and 0xFFFF mean "no date", and the
// kernel's dates end with 2078. Feeds often state "for ever" as 2099.
constexpr int kFirstUsableDay = DayNumberOf(1900, 1, 2);
constexpr int kLastUsableDay = DayNumberOf(2078, 12, 31);

constexpr size_t kMaxStations = 0xFFFF;
constexpr size_t kMaxTransfers = 0x7FFF;
constexpr size_t kMaxCalendars = 0x7FFF;

// ---- route types ----------------------------------------------------------

// The kinds of vehicle the import tells apart; each used one becomes a
// train type, in this order.
enum class Mode {
  kTram,
  kMetro,
  kTrolleybus,
  kBus,
  kCableTram,
  kFunicular,
  kAerialLift,
  kMonorail,
  kRail,
  kCoach,
  kFerry,
  kAir,
  kTaxi,
  kOther
};

struct ModeText {
  char const* abbreviation;
  char const* description;
  bool city;  // what city transport runs
};

constexpr ModeText kModeTexts[] = {
    {"Tram", "Tramvaj", true},
    {"Metro", "Metro", true},
    {"Trol", "Trolejbus", true},
    {"Bus", "Autobus", true},
    {"Lan", "Kabelová tramvaj", true},
    {"Lan", "Pozemní lanovka", true},
    {"LD", "Lanová dráha", true},
    {"Mono", "Jednokolejka", true},
    {"Vlak", "Vlak", false},
    {"DBus", "Dálkový autobus", false},
    {"Loď", "Loď", false},
    {"Let", "Letadlo", false},
    {"Taxi", "Taxi", false},
    {"Jiné", "Jiná doprava", false},
};

// The basic route types and the ranges of the extended ones; the first
// range that holds a type wins.
bool ModeOf(int type, Mode* mode) {
  struct Range {
    int first, last;
    Mode mode;
  };
  static constexpr Range kRanges[] = {
      {0, 0, Mode::kTram},
      {1, 1, Mode::kMetro},
      {2, 2, Mode::kRail},
      {3, 3, Mode::kBus},
      {4, 4, Mode::kFerry},
      {5, 5, Mode::kCableTram},
      {6, 6, Mode::kAerialLift},
      {7, 7, Mode::kFunicular},
      {11, 11, Mode::kTrolleybus},
      {12, 12, Mode::kMonorail},
      {100, 199, Mode::kRail},
      {200, 299, Mode::kCoach},
      {400, 404, Mode::kMetro},
      {405, 405, Mode::kMonorail},
      {400, 499, Mode::kRail},
      {700, 799, Mode::kBus},
      {800, 899, Mode::kTrolleybus},
      {900, 999, Mode::kTram},
      {1000, 1099, Mode::kFerry},
      {1100, 1199, Mode::kAir},
      {1200, 1299, Mode::kFerry},
      {1300, 1399, Mode::kAerialLift},
      {1400, 1499, Mode::kFunicular},
      {1500, 1599, Mode::kTaxi},
      {1700, 1799, Mode::kOther},
  };
  for (Range const& r : kRanges) {
    if (type >= r.first && type <= r.last) {
      *mode = r.mode;
      return true;
    }
  }
  return false;
}

// ---- small parsers --------------------------------------------------------

bool ParseInt(std::string_view s, int* value) {
  if (s.empty()) return false;
  if (s.front() == '+') s.remove_prefix(1);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size();
}

// "H:MM:SS" (hours may pass 24) as whole minutes; seconds are dropped, so
// that a departure is never later than the feed says. -1 for an empty field.
int ParseTime(CsvReader const& csv, std::string_view s, char const* column) {
  if (s.empty()) return -1;
  int h = 0, m = 0, sec = 0;
  size_t c1 = s.find(':'), c2 = s.find(':', c1 == std::string_view::npos ? c1 : c1 + 1);
  bool ok = c1 != std::string_view::npos && c2 != std::string_view::npos && c1 >= 1 && c1 <= 3 &&
            c2 == c1 + 3 && s.size() == c2 + 3 && ParseInt(s.substr(0, c1), &h) &&
            ParseInt(s.substr(c1 + 1, 2), &m) && ParseInt(s.substr(c2 + 1, 2), &sec) && h >= 0 &&
            m >= 0 && m < 60 && sec >= 0 && sec < 60;
  if (!ok) csv.Fail(std::string(column) + " '" + std::string(s) + "' is not a time H:MM:SS");
  return h * 60 + m;
}

// "YYYYMMDD" as a day number; dates before or after what the format can
// carry come out below kFirstUsableDay or above kLastUsableDay.
int ParseDate(CsvReader const& csv, std::string_view s, char const* column) {
  int y = 0, m = 0, d = 0;
  bool ok = s.size() == 8 && ParseInt(s.substr(0, 4), &y) && ParseInt(s.substr(4, 2), &m) &&
            ParseInt(s.substr(6, 2), &d) && m >= 1 && m <= 12 && d >= 1;
  if (ok) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    ok = d <= kDays[m - 1] && (m != 2 || d <= 28 || leap);
  }
  if (!ok) csv.Fail(std::string(column) + " '" + std::string(s) + "' is not a date YYYYMMDD");
  if (y < 1900) return kFirstUsableDay - 1;
  if (y > 2078) return kLastUsableDay + 1;
  return DayNumberOf(y, m, d);
}

std::string TimeText(int minutes) {
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", minutes / 60, minutes % 60);
  return text;
}

std::string Quote(std::string_view s) { return "'" + std::string(s) + "'"; }

// ---- the import -----------------------------------------------------------

struct StopRow {
  int sequence = 0;
  int arrival = -1;
  int departure = -1;
  uint16_t station = 0;
  uint16_t flags = 0;
  bool request = false;
  size_t line = 0;
  double distance = -1;  // shape_dist_traveled; negative when not given
};

struct TripRow {
  std::string id;
  int route = 0;
  int service = 0;
  int direction = -1;
  size_t line = 0;
  std::vector<StopRow> stops;
  bool prepared = false;       // stops already ordered and timed (a copy of a frequency)
  bool template_only = false;  // its times only describe the trips of frequencies.txt
};

struct Route {
  std::string number;
  std::string line_text;
  int agency = 0;
  int type = 0;  // index into the model's train types, set once all routes are read
  Mode mode = Mode::kBus;
};

struct Service {
  std::vector<uint16_t> days;
  std::vector<uint16_t> added;
  std::vector<uint16_t> removed;
};

class Importer {
 public:
  Importer(FeedFiles& feed, ImportOptions const& options) : feed_(feed), options_(options) {}

  ImportResult Run() {
    Progress("reading stops", 0, 1);
    ReadAgencies();
    ReadStops();
    ReadRoutes();
    Progress("reading calendars", 0, 1);
    ReadServices();
    Progress("reading trips", 0, 1);
    ReadTrips();
    ReadStopTimes();
    ReadFrequencies();
    BuildTrains();
    ReadTransfers();
    BuildPlaces();
    BuildHeader();
    result_.options.share_stop_patterns = true;
    return std::move(result_);
  }

 private:
  // ---- files and warnings ----

  std::optional<std::string> Read(char const* name, bool required) {
    std::optional<std::string> text = feed_.Read(name);
    if (!text && required) FailAt(feed_.Label(), 0, std::string("missing required file ") + name);
    return text;
  }

  void Warn(std::string const& kind, CsvReader const& csv, std::string const& text) {
    WarnAt(kind, csv.File() + ":" + std::to_string(csv.Line()) + ": " + text);
  }
  void WarnAt(std::string const& kind, std::string const& text) {
    if (options_.strict) throw FeedError(text + " (refused: --strict)");
    auto [it, added] = warningIndex_.emplace(kind, result_.warnings.size());
    if (added) result_.warnings.push_back({text, 0, {}});
    ++result_.warnings[it->second].count;
  }
  // A trip that cannot be stored: left out, counted by its reason.
  void LeaveOut(std::string const& reason, size_t line, TripRow const& trip,
                std::string const& detail) {
    std::string text = "stop_times.txt:" + std::to_string(line) + ": trip " + Quote(trip.id) +
                       ": " + detail + " (left out)";
    WarnAt("left out: " + reason, text);
    result_.warnings[warningIndex_["left out: " + reason]].left_out = reason;
  }
  std::string StopName(StopRow const& s) const {
    return "stop " + Quote(result_.station_ids[s.station]);
  }

  void Progress(std::string const& phase, size_t done, size_t total) {
    if (!options_.progress) return;
    int percent = total ? static_cast<int>(done * 100 / total) : 100;
    if (phase == lastPhase_ && percent == lastPercent_) return;
    lastPhase_ = phase;
    lastPercent_ = percent;
    options_.progress(phase, percent);
  }

  // A feed text with every character in Windows-1250.
  std::string Fit(CsvReader const& csv, std::string_view text, char const* column) {
    std::string out;
    size_t changed = 0;
    if (!FitToCp1250(text, out, &changed)) csv.Fail(std::string(column) + " is not valid UTF-8");
    if (changed) {
      Warn("transliterated", csv,
           std::string(column) + " " + Quote(text) +
               " has characters that Windows-1250 lacks, written " + Quote(out));
    }
    return out;
  }

  // ---- agency.txt ----

  void ReadAgencies() {
    std::string text = *Read("agency.txt", true);
    CsvReader csv(text, "agency.txt");
    int id = csv.Column("agency_id"), name = csv.Require("agency_name");
    while (csv.Next()) {
      std::string agencyId(csv.Field(id));
      if (!agencyIndex_.emplace(agencyId, static_cast<int>(agencyNames_.size())).second) {
        csv.Fail("agency " + Quote(agencyId) + " is listed twice");
      }
      agencyNames_.push_back(Fit(csv, csv.Field(name), "agency_name"));
    }
    if (agencyNames_.empty()) FailAt("agency.txt", 0, "the feed names no agency");
  }

  // ---- stops.txt ----

  void ReadStops() {
    std::string text = *Read("stops.txt", true);
    CsvReader csv(text, "stops.txt");
    int id = csv.Require("stop_id"), name = csv.Require("stop_name");
    int type = csv.Column("location_type"), parent = csv.Column("parent_station");
    int lat = csv.Column("stop_lat"), lon = csv.Column("stop_lon");
    struct Pending {
      size_t line;
      std::string parent;
    };
    std::vector<Pending> pending;
    std::unordered_map<std::string, std::string> parentNames;
    while (csv.Next()) {
      std::string stopId(csv.Field(id));
      if (stopId.empty()) csv.Fail("a stop without stop_id");
      int locationType = 0;
      if (!csv.Field(type).empty() &&
          (!ParseInt(csv.Field(type), &locationType) || locationType < 0 || locationType > 4)) {
        csv.Fail("location_type " + Quote(csv.Field(type)) + " is not 0 to 4");
      }
      std::string stopName = Fit(csv, csv.Field(name), "stop_name");
      if (!stopIds_
               .emplace(stopId,
                        locationType == 0 ? static_cast<int>(pending.size()) : -1 - locationType)
               .second) {
        csv.Fail("stop " + Quote(stopId) + " is listed twice");
      }
      if (locationType == 1) {
        parentNames[stopId] = stopName.empty() ? Fit(csv, stopId, "stop_id") : stopName;
        continue;
      }
      if (locationType != 0) continue;  // entrances, nodes, boarding areas: no trains call there
      if (stopName.empty()) {
        Warn("unnamed stop", csv, "stop " + Quote(stopId) + " has no name; its id stands in");
        stopName = Fit(csv, stopId, "stop_id");
      }
      if (pending.size() == kMaxStations) {
        csv.Fail(
            "the feed has more than 65535 stops (location_type 0), more than a timetable "
            "can index");
      }
      writer::Station station;
      station.name = {stopName};
      // Every stop of a feed is a place where riders may get off.
      station.type = kStationStop;
      station.change_time = options_.default_change_time;
      result_.model.stations.push_back(std::move(station));
      result_.station_ids.push_back(stopId);
      pending.push_back({csv.Line(), std::string(csv.Field(parent))});
      points_.push_back(StopPoint(csv, csv.Field(lat), csv.Field(lon)));
    }
    // Parents may follow their children in the file.
    groupOf_.resize(pending.size());
    for (size_t s = 0; s < pending.size(); ++s) {
      std::string const& p = pending[s].parent;
      if (p.empty()) {
        groupOf_[s] = result_.model.stations[s].name[0];
        continue;
      }
      auto it = parentNames.find(p);
      if (it == parentNames.end()) {
        FailAt("stops.txt", pending[s].line,
               "parent_station " + Quote(p) + " is not a station (location_type 1)");
      }
      groupOf_[s] = it->second;
      childrenOf_[p].push_back(static_cast<uint16_t>(s));
    }
    AssignStationKeys();
    BuildMap();
  }

  // A stop's point on the map: its position in the S-JTSK plane, negated
  // as the map keeps it (x = -Y, y = -X, metres). The feed's WGS 84 degrees
  // are taken as they are, without datum shift, which moves the points by
  // about a hundred metres together and leaves distances between stops
  // alone. A stop without a position, or one the projection does not
  // reach, has no point.
  std::optional<writer::GisVertex> StopPoint(CsvReader const& csv, std::string_view latText,
                                             std::string_view lonText) {
    if (latText.empty() && lonText.empty()) return std::nullopt;
    double latitude = 0, longitude = 0;
    auto parse = [](std::string_view text, double* value) {
      std::string copy(text);
      char* end = nullptr;
      *value = std::strtod(copy.c_str(), &end);
      return !copy.empty() && end == copy.c_str() + copy.size() && std::isfinite(*value);
    };
    if (!parse(latText, &latitude) || !parse(lonText, &longitude) || latitude < -90 ||
        latitude > 90 || longitude < -180 || longitude > 180) {
      Warn("stop position", csv,
           "stop position " + Quote(latText) + ", " + Quote(lonText) +
               " is no latitude and longitude; the stop has no point on the map");
      return std::nullopt;
    }
    double x = longitude * 3600000.0, y = latitude * 3600000.0;
    if (x == 0 || y == 0) return std::nullopt;
    FiLambdaToJtsk(&x, &y, 1);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > INT32_MAX ||
        std::fabs(y) > INT32_MAX)
      return std::nullopt;
    return writer::GisVertex{static_cast<int32_t>(std::lround(x)),
                             static_cast<int32_t>(std::lround(y))};
  }

  void BuildMap() {
    auto const& stations = result_.model.stations;
    for (size_t s = 0; s < stations.size(); ++s)
      if (points_[s])
        result_.map.station_points.push_back({points_[s]->x, points_[s]->y, stations[s].key});
    if (result_.map.station_points.empty()) return;
    std::sort(result_.map.station_points.begin(), result_.map.station_points.end(),
              [](auto const& a, auto const& b) { return a.key < b.key; });
    result_.model.extension_names.push_back(kMapExtension);
  }

  // A stop id that is a positive number is the station's key; other ids are
  // numbered on after the largest such key.
  void AssignStationKeys() {
    auto& stations = result_.model.stations;
    std::vector<bool> numeric(stations.size());
    int32_t largest = 0;
    std::unordered_map<int32_t, bool> used;
    for (size_t s = 0; s < stations.size(); ++s) {
      std::string const& id = result_.station_ids[s];
      int value = 0;
      if (id[0] != '0' && id[0] != '+' && ParseInt(id, &value) && value > 0 &&
          used.emplace(value, true).second) {
        stations[s].key = value;
        numeric[s] = true;
        largest = std::max(largest, value);
      }
    }
    for (size_t s = 0; s < stations.size(); ++s) {
      if (numeric[s]) continue;
      if (largest == INT32_MAX)
        FailAt("stops.txt", 0, "stop ids leave no key for stop " + Quote(result_.station_ids[s]));
      stations[s].key = ++largest;
    }
  }

  // ---- routes.txt ----

  void ReadRoutes() {
    std::string text = *Read("routes.txt", true);
    CsvReader csv(text, "routes.txt");
    int id = csv.Require("route_id"), type = csv.Require("route_type");
    int shortName = csv.Column("route_short_name"), longName = csv.Column("route_long_name");
    int agency = csv.Column("agency_id");
    if (shortName < 0 && longName < 0) csv.Require("route_short_name");
    while (csv.Next()) {
      std::string routeId(csv.Field(id));
      if (!routeIndex_.emplace(routeId, static_cast<int>(routes_.size())).second) {
        csv.Fail("route " + Quote(routeId) + " is listed twice");
      }
      Route route;
      std::string shortText = Fit(csv, csv.Field(shortName), "route_short_name");
      std::string longText = Fit(csv, csv.Field(longName), "route_long_name");
      route.number = shortText.empty() ? longText : shortText;
      route.line_text = longText.empty() ? shortText : longText;
      if (route.number.empty()) {
        Warn("unnamed route", csv, "route " + Quote(routeId) + " has no name; its id stands in");
        route.number = route.line_text = Fit(csv, routeId, "route_id");
      }
      int routeType = 0;
      if (!ParseInt(csv.Field(type), &routeType)) {
        csv.Fail("route_type " + Quote(csv.Field(type)) + " is not a number");
      }
      if (!ModeOf(routeType, &route.mode)) {
        Warn("route type", csv,
             "route_type " + std::to_string(routeType) + " is not known; the route runs as a bus");
        route.mode = Mode::kBus;
      }
      std::string agencyId(csv.Field(agency));
      auto a = agencyIndex_.find(agencyId);
      if (a != agencyIndex_.end()) {
        route.agency = a->second;
      } else if (agencyId.empty()) {
        if (agencyNames_.size() > 1) {
          Warn("route agency", csv,
               "route " + Quote(routeId) + " names no agency; the first stands in");
        }
        route.agency = 0;
      } else {
        csv.Fail("unknown agency " + Quote(agencyId));
      }
      routes_.push_back(std::move(route));
    }
  }

  // ---- calendar.txt, calendar_dates.txt, feed_info.txt ----

  int ServiceOf(std::string const& id) {
    auto [it, added] = serviceIndex_.emplace(id, static_cast<int>(services_.size()));
    if (added) services_.emplace_back();
    return it->second;
  }

  void ReadServices() {
    std::optional<std::string> calendar = Read("calendar.txt", false);
    std::optional<std::string> dates = Read("calendar_dates.txt", false);
    if (!calendar && !dates) {
      FailAt(feed_.Label(), 0, "missing required file calendar.txt (or calendar_dates.txt)");
    }
    if (calendar) {
      CsvReader csv(*calendar, "calendar.txt");
      static constexpr char const* kWeekdays[] = {"monday", "tuesday",  "wednesday", "thursday",
                                                  "friday", "saturday", "sunday"};
      int id = csv.Require("service_id"), start = csv.Require("start_date"),
          end = csv.Require("end_date");
      int weekday[7];
      for (int w = 0; w < 7; ++w) weekday[w] = csv.Require(kWeekdays[w]);
      std::unordered_map<std::string, bool> seen;
      while (csv.Next()) {
        std::string serviceId(csv.Field(id));
        if (!seen.emplace(serviceId, true).second)
          csv.Fail("service " + Quote(serviceId) + " is listed twice");
        Service& service = services_[ServiceOf(serviceId)];
        int mask = 0;
        for (int w = 0; w < 7; ++w) {
          std::string_view f = csv.Field(weekday[w]);
          if (f != "0" && f != "1")
            csv.Fail(std::string(kWeekdays[w]) + " must be 0 or 1, not " + Quote(f));
          if (f == "1") mask |= 1 << w;
        }
        int first = ParseDate(csv, csv.Field(start), "start_date");
        int last = ParseDate(csv, csv.Field(end), "end_date");
        if (last < first) csv.Fail("end_date lies before start_date");
        first = std::max(first, kFirstUsableDay);
        last = std::min(last, kLastUsableDay);
        for (int d = first; mask && d <= last; ++d) {
          // Day numbers: (d + 1) mod 7 is 1 on Mondays; the mask has Monday in bit 0.
          if (mask & (1 << ((d + 1 + 6) % 7))) service.days.push_back(static_cast<uint16_t>(d));
        }
      }
    }
    if (dates) {
      CsvReader csv(*dates, "calendar_dates.txt");
      int id = csv.Require("service_id"), date = csv.Require("date"),
          type = csv.Require("exception_type");
      while (csv.Next()) {
        Service& service = services_[ServiceOf(std::string(csv.Field(id)))];
        int day = ParseDate(csv, csv.Field(date), "date");
        std::string_view t = csv.Field(type);
        if (t != "1" && t != "2") csv.Fail("exception_type must be 1 or 2, not " + Quote(t));
        if (day < kFirstUsableDay || day > kLastUsableDay) continue;
        (t == "1" ? service.added : service.removed).push_back(static_cast<uint16_t>(day));
      }
    }
    for (Service& s : services_) {
      s.days.insert(s.days.end(), s.added.begin(), s.added.end());
      std::sort(s.days.begin(), s.days.end());
      s.days.erase(std::unique(s.days.begin(), s.days.end()), s.days.end());
      std::sort(s.removed.begin(), s.removed.end());
      std::vector<uint16_t> kept;
      std::set_difference(s.days.begin(), s.days.end(), s.removed.begin(), s.removed.end(),
                          std::back_inserter(kept));
      s.days = std::move(kept);
      s.added.clear();
      s.removed.clear();
    }
    if (std::optional<std::string> info = Read("feed_info.txt", false)) {
      CsvReader csv(*info, "feed_info.txt");
      int start = csv.Column("feed_start_date"), end = csv.Column("feed_end_date");
      if (csv.Next()) {
        if (!csv.Field(start).empty())
          feedFirst_ = std::max(feedFirst_, ParseDate(csv, csv.Field(start), "feed_start_date"));
        if (!csv.Field(end).empty())
          feedLast_ = std::min(feedLast_, ParseDate(csv, csv.Field(end), "feed_end_date"));
      }
    }
  }

  // ---- trips.txt ----

  void ReadTrips() {
    std::string text = *Read("trips.txt", true);
    CsvReader csv(text, "trips.txt");
    int route = csv.Require("route_id"), service = csv.Require("service_id"),
        id = csv.Require("trip_id");
    int direction = csv.Column("direction_id");
    while (csv.Next()) {
      TripRow trip;
      trip.id = std::string(csv.Field(id));
      trip.line = csv.Line();
      if (!tripIndex_.emplace(trip.id, static_cast<int>(trips_.size())).second) {
        csv.Fail("trip " + Quote(trip.id) + " is listed twice");
      }
      auto r = routeIndex_.find(std::string(csv.Field(route)));
      if (r == routeIndex_.end()) csv.Fail("unknown route " + Quote(csv.Field(route)));
      trip.route = r->second;
      auto s = serviceIndex_.find(std::string(csv.Field(service)));
      if (s == serviceIndex_.end()) csv.Fail("unknown service " + Quote(csv.Field(service)));
      trip.service = s->second;
      if (!csv.Field(direction).empty()) ParseInt(csv.Field(direction), &trip.direction);
      trips_.push_back(std::move(trip));
    }
  }

  // ---- stop_times.txt ----

  void ReadStopTimes() {
    std::string text = *Read("stop_times.txt", true);
    CsvReader csv(text, "stop_times.txt");
    int trip = csv.Require("trip_id"), stop = csv.Require("stop_id"),
        sequence = csv.Require("stop_sequence");
    int arrival = csv.Require("arrival_time"), departure = csv.Require("departure_time");
    int pickup = csv.Column("pickup_type"), dropOff = csv.Column("drop_off_type");
    int distance = csv.Column("shape_dist_traveled");
    std::string key;
    size_t rows = 0;
    Progress("reading stop_times.txt", 0, 1);
    while (csv.Next()) {
      if (++rows % 8192 == 0) Progress("reading stop_times.txt", csv.Offset(), text.size());
      key.assign(csv.Field(trip));
      auto t = tripIndex_.find(key);
      if (t == tripIndex_.end()) csv.Fail("unknown trip " + Quote(key));
      key.assign(csv.Field(stop));
      auto s = stopIds_.find(key);
      if (s == stopIds_.end()) csv.Fail("unknown stop " + Quote(key));
      if (s->second < 0) {
        csv.Fail("stop " + Quote(key) + " is not a stop but location_type " +
                 std::to_string(-1 - s->second));
      }
      StopRow row;
      row.station = static_cast<uint16_t>(s->second);
      row.line = csv.Line();
      if (!ParseInt(csv.Field(sequence), &row.sequence) || row.sequence < 0) {
        csv.Fail("stop_sequence " + Quote(csv.Field(sequence)) + " is not a number");
      }
      if (std::string_view d = csv.Field(distance); !d.empty()) {
        auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), row.distance);
        if (ec != std::errc() || end != d.data() + d.size() || !(row.distance >= 0) ||
            row.distance > 1e12) {
          csv.Fail("shape_dist_traveled " + Quote(d) + " is not a distance");
        }
      }
      row.arrival = ParseTime(csv, csv.Field(arrival), "arrival_time");
      row.departure = ParseTime(csv, csv.Field(departure), "departure_time");
      for (int column : {pickup, dropOff}) {
        std::string_view f = csv.Field(column);
        int value = 0;
        if (!f.empty() && (!ParseInt(f, &value) || value < 0 || value > 3)) {
          csv.Fail((column == pickup ? "pickup_type " : "drop_off_type ") + Quote(f) +
                   " is not 0 to 3");
        }
        if (value == 1) row.flags |= column == pickup ? kStopNoBoarding : kStopNoAlighting;
        if (value >= 2) row.request = true;
      }
      trips_[t->second].stops.push_back(row);
    }
  }

  // ---- frequencies.txt ----

  // "H:MM:SS" in seconds, for the windows of frequencies.txt.
  static int ParseSeconds(CsvReader const& csv, std::string_view s, char const* column) {
    int minutes = ParseTime(csv, s, column);
    if (minutes < 0) csv.Fail(std::string(column) + " is missing");
    int seconds = 0;
    ParseInt(s.substr(s.size() - 2), &seconds);
    return minutes * 60 + seconds;
  }

  // A trip named in frequencies.txt only describes its trips: one is made
  // for every departure of each window, from start_time every headway_secs
  // while before end_time. exact_times 1 states these very departures;
  // with 0 they are what a rider may expect on average, and are expanded
  // the same way, as other GTFS consumers do.
  void ReadFrequencies() {
    std::optional<std::string> text = Read("frequencies.txt", false);
    if (!text) return;
    CsvReader csv(*text, "frequencies.txt");
    int trip = csv.Require("trip_id"), start = csv.Require("start_time"),
        end = csv.Require("end_time"), headway = csv.Require("headway_secs");
    int exact = csv.Column("exact_times");
    struct Window {
      int start, end, headway;
    };
    std::map<int, std::vector<Window>> windows;
    while (csv.Next()) {
      auto t = tripIndex_.find(std::string(csv.Field(trip)));
      if (t == tripIndex_.end()) csv.Fail("unknown trip " + Quote(csv.Field(trip)));
      Window w;
      w.start = ParseSeconds(csv, csv.Field(start), "start_time");
      w.end = ParseSeconds(csv, csv.Field(end), "end_time");
      if (w.end < w.start) csv.Fail("end_time lies before start_time");
      if (!ParseInt(csv.Field(headway), &w.headway) || w.headway < 1 || w.headway > 86400) {
        csv.Fail("headway_secs " + Quote(csv.Field(headway)) + " is not 1 to 86400");
      }
      std::string_view e = csv.Field(exact);
      if (!e.empty() && e != "0" && e != "1")
        csv.Fail("exact_times must be 0 or 1, not " + Quote(e));
      windows[t->second].push_back(w);
    }
    std::vector<TripRow> copies;
    for (auto& [index, list] : windows) {
      TripRow& model = trips_[index];
      model.template_only = true;
      if (!PrepareTrip(model)) continue;
      int first = model.stops.front().departure;
      for (Window const& w : list) {
        for (int at = w.start; at < w.end || (at == w.start && w.end == w.start); at += w.headway) {
          if (trips_.size() + copies.size() >= (1u << 24))
            FailAt("frequencies.txt", 0, "more trips than the format can hold");
          TripRow copy;
          copy.id = model.id + "@" + TimeText(at / 60);
          copy.route = model.route;
          copy.service = model.service;
          copy.direction = model.direction;
          copy.line = model.line;
          copy.prepared = true;
          copy.stops = model.stops;
          int shift = at / 60 - first;
          for (StopRow& s : copy.stops) {
            s.arrival += shift;
            s.departure += shift;
          }
          copies.push_back(std::move(copy));
        }
      }
    }
    for (TripRow& c : copies) trips_.push_back(std::move(c));
  }

  // ---- trains ----

  // Puts a trip's stops in order and gives every stop its times; throws
  // for what cannot be repaired.
  bool PrepareTrip(TripRow& trip) {
    auto& stops = trip.stops;
    if (stops.size() < 2) {
      WarnAt("left out: fewer than two stop times",
             "trips.txt:" + std::to_string(trip.line) + ": trip " + Quote(trip.id) +
                 " has fewer than two stop times (left out)");
      result_.warnings[warningIndex_["left out: fewer than two stop times"]].left_out =
          "fewer than two stop times";
      return false;
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](StopRow const& a, StopRow const& b) { return a.sequence < b.sequence; });
    for (size_t i = 1; i < stops.size(); ++i) {
      if (stops[i].sequence == stops[i - 1].sequence) {
        LeaveOut("a stop_sequence repeated", std::max(stops[i].line, stops[i - 1].line), trip,
                 "stop_sequence " + std::to_string(stops[i].sequence) + " is given twice (" +
                     StopName(stops[i]) + ")");
        return false;
      }
    }
    for (StopRow& s : stops) {
      if (s.arrival < 0) s.arrival = s.departure;
      if (s.departure < 0) s.departure = s.arrival;
    }
    for (size_t end : {size_t{0}, stops.size() - 1}) {
      if (stops[end].arrival < 0) {
        LeaveOut("no time at an end", stops[end].line, trip,
                 std::string("its ") + (end ? "last" : "first") + " stop, " + StopName(stops[end]) +
                     ", has no time");
        return false;
      }
    }
    // Stops without times (not time points) are timed between their
    // neighbours: by the distance travelled where the feed gives it along
    // the whole gap, else evenly.
    for (size_t i = 1; i + 1 < stops.size(); ++i) {
      if (stops[i].arrival >= 0) continue;
      size_t next = i + 1;
      while (stops[next].arrival < 0) ++next;
      int from = stops[i - 1].departure, to = stops[next].arrival;
      double d0 = stops[i - 1].distance, d1 = stops[next].distance;
      bool byDistance = d0 >= 0 && d1 > d0;
      for (size_t k = i; k < next && byDistance; ++k) {
        byDistance = stops[k].distance >= d0 && stops[k].distance <= d1 &&
                     (k == i || stops[k].distance >= stops[k - 1].distance);
      }
      for (size_t k = i; k < next; ++k) {
        int at =
            byDistance
                ? from + static_cast<int>((to - from) * (stops[k].distance - d0) / (d1 - d0))
                : from + (to - from) * static_cast<int>(k - i + 1) / static_cast<int>(next - i + 1);
        stops[k].arrival = stops[k].departure = at;
      }
      WarnAt("interpolated", "stop_times.txt:" + std::to_string(stops[i].line) + ": trip " +
                                 Quote(trip.id) +
                                 " has stops without times (timed between their neighbours)");
      i = next - 1;
    }
    for (size_t i = 0; i < stops.size(); ++i) {
      StopRow const& s = stops[i];
      if (s.departure < s.arrival) {
        LeaveOut("times go backwards", s.line, trip,
                 "at " + StopName(s) + " the departure " + TimeText(s.departure) +
                     " lies before the arrival " + TimeText(s.arrival));
        return false;
      }
      if (i == 0) continue;
      StopRow const& p = stops[i - 1];
      if (s.arrival < p.departure) {
        LeaveOut("times go backwards", s.line, trip,
                 "times go backwards at " + StopName(s) + " (" + TimeText(s.arrival) +
                     " after the departure " + TimeText(p.departure) + " before it)");
        return false;
      }
      if (s.station == p.station) {
        WarnAt("repeated stop",
               "stop_times.txt:" + std::to_string(s.line) + ": trip " + Quote(trip.id) +
                   " calls at " + Quote(result_.station_ids[s.station]) + " twice in a row (kept)");
      }
    }
    return true;
  }

  void BuildTrains() {
    // Train types: the modes the routes use, in the order of Mode.
    std::vector<int> typeOfMode(std::size(kModeTexts), -1);
    for (Route const& r : routes_) typeOfMode[static_cast<int>(r.mode)] = 0;
    bool city = true;
    for (size_t m = 0; m < typeOfMode.size(); ++m) {
      if (typeOfMode[m] < 0) continue;
      typeOfMode[m] = static_cast<int>(result_.model.train_types.size());
      result_.model.train_types.push_back(
          {{kModeTexts[m].abbreviation}, {kModeTexts[m].description}});
      city = city && kModeTexts[m].city;
    }
    for (Route& r : routes_) r.type = typeOfMode[static_cast<int>(r.mode)];
    auto uses = [&](Mode m) { return typeOfMode[static_cast<int>(m)] >= 0; };
    bool onlyAir = std::all_of(routes_.begin(), routes_.end(),
                               [](Route const& r) { return r.mode == Mode::kAir; });
    result_.model.kind = city ? 3 : uses(Mode::kRail) ? 1 : onlyAir && !routes_.empty() ? 4 : 2;

    // Trips that run, with their first departure moved into its first day.
    std::vector<int> kept;
    std::vector<int> shift(trips_.size(), 0);
    int first = kLastUsableDay + 1, last = kFirstUsableDay - 1;
    for (size_t t = 0; t < trips_.size(); ++t) {
      if (t % 4096 == 0) Progress("checking trips", t, trips_.size());
      TripRow& trip = trips_[t];
      if (trip.template_only || (!trip.prepared && !PrepareTrip(trip))) continue;
      std::vector<uint16_t> const& days = services_[trip.service].days;
      if (days.empty()) {
        WarnAt("left out: no running day", "trips.txt:" + std::to_string(trip.line) + ": trip " +
                                               Quote(trip.id) + " runs on no day (left out)");
        result_.warnings[warningIndex_["left out: no running day"]].left_out = "no running day";
        continue;
      }
      shift[t] = trip.stops.front().departure / 1440;
      first = std::min(first, days.front() + shift[t]);
      last = std::max(last, days.back() + shift[t]);
      kept.push_back(static_cast<int>(t));
    }
    if (kept.empty()) {
      for (Service const& s : services_) {
        if (s.days.empty()) continue;
        first = std::min<int>(first, s.days.front());
        last = std::max<int>(last, s.days.back());
      }
    }
    first = std::max({first, feedFirst_, kFirstUsableDay});
    last = std::min({last, feedLast_, kLastUsableDay});
    if (first > last)
      FailAt(feed_.Label(), 0, "no service day lies within what the feed and the format allow");
    result_.model.first_day = result_.model.data_from = static_cast<uint16_t>(first);
    result_.model.last_day = result_.model.data_to = static_cast<uint16_t>(last);
    result_.model.creation_date = static_cast<uint16_t>(first);

    // Trains in the order of their routes, directions and departures.
    std::stable_sort(kept.begin(), kept.end(), [&](int a, int b) {
      TripRow const& x = trips_[a];
      TripRow const& y = trips_[b];
      if (x.route != y.route) return x.route < y.route;
      if (x.direction != y.direction) return x.direction < y.direction;
      return x.stops.front().departure < y.stops.front().departure;
    });

    std::map<std::pair<int, int>, int> calendarOf;        // (service, shift)
    std::map<std::vector<uint16_t>, int> calendarByDays;  // shared by equal days
    std::map<uint16_t, std::vector<int32_t>> requestTrains;
    auto& model = result_.model;
    size_t done = 0;
    for (int t : kept) {
      if (done++ % 4096 == 0) Progress("building trains", done, kept.size());
      TripRow const& trip = trips_[t];
      auto [c, added] = calendarOf.emplace(std::make_pair(trip.service, shift[t]), 0);
      if (added) {
        std::vector<uint16_t> days;
        for (uint16_t d : services_[trip.service].days) {
          int day = d + shift[t];
          if (day >= first && day <= last) days.push_back(static_cast<uint16_t>(day));
        }
        if (days.empty()) {
          c->second = -2;
        } else if (days.size() == static_cast<size_t>(last - first + 1)) {
          c->second = -1;  // every day: the writer's class of daily trains
        } else {
          auto [byDays, fresh] =
              calendarByDays.emplace(days, static_cast<int>(model.calendars.size()));
          if (fresh) {
            if (model.calendars.size() == kMaxCalendars) {
              FailAt("trips.txt", trip.line, "more than 32767 different sets of running days");
            }
            model.calendars.push_back({std::move(days), {}});
          }
          c->second = byDays->second;
        }
      }
      if (c->second == -2) {
        WarnAt("left out: no running day", "trips.txt:" + std::to_string(trip.line) + ": trip " +
                                               Quote(trip.id) +
                                               " runs on no day within the validity (left out)");
        result_.warnings[warningIndex_["left out: no running day"]].left_out = "no running day";
        continue;
      }
      Route const& route = routes_[trip.route];
      writer::Train train;
      train.number = route.number;
      train.type = route.type;
      train.calendar = c->second;
      train.line = static_cast<int16_t>(trip.route);
      train.owner = static_cast<int16_t>(route.agency);
      int base = shift[t] * 1440;
      int32_t index = static_cast<int32_t>(model.trains.size());
      for (StopRow const& s : trip.stops) {
        writer::Stop stop;
        stop.station = s.station;
        stop.arrival = s.arrival - base;
        stop.departure = s.departure - base;
        stop.flags = s.flags;
        if (s.request) {
          stop.flags |= kStopHasNotes;
          auto& trains = requestTrains[s.station];
          if (trains.empty() || trains.back() != index) trains.push_back(index);
        }
        train.stops.push_back(stop);
      }
      if (!Storable(train, trip)) continue;
      model.trains.push_back(std::move(train));
      result_.trip_ids.push_back(trip.id);
      result_.trip_day_shift.push_back(shift[t]);
    }
    if (model.trains.size() >= (1u << 24))
      FailAt("trips.txt", 0, "more trips than the format can hold");

    // Stops on request: one note per station and run of consecutive trains.
    for (auto const& [station, trains] : requestTrains) {
      for (size_t i = 0; i < trains.size();) {
        size_t j = i;
        while (j + 1 < trains.size() && trains[j + 1] == trains[j] + 1) ++j;
        writer::StationRemark note;
        note.train = trains[i];
        note.last_train = j > i ? trains[j] : -1;
        note.station = station;
        note.code = kRequestCode;
        note.text = {kRequestText};
        model.station_remarks.push_back(std::move(note));
        i = j + 1;
      }
    }

    for (Route const& r : routes_) model.lines.push_back({r.line_text});
    for (std::string const& a : agencyNames_) model.owners.push_back({a});
  }

  // The file's stop words count days from the first departure and can say
  // only so much: a trip they cannot carry is left out, named at its stop.
  bool Storable(writer::Train const& train, TripRow const& trip) {
    writer::StopContext context{result_.model.kind, result_.model.stations.size(), {}};
    try {
      writer::EncodeTrain(train, result_.model.trains.size(), context);
    } catch (writer::ModelError const& e) {
      std::string why = e.what();
      size_t line = trip.stops.front().line;
      // "train N: stop K: why"
      size_t colon = why.find(": ");
      if (colon != std::string::npos) why = why.substr(colon + 2);
      std::string at;
      if (why.rfind("stop ", 0) == 0) {
        size_t end = why.find(": ");
        int k = 0;
        if (end != std::string::npos && ParseInt(std::string_view(why).substr(5, end - 5), &k) &&
            k >= 0 && static_cast<size_t>(k) < trip.stops.size()) {
          line = trip.stops[k].line;
          at = "at " + StopName(trip.stops[k]) + ": ";
          why = why.substr(end + 2);
        }
      }
      // The writer says which limit: a hop of more than twelve hours, or a
      // run past the days its words can count.
      std::string reason = why.find("too long after the previous stop") != std::string::npos
                               ? "more than 12 hours between two stops"
                               : "runs too long for the format";
      LeaveOut(reason, line, trip, at + why);
      return false;
    }
    return true;
  }

  // ---- transfers.txt ----

  // The stations a transfer's stop id stands for: the stop, or the stops of
  // a parent station.
  std::vector<uint16_t> StationsOf(CsvReader const& csv, std::string const& id) {
    auto it = stopIds_.find(id);
    if (it == stopIds_.end()) csv.Fail("unknown stop " + Quote(id));
    if (it->second >= 0) return {static_cast<uint16_t>(it->second)};
    auto children = childrenOf_.find(id);
    return children == childrenOf_.end() ? std::vector<uint16_t>{} : children->second;
  }

  void ReadTransfers() {
    std::optional<std::string> text = Read("transfers.txt", false);
    if (!text) return;
    CsvReader csv(*text, "transfers.txt");
    int from = csv.Require("from_stop_id"), to = csv.Require("to_stop_id");
    int type = csv.Column("transfer_type"), time = csv.Column("min_transfer_time");
    int specific[] = {csv.Column("from_trip_id"), csv.Column("to_trip_id"),
                      csv.Column("from_route_id"), csv.Column("to_route_id")};
    std::map<std::pair<uint16_t, uint16_t>, bool> seen;
    auto& model = result_.model;
    while (csv.Next()) {
      int transferType = 0;
      if (!csv.Field(type).empty() &&
          (!ParseInt(csv.Field(type), &transferType) || transferType < 0 || transferType > 5)) {
        csv.Fail("transfer_type " + Quote(csv.Field(type)) + " is not 0 to 5");
      }
      std::vector<uint16_t> fromStations = StationsOf(csv, std::string(csv.Field(from)));
      std::vector<uint16_t> toStations = StationsOf(csv, std::string(csv.Field(to)));
      if (std::any_of(std::begin(specific), std::end(specific),
                      [&](int c) { return !csv.Field(c).empty(); }) ||
          transferType >= 4) {
        Warn("trip transfer", csv, "a transfer between particular trips or routes (left out)");
        continue;
      }
      int seconds = -1;
      if (!csv.Field(time).empty() && (!ParseInt(csv.Field(time), &seconds) || seconds < 0)) {
        csv.Fail("min_transfer_time " + Quote(csv.Field(time)) + " is not a number of seconds");
      }
      if (transferType == 2 && seconds < 0) {
        Warn("transfer time", csv, "transfer_type 2 without min_transfer_time (taken as 0)");
      }
      // Checked against the cut before any arithmetic: a time near INT_MAX
      // must not overflow on its way to minutes.
      int minutes = seconds < 0 ? 0 : seconds > 127 * 60 ? 128 : (seconds + 59) / 60;
      if (minutes > 127) {
        Warn("long transfer", csv,
             "a transfer of " + std::to_string(minutes) + " minutes (cut to 127)");
        minutes = 127;
      }
      if (transferType == 3) minutes = -1;  // a link switched off: no change there
      for (uint16_t a : fromStations) {
        for (uint16_t b : toStations) {
          if (a == b) {
            // The minimal change time at one stop.
            if (seconds >= 0 && transferType != 3)
              model.stations[a].change_time = static_cast<int16_t>(minutes);
            continue;
          }
          if (!seen.emplace(std::make_pair(a, b), true).second) {
            Warn("repeated transfer", csv, "a second transfer between the same stops (left out)");
            continue;
          }
          if (model.transfers.size() == kMaxTransfers) csv.Fail("more than 32767 transfers");
          model.transfers.push_back({a, b, static_cast<int8_t>(minutes), {}});
        }
      }
    }
  }

  // ---- places and header ----

  // Stops of one parent station, and stops of one name, are one place.
  void BuildPlaces() {
    writer::VirtList list;
    list.type = 2;
    list.name = {"Zastávky"};
    std::unordered_map<std::string, size_t> itemOf;
    for (size_t s = 0; s < groupOf_.size(); ++s) {
      auto [it, added] = itemOf.emplace(groupOf_[s], list.items.size());
      if (added) {
        writer::VirtListItem item;
        item.name = {groupOf_[s]};
        list.items.push_back(std::move(item));
      }
      list.items[it->second].stations.push_back(static_cast<uint16_t>(s));
    }
    if (!list.items.empty()) result_.model.virtual_lists.push_back(std::move(list));
  }

  void BuildHeader() {
    auto& model = result_.model;
    model.id = options_.id;
    model.area = options_.area;
    model.languages = "C";
    std::string name;
    for (std::string const& a : agencyNames_) name += (name.empty() ? "" : ", ") + a;
    model.names = {name};
    // The description block holds 99 characters (Windows-1250 bytes).
    std::string description;
    size_t characters = 0;
    for (size_t i = 0; i < name.size() && characters < 99; ++characters) {
      size_t length = 1;
      uint8_t b = static_cast<uint8_t>(name[i]);
      if (b >= 0xF0)
        length = 4;
      else if (b >= 0xE0)
        length = 3;
      else if (b >= 0xC0)
        length = 2;
      description.append(name, i, length);
      i += length;
    }
    model.description = description;
    model.search.min_change_time =
        static_cast<uint32_t>(std::max<int16_t>(0, options_.default_change_time));
  }

  FeedFiles& feed_;
  ImportOptions options_;
  ImportResult result_;
  std::vector<std::optional<writer::GisVertex>> points_;  // per station
  std::map<std::string, size_t> warningIndex_;
  std::string lastPhase_;
  int lastPercent_ = -1;

  std::vector<std::string> agencyNames_;
  std::unordered_map<std::string, int> agencyIndex_;
  // Stop id to station index; a stop of another location type maps to
  // -1 - its type.
  std::unordered_map<std::string, int> stopIds_;
  std::vector<std::string> groupOf_;  // per station the name of its place
  std::unordered_map<std::string, std::vector<uint16_t>> childrenOf_;
  std::vector<Route> routes_;
  std::unordered_map<std::string, int> routeIndex_;
  std::vector<Service> services_;
  std::unordered_map<std::string, int> serviceIndex_;
  int feedFirst_ = kFirstUsableDay;
  int feedLast_ = kLastUsableDay;
  std::vector<TripRow> trips_;
  std::unordered_map<std::string, int> tripIndex_;
};

}  // namespace

std::vector<std::pair<std::string, size_t>> ImportResult::LeftOut() const {
  std::vector<std::pair<std::string, size_t>> out;
  for (Warning const& w : warnings) {
    if (!w.left_out.empty()) out.push_back({w.left_out, w.count});
  }
  return out;
}

size_t ImportResult::WarningCount() const {
  size_t n = 0;
  for (Warning const& w : warnings) n += w.count;
  return n;
}

ImportResult ImportFeed(FeedFiles& feed, ImportOptions const& options) {
  return Importer(feed, options).Run();
}

ImportResult ImportFeed(std::string const& path, ImportOptions const& options) {
  std::unique_ptr<FeedFiles> feed = OpenFeed(path, options.archive_limits);
  return ImportFeed(*feed, options);
}

}  // namespace qo::gtfs
