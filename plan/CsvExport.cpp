#include "plan/CsvExport.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string_view>

#include "plan/Calendar.h"
#include "plan/Usage.h"

namespace plan {

namespace {

std::string Quoted(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(field);
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// A spreadsheet skips leading blanks before it looks for a formula, and takes a leading tab or
// CR for one.
bool CouldRunAsFormula(std::string_view stored) {
    if (!stored.empty() && (stored.front() == '\t' || stored.front() == '\r')) {
        return true;
    }
    const std::size_t first = stored.find_first_not_of(" \t\n\v\f\r");
    return first != std::string_view::npos &&
           std::string_view("=+-@").find(stored[first]) != std::string_view::npos;
}

// A text from the file, defused and quoted.
std::string StoredField(std::string_view stored) {
    return Quoted(CouldRunAsFormula(stored) ? "'" + std::string(stored) : std::string(stored));
}

std::string DateText(const store::LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", time.year, time.month, time.day);
    return text;
}

std::string TimeText(const store::LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

std::string LengthText(long long seconds) {
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string ReadableRow(const Connection& connection) {
    const store::LocalTime start = LocalTimeOf(connection.start);
    const store::LocalTime end = LocalTimeOf(connection.end);
    const std::string endDate = DateText(end);
    std::string startText = TimeText(start);
    if (DateText(start) != endDate) {
        startText = DateText(start) + " " + startText;
    }
    const long long seconds = connection.end - connection.start;
    return endDate + "," + startText + "," + TimeText(end) + "," + std::to_string(seconds) + "," +
           LengthText(seconds);
}

std::string CountText(const std::optional<std::uint64_t>& count) {
    return count ? std::to_string(*count) : std::string();
}

std::string DetailFields(const std::optional<store::ConnectionDetail>& detail) {
    if (!detail) {
        return ",,,";
    }
    const char* origin =
        detail->origin == store::ConnectionOrigin::TakenOver ? kTakenOverText : kDialedText;
    return StoredField(detail->entry) + "," + origin + "," + CountText(detail->received) + "," +
           CountText(detail->sent);
}

} // namespace

std::string ExportCsv(const std::vector<store::DetailedRecord>& records) {
    std::string csv = std::string(kCsvHeading) + "\r\n";
    for (const store::DetailedRecord& record : records) {
        const std::optional<store::RecordParts> parts = store::SplitConnectionRecord(record.record);
        if (!parts) {
            continue;
        }
        if (const std::optional<Connection> connection = ReadConnection(record.record)) {
            csv += ReadableRow(*connection);
        } else {
            csv += StoredField(parts->date) + ",," + StoredField(parts->time) + "," +
                   StoredField(parts->seconds) + ",";
        }
        csv += "," + DetailFields(record.detail) + "\r\n";
    }
    return csv;
}

bool WriteCsvFile(store::FileBytes& files, const std::string& path, const std::string& utf8Csv) {
    std::optional<store::FileStamp> written;
    return files.ReplaceAll(path, "\xEF\xBB\xBF" + utf8Csv, &written);
}

} // namespace plan
