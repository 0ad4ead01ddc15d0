#pragma once

// How the plan's values read in test names and failure messages.

#include <ostream>

#include "plan/Calendar.h"

namespace plan {

inline void PrintTo(const Date& date, std::ostream* out) {
    *out << FormatDate(date);
}

inline void PrintTo(const Cycle& cycle, std::ostream* out) {
    *out << FormatDate(cycle.first) << " .. " << FormatDate(cycle.last);
}

} // namespace plan
