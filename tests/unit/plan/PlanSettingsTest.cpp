#include "plan/PlanSettings.h"

#include <gtest/gtest.h>

#include "store/IniDocument.h"
#include "tests/unit/store/RecordingStore.h"

namespace plan {
namespace {

struct FieldCase {
    const char* typed;
    bool valid;
    int value;
};

void PrintTo(const FieldCase& c, std::ostream* out) {
    *out << '"' << c.typed << '"';
}

class HoursFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(HoursFieldTest, AcceptsWholeHoursFrom0To744) {
    const FieldCase& c = GetParam();
    const FieldValue field = ReadHoursField(c.typed);
    EXPECT_EQ(field.valid, c.valid);
    if (c.valid) {
        EXPECT_EQ(field.value, c.value);
        EXPECT_EQ(field.message, "");
    } else {
        EXPECT_EQ(field.message, "请输入 0 到 744 之间的整数小时数（0 表示不限）。");
    }
}

INSTANTIATE_TEST_SUITE_P(Typed, HoursFieldTest,
                         ::testing::Values(FieldCase{"0", true, 0}, FieldCase{"744", true, 744},
                                           FieldCase{" 12 ", true, 12},
                                           FieldCase{"\t100", true, 100}, FieldCase{"007", true, 7},
                                           FieldCase{"１２", true, 12},
                                           FieldCase{"　７４４　", true, 744},
                                           FieldCase{"1２", true, 12}, FieldCase{"", false, 0},
                                           FieldCase{"   ", false, 0}, FieldCase{"abc", false, 0},
                                           FieldCase{"12h", false, 0}, FieldCase{"745", false, 0},
                                           FieldCase{"-1", false, 0}, FieldCase{"+5", false, 0},
                                           FieldCase{"1.5", false, 0}, FieldCase{"1 2", false, 0},
                                           FieldCase{"0x10", false, 0}, FieldCase{"十", false, 0},
                                           FieldCase{"99999999999999999999999", false, 0}));

TEST(FirstDayFieldTest, AcceptsDays1To31) {
    EXPECT_EQ(ReadFirstDayField("1").value, 1);
    EXPECT_EQ(ReadFirstDayField(" 28").value, 28);
    EXPECT_EQ(ReadFirstDayField("１５").value, 15);
    EXPECT_EQ(ReadFirstDayField("29").value, 29);
    EXPECT_EQ(ReadFirstDayField("31").value, 31);
    for (const char* bad : {"", "0", "32", "-3", "x"}) {
        const FieldValue field = ReadFirstDayField(bad);
        EXPECT_FALSE(field.valid) << bad;
        EXPECT_EQ(field.message,
                  "每期起始日请输入 1 到 31 之间的整数（月份没有这一天时从月末开始）。")
            << bad;
    }
}

TEST(PlanSettingsTest, AFileWithoutThePlanMeansNoAllowance) {
    const PlanSettings plan = LoadPlanSettings(store::IniDocument("[Option]\r\nPos=0\r\n"));
    EXPECT_FALSE(plan.HasAllowance());
    EXPECT_EQ(plan.firstDay, 1);
    EXPECT_EQ(plan.atLimit, LimitAction::Ask);
}

TEST(PlanSettingsTest, SavedInASectionOfItsOwnInOneWriteAndReadBack) {
    store::IniDocument file("[Option]\r\nPos=2\r\n[Memory]\r\nMaxDataNumber=1\r\n");
    store::testing::RecordingStore recorded(file);
    ASSERT_TRUE(SavePlanSettings(recorded, PlanSettings{100, 15, LimitAction::Warn}));
    EXPECT_EQ(recorded.calls.size(), 1u);
    EXPECT_EQ(file.Bytes(), "[Option]\r\nPos=2\r\n[Memory]\r\nMaxDataNumber=1\r\n"
                            "[Plan]\r\nHours=100\r\nFirstDay=15\r\nAskAtLimit=False\r\n"
                            "AtLimit=Warn\r\n");
    const PlanSettings plan = LoadPlanSettings(file);
    EXPECT_EQ(plan.hours, 100);
    EXPECT_EQ(plan.AllowanceSeconds(), 360000);
    EXPECT_EQ(plan.firstDay, 15);
    EXPECT_EQ(plan.atLimit, LimitAction::Warn);

    recorded.failWritesFrom = 0;
    EXPECT_FALSE(SavePlanSettings(recorded, PlanSettings{}));
}

// Read from the new key, else from the older one; saved to both, AskAtLimit "True" only for
// asking, so that an older version asks or not as before.
TEST(PlanSettingsTest, TheActionAtTheLimitKeepsTheOlderKeyInStep) {
    struct Row {
        const char* lines; // of [Plan]
        LimitAction read;
    };
    const Row rows[] = {
        {"", LimitAction::Ask},
        {"AskAtLimit=False\r\n", LimitAction::Warn}, // as an older version saved it
        {"AskAtLimit=True\r\n", LimitAction::Ask},
        {"AskAtLimit=no\r\n", LimitAction::Ask}, // only "False" turns asking off
        {"AtLimit=HangUp\r\nAskAtLimit=False\r\n", LimitAction::HangUp},
        {"AtLimit=hangup\r\n", LimitAction::HangUp},
        {"AtLimit=Warn\r\nAskAtLimit=True\r\n", LimitAction::Warn}, // the new key wins
        {"AtLimit=Ask\r\nAskAtLimit=False\r\n", LimitAction::Ask},
        {"AtLimit=Stop\r\nAskAtLimit=False\r\n", LimitAction::Warn}, // unknown: the older key
        {"AtLimit=\r\n", LimitAction::Ask},
    };
    for (const Row& row : rows) {
        const store::IniDocument file(std::string("[Plan]\r\n") + row.lines);
        EXPECT_EQ(LoadPlanSettings(file).atLimit, row.read) << row.lines;

        store::IniDocument saved;
        ASSERT_TRUE(SavePlanSettings(saved, PlanSettings{10, 1, row.read}));
        EXPECT_EQ(LoadPlanSettings(saved).atLimit, row.read) << row.lines;
        EXPECT_EQ(store::testing::StoredValue(saved, "Plan", "AskAtLimit"),
                  row.read == LimitAction::Ask ? "True" : "False");
    }
}

TEST(PlanSettingsTest, HandEditedValuesOutOfRangeReadAsTheDefaults) {
    const PlanSettings plan = LoadPlanSettings(
        store::IniDocument("[Plan]\r\nHours=745\r\nFirstDay=32\r\nAskAtLimit=no\r\n"));
    EXPECT_EQ(plan.hours, 0);
    EXPECT_EQ(plan.firstDay, 1);
    EXPECT_EQ(plan.atLimit, LimitAction::Ask);

    const PlanSettings odd = LoadPlanSettings(
        store::IniDocument("[plan]\r\nhours=-5\r\nfirstday=0x10\r\naskatlimit=FALSE\r\n"));
    EXPECT_EQ(odd.hours, 0);
    EXPECT_EQ(odd.firstDay, 1);
    EXPECT_EQ(odd.atLimit, LimitAction::Warn);
}

} // namespace
} // namespace plan
