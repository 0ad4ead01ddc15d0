#include "dialer/PlanWatch.h"

#include <gtest/gtest.h>

namespace dialer {
namespace {

const plan::PlanSettings kOneHour{1, 1, true}; // 80 % at 2880 s, 90 % at 3240 s, 100 % at 3600 s
const plan::PlanSettings kOneHourNoAsk{1, 1, false};
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
    EXPECT_EQ(CycleRecordSeconds(records, kDecember), 160);
    EXPECT_EQ(CycleRecordSeconds({}, kDecember), 0);
}

TEST(NextPlanStepTest, BalloonsBelowTheLimitAndTheQuestionAtIt) {
    EXPECT_EQ(NextPlanStep(kOneHour, 2879, 0).warning, PlanWarning::None);
    const PlanStep eighty = NextPlanStep(kOneHour, 2880, 0);
    EXPECT_EQ(eighty.warning, PlanWarning::Balloon);
    EXPECT_EQ(eighty.level, 80);
    EXPECT_EQ(NextPlanStep(kOneHour, 3240, 80).level, 90);
    const PlanStep limit = NextPlanStep(kOneHour, 3600, 90);
    EXPECT_EQ(limit.warning, PlanWarning::HangUpQuestion);
    EXPECT_EQ(limit.level, 100);
    // Not asked for: the limit comes as a balloon too.
    const PlanStep quiet = NextPlanStep(kOneHourNoAsk, 3600, 90);
    EXPECT_EQ(quiet.warning, PlanWarning::Balloon);
    EXPECT_EQ(quiet.level, 100);
    EXPECT_EQ(NextPlanStep(kOneHour, 99999, 100).warning, PlanWarning::None);
    EXPECT_EQ(NextPlanStep(plan::PlanSettings{}, 99999, 0).warning, PlanWarning::None);
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

} // namespace
} // namespace dialer
