#pragma once
// The files of a GTFS feed, from a zip archive or from a folder. Names are
// the bare file names ("stops.txt"); in an archive a file may also sit in a
// subfolder, as some publishers pack their feeds.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qo::gtfs {

// How much of a zip archive a feed may unpack: a member of stop_times.txt,
// one of any other table, and all members together. A member that holds
// more is refused, whatever size the archive declares for it.
struct ArchiveLimits {
  uint64_t stop_times = uint64_t{1} << 30;
  uint64_t other = uint64_t{256} << 20;
  uint64_t total = uint64_t{2} << 30;
};

class FeedFiles {
 public:
  virtual ~FeedFiles() = default;
  // The whole file, or nothing when the feed has no such file. A file that
  // exists but cannot be read throws FeedError.
  virtual std::optional<std::string> Read(std::string const& name) = 0;
  // How the feed is named in messages (its path).
  virtual std::string const& Label() const = 0;
};

// Opens a zip archive (a path that is a regular file) or a folder; throws
// FeedError when neither can be opened.
std::unique_ptr<FeedFiles> OpenFeed(std::string const& path, ArchiveLimits const& limits = {});

// Whether a path names something OpenFeed takes: a folder, or a file whose
// name ends in ".zip" (any letter case).
bool LooksLikeFeed(std::string const& path);

}  // namespace qo::gtfs
