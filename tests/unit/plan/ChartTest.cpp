// The chart of the current cycle: the time of each day, the scale, where bars and lines stand in
// the window's area, the day under the pointer and the texts around the chart.

#include "plan/Chart.h"

#include <climits>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/unit/plan/PlanPrinters.h"

namespace plan {

inline void PrintTo(const ChartRect& rect, std::ostream* out) {
    *out << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
         << ")";
}

namespace {

Connection Read(const std::string& record) {
    const std::optional<Connection> connection = ReadConnection(record);
    EXPECT_TRUE(connection) << record;
    return connection.value_or(Connection{});
}

const Cycle kDecember = CycleOf({2026, 12, 9}, 1);

// Days from `first` on, each without time but those given as {index, seconds}.
std::vector<DayUsage> Days(const Date& first, int count,
                           const std::vector<std::pair<int, long long>>& seconds = {}) {
    std::vector<DayUsage> days(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        days[static_cast<std::size_t>(i)].date = DateOfDay(DayNumber(first) + i);
    }
    for (const auto& [index, time] : seconds) {
        days[static_cast<std::size_t>(index)].seconds = time;
    }
    return days;
}

TEST(ChartTest, EachDayHoldsThePartOfEveryConnectionThatLiesInIt) {
    struct Row {
        const char* name;
        Cycle cycle;
        std::vector<Connection> connections;
        std::size_t dayCount;
        std::vector<std::tuple<int, long long, int>> used; // index, seconds, connections
    };
    // clang-format off
    const Row rows[] = {
        {"across midnight", kDecember, {Read("2026-12-10,5400@0:30:0")}, 31,
         {{8, 3600, 1}, {9, 1800, 1}}},
        {"across the cycle's first midnight", kDecember, {Read("2026-12-1,1200@0:10:0")}, 31,
         {{0, 600, 1}}},
        {"across the cycle's last midnight", kDecember, {Read("2027-1-1,1200@0:10:0")}, 31,
         {{30, 600, 1}}},
        {"ending at midnight", kDecember, {Read("2026-12-5,600@0:0:0")}, 31, {{3, 600, 1}}},
        {"no time, at midnight", kDecember, {Read("2026-12-5,0@0:0:0")}, 31, {{4, 0, 1}}},
        {"over three days", kDecember, {Read("2026-12-12,180000@2:0:0")}, 31,
         {{9, 86400, 1}, {10, 86400, 1}, {11, 7200, 1}}},
        {"running across midnight", kDecember,
         {RunningConnection({2026, 12, 9, 0, 20, 0}, 3000)}, 31,
         {{7, 1800, 1}, {8, 1200, 1}}},
        {"two on one day, one before the cycle", kDecember,
         {Read("2026-12-3,60@8:0:0"), Read("2026-12-3,120@9:0:0"), Read("2026-11-30,60@8:0:0")}, 31,
         {{2, 180, 2}}},
        {"a hand-edited count of 68 years", kDecember, {Read("2026-12-3,99999999999@12:0:0")}, 31,
         {{0, 86400, 1}, {1, 86400, 1}, {2, 43200, 1}}},
        {"one day", Cycle{{2026, 12, 9}, {2026, 12, 9}}, {Read("2026-12-10,5400@0:30:0")}, 1,
         {{0, 3600, 1}}},
        {"February", CycleOf({2027, 2, 9}, 1), {}, 28, {}},
    };
    // clang-format on
    for (const Row& row : rows) {
        const std::vector<DayUsage> days = DaysOf(row.cycle, row.connections);
        ASSERT_EQ(days.size(), row.dayCount) << row.name;
        EXPECT_EQ(days.front().date, row.cycle.first) << row.name;
        EXPECT_EQ(days.back().date, row.cycle.last) << row.name;
        std::vector<std::tuple<int, long long, int>> used;
        for (std::size_t i = 0; i < days.size(); ++i) {
            if (days[i].connections > 0 || days[i].seconds > 0) {
                used.emplace_back(static_cast<int>(i), days[i].seconds, days[i].connections);
            }
        }
        EXPECT_EQ(used, row.used) << row.name;
    }
}

TEST(ChartTest, ThePaceSpreadsTheAllowanceOverTheDays) {
    const std::tuple<int, int, long long> rows[] = {
        {100, 31, 11612}, {744, 31, 86400}, {1, 28, 128}, {0, 31, 0}, {100, 0, 0}};
    for (const auto& [hours, days, pace] : rows) {
        EXPECT_EQ(PaceSeconds(PlanSettings{hours, 1, LimitAction::Ask}, days), pace)
            << hours << " hours over " << days << " days";
    }
}

TEST(ChartTest, TheScaleRoundsUpToWholeHoursInAtMostSixSteps) {
    struct Row {
        long long longest;
        long long pace;
        long long topHours;
        long long stepHours;
    };
    const Row rows[] = {{0, 0, 1, 1},        {1, 0, 1, 1},           {3600, 0, 1, 1},
                        {3601, 0, 2, 1},     {0, 11612, 4, 1},       {5 * 3600, 0, 5, 1},
                        {7 * 3600, 0, 8, 2}, {13 * 3600, 0, 15, 3},  {86400, 0, 24, 4},
                        {90000, 0, 30, 6},   {73 * 3600, 0, 96, 24}, {1000 * 3600, 0, 1152, 192}};
    for (const Row& row : rows) {
        const ChartScale scale = ScaleFor(Days({2026, 12, 1}, 2, {{1, row.longest}}), row.pace);
        EXPECT_EQ(scale.topSeconds, row.topHours * 3600) << row.longest << " " << row.pace;
        EXPECT_EQ(scale.stepSeconds, row.stepHours * 3600) << row.longest << " " << row.pace;
    }
}

// An area of 340 x 220 whose texts leave a plot of 296 x 200 at (40, 6).
const ChartRect kArea{0, 0, 340, 220};
const ChartMargins kMargins{40, 6, 4, 14, 14};
const ChartRect kPlot{40, 6, 336, 206};

TEST(ChartTest, BarsStandInTheirColumnsUpToTheirTime) {
    struct Row {
        const char* name;
        std::vector<DayUsage> days;
        Date today;
        long long pace;
        std::vector<std::pair<int, ChartBar>> bars; // some of them, by index
        std::optional<int> paceY;
        std::size_t gridLines;
        int labelEvery;
    };
    const Date first{2026, 12, 1};
    // clang-format off
    const Row rows[] = {
        {"one day of two hours, no allowance", Days(first, 1, {{0, 7200}}), first, 0,
         {{0, {{172, 6, 204, 206}, false}}}, std::nullopt, 3, 1},
        {"31 days, today the 10th, 100 hours", Days(first, 31, {{0, 6 * 3600}, {9, 3600}}),
         {2026, 12, 10}, 11612,
         {{0, {{41, 6, 48, 206}, false}}, {9, {{126, 173, 134, 206}, false}},
          {10, {{136, 98, 144, 206}, true}}, {30, {{327, 98, 335, 206}, true}}}, 98, 7, 2},
        {"days to come without an allowance reach the top", Days(first, 31, {{0, 600}}), first, 0,
         {{0, {{41, 173, 48, 206}, false}}, {1, {{50, 6, 58, 206}, true}}}, std::nullopt, 2, 2},
        {"a minute on a day's scale still shows", Days(first, 2, {{0, 60}, {1, 86400}}),
         {2026, 12, 2}, 0,
         {{0, {{98, 205, 130, 206}, false}}, {1, {{246, 6, 278, 206}, false}}}, std::nullopt, 7, 1},
    };
    // clang-format on
    for (const Row& row : rows) {
        const ChartScale scale = ScaleFor(row.days, row.pace);
        const ChartGeometry geometry =
            LayOutChart(row.days, row.today, scale, row.pace, kArea, kMargins);
        EXPECT_EQ(geometry.plot, kPlot) << row.name;
        ASSERT_EQ(geometry.columns.size(), row.days.size()) << row.name;
        // The columns fill the plot without gaps.
        EXPECT_EQ(geometry.columns.front().left, kPlot.left) << row.name;
        EXPECT_EQ(geometry.columns.back().right, kPlot.right) << row.name;
        for (const auto& [index, bar] : row.bars) {
            EXPECT_EQ(geometry.bars[static_cast<std::size_t>(index)].rect, bar.rect)
                << row.name << ", day " << index;
            EXPECT_EQ(geometry.bars[static_cast<std::size_t>(index)].toCome, bar.toCome)
                << row.name << ", day " << index;
        }
        EXPECT_EQ(geometry.paceY, row.paceY) << row.name;
        ASSERT_EQ(geometry.gridY.size(), row.gridLines) << row.name;
        EXPECT_EQ(geometry.gridY.front(), kPlot.bottom) << row.name;
        EXPECT_EQ(geometry.gridY.back(), kPlot.top) << row.name;
        EXPECT_EQ(geometry.labelEvery, row.labelEvery) << row.name;
    }
}

TEST(ChartTest, TheDayUnderThePointerIsTheColumnThatHoldsIt) {
    const std::vector<DayUsage> days = Days({2026, 12, 1}, 31);
    const ChartGeometry geometry =
        LayOutChart(days, {2026, 12, 1}, ScaleFor(days, 0), 0, kArea, kMargins);
    const std::pair<int, std::optional<int>> rows[] = {{0, std::nullopt},
                                                       {39, std::nullopt},
                                                       {40, 0},
                                                       {48, 0},
                                                       {49, 1},
                                                       {200, 16},
                                                       {325, 29},
                                                       {326, 30},
                                                       {335, 30},
                                                       {336, std::nullopt},
                                                       {INT_MIN, std::nullopt}};
    for (const auto& [x, day] : rows) {
        EXPECT_EQ(DayAt(geometry, x), day) << "x " << x;
    }
}

TEST(ChartTest, TextsAroundTheChart) {
    const Date today{2026, 12, 9};
    const auto day = [](int dayOfMonth, long long seconds, int connections) {
        return DayUsage{{2026, 12, dayOfMonth}, connections, seconds};
    };
    const std::pair<std::string, std::string> rows[] = {
        {DayLine(day(8, 2 * 3600 + 15 * 60 + 59, 3), today), "12月8日：上网 2小时15分，3 次连接"},
        {DayLine(day(9, 1800, 1), today), "12月9日（今天）：上网 0小时30分，1 次连接"},
        {DayLine(day(9, 0, 0), today), "12月9日（今天）：没有上网"},
        {DayLine(day(1, 0, 0), today), "12月1日：没有上网"},
        {DayLine(day(1, 0, 1), today), "12月1日：上网 0小时0分，1 次连接"},
        {DayLine(day(10, 0, 0), today), "12月10日：还没到"},
        {ChartHeading(kDecember, PlanSettings{}), "2026年12月1日—12月31日"},
        {ChartHeading(kDecember, PlanSettings{100, 1, LimitAction::Ask}),
         "2026年12月1日—12月31日，套餐 100小时，平均每天 3小时13分（虚线）"},
        {ChartHeading(CycleOf({2027, 1, 3}, 15), PlanSettings{744, 15, LimitAction::Ask}),
         "2026年12月15日—2027年1月14日，套餐 744小时，平均每天 24小时0分（虚线）"},
        {HourLabel(0), "0"},
        {HourLabel(4 * 3600), "4小时"},
    };
    for (const auto& [shown, expected] : rows) {
        EXPECT_EQ(shown, expected);
    }
}

} // namespace
} // namespace plan
