#include "plan/CsvExport.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/unit/store/MemoryFiles.h"
#include "tests/unit/store/TempDir.h"

namespace plan {
namespace {

// Records without details.
std::vector<store::DetailedRecord> Plain(const std::vector<std::string>& records) {
    std::vector<store::DetailedRecord> plain;
    for (const std::string& record : records) {
        plain.push_back({record, std::nullopt});
    }
    return plain;
}

TEST(CsvExportTest, OneRowPerConnectionInTheOrderLogged) {
    EXPECT_EQ(
        ExportCsv(Plain({"2003-9-3,3725@15:9:51", "2003-9-4,1800@0:10:0", "2003-9-5,0@0:0:0"})),
        "日期,开始时间,下线时间,秒数,时长,连接名称,连接方式,接收字节,发送字节\r\n"
        "2003-09-03,14:07:46,15:09:51,3725,1:02:05,,,,\r\n"
        "2003-09-04,2003-09-03 23:40:00,00:10:00,1800,0:30:00,,,,\r\n"
        "2003-09-05,00:00:00,00:00:00,0,0:00:00,,,,\r\n");
    EXPECT_EQ(ExportCsv({}),
              "日期,开始时间,下线时间,秒数,时长,连接名称,连接方式,接收字节,发送字节\r\n");
}

TEST(CsvExportTest, UnreadableRecordsKeepTheirPartsAsStored) {
    EXPECT_EQ(ExportCsv(Plain({"2024-2-30,60@1:2:3", "2024-1-1,5@1:2:3,\"x\"",
                               "=HYPERLINK(1),@-2+3", "texts without separators"})),
              std::string(kCsvHeading) + "\r\n"
                                         "2024-2-30,,1:2:3,60,,,,,\r\n"
                                         "2024-1-1,,\"1:2:3,\"\"x\"\"\",5,,,,,\r\n"
                                         "'=HYPERLINK(1),,'-2+3,,,,,,\r\n");
}

// A spreadsheet skips blanks before it looks for a formula: a stored part or entry name it
// would run gets a leading ', one it would show as text stays as it is.
TEST(CsvExportTest, StoredPartsASpreadsheetWouldRunAreGuarded) {
    struct Row {
        const char* stored; // the date part of an unreadable record, and an entry name
        const char* exported;
    };
    const Row rows[] = {
        {"=1+1", "'=1+1"},
        {" =1+1", "' =1+1"},
        {"  +1", "'  +1"},
        {" \t-1", "' \t-1"},
        {"\v\f@SUM(A1)", "'\v\f@SUM(A1)"},
        {"\t1", "'\t1"},
        {" 2003-9-3", " 2003-9-3"},
        {"   ", "   "},
        {"2003=9", "2003=9"},
        {"", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ExportCsv(Plain({std::string(row.stored) + ",x@y"})),
                  std::string(kCsvHeading) + "\r\n" + row.exported + ",,y,x,,,,,\r\n")
            << "stored " << row.stored;
        const store::ConnectionDetail detail{row.stored, store::ConnectionOrigin::Dialed, 1, 2};
        EXPECT_EQ(ExportCsv({{"x,y@z", detail}}),
                  std::string(kCsvHeading) + "\r\nx,,z,y,," + row.exported + ",本程序拨号,1,2\r\n")
            << "entry " << row.stored;
    }
}

// The detail after the record's own columns, for a readable record and an unreadable one
// alike; what is not known stays empty.
TEST(CsvExportTest, EachRowEndsInItsConnectionsDetail) {
    using store::ConnectionOrigin;
    struct Row {
        store::ConnectionDetail detail;
        const char* fields;
    };
    const Row rows[] = {
        {{"ADSL", ConnectionOrigin::Dialed, 2048, 512}, "ADSL,本程序拨号,2048,512"},
        {{"ADSL", ConnectionOrigin::TakenOver, {}, {}}, "ADSL,接管,,"},
        {{"ADSL", ConnectionOrigin::TakenOver, 0, {}}, "ADSL,接管,0,"},
        {{"", ConnectionOrigin::Dialed, 18446744073709551615u, 1},
         ",本程序拨号,18446744073709551615,1"},
        {{"a,\"b\"", ConnectionOrigin::Dialed, {}, {}}, "\"a,\"\"b\"\"\",本程序拨号,,"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fields);
        EXPECT_EQ(
            ExportCsv({{"2003-9-3,3725@15:9:51", row.detail}, {"2024-2-30,60@1:2:3", row.detail}}),
            std::string(kCsvHeading) + "\r\n2003-09-03,14:07:46,15:09:51,3725,1:02:05," +
                row.fields + "\r\n2024-2-30,,1:2:3,60,," + row.fields + "\r\n");
    }
}

// A write that fails must not cost the user the export already there.
TEST(CsvFileTest, AFailedWriteLeavesTheOldFileAsItWas) {
    store::testing::MemoryFiles files;
    files.Put("kelvorin.csv", "old export");
    files.failReplaces = true;
    EXPECT_FALSE(WriteCsvFile(files, "kelvorin.csv", "new"));
    EXPECT_EQ(files.files["kelvorin.csv"], "old export");
    files.failReplaces = false;
    EXPECT_TRUE(WriteCsvFile(files, "kelvorin.csv", "new"));
    EXPECT_EQ(files.files["kelvorin.csv"], "\xEF\xBB\xBFnew");

    // The same on disk: the temporary file cannot be made, and the old one stays whole.
    store::testing::TempDir dir;
    const std::string path = dir.File("kelvorin.csv");
    store::testing::WriteBytes(path, "old export");
    std::filesystem::create_directory(store::TemporaryPath(path));
    EXPECT_FALSE(WriteCsvFile(store::SystemFileBytes(), path, "new"));
    EXPECT_EQ(store::testing::ReadBytes(path), "old export");
}

} // namespace
} // namespace plan
