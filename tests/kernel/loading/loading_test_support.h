#pragma once
// Shared by the loading tests: a temporary directory per test, small
// timetables written by the project's writer, a fixture that starts and
// ends with an empty set, and a load callback that records what it is told.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Qo.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "writer/timetable_writer.h"

namespace qo::test {

namespace w = qo::writer;

// Stops of a train in a model: departing, arriving (last stop), or both.
inline w::Stop Dep(uint16_t station, int minute) {
  return {.station = station, .departure = minute};
}
inline w::Stop Arr(uint16_t station, int minute) { return {.station = station, .arrival = minute}; }
inline w::Stop Pass(uint16_t station, int arrival, int departure) {
  return {.station = station, .arrival = arrival, .departure = departure};
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "qo_loading_XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(TempDir const&) = delete;
  TempDir& operator=(TempDir const&) = delete;

  // The directory, with its trailing '/'.
  std::string const& path() const { return path_; }
  std::string operator/(std::string const& name) const { return path_ + name; }

  void MakeDirectory(std::string const& name) const {
    std::filesystem::create_directories(path_ + name);
  }

  // Writes a timetable (or any bytes) under the name; returns its path.
  std::string Write(std::string const& name, w::TimetableModel const& model,
                    w::WriteOptions const& options = {}) const {
    return Save(name, w::WriteTimetable(model, options).bytes);
  }
  std::string Save(std::string const& name, std::vector<uint8_t> const& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path_ + name).parent_path());
    w::SaveFile(path_ + name, bytes);
    return path_ + name;
  }

 private:
  std::string path_;
};

// Stations keyed 100, 200, ... and, with two or more, one train over the
// first two, so that the file has station events to list.
inline w::TimetableModel SmallModel(uint32_t id, uint8_t kind = 1, uint8_t area = 0,
                                    int stations = 2) {
  w::TimetableModel m;
  m.id = id;
  m.kind = kind;
  m.area = area;
  m.names = {"Timetable " + std::to_string(id)};
  for (int s = 0; s < stations; ++s)
    m.stations.push_back({.name = {"Station " + std::to_string(s)}, .key = 100 * (s + 1)});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  if (stations >= 2)
    m.trains = {{.stops = {{.station = 0, .departure = 480}, {.station = 1, .arrival = 500}}}};
  return m;
}

// What the load callback was told, and how it answers: by default 0, else
// whatever `answer` says (it may also act, e.g. close a timetable).
struct LoadLog {
  static inline std::vector<std::pair<int, intptr_t>> events;
  static inline std::vector<std::string> paths;  // the texts of events 0 and 6
  static inline std::function<intptr_t(int, intptr_t)> answer;

  static intptr_t Callback(int event, intptr_t value) {
    events.emplace_back(event, value);
    if (event == 0 || event == 6) paths.emplace_back(reinterpret_cast<char const*>(value));
    return answer ? answer(event, value) : 0;
  }
  static void Reset(std::function<intptr_t(int, intptr_t)> with = nullptr) {
    events.clear();
    paths.clear();
    answer = std::move(with);
  }
  // The events in order, each run of progress events shown as one "p".
  static std::string Sequence() {
    std::string out;
    for (size_t i = 0; i < events.size(); ++i) {
      int event = events[i].first;
      if (event == 10 && i > 0 && events[i - 1].first == 10) continue;
      if (!out.empty()) out += ' ';
      out += event == 10 ? "p" : std::to_string(event);
    }
    return out;
  }
  static std::vector<intptr_t> Progress() {
    std::vector<intptr_t> values;
    for (auto& [event, value] : events)
      if (event == 10) values.push_back(value);
    return values;
  }
};

// Every test starts and ends with an empty set and the initial settings.
class LoadingTest : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }

  static void Clear() {
    QoCloseData();
    QoError();
    LoadOptions() = LoadSettings();
    LoadLog::Reset();
  }

  static int Load(std::vector<std::string> const& paths, QoLoadCallback callback = nullptr) {
    std::vector<char const*> raw;
    for (std::string const& path : paths) raw.push_back(path.c_str());
    return QoInit2(raw.data(), static_cast<int>(raw.size()), callback);
  }

  static TimetableRecord& At(int index) { return *TimetableAt(index); }

  TempDir dir_;
};

// The `n` values an export handed out at `p` (none for a null pointer).
template <class T>
std::vector<T> Vec(T const* p, int n) {
  return p && n > 0 ? std::vector<T>(p, p + n) : std::vector<T>{};
}

// The values of a counted int array an export handed out: its count stands
// just before the first value.
inline std::vector<int> Counted(int const* p) {
  if (!p) return {};
  return std::vector<int>(p, p + p[-1]);
}

}  // namespace qo::test
