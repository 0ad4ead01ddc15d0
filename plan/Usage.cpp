#include "plan/Usage.h"

#include <algorithm>
#include <climits>
#include <map>

#include "store/ProfileRules.h"

namespace plan {

namespace {

bool IsAtoiBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::optional<int> TwoDigits(std::string_view field, int limit) {
    if (field.empty() || field.size() > 2) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value < limit ? std::optional<int>(value) : std::nullopt;
}

// Seconds of the day for "h:m:s".
std::optional<int> ParseTimeOfDay(std::string_view text) {
    const auto fields = SplitInThree(text, ':');
    if (!fields) {
        return std::nullopt;
    }
    const auto hour = TwoDigits((*fields)[0], 24);
    const auto minute = TwoDigits((*fields)[1], 60);
    const auto second = TwoDigits((*fields)[2], 60);
    if (!hour || !minute || !second) {
        return std::nullopt;
    }
    return *hour * 3600 + *minute * 60 + *second;
}

} // namespace

long long RecordSeconds(std::string_view part) {
    std::size_t pos = 0;
    while (pos < part.size() && IsAtoiBlank(part[pos])) {
        ++pos;
    }
    if (pos < part.size() && (part[pos] == '+' || part[pos] == '-')) {
        if (part[pos] == '-') {
            return 0;
        }
        ++pos;
    }
    long long value = 0;
    while (pos < part.size() && part[pos] >= '0' && part[pos] <= '9') {
        value = std::min<long long>(value * 10 + (part[pos] - '0'), INT_MAX);
        ++pos;
    }
    return value;
}

std::optional<Connection> ReadConnection(std::string_view record) {
    // The parts of store::ParseConnectionRecord, found the same way, without copies: the
    // statistics window reads every record at its opening.
    const std::size_t comma = store::rules::FindChar(record, ',');
    const std::size_t at =
        comma == std::string_view::npos ? comma : store::rules::FindChar(record, '@', comma + 1);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<Date> date = ParseDate(record.substr(0, comma));
    const std::optional<int> time = ParseTimeOfDay(record.substr(at + 1));
    if (!date || !time) {
        return std::nullopt;
    }
    const long long end = DayNumber(*date) * kSecondsPerDay + *time;
    return Connection{end - RecordSeconds(record.substr(comma + 1, at - comma - 1)), end};
}

ReadRecords ReadConnections(const std::vector<std::string>& records) {
    ReadRecords read;
    read.connections.reserve(records.size());
    for (const std::string& record : records) {
        if (std::optional<Connection> connection = ReadConnection(record)) {
            read.connections.push_back(*connection);
        } else {
            ++read.unreadable;
        }
    }
    return read;
}

Connection RunningConnection(const store::LocalTime& now, long long seconds) {
    const long long end = WallSeconds(now);
    return Connection{end - std::max(seconds, 0LL), end};
}

long long SecondsIn(const Cycle& cycle, const Connection& connection) {
    const long long from = std::max(cycle.Begin(), connection.start);
    const long long to = std::min(cycle.End(), connection.end);
    return to > from ? to - from : 0;
}

bool BelongsTo(const Cycle& cycle, const Connection& connection) {
    if (connection.end == connection.start) {
        return connection.start >= cycle.Begin() && connection.start < cycle.End();
    }
    return SecondsIn(cycle, connection) > 0;
}

CycleUsage UsageIn(const Cycle& cycle, const std::vector<Connection>& connections) {
    CycleUsage usage{cycle};
    for (const Connection& connection : connections) {
        if (BelongsTo(cycle, connection)) {
            ++usage.connections;
            usage.seconds += SecondsIn(cycle, connection);
        }
    }
    return usage;
}

std::vector<CycleUsage> UsageByCycle(const std::vector<Connection>& connections, int firstDay,
                                     const Cycle& current) {
    std::map<long long, CycleUsage> byBegin;
    byBegin.emplace(current.Begin(), CycleUsage{current});
    for (const Connection& connection : connections) {
        const long long startDay =
            connection.start / kSecondsPerDay - (connection.start % kSecondsPerDay < 0 ? 1 : 0);
        Cycle cycle = CycleOf(DateOfDay(startDay), firstDay);
        // Walks only the cycles the connection spans, from the one it started in.
        while (BelongsTo(cycle, connection)) {
            CycleUsage& usage = byBegin.try_emplace(cycle.Begin(), CycleUsage{cycle}).first->second;
            ++usage.connections;
            usage.seconds += SecondsIn(cycle, connection);
            if (connection.end <= cycle.End()) {
                break;
            }
            cycle = CycleAfter(cycle, firstDay);
        }
    }
    std::vector<CycleUsage> table;
    table.reserve(byBegin.size());
    for (auto it = byBegin.rbegin(); it != byBegin.rend(); ++it) {
        table.push_back(it->second);
    }
    return table;
}

} // namespace plan
