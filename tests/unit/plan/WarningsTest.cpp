#include "plan/Warnings.h"

#include <gtest/gtest.h>

#include "store/IniDocument.h"

namespace plan {
namespace {

// 80 % at 28800 s, 90 % at 32400 s, 100 % at 36000 s
const PlanSettings kTenHours{10, 1, LimitAction::Ask};

TEST(DueWarningTest, EachLevelOnceAsTheCycleFillsUp) {
    EXPECT_EQ(DueWarning(kTenHours, 28799, 0), 0);
    EXPECT_EQ(DueWarning(kTenHours, 28800, 0), 80);
    EXPECT_EQ(DueWarning(kTenHours, 32399, 80), 0);
    EXPECT_EQ(DueWarning(kTenHours, 32400, 80), 90);
    EXPECT_EQ(DueWarning(kTenHours, 35999, 90), 0);
    EXPECT_EQ(DueWarning(kTenHours, 36000, 90), 100);
    EXPECT_EQ(DueWarning(kTenHours, 999999, 100), 0);
    // Started when the cycle is already past two levels: one warning, the higher.
    EXPECT_EQ(DueWarning(kTenHours, 34000, 0), 90);
}

TEST(DueWarningTest, NoAllowanceNeverWarns) {
    EXPECT_EQ(DueWarning(PlanSettings{}, 1000000000, 0), 0);
    EXPECT_FALSE(AsksBeforeDial(PlanSettings{}, 1000000000));
}

TEST(DueWarningTest, AnAllowanceChangedMidCycle) {
    // Raised after the 90 % warning: 80 % and 90 % of the new allowance stay quiet.
    const PlanSettings raised{20, 1, LimitAction::Ask};
    EXPECT_EQ(DueWarning(raised, 20 * 3600 * 95 / 100, 90), 0);
    EXPECT_EQ(DueWarning(raised, 20 * 3600, 90), 100);
    // Lowered after the 80 % warning so that 95 % is used: 90 % is due once.
    const PlanSettings lowered{8, 1, LimitAction::Ask};
    EXPECT_EQ(DueWarning(lowered, 8 * 3600 * 95 / 100, 80), 90);
    EXPECT_EQ(DueWarning(lowered, 8 * 3600 * 95 / 100, 90), 0);
}

TEST(DueWarningTest, DialingAsksOnceTheAllowanceIsUsedUp) {
    EXPECT_FALSE(AsksBeforeDial(kTenHours, 35999));
    EXPECT_TRUE(AsksBeforeDial(kTenHours, 36000));
    EXPECT_TRUE(AsksBeforeDial(PlanSettings{10, 1, LimitAction::Warn}, 40000));
}

const Cycle kDecember = CycleOf({2026, 12, 5}, 1);

TEST(WarnedLevelTest, KeptForTheCycleAcrossARestartAndFreshInTheNext) {
    store::IniDocument file;
    EXPECT_EQ(LoadWarnedLevel(file, kDecember), 0);
    ASSERT_TRUE(StoreWarnedLevel(file, kDecember, 90));
    EXPECT_EQ(LoadWarnedLevel(store::IniDocument(file.Bytes()), kDecember), 90);
    EXPECT_EQ(LoadWarnedLevel(file, CycleAfter(kDecember, 1)), 0);
    EXPECT_EQ(LoadWarnedLevel(file, CycleOf({2026, 12, 5}, 2)), 0); // first day changed
}

TEST(WarnedLevelTest, HandEditedValuesWarnAgain) {
    for (const char* text : {"[Plan]\r\nWarnedCycle=2026-12-1\r\nWarnedLevel=95\r\n",
                             "[Plan]\r\nWarnedCycle=2026-12-1\r\nWarnedLevel=abc\r\n",
                             "[Plan]\r\nWarnedCycle=2026-12-1x\r\nWarnedLevel=100\r\n",
                             "[Plan]\r\nWarnedLevel=100\r\n"}) {
        EXPECT_EQ(LoadWarnedLevel(store::IniDocument(text), kDecember), 0) << text;
    }
}

// A settings file whose writes of one key fail.
class FailingKey : public store::IniDocument {
public:
    using IniDocument::IniDocument;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        return key != failing && IniDocument::WriteString(section, key, value);
    }
    std::string failing;
};

TEST(WarnedLevelTest, AFailedWriteNeverSilencesTheNewCycle) {
    FailingKey file;
    ASSERT_TRUE(StoreWarnedLevel(file, kDecember, 100));
    const Cycle january = CycleAfter(kDecember, 1);
    file.failing = "WarnedLevel";
    EXPECT_FALSE(StoreWarnedLevel(file, january, 80));
    EXPECT_EQ(LoadWarnedLevel(file, january), 0);
    file.failing = "WarnedCycle";
    EXPECT_FALSE(StoreWarnedLevel(file, january, 80));
    EXPECT_EQ(LoadWarnedLevel(file, january), 0);
}

} // namespace
} // namespace plan
