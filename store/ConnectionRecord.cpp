#include "store/ConnectionRecord.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <unordered_set>

#include "store/ProfileRules.h"
#include "store/SettingsKeys.h"

namespace store {

namespace {

constexpr std::size_t kRecordMinChars = 11;

// The number n when the (case-folded) name is exactly RecordKey(n) for some n >= 1.
std::optional<int> RecordNumber(std::string_view folded) {
    constexpr std::string_view prefix = "data[";
    if (folded.size() < prefix.size() + 2 || folded.substr(0, prefix.size()) != prefix ||
        folded.back() != ']') {
        return std::nullopt;
    }
    const std::string_view digits = folded.substr(prefix.size(), folded.size() - prefix.size() - 1);
    if (digits.size() > 10 || digits[0] < '1' || digits[0] > '9') {
        return std::nullopt;
    }
    long long number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    if (number > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

} // namespace

std::string FormatConnectionRecord(const LocalTime& endedAt, int seconds) {
    char text[128];
    std::snprintf(text, sizeof text, "%d-%d-%d,%d@%d:%d:%d", endedAt.year, endedAt.month,
                  endedAt.day, seconds, endedAt.hour, endedAt.minute, endedAt.second);
    return text;
}

std::optional<RecordParts> ParseConnectionRecord(const std::string& text) {
    // By characters: in code page 936 the second byte of a Chinese character can be 0x40, "@".
    const std::size_t comma = rules::FindChar(text, ',');
    if (comma == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t at = rules::FindChar(text, '@', comma + 1);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    return RecordParts{text.substr(0, comma), text.substr(comma + 1, at - comma - 1),
                       text.substr(at + 1)};
}

std::string RecordKey(int number) {
    char key[32];
    std::snprintf(key, sizeof key, "data[%d]", number);
    return key;
}

bool IsRecordText(const std::string& value) {
    return value.size() >= kRecordMinChars;
}

AppendedRecord AppendConnectionRecord(ProfileStore& settings, const LocalTime& endedAt,
                                      int seconds) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    AppendedRecord record;
    // A hand-edited counter at INT_MAX wraps as the 32-bit original does, without overflow.
    record.number = static_cast<int>(static_cast<unsigned>(count) + 1u);
    const bool counterWritten =
        settings.WriteString(keys::kMemory, keys::kMaxDataNumber, std::to_string(record.number));
    record.text = FormatConnectionRecord(endedAt, seconds);
    const bool recordWritten =
        settings.WriteString(keys::kData, RecordKey(record.number), record.text);
    record.written = counterWritten && recordWritten;
    return record;
}

std::vector<std::string> ReadConnectionRecords(const ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return {};
    }
    // Instead of asking for data[1] ... data[count] one by one (one file read each), take the
    // section once and keep, for each name, its first key as the key-by-key lookup would find
    // it. Work grows with the section, not with the counter.
    const KeyValueList entries = settings.ReadSection(keys::kData);
    std::unordered_set<std::string> seen;
    std::vector<std::pair<int, const std::string*>> live;
    for (const auto& [name, value] : entries) {
        std::string folded = rules::FoldCase(name);
        const std::optional<int> number = RecordNumber(folded);
        if (!seen.insert(std::move(folded)).second || !number || *number > count) {
            continue;
        }
        live.emplace_back(*number, &value);
    }
    std::sort(live.begin(), live.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> records;
    records.reserve(live.size());
    for (const auto& [number, value] : live) {
        std::string text = rules::ValueAsRead(*value, kRecordBufferChars);
        if (IsRecordText(text)) {
            records.push_back(std::move(text));
        }
    }
    return records;
}

void ClearConnectionRecords(ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    for (long long i = 1; i <= count; ++i) {
        settings.WriteString(keys::kMemory, keys::kMaxDataNumber, "");
        settings.WriteString(keys::kData, RecordKey(static_cast<int>(i)), "");
    }
}

} // namespace store
