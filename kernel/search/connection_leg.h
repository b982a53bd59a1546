#pragma once
// A found connection as the kernel keeps it: its train legs, earliest
// first. A walk between two legs is the difference between one leg's
// to-station and the next leg's from-station; it has no leg of its own.
#include <cstdint>
#include <vector>

namespace qo {

struct ConnectionLeg {
  int32_t FromStation = 0;
  int32_t ToStation = 0;
  int32_t DepartureMinute = 0;
  int32_t ArrivalMinute = 0;
  // Days counted from the search day.
  int32_t DepartureDay = 0;
  int32_t ArrivalDay = 0;
  // Days from the train's first stop to the stop where the leg begins.
  int32_t BoardingDayOffset = 0;
  int32_t Train = -1;
  int32_t Distance = -1;     // metres; -1 = not known
  int32_t ConnectionId = 0;  // on the first leg; 0 = none yet
  int32_t ViaLevel = 0;      // via points passed once the leg ends
  int32_t FirstViaStation = -1;
  int32_t LastViaStation = -1;
  int32_t Timetable = 0;
  int32_t KeptMark = 0;     // the merge of later windows marks new ones
  int32_t RemovalMark = 0;  // on the first leg: the clean-up drops it
};
static_assert(sizeof(ConnectionLeg) == 16 * 4, "a leg is 16 words");

using Connection = std::vector<ConnectionLeg>;
using ConnectionList = std::vector<Connection>;

}  // namespace qo
