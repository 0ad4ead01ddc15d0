#include "plan/Budget.h"

#include <climits>
#include <optional>

#include <gtest/gtest.h>

#include "tests/unit/plan/PlanPrinters.h"

namespace plan {
namespace {

constexpr long long kHour = 3600;
const PlanSettings kHundredHours{100, 1, LimitAction::Ask};

// Used / days gone x days of the cycle, and what remains / days left, today counted in both.
TEST(BudgetTest, ThePaceAndWhatEachDayMayStillUse) {
    const Cycle december = CycleOf({2026, 12, 1}, 1);
    const struct {
        PlanSettings plan;
        Cycle cycle;
        Date today;
        long long used;
        std::optional<long long> projected;
        std::optional<long long> daily;
    } rows[] = {
        // The first day tells no pace.
        {kHundredHours, december, {2026, 12, 1}, kHour, std::nullopt, 356400 / 31},
        {kHundredHours, december, {2026, 12, 31}, 90 * kHour, 90 * kHour, 10 * kHour},
        {kHundredHours, december, {2026, 12, 5}, 0, std::nullopt, 360000 / 27},
        {kHundredHours,
         december,
         {2026, 12, 10},
         31 * kHour,
         31 * 31 * kHour / 10,
         69 * kHour / 22},
        // February, 28 and 29 days; from the 31st a cycle of 28 days.
        {kHundredHours,
         CycleOf({2027, 2, 10}, 1),
         {2027, 2, 14},
         14 * kHour,
         28 * kHour,
         86 * kHour / 15},
        {kHundredHours,
         CycleOf({2028, 2, 10}, 1),
         {2028, 2, 29},
         29 * kHour,
         29 * kHour,
         71 * kHour},
        {kHundredHours,
         CycleOf({2027, 2, 20}, 31),
         {2027, 2, 13},
         7 * kHour,
         14 * kHour,
         93 * kHour / 15},
        // Used up: no budget; without an allowance only the pace.
        {kHundredHours, december, {2026, 12, 10}, 100 * kHour, 310 * kHour, std::nullopt},
        {kHundredHours, december, {2026, 12, 10}, 101 * kHour, 3131 * kHour / 10, std::nullopt},
        {PlanSettings{}, december, {2026, 12, 10}, kHour, 31 * kHour / 10, std::nullopt},
        // A day outside the cycle counts as its nearest.
        {kHundredHours, december, {2027, 1, 3}, 62 * kHour, 62 * kHour, 38 * kHour},
        // A hand-edited log of any size stays in range.
        {kHundredHours, december, {2026, 12, 2}, LLONG_MAX, LLONG_MAX, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(FormatDate(row.today) + " used " + std::to_string(row.used));
        EXPECT_EQ(ProjectedSeconds(row.cycle, row.today, row.used), row.projected);
        EXPECT_EQ(DailyBudgetSeconds(row.plan, row.cycle, row.today, row.used), row.daily);
    }
    EXPECT_EQ(DaysOfCycle(CycleOf({2024, 2, 29}, 31), {2024, 3, 1}).total, 31);
}

// The fee, and time beyond the allowance at the hour's price.
TEST(BudgetTest, TheCostInCents) {
    const struct {
        int hours;
        int fee;
        int price;
        Overage overage;
        long long used;
        long long cents;
    } rows[] = {
        {100, 0, 0, Overage::PerStartedHour, 120 * kHour, 0},
        {100, 3000, 300, Overage::PerStartedHour, 100 * kHour - 1, 3000},
        {100, 3000, 300, Overage::PerStartedHour, 100 * kHour, 3000},
        {100, 3000, 300, Overage::PerStartedHour, 100 * kHour + 1, 3300},
        {100, 3000, 300, Overage::PerStartedHour, 101 * kHour, 3300},
        {100, 3000, 300, Overage::PerStartedHour, 101 * kHour + 1, 3600},
        {100, 3000, 300, Overage::ProRata, 100 * kHour, 3000},
        {100, 3000, 300, Overage::ProRata, 100 * kHour + 5, 3000}, // 0.42 cents
        {100, 3000, 300, Overage::ProRata, 100 * kHour + 6, 3001}, // half a cent, up
        {100, 3000, 300, Overage::ProRata, 100 * kHour + 1800, 3150},
        {100, 3000, 300, Overage::ProRata, 101 * kHour, 3300},
        {100, 0, 1250, Overage::ProRata, 100 * kHour + 1200, 417},
        // No allowance: nothing is beyond it.
        {0, 3000, 300, Overage::PerStartedHour, 999 * kHour, 3000},
        {744, kMaxFeeCents, kMaxHourPriceCents, Overage::PerStartedHour, LLONG_MAX, LLONG_MAX},
        {744, kMaxFeeCents, kMaxHourPriceCents, Overage::ProRata, LLONG_MAX, LLONG_MAX},
    };
    for (const auto& row : rows) {
        PlanSettings plan{row.hours};
        plan.feeCents = row.fee;
        plan.hourPriceCents = row.price;
        plan.overage = row.overage;
        EXPECT_EQ(CostCents(plan, row.used), row.cents) << row.used;
    }
}

} // namespace
} // namespace plan
