#include "boards/local_train.h"

#include <algorithm>

#include "boards/board_core.h"
#include "trains/train_stops.h"
#include "trains/train_type.h"
#include "format/stored_bits.h"

namespace qo {
namespace {

constexpr uint32_t kThroughParts = kSecondaryVariant | kContinuesGroup;

void CopyWords(StopList const& stops, int32_t from, int32_t to, std::vector<uint32_t>& out) {
  out.clear();
  for (int32_t i = from; i < to; ++i) out.push_back(stops.Word(i));
}

// Kept between calls so that looking up a local train does not allocate.
struct LocalTrainScratch {
  std::vector<BoardEntry> board;
  std::vector<uint32_t> currentWords, candidateWords;
};
LocalTrainScratch& Scratch() {
  static LocalTrainScratch scratch;
  return scratch;
}

}  // namespace

int32_t FindLocalTrain(TimetableRecord& t, uint32_t train, int32_t station, RunDay const& when,
                       bool departure, int* error) {
  *error = 0;
  if (station < 0) return static_cast<int32_t>(train);
  bool runs = false;
  if (int e = TrainRunsOn(t, train, when, station, departure, &runs)) {
    *error = e;
    return static_cast<int32_t>(train);
  }
  if (!runs) return static_cast<int32_t>(train);

  // The station's own board, from the core: a board the caller holds from
  // the export stays as it was.
  LocalTrainScratch& scratch = Scratch();
  std::vector<BoardEntry>& board = scratch.board;
  BoardFilter all = MakeBoardFilter(t, 0xFFFFFFFF, 0xFFFFFFFF);
  if (CollectBoard(t, departure ? station : -1, departure ? -1 : station, departure, all, false,
                   board) != 0)
    return static_cast<int32_t>(train);
  auto own = std::find_if(board.begin(), board.end(), [&](BoardEntry const& e) {
    return e.train == static_cast<int32_t>(train);
  });
  if (own == board.end()) return static_cast<int32_t>(train);
  const uint16_t minute = own->minute;

  uint32_t current = train;
  std::vector<uint32_t>& currentWords = scratch.currentWords;
  std::vector<uint32_t>& candidateWords = scratch.candidateWords;
  const StopList ownStops = DecodeTrainStops(t, current);
  CopyWords(ownStops, 0, ownStops.count, currentWords);
  for (BoardEntry const& e : board) {
    if (e.minute != minute || e.train == static_cast<int32_t>(current)) continue;
    const uint32_t candidate = static_cast<uint32_t>(e.train);
    const uint32_t type = GetTrainTypeWord(t, candidate, -1);
    const StopList stops = DecodeTrainStops(t, candidate);
    int32_t at = -1;
    for (int32_t i = 0; i < stops.count; ++i)
      if (stops.Station(i) == station && stops.Minute(i) == (minute & kStopMinuteMask)) {
        at = i;
        break;
      }
    if (at < 0) continue;
    if (type == 0 || (type & kThroughParts) != 0)
      CopyWords(stops, 0, stops.count, candidateWords);
    else if (departure)
      CopyWords(stops, at, stops.count, candidateWords);
    else
      CopyWords(stops, 0, at + 1, candidateWords);
    if (candidateWords.empty() ||
        std::search(currentWords.begin(), currentWords.end(), candidateWords.begin(),
                    candidateWords.end()) == currentWords.end())
      continue;
    bool candidateRuns = false;
    if (TrainRunsOn(t, candidate, when, station, departure, &candidateRuns) != 0 || !candidateRuns)
      continue;
    bool const sameNumber =
        !t.MainNumbers.Values.empty() && t.MainNumbers.Values[static_cast<int32_t>(candidate)] ==
                                             t.MainNumbers.Values[static_cast<int32_t>(current)];
    if (sameNumber || (type & kThroughParts) != 0 ||
        (GetTrainTypeWord(t, current, -1) & kThroughParts) != 0) {
      current = candidate;
      const StopList now = DecodeTrainStops(t, current);
      CopyWords(now, 0, now.count, currentWords);
    }
  }
  return static_cast<int32_t>(current);
}

}  // namespace qo
