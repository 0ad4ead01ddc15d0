#include "store/ConnectionRecord.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "store/Decimal.h"
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

// A value without quotes that fits the buffer reads as it stands: no copy to make.
bool ReadsAsStored(std::string_view value, std::size_t bufferChars) {
    return value.size() + 1 < bufferChars &&
           (value.empty() || (value[0] != '"' && value[0] != '\''));
}

// The removal of a saved running connection, when there is one, appended to edits.
void AddRunningRemoval(const ProfileStore& settings, ProfileEdits* edits) {
    for (const char* key : {keys::kRunningRecord, keys::kRunningProcess, keys::kRunningDetail,
                            keys::kRunningConnectedAt}) {
        if (!settings.ReadString(keys::kRunning, key, "", 2).empty()) {
            edits->push_back({keys::kRunning, key, std::nullopt});
        }
    }
}

// The detail as a value: a store drops the blanks that end a value, which an entry name may
// end in, so such a text goes in quotes, which every read strips.
std::string StoredDetail(const ConnectionDetail& detail) {
    const std::string text = FormatConnectionDetail(detail);
    return rules::TrimBlanks(text).size() == text.size() ? text : "\"" + text + "\"";
}

// A new record under number: the counter, the record, and its detail or the removal of one
// an earlier connection left under that key.
ProfileEdits RecordEdits(const ProfileStore& settings, int number, const std::string& text,
                         const ConnectionDetail* detail) {
    const std::string key = RecordKey(number);
    ProfileEdits edits{{keys::kMemory, keys::kMaxDataNumber, std::to_string(number)},
                       {keys::kData, key, text}};
    if (detail) {
        edits.push_back({keys::kDataDetail, key, StoredDetail(*detail)});
    } else if (!settings.ReadString(keys::kDataDetail, key, "", 2).empty()) {
        edits.push_back({keys::kDataDetail, key, std::nullopt});
    }
    return edits;
}

// The live records data[1] ... data[count]: each number's first key, read as the key-by-key
// lookup would read it, when it holds a record.
struct LiveRecord {
    int number;
    std::size_t begin; // in RecordScan::texts
    std::size_t size;
};
struct RecordScan {
    std::string texts;
    std::vector<LiveRecord> records; // in order of number

    std::string_view Text(const LiveRecord& record) const {
        return std::string_view(texts).substr(record.begin, record.size);
    }
};

RecordScan ScanRecords(const ProfileStore& settings, int count) {
    // Instead of asking for data[1] ... data[count] one by one (one search each), take the
    // section once and keep, for each number, its first key as the key-by-key lookup would
    // find it. Work grows with the section, not with the counter. The values as read go into
    // one block of text: a million records are a million small strings otherwise.
    RecordScan scan;
    std::vector<LiveRecord>& live = scan.records;
    bool ascending = true;
    settings.VisitSection(keys::kData, [&](std::string_view key, std::string_view value) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (!number || *number > count) {
            return;
        }
        ascending = ascending && (live.empty() || live.back().number < *number);
        const std::size_t begin = scan.texts.size();
        if (ReadsAsStored(value, kRecordBufferChars)) {
            scan.texts.append(value);
        } else {
            scan.texts += rules::ValueAsRead(value, kRecordBufferChars);
        }
        live.push_back(LiveRecord{*number, begin, scan.texts.size() - begin});
    });
    if (!ascending) {
        // Stable: of keys with the same number the first in the file stays first.
        std::stable_sort(live.begin(), live.end(), [](const LiveRecord& a, const LiveRecord& b) {
            return a.number < b.number;
        });
    }
    // A later key of a number is hidden even when the first holds no record.
    std::size_t kept = 0;
    int previous = 0; // record numbers start at 1
    for (std::size_t i = 0; i < live.size(); ++i) {
        const LiveRecord record = live[i];
        if (record.number != previous && record.size >= kRecordMinChars) {
            live[kept++] = record;
        }
        previous = record.number;
    }
    live.resize(kept);
    return scan;
}

// The numbers n >= 1 of the keys data[n] the section holds, each once, in ascending order.
std::vector<int> RecordKeyNumbers(const ProfileStore& settings, const char* section, int highest) {
    std::vector<int> numbers;
    bool ascending = true;
    settings.VisitSection(section, [&](std::string_view key, std::string_view) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (number && *number <= highest) {
            ascending = ascending && (numbers.empty() || numbers.back() < *number);
            numbers.push_back(*number);
        }
    });
    if (!ascending) {
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    }
    return numbers;
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

AppendedRecord AppendConnectionRecord(ProfileStore& settings, const LocalTime& endedAt, int seconds,
                                      const ConnectionDetail* detail) {
    AppendedRecord record;
    record.text = FormatConnectionRecord(endedAt, seconds);
    const std::optional<int> number = NextRecordNumber(settings);
    if (!number) {
        return record;
    }
    record.number = *number;
    ProfileEdits edits = RecordEdits(settings, record.number, record.text, detail);
    AddRunningRemoval(settings, &edits);
    record.written = settings.WriteBatch(edits);
    return record;
}

void VisitConnectionRecords(const ProfileStore& settings, const RecordVisitor& visit) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return;
    }
    const RecordScan scan = ScanRecords(settings, count);
    for (const LiveRecord& record : scan.records) {
        visit(scan.Text(record));
    }
}

std::vector<std::string> ReadConnectionRecords(const ProfileStore& settings) {
    std::vector<std::string> records;
    VisitConnectionRecords(settings,
                           [&records](std::string_view record) { records.emplace_back(record); });
    return records;
}

std::vector<DetailedRecord> ReadDetailedRecords(const ProfileStore& settings) {
    std::vector<DetailedRecord> records;
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return records;
    }
    const RecordScan scan = ScanRecords(settings, count);
    records.reserve(scan.records.size());
    for (const LiveRecord& record : scan.records) {
        records.push_back({std::string(scan.Text(record)), std::nullopt});
    }
    // Every key of the section once, not one search per record; of keys with the same number
    // the first counts, as the key-by-key lookup would find it, even when it reads as none.
    struct Stored {
        int number;
        std::optional<ConnectionDetail> detail;
    };
    std::vector<Stored> details;
    details.reserve(records.size()); // as many as there are records, usually
    bool ascending = true;
    settings.VisitSection(keys::kDataDetail, [&](std::string_view key, std::string_view value) {
        const std::optional<int> number = RecordNumber(rules::FoldCase(key));
        if (!number || *number > count) {
            return;
        }
        ascending = ascending && (details.empty() || details.back().number < *number);
        details.push_back(
            {*number, ReadsAsStored(value, kDetailBufferChars)
                          ? ParseConnectionDetail(value)
                          : ParseConnectionDetail(rules::ValueAsRead(value, kDetailBufferChars))});
    });
    if (!ascending) {
        std::stable_sort(details.begin(), details.end(),
                         [](const Stored& a, const Stored& b) { return a.number < b.number; });
    }
    // Both in ascending order of number: one pass matches them.
    std::size_t next = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const int number = scan.records[i].number;
        while (next < details.size() && details[next].number < number) {
            ++next;
        }
        if (next < details.size() && details[next].number == number) {
            records[i].detail = std::move(details[next].detail);
            ++next;
        }
    }
    return records;
}

bool ClearConnectionRecords(ProfileStore& settings) {
    const int count = settings.ReadInt(keys::kMemory, keys::kMaxDataNumber, 0);
    if (count < 1) {
        return true;
    }
    // The keys data[1] ... data[count] that exist; emptying only those is what writing each
    // of them would do, less the keys such writes would add (a counter of two thousand
    // million would add them for ever). Details go whatever their number: none may outlive
    // the records the user chose to delete.
    const std::vector<int> records = RecordKeyNumbers(settings, keys::kData, count);
    const std::vector<int> details = RecordKeyNumbers(settings, keys::kDataDetail, INT_MAX);
    ProfileEdits edits;
    edits.reserve(records.size() + details.size() + 1);
    edits.push_back({keys::kMemory, keys::kMaxDataNumber, std::string()});
    for (int number : records) {
        edits.push_back({keys::kData, RecordKey(number), std::string()});
    }
    for (int number : details) {
        edits.push_back({keys::kDataDetail, RecordKey(number), std::string()});
    }
    return settings.WriteBatch(edits);
}

bool SaveRunningConnection(ProfileStore& settings, const LocalTime& now, int seconds,
                           const std::optional<ProcessIdentity>& owner,
                           const RunningExtras* extras) {
    ProfileEdits edits{
        {keys::kRunning, keys::kRunningRecord, FormatConnectionRecord(now, seconds)}};
    if (owner) {
        edits.push_back({keys::kRunning, keys::kRunningProcess, FormatProcessIdentity(*owner)});
    }
    if (extras) {
        edits.push_back({keys::kRunning, keys::kRunningDetail, StoredDetail(extras->detail)});
        if (extras->connectedAtWallMs) {
            edits.push_back({keys::kRunning, keys::kRunningConnectedAt,
                             std::to_string(*extras->connectedAtWallMs)});
        }
    }
    return settings.WriteBatch(edits);
}

std::optional<SavedRunningConnection> ReadRunningConnection(const ProfileStore& settings) {
    SavedRunningConnection saved;
    saved.record =
        settings.ReadString(keys::kRunning, keys::kRunningRecord, "", kRecordBufferChars);
    if (saved.record.empty()) {
        return std::nullopt;
    }
    saved.owner = ParseProcessIdentity(
        settings.ReadString(keys::kRunning, keys::kRunningProcess, "", kRecordBufferChars));
    saved.detail = ParseConnectionDetail(
        settings.ReadString(keys::kRunning, keys::kRunningDetail, "", kDetailBufferChars));
    saved.connectedAtWallMs = ParseDecimal<std::int64_t>(
        settings.ReadString(keys::kRunning, keys::kRunningConnectedAt, "", kRecordBufferChars));
    return saved;
}

std::optional<AppendedRecord> RecoverRunningConnection(ProfileStore& settings,
                                                       const ProcessTable* processes,
                                                       const RunningContinues& continues) {
    const std::optional<SavedRunningConnection> saved = ReadRunningConnection(settings);
    if (!saved) {
        return std::nullopt;
    }
    if (saved->owner && processes && processes->IsRunning(*saved->owner)) {
        return std::nullopt; // another copy's live connection
    }
    if (continues && continues(*saved)) {
        return std::nullopt; // followed on by this run, which will end it
    }
    ProfileEdits removal;
    AddRunningRemoval(settings, &removal);
    if (!IsRecordText(saved->record)) {
        settings.WriteBatch(removal);
        return std::nullopt;
    }
    AppendedRecord record;
    record.text = saved->record;
    if (const std::optional<int> number = NextRecordNumber(settings)) {
        record.number = *number;
        const ConnectionDetail* detail = saved->detail ? &*saved->detail : nullptr;
        ProfileEdits edits = RecordEdits(settings, *number, saved->record, detail);
        edits.insert(edits.end(), removal.begin(), removal.end());
        record.written = settings.WriteBatch(edits);
    }
    return record;
}

} // namespace store
