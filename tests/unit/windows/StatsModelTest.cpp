#include "windows/StatsModel.h"

#include <climits>
#include <string>

#include <gtest/gtest.h>

namespace stats {
namespace {

TEST(StatsRowTest, SplitsARecordIntoItsThreeStoredTexts) {
    const auto row = RowFromRecord("2003-9-3,3725@15:9:51");
    ASSERT_TRUE(row);
    EXPECT_EQ(row->date, "2003-9-3");
    EXPECT_EQ(row->seconds, "3725");
    EXPECT_EQ(row->time, "15:9:51");

    // Only the first "," and the first "@" after it divide; later ones stay in the parts.
    const auto odd = RowFromRecord("2003@9-3,12,34@15@9:51");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->date, "2003@9-3");
    EXPECT_EQ(odd->seconds, "12,34");
    EXPECT_EQ(odd->time, "15@9:51");
}

TEST(StatsRowTest, SkipsValuesOfTenCharactersOrFewer) {
    EXPECT_FALSE(RowFromRecord(""));      // an emptied record
    EXPECT_FALSE(RowFromRecord("Error")); // a missing key's default
    EXPECT_FALSE(RowFromRecord("3-9-3,0@1:"));
    const auto eleven = RowFromRecord("3-9-3,0@1:2");
    ASSERT_TRUE(eleven);
    EXPECT_EQ(eleven->time, "1:2");
}

TEST(StatsRowTest, SkipsTextsOutsideTheRecordFormat) {
    EXPECT_FALSE(RowFromRecord("2003-9-3 3725 15:9:51"));  // no ","
    EXPECT_FALSE(RowFromRecord("2003-9-3,3725 15:9:51"));  // no "@"
    EXPECT_FALSE(RowFromRecord("15:9:51@2003-9-3,3725 ")); // "@" only before the ","
}

TEST(StatsRowTest, EmptyPartsAndOverLongPartsAreShownAsStored) {
    const auto noSeconds = RowFromRecord("2003-9-3,@15:9:51");
    ASSERT_TRUE(noSeconds);
    EXPECT_EQ(noSeconds->seconds, "");
    EXPECT_EQ(noSeconds->time, "15:9:51");

    const std::string longDate(150, '9');
    const std::string longTime(40, '1');
    const auto wide = RowFromRecord(longDate + ",5@" + longTime);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->date, longDate);
    EXPECT_EQ(wide->seconds, "5");
    EXPECT_EQ(wide->time, longTime);
}

TEST(SecondsValueTest, ReadsCellsAsAtoiDoes) {
    EXPECT_EQ(SecondsValue("3725"), 3725);
    EXPECT_EQ(SecondsValue("0"), 0);
    EXPECT_EQ(SecondsValue(""), 0);
    EXPECT_EQ(SecondsValue("abc"), 0);
    EXPECT_EQ(SecondsValue("  \t\r\n\v\f42"), 42);
    EXPECT_EQ(SecondsValue("+17"), 17);
    EXPECT_EQ(SecondsValue("-17"), -17);
    EXPECT_EQ(SecondsValue("12abc34"), 12);
    EXPECT_EQ(SecondsValue("007"), 7);
    EXPECT_EQ(SecondsValue("- 5"), 0);
    EXPECT_EQ(SecondsValue("+-5"), 0);
    EXPECT_EQ(SecondsValue("0x1A"), 0); // decimal only
}

TEST(SecondsValueTest, HugeNumbersStopAtTheEndsOfThe32BitRange) {
    EXPECT_EQ(SecondsValue("2147483647"), INT_MAX);
    EXPECT_EQ(SecondsValue("2147483648"), INT_MAX);
    EXPECT_EQ(SecondsValue("99999999999999999999999999999999"), INT_MAX);
    EXPECT_EQ(SecondsValue("-2147483648"), INT_MIN);
    EXPECT_EQ(SecondsValue("-2147483649"), INT_MIN);
    EXPECT_EQ(SecondsValue("-99999999999999999999999999999999"), INT_MIN);
}

TEST(SecondsTotalTest, AddsEveryCellWithoutWrapping) {
    SecondsTotal total;
    EXPECT_EQ(total.Value(), 0);
    total.Add("3600");
    total.Add("");
    total.Add("-600");
    total.Add("x");
    EXPECT_EQ(total.Value(), 3000);

    // Where a 32-bit sum would turn negative, this one keeps counting.
    SecondsTotal large;
    large.Add("2147483647");
    large.Add("2147483647");
    large.Add("99999999999");
    EXPECT_EQ(large.Value(), 3LL * INT_MAX);
    EXPECT_GT(large.Value(), 0);
}

TEST(TotalMessageTest, GivesSecondsMinutesAndHoursTruncated) {
    EXPECT_EQ(TotalMessage(3599), "截至目前，总共上网时间为：3599 秒，即59分钟！大约：0小时！");
    EXPECT_EQ(TotalMessage(7200), "截至目前，总共上网时间为：7200 秒，即120分钟！大约：2小时！");
    EXPECT_EQ(TotalMessage(0), "截至目前，总共上网时间为：0 秒，即0分钟！大约：0小时！");
    // Negative totals (hand-edited cells) truncate toward zero.
    EXPECT_EQ(TotalMessage(-3599), "截至目前，总共上网时间为：-3599 秒，即-59分钟！大约：0小时！");
}

TEST(TotalMessageTest, TotalsBeyondThe32BitRangeAreShownWhole) {
    EXPECT_EQ(TotalMessage(3LL * INT_MAX),
              "截至目前，总共上网时间为：6442450941 秒，即107374182分钟！大约：1789569小时！");
}

TEST(StatsColumnsTest, HeadingsAndWidthsOfTheThreeColumns) {
    EXPECT_STREQ(kColumns[0].heading, "拨号上网日期");
    EXPECT_EQ(kColumns[0].width, 120);
    EXPECT_STREQ(kColumns[1].heading, "精确上网时长(单位: 秒)");
    EXPECT_EQ(kColumns[1].width, 160);
    EXPECT_STREQ(kColumns[2].heading, "下线时间");
    EXPECT_EQ(kColumns[2].width, 100);
    EXPECT_EQ(kSecondsColumn, 1);
}

} // namespace
} // namespace stats
