#include "dialer/PlanWatch.h"

#include <utility>

#include <gtest/gtest.h>

namespace dialer {
namespace {

// 80 % at 2880 s, 90 % at 3240 s, 100 % at 3600 s
const plan::PlanSettings kOneHour{1, 1, plan::LimitAction::Ask};
const plan::PlanSettings kOneHourNoAsk{1, 1, plan::LimitAction::Warn};
const plan::PlanSettings kOneHourHangUp{1, 1, plan::LimitAction::HangUp};
const plan::Cycle kDecember = plan::CycleOf({2026, 12, 8}, 1);

TEST(PlanTrayTipTest, TheProgramsNameAndWithAnAllowanceWhatRemains) {
    EXPECT_EQ(PlanTrayTip(plan::PlanSettings{}, 5000), "拨号网络计时器");
    EXPECT_EQ(PlanTrayTip(kOneHour, 3000), "拨号网络计时器\n本期剩余 0小时10分");
    EXPECT_EQ(PlanTrayTip(kOneHour, 3600 + 120), "拨号网络计时器\n本期已超出 0小时2分");
}

TEST(CycleRecordSecondsTest, OnlyTheCyclesPartOfEachRecord) {
    const std::vector<std::string> records = {
        "2026-12-5,100@10:0:0", // in the cycle
        "2026-11-20,50@10:0:0", // before it
        "2026-12-1,120@0:1:0",  // began a minute before the cycle: 60 s of it count
        "garbage",              // unreadable: counted nowhere
        "2027-1-1,30@1:0:0",    // after it
    };
    EXPECT_EQ(CycleRecordSeconds(records, kDecember, plan::PlanSettings{}), 160);
    EXPECT_EQ(CycleRecordSeconds({}, kDecember, plan::PlanSettings{}), 0);
}

TEST(NextPlanStepTest, BalloonsBelowTheLimitAndThePlansActionAtIt) {
    struct Row {
        plan::PlanSettings plan;
        long long used;
        int warnedLevel;
        bool overLimitAllowed;
        PlanWarning warning;
        int level;
    };
    const Row rows[] = {
        {kOneHour, 2879, 0, false, PlanWarning::None, 0},
        {kOneHour, 2880, 0, false, PlanWarning::Balloon, 80},
        {kOneHour, 3240, 80, false, PlanWarning::Balloon, 90},
        {kOneHour, 3600, 90, false, PlanWarning::HangUpQuestion, 100},
        {kOneHour, 3600, 90, true, PlanWarning::HangUpQuestion, 100}, // asking stays asking
        // Not asked for: the limit comes as a balloon too.
        {kOneHourNoAsk, 3600, 90, false, PlanWarning::Balloon, 100},
        {kOneHourHangUp, 3240, 80, false, PlanWarning::Balloon, 90},
        {kOneHourHangUp, 3600, 90, false, PlanWarning::HangUpNow, 100},
        {kOneHourHangUp, 3300, 0, false, PlanWarning::Balloon, 90},
        // Dialed over the used-up allowance with the user's consent.
        {kOneHourHangUp, 3600, 90, true, PlanWarning::Balloon, 100},
        {kOneHour, 99999, 100, false, PlanWarning::None, 0},
        {kOneHourHangUp, 99999, 100, false, PlanWarning::None, 0},
        {plan::PlanSettings{}, 99999, 0, false, PlanWarning::None, 0},
    };
    for (const Row& row : rows) {
        const PlanStep step =
            NextPlanStep(row.plan, row.used, row.warnedLevel, row.overLimitAllowed);
        EXPECT_EQ(step.warning, row.warning) << row.used << " over " << row.overLimitAllowed;
        EXPECT_EQ(step.level, row.level) << row.used;
    }
}

TEST(PlanWatchTest, EachWarningOnceAsTheRunningSecondsAddUp) {
    PlanWatch watch;
    EXPECT_EQ(watch.Step(1000000).warning, PlanWarning::None); // nothing loaded yet
    watch.Load(kOneHour, kDecember, 2870, 0);
    EXPECT_EQ(watch.Used(5), 2875);
    EXPECT_EQ(watch.Step(9).warning, PlanWarning::None);
    EXPECT_EQ(watch.Step(10).level, 80);
    EXPECT_EQ(watch.Step(11).warning, PlanWarning::None);
    EXPECT_EQ(watch.WarnedLevel(), 80);
    EXPECT_EQ(watch.Step(370).level, 90);
    EXPECT_EQ(watch.Step(730).warning, PlanWarning::HangUpQuestion);
    // Answered No: the connection goes on without a second question.
    EXPECT_EQ(watch.Step(731).warning, PlanWarning::None);
    EXPECT_EQ(watch.Step(5000).warning, PlanWarning::None);
}

TEST(PlanWatchTest, ALevelWarnedBeforeARestartStaysQuiet) {
    PlanWatch watch;
    watch.Load(kOneHour, kDecember, 2900, 80);
    EXPECT_EQ(watch.Step(0).warning, PlanWarning::None);
    EXPECT_EQ(watch.Step(340).level, 90);
}

TEST(PlanWatchTest, ConnectingPastTwoLevelsGivesOneWarningTheHigher) {
    PlanWatch watch;
    watch.Load(kOneHour, kDecember, 3300, 0);
    const PlanStep step = watch.Step(0);
    EXPECT_EQ(step.warning, PlanWarning::Balloon);
    EXPECT_EQ(step.level, 90);
    EXPECT_EQ(watch.Step(1).warning, PlanWarning::None);
}

TEST(PlanWatchTest, ALoadAfterAPlanChangeStartsFromWhatItIsGiven) {
    PlanWatch watch;
    watch.Load(kOneHour, kDecember, 3000, 80);
    watch.Load(plan::PlanSettings{}, kDecember, 3000, 80); // the allowance removed
    EXPECT_FALSE(watch.Plan().HasAllowance());
    EXPECT_EQ(watch.Step(10000).warning, PlanWarning::None);
    EXPECT_TRUE(watch.CycleNow() == kDecember);
}

TEST(PlanWatchTest, TheConsentToGoOverLastsThroughAPlanChangeButNotIntoTheNextCycle) {
    PlanWatch watch;
    watch.Load(kOneHourHangUp, kDecember, 3600, 0);
    watch.AllowOverLimit(true);
    watch.Load(kOneHourHangUp, kDecember, 3600, 0); // the plan saved again while connected
    EXPECT_EQ(watch.Step(0).warning, PlanWarning::Balloon);

    watch.Load(kOneHourHangUp, plan::CycleAfter(kDecember, 1), 3600, 0);
    EXPECT_FALSE(watch.OverLimitAllowed());
    EXPECT_EQ(watch.Step(0).warning, PlanWarning::HangUpNow);
}

// Per minute with half an hour used elsewhere: the records, and the running connection on
// each tick, are counted as the ISP counts them.
TEST(PlanWatchTest, TheRunningConnectionIsRoundedAsTheRecordsAre) {
    plan::PlanSettings perMinute = kOneHour;
    perMinute.billing = plan::Billing::PerMinute;
    perMinute.corrections = {{{2026, 12, 1}, 30}};
    const std::vector<std::string> records = {"2026-12-5,61@10:0:0", "2026-12-1,120@0:1:0"};
    const long long recorded = CycleRecordSeconds(records, kDecember, perMinute);
    EXPECT_EQ(recorded, 120 + 60 + 1800);
    PlanWatch watch;
    watch.Load(perMinute, kDecember, recorded, 0);
    const std::pair<long long, long long> used[] = {{0, 1980}, {1, 2040}, {60, 2040}, {61, 2100}};
    for (const auto& [running, counted] : used) {
        EXPECT_EQ(watch.Used(running), counted) << running;
    }
    // 80 % (2880 s) is reached with the minute begun at 840 s.
    EXPECT_EQ(watch.Step(840).warning, PlanWarning::None);
    EXPECT_EQ(watch.Step(841).level, 80);
}

} // namespace
} // namespace dialer
