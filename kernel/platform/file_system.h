#pragma once
// The file-system services the loader needs, on POSIX: directory listing with
// a case-insensitive wildcard mask, path joining and lexical normalising,
// the case-insensitive fallback for names written on a system whose paths
// ignore case, and the remote-file-system test.
//
// Paths arrive written for either convention: '\' is a separator exactly
// like '/'.
#include <string>
#include <string_view>
#include <vector>

namespace qo {

struct DirectoryEntry {
  std::string name;
  bool directory = false;  // a directory, also through a symbolic link
  bool regular = false;    // a plain file, also through a symbolic link
  bool hidden = false;     // the name starts with '.'
};

// The entries of a directory other than "." and "..", sorted by name (byte
// order), so that a listing does not depend on the order the file system
// keeps. Empty when the directory cannot be read.
std::vector<DirectoryEntry> ListDirectory(std::string const& directory);

// Whether a name matches a wildcard mask ("*.qo") ignoring case.
bool MatchesMask(std::string const& name, std::string const& mask);

// '\' turned into '/'.
std::string ToSlashes(std::string_view path);

// An absolute path: a relative one joined to the current directory, then
// "." and ".." parts and repeated separators removed without asking the
// file system. Empty for an empty path.
std::string FullPath(std::string_view path);

// The path with '\' as '/'; when nothing exists under it, each part that
// does not exist is looked up in its directory ignoring case. When no such
// file exists either way the slash form is returned, so that opening it
// fails as it would have.
std::string ResolveExistingPath(std::string_view path);

// Whether two paths name the same file on a system whose paths ignore case
// (ASCII letters only: bytes of multi-byte characters are never folded).
bool SamePathIgnoringCase(std::string_view a, std::string_view b);

// Whether the file lies on a network file system (NFS, SMB/CIFS, 9P, AFS,
// Ceph and the like). False when the path cannot be examined.
bool IsOnRemoteFileSystem(std::string const& path);

}  // namespace qo
