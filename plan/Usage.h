#pragma once

// Stored connections as spans of wall-clock time, and what each billing cycle has used.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plan/Calendar.h"
#include "plan/PlanSettings.h"

namespace plan {

// [start, end) in wall seconds; start is the hang-up time minus the seconds online.
struct Connection {
    long long start = 0;
    long long end = 0;
};

// The seconds part as store::SecondsAsRead reads it (as the statistics total reads it), except
// that a negative count is 0: a connection cannot give time back.
long long RecordSeconds(std::string_view part);

// Nothing when the record cannot be read as a date and a time: a date part that ParseDate
// refuses, or a time part other than "h:m:s" with hour 0-23, minute and second 0-59 (digits
// only, at most two each). The seconds part never makes a record unreadable.
std::optional<Connection> ReadConnection(std::string_view record);

struct ReadRecords {
    std::vector<Connection> connections; // in file order
    int unreadable = 0;                  // listed by the window, counted in no cycle
};
ReadRecords ReadConnections(const std::vector<std::string>& records);

// The connection running for `seconds` up to now.
Connection RunningConnection(const store::LocalTime& now, long long seconds);

// The part of the connection that lies in the cycle.
long long SecondsIn(const Cycle& cycle, const Connection& connection);

// Seconds as the ISP counts them: rounded up to whole units of unitSeconds (0 stays 0).
long long BilledSeconds(long long seconds, long long unitSeconds);

// The part of the connection in the cycle as the plan counts it. A connection across the start
// of a cycle is counted in each cycle for its part there, each part rounded up on its own: the
// ISP's bill of each month holds the minutes begun in it.
long long BilledSecondsIn(const Cycle& cycle, const Connection& connection,
                          const PlanSettings& plan);

// A connection belongs to every cycle it ran in; one of 0 seconds to the cycle of its moment.
bool BelongsTo(const Cycle& cycle, const Connection& connection);

struct CycleUsage {
    Cycle cycle;
    int connections = 0;     // a connection split between cycles counts in each
    long long seconds = 0;   // of the connections, as the plan counts them
    long long elsewhere = 0; // the user's correction: time used elsewhere

    long long Used() const { return seconds + elsewhere; }
};

// One cycle, e.g. the current one, as the plan counts it; without a plan to the second and
// without corrections. While connected, add BilledSecondsIn(cycle, running, plan).
CycleUsage UsageIn(const Cycle& cycle, const std::vector<Connection>& connections,
                   const PlanSettings& plan = {});

// Every cycle with a connection or a correction, and the current one even when empty, newest
// first, in the plan's cycles. Work per connection is bounded by the cycles it spans: at most
// about 900 for the largest count.
std::vector<CycleUsage> UsageByCycle(const std::vector<Connection>& connections,
                                     const PlanSettings& plan, const Cycle& current);

} // namespace plan
