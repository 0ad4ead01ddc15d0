#include "plan/Warnings.h"

#include <iterator>
#include <optional>
#include <string>

#include "plan/PlanKeys.h"

namespace plan {

namespace {

constexpr std::size_t kValueChars = 32;

// Seconds at which a level is reached; exact, as an hour is 3600 seconds.
long long LevelSeconds(const PlanSettings& plan, int level) {
    return plan.hours * 36LL * level;
}

} // namespace

int DueWarning(const PlanSettings& plan, long long usedSeconds, int warnedLevel) {
    if (!plan.HasAllowance()) {
        return 0;
    }
    for (auto it = std::rbegin(kWarningLevels); it != std::rend(kWarningLevels); ++it) {
        if (*it > warnedLevel && usedSeconds >= LevelSeconds(plan, *it)) {
            return *it;
        }
    }
    return 0;
}

bool AsksBeforeDial(const PlanSettings& plan, long long usedSeconds) {
    return plan.HasAllowance() && usedSeconds >= plan.AllowanceSeconds();
}

int LoadWarnedLevel(const store::ProfileStore& settings, const Cycle& current) {
    const std::optional<Date> cycle =
        ParseDate(settings.ReadString(keys::kPlan, keys::kWarnedCycle, "", kValueChars));
    if (!cycle || *cycle != current.first) {
        return 0;
    }
    const std::string level = settings.ReadString(keys::kPlan, keys::kWarnedLevel, "", kValueChars);
    for (int known : kWarningLevels) {
        if (level == std::to_string(known)) {
            return known;
        }
    }
    return 0;
}

bool StoreWarnedLevel(store::ProfileStore& settings, const Cycle& current, int level) {
    // The level first, and the cycle only after it: a failed write leaves the old cycle, so
    // the level is warned again rather than a past cycle's level silencing this one.
    return settings.WriteString(keys::kPlan, keys::kWarnedLevel, std::to_string(level)) &&
           settings.WriteString(keys::kPlan, keys::kWarnedCycle, FormatDate(current.first));
}

} // namespace plan
