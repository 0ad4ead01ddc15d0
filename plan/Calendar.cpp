#include "plan/Calendar.h"

#include <algorithm>
#include <cstdio>

namespace plan {

namespace {

long long FloorDiv(long long a, long long b) {
    return a / b - (a % b < 0 ? 1 : 0);
}

// The day a cycle begins in the month: its first day, or the month's last day when shorter.
Date CycleStartIn(int year, int month, int firstDay) {
    return Date{year, month, std::min(firstDay, DaysInMonth(year, month))};
}

// The cycle's start `months` months after (before, when negative) the month.
Date CycleStartMonthsOn(int year, int month, int months, int firstDay) {
    const int index = year * 12 + (month - 1) + months;
    return CycleStartIn(static_cast<int>(FloorDiv(index, 12)),
                        static_cast<int>(index - FloorDiv(index, 12) * 12) + 1, firstDay);
}

} // namespace

bool operator==(const Date& a, const Date& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

bool operator!=(const Date& a, const Date& b) {
    return !(a == b);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsRealDate(int year, int month, int day) {
    return year >= kFirstYear && year <= kLastYear && day >= 1 && day <= DaysInMonth(year, month);
}

// Civil-calendar conversions counted in 400-year eras of 146097 days, with years starting in
// March so that the leap day is the last day of a year.
long long DayNumber(const Date& date) {
    const long long year = date.year - (date.month <= 2 ? 1 : 0);
    const long long era = FloorDiv(year, 400);
    const long long yearOfEra = year - era * 400;
    const long long monthFromMarch = (date.month + 9) % 12;
    const long long dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Date DateOfDay(long long dayNumber) {
    const long long shifted = dayNumber + 719468;
    const long long era = FloorDiv(shifted, 146097);
    const long long dayOfEra = shifted - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthFromMarch = (5 * dayOfYear + 2) / 153;
    Date date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

long long WallSeconds(const store::LocalTime& time) {
    return DayNumber({time.year, time.month, time.day}) * kSecondsPerDay + time.hour * 3600LL +
           time.minute * 60LL + time.second;
}

store::LocalTime LocalTimeOf(long long wallSeconds) {
    const long long day = FloorDiv(wallSeconds, kSecondsPerDay);
    const long long secondOfDay = wallSeconds - day * kSecondsPerDay;
    const Date date = DateOfDay(day);
    store::LocalTime time;
    time.year = date.year;
    time.month = date.month;
    time.day = date.day;
    time.hour = static_cast<int>(secondOfDay / 3600);
    time.minute = static_cast<int>(secondOfDay / 60 % 60);
    time.second = static_cast<int>(secondOfDay % 60);
    return time;
}

std::string FormatDate(const Date& date) {
    char text[48];
    std::snprintf(text, sizeof text, "%d-%d-%d", date.year, date.month, date.day);
    return text;
}

std::optional<std::array<int, 3>> ThreeNumbers(std::string_view text, char separator,
                                               const std::array<std::size_t, 3>& maxDigits) {
    const std::size_t first = text.find(separator);
    const std::size_t second =
        first == std::string_view::npos ? first : text.find(separator, first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::array<std::string_view, 3> fields = {
        text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
    std::array<int, 3> numbers{};
    for (std::size_t i = 0; i < 3; ++i) {
        if (fields[i].empty() || fields[i].size() > maxDigits[i]) {
            return std::nullopt;
        }
        for (char c : fields[i]) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            numbers[i] = numbers[i] * 10 + (c - '0');
        }
    }
    return numbers;
}

std::optional<Date> ParseDate(std::string_view text) {
    const auto numbers = ThreeNumbers(text, '-', {4, 2, 2});
    if (!numbers || !IsRealDate((*numbers)[0], (*numbers)[1], (*numbers)[2])) {
        return std::nullopt;
    }
    return Date{(*numbers)[0], (*numbers)[1], (*numbers)[2]};
}

long long Cycle::Begin() const {
    return DayNumber(first) * kSecondsPerDay;
}

long long Cycle::End() const {
    return (DayNumber(last) + 1) * kSecondsPerDay;
}

bool operator==(const Cycle& a, const Cycle& b) {
    return a.first == b.first && a.last == b.last;
}

Cycle CycleOf(const Date& date, int firstDay) {
    firstDay = std::clamp(firstDay, kMinFirstDay, kMaxFirstDay);
    Date first = CycleStartIn(date.year, date.month, firstDay);
    if (date.day < first.day) {
        first = CycleStartMonthsOn(date.year, date.month, -1, firstDay);
    }
    const Date next = CycleStartMonthsOn(first.year, first.month, 1, firstDay);
    return Cycle{first, DateOfDay(DayNumber(next) - 1)};
}

Cycle CycleAfter(const Cycle& cycle, int firstDay) {
    return CycleOf(DateOfDay(DayNumber(cycle.last) + 1), firstDay);
}

} // namespace plan
