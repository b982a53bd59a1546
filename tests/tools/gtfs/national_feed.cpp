#include "tools/gtfs/national_feed.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace qo::gtfs::testing {

namespace {

// A table written through one buffered stdio stream.
class Table {
 public:
  Table(std::string const& folder, char const* name, char const* header)
      : file_(std::fopen((folder + "/" + name).c_str(), "wb")) {
    if (!file_) throw std::runtime_error(std::string("cannot write ") + name);
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    std::fputs(header, file_);
    std::fputc('\n', file_);
  }
  ~Table() { std::fclose(file_); }
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

void Time(std::FILE* f, int minutes) {
  std::fprintf(f, "%02d:%02d:00", minutes / 60, minutes % 60);
}

}  // namespace

size_t WriteNationalFeed(std::string const& folder, NationalFeedSize const& size) {
  std::filesystem::create_directories(folder);
  size_t const stops = std::max<size_t>(size.stops, 30);
  size_t const routes = std::max<size_t>(size.trips / 100, 1);
  {
    Table t(folder, "agency.txt", "agency_id,agency_name,agency_url,agency_timezone");
    for (char const* a : {"CD,České dráhy", "RJ,RegioJet", "ARR,Arriva", "BUS,Autobusy kraje"})
      std::fprintf(t.get(), "%s,https://example.invalid,Europe/Prague\n", a);
  }
  {
    Table t(folder, "stops.txt", "stop_id,stop_name,stop_lat,stop_lon");
    for (size_t s = 0; s < stops; ++s) {
      std::fprintf(t.get(), "%zu,Zastávka %zu,%.5f,%.5f\n", s + 1, s + 1,
                   48.6 + static_cast<double>(s % 300) / 100,
                   12.1 + static_cast<double>(s / 300) / 15);
    }
  }
  {
    Table t(folder, "routes.txt", "route_id,agency_id,route_short_name,route_long_name,route_type");
    static char const* const kAgencies[] = {"CD", "RJ", "ARR", "BUS"};
    for (size_t r = 0; r < routes; ++r) {
      bool rail = r % 10 == 0;
      std::fprintf(t.get(), "R%zu,%s,%zu,Linka %zu,%d\n", r, kAgencies[r % 4], r + 1, r + 1,
                   rail ? 2 : 3);
    }
  }
  {
    Table t(folder, "calendar.txt",
            "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
            "end_date");
    std::fputs(
        "WD,1,1,1,1,1,0,0,20251214,20261212\n"
        "SA,0,0,0,0,0,1,0,20251214,20261212\n"
        "SU,0,0,0,0,0,0,1,20251214,20261212\n"
        "DAILY,1,1,1,1,1,1,1,20251214,20261212\n"
        "SUMMER,1,1,1,1,1,0,0,20260701,20260831\n"
        "WINTER,1,1,1,1,1,1,1,20251214,20260331\n",
        t.get());
  }
  {
    Table t(folder, "calendar_dates.txt", "service_id,date,exception_type");
    for (char const* day :
         {"20251224", "20251225", "20251226", "20260101", "20260403", "20260406", "20260501",
          "20260508", "20260706", "20260928", "20261028", "20261117"}) {
      std::fprintf(t.get(), "WD,%s,2\nSU,%s,1\n", day, day);
    }
  }
  static char const* const kServices[] = {"WD", "SA", "SU", "DAILY", "SUMMER", "WINTER"};
  size_t rows = 0;
  Table trips(folder, "trips.txt", "route_id,service_id,trip_id,direction_id");
  Table times(folder, "stop_times.txt",
              "trip_id,arrival_time,departure_time,stop_id,stop_sequence");
  size_t trip = 0;
  for (size_t r = 0; r < routes; ++r) {
    size_t length = 8 + r % 17;
    size_t first = (r * 7919) % stops, step = 1 + r % 13;
    size_t count = size.trips / routes + (r < size.trips % routes ? 1 : 0);
    for (size_t j = 0; j < count; ++j, ++trip) {
      int direction = static_cast<int>(j % 2);
      std::fprintf(trips.get(), "R%zu,%s,T%zu,%d\n", r, kServices[(j / 2) % 6], trip, direction);
      int minute = 300 + static_cast<int>((j / 2) * 1080 / std::max<size_t>(count / 2, 1));
      for (size_t k = 0; k < length; ++k) {
        size_t at = direction ? length - 1 - k : k;
        size_t stop = (first + at * step) % stops + 1;
        int dwell = k == 0 || k + 1 == length ? 0 : 1;
        std::fprintf(times.get(), "T%zu,", trip);
        Time(times.get(), minute);
        std::fputc(',', times.get());
        Time(times.get(), minute + dwell);
        std::fprintf(times.get(), ",%zu,%zu\n", stop, k + 1);
        minute += dwell + 2 + static_cast<int>((r + k) % 4);
        ++rows;
      }
    }
  }
  return rows;
}

}  // namespace qo::gtfs::testing
