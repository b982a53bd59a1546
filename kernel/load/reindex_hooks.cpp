#include "load/reindex_hooks.h"

namespace qo {

// The search parameters module replaces this body: until it exists there
// are no parameters to reset.
void ResetConnParms() {}

// MarkSameNameStations lives with the global lists (global/same_names.cpp).

}  // namespace qo
