#pragma once
// The files of a GTFS feed, from a zip archive or from a folder. Names are
// the bare file names ("stops.txt"); in an archive a file may also sit in a
// subfolder, as some publishers pack their feeds.
#include <memory>
#include <optional>
#include <string>

namespace qo::gtfs {

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
std::unique_ptr<FeedFiles> OpenFeed(std::string const& path);

// Whether a path names something OpenFeed takes: a folder, or a file whose
// name ends in ".zip" (any letter case).
bool LooksLikeFeed(std::string const& path);

}  // namespace qo::gtfs
