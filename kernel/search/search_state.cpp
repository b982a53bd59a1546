#include "search/search_state.h"

namespace qo {

TimetableSearchState& SearchStateOf(TimetableRecord& t) {
  if (!t.Search) t.Search = std::make_shared<TimetableSearchState>();
  return *t.Search;
}

TimetableSearchState const& SearchStateOf(TimetableRecord const& t) {
  static TimetableSearchState const defaults;
  return t.Search ? *t.Search : defaults;
}

}  // namespace qo
