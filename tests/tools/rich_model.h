#pragma once
// A model with something in nearly every section, so that a file of any
// version carries real content wherever it can.
#include "writer/timetable_model.h"

namespace qo::writer::testing {

TimetableModel RichModel();

}  // namespace qo::writer::testing
