#include "tools/gtfs/gtfs_test_support.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "text/cp1250.h"

namespace qo::gtfs::testing {

namespace fs = std::filesystem;

namespace {

constexpr uint16_t kMidnight = 0x2000;
constexpr uint16_t kMinute = 0x07FF;
constexpr uint16_t kFlags = 0x0800 | 0x1000 | 0x4000 | 0x8000;

// The feeds a test process wrote, removed when it ends (ctest runs every
// test in a process of its own) so that no run leaves them behind.
class WrittenFeeds {
 public:
  ~WrittenFeeds() {
    std::error_code ignored;
    for (fs::path const& path : paths_) fs::remove_all(path, ignored);
  }
  void Add(fs::path const& path) { paths_.push_back(path); }

 private:
  std::vector<fs::path> paths_;
};

fs::path FreshPath(std::string const& name) {
  static WrittenFeeds written;
  fs::path path =
      fs::path(::testing::TempDir()) / ("gtfs-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(path);
  written.Add(path);
  return path;
}

struct RawWord {
  uint16_t time;
  uint16_t station;
};

RawWord WordAt(TimetableRecord const& r, uint32_t byteOffset) {
  uint32_t i = byteOffset / 4;
  return {r.TrainStopData.Field<uint16_t>(i, 0), r.TrainStopData.Field<uint16_t>(i, 2)};
}

}  // namespace

std::string WriteFeedFolder(FeedTables const& tables, std::string const& name) {
  fs::path dir = FreshPath(name);
  fs::create_directories(dir);
  for (auto const& [file, text] : tables) {
    std::ofstream out(dir / file, std::ios::binary);
    out << text;
  }
  return dir.string();
}

std::string WriteFeedZip(FeedTables const& tables, std::string const& name,
                         std::string const& folder) {
  fs::path path = FreshPath(name + ".zip");
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("cannot create " + path.string());
  for (auto const& [file, text] : tables) {
    // libzip reads the buffer when the archive is closed: keep the map alive.
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    if (!source || zip_file_add(archive, (folder.empty() ? file : folder + "/" + file).c_str(),
                                source, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(source);
      zip_discard(archive);
      throw std::runtime_error("cannot add " + file);
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}

std::vector<Word> DecodeTrain(TimetableRecord const& r, uint32_t train) {
  uint32_t begin = r.TrainStopOffsets[train], end = r.TrainStopOffsets[train + 1];
  std::vector<RawWord> raw;
  if (end - begin == 4) {
    // A reference to a shared pattern whose minutes count from the start.
    RawWord ref = WordAt(r, begin);
    uint32_t pattern = ((ref.time >> 12) & 0xF) * 65536u + ref.station;
    uint32_t pBegin = r.TrainStopOffsets[r.TrainCount + pattern];
    uint32_t pEnd = r.TrainStopOffsets[r.TrainCount + pattern + 1];
    int start = ref.time & kMinute;
    for (uint32_t o = pBegin; o < pEnd; o += 4) raw.push_back(WordAt(r, o));
    for (size_t i = 0; i < raw.size(); ++i) {
      int minute = start + (raw[i].time & kMinute);
      if (minute > 1440) minute -= 1440;
      if (minute == 1440 && i + 1 < raw.size() && raw[i + 1].station != raw[i].station) minute = 0;
      uint16_t time = static_cast<uint16_t>((raw[i].time & kFlags) | minute);
      if (i > 0 && minute < (raw[i - 1].time & kMinute)) time |= kMidnight;
      raw[i].time = time;
    }
  } else {
    for (uint32_t o = begin; o < end; o += 4) raw.push_back(WordAt(r, o));
  }
  std::vector<Word> words;
  int day = 0;
  for (RawWord const& w : raw) {
    if (w.time & kMidnight) ++day;
    words.push_back(
        {w.station, day * 1440 + (w.time & kMinute), static_cast<uint16_t>(w.time & kFlags)});
  }
  return words;
}

std::set<int> RunningDays(TimetableRecord const& r, uint32_t train) {
  int c = r.CalendarClass[static_cast<int32_t>(train)];
  std::set<int> days;
  for (size_t d = 0; d < r.RunningDayCalendar.size(); ++d) {
    if (r.RunningDayCalendar[d].Field<uint8_t>(c / 8, 0) & (1 << (c % 8))) {
      days.insert(static_cast<int>(r.FirstDay + d));
    }
  }
  return days;
}

std::string TrainNumber(TimetableRecord const& r, uint32_t train) {
  int32_t v = r.MainNumbers.Values[static_cast<int32_t>(train)];
  if (v >= 0) return std::to_string(v);
  return Cp1250ToUtf8(PoolString(r.MainNumbers.Texts, ~v));
}

std::string StationName(TimetableRecord const& r, uint32_t station) {
  return Cp1250ToUtf8(PoolString(r.StationNames, static_cast<int32_t>(station)));
}

}  // namespace qo::gtfs::testing
