// A compile or an import that fails never touches what it would have
// written: every existing output keeps its bytes, and no temporary file is
// left behind.
#include "qobuild/output_files.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace qo::textsource {
namespace {

namespace fs = std::filesystem;

constexpr char kSource[] =
    "name \"T\"\n"
    "valid 14.12.2025 12.12.2026\n"
    "station A 1 \"A\"\n"
    "station B 2 \"B\"\n"
    "train - 1\n"
    "  A 8:00\n"
    "  B 8:10\n";

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "qo_output_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(std::string const& name) const { return (dir_ / name).string(); }
  void Put(std::string const& name, std::string const& content) const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name), std::ios::binary) << content;
  }
  std::string Get(std::string const& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (auto const& e : fs::recursive_directory_iterator(dir_))
      if (e.is_regular_file()) names.insert(fs::relative(e.path(), dir_).string());
    return names;
  }
  // Runs qobuild in the folder; returns its exit status and its messages.
  int Qobuild(std::string const& args, std::string* messages = nullptr) const {
    std::string command =
        "cd '" + dir_.string() + "' && '" QO_QOBUILD_PATH "' " + args + " >out.log 2>&1";
    int status = std::system(command.c_str());
    if (messages) *messages = Get("out.log");
    fs::remove(Path("out.log"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path dir_;
};

TEST_F(OutputFiles, FailuresLeaveEveryOutputAsItWas) {
  struct Case {
    char const* what;
    std::string source;  // written as t.txt
    char const* args;
    char const* message;  // part of what qobuild says
  };
  std::string const good = kSource;
  Case const cases[] = {
      {"bad input", good + "train - 2\n  A 8:00\n", "t.txt", "t.txt:8: a train needs"},
      {"extension named like the timetable", "extension fares .qo\n" + good, "t.txt",
       "t.qo: the extension file .qo and the timetable file would be one file"},
      {"extension named like the source", "extension gis t.txt\n" + good, "t.txt",
       "would overwrite its own source t.txt"},
      {"two extensions of one name", "extension gis x.qof\nextension fares x.qof\n" + good, "t.txt",
       "x.qof: the extension file x.qof and the extension file x.qof would be one file"},
      {"output equal to the source", good, "t.txt -o t.txt",
       "t.txt: the timetable file would overwrite its own source t.txt"},
      {"output equal to the source, spelt otherwise", good, "t.txt -o ./sub/../t.txt",
       "would overwrite its own source"},
      {"output inside the feed folder", good, "feed -o feed/t.qo",
       "feed/t.qo: the timetable file would lie inside the feed folder feed"},
      {"broken feed", good, "feed -o t.qo", "stops.txt"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    Put("t.txt", c.source);
    Put("t.qo", "old timetable");
    Put("x.qof", "old extension");
    Put("feed/agency.txt", "agency_name\nA\n");
    std::set<std::string> before = Files();
    std::string messages;
    EXPECT_EQ(Qobuild(c.args, &messages), 1);
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
    EXPECT_EQ(Get("t.txt"), c.source);
    EXPECT_EQ(Get("t.qo"), "old timetable");
    EXPECT_EQ(Get("x.qof"), "old extension");
    EXPECT_EQ(Get("feed/agency.txt"), "agency_name\nA\n");
    EXPECT_EQ(Files(), before);
  }
  // The same source without the fault replaces both outputs whole.
  Put("t.txt", "extension fares x.qof\n" + good);
  EXPECT_EQ(Qobuild("t.txt"), 0);
  EXPECT_EQ(Get("t.qo").substr(0, 2), "Qo");
  EXPECT_GT(Get("x.qof").size(), 80u);
  EXPECT_EQ(Files(), (std::set<std::string>{"t.txt", "t.qo", "x.qof", "feed/agency.txt"}));
}

// A full disk, injected: the write of the second file fails part-way, or
// the first one takes no byte at all.
TEST_F(OutputFiles, FullDiskKeepsTheOldFiles) {
  std::vector<uint8_t> timetable(5000, 'T'), extension(100, 'E');
  std::vector<OutputFile> outputs = {{Path("t.qo"), "timetable file", &timetable},
                                     {Path("t.qof"), "extension file .qof", &extension}};
  for (size_t budget : {size_t{0}, size_t{4096}, size_t{5050}}) {
    SCOPED_TRACE(budget);
    Put("t.qo", "old timetable");
    Put("t.qof", "old extension");
    size_t left = budget;
    auto diskOf = [&](int fd, void const* data, size_t size) -> long {
      size_t n = std::min(size, left);
      left -= n;
      if (n == 0) {
        errno = ENOSPC;
        return -1;
      }
      return ::write(fd, data, n);
    };
    try {
      WriteOutputs(outputs, {}, diskOf);
      ADD_FAILURE() << "no error";
    } catch (OutputError const& e) {
      std::string expected = budget < 5000 ? Path("t.qo") + " (the timetable file)"
                                           : Path("t.qof") + " (the extension file .qof)";
      EXPECT_NE(std::string(e.what()).find("cannot write " + expected), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos);
    }
    EXPECT_EQ(Get("t.qo"), "old timetable");
    EXPECT_EQ(Get("t.qof"), "old extension");
    EXPECT_EQ(Files(), (std::set<std::string>{"t.qo", "t.qof"}));
  }
  WriteOutputs(outputs, {});
  EXPECT_EQ(Get("t.qo"), std::string(5000, 'T'));
  EXPECT_EQ(Get("t.qof"), std::string(100, 'E'));
}

// An import with a trip it cannot state still writes its file and exits
// 0, saying what it left out; --strict refuses and keeps the old file.
TEST_F(OutputFiles, ImportLeavesOutATripUnlessStrict) {
  Put("feed/agency.txt", "agency_id,agency_name\nA,Agency\n");
  Put("feed/stops.txt", "stop_id,stop_name\n1,One\n2,Two\n");
  Put("feed/routes.txt", "route_id,agency_id,route_short_name,route_type\nR,A,1,3\n");
  Put("feed/calendar_dates.txt", "service_id,date,exception_type\nS,20260302,1\n");
  Put("feed/trips.txt", "route_id,service_id,trip_id\nR,S,T1\nR,S,T2\n");
  Put("feed/stop_times.txt",
      "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
      "T1,08:00:00,08:00:00,1,1\n"
      "T1,08:10:00,08:10:00,2,2\n"
      "T2,09:00:00,09:00:00,1,1\n"
      "T2,08:50:00,08:50:00,2,2\n");
  Put("t.qo", "old timetable");
  std::string messages;
  EXPECT_EQ(Qobuild("--strict feed -o t.qo", &messages), 1);
  EXPECT_NE(messages.find("trip 'T2': times go backwards at stop '2'"), std::string::npos)
      << messages;
  EXPECT_EQ(Get("t.qo"), "old timetable");
  EXPECT_EQ(Qobuild("feed -o t.qo", &messages), 0);
  EXPECT_NE(messages.find("warning: stop_times.txt:5: trip 'T2': times go backwards"),
            std::string::npos)
      << messages;
  EXPECT_NE(messages.find("t.qo: 2 stations, 1 trains, 0 calendars"), std::string::npos)
      << messages;
  EXPECT_NE(messages.find(", 1 trips left out (1 times go backwards)"), std::string::npos)
      << messages;
  EXPECT_EQ(Get("t.qo").substr(0, 2), "Qo");
}

}  // namespace
}  // namespace qo::textsource
