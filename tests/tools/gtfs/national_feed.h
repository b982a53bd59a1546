#pragma once
// A generated feed of the shape of a national network: many stops, routes
// of 8 to 24 stops, rail and bus, trips through the day on six services of
// a timetable year with exceptions. Deterministic for its size, so that the
// tests can run it small and the benchmark large.
#include <cstddef>
#include <string>

namespace qo::gtfs::testing {

struct NationalFeedSize {
  size_t stops = 30000;
  size_t trips = 200000;
};

// Writes the feed's tables into the folder (created when missing) and
// returns the number of stop_times rows.
size_t WriteNationalFeed(std::string const& folder, NationalFeedSize const& size);

}  // namespace qo::gtfs::testing
