#include "plan/Budget.h"

#include <algorithm>
#include <climits>

namespace plan {

namespace {

constexpr long long kHour = 3600;

// a x b for b > 0, at most LLONG_MAX.
long long CappedProduct(long long a, long long b) {
    return a > LLONG_MAX / b ? LLONG_MAX : a * b;
}

long long CappedSum(long long a, long long b) {
    return a > LLONG_MAX - b ? LLONG_MAX : a + b;
}

// value x numerator / denominator, rounded down, without the product's overflow.
long long Scaled(long long value, long long numerator, long long denominator) {
    return CappedSum(CappedProduct(value / denominator, numerator),
                     value % denominator * numerator / denominator);
}

} // namespace

CycleDays DaysOfCycle(const Cycle& cycle, const Date& today) {
    const long long first = DayNumber(cycle.first);
    const long long last = DayNumber(cycle.last);
    const long long day = std::clamp(DayNumber(today), first, last);
    return CycleDays{static_cast<int>(day - first + 1), static_cast<int>(last - day + 1),
                     static_cast<int>(last - first + 1)};
}

std::optional<long long> ProjectedSeconds(const Cycle& cycle, const Date& today,
                                          long long usedSeconds) {
    const CycleDays days = DaysOfCycle(cycle, today);
    if (days.elapsed < 2 || usedSeconds <= 0) {
        return std::nullopt;
    }
    return Scaled(usedSeconds, days.total, days.elapsed);
}

std::optional<long long> DailyBudgetSeconds(const PlanSettings& plan, const Cycle& cycle,
                                            const Date& today, long long usedSeconds) {
    const long long left = plan.AllowanceSeconds() - std::max(usedSeconds, 0LL);
    if (!plan.HasAllowance() || left <= 0) {
        return std::nullopt;
    }
    return left / DaysOfCycle(cycle, today).left;
}

long long CostCents(const PlanSettings& plan, long long usedSeconds) {
    const long long over = usedSeconds - plan.AllowanceSeconds();
    if (!plan.HasAllowance() || plan.hourPriceCents <= 0 || over <= 0) {
        return plan.feeCents;
    }
    const long long price = plan.hourPriceCents;
    long long overage = CappedProduct(over / kHour, price);
    const long long started = over % kHour;
    if (started > 0) {
        overage = CappedSum(overage, plan.overage == Overage::PerStartedHour
                                         ? price
                                         : (started * price + kHour / 2) / kHour);
    }
    return CappedSum(plan.feeCents, overage);
}

} // namespace plan
