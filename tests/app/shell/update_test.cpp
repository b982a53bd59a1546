#include "shell/update_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "shell/curl_downloader.h"
#include "shell/kernel_test_support.h"
#include "loopback_server.h"
#include "shell/update_index.h"

namespace vemo {
namespace {

namespace fs = std::filesystem;

std::string Read(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(std::string const& path, std::string const& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Serves URLs from a map; an unknown URL fails like a missing file.
class MapDownloader : public Downloader {
 public:
  std::map<std::string, std::string> files;
  bool Download(std::string const& url, std::string const& target, std::string* error) override {
    auto it = files.find(url);
    if (it == files.end()) {
      *error = "4e";
      return false;
    }
    Write(target, it->second);
    return true;
  }
};

// The real file system, with one rename made to fail, or to stop the
// process there as a kill would (thrown and caught by the test).
class FaultyFiles : public PosixUpdateFiles {
 public:
  std::string fail_rename_to;
  bool kill_instead = false;
  struct Killed {};
  bool Rename(std::string const& from, std::string const& to) override {
    if (!fail_rename_to.empty() && to == fail_rename_to) {
      if (kill_instead) throw Killed{};
      last_error = EIO;
      return false;
    }
    return PosixUpdateFiles::Rename(from, to);
  }
};

std::string IndexLine(std::string const& url, std::string const& name, int64_t size,
                      std::string const& extra = {}) {
  return url + "|" + name + "|" + std::to_string(size) + "|2026|3|14|15|9|26" + extra + "\n";
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.program_dir = dir_.path() + "/";
    options_.index_url = "idx";
    Write(dir_ / "a.dat", "old a");
    Write(dir_ / "c.dat", "same c");
    Write(dir_ / "d.dat", "doomed d");
    server_.files = {{"u/a", "new version of a"}, {"u/b", "brand new b"}, {"u/c", "same c"}};
    // c is the index's version already.
    std::tm local{};
    local.tm_year = 126, local.tm_mon = 2, local.tm_mday = 14, local.tm_hour = 15, local.tm_min = 9;
    local.tm_sec = 50, local.tm_isdst = -1;
    files_.SetModified(dir_ / "c.dat", mktime(&local));
    index_ = IndexLine("u/a", "a.dat", 16) + IndexLine("u/b", "b.dat", 11) +
             IndexLine("u/c", "c.dat", 6) + IndexLine("u/none", "d.dat", -1);
  }

  int Run(UpdateFiles* files = nullptr) {
    server_.files["idx"] = index_;
    return RunUpdate(options_, &server_, files ? files : &files_, &state_);
  }

  // Every file whole: the old or the new version, never missing, and no
  // temporary left over.
  void ExpectOld() {
    EXPECT_EQ(Read(dir_ / "a.dat"), "old a");
    EXPECT_FALSE(fs::exists(dir_ / "b.dat"));
    EXPECT_EQ(Read(dir_ / "c.dat"), "same c");
    EXPECT_EQ(Read(dir_ / "d.dat"), "doomed d");
    for (auto const& entry : fs::directory_iterator(dir_.path()))
      EXPECT_EQ(entry.path().extension(), entry.path().filename() == "Update.txt" ? ".txt" : ".dat")
          << entry.path();
  }
  void ExpectNew() {
    EXPECT_EQ(Read(dir_ / "a.dat"), "new version of a");
    EXPECT_EQ(Read(dir_ / "b.dat"), "brand new b");
    EXPECT_EQ(Read(dir_ / "c.dat"), "same c");
    EXPECT_FALSE(fs::exists(dir_ / "d.dat"));
    for (auto const& entry : fs::directory_iterator(dir_.path()))
      EXPECT_NE(entry.path().extension(), ".old") << entry.path();
  }

  test::TempDir dir_;
  UpdateRunOptions options_;
  MapDownloader server_;
  PosixUpdateFiles files_;
  UpdateState state_;
  std::string index_;
};

TEST(UpdateIndex, Lines) {
  auto entries = ParseUpdateIndex(
      "; comment\r\n\n  ftp://h/a.exe | Vemo | 120 |2026|3|14|15|9|26 \r\n"
      "|http://h/b||b.qo|||-1|2026|1|2|3|4|5|ABCDEF|ignored\n"
      "too|few|fields\n"
      "\tx\t|\ty\t|1|2|3|4|5|6|7");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].remote_url, "ftp://h/a.exe");
  EXPECT_EQ(entries[0].local_name, "Vemo");
  EXPECT_EQ(entries[0].size, 120);
  EXPECT_EQ(entries[0].second, 26);
  EXPECT_EQ(entries[1].local_name, "b.qo");
  EXPECT_EQ(entries[1].size, -1);
  EXPECT_EQ(entries[1].sha256, "abcdef");
  EXPECT_EQ(entries[2].local_name, "y");
  EXPECT_TRUE(ParseUpdateIndex("").empty());

  for (const char* good : {"Vemo", "data/rail.qo", "a.b"})
    EXPECT_TRUE(IsSafeLocalName(good)) << good;
  for (const char* bad :
       {"", "../x", "data/../../x", "/etc/passwd", "C:x", "c:\\x", "a\\b", "a//b", "./x"})
    EXPECT_FALSE(IsSafeLocalName(bad)) << bad;
}

TEST_F(UpdateTest, FullUpdate) {
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(state_.text(), "");
  ExpectNew();
  // A second run finds everything up to date.
  EXPECT_EQ(Run(), 3);
  ExpectNew();
}

TEST_F(UpdateTest, NothingToDo) {
  index_ = "; only comments\n\n";
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(state_.text(), "");
  // Seconds and one hour of daylight saving do not count; a minute does.
  index_ = IndexLine("u/c", "c.dat", 6);
  EXPECT_EQ(Run(), 3);
  index_ = "u/c|c.dat|6|2026|3|14|16|9|0\n";
  EXPECT_EQ(Run(), 3);
  index_ = "u/c|c.dat|6|2026|3|14|15|10|26\n";
  EXPECT_EQ(Run(), 5);
}

TEST_F(UpdateTest, FailuresBeforeTheSwapLeaveEverythingOld) {
  struct Case {
    const char* name;
    std::string index;
    std::string text;
  };
  std::string a_new = dir_ / "a.dat.new";
  Case const cases[] = {
      {"missing file", IndexLine("u/a", "a.dat", 16) + IndexLine("u/gone", "b.dat", 11),
       "ověření souborů (4e)"},
      {"truncated", IndexLine("u/a", "a.dat", 17),
       "ověření souborů (chybná délka souboru " + a_new + ")"},
      {"wrong checksum", IndexLine("u/a", "a.dat", 16, "|" + std::string(64, '0')),
       "ověření souborů (chybný kontrolní součet souboru " + a_new + ")"},
      {"unsafe name", IndexLine("u/a", "a.dat", 16) + IndexLine("u/b", "../b.dat", 11),
       "ověření souborů (nepřípustný název souboru ../b.dat)"},
      {"deletion before a failure",
       IndexLine("u/none", "d.dat", -1) + IndexLine("u/gone", "e.dat", 3), "ověření souborů (4e)"},
  };
  for (Case const& c : cases) {
    index_ = c.index;
    EXPECT_EQ(Run(), 4) << c.name;
    EXPECT_EQ(state_.text(), c.text) << c.name;
    ExpectOld();
  }
  EXPECT_FALSE(fs::exists(dir_.path() + "/../b.dat"));

  server_.files.erase("idx");
  EXPECT_EQ(RunUpdate(options_, &server_, &files_, &state_), 4);
  EXPECT_EQ(state_.text(), "stažení indexu (4e)");

  // The right checksum passes.
  Write(dir_ / "probe", "new version of a");
  std::string sum;
  ASSERT_TRUE(files_.Sha256(dir_ / "probe", &sum));
  fs::remove(dir_ / "probe");
  index_ = IndexLine("u/a", "a.dat", 16, "|" + sum);
  EXPECT_EQ(Run(), 5);
  EXPECT_EQ(Read(dir_ / "a.dat"), "new version of a");
}

// A swap that fails half-way puts back every file swapped before it.
TEST_F(UpdateTest, FailureInTheSwapRollsBack) {
  FaultyFiles faulty;
  faulty.fail_rename_to = dir_ / "c.dat";
  index_ = IndexLine("u/a", "a.dat", 16) + IndexLine("u/b", "b.dat", 11) +
           "u/c|c.dat|6|2026|3|14|15|11|0\n" + IndexLine("u/none", "d.dat", -1);
  EXPECT_EQ(Run(&faulty), 4);
  EXPECT_EQ(state_.text().rfind("závěrečné přejmenování (chyba 5 při přejmenování ", 0), 0u)
      << state_.text();
  EXPECT_EQ(Read(dir_ / "a.dat"), "old a");
  EXPECT_FALSE(fs::exists(dir_ / "b.dat"));
  EXPECT_EQ(Read(dir_ / "c.dat"), "same c");
  EXPECT_EQ(Read(dir_ / "d.dat"), "doomed d");
  EXPECT_FALSE(fs::exists(dir_ / "a.dat.old"));
}

// Killed in the middle of the swap: every file is still whole, and the next
// run completes the update.
TEST_F(UpdateTest, RerunAfterAKillCompletes) {
  FaultyFiles killed;
  killed.fail_rename_to = dir_ / "b.dat";
  killed.kill_instead = true;
  EXPECT_THROW(Run(&killed), FaultyFiles::Killed);
  EXPECT_EQ(Read(dir_ / "a.dat"), "new version of a");
  EXPECT_EQ(Read(dir_ / "d.dat"), "doomed d");
  EXPECT_EQ(Run(), 5);
  ExpectNew();
}

TEST_F(UpdateTest, OverHttpAndFtp) {
  test::TempDir site;
  fs::create_directories(site / "ext/qoaktual");
  Write(site / "a", "new version of a");
  Write(site / "b", "brand new b");
  test::LoopbackServer http(test::kHttpServerScript, site.path());
  test::LoopbackServer ftp(test::kFtpServerScript, site.path());
  ASSERT_GT(http.port(), 0);
  ASSERT_GT(ftp.port(), 0) << "the FTP server needs python3-pyftpdlib";
  std::string base = http.url("http");
  std::string ftp_base = ftp.url("ftp");
  Write(site / "ext/qoaktual/update.txt",
        IndexLine(base + "a", "a.dat", 16) + IndexLine(ftp_base + "b", "b.dat", 11) +
            IndexLine(base + "c", "c.dat", 6) + IndexLine(base + "none", "d.dat", -1));
  options_.index_url = ftp_base + "ext/qoaktual/update.txt";

  std::atomic<bool> cancel{false};
  CurlDownloader curl(&cancel);
  EXPECT_EQ(RunUpdate(options_, &curl, &files_, &state_), 5) << state_.text();
  ExpectNew();

  // An HTTP error is a failure, and so is a refused connection.
  std::string error;
  EXPECT_FALSE(curl.Download(base + "missing", dir_ / "x", &error));
  EXPECT_EQ(error, "16");  // CURLE_HTTP_RETURNED_ERROR
  EXPECT_FALSE(curl.Download("http://127.0.0.1:1/x", dir_ / "x", &error));
  EXPECT_EQ(error, "7");  // CURLE_COULDNT_CONNECT
  EXPECT_FALSE(curl.Download("file:///etc/hostname", dir_ / "x", &error));
  cancel = true;
  EXPECT_FALSE(curl.Download(base + "a", dir_ / "x", &error));
}

}  // namespace
}  // namespace vemo
