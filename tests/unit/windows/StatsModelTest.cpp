#include "windows/StatsModel.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/ConnectionRecord.h"
#include "store/SettingsFile.h"
#include "tests/unit/store/MemoryFiles.h"

namespace stats {
namespace {

// The records in stored order (data[1] first), as the window's opening adds them: the last one
// ends on top.
void AddAll(RowTable& rows, const std::vector<std::string>& records) {
    for (const std::string& record : records) {
        rows.AddRecord(record);
    }
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

TEST(RowTableTest, NewestRowOnTopCellsAsStored) {
    RowTable rows;
    AddAll(rows, {"2003-9-3,3725@15:9:51", "Error", "", "2003-9-4 120 21:30:5",
                  "2003-9-4,120@21:30:5", "2003-9-5,@8:0:0"});
    ASSERT_EQ(rows.Size(), 3u);
    EXPECT_EQ(rows.Cell(0, 0), "2003-9-5");
    EXPECT_EQ(rows.Cell(0, 1), "");
    EXPECT_EQ(rows.Cell(0, 2), "8:0:0");
    EXPECT_EQ(rows.Cell(1, 1), "120");
    EXPECT_EQ(rows.Cell(2, 0), "2003-9-3");
    EXPECT_EQ(rows.Cell(2, 1), "3725");
    EXPECT_EQ(rows.Cell(2, 2), "15:9:51");
    // Each cell ends in a NUL, ready for the list.
    EXPECT_EQ(rows.Cell(2, 2).data()[rows.Cell(2, 2).size()], '\0');
    // A row added later goes on top.
    EXPECT_TRUE(rows.AddRecord("2003-9-6,6@6:6:6"));
    EXPECT_FALSE(rows.AddRecord("3-9-3,0@1:"));
    EXPECT_EQ(rows.Size(), 4u);
    EXPECT_EQ(rows.Cell(0, 0), "2003-9-6");
    EXPECT_EQ(rows.Cell(3, 0), "2003-9-3");
}

TEST(RowTableTest, CellsOutsideTheTableAreEmpty) {
    RowTable rows;
    EXPECT_EQ(rows.Cell(0, 0), "");
    rows.AddRecord("2003-9-3,3725@15:9:51");
    EXPECT_EQ(rows.Cell(1, 0), "");
    EXPECT_EQ(rows.Cell(0, 3), "");
    EXPECT_EQ(rows.Cell(0, -1), "");
    rows.Clear();
    EXPECT_EQ(rows.Size(), 0u);
    EXPECT_EQ(rows.Cell(0, 0), "");
    EXPECT_EQ(rows.TotalSeconds(), 0);
}

TEST(RowTableTest, RowsMatchTheRecordsPartsOverManyRecords) {
    std::vector<std::string> records;
    for (int i = 1; i <= 100000; ++i) {
        records.push_back(store::FormatConnectionRecord(
            {2003, 1 + i % 12, 1 + i % 28, i % 24, i % 60, i % 60}, i));
    }
    RowTable rows;
    AddAll(rows, records);
    ASSERT_EQ(rows.Size(), records.size());
    for (std::size_t row :
         {std::size_t{0}, std::size_t{1}, std::size_t{4711}, records.size() - 1}) {
        const std::optional<store::RecordParts> expected =
            store::SplitConnectionRecord(records[records.size() - 1 - row]);
        ASSERT_TRUE(expected);
        EXPECT_EQ(rows.Cell(row, 0), expected->date);
        EXPECT_EQ(rows.Cell(row, 1), expected->seconds);
        EXPECT_EQ(rows.Cell(row, 2), expected->time);
    }
    EXPECT_EQ(rows.TotalSeconds(), 100000LL * 100001 / 2);
}

TEST(RowTableTest, TotalCountsTheSecondsCellsAsTheTotalButtonDoes) {
    RowTable rows;
    AddAll(rows, {"2003-9-3,2147483647@15:9:51", "2003-9-4,99999999999@21:30:5",
                  "2003-9-5,  12abc@8:0:0", "2003-9-6,-600@8:0:0", "2003-9-7,x@8:0:0"});
    SecondsTotal expected;
    for (const char* cell : {"2147483647", "99999999999", "  12abc", "-600", "x"}) {
        expected.Add(cell);
    }
    EXPECT_EQ(rows.TotalSeconds(), expected.Value());
    EXPECT_EQ(rows.TotalSeconds(), 2LL * INT_MAX + 12 - 600);
}

class ResetRecordsTest : public ::testing::Test {
protected:
    static constexpr const char* kPath = "corvantile.ini";
    const std::string kFile = "[Memory]\r\nMaxDataNumber=2\r\n[Data]\r\n"
                              "data[1]=2003-9-3,3725@15:9:51\r\ndata[2]=2003-9-4,120@21:30:5\r\n";
    store::testing::MemoryFiles files;
    store::SettingsFile settings{files, kPath};
};

TEST_F(ResetRecordsTest, EmptiesTheRecordsOfAReadableFile) {
    files.Put(kPath, kFile);
    EXPECT_EQ(ResetRecords(settings), ResetOutcome::Cleared);
    EXPECT_EQ(settings.ReadString("Memory", "MaxDataNumber", "x", 200), "");
    EXPECT_EQ(settings.ReadString("Data", "data[2]", "x", 200), "");
    EXPECT_TRUE(store::ReadConnectionRecords(settings).empty());
}

TEST_F(ResetRecordsTest, ATooLargeOrUnreadableFileIsNeverWritten) {
    files.Put(kPath, kFile);
    files.claimedSize = store::SettingsFile::kLargestFileBytes + 1;
    EXPECT_EQ(ResetRecords(settings), ResetOutcome::FileUnusable);
    EXPECT_EQ(files.replaces, 0);

    files.claimedSize.reset();
    files.failReads = true;
    files.Put(kPath, kFile);
    EXPECT_EQ(ResetRecords(settings), ResetOutcome::FileUnusable);
    EXPECT_EQ(files.replaces, 0);
    EXPECT_EQ(files.files[kPath], kFile);
}

TEST_F(ResetRecordsTest, AFailedWriteIsReportedAndTheFileKept) {
    files.Put(kPath, kFile);
    files.failReplaces = true;
    EXPECT_EQ(ResetRecords(settings), ResetOutcome::WriteFailed);
    EXPECT_EQ(files.files[kPath], kFile);
    EXPECT_EQ(store::ReadConnectionRecords(settings).size(), 2u);
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
