#pragma once
// The line settings of the exports: the week mode and the inclusion
// settings that QoZJRSetWeekMode and QoSetExtactInclusion set, read by the
// line, stop-timetable and QMap line exports.
#include "lines/line_validity.h"

namespace qo::api {

LineSettings& ExportLineSettings();

}  // namespace qo::api
