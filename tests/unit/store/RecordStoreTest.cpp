// Appending, reading and clearing the connection records in a settings file.

#include "store/ConnectionRecord.h"

#include <gtest/gtest.h>

#include <random>

#include "store/IniDocument.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "tests/unit/store/RecordingStore.h"
#include "tests/unit/store/TempDir.h"

namespace store {
namespace {

using testing::RecordingStore;
using testing::TempDir;
using testing::WriteBytes;

const LocalTime kHangUp{2003, 9, 3, 15, 9, 51};

class RecordStoreTest : public ::testing::Test {
protected:
    IniDocument settings;
};

TEST_F(RecordStoreTest, TheFirstAppendOnNoFileWritesCounterOneThenDataOne) {
    RecordingStore recording(settings);
    const AppendedRecord record = AppendConnectionRecord(recording, kHangUp, 3725);
    EXPECT_EQ(record.number, 1);
    EXPECT_EQ(record.text, "2003-9-3,3725@15:9:51");
    EXPECT_TRUE(record.written);
    const std::vector<std::string> calls = {"int Memory/MaxDataNumber",
                                            "write Memory/MaxDataNumber=1",
                                            "write Data/data[1]=2003-9-3,3725@15:9:51"};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(),
              "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\ndata[1]=2003-9-3,3725@15:9:51\r\n");
}

TEST_F(RecordStoreTest, AppendsNumberOnFromTheCounterAndReadInOrder) {
    AppendConnectionRecord(settings, kHangUp, 0);
    AppendConnectionRecord(settings, {2003, 9, 4, 8, 0, 5}, 60);
    const AppendedRecord third = AppendConnectionRecord(settings, {2003, 9, 5, 9, 1, 2}, 7);
    EXPECT_EQ(third.number, 3);
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 3);
    const std::vector<std::string> expected = {"2003-9-3,0@15:9:51", "2003-9-4,60@8:0:5",
                                               "2003-9-5,7@9:1:2"};
    EXPECT_EQ(ReadConnectionRecords(settings), expected);
}

TEST_F(RecordStoreTest, AnAppendReportsAFailedWrite) {
    RecordingStore counterFails(settings);
    counterFails.failWritesFrom = 0;
    EXPECT_FALSE(AppendConnectionRecord(counterFails, kHangUp, 1).written);
    RecordingStore recordFails(settings);
    recordFails.failWritesFrom = 1;
    EXPECT_FALSE(AppendConnectionRecord(recordFails, kHangUp, 1).written);
    TempDir dir;
    WriteBytes(dir.File("plain"), "x");
    IniFile unwritable(dir.File("plain") + "/corvantile.ini");
    EXPECT_FALSE(AppendConnectionRecord(unwritable, kHangUp, 1).written);
}

TEST_F(RecordStoreTest, AHandEditedCounterAtTheTopWrapsLikeA32BitCounter) {
    settings = IniDocument("[Memory]\r\nMaxDataNumber=2147483647\r\n");
    const AppendedRecord record = AppendConnectionRecord(settings, kHangUp, 1);
    EXPECT_EQ(record.number, -2147483647 - 1);
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());
}

TEST_F(RecordStoreTest, ReadingSkipsMissingEmptiedAndShortValuesAndCutsLongOnes) {
    const std::string longRecord = "2003-9-3,1@" + std::string(250, '9');
    settings = IniDocument("[Memory]\nMaxDataNumber=6\n[Data]\n"
                           "data[1]=2003-9-3,1@1:1:1\n"
                           "data[2]=\n"
                           "data[3]=3-9-3,0@1:\n"  // 10 characters
                           "data[5]=3-9-3,0@1:2\n" // 11 characters
                           "data[6]=" +
                           longRecord +
                           "\n"
                           "data[7]=2003-9-3,7@7:7:7\n"); // above the counter
    const std::vector<std::string> expected = {"2003-9-3,1@1:1:1", "3-9-3,0@1:2",
                                               longRecord.substr(0, 199)};
    EXPECT_EQ(ReadConnectionRecords(settings), expected);
}

TEST_F(RecordStoreTest, NoCounterMeansNoRecords) {
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());
    settings = IniDocument("[Memory]\nMaxDataNumber=\n[Data]\ndata[1]=2003-9-3,1@1:1:1\n");
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());
    settings = IniDocument("[Memory]\nMaxDataNumber=-1\n[Data]\ndata[1]=2003-9-3,1@1:1:1\n");
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());
}

TEST_F(RecordStoreTest, ReadingTakesTheSectionOnceWhateverTheCounter) {
    settings =
        IniDocument("[Memory]\nMaxDataNumber=2000000000\n[Data]\ndata[1]=2003-9-3,1@1:1:1\n");
    RecordingStore recording(settings);
    EXPECT_EQ(ReadConnectionRecords(recording).size(), 1u);
    const std::vector<std::string> calls = {"int Memory/MaxDataNumber", "section Data"};
    EXPECT_EQ(recording.calls, calls);
}

TEST_F(RecordStoreTest, ClearingEmptiesCounterAndRecordsButKeepsTheKeys) {
    for (int i = 0; i < 3; ++i) {
        AppendConnectionRecord(settings, kHangUp, i);
    }
    RecordingStore recording(settings);
    ClearConnectionRecords(recording);
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber",    "write Memory/MaxDataNumber=", "write Data/data[1]=",
        "write Memory/MaxDataNumber=", "write Data/data[2]=",         "write Memory/MaxDataNumber=",
        "write Data/data[3]="};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(),
              "[Memory]\r\nMaxDataNumber=\r\n[Data]\r\ndata[1]=\r\ndata[2]=\r\ndata[3]=\r\n");
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 0);
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());

    const AppendedRecord next = AppendConnectionRecord(settings, kHangUp, 9);
    EXPECT_EQ(next.number, 1);
    EXPECT_EQ(settings.Bytes(), "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                                "data[1]=2003-9-3,9@15:9:51\r\ndata[2]=\r\ndata[3]=\r\n");
    EXPECT_EQ(ReadConnectionRecords(settings), std::vector<std::string>{"2003-9-3,9@15:9:51"});
}

TEST_F(RecordStoreTest, ClearingWithoutACounterWritesNothing) {
    settings = IniDocument("[Data]\r\ndata[1]=2003-9-3,1@1:1:1\r\n");
    RecordingStore recording(settings);
    ClearConnectionRecords(recording);
    EXPECT_EQ(recording.calls, std::vector<std::string>{"int Memory/MaxDataNumber"});
}

// The one-read scan must give what data[1] ... data[n] read key by key (default "Error",
// 200-character buffer, more than 10 characters kept) give, on any file.
TEST_F(RecordStoreTest, ReadingMatchesKeyByKeyReadsOnRandomFiles) {
    std::mt19937 random(936);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto number = [&](int limit) { return static_cast<int>(random() % limit); };
    const std::vector<std::string> sectionNames = {"Data",  "data",   " DATA ", "Dat a",
                                                   "Data]", "Memory", "Other"};
    const std::vector<std::string> counters = {"3", "12", " 0x8 ", "\"7\"", "-2",
                                               "0", "",   "25abc", "0b11",  "'9'"};
    const std::vector<std::string> endings = {"\r\n", "\n", "\r"};
    auto valueText = [&]() {
        std::string value;
        const int length = chance(20) ? 190 + number(30) : number(24);
        for (int i = 0; i < length; ++i) {
            const int kind = number(10);
            if (kind == 0) {
                value += "\xD6\xD0"; // a double-byte character
            } else if (kind == 1) {
                value += chance(50) ? "\"" : "'";
            } else if (kind == 2) {
                value += chance(50) ? " " : "\t";
            } else {
                value += static_cast<char>('0' + number(10));
            }
        }
        if (chance(25)) {
            value = "\"" + value + "\"";
        }
        return value;
    };
    auto keyText = [&]() {
        std::string key = chance(15) ? "DATA[" : chance(10) ? "data [" : "data[";
        key += chance(5) ? "0" : "";
        key += std::to_string(number(20));
        key += "]";
        if (chance(5)) {
            key = ";" + key;
        }
        if (chance(10)) {
            key = "  " + key + " ";
        }
        return key;
    };

    for (int round = 0; round < 400; ++round) {
        std::string bytes;
        auto line = [&](const std::string& text) { bytes += text + endings[random() % 3]; };
        const int sectionCount = 1 + number(4);
        for (int s = 0; s < sectionCount; ++s) {
            line("[" + sectionNames[random() % sectionNames.size()] + "]");
            if (chance(40)) {
                line("MaxDataNumber=" + counters[random() % counters.size()]);
            }
            const int keyCount = number(25);
            for (int k = 0; k < keyCount; ++k) {
                if (chance(8)) {
                    line(keyText()); // no "="
                } else if (chance(5)) {
                    line("");
                } else {
                    line(keyText() + (chance(50) ? "=" : " = ") + valueText());
                }
            }
        }
        if (chance(30) && !bytes.empty()) {
            bytes.pop_back(); // no final line end
        }
        settings = IniDocument(bytes);

        std::vector<std::string> keyByKey;
        const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
        for (int i = 1; i <= count; ++i) {
            std::string value =
                settings.ReadString(keys::kData, RecordKey(i), "Error", kRecordBufferChars);
            if (IsRecordText(value)) {
                keyByKey.push_back(value);
            }
        }
        ASSERT_EQ(ReadConnectionRecords(settings), keyByKey) << "file:\n" << bytes;
    }
}

TEST_F(RecordStoreTest, ReadingTenThousandRecordsReadsTheFileTwice) {
    std::string bytes = "[Memory]\r\nMaxDataNumber=10000\r\n[Data]\r\n";
    for (int i = 1; i <= 10000; ++i) {
        bytes += RecordKey(i) + "=" + FormatConnectionRecord(kHangUp, i) + "\r\n";
    }
    settings = IniDocument(bytes);
    RecordingStore recording(settings);
    const std::vector<std::string> records = ReadConnectionRecords(recording);
    ASSERT_EQ(records.size(), 10000u);
    EXPECT_EQ(records.front(), "2003-9-3,1@15:9:51");
    EXPECT_EQ(records.back(), "2003-9-3,10000@15:9:51");
    EXPECT_EQ(recording.calls.size(), 2u);
}

} // namespace
} // namespace store
