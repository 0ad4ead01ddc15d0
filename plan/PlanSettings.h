#pragma once

// The allowance the user set in the plan settings dialog, and how its fields are read.

#include <string>
#include <string_view>

#include "store/ProfileStore.h"

namespace plan {

inline constexpr int kMaxHours = 744; // 31 days of 24 hours

struct PlanSettings {
    int hours = 0;          // per billing cycle; 0 = no allowance
    int firstDay = 1;       // of the month, 1-28
    bool askAtLimit = true; // offer to hang up when the allowance is used up

    bool HasAllowance() const { return hours > 0; }
    long long AllowanceSeconds() const { return hours * 3600LL; }
};

// What a dialog field holds: its number, or a message naming the allowed range.
struct FieldValue {
    bool valid = false;
    int value = 0;
    std::string message; // empty when valid
};

// Decimal digits only, half- or full-width, with blanks around them; no signs.
FieldValue ReadHoursField(std::string_view typed);
FieldValue ReadFirstDayField(std::string_view typed);

// Values that are missing or out of range (a hand-edited file) read as no allowance, first day
// 1, asking at the limit. Only "False" (any case) turns asking off.
PlanSettings LoadPlanSettings(const store::ProfileStore& settings);

// The three keys, from values the fields accepted. False when a write failed.
bool SavePlanSettings(store::ProfileStore& settings, const PlanSettings& plan);

} // namespace plan
