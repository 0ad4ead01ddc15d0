#include "plan/CsvExport.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/unit/store/MemoryFiles.h"
#include "tests/unit/store/TempDir.h"

namespace plan {
namespace {

TEST(CsvExportTest, OneRowPerConnectionInTheOrderLogged) {
    EXPECT_EQ(ExportCsv({"2003-9-3,3725@15:9:51", "2003-9-4,1800@0:10:0", "2003-9-5,0@0:0:0"}),
              "日期,开始时间,下线时间,秒数,时长\r\n"
              "2003-09-03,14:07:46,15:09:51,3725,1:02:05\r\n"
              "2003-09-04,2003-09-03 23:40:00,00:10:00,1800,0:30:00\r\n"
              "2003-09-05,00:00:00,00:00:00,0,0:00:00\r\n");
    EXPECT_EQ(ExportCsv({}), "日期,开始时间,下线时间,秒数,时长\r\n");
}

TEST(CsvExportTest, UnreadableRecordsKeepTheirPartsAsStored) {
    EXPECT_EQ(ExportCsv({"2024-2-30,60@1:2:3", "2024-1-1,5@1:2:3,\"x\"", "=HYPERLINK(1),@-2+3",
                         "texts without separators"}),
              "日期,开始时间,下线时间,秒数,时长\r\n"
              "2024-2-30,,1:2:3,60,\r\n"
              "2024-1-1,,\"1:2:3,\"\"x\"\"\",5,\r\n"
              "'=HYPERLINK(1),,'-2+3,,\r\n");
}

// A spreadsheet skips blanks before it looks for a formula: a stored part it would run gets a
// leading ', one it would show as text stays as it is.
TEST(CsvExportTest, StoredPartsASpreadsheetWouldRunAreGuarded) {
    struct Row {
        const char* stored; // the date part of an unreadable record
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
        EXPECT_EQ(ExportCsv({std::string(row.stored) + ",x@y"}),
                  std::string(kCsvHeading) + "\r\n" + row.exported + ",,y,x,\r\n")
            << "stored " << row.stored;
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
