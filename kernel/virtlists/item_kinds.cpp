#include "virtlists/item_kinds.h"

#include "stations/station_names.h"

namespace qo {

void ItemBaseText(int kind, std::string_view station, std::string_view own, std::string& out) {
  switch (ItemKindMagnitude(kind)) {
    case 1:
      out.assign(station);
      return;
    case 2:
      out.assign(station);
      CutAtComma(out, 1);
      return;
    case 3:
      out.assign(station);
      CutAtComma(out, 2);
      return;
    case 4:
      out.assign(station);
      SwapCommaParts(out);
      return;
    case 8:
      out.assign(station);
      CutAtComma(out, 2);
      SwapCommaParts(out);
      return;
    default:  // 0, 5 and the kinds without a rule of their own
      out.assign(own.empty() ? station : own);
      return;
  }
}

}  // namespace qo
