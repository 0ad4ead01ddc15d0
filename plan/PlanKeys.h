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

// What was already warned, so that a restart does not warn again.
inline constexpr const char* kWarnedCycle = "WarnedCycle"; // first day of that cycle, "Y-M-D"
inline constexpr const char* kWarnedLevel = "WarnedLevel"; // highest level warned: 80, 90, 100

} // namespace plan::keys
