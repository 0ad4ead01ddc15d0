// Appending, reading and clearing the connection records in a settings file, and the running
// connection saved beside them.

#include "store/ConnectionRecord.h"

#include <gtest/gtest.h>

#include <random>

#include "store/IniDocument.h"
#include "store/SettingsFile.h"
#include "store/SettingsKeys.h"
#include "tests/unit/store/RecordingStore.h"
#include "tests/unit/store/TempDir.h"

namespace store {
namespace {

using testing::RecordingStore;
using testing::StoredValue;
using testing::TempDir;
using testing::WriteBytes;

const LocalTime kHangUp{2003, 9, 3, 15, 9, 51};

class RecordStoreTest : public ::testing::Test {
protected:
    IniDocument settings;
};

TEST_F(RecordStoreTest, TheFirstAppendOnNoFileWritesCounterOneAndDataOneInOneWrite) {
    RecordingStore recording(settings);
    const AppendedRecord record = AppendConnectionRecord(recording, kHangUp, 3725);
    EXPECT_EQ(record.number, 1);
    EXPECT_EQ(record.text, "2003-9-3,3725@15:9:51");
    EXPECT_TRUE(record.written);
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber", "read Running/Record 2", "read Running/Process 2",
        "batch Memory/MaxDataNumber=1, Data/data[1]=2003-9-3,3725@15:9:51"};
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
    // One write: there is no second one to fail.
    RecordingStore secondFails(settings);
    secondFails.failWritesFrom = 1;
    EXPECT_TRUE(AppendConnectionRecord(secondFails, kHangUp, 1).written);
    TempDir dir;
    WriteBytes(dir.File("plain"), "x");
    SettingsFile unwritable(SystemFileBytes(), dir.File("plain") + "/corvantile.ini");
    EXPECT_FALSE(AppendConnectionRecord(unwritable, kHangUp, 1).written);
}

// The counter would wrap to data[-2147483648], or a negative one give data[-4]: keys no reader
// lists. The record goes one past the highest record instead, and stays listed.
TEST_F(RecordStoreTest, AHandEditedCounterAtTheTopOrBelowZeroNumbersOnFromTheRecords) {
    for (const std::string counter : {"2147483647", "-5"}) {
        SCOPED_TRACE(counter);
        settings = IniDocument("[Memory]\r\nMaxDataNumber=" + counter +
                               "\r\n[Data]\r\ndata[1]=2003-9-1,1@1:1:1\r\ndata[2]=2003-9-2,2@2:2:2"
                               "\r\ndata[3]=\r\n");
        const AppendedRecord record = AppendConnectionRecord(settings, kHangUp, 1);
        EXPECT_EQ(record.number, 3);
        EXPECT_TRUE(record.written);
        EXPECT_EQ(ReadConnectionRecords(settings),
                  (std::vector<std::string>{"2003-9-1,1@1:1:1", "2003-9-2,2@2:2:2",
                                            "2003-9-3,1@15:9:51"}));
    }
    settings = IniDocument("[Memory]\r\nMaxDataNumber=-1\r\n");
    EXPECT_EQ(AppendConnectionRecord(settings, kHangUp, 1).number, 1);
    // No number is left above a record at the top: nothing is overwritten, the append fails.
    settings = IniDocument("[Memory]\r\nMaxDataNumber=-1\r\n[Data]\r\ndata[2147483647]=x\r\n");
    const std::string before = settings.Bytes();
    EXPECT_FALSE(AppendConnectionRecord(settings, kHangUp, 1).written);
    EXPECT_EQ(settings.Bytes(), before);
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
    EXPECT_TRUE(ClearConnectionRecords(recording));
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber", "section Data",
        "batch Memory/MaxDataNumber=, Data/data[1]=, Data/data[2]=, Data/data[3]="};
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
    EXPECT_TRUE(ClearConnectionRecords(recording));
    EXPECT_EQ(recording.calls, std::vector<std::string>{"int Memory/MaxDataNumber"});
}

// The old clear wrote the counter and data[i] for every i up to the counter, adding the keys
// that were missing: a counter of two thousand million never finished. Now only existing keys
// are emptied, and a failed write is reported.
TEST_F(RecordStoreTest, ClearingAHugeCounterEmptiesOnlyTheKeysThatExist) {
    const std::string records =
        "[Data]\r\ndata[1]=2003-9-3,1@1:1:1\r\ndata[7]=2003-9-3,7@7:7:7\r\n";
    settings = IniDocument("[Memory]\r\nMaxDataNumber=2000000000\r\n" + records);
    RecordingStore recording(settings);
    EXPECT_TRUE(ClearConnectionRecords(recording));
    EXPECT_EQ(settings.Bytes(), "[Memory]\r\nMaxDataNumber=\r\n[Data]\r\ndata[1]=\r\ndata[7]=\r\n");
    EXPECT_EQ(recording.writes.size(), 3u);

    settings = IniDocument("[Memory]\r\nMaxDataNumber=7\r\n" + records);
    RecordingStore failing(settings);
    failing.failWritesFrom = 0;
    EXPECT_FALSE(ClearConnectionRecords(failing));
}

// The one-pass clear leaves every file as the old loop of writes did, less the keys the loop
// added: counter empty, the first of each existing data[1] ... data[n] empty, nothing else
// changed.
TEST_F(RecordStoreTest, ClearingInOnePassMatchesTheOldLoopOnRandomFiles) {
    std::mt19937 random(4101);
    auto number = [&](int limit) { return static_cast<int>(random() % limit); };
    const std::vector<std::string> keyForms = {"data[", "DATA[", " data[", "data [", ";data["};
    const std::vector<std::string> counters = {"4", "9", " 0x6 ", "\"5\"", "-2", "", "30", "3x"};
    const std::vector<std::string> sections = {"Data", "data", "Memory", "Other"};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        for (int s = 0, sectionCount = 1 + number(4); s < sectionCount; ++s) {
            bytes += "[" + sections[random() % sections.size()] + "]" + (number(3) ? "\r\n" : "\n");
            if (number(2) == 0) {
                bytes += "MaxDataNumber=" + counters[random() % counters.size()] + "\r\n";
            }
            for (int k = 0, keyCount = number(12); k < keyCount; ++k) {
                bytes += keyForms[random() % keyForms.size()] + std::to_string(number(12)) + "]";
                bytes += number(6) == 0 ? "\r\n" : number(2) ? "=2003-9-3,1@1:1:1\r\n" : " = \r\n";
                if (number(8) == 0) {
                    bytes += "\r\n";
                }
            }
        }
        IniDocument oneWrite(bytes);
        ClearConnectionRecords(oneWrite);

        IniDocument loop(bytes);
        const int count = loop.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
        for (int i = 1; i <= count; ++i) {
            loop.Set(keys::kMemory, keys::kMaxDataNumber, "");
            IniDocument written = loop;
            written.Set(keys::kData, RecordKey(i), "");
            // A write that added a key lists one more entry in the section.
            if (written.Section(keys::kData).size() == loop.Section(keys::kData).size()) {
                loop = written;
            }
        }
        ASSERT_EQ(oneWrite.Bytes(), loop.Bytes()) << "file:\n" << bytes;
    }
}

// Binary bytes, NULs, a line of a MiB and a duplicated key around the records: they read as
// the platform reads them, and appending and clearing work around the garbage.
TEST_F(RecordStoreTest, GarbageLinesAroundTheRecordsLeaveThemReadableAndWritable) {
    const std::string garbage =
        std::string("\x00\xFF\x81=\x01\r\n", 6) + std::string(1 << 20, 'x') + "\r\n\x1a\x7f[\r\n";
    settings = IniDocument(garbage + "[Memory]\r\nMaxDataNumber=2\r\n[Data]\r\n" +
                           std::string("\x02\x00=\x03\r\n", 6) +
                           "data[1]=2003-9-3,1@1:1:1\r\ndata[1]=2003-9-3,9@9:9:9\r\n" +
                           std::string(1 << 20, '=') + "\r\ndata[2]=2003-9-3,2@2:2:2\r\n");
    EXPECT_EQ(ReadConnectionRecords(settings),
              (std::vector<std::string>{"2003-9-3,1@1:1:1", "2003-9-3,2@2:2:2"}));
    EXPECT_EQ(AppendConnectionRecord(settings, kHangUp, 3).number, 3);
    EXPECT_EQ(ReadConnectionRecords(settings).size(), 3u);
    EXPECT_TRUE(ClearConnectionRecords(settings));
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());
    EXPECT_EQ(settings.Bytes().substr(0, garbage.size()), garbage);
    EXPECT_EQ(StoredValue(settings, "Data", "data[1]"), "");
    EXPECT_EQ(settings.Section("Data")[2].second, "2003-9-3,9@9:9:9"); // the hidden duplicate
}

TEST_F(RecordStoreTest, TheRunningConnectionIsSavedInAKeyOfItsOwn) {
    AppendConnectionRecord(settings, kHangUp, 5);
    const std::string before = settings.Bytes();
    RecordingStore recording(settings);
    EXPECT_TRUE(SaveRunningConnection(recording, {2003, 9, 4, 10, 0, 0}, 60));
    EXPECT_TRUE(SaveRunningConnection(recording, {2003, 9, 4, 10, 1, 0}, 120));
    EXPECT_EQ(recording.writes, (std::vector<std::string>{"Running/Record", "Running/Record"}));
    EXPECT_EQ(settings.Bytes(), before + "[Running]\r\nRecord=2003-9-4,120@10:1:0\r\n");
    EXPECT_EQ(ReadConnectionRecords(settings), std::vector<std::string>{"2003-9-3,5@15:9:51"});
}

TEST_F(RecordStoreTest, AHangUpWritesCounterAndRecordWithTheRunningEntryGoneInOneWrite) {
    SaveRunningConnection(settings, {2003, 9, 3, 15, 9, 0}, 60, ProcessIdentity{40, 7});
    RecordingStore recording(settings);
    EXPECT_TRUE(AppendConnectionRecord(recording, kHangUp, 111).written);
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber", "read Running/Record 2", "read Running/Process 2",
        "batch Memory/MaxDataNumber=1, Data/data[1]=2003-9-3,111@15:9:51, Running/Record "
        "removed, Running/Process removed"};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(), "[Running]\r\n[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                                "data[1]=2003-9-3,111@15:9:51\r\n");
    EXPECT_FALSE(RecoverRunningConnection(settings));
}

TEST_F(RecordStoreTest, ASavedRunningConnectionIsRecoveredOnceInOneWrite) {
    AppendConnectionRecord(settings, kHangUp, 5);
    SaveRunningConnection(settings, {2003, 9, 4, 10, 1, 0}, 120);
    RecordingStore recording(settings);
    const std::optional<AppendedRecord> recovered = RecoverRunningConnection(recording);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->number, 2);
    EXPECT_EQ(recovered->text, "2003-9-4,120@10:1:0");
    EXPECT_TRUE(recovered->written);
    EXPECT_EQ(recording.calls.back(),
              "batch Memory/MaxDataNumber=2, Data/data[2]=2003-9-4,120@10:1:0, "
              "Running/Record removed");
    EXPECT_EQ(ReadConnectionRecords(settings),
              (std::vector<std::string>{"2003-9-3,5@15:9:51", "2003-9-4,120@10:1:0"}));
    EXPECT_FALSE(RecoverRunningConnection(settings));

    // An entry that holds no record is dropped without one.
    settings.Set(keys::kRunning, keys::kRunningRecord, "garbage");
    EXPECT_FALSE(RecoverRunningConnection(settings));
    EXPECT_FALSE(settings.Find(keys::kRunning, keys::kRunningRecord));
    EXPECT_EQ(ReadConnectionRecords(settings).size(), 2u);
}

// Killed before the hang-up's one write: counter and records as they were, and the running
// entry still there; the next start records it.
TEST_F(RecordStoreTest, AKillBeforeTheWriteOfAHangUpCountsTheConnectionOnce) {
    AppendConnectionRecord(settings, kHangUp, 5);
    SaveRunningConnection(settings, {2003, 9, 4, 10, 1, 0}, 120);
    RecordingStore killed(settings);
    killed.failWritesFrom = 0;
    EXPECT_FALSE(AppendConnectionRecord(killed, {2003, 9, 4, 10, 1, 30}, 150).written);
    EXPECT_EQ(settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0), 1);
    ASSERT_TRUE(RecoverRunningConnection(settings));
    EXPECT_EQ(ReadConnectionRecords(settings),
              (std::vector<std::string>{"2003-9-3,5@15:9:51", "2003-9-4,120@10:1:0"}));
    EXPECT_EQ(settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0), 2);
}

class FakeProcesses : public ProcessTable {
public:
    ProcessIdentity Current() const override { return {1, 1}; }
    bool IsRunning(const ProcessIdentity& process) const override {
        return process == ProcessIdentity{40, 7};
    }
};

// Another copy sharing the file (fast user switching on XP) keeps its live connection: a start
// recovers a saved one only when the process that saved it is gone.
TEST_F(RecordStoreTest, ASavedConnectionIsRecoveredOnlyWhenItsProcessIsGone) {
    const FakeProcesses processes;
    struct Row {
        const char* process; // the saved [Running] Process, or none
        bool recovered;
    };
    for (const Row& row : {Row{"40,7", false}, Row{"40,8", true}, Row{"41,7", true},
                           Row{nullptr, true}, Row{"40", true}, Row{"x,7", true}}) {
        SCOPED_TRACE(row.process ? row.process : "(none)");
        settings = IniDocument();
        SaveRunningConnection(settings, {2003, 9, 4, 10, 1, 0}, 120);
        if (row.process) {
            settings.Set(keys::kRunning, keys::kRunningProcess, row.process);
        }
        const std::string before = settings.Bytes();
        EXPECT_EQ(RecoverRunningConnection(settings, &processes).has_value(), row.recovered);
        if (row.recovered) {
            EXPECT_FALSE(settings.Find(keys::kRunning, keys::kRunningProcess));
            EXPECT_EQ(ReadConnectionRecords(settings).size(), 1u);
        } else {
            EXPECT_EQ(settings.Bytes(), before);
        }
    }
    EXPECT_EQ(ParseProcessIdentity(FormatProcessIdentity({4294967295u, 133500000000000000u})),
              (ProcessIdentity{4294967295u, 133500000000000000u}));
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
