#include "load/reindex_hooks.h"

namespace qo {

// ResetConnParms lives with the search parameters (search/search_params.cpp).

// MarkSameNameStations lives with the global lists (global/same_names.cpp).

}  // namespace qo
