#pragma once
// Switching walking links off and on for the search. The switched minutes
// live in the record's working copy; the loaded image is never written, so
// its CRC still holds.
#include <cstdint>

namespace qo {

struct TimetableRecord;

// Switches the links from the station of key a to that of key b and back:
// a link is off when its minute byte is negative, and switching stores the
// complement. Returns whether the link back was switched, else whether the
// link there was.
bool EnableWalk(TimetableRecord& t, int32_t keyA, int32_t keyB, bool enable);

}  // namespace qo
