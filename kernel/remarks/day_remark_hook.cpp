#include "dayremarks/day_remark_text.h"
#include "remarks/day_remarks.h"

namespace qo {

void GenerateTrainDayRemark(TimetableRecord& t, uint32_t train, char letter, int32_t calendarClass,
                            int dayOffset, std::string& out) {
  TrainDayRemarkText(t, train, letter, calendarClass, dayOffset, out);
}

}  // namespace qo
