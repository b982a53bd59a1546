#pragma once
// Czech collation of kernel texts (Windows-1250), for sorting names.

namespace qo {

// -1, 0 or 1 as a sorts before, with or after b. Letters sort by their base
// letter first (č after c, ř after r, š after s, ž after z); accents and
// case only break ties, lower case first. With `ch_rule` set, "ch" is one
// letter that sorts after h. A text that is a prefix of the other sorts
// first. Null sorts as the empty text.
int CompareCzech(const char* a, const char* b, bool ch_rule);

}  // namespace qo
