#pragma once
// Owners (carriers) and lines of trains. Their descriptions are written in
// "{name}value" fields (text/description_fields.h).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "load/timetable_record.h"
#include "remarks/general_remarks.h"
#include "text/description_fields.h"

namespace qo {

int32_t OwnerCount(TimetableRecord const& t);
int32_t LineCount(TimetableRecord const& t);
// The train's owner and line indexes, -1 for none.
int32_t TrainOwner(TimetableRecord const& t, uint32_t train);
int32_t TrainLine(TimetableRecord const& t, uint32_t train);
// Descriptions in a data language (language 0's pool when that language has
// none); empty for an index the timetable lacks.
std::string_view OwnerDescription(TimetableRecord const& t, int language, int32_t owner);
std::string_view LineDescription(TimetableRecord const& t, int language, int32_t line);

// One owner of a train on a journey, with the texts its owner remarks attach
// (several joined by ", "; empty for none).
struct TrainOwnerEntry {
  int32_t Owner = -1;
  std::string Text;
};

// The owners that the train's owner remarks name for the journey, in the
// order met; without any, the train's own owner (when it has one).
void GetTrainOwners(TimetableRecord const& t, uint32_t train, Journey const& journey,
                    std::vector<TrainOwnerEntry>& out);

}  // namespace qo
