#pragma once

// The allowance the user set in the plan settings dialog, and how its fields are read.

#include <optional>
#include <string>
#include <string_view>

#include "store/ProfileStore.h"

namespace plan {

inline constexpr int kMaxHours = 744; // 31 days of 24 hours

// What happens when a connection uses up the allowance: a balloon, the question whether to hang
// up, or a hang-up.
enum class LimitAction { Warn, Ask, HangUp };

struct PlanSettings {
    int hours = 0;    // per billing cycle; 0 = no allowance
    int firstDay = 1; // of the month, 1-31
    LimitAction atLimit = LimitAction::Ask;

    bool HasAllowance() const { return hours > 0; }
    long long AllowanceSeconds() const { return hours * 3600LL; }
};

// What a dialog field holds: its number, or a message naming the allowed range.
struct FieldValue {
    bool valid = false;
    int value = 0;
    std::string message; // empty when valid
};

// The text without the blanks (half- or full-width spaces, tabs) around it.
std::string_view TrimFieldBlanks(std::string_view typed);

// The number typed when it lies in [low, high]: decimal digits only, half- or full-width, with
// blanks around them; no signs. Every numeric field of the program reads with it.
std::optional<int> WholeNumberIn(std::string_view typed, int low, int high);

FieldValue ReadHoursField(std::string_view typed);
FieldValue ReadFirstDayField(std::string_view typed);

// Values that are missing or out of range (a hand-edited file) read as no allowance, first day
// 1, asking at the limit. The action is AtLimit's when that reads as one; else, as older
// versions stored it, only AskAtLimit "False" (any case) turns asking off (a balloon).
PlanSettings LoadPlanSettings(const store::ProfileStore& settings);

// The keys in one write, from values the fields accepted; AskAtLimit is "True" only for asking,
// so an older version keeps asking or not as before. False when the write failed.
bool SavePlanSettings(store::ProfileStore& settings, const PlanSettings& plan);

} // namespace plan
