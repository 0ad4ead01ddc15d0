#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/ConnectionDetail.h"
#include "store/ProfileStore.h"
#include "store/RunningOwner.h"

namespace store {

// Local wall-clock time of a hang-up.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// "year-month-day,seconds@hour:minute:second", plain decimals, no leading zeros.
std::string FormatConnectionRecord(const LocalTime& endedAt, int seconds);

// The three parts of a stored record, as views into its text: before the first ",", between
// it and the first "@" after it, and after that "@". Searched by characters of code page 936,
// so the second byte of a Chinese character is never taken for a separator.
struct RecordParts {
    std::string_view date;
    std::string_view seconds;
    std::string_view time;
};

// Nothing when the text lacks the "," or the "@" after it. The parts live as long as the text:
// every reader of a record (the statistics list, the plan, the export, the notices) splits it
// here, without copies.
std::optional<RecordParts> SplitConnectionRecord(std::string_view text);

// The seconds part as atoi reads it: leading blanks (space, \t \n \v \f \r), one optional
// sign, then decimal digits up to the first other character; no digits read 0. A number beyond
// the 32-bit range reads as the end of the range it passed, so one hand-edited record can
// neither wrap nor swamp a sum.
int SecondsAsRead(std::string_view part);

// "data[n]"
std::string RecordKey(int number);

// Stored values of 10 characters or fewer are not records (the missing-key default "Error",
// an emptied value, a damaged one).
bool IsRecordText(std::string_view value);

inline constexpr std::size_t kRecordBufferChars = 200;

// What an append did: the number and text of the record, and whether it is on disk.
struct AppendedRecord {
    int number = 0;
    std::string text;
    bool written = false;
};

// The number the next record goes under: one past the counter. A counter a hand edit left
// negative, or at the largest number, would put it under a key no reader lists; then it goes
// one past the highest record that holds a value (so none is overwritten), or nothing when
// there is no such number.
std::optional<int> NextRecordNumber(const ProfileStore& settings);

// The end of a connection: the counter, the record, its detail ([DataDetail], under the
// record's key) and the removal of a saved running connection in one write, so the file holds
// all of them or none. Without a detail, one an earlier connection left under that key goes,
// so that a record never shows another connection's detail.
AppendedRecord AppendConnectionRecord(ProfileStore& settings, const LocalTime& endedAt, int seconds,
                                      const ConnectionDetail* detail = nullptr);

// The live records data[1] ... data[MaxDataNumber] in order, as key-by-key reading with the
// default "Error" would give them (missing, emptied and short values skipped, each cut to
// 199 characters), taken from one read of the section.
std::vector<std::string> ReadConnectionRecords(const ProfileStore& settings);

// The same records in the same order, each handed over as a view that lives until the visitor
// returns: no string per record.
using RecordVisitor = std::function<void(std::string_view record)>;
void VisitConnectionRecords(const ProfileStore& settings, const RecordVisitor& visit);

// The live records in order, as ReadConnectionRecords gives them, each with the detail stored
// under its key when that reads as one. Three reads whatever the number of records: the
// counter, [Data] and [DataDetail].
struct DetailedRecord {
    std::string record;
    std::optional<ConnectionDetail> detail;
};
std::vector<DetailedRecord> ReadDetailedRecords(const ProfileStore& settings);

// Empties the counter, every live record that exists and every detail, in one write; keys
// stay in the file and none is added. True when there was nothing to clear.
bool ClearConnectionRecords(ProfileStore& settings);

// What the running connection keeps besides its record.
struct RunningExtras {
    ConnectionDetail detail;
    std::optional<std::int64_t> connectedAtWallMs; // UTC milliseconds since 1970
};

// While connected: the record a hang-up now would store, saved as the running connection
// together with the process that saves it and the extras (one write). Records and counter are
// left alone.
bool SaveRunningConnection(ProfileStore& settings, const LocalTime& now, int seconds,
                           const std::optional<ProcessIdentity>& owner = std::nullopt,
                           const RunningExtras* extras = nullptr);

// The running connection as saved; a part that does not read as its form is nothing.
struct SavedRunningConnection {
    std::string record;
    std::optional<ProcessIdentity> owner;
    std::optional<ConnectionDetail> detail;
    std::optional<std::int64_t> connectedAtWallMs;
};
// Nothing when no record is saved.
std::optional<SavedRunningConnection> ReadRunningConnection(const ProfileStore& settings);

// Whether a saved connection whose saver is gone goes on: its line is still up and this run
// follows it.
using RunningContinues = std::function<bool(const SavedRunningConnection& saved)>;

// At start: a running connection saved by a run that never ended it becomes an ordinary
// record with its detail - counter, record, detail and removal in one write, so it is never
// counted twice. Nothing when none is saved, when the process that saved it still runs
// (processes tells; without it, or without a saving process named, the saver is taken to be
// gone), or when continues says it goes on: then nothing is written. An entry that holds no
// record text is removed without a record.
std::optional<AppendedRecord> RecoverRunningConnection(ProfileStore& settings,
                                                       const ProcessTable* processes = nullptr,
                                                       const RunningContinues& continues = {});

} // namespace store
