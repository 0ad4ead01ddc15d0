#include "plan/PlanTexts.h"

#include <climits>

#include <gtest/gtest.h>

namespace plan {
namespace {

// Bytes the text takes in code page 936, where the program runs: the native build keeps the
// sources' UTF-8, and every non-ASCII character used here is one double-byte character there.
std::size_t Cp936Bytes(const std::string& utf8) {
    std::size_t bytes = 0;
    for (unsigned char c : utf8) {
        if (c < 0x80) {
            bytes += 1;
        } else if (c >= 0xC0) {
            EXPECT_LT(c, 0xF0) << "outside the Basic Multilingual Plane";
            bytes += 2;
        }
    }
    return bytes;
}

const Cycle kDecember = CycleOf({2026, 12, 5}, 1);
const PlanSettings kHundredHours{100, 1, LimitAction::Ask};
constexpr long long kUsed = 23 * 3600 + 14 * 60; // 23小时14分

TEST(PlanTextsTest, HoursAndMinutesAreRoundedDown) {
    EXPECT_EQ(HoursMinutes(0), "0小时0分");
    EXPECT_EQ(HoursMinutes(59), "0小时0分");
    EXPECT_EQ(HoursMinutes(3599), "0小时59分");
    EXPECT_EQ(HoursMinutes(kUsed + 59), "23小时14分");
    EXPECT_EQ(HoursMinutes(1000 * 3600), "1000小时0分");
}

TEST(PlanTextsTest, TheCycleLineWithAndWithoutAnAllowance) {
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, kUsed),
              "本期（12月1日—12月31日）已上网 23小时14分，套餐 100小时，剩余 76小时46分（23%）");
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, 103 * 3600 + 20 * 60),
              "本期（12月1日—12月31日）已上网 103小时20分，套餐 100小时，已超出 3小时20分（103%）");
    EXPECT_EQ(CycleLine(kDecember, PlanSettings{}, kUsed),
              "本期（12月1日—12月31日）已上网 23小时14分");
    EXPECT_EQ(CycleLine(CycleOf({2027, 1, 3}, 15), PlanSettings{}, 0),
              "本期（12月15日—1月14日）已上网 0小时0分");
}

TEST(PlanTextsTest, TheShareReaches100OnlyWhenTheAllowanceIsUsedUp) {
    EXPECT_EQ(SharePercent(kHundredHours, 100 * 3600 - 1), 99);
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, 100 * 3600 - 1),
              "本期（12月1日—12月31日）已上网 99小时59分，套餐 100小时，剩余 0小时0分（99%）");
    EXPECT_EQ(SharePercent(kHundredHours, 100 * 3600), 100);
    EXPECT_EQ(SharePercent(PlanSettings{744, 1, LimitAction::Ask}, LLONG_MAX),
              LLONG_MAX / (744 * 36));
    EXPECT_EQ(SharePercent(PlanSettings{}, kUsed), 0);
}

TEST(PlanTextsTest, CycleTableCells) {
    EXPECT_EQ(CycleDates(kDecember), "2026年12月1日—12月31日");
    EXPECT_EQ(CycleDates(CycleOf({2026, 12, 20}, 15)), "2026年12月15日—2027年1月14日");

    const CycleUsage usage{kDecember, 12, kUsed};
    const CycleCells withPlan = CycleRow(usage, kHundredHours);
    EXPECT_EQ(withPlan.cycle, "2026年12月1日—12月31日");
    EXPECT_EQ(withPlan.connections, "12");
    EXPECT_EQ(withPlan.used, "23小时14分");
    EXPECT_EQ(withPlan.share, "23%");
    EXPECT_EQ(CycleRow(usage, PlanSettings{}).share, "");
}

TEST(PlanTextsTest, TheTrayTipTellsWhatRemainsAndAlwaysFits) {
    const std::string tip = "拨号网络计时器";
    EXPECT_EQ(TrayTipLine(PlanSettings{}, kUsed), "");
    EXPECT_EQ(TrayTipLine(kHundredHours, kUsed), "\n本期剩余 76小时46分");
    EXPECT_EQ(TrayTipLine(kHundredHours, 103 * 3600 + 20 * 60), "\n本期已超出 3小时20分");
    for (long long used : {0LL, LLONG_MAX}) {
        EXPECT_LE(Cp936Bytes(tip + TrayTipLine(PlanSettings{744, 1, LimitAction::Ask}, used)),
                  kTipBytes);
    }
}

TEST(PlanTextsTest, BalloonsSayWhatRemainsAndFitTheirFields) {
    const Balloon eighty = WarningBalloon(80, kHundredHours, 80 * 3600 + 59);
    EXPECT_EQ(eighty.title, "本期套餐时间已用 80%");
    EXPECT_EQ(eighty.text, "本期套餐 100小时，已上网 80小时0分，剩余 19小时59分。");
    for (int level : {80, 90, 100}) {
        const Balloon balloon =
            WarningBalloon(level, PlanSettings{744, 1, LimitAction::Ask}, LLONG_MAX);
        EXPECT_LE(Cp936Bytes(balloon.title), kBalloonTitleBytes);
        EXPECT_LE(Cp936Bytes(balloon.text), kBalloonTextBytes);
    }
}

} // namespace
} // namespace plan
