#include "kernel/search/random_network.h"

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace qo::test {

namespace w = qo::writer;

w::TimetableModel RandomNetwork(uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

  w::TimetableModel m;
  m.names = {"Network " + std::to_string(seed)};
  const int stations = pick(4, 12);
  for (int s = 0; s < stations; ++s)
    // Bit 0x01: a journey may alight here.
    m.stations.push_back(
        {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  m.search.min_change_time = static_cast<uint32_t>(pick(0, 5));
  // Short, the usual default, or long enough never to bind.
  const int wait = pick(0, 3);
  m.search.max_change_time = static_cast<uint32_t>(wait == 0   ? pick(20, 90)
                                                   : wait == 1 ? 240
                                                               : 1439);
  // A calendar of a few days around the search day.
  w::Calendar some;
  for (int d = -2; d <= 3; ++d)
    if (pick(0, 1)) some.days.push_back(static_cast<uint16_t>(kNetworkSearchDay + d));
  m.calendars = {some};

  const int lines = pick(3, 7);
  std::vector<int> order(static_cast<size_t>(stations));
  std::iota(order.begin(), order.end(), 0);
  for (int l = 0; l < lines; ++l) {
    std::shuffle(order.begin(), order.end(), rng);
    const int length = pick(2, std::min(stations, 6));
    std::vector<int> hops;
    for (int i = 1; i < length; ++i) hops.push_back(pick(1, 40));
    const int runs = pick(3, 12);
    for (int r = 0; r < runs; ++r) {
      const bool back = pick(0, 1) == 1;
      // Half the runs keep the line's running times exactly (stored as
      // shared stop patterns when the writer is asked to).
      const bool exact = pick(0, 1) == 1;
      int time = pick(0, 1439);
      w::Train train;
      train.number = std::to_string(100 * l + r + 1);
      train.calendar = pick(0, 3) == 0 ? 0 : -1;
      for (int i = 0; i < length; ++i) {
        const int at = back ? length - 1 - i : i;
        w::Stop stop{.station = static_cast<uint16_t>(order[static_cast<size_t>(at)])};
        if (i > 0) {
          time += hops[static_cast<size_t>(back ? at : at - 1)] + (exact ? 0 : pick(0, 3));
          stop.arrival = time;
        }
        if (i + 1 < length) {
          if (i > 0 && !exact && pick(0, 3) == 0) time += pick(1, 4);
          stop.departure = time;
        }
        train.stops.push_back(stop);
      }
      m.trains.push_back(train);
    }
  }
  return m;
}

}  // namespace qo::test
