#include "load/reindex_hooks.h"

namespace qo {

// The search parameters module replaces this body: until it exists there
// are no parameters to reset.
void ResetConnParms() {}

// The global lists module replaces this body: until it exists no station is
// marked and there is no global-list set to drop.
void MarkSameNameStations() {}

}  // namespace qo
