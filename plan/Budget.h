#pragma once

// What a cycle's use comes to: the pace it is used at, what each day may still use, and what it
// costs. Money is whole cents throughout.

#include <optional>

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"

namespace plan {

// Days of the cycle up to today and from today on, today counted in both; a date outside the
// cycle is taken as the cycle's nearest day.
struct CycleDays {
    int elapsed = 1;
    int left = 1;
    int total = 1;
};
CycleDays DaysOfCycle(const Cycle& cycle, const Date& today);

// The cycle's time at the pace so far: used / days elapsed x days of the cycle. Nothing on the
// cycle's first day (one day tells no pace) and with nothing used.
std::optional<long long> ProjectedSeconds(const Cycle& cycle, const Date& today,
                                          long long usedSeconds);

// What each day from today on may use and keep within the allowance: what remains / days left.
// Nothing without an allowance and once it is used up.
std::optional<long long> DailyBudgetSeconds(const PlanSettings& plan, const Cycle& cycle,
                                            const Date& today, long long usedSeconds);

// The cycle's cost: the fee, and with an allowance the time beyond it at the hour's price, each
// started hour in full or pro rata to the nearest cent. Sums past the range stay at its end.
long long CostCents(const PlanSettings& plan, long long usedSeconds);

} // namespace plan
