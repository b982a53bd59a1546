#include "gtfs/feed_files.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "gtfs/csv_reader.h"

namespace qo::gtfs {

namespace {

namespace fs = std::filesystem;

class FolderFeed : public FeedFiles {
 public:
  explicit FolderFeed(std::string path) : path_(std::move(path)) {}

  std::optional<std::string> Read(std::string const& name) override {
    fs::path file = fs::path(path_) / name;
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    uintmax_t size = fs::file_size(file, ec);
    if (!in || ec) FailAt(path_ + "/" + name, 0, "cannot be read");
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
      FailAt(path_ + "/" + name, 0, "cannot be read");
    }
    return text;
  }
  std::string const& Label() const override { return path_; }

 private:
  std::string path_;
};

class ZipFeed : public FeedFiles {
 public:
  explicit ZipFeed(std::string path) : path_(std::move(path)) {
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
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
      FailAt(path_ + ":" + name, 0, "cannot be read from the archive");
    }
    std::string text(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive_, index, 0);
    if (!file)
      FailAt(path_ + ":" + name, 0, std::string("cannot be opened: ") + zip_strerror(archive_));
    zip_int64_t got = text.empty() ? 0 : zip_fread(file, text.data(), text.size());
    std::string why = got < 0 ? zip_file_strerror(file) : "";
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
      FailAt(path_ + ":" + name, 0,
             "cannot be read from the archive" + (why.empty() ? "" : ": " + why));
    }
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

std::unique_ptr<FeedFiles> OpenFeed(std::string const& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return std::make_unique<FolderFeed>(path);
  if (!fs::exists(path, ec)) FailAt(path, 0, "no such file or folder");
  return std::make_unique<ZipFeed>(path);
}

}  // namespace qo::gtfs
