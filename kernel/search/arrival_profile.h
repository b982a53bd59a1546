#pragma once
// The best arrival at a station over the departures from the origin: a
// step function kept as entries ordered by origin departure and by key,
// both rising (a later departure never arrives earlier). A key is
// arrival × 65536 + distance in kilometres, so keys compare by arrival
// first.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace qo {

inline constexpr int32_t kNoKey = 0x7FFFFFFF;

inline int32_t ProfileKey(int32_t arrival, int32_t distance) { return arrival * 65536 + distance; }
inline int32_t KeyArrival(int32_t key) { return key >> 16; }

struct ProfileEntry {
  int32_t Key = 0;
  int32_t Departure = 0;
};

class ArrivalProfile {
 public:
  void Clear() { entries_.clear(); }
  bool Empty() const { return entries_.empty(); }
  std::vector<ProfileEntry> const& Entries() const { return entries_; }

  // The key of the first entry that departs at `departure` or later
  // (kNoKey when none); *exact tells whether it departs at `departure`.
  int32_t Query(int32_t departure, bool* exact = nullptr) const {
    const size_t at = FirstAtOrAfter(departure);
    if (at == entries_.size()) {
      if (exact) *exact = false;
      return kNoKey;
    }
    if (exact) *exact = entries_[at].Departure == departure;
    return entries_[at].Key;
  }

  // Asked at every stop of every ride. Keys rise with the departure, so a
  // key below the first one improves, one not below the last does not
  // (unless it departs after every entry); the search is left for the rest.
  bool Improves(int32_t key, int32_t departure) const {
    if (entries_.empty() || departure > entries_.back().Departure) return key < kNoKey;
    if (key < entries_.front().Key) return true;
    if (key >= entries_.back().Key) return false;
    return key < entries_[FirstAtOrAfter(departure)].Key;
  }

  // Improves, or, counting kilometres, leaves the origin exactly when an
  // entry does by a shorter way: that journey is worth keeping even
  // arriving later (the profile itself keeps the earlier arrival).
  bool ImprovesOrShorter(int32_t key, int32_t departure) const {
    if (entries_.empty() || departure > entries_.back().Departure) return key < kNoKey;
    ProfileEntry const& at = entries_[FirstAtOrAfter(departure)];
    return key < at.Key || (at.Departure == departure && (key & 0xFFFF) < (at.Key & 0xFFFF));
  }

  // Adds a candidate that improves the profile: the entry it replaces
  // takes its departure and key, and earlier-departing entries that
  // arrive later take its key (the later departure serves them too). A
  // candidate that does not improve changes nothing, so the profile stays
  // a step function.
  void Insert(int32_t key, int32_t departure) {
    if (!Improves(key, departure)) return;
    int32_t i = static_cast<int32_t>(entries_.size()) - 1;
    while (i >= 0 && entries_[static_cast<size_t>(i)].Departure > departure) --i;
    if (i < 0) {
      entries_.insert(entries_.begin(), ProfileEntry{key, departure});
      return;
    }
    ProfileEntry& at = entries_[static_cast<size_t>(i)];
    if (at.Key < key) {
      // Improving means it departs earlier than that entry's follower.
      if (at.Departure != departure)
        entries_.insert(entries_.begin() + i + 1, ProfileEntry{key, departure});
      return;
    }
    at = ProfileEntry{key, departure};
    for (int32_t j = i - 1; j >= 0 && entries_[static_cast<size_t>(j)].Key > key; --j)
      entries_[static_cast<size_t>(j)].Key = key;
  }

  // From the second round on distance no longer decides: a journey with
  // more changes must arrive strictly earlier.
  void DropDistances() {
    for (ProfileEntry& e : entries_) e.Key &= ~0xFFFF;
  }

  // The start entry of a From station: nothing arrives there after the
  // window opens.
  void Start(int32_t windowTime) {
    if (entries_.empty()) entries_.push_back({ProfileKey(windowTime, 0), kNoTimeDeparture});
  }

  static constexpr int32_t kNoTimeDeparture = 0x7FFF;

 private:
  // The place of the first entry that departs at `departure` or later (the
  // size when none): a search without branches on the comparison, which
  // the processor cannot predict here.
  size_t FirstAtOrAfter(int32_t departure) const {
    ProfileEntry const* base = entries_.data();
    size_t n = entries_.size();
    if (n == 0) return 0;
    while (n > 1) {
      const size_t half = n / 2;
      base = base[half - 1].Departure < departure ? base + half : base;
      n -= half;
    }
    return static_cast<size_t>(base - entries_.data()) + (base->Departure < departure ? 1 : 0);
  }

  std::vector<ProfileEntry> entries_;
};

}  // namespace qo
