#pragma once
// The kernel's message tables: one table of 100 texts per language. Entries
// 0..46 hold the words of generated remark texts, entry 47 + n the text of
// error code n. Texts are Windows-1250; an entry without a text is "".

namespace qo {

enum KernelLanguage : int {
  KernelLangCzech = 0,
  KernelLangEnglish = 1,
  KernelLangGerman = 2,
  KernelLangSlovak = 3,
  KernelLangPolish = 4,
};

inline constexpr int kKernelLanguageCount = 5;
inline constexpr int kKernelTextEntries = 100;
inline constexpr int kErrorTextBase = 47;

// 'E' English, 'G' German, 'P' Polish, 'S' Slovak, any other letter Czech.
KernelLanguage LanguageOfLetter(char letter);

// Makes the table of the letter current and remembers the letter; the text
// generators select through this too, so the current table is always the one
// of the last letter used.
void SelectLanguage(char letter);
// The letter last selected, or 0 before the first selection.
char CurrentLanguageLetter();
KernelLanguage CurrentLanguage();
// Whether remark texts take the second (symbol) marker pair: in every
// language but English, and in English when the caller forces it.
inline bool SecondMarkerPairWanted(bool force) { return force || CurrentLanguageLetter() != 'E'; }

const char* KernelText(KernelLanguage language, int entry);
// Entry of the current table (Czech before any selection).
const char* KernelText(int entry);

}  // namespace qo
