// The load steps as the caller's callback sees them, and the callback
// closing timetables while a load runs.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "trains/station_index.h"

namespace qo::test {
namespace {

w::WriteOptions WithoutEvents() { return {.write_station_events = false}; }

using LoadEvents = LoadingTest;

TEST_F(LoadEvents, EventSequencesFollowTheAnswers) {
  enum Index { kNone, kNotBuilt, kSortedNow, kSortedLater };
  struct Case {
    char const* name;
    std::map<int, intptr_t> answers;
    char const* sequence;
    int count;
    Index index;
  };
  const Case cases[] = {
      {"all 0", {}, "0 1 2 3 4 5", 1, kSortedNow},
      {"skip the file", {{0, 1}}, "0", 0, kNone},
      {"cancel after reading", {{1, 1}}, "0 1", 0, kNone},
      {"cancel after the sections", {{2, 1}}, "0 1 2", 0, kNone},
      {"read with progress", {{0, 3}}, "0 p 1 2 3 4 5", 1, kSortedNow},
      {"index on first use", {{3, 1}}, "0 1 2 3 4 5", 1, kNotBuilt},
      {"index sorted, with progress", {{3, 3}}, "0 1 2 3 p 4 5", 1, kSortedNow},
      {"index with progress, sorted later", {{3, 4}}, "0 1 2 3 p 4 5", 1, kSortedLater},
      {"index without progress, sorted later", {{3, 2}}, "0 1 2 3 4 5", 1, kSortedLater},
  };
  std::string path = dir_.Write("t.qo", SmallModel(1), WithoutEvents());
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    LoadLog::Reset([&](int event, intptr_t) {
      auto found = c.answers.find(event);
      return found == c.answers.end() ? 0 : found->second;
    });
    Load({path}, LoadLog::Callback);
    EXPECT_EQ(LoadLog::Sequence(), c.sequence);
    EXPECT_EQ(QoQoCount(), c.count);
    EXPECT_EQ(QoPeekError(), 0);
    ASSERT_FALSE(LoadLog::paths.empty());
    EXPECT_EQ(LoadLog::paths[0], path);
    for (auto& [event, value] : LoadLog::events) {
      if (event >= 1 && event <= 5) {
        EXPECT_EQ(value, 1) << "event " << event;
      }
    }

    std::vector<intptr_t> progress = LoadLog::Progress();
    if (!progress.empty()) {
      EXPECT_EQ(progress.front(), 0);
      EXPECT_EQ(progress.back(), 1000);
      EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    }
    if (c.answers.count(3) && c.answers.at(3) == 3) {
      // Building is the first half when sorting follows.
      EXPECT_NE(std::find(progress.begin(), progress.end(), 500), progress.end());
    }
    if (c.index == kNone) continue;
    TimetableRecord const& t = At(0);
    EXPECT_EQ(NeedsStationIndex(t), c.index == kNotBuilt);
    EXPECT_EQ(t.StationEvents.empty(), c.index == kNotBuilt);
    if (c.index == kSortedNow) {
      EXPECT_TRUE(t.EventsSorted.empty());
    } else if (c.index == kSortedLater) {
      EXPECT_EQ(t.EventsSorted, std::vector<uint8_t>(t.StationCount, 0));
    }
  }
}

TEST_F(LoadEvents, ReadProgressComesInTenthsOfWholeKilobytes) {
  w::TimetableModel model = SmallModel(1, 1, 0, 400);
  std::string path = dir_.Write("t.qo", model);
  auto const size = static_cast<intptr_t>(std::filesystem::file_size(path));
  LoadLog::Reset([](int event, intptr_t) { return event == 0 ? 3 : 0; });
  Load({path}, LoadLog::Callback);

  std::vector<intptr_t> expected{0};
  const intptr_t chunk = ((size / 10 + 1024) / 1024) * 1024;
  for (intptr_t done = 0; done < size;) {
    done = std::min(size, done + chunk);
    expected.push_back(done * 1000 / size);
  }
  EXPECT_EQ(LoadLog::Progress(), expected);
}

TEST_F(LoadEvents, NullCallbackBuildsAndSortsAtOnce) {
  std::string path = dir_.Write("t.qo", SmallModel(1), WithoutEvents());
  EXPECT_EQ(Load({path}), 1);
  EXPECT_FALSE(At(0).StationEvents.empty());
  EXPECT_TRUE(At(0).EventsSorted.empty());
}

TEST_F(LoadEvents, CountsAreThoseOfTheGrowingSet) {
  std::string a = dir_.Write("a.qo", SmallModel(1));
  std::string b = dir_.Write("b.qo", SmallModel(2));
  LoadLog::Reset();
  Load({a, b}, LoadLog::Callback);
  std::vector<intptr_t> parsed;
  for (auto& [event, value] : LoadLog::events)
    if (event == 2) parsed.push_back(value);
  EXPECT_EQ(parsed, (std::vector<intptr_t>{1, 2}));
  EXPECT_EQ(LoadLog::events.back(), std::make_pair(5, intptr_t{2}));
}

// The program asks at event 2 whether an earlier timetable contains the new
// one and may close the earlier one there: the new record must survive its
// neighbour's removal.
TEST_F(LoadEvents, CallbackClosesAnEarlierTimetable) {
  std::string a = dir_.Write("a.qo", SmallModel(1), WithoutEvents());
  std::string b = dir_.Write("b.qo", SmallModel(2), WithoutEvents());
  LoadLog::Reset([](int event, intptr_t value) -> intptr_t {
    // The program checks the new file's CRC at event 1, by its index.
    if (event == 1) {
      EXPECT_EQ(QoVerifyCrc(static_cast<int>(value) - 1, nullptr), 1);
    }
    if (event == 2 && value == 2) {
      EXPECT_EQ(QoCloseQo(0, 0), 1);
    }
    return 0;
  });
  EXPECT_EQ(Load({a, b}, LoadLog::Callback), 1);
  EXPECT_EQ(LoadLog::Sequence(), "0 1 2 3 4 0 1 2 3 4 5");
  EXPECT_EQ(At(0).TimetableId, 2u);
  EXPECT_FALSE(At(0).StationEvents.empty());
  EXPECT_EQ(QoVerifyCrc(0, nullptr), 1);
}

// Closing the timetable being loaded, at any step, cancels it.
TEST_F(LoadEvents, CallbackClosesTheTimetableBeingLoaded) {
  w::TimetableModel model = SmallModel(1);
  model.extension_names = {".gis"};
  std::string path = dir_.Write("t.qo", model, WithoutEvents());
  dir_.Save("t.gis", w::WriteExtension({.type = w::ExtensionType::kGis}).bytes);
  std::string earlier = dir_.Write("e.qo", SmallModel(9));

  struct Case {
    int event;
    bool closeAll;
  };
  const Case cases[] = {{1, false}, {2, false}, {3, false}, {10, false}, {6, false},
                        {7, false}, {8, false}, {9, false}, {2, true}};
  for (Case const& c : cases) {
    SCOPED_TRACE(testing::Message() << "event " << c.event << (c.closeAll ? ", all" : ""));
    Clear();
    ASSERT_EQ(Load({earlier}), 1);
    bool closed = false;
    LoadLog::Reset([&](int event, intptr_t) -> intptr_t {
      if (event == c.event && !closed && QoQoCount() == 2) {
        closed = true;
        if (c.closeAll)
          QoCloseData();
        else
          EXPECT_EQ(QoCloseQo(1, 0), 1);
      }
      return event == 3 ? 3 : 0;  // build with progress, so that event 10 comes
    });
    Load({path}, LoadLog::Callback);
    EXPECT_TRUE(closed);
    EXPECT_EQ(QoQoCount(), c.closeAll ? 0 : 1);
    EXPECT_EQ(QoPeekError(), 0);
    for (auto& [event, value] : LoadLog::events) EXPECT_NE(event, 4);
  }
}

TEST_F(LoadEvents, DuplicatePathsLoadOnce) {
  std::string path = dir_.Write("tt.qo", SmallModel(7));
  EXPECT_EQ(Load({path, path}), 1);
  EXPECT_EQ(Load({dir_ / "TT.QO"}), 1);  // the same file in other letters
  LoadLog::Reset();
  Load({path}, LoadLog::Callback);
  EXPECT_EQ(LoadLog::Sequence(), "5") << "a duplicate raises no event of its own";
  EXPECT_EQ(QoPeekError(), 0);

  std::string copy = dir_.Write("copy.qo", SmallModel(7));
  EXPECT_EQ(Load({copy}), 2);
  EXPECT_EQ(At(0).TimetableId, At(1).TimetableId);
}

TEST_F(LoadEvents, FailedFilesLeaveTheirErrorAndTheOthersLoad) {
  std::string good = dir_.Write("good.qo", SmallModel(1));
  std::string junk = dir_.Save("junk.qo", std::vector<uint8_t>(200, 'x'));
  std::string damaged =
      dir_.Save("damaged.qo", w::TruncateAt(w::WriteTimetable(SmallModel(2)), "TrainCount"));
  struct Case {
    std::vector<std::string> paths;
    int error;
  };
  const Case cases[] = {
      {{dir_ / "missing.qo", good}, ErrOpenDataFile},
      {{good, junk}, ErrDataFileHeader},
      {{damaged, good}, ErrDataFileHeader},
  };
  for (Case const& c : cases) {
    Clear();
    EXPECT_EQ(Load(c.paths), 1);
    EXPECT_EQ(QoError(), c.error);
  }

  // The error is there the moment the file fails: the callback of the next
  // file reads it, and one that clears it leaves no error behind.
  for (bool clear : {false, true}) {
    Clear();
    int seen = -1;
    LoadLog::Reset([&](int event, intptr_t) -> intptr_t {
      if (event == LoadEvFile) seen = clear ? QoError() : QoPeekError();
      return 0;
    });
    EXPECT_EQ(Load({dir_ / "missing.qo", good}, LoadLog::Callback), 1);
    EXPECT_EQ(seen, ErrOpenDataFile);
    EXPECT_EQ(QoPeekError(), clear ? 0 : ErrOpenDataFile);
  }
}

// Only regular files are opened: a FIFO would block the load for good, and
// a file whose full path the system cannot open is error 1, not silence.
TEST_F(LoadEvents, OnlyRegularFilesOpen) {
  std::string good = dir_.Write("good.qo", SmallModel(1));
  std::string fifo = dir_ / "fifo.qo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  dir_.Write("folder.qo/inner.qo", SmallModel(2));
  for (std::string const& odd : {fifo, dir_ / "folder.qo"}) {
    Clear();
    EXPECT_EQ(Load({odd, good}), 1) << odd;
    EXPECT_EQ(QoError(), ErrOpenDataFile) << odd;
  }

  // A folder whose own path fits but whose file's path reaches PATH_MAX.
  std::string deep = dir_ / "deep";
  ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  while (deep.size() < PATH_MAX - 300) {
    deep += "/" + std::string(200, 'd');
    ASSERT_EQ(mkdir(deep.c_str(), 0700), 0);
  }
  int folder = open(deep.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  std::string name = std::string(250, 'n') + ".qo";
  int file = openat(folder, name.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(file, 0);
  std::vector<uint8_t> bytes = w::WriteTimetable(SmallModel(3)).bytes;
  ASSERT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(file);
  close(folder);
  Clear();
  EXPECT_EQ(QoInit(deep.c_str(), nullptr), 0);
  EXPECT_EQ(QoError(), ErrOpenDataFile);
}

TEST_F(LoadEvents, InitLoadsTheDirectoryByName) {
  dir_.Write("data/b.qo", SmallModel(2));
  dir_.Write("data/A.QO", SmallModel(1));
  dir_.Write("data/.hidden.qo", SmallModel(3));
  dir_.Write("data/dir.qo/inner.qo", SmallModel(4));
  dir_.Save("data/notes.txt", {'x'});
  std::string given = dir_ / "data";  // no trailing separator
  LoadLog::Reset();
  EXPECT_EQ(QoInit(given.c_str(), LoadLog::Callback), 2);
  EXPECT_EQ(LoadLog::paths, (std::vector<std::string>{given + "/A.QO", given + "/b.qo"}));

  // The directory stays for a later call without one.
  QoCloseData();
  EXPECT_EQ(QoInit(nullptr, nullptr), 2);
}

TEST_F(LoadEvents, NothingHappensForNoPaths) {
  LoadLog::Reset();
  EXPECT_EQ(QoInit2(nullptr, 3, LoadLog::Callback), 0);
  char const* one[] = {"x.qo"};
  EXPECT_EQ(QoInit2(one, 0, LoadLog::Callback), 0);
  EXPECT_TRUE(LoadLog::events.empty());
  EXPECT_EQ(QoPeekError(), 0);
}

}  // namespace
}  // namespace qo::test
