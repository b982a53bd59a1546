#include "gtfs/feed_files.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/crc32.h"
#include "gtfs/csv_reader.h"

namespace qo::gtfs {

namespace {

namespace fs = std::filesystem;

class FolderFeed : public FeedFiles {
 public:
  FolderFeed(std::string path, ArchiveLimits const& limits)
      : path_(std::move(path)), limits_(limits) {}

  std::optional<std::string> Read(std::string const& name) override {
    fs::path file = fs::path(path_) / name;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    uintmax_t size = fs::file_size(file, ec);
    if (!in || ec) FailAt(path_ + "/" + name, 0, "cannot be read");
    // The same limits as in an archive: a table past them is no feed's.
    uint64_t limit = name == "stop_times.txt" ? limits_.stop_times : limits_.other;
    if (size > limit) {
      FailAt(path_ + "/" + name, 0,
             "holds " + std::to_string(size) +
                 " bytes, more than a feed's table of its kind may (" + std::to_string(limit) +
                 ")");
    }
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
      FailAt(path_ + "/" + name, 0, "cannot be read");
    }
    return text;
  }
  std::string const& Label() const override { return path_; }

 private:
  std::string path_;
  ArchiveLimits limits_;
};

// An archive is untrusted: its declared sizes only label messages, every
// member is read in pieces up to its limit, and its CRC-32 must match.
class ZipFeed : public FeedFiles {
 public:
  ZipFeed(std::string path, ArchiveLimits const& limits) : path_(std::move(path)), limits_(limits) {
    int error = 0;
    archive_ = zip_open(path_.c_str(), ZIP_RDONLY, &error);
    if (!archive_) {
      zip_error_t z;
      zip_error_init_with_code(&z, error);
      std::string why = zip_error_strerror(&z);
      zip_error_fini(&z);
      FailAt(path_, 0, "cannot open the zip archive: " + why);
    }
  }
  ~ZipFeed() override { zip_discard(archive_); }

  std::optional<std::string> Read(std::string const& name) override {
    zip_int64_t index = Locate(name);
    if (index < 0) return std::nullopt;
    std::string const member = path_ + ":" + name;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        !(stat.valid & ZIP_STAT_CRC)) {
      FailAt(member, 0, "cannot be read from the archive");
    }
    uint64_t limit = name == "stop_times.txt" ? limits_.stop_times : limits_.other;
    limit = std::min(limit, limits_.total - std::min(limits_.total, used_));
    auto tooLarge = [&] {
      FailAt(member, 0,
             "unpacks to more than " + std::to_string(limit) +
                 " bytes, more than a feed's member of its kind may hold (the archive declares " +
                 std::to_string(stat.size) + ")");
    };
    if (stat.size > limit) tooLarge();
    zip_file_t* file = zip_fopen_index(archive_, index, 0);
    if (!file) FailAt(member, 0, std::string("cannot be opened: ") + zip_strerror(archive_));
    std::string text;
    text.reserve(static_cast<size_t>(std::min<uint64_t>(stat.size, uint64_t{16} << 20)));
    std::vector<char> piece(1 << 20);
    uint32_t crc = 0;
    std::string why;
    while (true) {
      zip_int64_t got = zip_fread(file, piece.data(), piece.size());
      if (got < 0) {
        why = zip_file_strerror(file);
        break;
      }
      if (got == 0) break;
      if (text.size() + static_cast<uint64_t>(got) > limit) {
        zip_fclose(file);
        tooLarge();
      }
      text.append(piece.data(), static_cast<size_t>(got));
      crc = UpdateCrc32(crc, piece.data(), static_cast<size_t>(got));
    }
    zip_fclose(file);
    if (!why.empty()) FailAt(member, 0, "is damaged and cannot be read: " + why);
    if (text.size() != stat.size) {
      FailAt(member, 0,
             "is damaged: it holds " + std::to_string(text.size()) +
                 " bytes, but the archive declares " + std::to_string(stat.size));
    }
    if (crc != stat.crc) FailAt(member, 0, "is damaged: its CRC-32 does not match its contents");
    used_ += text.size();
    return text;
  }
  std::string const& Label() const override { return path_; }

 private:
  // The file at the top, else the first one of that name in a subfolder.
  zip_int64_t Locate(std::string const& name) {
    zip_int64_t index = zip_name_locate(archive_, name.c_str(), 0);
    if (index >= 0) return index;
    return zip_name_locate(archive_, name.c_str(), ZIP_FL_NODIR);
  }

  std::string path_;
  ArchiveLimits limits_;
  uint64_t used_ = 0;  // bytes of the members read so far
  zip_t* archive_ = nullptr;
};

}  // namespace

bool LooksLikeFeed(std::string const& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return true;
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return tail == ".zip";
}

std::unique_ptr<FeedFiles> OpenFeed(std::string const& path, ArchiveLimits const& limits) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return std::make_unique<FolderFeed>(path, limits);
  if (!fs::exists(path, ec)) FailAt(path, 0, "no such file or folder");
  return std::make_unique<ZipFeed>(path, limits);
}

}  // namespace qo::gtfs
