#pragma once
// What the kernel tells about one train: its number texts, its type with the
// type's texts, and the same as they hold at one station of its route
// (numbers of the station's region, numbers announced along the route by the
// train's remarks, the type in force there).
//
// Trains, stations and languages passed here are checked by the caller.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/string_pool.h"
#include "load/timetable_record.h"
#include "format/stored_bits.h"

namespace qo {

inline constexpr size_t kMaxTrainTextLength = 39;

// The pool of a data language, or language 0's when that language has none;
// null when there is no pool at all.
inline StringPool const* PoolOfLanguage(std::vector<StringPool> const& pools, int language) {
  if (language >= 0 && static_cast<size_t>(language) < pools.size()) return &pools[language];
  return pools.empty() ? nullptr : &pools[0];
}

// Text i of a language's pool, language 0's text when that one is empty.
std::string_view TextOfLanguage(std::vector<StringPool> const& pools, int language, int32_t i);

struct TrainTexts {
  std::string Number;  // main number
  std::string Second;  // second number (the train's name)
  std::string Type;    // type abbreviation
  int TypeBit = 0;
  int Physical = 0;
};

int TrainTypeCount(TimetableRecord const& t);
// Physical types when the timetable has them, else its train types.
int PhysicalTypeCount(TimetableRecord const& t);
bool HasPhysicalTypes(TimetableRecord const& t);

// Abbreviation and description of train type `type`, each falling back to
// language 0 when empty; both empty for a type the timetable lacks.
void TrainTypeTexts(TimetableRecord const& t, int language, int type, std::string& abbreviation,
                    std::string& description);
// The same for a physical type; the train-type pools stand in when the
// timetable has no physical types.
void PhysicalTypeTexts(TimetableRecord const& t, int language, int type, std::string& abbreviation,
                       std::string& description);

// The lowest type bit of the word that names a type of the timetable, 0
// when none does.
int TypeBitIndex(TimetableRecord const& t, uint32_t word);

// The train's own texts, as stored.
void GetTrainTexts(TimetableRecord const& t, int language, uint32_t train, TrainTexts& out);

// The train's texts as they hold at `station` (negative: the stored texts),
// with the second number rebuilt from the numbers in force between `from`
// and `to` (each -1 for none). The type is looked up along the route only
// when `wantType` is set (it walks the remarks at every stop).
void GetTrainStationTexts(TimetableRecord const& t, int language, uint32_t train, int32_t station,
                          int32_t from, int32_t to, bool wantType, TrainTexts& out);

// 1 when every stop of the train is domestic (or it has none), 2 when every
// stop is foreign, 3 when both kinds occur.
int TrainDomesticKind(TimetableRecord const& t, uint32_t train);

}  // namespace qo
