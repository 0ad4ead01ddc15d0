#include "plan/PlanTexts.h"

#include <climits>
#include <string>
#include <vector>

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
const Date kFifth{2026, 12, 5}; // 5 days of 31 gone, 27 left
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
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, kUsed, kFifth),
              "本期（12月1日—12月31日）已上网 23小时14分，套餐 100小时，剩余 76小时46分（23%）"
              "；按目前速度本期将用 144小时；今后每天可用 2小时50分");
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, 103 * 3600 + 20 * 60, kFifth),
              "本期（12月1日—12月31日）已上网 103小时20分，套餐 100小时，已超出 3小时20分（103%）"
              "；按目前速度本期将用 640小时；本期套餐已用完");
    EXPECT_EQ(CycleLine(kDecember, PlanSettings{}, kUsed, kFifth),
              "本期（12月1日—12月31日）已上网 23小时14分");
    EXPECT_EQ(CycleLine(CycleOf({2027, 1, 3}, 15), PlanSettings{}, 0, {2027, 1, 3}),
              "本期（12月15日—1月14日）已上网 0小时0分");
}

TEST(PlanTextsTest, TheShareReaches100OnlyWhenTheAllowanceIsUsedUp) {
    EXPECT_EQ(SharePercent(kHundredHours, 100 * 3600 - 1), 99);
    EXPECT_EQ(CycleLine(kDecember, kHundredHours, 100 * 3600 - 1, kFifth),
              "本期（12月1日—12月31日）已上网 99小时59分，套餐 100小时，剩余 0小时0分（99%）"
              "；按目前速度本期将用 619小时；今后每天可用 0小时0分");
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

// What the line adds as the cycle goes on; the figures themselves are plan/Budget's.
TEST(PlanTextsTest, ThePaceTheDailyBudgetAndTheCostEndTheCycleLine) {
    PlanSettings costing = kHundredHours;
    costing.feeCents = 3000;
    costing.hourPriceCents = 300;
    costing.overage = Overage::ProRata;
    PlanSettings feeOnly;
    feeOnly.feeCents = 3000;
    feeOnly.hourPriceCents = 300;
    const std::string dates = "本期（12月1日—12月31日）已上网 ";
    const struct {
        PlanSettings plan;
        long long used;
        Date today;
        std::string line;
    } rows[] = {
        {kHundredHours,
         0,
         {2026, 12, 1},
         dates + "0小时0分，套餐 100小时，剩余 100小时0分（0%）；今后每天可用 3小时13分"},
        {kHundredHours, 0, kFifth,
         dates + "0小时0分，套餐 100小时，剩余 100小时0分（0%）；今后每天可用 3小时42分"},
        {kHundredHours,
         99 * 3600,
         {2026, 12, 31},
         dates + "99小时0分，套餐 100小时，剩余 1小时0分（99%）；按目前速度本期将用 99小时；"
                 "今后每天可用 1小时0分"},
        {kHundredHours,
         101 * 3600,
         {2026, 12, 1},
         dates + "101小时0分，套餐 100小时，已超出 1小时0分（101%）；本期套餐已用完"},
        {feeOnly, kUsed, kFifth, dates + "23小时14分；本期费用约 30.00 元"},
        {costing, 103 * 3600 + 20 * 60, kFifth,
         dates + "103小时20分，套餐 100小时，已超出 3小时20分（103%）；按目前速度本期将用 "
                 "640小时；本期套餐已用完；本期费用约 40.00 元"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CycleLine(kDecember, row.plan, row.used, row.today), row.line);
    }
}

// A table without corrections and costs has the columns it always had.
TEST(PlanTextsTest, TheTableAddsColumnsOnlyForWhatIsUsed) {
    PlanSettings costing = kHundredHours;
    costing.feeCents = 3000;
    const CycleUsage plain{kDecember, 12, kUsed};
    const CycleUsage corrected{kDecember, 12, kUsed, 90 * 60};
    using C = CycleColumn;
    const std::vector<C> four = {C::Cycle, C::Connections, C::Used, C::Share};
    EXPECT_EQ(CycleColumns({plain}, kHundredHours), four);
    std::vector<C> withElsewhere = four;
    withElsewhere.push_back(C::Elsewhere);
    EXPECT_EQ(CycleColumns({plain, corrected}, kHundredHours), withElsewhere);
    withElsewhere.push_back(C::Cost);
    EXPECT_EQ(CycleColumns({corrected}, costing), withElsewhere);

    const char* const headings[] = {"计费周期", "连接次数",   "上网时间",
                                    "占套餐",   "含其他地方", "费用（元）"};
    const CycleCells cells = CycleRow(corrected, costing);
    const char* const shown[] = {
        "2026年12月1日—12月31日", "12", "24小时44分", "24%", "1小时30分", "30.00"};
    for (std::size_t i = 0; i < withElsewhere.size(); ++i) {
        EXPECT_STREQ(CycleHeading(withElsewhere[i]), headings[i]);
        EXPECT_EQ(CycleCell(cells, withElsewhere[i]), shown[i]);
    }
    EXPECT_EQ(CycleRow(plain, kHundredHours).elsewhere, "");
    EXPECT_EQ(CycleRow(plain, kHundredHours).cost, "");
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
    const Balloon eighty = WarningBalloon(80, kHundredHours, 80 * 3600 + 59, kDecember, kFifth);
    EXPECT_EQ(eighty.title, "本期套餐时间已用 80%");
    EXPECT_EQ(eighty.text, "本期套餐 100小时，已上网 80小时0分，剩余 19小时59分。"
                           "按目前速度本期将用 496小时，今后每天可用 0小时44分。");
    // The pace comes once, with the first warning.
    EXPECT_EQ(WarningBalloon(90, kHundredHours, 90 * 3600, kDecember, kFifth).text,
              "本期套餐 100小时，已上网 90小时0分，剩余 10小时0分。");
    for (int level : {80, 90, 100}) {
        const Balloon balloon = WarningBalloon(level, PlanSettings{744, 1, LimitAction::Ask},
                                               LLONG_MAX, kDecember, {2026, 12, 2});
        EXPECT_LE(Cp936Bytes(balloon.title), kBalloonTitleBytes);
        EXPECT_LE(Cp936Bytes(balloon.text), kBalloonTextBytes);
    }
}

} // namespace
} // namespace plan
