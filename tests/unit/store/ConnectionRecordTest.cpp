#include "store/ConnectionRecord.h"

#include <array>
#include <climits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "plan/Usage.h"
#include "windows/StatsModel.h"

namespace store {
namespace {

TEST(RecordTextTest, FormatUsesPlainDecimalsInDateSecondsTimeOrder) {
    EXPECT_EQ(FormatConnectionRecord({2003, 9, 3, 15, 9, 51}, 3725), "2003-9-3,3725@15:9:51");
    EXPECT_EQ(FormatConnectionRecord({2010, 12, 31, 0, 0, 0}, 0), "2010-12-31,0@0:0:0");
    EXPECT_EQ(FormatConnectionRecord({2024, 1, 2, 23, 59, 59}, 2147483647),
              "2024-1-2,2147483647@23:59:59");
}

// One stored text through every reader of records: the split itself, the statistics list
// (which also skips values of 10 characters or fewer) and the plan (which also needs a real
// date and time).
struct SplitCase {
    std::string record;
    std::optional<std::array<std::string, 3>> parts; // date, seconds, time
    bool listed;                                     // a row of the statistics list
    bool counted;                                    // a connection the plan counts
};

const std::string kPair = "\x81\x40"; // one character whose second byte is "@"
const std::string kLongDate(150, '9');
const std::string kLongTime(40, '1');

const SplitCase kSplitCases[] = {
    {"2003-9-3,3725@15:9:51", {{"2003-9-3", "3725", "15:9:51"}}, true, true},
    // Only the first "," and the first "@" after it divide; later ones stay in the parts.
    {"a@b,c,d@e@f", {{"a@b", "c,d", "e@f"}}, true, false},
    {"2003@9-3,12,34@15@9:51", {{"2003@9-3", "12,34", "15@9:51"}}, true, false},
    {"2024-1-1,60@1:2:3@4", {{"2024-1-1", "60", "1:2:3@4"}}, true, false},
    // Empty parts are parts: a missing seconds count reads 0.
    {"2003-9-3,@15:9:51", {{"2003-9-3", "", "15:9:51"}}, true, true},
    {",@", {{"", "", ""}}, false, false},
    // A Chinese character's second byte is never a separator.
    {"2003-9-3" + kPair + ",37" + kPair + "25@15:9:51",
     {{"2003-9-3" + kPair, "37" + kPair + "25", "15:9:51"}},
     true,
     false},
    {"2003-9-3,3725" + kPair, std::nullopt, false, false},
    // Without both separators there are no parts.
    {"2003-9-3 3725 15:9:51", std::nullopt, false, false},
    {"2003-9-3,3725 15:9:51", std::nullopt, false, false},
    {"15:9:51@2003-9-3,3725", std::nullopt, false, false}, // "@" only before the ","
    {"15:9:51@2003-9-3,3725 ", std::nullopt, false, false},
    {"2024-1-1 60 1:2:3", std::nullopt, false, false},
    {"", std::nullopt, false, false},      // an emptied record
    {"Error", std::nullopt, false, false}, // a missing key's default
    // The list's threshold: 11 characters.
    {"3-9-3,0@1:", {{"3-9-3", "0", "1:"}}, false, false},
    {"3-9-3,0@1:2", {{"3-9-3", "0", "1:2"}}, true, false},
    // Parts longer than any record the program writes are kept whole.
    {kLongDate + ",5@" + kLongTime, {{kLongDate, "5", kLongTime}}, true, false},
};

TEST(RecordSplitTest, EveryReaderSplitsAtTheFirstCommaAndTheFirstAtAfterIt) {
    for (const SplitCase& test : kSplitCases) {
        SCOPED_TRACE(test.record);
        const std::optional<RecordParts> parts = SplitConnectionRecord(test.record);
        ASSERT_EQ(parts.has_value(), test.parts.has_value());
        stats::RowTable rows;
        EXPECT_EQ(rows.AddRecord(test.record), test.listed);
        EXPECT_EQ(plan::ReadConnection(test.record).has_value(), test.counted);
        if (!parts) {
            continue;
        }
        const std::array<std::string_view, 3> split = {parts->date, parts->seconds, parts->time};
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(split[column], (*test.parts)[column]) << "part " << column;
            // Views into the record, not copies.
            EXPECT_GE(split[column].data(), test.record.data());
            EXPECT_LE(split[column].data() + split[column].size(),
                      test.record.data() + test.record.size());
            if (test.listed) {
                EXPECT_EQ(rows.Cell(0, column), (*test.parts)[column]) << "cell " << column;
            }
        }
    }
}

TEST(RecordSplitTest, FormattedRecordsSplitBackToTheirNumbers) {
    const LocalTime at{1999, 12, 31, 23, 5, 7};
    const std::string record = FormatConnectionRecord(at, 86399);
    const auto parts = SplitConnectionRecord(record);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->date, "1999-12-31");
    EXPECT_EQ(parts->seconds, "86399");
    EXPECT_EQ(parts->time, "23:5:7");
}

// The seconds part as the statistics total adds it (atoi, clamped) and as the plan counts it
// (the same, but never negative).
struct SecondsCase {
    const char* part;
    int asRead;
    long long counted;
};

const SecondsCase kSecondsCases[] = {
    {"3725", 3725, 3725},
    {"0", 0, 0},
    {"007", 7, 7},
    {"", 0, 0},
    {"abc", 0, 0},
    {"  \t\r\n\v\f42", 42, 42},
    {" \t42", 42, 42},
    {"+17", 17, 17},
    {"-17", -17, 0},
    {"12abc34", 12, 12},
    {"12abc", 12, 12},
    {"- 5", 0, 0},
    {"+-5", 0, 0},
    {"0x1A", 0, 0}, // decimal only
    // Beyond the 32-bit range: the end of the range it passed.
    {"2147483647", INT_MAX, INT_MAX},
    {"2147483648", INT_MAX, INT_MAX},
    {"99999999999999999999999", INT_MAX, INT_MAX},
    {"99999999999999999999999999999999", INT_MAX, INT_MAX},
    {"-2147483648", INT_MIN, 0},
    {"-2147483649", INT_MIN, 0},
    {"-99999999999999999999999999999999", INT_MIN, 0},
};

TEST(SecondsAsReadTest, AtoiWithinThe32BitRangeAndThePlanCountsNothingNegative) {
    for (const SecondsCase& test : kSecondsCases) {
        SCOPED_TRACE(test.part);
        EXPECT_EQ(SecondsAsRead(test.part), test.asRead);
        EXPECT_EQ(plan::RecordSeconds(test.part), test.counted);
    }
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
