#pragma once

// The allowance the user set in the plan settings dialog, and how its fields are read.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/Calendar.h"
#include "store/ProfileStore.h"

namespace plan {

inline constexpr int kMaxHours = 744; // 31 days of 24 hours

// What happens when a connection uses up the allowance: a balloon, the question whether to hang
// up, or a hang-up.
enum class LimitAction { Warn, Ask, HangUp };

// How the ISP counts each connection: to the second, or rounded up to whole minutes or to
// whole units of some minutes.
enum class Billing { PerSecond, PerMinute, PerUnit };
inline constexpr int kMinUnitMinutes = 1;
inline constexpr int kMaxUnitMinutes = 60;

// How time beyond the allowance is charged: each started hour in full, or by the second.
enum class Overage { PerStartedHour, ProRata };
inline constexpr int kMaxFeeCents = 999999;      // 9999.99 yuan
inline constexpr int kMaxHourPriceCents = 99999; // 999.99 yuan

// Minutes the user used elsewhere (another computer) in the cycle that begins on `cycleFirst`.
struct Correction {
    Date cycleFirst;
    int minutes = 0;
};
inline constexpr int kMaxCorrectionMinutes = kMaxHours * 60 + 59;

struct PlanSettings {
    int hours = 0;    // per billing cycle; 0 = no allowance
    int firstDay = 1; // of the month, 1-31
    LimitAction atLimit = LimitAction::Ask;
    Billing billing = Billing::PerSecond;
    int unitMinutes = kMinUnitMinutes; // of Billing::PerUnit
    int feeCents = 0;                  // per cycle
    int hourPriceCents = 0;            // per hour beyond the allowance
    Overage overage = Overage::PerStartedHour;
    std::vector<Correction> corrections = {}; // at most one per date, each of 1 minute or more
    // The dated keys of [PlanCorrection] as read: a save removes those it no longer writes.
    std::vector<std::string> correctionKeysRead = {};

    bool HasAllowance() const { return hours > 0; }
    long long AllowanceSeconds() const { return hours * 3600LL; }
    // The unit a connection's time is rounded up to.
    long long BillingSeconds() const;
    bool HasCost() const { return feeCents > 0 || hourPriceCents > 0; }
};

// Time entered as used elsewhere in the cycle: every correction dated in it counts there, so
// that one entered before a change of the first day stays in the cycle that holds its date.
long long ElsewhereSeconds(const PlanSettings& plan, const Cycle& cycle);

// The cycle's time used elsewhere set to `minutes`: the corrections dated in it give way to one
// dated on its first day, none for 0. The other cycles keep theirs.
void SetElsewhereMinutes(PlanSettings& plan, const Cycle& cycle, int minutes);

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

// The amount typed, in cents, when it lies in [0, maxCents]: yuan as digits (half- or
// full-width), then at most two decimals after "." or "．", with blanks around; no signs.
std::optional<int> CentsIn(std::string_view typed, int maxCents);
// "12.50" for 1250.
std::string FormatCents(long long cents);

FieldValue ReadHoursField(std::string_view typed);
FieldValue ReadFirstDayField(std::string_view typed);
FieldValue ReadUnitMinutesField(std::string_view typed);
FieldValue ReadElsewhereHoursField(std::string_view typed);
FieldValue ReadElsewhereMinutesField(std::string_view typed);
FieldValue ReadFeeField(std::string_view typed);       // in cents
FieldValue ReadHourPriceField(std::string_view typed); // in cents

// Values that are missing or out of range (a hand-edited file) read as no allowance, first day
// 1, asking at the limit, to the second, no cost and nothing used elsewhere. The action is
// AtLimit's when that reads as one; else, as older versions stored it, only AskAtLimit "False"
// (any case) turns asking off (a balloon). Of corrections stored twice for a date, the first.
PlanSettings LoadPlanSettings(const store::ProfileStore& settings);

// The keys in one write, from values the fields accepted; AskAtLimit is "True" only for asking,
// so an older version keeps asking or not as before. A setting left at its default has no key
// (a file without them reads as before). [PlanCorrection] gets the plan's corrections, and loses
// the dated keys the plan was read with and no longer holds; others are not ours to remove. No
// read: the file as it was read is the plan's. False when the write failed.
bool SavePlanSettings(store::ProfileStore& settings, const PlanSettings& plan);

} // namespace plan
