#include "plan/PlanSettings.h"

#include <utility>
#include <vector>

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

TEST(PlanFieldsTest, EachFieldTakesItsRangeAndNamesItOtherwise) {
    const struct {
        FieldValue (*read)(std::string_view);
        std::vector<std::pair<const char*, int>> accepted;
        std::vector<const char*> refused;
        const char* message;
    } rows[] = {
        // clang-format off
        {ReadFirstDayField, {{"1", 1}, {" 28", 28}, {"１５", 15}, {"29", 29}, {"31", 31}},
         {"", "0", "32", "-3", "x"},
         "每期起始日请输入 1 到 31 之间的整数（月份没有这一天时从月末开始）。"},
        {ReadUnitMinutesField, {{"1", 1}, {"60", 60}, {" ６ ", 6}}, {"", "0", "61", "1.5"},
         "计费单位请输入 1 到 60 之间的整数分钟数。"},
        {ReadElsewhereHoursField, {{"0", 0}, {"744", 744}}, {"", "745", "-1"},
         "本期已在其他地方使用的小时数请输入 0 到 744 之间的整数。"},
        {ReadElsewhereMinutesField, {{"0", 0}, {"59", 59}}, {"", "60"},
         "本期已在其他地方使用的分钟数请输入 0 到 59 之间的整数。"},
        {ReadFeeField,
         {{"12.50", 1250}, {"12.5", 1250}, {"12", 1200}, {"0", 0}, {"0.05", 5}, {"007.10", 710},
          {" 9999.99 ", 999999}, {"１２．５０", 1250}, {"１２.5", 1250}},
         {"", "10000", "9999.991", "12.", ".5", "12.345", "-1", "+1", "1,5", "1 2", "12.5x",
          "12..5", "１２．", "99999999999999999999999"},
         "月租请输入 0 到 9999.99 之间的金额（元，最多两位小数）。"},
        {ReadHourPriceField, {{"999.99", 99999}, {"3", 300}}, {"1000", ""},
         "超出部分每小时的费用请输入 0 到 999.99 之间的金额（元，最多两位小数）。"},
        // clang-format on
    };
    for (const auto& row : rows) {
        for (const auto& [typed, value] : row.accepted) {
            const FieldValue field = row.read(typed);
            EXPECT_TRUE(field.valid && field.value == value && field.message.empty()) << typed;
        }
        for (const char* typed : row.refused) {
            const FieldValue field = row.read(typed);
            EXPECT_FALSE(field.valid) << typed;
            EXPECT_EQ(field.message, row.message) << typed;
        }
    }
}

TEST(PlanFieldsTest, CentsShowWithTwoDecimals) {
    for (const auto& [cents, shown] : std::vector<std::pair<long long, const char*>>{
             {0, "0.00"}, {5, "0.05"}, {1250, "12.50"}, {100, "1.00"}, {999999, "9999.99"}}) {
        EXPECT_EQ(FormatCents(cents), shown);
        EXPECT_EQ(CentsIn(shown, kMaxFeeCents), cents) << shown;
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

// A correction counts in the cycle that holds its date; setting a cycle's replaces what it held.
TEST(PlanSettingsTest, TimeUsedElsewhereBelongsToTheCycleHoldingItsDate) {
    PlanSettings plan;
    plan.corrections = {{{2026, 11, 1}, 60}, {{2026, 12, 1}, 30}, {{2026, 12, 10}, 15}};
    const Cycle december = CycleOf({2026, 12, 5}, 1);
    EXPECT_EQ(ElsewhereSeconds(plan, december), 45 * 60);
    EXPECT_EQ(ElsewhereSeconds(plan, CycleOf({2026, 11, 5}, 1)), 60 * 60);
    EXPECT_EQ(ElsewhereSeconds(plan, CycleOf({2026, 10, 5}, 1)), 0);

    SetElsewhereMinutes(plan, december, 20);
    ASSERT_EQ(plan.corrections.size(), 2u);
    EXPECT_EQ(plan.corrections[1].cycleFirst, (Date{2026, 12, 1}));
    EXPECT_EQ(ElsewhereSeconds(plan, december), 20 * 60);
    // Cycles from the 15th: the one from November 15th takes in December 1st.
    SetElsewhereMinutes(plan, CycleOf({2026, 12, 5}, 15), 5);
    ASSERT_EQ(plan.corrections.size(), 2u);
    EXPECT_EQ(plan.corrections[1].cycleFirst, (Date{2026, 11, 15}));
    EXPECT_EQ(plan.corrections[1].minutes, 5);
    // 0 removes it; the past cycle keeps its own.
    SetElsewhereMinutes(plan, CycleOf({2026, 12, 5}, 15), 0);
    ASSERT_EQ(plan.corrections.size(), 1u);
    EXPECT_EQ(plan.corrections[0].cycleFirst, (Date{2026, 11, 1}));
}

// The new settings are stored only when used, under keys older versions never read;
// [PlanCorrection] loses the dated keys the plan no longer holds and keeps the others.
TEST(PlanSettingsTest, CountingCostAndCorrectionsStoredWhenUsedAndReadBack) {
    store::IniDocument file("[PlanCorrection]\r\n2026-11-30=20\r\nnote=mine\r\n"
                            "2026-10-31=7\r\n2026-9-30=x\r\n");
    store::testing::RecordingStore recorded(file);
    PlanSettings plan = LoadPlanSettings(file);
    plan.hours = 100;
    plan.firstDay = 31;
    plan.atLimit = LimitAction::Warn;
    plan.billing = Billing::PerUnit;
    plan.unitMinutes = 6;
    plan.feeCents = 1250;
    plan.hourPriceCents = 300;
    plan.overage = Overage::ProRata;
    plan.corrections = {{{2026, 10, 31}, 5}, {{2026, 12, 31}, 90}};
    ASSERT_TRUE(SavePlanSettings(recorded, plan));
    EXPECT_EQ(recorded.calls.size(), 1u);
    EXPECT_EQ(file.Bytes(), "[PlanCorrection]\r\nnote=mine\r\n2026-10-31=5\r\n"
                            "2026-12-31=90\r\n"
                            "[Plan]\r\nHours=100\r\nFirstDay=31\r\nAskAtLimit=False\r\n"
                            "AtLimit=Warn\r\nBilling=Unit\r\nBillingUnit=6\r\n"
                            "MonthlyFee=12.50\r\nHourPrice=3.00\r\nOverage=ProRata\r\n");
    PlanSettings read = LoadPlanSettings(file);
    EXPECT_EQ(read.firstDay, 31);
    EXPECT_EQ(read.billing, Billing::PerUnit);
    EXPECT_EQ(read.BillingSeconds(), 360);
    EXPECT_EQ(read.feeCents, 1250);
    EXPECT_EQ(read.hourPriceCents, 300);
    EXPECT_EQ(read.overage, Overage::ProRata);
    ASSERT_EQ(read.corrections.size(), 2u);
    EXPECT_EQ(read.corrections[1].cycleFirst, (Date{2026, 12, 31}));
    EXPECT_EQ(read.corrections[1].minutes, 90);

    // Back to the defaults: their keys go, the section keeps what is not ours.
    read.billing = Billing::PerSecond;
    read.feeCents = read.hourPriceCents = 0;
    read.overage = Overage::PerStartedHour;
    read.corrections.clear();
    ASSERT_TRUE(SavePlanSettings(file, read));
    EXPECT_EQ(file.Bytes(), "[PlanCorrection]\r\nnote=mine\r\n"
                            "[Plan]\r\nHours=100\r\nFirstDay=31\r\nAskAtLimit=False\r\n"
                            "AtLimit=Warn\r\n");
}

TEST(PlanSettingsTest, HandEditedCountingCostAndCorrections) {
    const struct {
        const char* text;
        long long billingSeconds;
        int feeCents;
        Overage overage;
        long long decemberElsewhere;
    } rows[] = {
        {"", 1, 0, Overage::PerStartedHour, 0},
        {"[Plan]\r\nBilling=minute\r\nMonthlyFee=30\r\nOverage=prorata\r\n", 60, 3000,
         Overage::ProRata, 0},
        {"[Plan]\r\nBilling=Unit\r\nBillingUnit=15\r\n", 900, 0, Overage::PerStartedHour, 0},
        // Unreadable values read as the defaults.
        {"[Plan]\r\nBilling=Unit\r\nBillingUnit=61\r\nMonthlyFee=-1\r\nOverage=x\r\n", 1, 0,
         Overage::PerStartedHour, 0},
        {"[Plan]\r\nBilling=Hour\r\nMonthlyFee=1.234\r\n", 1, 0, Overage::PerStartedHour, 0},
        // The first of a date stored twice; bad dates and minutes left out.
        {"[PlanCorrection]\r\n2026-12-1=30\r\n2026-12-01=40\r\n2026-12-32=5\r\n"
         "2026-12-2=0\r\n2026-12-3=44700\r\n2026-12-4=x\r\n2026-12-5=44699\r\n",
         1, 0, Overage::PerStartedHour, (30 + 44699) * 60LL},
    };
    for (const auto& row : rows) {
        const PlanSettings plan = LoadPlanSettings(store::IniDocument(row.text));
        EXPECT_EQ(plan.BillingSeconds(), row.billingSeconds) << row.text;
        EXPECT_EQ(plan.feeCents, row.feeCents) << row.text;
        EXPECT_EQ(plan.overage, row.overage) << row.text;
        EXPECT_EQ(ElsewhereSeconds(plan, CycleOf({2026, 12, 9}, 1)), row.decemberElsewhere)
            << row.text;
    }
}

} // namespace
} // namespace plan
