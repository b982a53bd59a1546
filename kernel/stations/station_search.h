#pragma once
// Finding stations and list items by name and by key.
//
// The name search runs on every keystroke of a place input, so a search
// text is prepared once (NameQuery) and matched against the candidates'
// names folded ahead of time: each timetable keeps, per list, language,
// name mode and folding, one flat block of its folded names, built on first
// use and rebuilt only after the loaded set changed.
//
// Search text syntax (leading characters in any order and number):
//   '*'  the name contains the text anywhere (otherwise word by word from
//        the start of the name)
//   '@'  domestic places only
// A text containing "[*" is matched against names with their whole region
// name, any other text containing '[' against names with the second part of
// the region, and a text without '[' against names without region parts.
// Word by word: the text's words (at most 7, split at blank , - . / ])
// must begin the name's words in order; an abbreviation in the name ("HL."
// against "HLAVNI") ends a word's comparison, except a '.' after a digit,
// 'I' or 'X' (ordinals and Roman numerals). A word "[*x" matches a bracketed
// region part that contains x.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

inline constexpr size_t kMaxSearchTextLength = 99;
inline constexpr int kMaxSearchWords = 7;

struct NameQuery {
  bool fold = false;       // diacritics-insensitive
  bool substring = false;  // '*'
  bool domestic = false;   // '@'
  int mode = 2;            // name mode of the names compared
  std::string whole;       // the folded text without its leading '*' and '@'
  struct Word {
    uint16_t begin = 0, length = 0;
  };
  std::array<Word, kMaxSearchWords> words{};
  int wordCount = 0;
  uint8_t first = 0, second = 0;  // plain letters beginning the first word (0: none)
};

// Prepares a search text given in the kernel's encoding (at most 99
// characters are used). With `fold` set the search ignores diacritics;
// in text modes of 3 and below a text that carries diacritics itself (a
// byte above 128) turns that off, so that it finds only names with them.
void PrepareNameQuery(std::string_view text, bool fold, int textMode, NameQuery& query);

// True when a folded name matches the query's words (the search letters
// are not looked at here).
bool MatchesWords(NameQuery const& query, std::string_view name);

// The first station (list -1) or item of `list` at or after `start` that
// matches, -1 when none. A candidate whose byte in `filter` (when given) is
// 0 is passed over, as is a foreign one when the query asks for domestic
// places. The list must be -1 or a list of the timetable, the language one
// of its data languages, start not negative.
int32_t SearchStation(TimetableRecord& t, int list, int language, int32_t start,
                      NameQuery const& query, uint8_t const* filter);

// The first station or item with the key (0 finds nothing). With item kinds,
// an item of positive kind is passed over when no text is given; with a text
// only an item whose text (in the region display mode) equals it is taken.
// A kind-3 list without keys is searched by the keys of its items' first
// stations.
int32_t SearchKey(TimetableRecord& t, int list, int32_t key, std::string_view text, int language);

// By key first (a list with keys that lacks the key gives -1), then by the
// exact shown name: the first candidate of a plain name search for the text
// whose shown name equals the text.
int32_t SearchStation2(TimetableRecord& t, int list, int language, int32_t key,
                       std::string_view text);

// The first station whose shown name (region display mode, plain) equals
// the text, -1 when none.
int32_t SearchStationName(TimetableRecord const& t, std::string_view text);

// True for the same station or two whose plain names in name mode 0 are
// equal ignoring case and whose stored names are equally long. Both
// stations must exist.
bool StationsEqual(TimetableRecord const& t, int a, int b);

// The shown name of a station or list item as QoItemName gives it: a
// station's plain name, an item's text, both in the region display mode.
void ShownItemName(TimetableRecord const& t, int list, int language, int32_t item,
                   std::string& out);

// The folded names of one list in one language and name mode: name i is
// chars[offsets[i]] up to the NUL before offsets[i + 1].
struct FoldedNames {
  int list = 0, language = 0, mode = 0;
  bool fold = false;
  uint32_t generation = 0;
  std::vector<int32_t> offsets;
  std::string chars;
};

// The candidates of one list grouped by their search letters, so that a
// prefix search visits only the names that begin with the typed letters:
// group f (candidates whose first letter is f) is entries
// offsets[f]..offsets[f + 1] - 1 of both arrays, in ascending candidate
// order in byFirst and by second letter, then candidate, in byPair.
struct LetterIndex {
  int list = 0;
  std::array<int32_t, 257> offsets{};
  std::vector<int32_t> byFirst;
  std::vector<int32_t> byPair;
};

struct NameSearchCache {
  std::vector<std::unique_ptr<FoldedNames>> variants;
  std::vector<std::unique_ptr<LetterIndex>> letters;
};

// The folded names, built now when the timetable has none for this choice
// or they were built before the loaded set last changed.
FoldedNames const& GetFoldedNames(TimetableRecord& t, int list, int language, int mode, bool fold);

// The letter groups of a list (-1: the stations), built on first use; the
// list must have both letter arrays.
LetterIndex const& GetLetterIndex(TimetableRecord& t, int list);

}  // namespace qo
