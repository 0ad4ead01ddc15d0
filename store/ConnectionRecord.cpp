#include "store/ConnectionRecord.h"

#include <algorithm>
#include <climits>
#include <cstdio>

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

// The removal of a saved running connection, when there is one, appended to edits.
void AddRunningRemoval(const ProfileStore& settings, ProfileEdits* edits) {
    for (const char* key : {keys::kRunningRecord, keys::kRunningProcess}) {
        if (!settings.ReadString(keys::kRunning, key, "", 2).empty()) {
            edits->push_back({keys::kRunning, key, std::nullopt});
        }
    }
}

} // namespace

std::string FormatConnectionRecord(const LocalTime& endedAt, int seconds) {
    char text[128];
    std::snprintf(text, sizeof text, "%d-%d-%d,%d@%d:%d:%d", endedAt.year, endedAt.month,
                  endedAt.day, seconds, endedAt.hour, endedAt.minute, endedAt.second);
    return text;
}

std::optional<RecordParts> SplitConnectionRecord(std::string_view text) {
    // By characters: in code page 936 the second byte of a Chinese character can be 0x40, "@".
    const std::size_t comma = rules::FindChar(text, ',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t at = rules::FindChar(text, '@', comma + 1);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return RecordParts{text.substr(0, comma), text.substr(comma + 1, at - comma - 1),
                       text.substr(at + 1)};
}

int SecondsAsRead(std::string_view part) {
    std::size_t pos = 0;
    // The blanks atoi skips in the "C" locale (not ^Z, which the settings file's rules trim).
    while (pos < part.size() && (part[pos] == ' ' || (part[pos] >= '\t' && part[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < part.size() && (part[pos] == '+' || part[pos] == '-')) {
        negative = part[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude and stopped once past the range: long digit runs cannot overflow.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    while (pos < part.size() && part[pos] >= '0' && part[pos] <= '9') {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (part[pos] - '0');
        }
        ++pos;
    }
    if (negative) {
        return magnitude >= kLimit ? INT_MIN : static_cast<int>(-magnitude);
    }
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

std::string RecordKey(int number) {
    char key[32];
    std::snprintf(key, sizeof key, "data[%d]", number);
    return key;
}

bool IsRecordText(std::string_view value) {
    return value.size() >= kRecordMinChars;
}

std::optional<int> NextRecordNumber(const ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count >= 0 && count < INT_MAX) {
        return count + 1;
    }
    long long highest = 0;
    settings.VisitSection(keys::kData, [&highest](std::string_view key, std::string_view value) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (number && !value.empty() && *number > highest) {
            highest = *number;
        }
    });
    if (highest >= INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(highest + 1);
}

AppendedRecord AppendConnectionRecord(ProfileStore& settings, const LocalTime& endedAt,
                                      int seconds) {
    AppendedRecord record;
    record.text = FormatConnectionRecord(endedAt, seconds);
    const std::optional<int> number = NextRecordNumber(settings);
    if (!number) {
        return record;
    }
    record.number = *number;
    ProfileEdits edits{{keys::kMemory, keys::kMaxDataNumber, std::to_string(record.number)},
                       {keys::kData, RecordKey(record.number), record.text}};
    AddRunningRemoval(settings, &edits);
    record.written = settings.WriteBatch(edits);
    return record;
}

void VisitConnectionRecords(const ProfileStore& settings, const RecordVisitor& visit) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return;
    }
    // Instead of asking for data[1] ... data[count] one by one (one search each), take the
    // section once and keep, for each number, its first key as the key-by-key lookup would
    // find it. Work grows with the section, not with the counter. The values as read go into
    // one block of text: a million records are a million small strings otherwise.
    struct Live {
        int number;
        std::size_t begin;
        std::size_t size;
    };
    std::vector<Live> live;
    std::string texts;
    bool ascending = true;
    settings.VisitSection(keys::kData, [&](std::string_view key, std::string_view value) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (!number || *number > count) {
            return;
        }
        ascending = ascending && (live.empty() || live.back().number < *number);
        const std::size_t begin = texts.size();
        // A value without quotes that fits the buffer reads as it stands.
        const bool asStored = value.size() + 1 < kRecordBufferChars &&
                              (value.empty() || (value[0] != '"' && value[0] != '\''));
        if (asStored) {
            texts.append(value);
        } else {
            texts += rules::ValueAsRead(value, kRecordBufferChars);
        }
        live.push_back(Live{*number, begin, texts.size() - begin});
    });
    if (!ascending) {
        // Stable: of keys with the same number the first in the file stays first.
        std::stable_sort(live.begin(), live.end(),
                         [](const Live& a, const Live& b) { return a.number < b.number; });
    }
    const std::string_view all(texts);
    for (std::size_t i = 0; i < live.size(); ++i) {
        if ((i == 0 || live[i - 1].number != live[i].number) && live[i].size >= kRecordMinChars) {
            visit(all.substr(live[i].begin, live[i].size));
        }
    }
}

std::vector<std::string> ReadConnectionRecords(const ProfileStore& settings) {
    std::vector<std::string> records;
    VisitConnectionRecords(settings,
                           [&records](std::string_view record) { records.emplace_back(record); });
    return records;
}

bool ClearConnectionRecords(ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return true;
    }
    // The keys data[1] ... data[count] that exist; emptying only those is what writing each
    // of them would do, less the keys such writes would add (a counter of two thousand
    // million would add them for ever).
    std::vector<int> numbers;
    bool ascending = true;
    settings.VisitSection(keys::kData, [&](std::string_view key, std::string_view) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (number && *number <= count) {
            ascending = ascending && (numbers.empty() || numbers.back() < *number);
            numbers.push_back(*number);
        }
    });
    if (!ascending) {
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    }
    ProfileEdits edits;
    edits.reserve(numbers.size() + 1);
    edits.push_back({keys::kMemory, keys::kMaxDataNumber, std::string()});
    for (int number : numbers) {
        edits.push_back({keys::kData, RecordKey(number), std::string()});
    }
    return settings.WriteBatch(edits);
}

bool SaveRunningConnection(ProfileStore& settings, const LocalTime& now, int seconds,
                           const std::optional<ProcessIdentity>& owner) {
    ProfileEdits edits{
        {keys::kRunning, keys::kRunningRecord, FormatConnectionRecord(now, seconds)}};
    if (owner) {
        edits.push_back({keys::kRunning, keys::kRunningProcess, FormatProcessIdentity(*owner)});
    }
    return settings.WriteBatch(edits);
}

std::optional<AppendedRecord> RecoverRunningConnection(ProfileStore& settings,
                                                       const ProcessTable* processes) {
    const std::string saved =
        settings.ReadString(keys::kRunning, keys::kRunningRecord, "", kRecordBufferChars);
    if (saved.empty()) {
        return std::nullopt;
    }
    const std::optional<ProcessIdentity> owner = ParseProcessIdentity(
        settings.ReadString(keys::kRunning, keys::kRunningProcess, "", kRecordBufferChars));
    if (owner && processes && processes->IsRunning(*owner)) {
        return std::nullopt; // another copy's live connection
    }
    ProfileEdits removal;
    AddRunningRemoval(settings, &removal);
    if (!IsRecordText(saved)) {
        settings.WriteBatch(removal);
        return std::nullopt;
    }
    AppendedRecord record;
    record.text = saved;
    if (const std::optional<int> number = NextRecordNumber(settings)) {
        record.number = *number;
        ProfileEdits edits{{keys::kMemory, keys::kMaxDataNumber, std::to_string(*number)},
                           {keys::kData, RecordKey(*number), saved}};
        edits.insert(edits.end(), removal.begin(), removal.end());
        record.written = settings.WriteBatch(edits);
    }
    return record;
}

} // namespace store
