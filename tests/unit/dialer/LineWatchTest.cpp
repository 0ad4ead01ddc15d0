#include "dialer/LineWatch.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace dialer {
namespace {

TEST(ConnectionToFollowTest, TheFirstOfThePhoneBookThatIsNotHeld) {
    const std::vector<std::string> book{"宽带连接", "ADSL"};
    struct Row {
        std::vector<ActiveConnection> up;
        RasHandle own;
        RasHandle followed; // 0: none
    };
    const Row rows[] = {
        {{}, 0, 0},
        {{{5, "ADSL"}}, 0, 5},
        {{{5, "VPN"}, {6, "宽带连接"}}, 0, 6},  // not in the phone book: passed over
        {{{5, "ADSL"}, {6, "宽带连接"}}, 0, 5}, // one at a time, the service's first
        {{{5, "ADSL"}}, 5, 0},                  // the one held
        {{{5, "ADSL"}, {6, "宽带连接"}}, 5, 6},
        {{{0, "ADSL"}}, 0, 0}, // no handle to follow or hang up
        {{{5, "adsl"}}, 0, 0}, // names as the service lists them
    };
    for (const Row& row : rows) {
        const std::optional<ActiveConnection> found = ConnectionToFollow(row.up, book, row.own);
        EXPECT_EQ(found ? found->handle : 0, row.followed)
            << row.up.size() << " up, own " << row.own;
    }
}

TEST(ElapsedSecondsTest, TheServicesFigureElseTheSavedConnectElseNone) {
    constexpr std::int64_t kNow = 1'800'000'000'000;
    struct Row {
        ElapsedSources sources;
        int seconds;
    };
    const Row rows[] = {
        {{LinkStatistics{0, 0, 125'900}, std::nullopt, 0, kNow}, 125},
        {{LinkStatistics{0, 0, 125'900}, kNow - 9'000'000, 60, kNow},
         125}, // the service knows best
        {{std::nullopt, kNow - 3'725'400, 3700, kNow}, 3725},
        {{std::nullopt, kNow + 60'000, 3700, kNow}, 3700}, // a clock set back: the saved seconds
        {{std::nullopt, 0, 3700, kNow}, 3700},             // no clock read that moment
        {{std::nullopt, std::nullopt, 3700, kNow}, 3700},
        {{std::nullopt, std::nullopt, 0, kNow}, 0}, // noticed now
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ElapsedSeconds(row.sources), row.seconds) << row.seconds;
    }
}

TEST(TrafficSumTest, EachSampleAddsWhatPassedSinceTheOneBeforeAcrossWraps) {
    constexpr std::uint32_t kTop = 0xFFFFFFFFu;
    struct Row {
        const char* what;
        std::pair<std::uint64_t, std::uint64_t> carried;
        bool countFirst;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> samples;
        std::uint64_t received;
        std::uint64_t sent;
        bool known;
    };
    const Row rows[] = {
        {"a dial's first sample is the base",
         {0, 0},
         false,
         {{500, 40}, {1500, 90}},
         1000,
         50,
         true},
        {"a connection found up counts its first",
         {0, 0},
         true,
         {{500, 40}, {1500, 90}},
         1500,
         90,
         true},
        {"a wrap between samples", {0, 0}, false, {{kTop - 99, 7}, {100, 8}}, 200, 1, true},
        {"several wraps over many samples",
         {0, 0},
         false,
         {{0, 0}, {0x80000000u, 0}, {0, 0}, {0x80000000u, 0}, {0x10u, 0}},
         0x200000010ull,
         0,
         true},
        {"carried sums go on",
         {5'000'000'000ull, 7},
         false,
         {{900, 3}, {1000, 4}},
         5'000'000'100ull,
         8,
         true},
        {"no figures from the service", {0, 0}, false, {}, 0, 0, false},
        {"carried sums without figures", {12, 3}, false, {}, 12, 3, true},
    };
    for (const Row& row : rows) {
        TrafficSum sum;
        sum.Start(row.carried.first, row.carried.second, row.countFirst);
        for (const auto& [received, sent] : row.samples) {
            sum.Sample(received, sent);
        }
        EXPECT_EQ(sum.Received(), row.received) << row.what;
        EXPECT_EQ(sum.Sent(), row.sent) << row.what;
        EXPECT_EQ(sum.Known(), row.known) << row.what;
    }
}

} // namespace
} // namespace dialer
