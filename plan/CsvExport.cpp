#include "plan/CsvExport.h"

#include <cstdio>
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

// A text from the file, defused and quoted.
std::string StoredField(std::string_view stored) {
    if (!stored.empty() &&
        std::string_view("=+-@\t\r").find(stored.front()) != std::string_view::npos) {
        return Quoted("'" + std::string(stored));
    }
    return Quoted(stored);
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

} // namespace

std::string ExportCsv(const std::vector<std::string>& records) {
    std::string csv = std::string(kCsvHeading) + "\r\n";
    for (const std::string& record : records) {
        const std::optional<store::RecordParts> parts = store::SplitConnectionRecord(record);
        if (!parts) {
            continue;
        }
        if (const std::optional<Connection> connection = ReadConnection(record)) {
            csv += ReadableRow(*connection);
        } else {
            csv += StoredField(parts->date) + ",," + StoredField(parts->time) + "," +
                   StoredField(parts->seconds) + ",";
        }
        csv += "\r\n";
    }
    return csv;
}

bool WriteCsvFile(store::FileBytes& files, const std::string& path, const std::string& utf8Csv) {
    std::optional<store::FileStamp> written;
    return files.ReplaceAll(path, "\xEF\xBB\xBF" + utf8Csv, &written);
}

} // namespace plan
