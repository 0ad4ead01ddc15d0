#pragma once

// The connection records the program stores in the settings file, as the cases read and check
// them: "Y-M-D,seconds@h:m:s" in [Data], the counter in [Memory], the running connection in
// [Running].

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

struct ParsedRecord {
    SYSTEMTIME endedAt{};
    int seconds = 0;
};
// "Y-M-D,S@h:m:s" with plain decimal numbers (no padding), exactly.
std::optional<ParsedRecord> ParseRecord(const std::string& text);
// b lies at most two seconds before or after a; false when either is not a valid time.
bool WithinTwoSeconds(const SYSTEMTIME& a, const SYSTEMTIME& b);
// "Y-M-D h:mm:ss", for failure messages.
std::string TimeText(const SYSTEMTIME& t);

// The record data[number]: the counter at `number`, the text in the record format, ended at the
// moment of hang-up (the driver's clock, within 2 s) and `seconds` long (within `tolerance`).
void CheckRecord(int number, const SYSTEMTIME& hungUpAt, double seconds, double tolerance);
// The running connection as stored now, in the record format.
std::optional<ParsedRecord> RunningRecord();

// Records as stored in the settings file now: the counter ("[Memory] MaxDataNumber", 0 when
// missing or empty) and the seconds of one record (empty when it is missing or malformed).
int StoredRecordCount();
std::optional<int> StoredRecordSeconds(int number);

} // namespace e2e
