#include "dialer/DialState.h"

#include <gtest/gtest.h>

namespace dialer {
namespace {

TEST(StageTextTest, EveryStateOfTheTableHasItsOwnId) {
    const struct {
        unsigned state;
        unsigned id;
    } table[] = {{0, 100},      {1, 101},      {2, 102},      {3, 103},      {4, 104},
                 {5, 105},      {6, 106},      {7, 107},      {8, 108},      {9, 109},
                 {10, 110},     {11, 111},     {12, 112},     {13, 113},     {14, 114},
                 {15, 115},     {16, 116},     {17, 117},     {0x1000, 118}, {0x1001, 119},
                 {0x1002, 120}, {0x1003, 121}, {0x2000, 122}, {0x2001, 123}};
    for (const auto& row : table) {
        EXPECT_EQ(GetStateStringId(row.state), row.id) << "state " << row.state;
    }
}

TEST(StageTextTest, StatesOutsideTheTableGiveTheEmptyText) {
    for (unsigned state : {18u, 19u, 0xFFFu, 0x1004u, 0x1FFFu, 0x2002u, 0x3000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(GetStateStringId(state), kNoStageText) << "state " << state;
    }
}

TEST(ControlStatesTest, FollowTheConnection) {
    EXPECT_EQ(ControlsFor(LinkState::Idle), (ControlStates{true, false, true, true, true}));
    EXPECT_EQ(ControlsFor(LinkState::Dialing), (ControlStates{false, true, false, false, false}));
    EXPECT_EQ(ControlsFor(LinkState::Connected), (ControlStates{false, true, false, false, false}));
}

TEST(DialEventTest, Classification) {
    EXPECT_EQ(ClassifyDialEvent(5, 0, true, false), DialEvent::Progress);
    EXPECT_EQ(ClassifyDialEvent(18, 0, true, false), DialEvent::Progress);
    EXPECT_EQ(ClassifyDialEvent(5, 691, true, false), DialEvent::Failed);
    EXPECT_EQ(ClassifyDialEvent(0x2000, 0, true, false), DialEvent::Connected);
    EXPECT_EQ(ClassifyDialEvent(0x2000, 678, true, false), DialEvent::Failed);
}

TEST(DialEventTest, DisconnectedEndsTheDialInsteadOfConnecting) {
    EXPECT_EQ(ClassifyDialEvent(0x2001, 0, true, false), DialEvent::Failed);
}

TEST(DialEventTest, EventsWithoutAHeldDialAreStale) {
    EXPECT_EQ(ClassifyDialEvent(0x2000, 0, false, false), DialEvent::Stale);
    EXPECT_EQ(ClassifyDialEvent(3, 0, false, false), DialEvent::Stale);
    EXPECT_EQ(ClassifyDialEvent(3, 629, false, false), DialEvent::Stale);
}

TEST(DialEventTest, ASecondConnectedEventDoesNotRestartTheCount) {
    EXPECT_EQ(ClassifyDialEvent(0x2000, 0, true, true), DialEvent::Stale);
}

TEST(DialEventTest, TheEndOfALineThatIsUpIsADrop) {
    EXPECT_EQ(ClassifyDialEvent(0x2001, 0, true, true), DialEvent::Dropped);
    EXPECT_EQ(ClassifyDialEvent(5, 629, true, true), DialEvent::Dropped);
    EXPECT_EQ(ClassifyDialEvent(0x2000, 678, true, true), DialEvent::Dropped);
    EXPECT_EQ(ClassifyDialEvent(5, 0, true, true), DialEvent::Stale);
}

TEST(RunningSaveTest, DueEveryThirtyCountedSeconds) {
    EXPECT_FALSE(RunningSaveDue(0, 0));
    EXPECT_FALSE(RunningSaveDue(29, 0));
    EXPECT_TRUE(RunningSaveDue(30, 0));
    EXPECT_TRUE(RunningSaveDue(95, 30));
    EXPECT_FALSE(RunningSaveDue(59, 30));
    // A count that went back (a clock step) saves at once.
    EXPECT_TRUE(RunningSaveDue(3, 30));
}

TEST(ElapsedTest, WholeSecondsOnly) {
    EXPECT_EQ(ElapsedWholeSeconds(1000, 1000), 0);
    EXPECT_EQ(ElapsedWholeSeconds(1000, 1999), 0);
    EXPECT_EQ(ElapsedWholeSeconds(1000, 2000), 1);
    EXPECT_EQ(ElapsedWholeSeconds(0, 3661 * 1000 + 999), 3661);
    EXPECT_EQ(ElapsedWholeSeconds(5000, 4000), 0);
}

TEST(ConnectedSecondsTest, TheCounterCountsUpToTheWallClockPlusASecond) {
    constexpr std::int64_t kWall = 13'000'000'000'000;
    constexpr std::int64_t kHourMs = 3600 * 1000;
    struct Row {
        const char* what;
        std::int64_t counterMs; // counted since the connect
        std::int64_t wallMs;    // seen by the wall clock since the connect
        int seconds;
    };
    const Row rows[] = {
        {"both agree", 5000, 5000, 5},
        {"a late tick counts every second", 6999, 7000, 6},
        {"the wall clock a little behind", 5000, 4990, 5},
        {"the counter leapt", 8 * kHourMs + 600000, 600000, 601},
        {"the counter ran on while frozen", 600000, 0, 1},
        {"the wall clock was set forward", 5000, kHourMs, 5},
        {"the counter went back", -1000, 5000, 0},
        {"the wall clock was set back past the connect", 5000, -60000, 5},
    };
    for (const Row& row : rows) {
        const ClockReading connected{100000, kWall};
        const ClockReading now{100000 + row.counterMs, kWall + row.wallMs};
        EXPECT_EQ(ConnectedSeconds(connected, now), row.seconds) << row.what;
    }
}

TEST(StatusTextTest, SecondsHoursAndMinutes) {
    EXPECT_EQ(FormatConnectedStatus(0), "已连接0秒钟，合计0小时0分");
    EXPECT_EQ(FormatConnectedStatus(59), "已连接59秒钟，合计0小时0分");
    EXPECT_EQ(FormatConnectedStatus(60), "已连接60秒钟，合计0小时1分");
    EXPECT_EQ(FormatConnectedStatus(3599), "已连接3599秒钟，合计0小时59分");
    EXPECT_EQ(FormatConnectedStatus(3661), "已连接3661秒钟，合计1小时1分");
    EXPECT_EQ(FormatConnectedStatus(90061), "已连接90061秒钟，合计25小时1分");
}

} // namespace
} // namespace dialer
