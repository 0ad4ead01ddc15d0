#pragma once

// Dates, wall-clock seconds and billing cycles. The records hold local time without a zone,
// so time here is the local wall clock with every day 24 hours long.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "store/ConnectionRecord.h"

namespace plan {

struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
};
bool operator==(const Date& a, const Date& b);
bool operator!=(const Date& a, const Date& b);

// Years a record may carry: the system clock starts in 1601; four digits at most.
inline constexpr int kFirstYear = 1601;
inline constexpr int kLastYear = 9999;

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsRealDate(int year, int month, int day);

// Days since 1970-01-01 (negative before it), and back.
long long DayNumber(const Date& date);
Date DateOfDay(long long dayNumber);

inline constexpr long long kSecondsPerDay = 86400;

// Seconds since 1970-01-01 00:00:00 of the wall clock, and back.
long long WallSeconds(const store::LocalTime& time);
store::LocalTime LocalTimeOf(long long wallSeconds);

// "Y-M-D" as the records write it: plain decimals without leading zeros.
std::string FormatDate(const Date& date);
// A real date between kFirstYear and kLastYear written as "Y-M-D": digits only, at most four
// for the year and two for month and day (so "2026-03-05" reads too); no signs or blanks.
std::optional<Date> ParseDate(std::string_view text);

// The three numbers of "a-b-c" (or "h:m:s") as records write dates and times: the text split
// at its first two separators, each field 1 to maxDigits[i] decimal digits and nothing else (no
// blanks, no sign); nothing for any other text.
std::optional<std::array<int, 3>> ThreeNumbers(std::string_view text, char separator,
                                               const std::array<std::size_t, 3>& maxDigits);

inline constexpr int kMinFirstDay = 1;
inline constexpr int kMaxFirstDay = 31;

// A billing cycle: from its first day 00:00 to the end of its last day. With first day 1 it is
// the calendar month; with 15 it runs from the 15th to the 14th of the next month. A first day
// the month does not have (29-31) is the month's last day there: from the 31st, cycles begin on
// 1-31, 2-28 (2-29 in a leap year), 3-31, 4-30 ...
struct Cycle {
    Date first;
    Date last;

    long long Begin() const; // wall seconds of the first moment
    long long End() const;   // wall seconds just after the last moment
};
bool operator==(const Cycle& a, const Cycle& b);

// The cycle holding the date. A first day outside 1-31 is taken as the nearest of them.
Cycle CycleOf(const Date& date, int firstDay);
Cycle CycleAfter(const Cycle& cycle, int firstDay);

} // namespace plan
