#include "plan/Usage.h"

#include <algorithm>
#include <climits>
#include <map>

#include "store/ConnectionRecord.h"

namespace plan {

namespace {

// Seconds of the day for "h:m:s".
std::optional<int> ParseTimeOfDay(std::string_view text) {
    const auto numbers = ThreeNumbers(text, ':', {2, 2, 2});
    if (!numbers || (*numbers)[0] >= 24 || (*numbers)[1] >= 60 || (*numbers)[2] >= 60) {
        return std::nullopt;
    }
    return (*numbers)[0] * 3600 + (*numbers)[1] * 60 + (*numbers)[2];
}

} // namespace

long long RecordSeconds(std::string_view part) {
    return std::max(store::SecondsAsRead(part), 0);
}

std::optional<Connection> ReadConnection(std::string_view record) {
    const std::optional<store::RecordParts> parts = store::SplitConnectionRecord(record);
    if (!parts) {
        return std::nullopt;
    }
    const std::optional<Date> date = ParseDate(parts->date);
    const std::optional<int> time = ParseTimeOfDay(parts->time);
    if (!date || !time) {
        return std::nullopt;
    }
    const long long end = DayNumber(*date) * kSecondsPerDay + *time;
    return Connection{end - RecordSeconds(parts->seconds), end};
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

long long BilledSeconds(long long seconds, long long unitSeconds) {
    if (seconds <= 0 || unitSeconds <= 1) {
        return std::max(seconds, 0LL);
    }
    const long long units = seconds / unitSeconds + (seconds % unitSeconds != 0 ? 1 : 0);
    return units > LLONG_MAX / unitSeconds ? LLONG_MAX : units * unitSeconds;
}

long long BilledSecondsIn(const Cycle& cycle, const Connection& connection,
                          const PlanSettings& plan) {
    return BilledSeconds(SecondsIn(cycle, connection), plan.BillingSeconds());
}

bool BelongsTo(const Cycle& cycle, const Connection& connection) {
    if (connection.end == connection.start) {
        return connection.start >= cycle.Begin() && connection.start < cycle.End();
    }
    return SecondsIn(cycle, connection) > 0;
}

CycleUsage UsageIn(const Cycle& cycle, const std::vector<Connection>& connections,
                   const PlanSettings& plan) {
    CycleUsage usage{cycle};
    for (const Connection& connection : connections) {
        if (BelongsTo(cycle, connection)) {
            ++usage.connections;
            usage.seconds += BilledSecondsIn(cycle, connection, plan);
        }
    }
    usage.elsewhere = ElsewhereSeconds(plan, cycle);
    return usage;
}

std::vector<CycleUsage> UsageByCycle(const std::vector<Connection>& connections,
                                     const PlanSettings& plan, const Cycle& current) {
    const int firstDay = plan.firstDay;
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
            usage.seconds += BilledSecondsIn(cycle, connection, plan);
            if (connection.end <= cycle.End()) {
                break;
            }
            cycle = CycleAfter(cycle, firstDay);
        }
    }
    for (const Correction& correction : plan.corrections) {
        const Cycle cycle = CycleOf(correction.cycleFirst, firstDay);
        byBegin.try_emplace(cycle.Begin(), CycleUsage{cycle}).first->second.elsewhere +=
            correction.minutes * 60LL;
    }
    std::vector<CycleUsage> table;
    table.reserve(byBegin.size());
    for (auto it = byBegin.rbegin(); it != byBegin.rend(); ++it) {
        table.push_back(it->second);
    }
    return table;
}

} // namespace plan
