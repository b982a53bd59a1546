// Connection searches through the exported interface, as the program makes
// them on every click: random From and To stations, by departure and by
// arrival, direct and with up to five changes, with and without a via
// point, the automatic strategy on and off. Prints the times (median, p95,
// max) per kind of query, what the searches did (windows, labels, rides,
// station events, the split between preparation, rounds and clean-up),
// the peak memory, and the later connections asked five times after a
// search.
//
//   search_speed_bench                          # the national-size network
//   search_speed_bench --network plzen          # the Plzeň feed
//   search_speed_bench --scale 0.02 --queries 40 --csv out.csv
//   search_speed_bench --network plzen --joined   # pairs that trains join
//   search_speed_bench --network plzen --only 861,1949   # those queries alone
//
// A missing Plzeň feed ends the run with code 77 (skipped).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Qo.h"
#include "gtfs/gtfs_import.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/search_run.h"
#include "search_speed/generated_network.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

struct Options {
  std::string network = "national";
  double scale = 1.0;
  uint32_t seed = 26;
  int queries = 400;
  std::string csv;
  bool joinedPairs = false;
  // Each end and via point as the program names it: every station of its
  // timetable under the drawn station's name (all platforms of a stop).
  bool places = false;
  // Query numbers to run alone (the others are made all the same, so that
  // a number names the same query as in a full run).
  std::vector<int> only;
};

struct Place {
  int timetable = 0;
  int station = 0;
};

struct Query {
  Place from, to, via;
  // With --places: the stations of each point (else just the one above).
  std::vector<Place> fromPlace, toPlace, viaPlace;
  bool hasVia = false;
  int time = 0;
  bool byDeparture = true;
  bool changes = true;
  bool autoStrategy = false;
};

struct Outcome {
  double micros = 0;
  int found = 0;
  int error = 0;
  uint64_t digest = 0;  // of the connections found, without their IDs
  qo::SearchCounters counters;
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakMegabytes() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Writes the models to a folder of their own and loads them through the
// exported interface.
bool LoadTimetables(std::vector<w::TimetableModel> const& models, w::WriteOptions const& options,
                    std::string const& folder) {
  std::filesystem::create_directories(folder);
  std::vector<std::string> names;
  for (size_t i = 0; i < models.size(); ++i) {
    names.push_back(folder + "/t" + std::to_string(i) + ".qo");
    w::SaveFile(names.back(), w::WriteTimetable(models[i], options).bytes);
  }
  std::vector<char const*> paths;
  for (std::string const& n : names) paths.push_back(n.c_str());
  return QoInit2(paths.data(), static_cast<int>(paths.size()), nullptr) ==
         static_cast<int>(models.size());
}

// Random pairs of stations some train calls at (via points too), in any
// timetables; or with --joined pairs that trains join: To lies one train
// (direct) or one or two trains (with changes) away from From, in the same
// timetable, and a via point is a stop on the way.
class QueryMaker {
 public:
  QueryMaker(std::vector<w::TimetableModel> const& models, uint32_t seed, bool joined)
      : models_(models), rng_(seed), joined_(joined) {
    for (w::TimetableModel const& m : models) {
      trainsAt_.emplace_back(m.stations.size());
      for (size_t t = 0; t < m.trains.size(); ++t)
        for (w::Stop const& stop : m.trains[t].stops)
          trainsAt_.back()[stop.station].push_back(static_cast<int>(t));
    }
  }

  Query Make(int i) {
    Query q;
    // Every combination of the four switches comes round in turn.
    q.byDeparture = (i & 1) == 0;
    q.changes = (i & 2) == 0;
    q.hasVia = (i & 4) != 0;
    q.autoStrategy = (i & 8) != 0;
    q.time = Pick(300, 1260);
    if (!joined_) {
      q.from = RandomPlace();
      do q.to = RandomPlace();
      while (q.to.timetable == q.from.timetable && q.to.station == q.from.station);
      if (q.hasVia) {
        do q.via = RandomPlace();
        while ((q.via.timetable == q.from.timetable && q.via.station == q.from.station) ||
               (q.via.timetable == q.to.timetable && q.via.station == q.to.station));
      }
      return q;
    }
    for (;;) {
      // The rail timetable is asked most, as in the program.
      const int tt =
          models_.size() > 1 && Pick(0, 3) == 0 ? Pick(1, static_cast<int>(models_.size()) - 1) : 0;
      w::TimetableModel const& m = models_[static_cast<size_t>(tt)];
      q.from = {tt, Pick(0, static_cast<int>(m.stations.size()) - 1)};
      const int first = LaterStop(tt, q.from.station, -1);
      if (first < 0) continue;
      const bool twoTrains = q.changes && (q.hasVia || Pick(0, 1) == 1);
      int to = first;
      if (twoTrains) {
        to = LaterStop(tt, first, -1);
      } else if (q.hasVia) {
        to = LaterStop(tt, q.from.station, first);  // on the same train beyond the via point
      }
      if (to < 0 || to == q.from.station || (q.hasVia && to == first)) continue;
      q.to = {tt, to};
      if (q.hasVia) q.via = {tt, first};
      return q;
    }
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A station some train calls at; the rail timetable is asked most.
  Place RandomPlace() {
    for (;;) {
      const int tt =
          models_.size() > 1 && Pick(0, 3) == 0 ? Pick(1, static_cast<int>(models_.size()) - 1) : 0;
      const int s = Pick(0, static_cast<int>(models_[static_cast<size_t>(tt)].stations.size()) - 1);
      if (!trainsAt_[static_cast<size_t>(tt)][static_cast<size_t>(s)].empty()) return {tt, s};
    }
  }

  // A stop after `station` on a train through it (after `beyond` on that
  // train when given), -1 when there is none.
  int LaterStop(int tt, int station, int beyond) {
    std::vector<int> const& trains =
        trainsAt_[static_cast<size_t>(tt)][static_cast<size_t>(station)];
    if (trains.empty()) return -1;
    w::Train const& train = models_[static_cast<size_t>(tt)].trains[static_cast<size_t>(
        trains[static_cast<size_t>(Pick(0, static_cast<int>(trains.size()) - 1))])];
    size_t at = 0;
    while (train.stops[at].station != station) ++at;
    if (beyond >= 0) {
      size_t b = at + 1;
      while (b < train.stops.size() && train.stops[b].station != beyond) ++b;
      if (b >= train.stops.size()) return -1;
      at = b;
    }
    if (at + 1 >= train.stops.size()) return -1;
    return train
        .stops[static_cast<size_t>(
            Pick(static_cast<int>(at) + 1, static_cast<int>(train.stops.size()) - 1))]
        .station;
  }

  std::vector<w::TimetableModel> const& models_;
  std::mt19937 rng_;
  bool joined_;
  std::vector<std::vector<std::vector<int>>> trainsAt_;
};

void SetStrategy(bool autoStrategy) {
  CONNPARMS_REC* current = QoGetConnectionParms();
  if (!current) return;
  CONNPARMS_REC parms{};
  QoCopyConnectionParms(&parms, current);
  parms.max_changes = 5;
  parms.auto_strategy = autoStrategy ? 1 : 0;
  QoSetConnectionParms(&parms);
  QoFreeConnectionParms(&parms);
}

// FNV-1a over the result buffer's records, the connection IDs left out
// (they count over the life of the process): two runs that found the same
// connections have the same digest.
uint64_t Digest(unsigned char const* buffer, int count) {
  uint64_t h = 0xcbf29ce484222325ull;
  auto add = [&](int v) {
    for (int b = 0; b < 4; ++b) {
      h ^= static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b));
      h *= 0x100000001b3ull;
    }
  };
  if (!buffer) return 0;
  for (int i = 0; i < count; ++i) {
    CONNHEAD_REC head;
    std::memcpy(&head, buffer, sizeof head);
    buffer += sizeof head;
    add(head.legs);
    add(head.distance);
    add(head.duration);
    for (int k = 0; k < head.legs; ++k) {
      CONNLEG_REC leg;
      std::memcpy(&leg, buffer, sizeof leg);
      buffer += sizeof leg;
      for (int v : {leg.timetable, leg.train, leg.departure, leg.arrival, leg.boarding_offset,
                    leg.departure_day, leg.arrival_day, leg.from, leg.to})
        add(v);
    }
  }
  return h;
}

// With `digest` the result buffer is built too, and its digest kept.
Outcome Run(Query const& q, int day, int month, int year, bool digest = false) {
  SetStrategy(q.autoStrategy);
  // The arrays of one point: its stations, each a station (list -1); a
  // via point's first entry starts it (bit 31 of the timetable).
  struct Point {
    std::vector<int> items, lists, timetables;
    Point(Place one, std::vector<Place> const& place, bool via) {
      for (Place const& p : place.empty() ? std::vector<Place>{one} : place) {
        items.push_back(p.station);
        lists.push_back(-1);
        timetables.push_back(p.timetable);
      }
      if (via) timetables[0] |= static_cast<int>(0x80000000u);
    }
    int Count() const { return static_cast<int>(items.size()); }
  };
  const Point from(q.from, q.fromPlace, false), to(q.to, q.toPlace, false),
      via(q.via, q.viaPlace, true);
  qo::CurrentSearchCounters() = {};
  Outcome out;
  int count = 0;
  unsigned char* buffer = nullptr;
  auto start = std::chrono::steady_clock::now();
  QoConnectionExt2(from.items.data(), from.lists.data(), from.timetables.data(), nullptr,
                   from.Count(), to.items.data(), to.lists.data(), to.timetables.data(), nullptr,
                   to.Count(), q.hasVia ? via.items.data() : nullptr, via.lists.data(),
                   via.timetables.data(), q.hasVia ? via.Count() : 0, nullptr, nullptr, nullptr, 0,
                   q.time, day, month, year, q.changes ? 1 : 0, q.byDeparture ? 1 : 0, nullptr,
                   &count, digest ? &buffer : nullptr);
  out.micros = Seconds(start) * 1e6;
  out.error = QoError();
  out.found = count;
  out.digest = Digest(buffer, count);
  out.counters = qo::CurrentSearchCounters();
  return out;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t at = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(at, v.size() - 1)];
}

void PrintGroup(char const* name, std::vector<Query> const& queries,
                std::vector<Outcome> const& outcomes, bool (*in)(Query const&)) {
  std::vector<double> times;
  qo::SearchCounters sum;
  int found = 0;
  for (size_t i = 0; i < queries.size(); ++i) {
    if (!in(queries[i])) continue;
    Outcome const& o = outcomes[i];
    times.push_back(o.micros);
    found += o.found > 0 ? 1 : 0;
    sum.Windows += o.counters.Windows;
    sum.Labels += o.counters.Labels;
    sum.Rides += o.counters.Rides;
    sum.Events += o.counters.Events;
    sum.PrepareNanoseconds += o.counters.PrepareNanoseconds;
    sum.RoundsNanoseconds += o.counters.RoundsNanoseconds;
    sum.CleanUpNanoseconds += o.counters.CleanUpNanoseconds;
  }
  if (times.empty()) return;
  const double n = static_cast<double>(times.size());
  const double split =
      static_cast<double>(sum.PrepareNanoseconds + sum.RoundsNanoseconds + sum.CleanUpNanoseconds);
  auto share = [&](int64_t part) {
    return split > 0 ? 100.0 * static_cast<double>(part) / split : 0;
  };
  std::printf(
      "%-22s %5zu %5d %10.0f %10.0f %10.0f %6.2f %9.0f %9.0f %10.0f %5.0f%% %5.0f%% %5.0f%%\n",
      name, times.size(), found, Percentile(times, 0.5), Percentile(times, 0.95),
      *std::max_element(times.begin(), times.end()), static_cast<double>(sum.Windows) / n,
      static_cast<double>(sum.Labels) / n, static_cast<double>(sum.Rides) / n,
      static_cast<double>(sum.Events) / n, share(sum.PrepareNanoseconds),
      share(sum.RoundsNanoseconds), share(sum.CleanUpNanoseconds));
}

// Later connections five times after each of a few searches that found
// something by departure.
void NextConnections(std::vector<Query> const& queries, std::vector<Outcome> const& outcomes,
                     int day, int month, int year) {
  std::vector<double> times;
  int asked = 0;
  for (size_t i = 0; i < queries.size() && asked < 20; ++i) {
    if (outcomes[i].found == 0 || !queries[i].byDeparture) continue;
    Run(queries[i], day, month, year);
    ++asked;
    for (int k = 0; k < 5; ++k) {
      int first = 0, count = 0;
      auto start = std::chrono::steady_clock::now();
      QoNextConnection(0, &first, &count, nullptr);
      times.push_back(Seconds(start) * 1e6);
      QoError();
    }
  }
  if (times.empty()) {
    std::printf("QoNextConnection x5: no search found anything\n");
    return;
  }
  std::printf("QoNextConnection x5 after %d searches: median %.0f us, p95 %.0f us, max %.0f us\n",
              asked, Percentile(times, 0.5), Percentile(times, 0.95),
              *std::max_element(times.begin(), times.end()));
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> char const* { return i + 1 < argc ? argv[++i] : nullptr; };
    char const* v = nullptr;
    if (a == "--network" && (v = value())) {
      o.network = v;
    } else if (a == "--scale" && (v = value())) {
      o.scale = std::atof(v);
    } else if (a == "--seed" && (v = value())) {
      o.seed = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
    } else if (a == "--queries" && (v = value())) {
      o.queries = std::atoi(v);
    } else if (a == "--csv" && (v = value())) {
      o.csv = v;
    } else if (a == "--joined") {
      o.joinedPairs = true;
    } else if (a == "--places") {
      o.places = true;
    } else if (a == "--only" && (v = value())) {
      for (char const* at = v; *at;) {
        char* end = nullptr;
        o.only.push_back(static_cast<int>(std::strtol(at, &end, 10)));
        if (end == at) return false;
        at = *end == ',' ? end + 1 : end;
      }
    } else {
      std::fprintf(stderr,
                   "usage: search_speed_bench [--network national|plzen] [--scale S] [--seed N] "
                   "[--queries N] [--joined] [--places] [--only N,N,...] [--csv FILE]\n");
      return false;
    }
  }
  return (o.network == "national" || o.network == "plzen") && o.scale > 0 && o.queries > 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) return 2;
  const std::string folder =
      (std::filesystem::temp_directory_path() / ("qo-search-speed-" + std::to_string(::getpid())))
          .string();
  auto start = std::chrono::steady_clock::now();
  std::vector<w::TimetableModel> models;
  w::WriteOptions options;
  int day = 11, month = 6, year = 2025;
  if (o.network == "plzen") {
    const std::string feed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";
    if (!std::filesystem::exists(feed)) {
      std::printf("the Plzeň feed is absent: %s\n", feed.c_str());
      return 77;
    }
    qo::gtfs::ImportResult imported = qo::gtfs::ImportFeed(feed);
    models.push_back(std::move(imported.model));
    options = imported.options;
    month = 3;
    year = 2026;  // 11 March 2026, a Wednesday of the feed
  } else {
    qo::bench::GeneratedNetwork net = qo::bench::GenerateNetwork(o.seed, o.scale);
    models = std::move(net.timetables);
    options = net.options;
  }
  size_t stations = 0, trains = 0, stops = 0;
  for (w::TimetableModel const& m : models) {
    stations += m.stations.size();
    trains += m.trains.size();
    for (w::Train const& t : m.trains) stops += t.stops.size();
  }
  const bool loaded = LoadTimetables(models, options, folder);
  std::filesystem::remove_all(folder);
  if (!loaded) {
    std::fprintf(stderr, "the timetables did not load (error %d)\n", QoError());
    return 1;
  }
  std::printf(
      "%s network: %zu timetables, %zu stations, %zu trains, %zu stops; built and loaded "
      "in %.1f s\n",
      o.network.c_str(), static_cast<size_t>(QoQoCount()), stations, trains, stops, Seconds(start));

  std::vector<Query> queries;
  std::vector<int> numbers;
  QueryMaker maker(models, o.seed, o.joinedPairs);
  // Per timetable, the stations of each name.
  std::vector<std::map<std::string, std::vector<int>>> named(models.size());
  for (size_t t = 0; t < models.size(); ++t)
    for (size_t s = 0; s < models[t].stations.size(); ++s)
      named[t][models[t].stations[s].name.empty() ? std::string() : models[t].stations[s].name[0]]
          .push_back(static_cast<int>(s));
  auto placeOf = [&](Place p) {
    std::vector<Place> place;
    w::TimetableModel const& m = models[static_cast<size_t>(p.timetable)];
    auto const& name = m.stations[static_cast<size_t>(p.station)].name;
    // A station without a name is a place of its own.
    if (name.empty() || name[0].empty()) return std::vector<Place>{p};
    for (int s : named[static_cast<size_t>(p.timetable)][name[0]])
      place.push_back({p.timetable, s});
    return place;
  };
  for (int i = 0; i < o.queries; ++i) {
    Query q = maker.Make(i);
    if (o.places) {
      q.fromPlace = placeOf(q.from);
      q.toPlace = placeOf(q.to);
      if (q.hasVia) q.viaPlace = placeOf(q.via);
    }
    if (!o.only.empty() && std::find(o.only.begin(), o.only.end(), i) == o.only.end()) continue;
    queries.push_back(q);
    numbers.push_back(i);
  }
  models.clear();
  std::vector<Outcome> outcomes;
  for (Query const& q : queries) outcomes.push_back(Run(q, day, month, year, !o.csv.empty()));

  std::printf("%-22s %5s %5s %10s %10s %10s %6s %9s %9s %10s %6s %6s %6s\n", "queries", "n",
              "found", "median us", "p95 us", "max us", "windw", "labels", "rides", "events",
              "prep", "rounds", "clean");
  PrintGroup("all", queries, outcomes, [](Query const&) { return true; });
  PrintGroup("by departure", queries, outcomes, [](Query const& q) { return q.byDeparture; });
  PrintGroup("by arrival", queries, outcomes, [](Query const& q) { return !q.byDeparture; });
  PrintGroup("direct", queries, outcomes, [](Query const& q) { return !q.changes; });
  PrintGroup("up to 5 changes", queries, outcomes, [](Query const& q) { return q.changes; });
  PrintGroup("with a via point", queries, outcomes, [](Query const& q) { return q.hasVia; });
  PrintGroup("without a via point", queries, outcomes, [](Query const& q) { return !q.hasVia; });
  PrintGroup("automatic strategy", queries, outcomes,
             [](Query const& q) { return q.autoStrategy; });
  PrintGroup("fixed strategy", queries, outcomes, [](Query const& q) { return !q.autoStrategy; });
  PrintGroup("dep, changes, no via", queries, outcomes,
             [](Query const& q) { return q.byDeparture && q.changes && !q.hasVia; });
  NextConnections(queries, outcomes, day, month, year);
  std::printf("peak memory %.0f MB, %ld cores\n", PeakMegabytes(), ::sysconf(_SC_NPROCESSORS_ONLN));

  if (!o.csv.empty()) {
    FILE* f = std::fopen(o.csv.c_str(), "w");
    if (!f) {
      std::fprintf(stderr, "cannot write %s\n", o.csv.c_str());
      return 1;
    }
    std::fprintf(f,
                 "query,from_timetable,from_station,to_timetable,to_station,via_timetable,"
                 "via_station,time,by_departure,changes,auto_strategy,micros,connections,error,"
                 "windows,labels,rides,events,digest\n");
    for (size_t i = 0; i < queries.size(); ++i) {
      Query const& q = queries[i];
      Outcome const& r = outcomes[i];
      std::fprintf(
          f, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%.1f,%d,%d,%lld,%lld,%lld,%lld,%016llx\n",
          numbers[i], q.from.timetable, q.from.station, q.to.timetable, q.to.station,
          q.hasVia ? q.via.timetable : -1, q.hasVia ? q.via.station : -1, q.time, q.byDeparture,
          q.changes, q.autoStrategy, r.micros, r.found, r.error,
          static_cast<long long>(r.counters.Windows), static_cast<long long>(r.counters.Labels),
          static_cast<long long>(r.counters.Rides), static_cast<long long>(r.counters.Events),
          static_cast<unsigned long long>(r.digest));
    }
    std::fclose(f);
  }
  while (QoQoCount() > 0) QoCloseQo(QoQoCount() - 1, 0);
  // A smoke run fails when the searches fault or none finds anything.
  int faults = 0, found = 0;
  for (Outcome const& r : outcomes) {
    faults += r.error == 31 ? 1 : 0;
    found += r.found > 0 ? 1 : 0;
  }
  if (faults > 0 || found == 0) {
    std::fprintf(stderr, "%d searches faulted, %d found connections\n", faults, found);
    return 1;
  }
  return 0;
}
