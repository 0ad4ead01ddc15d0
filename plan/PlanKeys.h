#pragma once

// Where the allowance lives in the settings file: a section of its own, which older versions
// never read. Changing any name loses what users have stored.
namespace plan::keys {

inline constexpr const char* kPlan = "Plan";
inline constexpr const char* kHours = "Hours";           // whole hours per cycle, 0 = none
inline constexpr const char* kFirstDay = "FirstDay";     // day of the month a cycle begins
inline constexpr const char* kAskAtLimit = "AskAtLimit"; // "True" / "False", older versions
inline constexpr const char* kAtLimit = "AtLimit";       // one of the three below
inline constexpr const char* kAtLimitWarn = "Warn";
inline constexpr const char* kAtLimitAsk = "Ask";
inline constexpr const char* kAtLimitHangUp = "HangUp";

// How the ISP counts a connection: omitted for to the second (as older versions counted).
inline constexpr const char* kBilling = "Billing";
inline constexpr const char* kBillingMinute = "Minute"; // each started minute
inline constexpr const char* kBillingUnit = "Unit";     // each started unit of BillingUnit minutes
inline constexpr const char* kBillingUnitMinutes = "BillingUnit";

// What the plan costs, in yuan with at most two decimals ("12.50"); omitted when nothing.
inline constexpr const char* kMonthlyFee = "MonthlyFee";
inline constexpr const char* kHourPrice = "HourPrice"; // per hour beyond the allowance
inline constexpr const char* kOverage = "Overage";     // omitted: per started hour
inline constexpr const char* kOverageProRata = "ProRata";

// Time used elsewhere (on another computer), one key per cycle: its first day "Y-M-D" and the
// minutes. A section of its own, so that a change of the plan never touches it.
inline constexpr const char* kCorrections = "PlanCorrection";

// What was already warned, so that a restart does not warn again.
inline constexpr const char* kWarnedCycle = "WarnedCycle"; // first day of that cycle, "Y-M-D"
inline constexpr const char* kWarnedLevel = "WarnedLevel"; // highest level warned: 80, 90, 100

} // namespace plan::keys
