#pragma once
// Case and diacritics folding of kernel texts (Windows-1250), in place.
// Names are equal as names when their upper-case forms are equal, and equal
// as search keys when their search keys are equal.

namespace qo {

// Drops the diacritics of the letters the kernel knows and upper-cases every
// ASCII letter: "Žďár nad Sázavou" becomes "ZDAR NAD SAZAVOU". Returns text.
char* MakeSearchKey(char* text);

// Upper-cases keeping the diacritics: "Žďár" becomes "ŽĎÁR", "ß" becomes
// "S". Returns text.
char* MakeUpperCase(char* text);

}  // namespace qo
