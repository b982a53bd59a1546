#pragma once
// Texts of the packed number tables: a value v >= 0 printed with the
// table's number format, a negative value as text ~v of its pool printed
// with its text format. Both formats were checked at load to hold exactly
// one conversion of their kind.
#include <cstdint>
#include <string>

#include "load/timetable_record.h"

namespace qo {

// The text of `value` in the table, cut at maxLength characters; empty for
// an absent table.
void FormatPackedNumber(PackedNumberTable const& table, int32_t value, size_t maxLength,
                        std::string& out);

// The train's main number text (at most 39 characters); empty without a
// main number table. `train` must be below TrainCount.
void TrainNumberText(TimetableRecord const& t, uint32_t train, std::string& out);

}  // namespace qo
