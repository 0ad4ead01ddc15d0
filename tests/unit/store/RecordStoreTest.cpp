// Appending, reading and clearing the connection records in a settings file, and the running
// connection saved beside them.

#include "store/ConnectionRecord.h"

#include <gtest/gtest.h>

#include <array>
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
const ConnectionDetail kDialed{"ISP", ConnectionOrigin::Dialed, 2048, 512};
const RunningExtras kExtras{{"ISP", ConnectionOrigin::TakenOver, 10, 20}, 1062572400000};

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
        "int Memory/MaxDataNumber",
        "read DataDetail/data[1] 2",
        "read Running/Record 2",
        "read Running/Process 2",
        "read Running/Detail 2",
        "read Running/ConnectedAt 2",
        "batch Memory/MaxDataNumber=1, Data/data[1]=2003-9-3,3725@15:9:51"};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(),
              "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\ndata[1]=2003-9-3,3725@15:9:51\r\n");
}

// A record shows its own connection's detail or none, never one an earlier connection left
// under the same key (a counter set back by hand).
TEST_F(RecordStoreTest, AnAppendStoresItsDetailOrRemovesAStaleOneInTheSameWrite) {
    const ConnectionDetail trailingBlank{"ISP ", ConnectionOrigin::Dialed, {}, {}};
    struct Row {
        const ConnectionDetail* detail;
        const char* stale; // [DataDetail] data[1] before, or none
        const char* batchEnd;
        std::optional<std::string> stored;
    };
    const Row rows[] = {
        {&kDialed, nullptr, "DataDetail/data[1]=dialed,2048,512,ISP", "dialed,2048,512,ISP"},
        {&kDialed, "taken,,,old", "DataDetail/data[1]=dialed,2048,512,ISP", "dialed,2048,512,ISP"},
        {nullptr, "taken,,,old", "DataDetail/data[1] removed", std::nullopt},
        {nullptr, nullptr, "Data/data[1]=2003-9-3,1@15:9:51", std::nullopt},
        // The blank a store would drop is kept inside quotes.
        {&trailingBlank, nullptr, "DataDetail/data[1]=\"dialed,,,ISP \"", "\"dialed,,,ISP \""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.batchEnd);
        settings = IniDocument("[Memory]\r\nMaxDataNumber=\r\n");
        if (row.stale) {
            settings.Set(keys::kDataDetail, "data[1]", row.stale);
        }
        RecordingStore recording(settings);
        EXPECT_TRUE(AppendConnectionRecord(recording, kHangUp, 1, row.detail).written);
        const std::string& batch = recording.calls.back();
        EXPECT_EQ(batch.substr(batch.size() - std::string(row.batchEnd).size()), row.batchEnd);
        EXPECT_EQ(batch.rfind("batch", 0), 0u);
        EXPECT_EQ(recording.writes.size(), row.detail || row.stale ? 3u : 2u);
        const std::optional<std::string_view> stored = settings.Find(keys::kDataDetail, "data[1]");
        EXPECT_EQ(stored.has_value(), row.stored.has_value());
        if (row.stored) {
            EXPECT_EQ(*stored, *row.stored);
        }
        const std::vector<DetailedRecord> records = ReadDetailedRecords(settings);
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].detail.has_value(), row.detail != nullptr);
        if (row.detail) {
            EXPECT_EQ(*records[0].detail, *row.detail);
        }
    }
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
        AppendConnectionRecord(settings, kHangUp, i, i == 1 ? nullptr : &kDialed);
    }
    settings.Set(keys::kDataDetail, "data[9]", "taken,,,beyond the counter");
    RecordingStore recording(settings);
    EXPECT_TRUE(ClearConnectionRecords(recording));
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber", "section Data", "section DataDetail",
        "batch Memory/MaxDataNumber=, Data/data[1]=, Data/data[2]=, Data/data[3]=, "
        "DataDetail/data[1]=, DataDetail/data[3]=, DataDetail/data[9]="};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(),
              "[Memory]\r\nMaxDataNumber=\r\n[Data]\r\ndata[1]=\r\ndata[2]=\r\ndata[3]=\r\n"
              "[DataDetail]\r\ndata[1]=\r\ndata[3]=\r\ndata[9]=\r\n");
    EXPECT_EQ(settings.ReadInt("Memory", "MaxDataNumber", 0), 0);
    EXPECT_TRUE(ReadConnectionRecords(settings).empty());

    const AppendedRecord next = AppendConnectionRecord(settings, kHangUp, 9);
    EXPECT_EQ(next.number, 1);
    EXPECT_EQ(settings.Bytes(), "[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                                "data[1]=2003-9-3,9@15:9:51\r\ndata[2]=\r\ndata[3]=\r\n"
                                "[DataDetail]\r\ndata[1]=\r\ndata[3]=\r\ndata[9]=\r\n");
    EXPECT_EQ(ReadConnectionRecords(settings), std::vector<std::string>{"2003-9-3,9@15:9:51"});
    EXPECT_FALSE(ReadDetailedRecords(settings)[0].detail);
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
    std::optional<SavedRunningConnection> saved = ReadRunningConnection(settings);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->record, "2003-9-4,120@10:1:0");
    EXPECT_FALSE(saved->owner || saved->detail || saved->connectedAtWallMs);

    // With the process and the extras: still one write.
    EXPECT_TRUE(SaveRunningConnection(recording, {2003, 9, 4, 10, 2, 0}, 180,
                                      ProcessIdentity{40, 7}, &kExtras));
    EXPECT_EQ(recording.calls.back(),
              "batch Running/Record=2003-9-4,180@10:2:0, Running/Process=40,7, "
              "Running/Detail=taken,10,20,ISP, Running/ConnectedAt=1062572400000");
    saved = ReadRunningConnection(settings);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->record, "2003-9-4,180@10:2:0");
    EXPECT_EQ(saved->owner, (ProcessIdentity{40, 7}));
    EXPECT_EQ(saved->detail, kExtras.detail);
    EXPECT_EQ(saved->connectedAtWallMs, kExtras.connectedAtWallMs);

    // A part that does not read as its form is nothing; no record, no running connection.
    settings.Set(keys::kRunning, keys::kRunningDetail, "online,10,20,ISP");
    settings.Set(keys::kRunning, keys::kRunningConnectedAt, "-5");
    saved = ReadRunningConnection(settings);
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->detail || saved->connectedAtWallMs);
    settings.Set(keys::kRunning, keys::kRunningRecord, "");
    EXPECT_FALSE(ReadRunningConnection(settings));
}

TEST_F(RecordStoreTest, AHangUpWritesCounterAndRecordWithTheRunningEntryGoneInOneWrite) {
    SaveRunningConnection(settings, {2003, 9, 3, 15, 9, 0}, 60, ProcessIdentity{40, 7}, &kExtras);
    RecordingStore recording(settings);
    EXPECT_TRUE(AppendConnectionRecord(recording, kHangUp, 111, &kDialed).written);
    const std::vector<std::string> calls = {
        "int Memory/MaxDataNumber",
        "read Running/Record 2",
        "read Running/Process 2",
        "read Running/Detail 2",
        "read Running/ConnectedAt 2",
        "batch Memory/MaxDataNumber=1, Data/data[1]=2003-9-3,111@15:9:51, "
        "DataDetail/data[1]=dialed,2048,512,ISP, Running/Record removed, Running/Process "
        "removed, Running/Detail removed, Running/ConnectedAt removed"};
    EXPECT_EQ(recording.calls, calls);
    EXPECT_EQ(settings.Bytes(), "[Running]\r\n[Memory]\r\nMaxDataNumber=1\r\n[Data]\r\n"
                                "data[1]=2003-9-3,111@15:9:51\r\n"
                                "[DataDetail]\r\ndata[1]=dialed,2048,512,ISP\r\n");
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

    // The saved detail goes with the record, in the same write.
    SaveRunningConnection(settings, {2003, 9, 5, 10, 1, 0}, 60, std::nullopt, &kExtras);
    ASSERT_TRUE(RecoverRunningConnection(recording));
    EXPECT_EQ(recording.calls.back(),
              "batch Memory/MaxDataNumber=3, Data/data[3]=2003-9-5,60@10:1:0, "
              "DataDetail/data[3]=taken,10,20,ISP, Running/Record removed, Running/Detail "
              "removed, Running/ConnectedAt removed");
    EXPECT_EQ(ReadDetailedRecords(settings)[2].detail, kExtras.detail);
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
        bool continues;      // this run follows the connection on
        bool recovered;
    };
    for (const Row& row :
         {Row{"40,7", false, false}, Row{"40,8", false, true}, Row{"41,7", false, true},
          Row{nullptr, false, true}, Row{"40", false, true}, Row{"x,7", false, true},
          Row{"40,8", true, false}, Row{nullptr, true, false}, Row{"40,7", true, false}}) {
        SCOPED_TRACE(std::string(row.process ? row.process : "(none)") +
                     (row.continues ? " continues" : ""));
        settings = IniDocument();
        SaveRunningConnection(settings, {2003, 9, 4, 10, 1, 0}, 120, std::nullopt, &kExtras);
        if (row.process) {
            settings.Set(keys::kRunning, keys::kRunningProcess, row.process);
        }
        const std::string before = settings.Bytes();
        int asked = 0;
        const RunningContinues continues = [&](const SavedRunningConnection& saved) {
            ++asked;
            EXPECT_EQ(saved.record, "2003-9-4,120@10:1:0");
            EXPECT_EQ(saved.detail, kExtras.detail);
            EXPECT_EQ(saved.connectedAtWallMs, kExtras.connectedAtWallMs);
            return row.continues;
        };
        EXPECT_EQ(RecoverRunningConnection(settings, &processes, continues).has_value(),
                  row.recovered);
        // Another copy's live connection is not this run's to follow.
        EXPECT_EQ(asked, row.process && std::string(row.process) == "40,7" ? 0 : 1);
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

// The details as the key-by-key lookup of data[n] in [DataDetail] would find them, for each
// live record: the first key of a number counts, even when it reads as none.
TEST_F(RecordStoreTest, DetailsAreReadAsKeyByKeyLookupsFindThem) {
    const std::string records = "[Memory]\r\nMaxDataNumber=3\r\n[Data]\r\ndata[1]=2003-9-1,1@1:1:1"
                                "\r\ndata[2]=2003-9-2,2@2:2:2\r\ndata[3]=2003-9-3,3@3:3:3\r\n";
    struct Row {
        const char* details;                // the lines of [DataDetail]
        std::array<const char*, 3> entries; // of records 1 to 3; nullptr: no detail
    };
    const Row rows[] = {
        {"data[1]=dialed,,,a\r\ndata[2]=taken,,,b\r\ndata[3]=dialed,,,c\r\n", {"a", "b", "c"}},
        {"data[3]=dialed,,,c\r\ndata[1]=dialed,,,a\r\n", {"a", nullptr, "c"}},
        {" DATA[2] = dialed,,,b\r\n", {nullptr, "b", nullptr}},
        {"data[2]=online,,,x\r\ndata[2]=dialed,,,b\r\ndata[1]=dialed,,,a\r\n",
         {"a", nullptr, nullptr}},
        {"data[3]=dialed,,,c\r\ndata[3]=dialed,,,x\r\ndata[1]=dialed,,,a\r\n", {"a", nullptr, "c"}},
        {"data[1]=\"dialed,,,a \"\r\ndata[2]='taken,,,\"b\"'\r\n", {"a ", "\"b\"", nullptr}},
        {"data[0]=dialed,,,x\r\ndata[01]=dialed,,,x\r\n;data[2]=dialed,,,x\r\ndata[4]=dialed,,,x"
         "\r\ndata[x]=dialed,,,x\r\n",
         {nullptr, nullptr, nullptr}},
        {"", {nullptr, nullptr, nullptr}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.details);
        settings = IniDocument(records + "[DataDetail]\r\n" + row.details);
        const std::vector<DetailedRecord> detailed = ReadDetailedRecords(settings);
        ASSERT_EQ(detailed.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(detailed[i].record, ReadConnectionRecords(settings)[i]);
            EXPECT_EQ(detailed[i].detail,
                      ParseConnectionDetail(settings.ReadString(keys::kDataDetail, RecordKey(i + 1),
                                                                "", kDetailBufferChars)));
            ASSERT_EQ(detailed[i].detail.has_value(), row.entries[i] != nullptr) << i;
            if (row.entries[i]) {
                EXPECT_EQ(detailed[i].detail->entry, row.entries[i]);
            }
        }
    }
}

TEST_F(RecordStoreTest, ReadingTenThousandRecordsReadsTheFileTwiceAndThriceWithDetails) {
    std::string bytes = "[Memory]\r\nMaxDataNumber=10000\r\n[Data]\r\n";
    for (int i = 1; i <= 10000; ++i) {
        bytes += RecordKey(i) + "=" + FormatConnectionRecord(kHangUp, i) + "\r\n";
    }
    bytes += "[DataDetail]\r\n";
    for (int i = 2; i <= 10000; i += 2) {
        bytes += RecordKey(i) + "=dialed," + std::to_string(i) + ",,ISP\r\n";
    }
    settings = IniDocument(bytes);
    RecordingStore recording(settings);
    const std::vector<std::string> records = ReadConnectionRecords(recording);
    ASSERT_EQ(records.size(), 10000u);
    EXPECT_EQ(records.front(), "2003-9-3,1@15:9:51");
    EXPECT_EQ(records.back(), "2003-9-3,10000@15:9:51");
    EXPECT_EQ(recording.calls.size(), 2u);

    recording.calls.clear();
    const std::vector<DetailedRecord> detailed = ReadDetailedRecords(recording);
    EXPECT_EQ(recording.calls.size(), 3u);
    ASSERT_EQ(detailed.size(), 10000u);
    for (std::size_t i = 0; i < detailed.size(); ++i) {
        ASSERT_EQ(detailed[i].record, records[i]);
        ASSERT_EQ(detailed[i].detail.has_value(), i % 2 == 1);
        if (detailed[i].detail) {
            ASSERT_EQ(detailed[i].detail->received, i + 1);
        }
    }
}

} // namespace
} // namespace store
