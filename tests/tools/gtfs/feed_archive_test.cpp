// Damaged and hostile zip archives: a flipped bit, sizes that lie, a bomb.
// Each is refused with a message that names the member, without
// allocating what the archive claims.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gtfs/gtfs_import.h"

namespace qo::gtfs {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> TinyFeed() {
  return {
      {"agency.txt", "agency_id,agency_name\nA,Agency\n"},
      {"stops.txt", "stop_id,stop_name\n1,One\n2,Two\n"},
      {"routes.txt", "route_id,agency_id,route_short_name,route_type\nR,A,1,3\n"},
      {"calendar_dates.txt", "service_id,date,exception_type\nS,20260302,1\n"},
      {"trips.txt", "route_id,service_id,trip_id\nR,S,T\n"},
      {"stop_times.txt",
       "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
       "T,08:00:00,08:00:00,1,1\n"
       "T,08:10:00,08:10:00,2,2\n"},
  };
}

// The archive's bytes; `stored` members are not compressed, so that a
// flipped bit lands in the text itself.
std::vector<uint8_t> Zip(std::map<std::string, std::string> const& tables, bool stored) {
  fs::path path = fs::path(::testing::TempDir()) / ("archive-" + std::to_string(::getpid()));
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  EXPECT_NE(archive, nullptr);
  for (auto const& [name, text] : tables) {
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    EXPECT_GE(index, 0);
    if (stored)
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  EXPECT_EQ(zip_close(archive), 0);
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
  fs::remove(path);
  return bytes;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The offsets of a member's local header and central directory entry.
std::pair<size_t, size_t> HeadersOf(std::vector<uint8_t> const& b, std::string const& name) {
  size_t local = 0, central = 0;
  for (size_t i = 0; i + 46 + name.size() <= b.size(); ++i) {
    if (b[i] != 'P' || b[i + 1] != 'K') continue;
    if (b[i + 2] == 3 && b[i + 3] == 4 && std::memcmp(&b[i + 30], name.data(), name.size()) == 0)
      local = i;
    if (b[i + 2] == 1 && b[i + 3] == 2 && std::memcmp(&b[i + 46], name.data(), name.size()) == 0)
      central = i;
  }
  return {local, central};
}

void DeclareSize(std::vector<uint8_t>& b, std::string const& name, uint32_t size) {
  auto [local, central] = HeadersOf(b, name);
  Put32(b, local + 22, size);
  Put32(b, central + 24, size);
}

std::string ImportError(std::vector<uint8_t> const& bytes, ArchiveLimits const& limits) {
  fs::path path =
      fs::path(::testing::TempDir()) / ("hostile-" + std::to_string(::getpid()) + ".zip");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<char const*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  ImportOptions options;
  options.archive_limits = limits;
  std::string what = "(no error)";
  try {
    ImportFeed(path.string(), options);
  } catch (FeedError const& e) {
    what = e.what();
  }
  fs::remove(path);
  return what;
}

TEST(FeedArchive, DamagedMembersAreRefusedByName) {
  std::map<std::string, std::string> feed = TinyFeed();
  ASSERT_EQ(ImportError(Zip(feed, true), {}), "(no error)");

  // One bit of a stop id flipped: '2' becomes '3'.
  std::vector<uint8_t> flipped = Zip(feed, true);
  {
    auto [local, central] = HeadersOf(flipped, "stop_times.txt");
    size_t data = local + 30 + 14 + (flipped[local + 28] | flipped[local + 29] << 8);
    size_t at = data + feed["stop_times.txt"].rfind(",2,2");
    ASSERT_EQ(flipped[at + 1], '2');
    flipped[at + 1] ^= 0x01;
  }
  // A 3 MiB table of blank lines against a limit of 1 MiB, declared
  // honestly and declared as 100 bytes.
  std::map<std::string, std::string> bomb = feed;
  bomb["stops.txt"] += std::string(3 << 20, '\n');
  std::vector<uint8_t> honestBomb = Zip(bomb, false), lyingBomb = honestBomb;
  DeclareSize(lyingBomb, "stops.txt", 100);
  // Sizes that lie: nearly 4 GB claimed, and less than the member holds.
  std::vector<uint8_t> huge = Zip(feed, false), small = huge;
  DeclareSize(huge, "stop_times.txt", 0xF0000000u);
  DeclareSize(small, "stop_times.txt", 10);

  ArchiveLimits tight;
  tight.other = 1 << 20;
  struct Case {
    char const* what;
    std::vector<uint8_t> const* archive;
    ArchiveLimits limits;
    char const* member;
  };
  Case const cases[] = {
      {"a flipped bit", &flipped, {}, "stop_times.txt"},
      {"a bomb", &honestBomb, tight, "stops.txt"},
      {"a bomb that hides its size", &lyingBomb, tight, "stops.txt"},
      {"a size of 4 GB claimed", &huge, {}, "stop_times.txt"},
      {"a size too small claimed", &small, {}, "stop_times.txt"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    std::string error = ImportError(*c.archive, c.limits);
    EXPECT_NE(error.find(std::string(".zip:") + c.member + ": "), std::string::npos) << error;
  }
}

// A feed folder keeps to the same limits.
TEST(FeedArchive, FolderTablesKeepToTheLimits) {
  std::string folder = ::testing::TempDir() + "folder-feed-" + std::to_string(::getpid());
  fs::create_directories(folder);
  for (auto const& [name, text] : TinyFeed()) std::ofstream(folder + "/" + name) << text;
  std::ofstream(folder + "/stops.txt", std::ios::app) << std::string(2 << 20, '\n');
  ImportOptions options;
  options.archive_limits.other = 1 << 20;
  try {
    ImportFeed(folder, options);
    ADD_FAILURE() << "no error";
  } catch (FeedError const& e) {
    EXPECT_NE(std::string(e.what()).find("/stops.txt: holds"), std::string::npos) << e.what();
  }
  options.archive_limits = {};
  EXPECT_EQ(ImportFeed(folder, options).model.trains.size(), 1u);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace qo::gtfs
