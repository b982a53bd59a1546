// The arrival profile answers every stop of every ride: its quick answers
// must agree with a plain reading of the entries.
#include "search/arrival_profile.h"

#include <gtest/gtest.h>

#include <random>

namespace qo {
namespace {

// The key of the first entry departing at `departure` or later, read
// entry by entry.
int32_t PlainQuery(ArrivalProfile const& p, int32_t departure) {
  for (ProfileEntry const& e : p.Entries())
    if (e.Departure >= departure) return e.Key;
  return kNoKey;
}

TEST(ArrivalProfileTest, QuickAnswersAgreeWithTheEntries) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    ArrivalProfile p;
    if (round % 3 == 0) p.Start(300);
    const int inserts = static_cast<int>(rng() % 40);
    for (int i = 0; i < inserts; ++i) {
      const int32_t departure = 300 + static_cast<int32_t>(rng() % 120);
      const int32_t arrival = departure + 5 + static_cast<int32_t>(rng() % 90);
      p.Insert(ProfileKey(arrival, static_cast<int32_t>(rng() % 4)), departure);
      if (i == inserts / 2 && round % 2 == 0) p.DropDistances();
    }
    for (size_t i = 1; i < p.Entries().size(); ++i) {
      ASSERT_LT(p.Entries()[i - 1].Departure, p.Entries()[i].Departure);
      ASSERT_LE(p.Entries()[i - 1].Key, p.Entries()[i].Key);
    }
    for (int32_t departure = 290; departure <= 430; ++departure) {
      const int32_t plain = PlainQuery(p, departure);
      bool exact = false;
      ASSERT_EQ(p.Query(departure, &exact), plain) << round << " " << departure;
      for (int32_t arrival = 290; arrival <= 520; arrival += 7) {
        const int32_t key = ProfileKey(arrival, arrival % 3);
        ASSERT_EQ(p.Improves(key, departure), key < plain) << round << " " << departure;
        const bool shorter = exact && (key & 0xFFFF) < (plain & 0xFFFF);
        ASSERT_EQ(p.ImprovesOrShorter(key, departure), key < plain || shorter)
            << round << " " << departure;
      }
    }
  }
}

}  // namespace
}  // namespace qo
