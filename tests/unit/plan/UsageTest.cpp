#include "plan/Usage.h"

#include <climits>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "tests/unit/plan/PlanPrinters.h"

namespace plan {
namespace {

long long At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return WallSeconds({year, month, day, hour, minute, second});
}

Connection Read(const std::string& record) {
    const std::optional<Connection> connection = ReadConnection(record);
    EXPECT_TRUE(connection) << record;
    return connection.value_or(Connection{});
}

TEST(ReadConnectionTest, StartsItsSecondsBeforeTheHangUp) {
    const Connection connection = Read("2003-9-3,3725@15:9:51");
    EXPECT_EQ(connection.end, At(2003, 9, 3, 15, 9, 51));
    EXPECT_EQ(connection.start, At(2003, 9, 3, 14, 7, 46));
    EXPECT_EQ(Read("2026-03-05,1@09:05:01").end, At(2026, 3, 5, 9, 5, 1));
    EXPECT_EQ(Read("2024-2-29,0@23:59:59").end, At(2024, 2, 29, 23, 59, 59));
}

TEST(ReadConnectionTest, UnreadableDatesAndTimes) {
    for (const char* record :
         {"2023-2-29,60@1:2:3", "2024-2-30,60@1:2:3", "2024-13-1,60@1:2:3", "1600-1-1,60@1:2:3",
          "2024-1-1 ,60@1:2:3", "abcdefgh,60@1:2:3", "2024-1-1,60@24:0:0", "2024-1-1,60@12:60:0",
          "2024-1-1,60@12:0:60", "2024-1-1,60@12:30", "2024-1-1,60@1:2:3:4", "2024-1-1,60@ 1:2:3",
          "2024-1-1,60@1:2:3 ", "2024-1-1,60@-1:2:3", "2024-1-1,60@1:2:003"}) {
        EXPECT_FALSE(ReadConnection(record)) << record;
    }
}

// How the seconds part reads: the table beside store::SecondsAsRead.
TEST(ReadConnectionTest, ANegativeSecondsPartLeavesTheRecordReadable) {
    const Connection negative = Read("2024-1-1,-500@1:2:3");
    EXPECT_EQ(negative.start, negative.end);
}

TEST(ReadConnectionTest, UnreadableRecordsAreCountedApart) {
    const ReadRecords read = ReadConnections(
        {"2024-1-1,60@1:2:3", "2024-2-30,60@1:2:3", "no separators here", "2024-1-2,60@1:2:3"});
    ASSERT_EQ(read.connections.size(), 2u);
    EXPECT_EQ(read.connections[1].end, At(2024, 1, 2, 1, 2, 3));
    EXPECT_EQ(read.unreadable, 2);
}

const Cycle kNovember = CycleOf({2026, 11, 1}, 1);
const Cycle kDecember = CycleOf({2026, 12, 1}, 1);

TEST(CycleUsageTest, AConnectionAcrossTheFirstMidnightIsSplitAndCountsInBoth) {
    const std::vector<Connection> across = {Read("2026-12-1,1200@0:10:0")};
    const CycleUsage november = UsageIn(kNovember, across);
    const CycleUsage december = UsageIn(kDecember, across);
    EXPECT_EQ(november.seconds, 600);
    EXPECT_EQ(december.seconds, 600);
    EXPECT_EQ(november.connections, 1);
    EXPECT_EQ(december.connections, 1);
}

TEST(CycleUsageTest, TheBoundaryBelongsToTheCycleItBegins) {
    const std::vector<Connection> endsAtMidnight = {Read("2026-12-1,600@0:0:0")};
    EXPECT_EQ(UsageIn(kNovember, endsAtMidnight).seconds, 600);
    EXPECT_EQ(UsageIn(kDecember, endsAtMidnight).connections, 0);

    const std::vector<Connection> startsAtMidnight = {Read("2026-12-1,600@0:10:0")};
    EXPECT_EQ(UsageIn(kNovember, startsAtMidnight).connections, 0);
    EXPECT_EQ(UsageIn(kDecember, startsAtMidnight).seconds, 600);

    const std::vector<Connection> zeroAtMidnight = {Read("2026-12-1,0@0:0:0")};
    EXPECT_EQ(UsageIn(kNovember, zeroAtMidnight).connections, 0);
    EXPECT_EQ(UsageIn(kDecember, zeroAtMidnight).connections, 1);
    EXPECT_EQ(UsageIn(kDecember, zeroAtMidnight).seconds, 0);
}

TEST(CycleUsageTest, TheRunningConnectionCountsOnlyFromTheCycleItReached) {
    const Cycle cycle = CycleOf({2027, 1, 15}, 15);
    const std::vector<Connection> records = {Read("2027-1-20,3600@12:0:0"),
                                             Read("2027-1-14,3600@23:30:0")};
    const Connection running = RunningConnection({2027, 1, 15, 0, 20, 0}, 3000);
    EXPECT_EQ(UsageIn(cycle, records).seconds + SecondsIn(cycle, running), 3600 + 1200);
}

TEST(CycleUsageTest, TheTableListsCyclesWithConnectionsNewestFirst) {
    const std::vector<Connection> connections = {
        Read("2026-8-20,3600@10:0:0"), Read("2026-10-14,60@10:0:0"), Read("2026-10-15,120@10:0:0"),
        Read("2026-10-15,1800@0:10:0")};
    const Cycle current = CycleOf({2026, 12, 16}, 15);
    const std::vector<CycleUsage> table = UsageByCycle(connections, PlanSettings{0, 15}, current);
    // The current cycle although empty; the empty one before it left out.
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].cycle, current);
    EXPECT_EQ(table[0].connections, 0);
    EXPECT_EQ(table[1].cycle.first, (Date{2026, 10, 15}));
    EXPECT_EQ(table[1].connections, 2);
    EXPECT_EQ(table[1].seconds, 120 + 600);
    EXPECT_EQ(table[2].cycle.first, (Date{2026, 9, 15}));
    EXPECT_EQ(table[2].connections, 2);
    EXPECT_EQ(table[2].seconds, 60 + 1200);
    EXPECT_EQ(table[3].cycle.first, (Date{2026, 8, 15}));
    EXPECT_EQ(table[3].seconds, 3600);
}

// A hand-edited count of 68 years spreads over every cycle it spans, each walked once.
TEST(CycleUsageTest, AHugeCountIsSplitOverEveryCycleItSpans) {
    const Connection huge = Read("2026-12-10,99999999999@12:0:0");
    const Cycle current = CycleOf({2026, 12, 10}, 1);
    const std::vector<CycleUsage> table = UsageByCycle({huge}, PlanSettings{}, current);
    long long seconds = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].connections, 1);
        if (i > 0 && i + 1 < table.size()) {
            EXPECT_EQ(table[i].seconds, table[i].cycle.End() - table[i].cycle.Begin());
        }
        seconds += table[i].seconds;
    }
    EXPECT_EQ(seconds, INT_MAX);
    EXPECT_EQ(table.size(), (2026u - 1958) * 12 + 2); // November 1958 to December 2026
    EXPECT_EQ(table.back().cycle.first, (Date{1958, 11, 1}));
}

// Each connection rounded up to the ISP's unit: to the second, the minute, or 5 minutes.
TEST(BilledSecondsTest, EachStartedUnitCountsWhole) {
    const struct {
        long long unit;
        long long seconds[5]; // counted for 0, 59, 60, 61 and 301 seconds
    } rows[] = {
        {1, {0, 59, 60, 61, 301}},
        {60, {0, 60, 60, 120, 360}},
        {300, {0, 300, 300, 300, 600}},
        {3600, {0, 3600, 3600, 3600, 3600}},
    };
    const long long online[5] = {0, 59, 60, 61, 301};
    for (const auto& row : rows) {
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(BilledSeconds(online[i], row.unit), row.seconds[i])
                << online[i] << " s in units of " << row.unit;
        }
    }
    EXPECT_EQ(BilledSeconds(LLONG_MAX, 3600), LLONG_MAX);
}

// Per minute, with time used elsewhere: in the current cycle, in a past one, in one without a
// connection, and one dated inside a cycle (entered under another first day) counts there.
TEST(CycleUsageTest, RoundingAndCorrectionsAsThePlanCounts) {
    PlanSettings plan;
    plan.billing = Billing::PerMinute;
    plan.corrections = {
        {{2026, 12, 1}, 90}, {{2026, 11, 15}, 15}, {{2026, 11, 1}, 10}, {{2026, 9, 1}, 30}};
    const std::vector<Connection> connections = {
        Read("2026-12-1,1260@0:10:30"), // 23:49:30 to 0:10:30: 630 s in each, each 660
        Read("2026-12-3,61@10:0:0"),    // 120
        Read("2026-12-3,0@11:0:0"),     // 0
    };
    const struct {
        Date first;
        int connections;
        long long seconds;
        long long elsewhere;
    } expected[] = {
        {{2026, 12, 1}, 3, 660 + 120, 90 * 60},
        {{2026, 11, 1}, 1, 660, 25 * 60},
        {{2026, 9, 1}, 0, 0, 30 * 60},
    };
    const std::vector<CycleUsage> table = UsageByCycle(connections, plan, kDecember);
    ASSERT_EQ(table.size(), std::size(expected));
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].cycle.first, expected[i].first);
        EXPECT_EQ(table[i].connections, expected[i].connections) << i;
        EXPECT_EQ(table[i].seconds, expected[i].seconds) << i;
        EXPECT_EQ(table[i].elsewhere, expected[i].elsewhere) << i;
    }
    const CycleUsage december = UsageIn(kDecember, connections, plan);
    EXPECT_EQ(december.Used(), 660 + 120 + 90 * 60);
    EXPECT_EQ(UsageIn(kDecember, connections).Used(), 630 + 61);
}

} // namespace
} // namespace plan
