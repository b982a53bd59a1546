#include "shell/update_run.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <vector>

#include "shell/string_table.h"
#include "shell/update_index.h"

namespace vemo {
namespace {

std::string Fill(const char* format, std::string const& text) { return FormatText(format, {text}); }

std::string FileError(const char* format, int cause, std::string const& name) {
  return FormatText(format, {int64_t{cause}, name});
}

bool Cancelled(UpdateRunOptions const& options) { return options.cancel && options.cancel->load(); }

// The local file is the index's version: same size, same day and minute,
// and an hour at most one apart (a change of daylight saving time).
bool UpToDate(UpdateFiles::Info const& info, UpdateIndexEntry const& entry) {
  if (info.size != entry.size) return false;
  std::tm local{};
  int year = 0, month = 0, day = 0, hour = -1, minute = -1;
  if (localtime_r(&info.modified, &local)) {
    year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
    hour = local.tm_hour, minute = local.tm_min;
  }
  int hours_apart = hour > entry.hour ? hour - entry.hour : entry.hour - hour;
  return year == entry.year && month == entry.month && day == entry.day && minute == entry.minute &&
         hours_apart <= 1;
}

// Downloads into a temporary name beside the target and renames it into
// place only when it is whole; a failed download leaves nothing behind.
bool DownloadWhole(Downloader* downloader, UpdateFiles* files, std::string const& url,
                   std::string const& target, std::string* error,
                   UpdateIndexEntry const* check = nullptr) {
  std::string part = target + ".part";
  files->Remove(part);
  if (!downloader->Download(url, part, error)) {
    files->Remove(part);
    return false;
  }
  if (check) {
    auto info = files->Stat(part);
    if (!info || info->size != check->size) {
      *error = Fill("chybná délka souboru %s", target);
      files->Remove(part);
      return false;
    }
    std::string sum;
    if (!check->sha256.empty() && (!files->Sha256(part, &sum) || sum != check->sha256)) {
      *error = Fill("chybný kontrolní součet souboru %s", target);
      files->Remove(part);
      return false;
    }
    std::tm local{};
    local.tm_year = check->year - 1900, local.tm_mon = check->month - 1, local.tm_mday = check->day;
    local.tm_hour = check->hour, local.tm_min = check->minute, local.tm_sec = check->second;
    local.tm_isdst = -1;
    if (!files->SetModified(part, mktime(&local))) {
      *error = FileError("chyba %x při nastavení atributů %s", files->last_error, target);
      files->Remove(part);
      return false;
    }
  }
  if (!files->Rename(part, target)) {
    *error = FileError("chyba %x při přejmenování %s", files->last_error, target);
    files->Remove(part);
    return false;
  }
  return true;
}

struct Swap {
  std::string path;
  bool remove = false;   // a deletion, not a new version
  bool existed = false;  // the file was there before (and is kept as .old)
};

// Puts back every file swapped in this run, newest first.
void RollBack(std::vector<Swap> const& done, UpdateFiles* files) {
  for (auto it = done.rbegin(); it != done.rend(); ++it) {
    if (it->existed)
      files->Rename(it->path + ".old", it->path);
    else
      files->Remove(it->path);
  }
}

bool Commit(std::vector<Swap>* swaps, UpdateFiles* files, std::string* error) {
  // Every new version must be there and whole before the first swap.
  for (Swap const& swap : *swaps) {
    if (swap.remove) continue;
    if (!files->Stat(swap.path + ".new")) {
      *error = FileError("chyba %x při přejmenování %s", ENOENT, swap.path + ".new");
      return false;
    }
  }
  std::vector<Swap> done;
  for (Swap& swap : *swaps) {
    std::string old = swap.path + ".old";
    swap.existed = files->Stat(swap.path).has_value();
    bool ok = files->Remove(old) && (!swap.existed || files->Link(swap.path, old));
    if (ok)
      ok = swap.remove ? files->Remove(swap.path) : files->Rename(swap.path + ".new", swap.path);
    if (!ok) {
      *error = FileError("chyba %x při přejmenování %s", files->last_error, swap.path);
      if (swap.existed) files->Remove(old);
      RollBack(done, files);
      return false;
    }
    done.push_back(swap);
  }
  // Only now are the old versions no longer needed; one in use may stay.
  for (Swap const& swap : done)
    if (swap.existed) files->Remove(swap.path + ".old");
  return true;
}

}  // namespace

std::string UpdateState::text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

void UpdateState::set_text(std::string text) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = std::move(text);
}

int RunUpdate(UpdateRunOptions const& options, Downloader* downloader, UpdateFiles* files,
              UpdateState* state) {
  std::vector<Swap> swaps;
  // A failed run leaves no new version of its own behind.
  auto fail = [&](const char* format, std::string const& error) {
    for (Swap const& swap : swaps)
      if (!swap.remove) files->Remove(swap.path + ".new");
    state->set_text(Fill(format, error));
    state->set_status(4);
    return 4;
  };
  // Old versions that a run stopped half-way (a kill in the swap) left.
  auto clear_old = [&](std::vector<UpdateIndexEntry> const& entries) {
    for (UpdateIndexEntry const& entry : entries)
      if (IsSafeLocalName(entry.local_name))
        files->Remove(options.program_dir + entry.local_name + ".old");
  };
  state->set_status(2);
  std::string index_path = options.program_dir + "Update.txt";
  state->set_text("stažení indexu");
  std::string error;
  if (!DownloadWhole(downloader, files, options.index_url, index_path, &error))
    return fail("stažení indexu (%s)", error);

  state->set_text("zpracování indexu");
  std::string bytes;
  if (!files->ReadAll(index_path, &bytes))
    return fail("zpracování indexu (%s)",
                FileError("chyba %x při načtení %s", files->last_error, "Update.txt"));

  std::vector<UpdateIndexEntry> entries = ParseUpdateIndex(bytes);
  for (UpdateIndexEntry const& entry : entries) {
    state->set_text(Fill("ověření souboru %s", entry.local_name));
    if (Cancelled(options)) return fail("ověření souborů (%s)", "přerušeno");
    if (!IsSafeLocalName(entry.local_name))
      return fail("ověření souborů (%s)", Fill("nepřípustný název souboru %s", entry.local_name));
    std::string path = options.program_dir + entry.local_name;
    auto info = files->Stat(path);
    if (entry.size < 0) {
      // Deleted with the swaps, so that a failed run deletes nothing.
      if (info) swaps.push_back({path, true, false});
      continue;
    }
    if (info && UpToDate(*info, entry)) continue;
    if (!DownloadWhole(downloader, files, entry.remote_url, path + ".new", &error, &entry))
      return fail("ověření souborů (%s)", error);
    swaps.push_back({path, false, false});
  }
  state->set_text("");
  if (swaps.empty()) {
    clear_old(entries);
    state->set_status(3);
    return 3;
  }
  if (Cancelled(options)) return fail("závěrečné přejmenování (%s)", "přerušeno");
  if (!Commit(&swaps, files, &error)) return fail("závěrečné přejmenování (%s)", error);
  clear_old(entries);
  state->set_status(5);
  return 5;
}

// ---- The real file system ---------------------------------------------

std::optional<UpdateFiles::Info> PosixUpdateFiles::Stat(std::string const& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    last_error = errno;
    return std::nullopt;
  }
  return Info{static_cast<int64_t>(info.st_size), info.st_mtime};
}

bool PosixUpdateFiles::Remove(std::string const& path) {
  if (unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  last_error = errno;
  return false;
}

bool PosixUpdateFiles::Rename(std::string const& from, std::string const& to) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  last_error = errno;
  return false;
}

bool PosixUpdateFiles::Link(std::string const& from, std::string const& to) {
  if (link(from.c_str(), to.c_str()) == 0) return true;
  last_error = errno;
  return false;
}

bool PosixUpdateFiles::SetModified(std::string const& path, std::time_t time) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = time;
  times[1].tv_nsec = 0;
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) == 0) return true;
  last_error = errno;
  return false;
}

bool PosixUpdateFiles::ReadAll(std::string const& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    last_error = errno ? errno : ENOENT;
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool PosixUpdateFiles::Sha256(std::string const& path, std::string* hex) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    EVP_DigestUpdate(context, buffer, static_cast<size_t>(in.gcount()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EVP_DigestFinal_ex(context, digest, &length);
  EVP_MD_CTX_free(context);
  hex->clear();
  char two[3];
  for (unsigned i = 0; i < length; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    *hex += two;
  }
  return true;
}

}  // namespace vemo
