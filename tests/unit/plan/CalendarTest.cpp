#include "plan/Calendar.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/unit/plan/PlanPrinters.h"

namespace plan {
namespace {

TEST(CalendarTest, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2023, 4), 30);
    EXPECT_EQ(DaysInMonth(2023, 13), 0);
}

// Every day of the readable years, counted one by one: the day numbers follow without a gap
// and turn back into the same date.
TEST(CalendarTest, DayNumbersCountEveryDayOfTheReadableYears) {
    EXPECT_EQ(DayNumber({1970, 1, 1}), 0);
    EXPECT_EQ(DayNumber({2000, 3, 1}), 11017);
    Date date{kFirstYear, 1, 1};
    long long expected = DayNumber(date);
    EXPECT_EQ(expected, -134774);
    while (date.year <= kLastYear) {
        ASSERT_EQ(DayNumber(date), expected) << FormatDate(date);
        ASSERT_EQ(DateOfDay(expected), date) << FormatDate(date);
        ++expected;
        if (++date.day > DaysInMonth(date.year, date.month)) {
            date.day = 1;
            if (++date.month > 12) {
                date.month = 1;
                ++date.year;
            }
        }
    }
}

TEST(CalendarTest, WallSecondsRoundTripAlsoBefore1970) {
    for (const store::LocalTime time :
         {store::LocalTime{2003, 9, 3, 15, 9, 51}, store::LocalTime{1601, 1, 1, 0, 0, 0},
          store::LocalTime{1969, 12, 31, 23, 59, 59}}) {
        const store::LocalTime back = LocalTimeOf(WallSeconds(time));
        EXPECT_EQ(store::FormatConnectionRecord(back, 0), store::FormatConnectionRecord(time, 0));
    }
    EXPECT_EQ(WallSeconds({1969, 12, 31, 23, 59, 59}), -1);
}

TEST(CalendarTest, ParseDateTakesRealDatesInDigitsOnly) {
    EXPECT_EQ(ParseDate("2003-9-3"), (Date{2003, 9, 3}));
    EXPECT_EQ(ParseDate("2026-03-05"), (Date{2026, 3, 5}));
    EXPECT_EQ(ParseDate("2024-2-29"), (Date{2024, 2, 29}));
    EXPECT_EQ(ParseDate("2000-2-29"), (Date{2000, 2, 29}));
    EXPECT_EQ(ParseDate("1601-1-1"), (Date{1601, 1, 1}));
    EXPECT_EQ(ParseDate("9999-12-31"), (Date{9999, 12, 31}));
    for (const char* bad :
         {"",          "2023-2-29", "1900-2-29",  "2024-2-30",  "2024-4-31",   "2024-13-1",
          "2024-0-1",  "2024-1-0",  "1600-12-31", "10000-1-1",  "02024-1-1",   "2024-001-1",
          "+2024-1-1", "2024--1-1", "2024-1-1-",  "2024-1-1-1", " 2024-1-1",   "2024-1-1 ",
          "2024-1- 1", "2024/1/1",  "2024-1",     "--",         "２０２４-1-1"}) {
        EXPECT_FALSE(ParseDate(bad)) << bad;
    }
}

struct CycleCase {
    Date date;
    int firstDay;
    Date first;
    Date last;
};

void PrintTo(const CycleCase& c, std::ostream* out) {
    *out << FormatDate(c.date) << " from day " << c.firstDay;
}

class CycleOfTest : public ::testing::TestWithParam<CycleCase> {};

TEST_P(CycleOfTest, HoldsTheDate) {
    const CycleCase& c = GetParam();
    const Cycle cycle = CycleOf(c.date, c.firstDay);
    EXPECT_EQ(cycle.first, c.first) << FormatDate(cycle.first);
    EXPECT_EQ(cycle.last, c.last) << FormatDate(cycle.last);
}

INSTANTIATE_TEST_SUITE_P(
    MonthEndsAndLeapYears, CycleOfTest,
    ::testing::Values(CycleCase{{2026, 12, 31}, 1, {2026, 12, 1}, {2026, 12, 31}},
                      CycleCase{{2026, 12, 1}, 1, {2026, 12, 1}, {2026, 12, 31}},
                      CycleCase{{2024, 2, 10}, 1, {2024, 2, 1}, {2024, 2, 29}},
                      CycleCase{{2023, 2, 10}, 1, {2023, 2, 1}, {2023, 2, 28}},
                      CycleCase{{2000, 2, 10}, 1, {2000, 2, 1}, {2000, 2, 29}},
                      CycleCase{{1900, 2, 10}, 1, {1900, 2, 1}, {1900, 2, 28}},
                      CycleCase{{2100, 2, 28}, 1, {2100, 2, 1}, {2100, 2, 28}},
                      CycleCase{{2026, 4, 30}, 1, {2026, 4, 1}, {2026, 4, 30}},
                      // Across a year end.
                      CycleCase{{2026, 12, 20}, 15, {2026, 12, 15}, {2027, 1, 14}},
                      CycleCase{{2027, 1, 14}, 15, {2026, 12, 15}, {2027, 1, 14}},
                      CycleCase{{2027, 1, 15}, 15, {2027, 1, 15}, {2027, 2, 14}},
                      CycleCase{{2026, 12, 14}, 15, {2026, 11, 15}, {2026, 12, 14}},
                      // A first day of 28 and February.
                      CycleCase{{2024, 2, 28}, 28, {2024, 2, 28}, {2024, 3, 27}},
                      CycleCase{{2024, 2, 29}, 28, {2024, 2, 28}, {2024, 3, 27}},
                      CycleCase{{2024, 2, 27}, 28, {2024, 1, 28}, {2024, 2, 27}},
                      CycleCase{{2023, 3, 27}, 28, {2023, 2, 28}, {2023, 3, 27}},
                      CycleCase{{2027, 1, 2}, 28, {2026, 12, 28}, {2027, 1, 27}},
                      // From the 29th-31st: a month without the day starts on its last day.
                      CycleCase{{2023, 1, 31}, 31, {2023, 1, 31}, {2023, 2, 27}},
                      CycleCase{{2023, 2, 27}, 31, {2023, 1, 31}, {2023, 2, 27}},
                      CycleCase{{2023, 2, 28}, 31, {2023, 2, 28}, {2023, 3, 30}},
                      CycleCase{{2023, 3, 31}, 31, {2023, 3, 31}, {2023, 4, 29}},
                      CycleCase{{2023, 4, 30}, 31, {2023, 4, 30}, {2023, 5, 30}},
                      CycleCase{{2024, 1, 5}, 31, {2023, 12, 31}, {2024, 1, 30}},
                      CycleCase{{2024, 2, 28}, 31, {2024, 1, 31}, {2024, 2, 28}},
                      CycleCase{{2024, 2, 29}, 31, {2024, 2, 29}, {2024, 3, 30}},
                      CycleCase{{2023, 1, 30}, 30, {2023, 1, 30}, {2023, 2, 27}},
                      CycleCase{{2023, 3, 29}, 30, {2023, 2, 28}, {2023, 3, 29}},
                      CycleCase{{2000, 2, 29}, 30, {2000, 2, 29}, {2000, 3, 29}},
                      CycleCase{{2023, 2, 28}, 29, {2023, 2, 28}, {2023, 3, 28}},
                      CycleCase{{2024, 2, 28}, 29, {2024, 1, 29}, {2024, 2, 28}},
                      CycleCase{{2024, 2, 29}, 29, {2024, 2, 29}, {2024, 3, 28}},
                      CycleCase{{2100, 2, 28}, 29, {2100, 2, 28}, {2100, 3, 28}},
                      // First days a hand-edited value could bring are taken as 1 and 31.
                      CycleCase{{2026, 5, 3}, 0, {2026, 5, 1}, {2026, 5, 31}},
                      CycleCase{{2024, 2, 29}, 32, {2024, 2, 29}, {2024, 3, 30}}));

class CycleWalkTest : public ::testing::TestWithParam<int> {};

// For each first day, three years of days (a leap year among them) fall into cycles that begin
// on that day, or on the last day of a month without it, and follow each other without gap or
// overlap.
TEST_P(CycleWalkTest, CyclesTileTheCalendar) {
    const int firstDay = GetParam();
    Cycle cycle = CycleOf({2023, 1, 1}, firstDay);
    for (long long day = DayNumber({2023, 1, 1}); day <= DayNumber({2025, 12, 31}); ++day) {
        if (day > DayNumber(cycle.last)) {
            const Cycle next = CycleAfter(cycle, firstDay);
            ASSERT_EQ(DayNumber(next.first), DayNumber(cycle.last) + 1);
            ASSERT_EQ(next.Begin(), cycle.End());
            cycle = next;
        }
        ASSERT_EQ(CycleOf(DateOfDay(day), firstDay), cycle) << FormatDate(DateOfDay(day));
        ASSERT_EQ(cycle.first.day,
                  std::min(firstDay, DaysInMonth(cycle.first.year, cycle.first.month)));
        const long long length = DayNumber(cycle.last) - DayNumber(cycle.first) + 1;
        ASSERT_GE(length, 28);
        ASSERT_LE(length, 31);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFirstDay, CycleWalkTest, ::testing::Range(1, 32));

} // namespace
} // namespace plan
