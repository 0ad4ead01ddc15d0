#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/ProfileStore.h"

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

// The three texts of a stored record: before the first ",", between it and the first "@"
// after it, and after that "@". Searched by characters of code page 936, so the second byte
// of a Chinese character is never taken for a separator.
struct RecordParts {
    std::string date;
    std::string seconds;
    std::string time;
};

// Nothing when the text lacks the "," or the "@" after it.
std::optional<RecordParts> ParseConnectionRecord(const std::string& text);

// "data[n]"
std::string RecordKey(int number);

// Stored values of 10 characters or fewer are not records (the missing-key default "Error",
// an emptied value, a damaged one).
bool IsRecordText(const std::string& value);

inline constexpr std::size_t kRecordBufferChars = 200;

// What an append did: the number and text of the record, and whether both writes succeeded.
struct AppendedRecord {
    int number = 0;
    std::string text;
    bool written = false;
};

// Counter first, then the record under the next number.
AppendedRecord AppendConnectionRecord(ProfileStore& settings, const LocalTime& endedAt,
                                      int seconds);

// The live records data[1] ... data[MaxDataNumber] in order, as key-by-key reading with the
// default "Error" would give them (missing, emptied and short values skipped, each cut to
// 199 characters), taken from one read of the section.
std::vector<std::string> ReadConnectionRecords(const ProfileStore& settings);

// Empties the counter and every live record; keys stay in the file.
void ClearConnectionRecords(ProfileStore& settings);

} // namespace store
