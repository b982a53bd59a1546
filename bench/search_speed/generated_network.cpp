#include "search_speed/generated_network.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace qo::bench {
namespace {

namespace w = qo::writer;

constexpr uint16_t kFirstDay = w::DayNumberOf(2025, 1, 1);
constexpr uint16_t kLastDay = w::DayNumberOf(2025, 12, 31);
constexpr int kCalendarClasses = 50;

// One mode of transport on its own square grid of stops.
struct ModeShape {
  uint8_t kind;
  char const* name;
  int32_t keyBase;
  double stops;        // at scale 1
  double trips;        // a day, at scale 1
  int tripsPerLine;    // both directions
  int hopMin, hopMax;  // minutes between neighbouring stops
  int dwell;           // minutes at an intermediate stop
  // Long lines along every n-th row and column of the grid, over its whole
  // width, calling at every (rail) or every other place: they join the
  // local lines, and at the places bus and city stops share with rail
  // stations, the grids.
  int longEvery;
  int longStopEvery;
};

constexpr ModeShape kModes[] = {
    {1, "Rail", 1, 6000, 8000, 40, 4, 9, 1, 4, 1},
    {2, "Bus", 100001, 18000, 30000, 40, 2, 5, 0, 8, 2},
    {3, "City", 200001, 6000, 12000, 100, 1, 3, 0, 8, 1},
};

// Trips a day each way on a long line: hourly.
constexpr int kLongTripsPerDirection = 19;

int Weekday(uint16_t day) { return (day + 1) % 7; }  // 0 Sunday .. 6 Saturday

std::vector<w::Calendar> Calendars(std::mt19937& rng) {
  std::vector<w::Calendar> calendars(kCalendarClasses);
  auto byWeekdays = [](w::Calendar& c, unsigned mask, uint16_t from, uint16_t to) {
    for (uint16_t day = from; day <= to; ++day)
      if (mask >> Weekday(day) & 1) c.days.push_back(day);
  };
  byWeekdays(calendars[0], 0x7F, kFirstDay, kLastDay);  // daily
  byWeekdays(calendars[1], 0x3E, kFirstDay, kLastDay);  // working days
  byWeekdays(calendars[2], 0x41, kFirstDay, kLastDay);  // weekends
  byWeekdays(calendars[3], 0x40, kFirstDay, kLastDay);  // Saturdays
  byWeekdays(calendars[4], 0x01, kFirstDay, kLastDay);  // Sundays
  for (int c = 5; c < kCalendarClasses; ++c) {
    // A weekly pattern over part of the year, with a few days left out.
    const unsigned mask = 1 + rng() % 0x7F;
    const uint16_t from = static_cast<uint16_t>(kFirstDay + rng() % 120);
    const uint16_t to = static_cast<uint16_t>(kLastDay - rng() % 120);
    byWeekdays(calendars[static_cast<size_t>(c)], mask, from, to);
    std::vector<uint16_t>& days = calendars[static_cast<size_t>(c)].days;
    for (int k = 0; k < 6 && days.size() > 1; ++k)
      days.erase(days.begin() + static_cast<long>(rng() % days.size()));
    if (days.empty()) days.push_back(from);
  }
  return calendars;
}

int CalendarOf(std::mt19937& rng) {
  const unsigned r = rng() % 100;
  if (r < 50) return -1;  // every day, without a class of its own
  if (r < 75) return 1;
  if (r < 85) return static_cast<int>(rng() % 5);
  return 5 + static_cast<int>(rng() % (kCalendarClasses - 5));
}

// A line: a walk over the grid that does not step back onto its own stops.
std::vector<uint16_t> LineStops(std::mt19937& rng, int side, int count) {
  std::vector<uint16_t> stops;
  int x = static_cast<int>(rng() % static_cast<unsigned>(side));
  int y = static_cast<int>(rng() % static_cast<unsigned>(side));
  stops.push_back(static_cast<uint16_t>(y * side + x));
  const int dx[] = {1, -1, 0, 0, 1, -1}, dy[] = {0, 0, 1, -1, 1, -1};
  int heading = static_cast<int>(rng() % 4);
  while (static_cast<int>(stops.size()) < count) {
    bool moved = false;
    for (int attempt = 0; attempt < 8 && !moved; ++attempt) {
      // Mostly straight on, now and then a turn.
      const int d = attempt == 0 && rng() % 4 != 0 ? heading : static_cast<int>(rng() % 6);
      const int nx = x + dx[d], ny = y + dy[d];
      if (nx < 0 || ny < 0 || nx >= side || ny >= side) continue;
      const uint16_t s = static_cast<uint16_t>(ny * side + nx);
      if (std::find(stops.begin(), stops.end(), s) != stops.end()) continue;
      x = nx;
      y = ny;
      heading = d;
      stops.push_back(s);
      moved = true;
    }
    if (!moved) break;
  }
  return stops;
}

w::TimetableModel ModeTimetable(std::mt19937& rng, ModeShape const& mode, double scale,
                                std::vector<w::Calendar> const& calendars, int railSide) {
  w::TimetableModel m;
  m.id = mode.kind;
  m.kind = mode.kind;
  m.names = {std::string("Generated ") + mode.name};
  m.description = m.names[0];
  m.first_day = m.data_from = kFirstDay;
  m.last_day = m.data_to = kLastDay;
  m.train_types = {{.abbreviation = {mode.name}, .description = {mode.name}}};
  m.calendars = calendars;
  m.search.max_changes = 5;

  const int side = std::max(3, static_cast<int>(std::lround(std::sqrt(mode.stops * scale))));
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      m.stations.push_back(
          {.name = {std::string(mode.name) + " " + std::to_string(x) + "/" + std::to_string(y)},
           .key = mode.keyBase + static_cast<int32_t>(m.stations.size()),
           .type = 0x01});

  // Walking links to the neighbour on the right, both ways, for a third of
  // the stops.
  for (int y = 0; y < side; ++y)
    for (int x = 0; x + 1 < side; ++x) {
      if (rng() % 3 != 0) continue;
      const uint16_t a = static_cast<uint16_t>(y * side + x), b = static_cast<uint16_t>(a + 1);
      const int8_t minutes = static_cast<int8_t>(2 + rng() % 5);
      m.transfers.push_back({.from = a, .to = b, .minutes = minutes});
      m.transfers.push_back({.from = b, .to = a, .minutes = minutes});
    }

  // Bus and city stops on every other (city: every fourth) place of their
  // grid stand at a rail station: merged with it and linked to it.
  if (mode.kind != 1) {
    const int step = mode.kind == 2 ? 2 : 4;
    const int offset = mode.kind == 2 ? 0 : railSide / 3;
    m.merge_kind = 1;
    w::LinkRecord links{.kind = 1, .area = 0};
    for (int y = 0; y < side; y += step)
      for (int x = 0; x < side; x += step) {
        const int rx = offset + x / step, ry = offset + y / step;
        if (rx >= railSide || ry >= railSide) continue;
        const uint16_t s = static_cast<uint16_t>(y * side + x);
        const int32_t railKey = kModes[0].keyBase + ry * railSide + rx;
        m.stations[s].merge_key = railKey;
        links.entries.push_back(
            {.station = s, .other_key = railKey, .value = static_cast<uint8_t>(2 + rng() % 4)});
      }
    m.links = {links};
  }

  // The long lines first: rows, then columns, at the given spacing. They
  // take their trips out of the mode's number.
  std::vector<std::vector<uint16_t>> longPaths;
  for (int axis = 0; axis < 2; ++axis)
    for (int row = 0; row < side; row += mode.longEvery) {
      std::vector<uint16_t> path;
      for (int along = 0; along < side; along += mode.longStopEvery)
        path.push_back(static_cast<uint16_t>(axis == 0 ? row * side + along : along * side + row));
      if (path.size() >= 2) longPaths.push_back(std::move(path));
    }
  const double longTrips = static_cast<double>(longPaths.size()) * 2 * kLongTripsPerDirection;
  const int localLines =
      std::max(1, static_cast<int>(std::lround(std::max(0.0, mode.trips * scale - longTrips) /
                                               mode.tripsPerLine)));
  const int spread = 19 * 60;  // from 4:30 to 23:30
  const int lines = static_cast<int>(longPaths.size()) + localLines;
  for (int line = 0; line < lines; ++line) {
    const bool isLong = line < static_cast<int>(longPaths.size());
    const std::vector<uint16_t> path =
        isLong ? longPaths[static_cast<size_t>(line)]
               : LineStops(rng, side, 15 + static_cast<int>(rng() % 11));
    if (path.size() < 2) continue;
    // A long line runs fast, without waits.
    const int hopMax = isLong ? mode.hopMin + 1 : mode.hopMax;
    const int dwell = isLong ? 0 : mode.dwell;
    std::vector<int> hops;
    for (size_t i = 1; i < path.size(); ++i)
      hops.push_back((isLong ? mode.longStopEvery : 1) *
                     (mode.hopMin +
                      static_cast<int>(rng() % static_cast<unsigned>(hopMax - mode.hopMin + 1))));
    const int perDirection = isLong ? kLongTripsPerDirection : mode.tripsPerLine / 2;
    const int headway = std::max(1, spread / perDirection);
    const int firstTrip = 270 + static_cast<int>(rng() % static_cast<unsigned>(headway));
    for (int direction = 0; direction < 2; ++direction)
      for (int trip = 0; trip < perDirection; ++trip) {
        w::Train train;
        train.number = std::to_string((line + 1) * 1000 + direction * 500 + trip);
        train.calendar = isLong ? -1 : CalendarOf(rng);
        int minute = firstTrip + trip * headway + direction * (headway / 2);
        for (size_t k = 0; k < path.size(); ++k) {
          const size_t i = direction == 0 ? k : path.size() - 1 - k;
          w::Stop stop{.station = path[i]};
          if (k > 0) {
            minute += hops[direction == 0 ? i - 1 : i];
            stop.arrival = minute;
          }
          if (k + 1 < path.size()) {
            if (k > 0) minute += dwell;
            stop.departure = minute;
          }
          train.stops.push_back(stop);
        }
        m.trains.push_back(std::move(train));
      }
  }
  return m;
}

}  // namespace

GeneratedNetwork GenerateNetwork(uint32_t seed, double scale) {
  std::mt19937 rng(seed);
  GeneratedNetwork net;
  const std::vector<w::Calendar> calendars = Calendars(rng);
  const int railSide =
      std::max(3, static_cast<int>(std::lround(std::sqrt(kModes[0].stops * scale))));
  for (ModeShape const& mode : kModes)
    net.timetables.push_back(ModeTimetable(rng, mode, scale, calendars, railSide));
  net.options.share_stop_patterns = true;
  return net;
}

}  // namespace qo::bench
