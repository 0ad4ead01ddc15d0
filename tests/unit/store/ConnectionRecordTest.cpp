#include "store/ConnectionRecord.h"

#include <gtest/gtest.h>

namespace store {
namespace {

TEST(RecordTextTest, FormatUsesPlainDecimalsInDateSecondsTimeOrder) {
    EXPECT_EQ(FormatConnectionRecord({2003, 9, 3, 15, 9, 51}, 3725), "2003-9-3,3725@15:9:51");
    EXPECT_EQ(FormatConnectionRecord({2010, 12, 31, 0, 0, 0}, 0), "2010-12-31,0@0:0:0");
    EXPECT_EQ(FormatConnectionRecord({2024, 1, 2, 23, 59, 59}, 2147483647),
              "2024-1-2,2147483647@23:59:59");
}

TEST(RecordTextTest, ParseSplitsAtTheFirstCommaAndTheFirstAtAfterIt) {
    const auto parts = ParseConnectionRecord("2003-9-3,3725@15:9:51");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->date, "2003-9-3");
    EXPECT_EQ(parts->seconds, "3725");
    EXPECT_EQ(parts->time, "15:9:51");

    const auto odd = ParseConnectionRecord("a@b,c,d@e@f");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->date, "a@b");
    EXPECT_EQ(odd->seconds, "c,d");
    EXPECT_EQ(odd->time, "e@f");

    const auto noSeconds = ParseConnectionRecord("2003-9-3,@15:9:51");
    ASSERT_TRUE(noSeconds);
    EXPECT_EQ(noSeconds->seconds, "");
    EXPECT_EQ(noSeconds->time, "15:9:51");

    const auto emptyEnds = ParseConnectionRecord(",@");
    ASSERT_TRUE(emptyEnds);
    EXPECT_EQ(emptyEnds->date, "");
    EXPECT_EQ(emptyEnds->time, "");
}

TEST(RecordTextTest, ParseSkipsSecondBytesOfChineseCharactersThatLookLikeSeparators) {
    const std::string pair = "\x81\x40"; // one character whose second byte is "@"
    const auto parts = ParseConnectionRecord("2003-9-3" + pair + ",37" + pair + "25@15:9:51");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->date, "2003-9-3" + pair);
    EXPECT_EQ(parts->seconds, "37" + pair + "25");
    EXPECT_EQ(parts->time, "15:9:51");
    EXPECT_FALSE(ParseConnectionRecord("2003-9-3,3725" + pair));
}

TEST(RecordTextTest, ParseGivesNothingWithoutBothSeparators) {
    EXPECT_FALSE(ParseConnectionRecord("2003-9-3 3725 15:9:51"));
    EXPECT_FALSE(ParseConnectionRecord("2003-9-3,3725 15:9:51"));
    EXPECT_FALSE(ParseConnectionRecord("15:9:51@2003-9-3,3725")); // "@" only before the ","
    EXPECT_FALSE(ParseConnectionRecord(""));
}

TEST(RecordTextTest, FormattedRecordsParseBackToTheirNumbers) {
    const LocalTime at{1999, 12, 31, 23, 5, 7};
    const auto parts = ParseConnectionRecord(FormatConnectionRecord(at, 86399));
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->date, "1999-12-31");
    EXPECT_EQ(parts->seconds, "86399");
    EXPECT_EQ(parts->time, "23:5:7");
}

TEST(RecordTextTest, KeysAndTheRecordLengthThreshold) {
    EXPECT_EQ(RecordKey(1), "data[1]");
    EXPECT_EQ(RecordKey(10000), "data[10000]");
    EXPECT_FALSE(IsRecordText(""));
    EXPECT_FALSE(IsRecordText("Error"));
    EXPECT_FALSE(IsRecordText("3-9-3,0@1:")); // 10 characters
    EXPECT_TRUE(IsRecordText("3-9-3,0@1:2")); // 11 characters
}

} // namespace
} // namespace store
