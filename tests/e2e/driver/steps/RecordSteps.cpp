#include "steps/RecordSteps.h"

#include "probes/SettingsFile.h"
#include "TestRunner.h"
#include "Text.h"
#include "Wait.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {

std::optional<ParsedRecord> ParseRecord(const std::string& text) {
    int year, month, day, seconds, hour, minute, second;
    size_t at = 0;
    if (!(ReadNumber(text, at, year) && ReadLiteral(text, at, "-") && ReadNumber(text, at, month) &&
          ReadLiteral(text, at, "-") && ReadNumber(text, at, day) && ReadLiteral(text, at, ",") &&
          ReadNumber(text, at, seconds) && ReadLiteral(text, at, "@") &&
          ReadNumber(text, at, hour) && ReadLiteral(text, at, ":") &&
          ReadNumber(text, at, minute) && ReadLiteral(text, at, ":") &&
          ReadNumber(text, at, second) && at == text.size())) {
        return std::nullopt;
    }
    char again[96];
    std::snprintf(again, sizeof again, "%d-%d-%d,%d@%d:%d:%d", year, month, day, seconds, hour,
                  minute, second);
    if (text != again) {
        return std::nullopt; // zero-padded numbers
    }
    ParsedRecord record;
    record.endedAt.wYear = static_cast<WORD>(year);
    record.endedAt.wMonth = static_cast<WORD>(month);
    record.endedAt.wDay = static_cast<WORD>(day);
    record.endedAt.wHour = static_cast<WORD>(hour);
    record.endedAt.wMinute = static_cast<WORD>(minute);
    record.endedAt.wSecond = static_cast<WORD>(second);
    record.seconds = seconds;
    return record;
}

bool WithinTwoSeconds(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    FILETIME fa, fb;
    if (!SystemTimeToFileTime(&a, &fa) || !SystemTimeToFileTime(&b, &fb)) {
        return false;
    }
    auto ticks = [](const FILETIME& f) {
        return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                      f.dwLowDateTime);
    };
    const long long apart = (ticks(fb) - ticks(fa)) / 10000000;
    return apart >= -2 && apart <= 2;
}

std::string TimeText(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

void CheckRecord(int number, const SYSTEMTIME& hungUpAt, double seconds, double tolerance) {
    const std::string where = "data[" + std::to_string(number) + "]";
    const bool stored = WaitUntil([&] {
        return settings::Record(number).has_value() &&
               settings::RecordCounter() == std::optional<std::string>(std::to_string(number));
    });
    CHECK_MSG(stored, where + " not stored; the file holds " + Describe(settings::Bytes()));
    if (!stored) {
        return;
    }
    const std::string text = *settings::Record(number);
    const std::optional<ParsedRecord> record = ParseRecord(text);
    CHECK_MSG(record.has_value(), where + " is not in the record format: " + Describe(text));
    if (!record) {
        return;
    }
    CHECK_MSG(WithinTwoSeconds(hungUpAt, record->endedAt),
              where + " " + Describe(text) + " ended at " + TimeText(record->endedAt) +
                  ", hung up at " + TimeText(hungUpAt));
    CHECK_MSG(record->seconds >= seconds - tolerance && record->seconds <= seconds + tolerance,
              where + " " + Describe(text) + ": " + std::to_string(record->seconds) +
                  " s, the driver measured " + std::to_string(seconds) + " s");
}

std::optional<ParsedRecord> RunningRecord() {
    const std::optional<std::string> text = settings::Stored("Running", "Record");
    return text ? ParseRecord(*text) : std::nullopt;
}

int StoredRecordCount() {
    const std::optional<std::string> counter = settings::RecordCounter();
    return counter ? std::atoi(counter->c_str()) : 0;
}

std::optional<int> StoredRecordSeconds(int number) {
    const std::optional<std::string> record = settings::Record(number);
    if (!record) {
        return std::nullopt;
    }
    // year-month-day,seconds@hour:minute:second
    int year = 0, month = 0, day = 0, seconds = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(record->c_str(), "%d-%d-%d,%d@%d:%d:%d", &year, &month, &day, &seconds, &hour,
                    &minute, &second) != 7) {
        return std::nullopt;
    }
    return seconds;
}

} // namespace e2e
