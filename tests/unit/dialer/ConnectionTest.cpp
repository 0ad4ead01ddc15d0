#include "dialer/Connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "store/SettingsFile.h"
#include "tests/unit/store/MemoryFiles.h"
#include "tests/unit/store/RecordingStore.h"

namespace dialer {
namespace {

class FakeRas : public RasPort {
public:
    unsigned Dial(const DialRequest& request, RasHandle* handle) override {
        dials.push_back(request);
        *handle = refuseWith != 0 ? handleWithRefusal : nextHandle;
        return refuseWith;
    }
    void HangUp(RasHandle handle) override { hangUps.push_back(handle); }
    bool IsLineUp(RasHandle) override { return lineUp; }
    std::vector<std::string> ListEntries() override { return entries; }
    std::vector<ActiveConnection> ListConnections() override { return up; }
    std::optional<LinkStatistics> Statistics(RasHandle handle) override {
        const auto found = figures.find(handle);
        return found != figures.end() ? std::optional(found->second) : std::nullopt;
    }

    std::vector<std::string> entries{"a"};
    std::vector<ActiveConnection> up;
    std::map<RasHandle, LinkStatistics> figures;
    std::vector<DialRequest> dials;
    std::vector<RasHandle> hangUps;
    unsigned refuseWith = 0;
    RasHandle nextHandle = 7;
    RasHandle handleWithRefusal = 0;
    bool lineUp = true;
};

class FakeClock : public Clock {
public:
    std::int64_t MonotonicMs() const override { return nowMs; }
    std::int64_t WallMs() const override { return wallMs; }
    store::LocalTime LocalNow() const override { return wallClock; }
    std::int64_t nowMs = 100000;
    std::int64_t wallMs = 13'000'000'000'000;
    store::LocalTime wallClock{2003, 9, 3, 15, 9, 51};
};

class RecordingView : public ConnectionView {
public:
    void ApplyControls(const ControlStates& states) override { controls = states; }
    void ShowStatus(const std::string& text) override { status = text; }
    void ShowStageText(unsigned stringId) override { status = "stage " + std::to_string(stringId); }
    void ShowTickStatus(const std::string& text) override { status = text; }
    void StartSecondsTimer() override { timerOn = true; }
    void StopSecondsTimer() override { timerOn = false; }
    void ShowConnected() override { ++connectedShown; }
    void ShowFollowing(const std::string& entry) override { following.push_back(entry); }
    void ReportUnsavedRecord(const std::string& message) override { unsaved.push_back(message); }

    ControlStates controls = ControlsFor(LinkState::Idle);
    std::string status;
    bool timerOn = false;
    int connectedShown = 0;
    std::vector<std::string> following;
    std::vector<std::string> unsaved;
};

class ConnectionTest : public ::testing::Test {
protected:
    void Connect() {
        connection.Dial({"a", "user", "secret"});
        connection.OnDialEvent(kRasConnected, 0);
    }
    void AdvanceMs(std::int64_t ms) {
        clock.nowMs += ms;
        clock.wallMs += ms;
    }
    std::string Stored(const std::string& section, const std::string& key) const {
        return store::testing::StoredValue(document, section, key);
    }
    // Saves of the running connection so far.
    long Saves() const {
        return std::count(settings.writes.begin(), settings.writes.end(), "Running/Record");
    }

    store::IniDocument document;
    store::testing::RecordingStore settings{document};
    FakeRas ras;
    FakeClock clock;
    RecordingView view;
    Connection connection{ras, clock, settings, view};
};

TEST_F(ConnectionTest, DialPassesTheRequestAndHoldsTheHandle) {
    connection.Dial({"entry", "user", "secret"});
    ASSERT_EQ(ras.dials.size(), 1u);
    EXPECT_EQ(ras.dials[0].entry, "entry");
    EXPECT_EQ(ras.dials[0].user, "user");
    EXPECT_EQ(ras.dials[0].password, "secret");
    EXPECT_EQ(connection.Handle(), 7u);
    EXPECT_EQ(connection.Mode(), 1);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Dialing));
}

TEST_F(ConnectionTest, RefusedDialReturnsToIdle) {
    ras.refuseWith = 623;
    connection.Dial({"unknown", "", ""});
    EXPECT_EQ(connection.Handle(), 0u);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    EXPECT_EQ(view.status, kDialFailedText);
    EXPECT_TRUE(ras.hangUps.empty());
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(ConnectionTest, HandleHandedOutWithARefusalIsReleased) {
    ras.refuseWith = 676;
    ras.handleWithRefusal = 9;
    connection.Dial({"a", "", ""});
    EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{9});
    EXPECT_EQ(connection.Handle(), 0u);
}

TEST_F(ConnectionTest, SecondDialWhileOneIsHeldIsRefused) {
    connection.Dial({"a", "", ""});
    connection.Dial({"b", "", ""});
    EXPECT_EQ(ras.dials.size(), 1u);
    EXPECT_EQ(connection.Handle(), 7u);
}

TEST_F(ConnectionTest, StagesShowTheirTextAndKeepDialing) {
    connection.Dial({"a", "", ""});
    connection.OnDialEvent(5, 0);
    EXPECT_EQ(view.status, "stage 105");
    connection.OnDialEvent(18, 0);
    EXPECT_EQ(view.status, "stage 3");
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Dialing));
    EXPECT_FALSE(view.timerOn);
}

TEST_F(ConnectionTest, FailedStageHangsUpAndReturnsToIdle) {
    connection.Dial({"a", "", ""});
    connection.OnDialEvent(5, 691);
    EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{7});
    EXPECT_EQ(connection.Handle(), 0u);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    EXPECT_EQ(view.status, kDialFailedText);
    EXPECT_TRUE(settings.writes.empty());
}

TEST_F(ConnectionTest, DisconnectedStateWithoutErrorIsAFailedDial) {
    connection.Dial({"a", "", ""});
    connection.OnDialEvent(kRasDisconnected, 0);
    EXPECT_EQ(connection.Mode(), 1);
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(view.connectedShown, 0);
    EXPECT_EQ(view.status, kDialFailedText);
    EXPECT_EQ(connection.Handle(), 0u);
}

TEST_F(ConnectionTest, ConnectStartsTheCount) {
    Connect();
    EXPECT_EQ(connection.Mode(), 2);
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(view.connectedShown, 1);
    EXPECT_EQ(view.status, kConnectedText);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Connected));
}

TEST_F(ConnectionTest, EventsAfterTheDialEndedAreDropped) {
    connection.Dial({"a", "", ""});
    connection.HangUp();
    const std::string status = view.status;
    connection.OnDialEvent(kRasConnected, 0);
    EXPECT_EQ(connection.Mode(), 1);
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(view.status, status);
}

TEST_F(ConnectionTest, TicksCountClockSecondsNotMessages) {
    Connect();
    AdvanceMs(1000);
    connection.OnTick();
    EXPECT_EQ(view.status, FormatConnectedStatus(1));
    // The thread was busy for five seconds and only one merged tick arrived.
    AdvanceMs(5000);
    connection.OnTick();
    EXPECT_EQ(connection.Seconds(), 6);
    EXPECT_EQ(view.status, FormatConnectedStatus(6));
    AdvanceMs(3661 * 1000 - 6000);
    connection.OnTick();
    EXPECT_EQ(view.status, "已连接3661秒钟，合计1小时1分");
}

TEST_F(ConnectionTest, HangUpStoresTheRecordCounterFirst) {
    document.Set("Memory", "MaxDataNumber", "4");
    Connect();
    AdvanceMs(3725 * 1000 + 400);
    connection.OnTick();
    connection.HangUp();
    // The running connection saved at connect and at the tick, then the counter, then the
    // record and its detail with the running connection's removal.
    const std::vector<std::string> running{"Running/Record", "Running/Detail",
                                           "Running/ConnectedAt"};
    std::vector<std::string> expected = running;
    expected.insert(expected.end(), running.begin(), running.end());
    expected.insert(expected.end(), {"Memory/MaxDataNumber", "Data/data[5]", "DataDetail/data[5]"});
    expected.insert(expected.end(), running.begin(), running.end());
    EXPECT_EQ(settings.writes, expected);
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "5");
    EXPECT_EQ(Stored("Data", "data[5]"), "2003-9-3,3725@15:9:51");
    EXPECT_EQ(view.status, kHungUpText);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(connection.Mode(), 1);
    EXPECT_EQ(connection.Seconds(), 0);
    EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{7});
}

TEST_F(ConnectionTest, HangUpCountsTheTimeSinceTheLastTickToo) {
    Connect();
    AdvanceMs(2500);
    connection.HangUp();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,2@15:9:51");
}

TEST_F(ConnectionTest, HangUpWhileDialingStoresZeroSeconds) {
    clock.nowMs = 0;
    connection.Dial({"a", "", ""});
    AdvanceMs(9000);
    connection.HangUp();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,0@15:9:51");
    EXPECT_EQ(view.status, kHungUpText);
}

TEST_F(ConnectionTest, HangUpWithoutAConnectionDoesNothing) {
    view.status = "unchanged";
    connection.HangUp();
    EXPECT_TRUE(ras.hangUps.empty());
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(view.status, "unchanged");
}

TEST_F(ConnectionTest, SecondConnectionCountsFromOneAndIsNumberedNext) {
    Connect();
    AdvanceMs(10000);
    connection.OnTick();
    connection.HangUp();
    ras.nextHandle = 8;
    Connect();
    AdvanceMs(1000);
    connection.OnTick();
    EXPECT_EQ(view.status, FormatConnectedStatus(1));
    connection.HangUp();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,10@15:9:51");
    EXPECT_EQ(Stored("Data", "data[2]"), "2003-9-3,1@15:9:51");
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "2");
}

TEST_F(ConnectionTest, DroppedLineEndsTheConnectionWithItsSeconds) {
    Connect();
    AdvanceMs(3000);
    connection.OnTick();
    ras.lineUp = false;
    AdvanceMs(1000);
    connection.OnTick();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,4@15:9:51");
    EXPECT_EQ(view.status, kLineDroppedText);
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(connection.Mode(), 1);
    EXPECT_EQ(connection.Handle(), 0u);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    // A later tick already queued changes nothing.
    connection.OnTick();
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "1");
}

TEST_F(ConnectionTest, RecordThatCannotBeWrittenIsShownToTheUser) {
    settings.failWritesFrom = 0;
    Connect();
    AdvanceMs(42000);
    connection.HangUp();
    ASSERT_EQ(view.unsaved.size(), 1u);
    EXPECT_NE(view.unsaved[0].find("2003-9-3,42@15:9:51"), std::string::npos);
    EXPECT_EQ(view.status, kHungUpText);
}

TEST_F(ConnectionTest, StoredRecordIsNotReported) {
    Connect();
    connection.HangUp();
    EXPECT_TRUE(view.unsaved.empty());
}

TEST_F(ConnectionTest, RunningConnectionIsSavedAtConnectAndEveryThirtySeconds) {
    Connect();
    EXPECT_EQ(Stored("Running", "Record"), "2003-9-3,0@15:9:51");
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "");
    for (int second = 1; second <= 29; ++second) {
        AdvanceMs(1000);
        connection.OnTick();
    }
    EXPECT_EQ(Saves(), 1);
    AdvanceMs(1000);
    clock.wallClock.second = 21;
    connection.OnTick();
    EXPECT_EQ(Stored("Running", "Record"), "2003-9-3,30@15:9:21");
    // Merged ticks: the next save comes 30 counted seconds after the last.
    AdvanceMs(45000);
    connection.OnTick();
    EXPECT_EQ(Stored("Running", "Record"), "2003-9-3,75@15:9:21");
    EXPECT_EQ(Saves(), 3);
}

TEST_F(ConnectionTest, FailedRunningSaveIsTriedAgainAtItsOwnPace) {
    settings.failWritesFrom = 0;
    Connect();
    settings.failWritesFrom = -1;
    AdvanceMs(1000);
    connection.OnTick();
    EXPECT_TRUE(settings.writes.empty());
    AdvanceMs(29000);
    connection.OnTick();
    EXPECT_EQ(Stored("Running", "Record"), "2003-9-3,30@15:9:51");
}

// A file held by another program or read-only: each write is one try (no read of the file),
// the user is told once, and what could not be written goes out with the next write that can.
TEST_F(ConnectionTest, WritesThatFailAreHeldToldOnceAndWrittenWhenTheFileLetsGo) {
    store::testing::MemoryFiles files;
    files.Put("c.ini", "[Memory]\r\nMaxDataNumber=4\r\n");
    store::SettingsFile file(files, "c.ini", nullptr, store::FailedWrites::Hold);
    Connection held(ras, clock, file, view, store::ProcessIdentity{5, 6});
    files.failReplaces = true;
    held.Dial({"a", "", ""});
    held.OnDialEvent(kRasConnected, 0);
    ASSERT_EQ(view.unsaved.size(), 1u);
    EXPECT_NE(view.unsaved[0].find("c.ini"), std::string::npos);
    for (int second = 1; second <= 30; ++second) {
        AdvanceMs(1000);
        held.OnTick();
    }
    EXPECT_EQ(files.replaces, 2);
    EXPECT_EQ(files.reads, 1);
    AdvanceMs(12000);
    held.HangUp();
    EXPECT_EQ(files.replaces, 3);
    EXPECT_EQ(view.unsaved.size(), 1u);
    EXPECT_EQ(store::ReadConnectionRecords(file), std::vector<std::string>{"2003-9-3,42@15:9:51"});
    EXPECT_TRUE(view.timerOn); // to try again while idle
    files.failReplaces = false;
    AdvanceMs(29000);
    held.OnTick();
    EXPECT_EQ(files.replaces, 3);
    AdvanceMs(1000);
    held.OnTick();
    EXPECT_EQ(
        files.files["c.ini"],
        "[Memory]\r\nMaxDataNumber=5\r\n[Running]\r\n[Data]\r\ndata[5]=2003-9-3,42@15:9:51\r\n"
        "[DataDetail]\r\ndata[5]=dialed,,,a\r\n");
    EXPECT_FALSE(view.timerOn);
    EXPECT_EQ(files.reads, 1);
}

TEST_F(ConnectionTest, HangUpRemovesTheRunningConnection) {
    Connect();
    AdvanceMs(31000);
    connection.OnTick();
    connection.HangUp();
    EXPECT_FALSE(document.Find("Running", "Record").has_value());
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,31@15:9:51");
}

TEST_F(ConnectionTest, ErrorEventWhileConnectedEndsTheConnectionAsAHangUpDoes) {
    for (const auto& [state, error] : {std::pair{5u, 629u}, std::pair{kRasDisconnected, 0u}}) {
        ras.hangUps.clear();
        Connect();
        AdvanceMs(12000);
        connection.OnDialEvent(state, error);
        EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{7});
        EXPECT_EQ(view.status, kLineDroppedText);
        EXPECT_FALSE(view.timerOn);
        EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
        EXPECT_EQ(connection.Mode(), 1);
        EXPECT_EQ(connection.Handle(), 0u);
        EXPECT_FALSE(document.Find("Running", "Record").has_value());
    }
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,12@15:9:51");
    EXPECT_EQ(Stored("Data", "data[2]"), "2003-9-3,12@15:9:51");
}

TEST_F(ConnectionTest, StageEventWhileConnectedChangesNothing) {
    Connect();
    AdvanceMs(3000);
    connection.OnTick();
    connection.OnDialEvent(5, 0);
    EXPECT_EQ(view.status, FormatConnectedStatus(3));
    EXPECT_EQ(connection.Mode(), 2);
    EXPECT_TRUE(view.timerOn);
}

TEST_F(ConnectionTest, ACounterLeapCountsNoMoreThanTheWallClockSawPass) {
    Connect();
    AdvanceMs(10000);
    connection.OnTick();
    // The counter ran eight hours on while the wall clock saw one second pass.
    clock.nowMs += 8 * 3600 * 1000;
    clock.wallMs += 1000;
    connection.OnTick();
    EXPECT_EQ(view.status, FormatConnectedStatus(12));
    connection.HangUp();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,12@15:9:51");
}

TEST_F(ConnectionTest, SuspendWhileConnectedStoresTheSecondsUpToItAsAHangUpDoes) {
    Connect();
    AdvanceMs(42500);
    connection.OnSuspend();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,42@15:9:51");
    EXPECT_FALSE(document.Find("Running", "Record").has_value());
    EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{7});
    EXPECT_EQ(view.status, kHungUpText);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    EXPECT_FALSE(view.timerOn);
    // A night asleep: the resume finds nothing left to end.
    AdvanceMs(8 * 3600 * 1000);
    connection.OnResume();
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "1");
    EXPECT_EQ(ras.hangUps.size(), 1u);
}

TEST_F(ConnectionTest, SuspendOrResumeWhileIdleOrDialingChangesNothing) {
    connection.OnSuspend();
    connection.OnResume();
    connection.Dial({"a", "", ""});
    connection.OnSuspend();
    connection.OnResume();
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(ras.hangUps.empty());
    EXPECT_EQ(connection.Handle(), 7u);
}

TEST_F(ConnectionTest, ResumeAfterAnUnannouncedSleepEndsTheConnectionAtItsLastTick) {
    Connect();
    AdvanceMs(20000);
    connection.OnTick();
    AdvanceMs(8 * 3600 * 1000);
    connection.OnResume();
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,20@15:9:51");
    EXPECT_EQ(view.status, kLineDroppedText);
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Idle));
    EXPECT_EQ(connection.Mode(), 1);
}

TEST_F(ConnectionTest, AConnectionUpElsewhereIsFollowedFromItsOwnStartAndEndedHere) {
    ras.up = {{4, "VPN"}, {9, "a"}};
    ras.figures[9] = {1000, 200, 125'900};
    connection.OnWatch();
    EXPECT_EQ(connection.Handle(), 9u);
    EXPECT_EQ(connection.Mode(), 2);
    EXPECT_EQ(connection.Seconds(), 125);
    EXPECT_EQ(view.following, std::vector<std::string>{"a"});
    EXPECT_EQ(view.connectedShown, 0); // the window is not hidden
    EXPECT_EQ(view.controls, ControlsFor(LinkState::Connected));
    EXPECT_TRUE(view.timerOn);
    EXPECT_EQ(Stored("Running", "Detail"), "taken,1000,200,a");

    // Watching goes on while connected, and finds nothing more to follow.
    connection.OnWatch();
    EXPECT_EQ(view.following.size(), 1u);
    AdvanceMs(1000);
    ras.figures[9] = {3000, 300, 126'900};
    connection.OnTick();
    EXPECT_EQ(connection.Seconds(), 126);
    connection.HangUp();
    EXPECT_EQ(ras.hangUps, std::vector<RasHandle>{9});
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,126@15:9:51");
    EXPECT_EQ(Stored("DataDetail", "data[1]"), "taken,3000,300,a");
    EXPECT_EQ(view.status, kHungUpText);
}

TEST_F(ConnectionTest, ADialWhileALineOfThePhoneBookIsUpFollowsItInstead) {
    ras.up = {{9, "a"}};
    connection.Dial({"a", "user", "secret"});
    EXPECT_TRUE(ras.dials.empty());
    EXPECT_EQ(connection.Handle(), 9u);
    EXPECT_EQ(connection.Seconds(), 0); // no figures: counted from now
    EXPECT_NE(view.status.find("不再拨号"), std::string::npos);
}

TEST_F(ConnectionTest, AFollowedLineThatEndsElsewhereIsStoredAsADrop) {
    ras.up = {{9, "a"}};
    connection.OnWatch();
    AdvanceMs(30'000);
    ras.lineUp = false;
    connection.OnTick();
    EXPECT_EQ(view.status, kLineDroppedText);
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,30@15:9:51");
    EXPECT_EQ(Stored("DataDetail", "data[1]"), "taken,,,a");
    EXPECT_EQ(connection.Mode(), 1);
}

TEST_F(ConnectionTest, ADialedLinesBytesCountFromTheConnectAcrossAWrap) {
    ras.figures[7] = {0xFFFFFF00u, 10, 0};
    Connect();
    AdvanceMs(1000);
    ras.figures[7] = {0x100u, 60, 1000};
    connection.OnTick();
    connection.HangUp();
    EXPECT_EQ(Stored("DataDetail", "data[1]"), "dialed,512,50,a");
}

TEST_F(ConnectionTest, ALineStillUpAfterTheRunThatDialedItDiedIsContinuedNotRecorded) {
    document.Set("Memory", "MaxDataNumber", "2");
    document.Set("Running", "Record", "2003-9-3,3700@15:9:30");
    document.Set("Running", "Detail", "dialed,100,10,a");
    document.Set("Running", "ConnectedAt", std::to_string(clock.wallMs - 3'725'400));
    ras.up = {{9, "a"}};
    EXPECT_TRUE(connection.Start().empty());
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "2");
    connection.FollowOnStart();
    EXPECT_EQ(connection.Handle(), 9u);
    EXPECT_EQ(connection.Seconds(), 3725);
    connection.HangUp();
    EXPECT_EQ(Stored("Memory", "MaxDataNumber"), "3");
    EXPECT_EQ(Stored("Data", "data[3]"), "2003-9-3,3725@15:9:51");
    EXPECT_EQ(Stored("DataDetail", "data[3]"), "dialed,100,10,a");
}

TEST_F(ConnectionTest, ASavedConnectionWhoseLineIsGoneIsRecordedAtStartAsBefore) {
    document.Set("Running", "Record", "2003-9-3,3700@15:9:30");
    document.Set("Running", "Detail", "dialed,,,a");
    ras.up = {{9, "b"}};
    ras.entries = {"a", "b"};
    EXPECT_EQ(connection.Start().size(), 1u);
    EXPECT_EQ(Stored("Data", "data[1]"), "2003-9-3,3700@15:9:30");
    // A line of another entry that is up is followed as any other.
    connection.FollowOnStart();
    EXPECT_EQ(connection.Handle(), 9u);
}

TEST(StartNoticesTest, NothingToSayForAnOrdinaryFile) {
    store::IniDocument document;
    store::testing::RecordingStore settings{document};
    EXPECT_TRUE(StartNotices(settings).empty());
    EXPECT_TRUE(settings.writes.empty());
}

TEST(StartNoticesTest, RunningConnectionBecomesARecordOnce) {
    store::IniDocument document;
    document.Set("Memory", "MaxDataNumber", "2");
    document.Set("Running", "Record", "2026-12-8,3725@15:9:51");
    store::testing::RecordingStore settings{document};
    const std::vector<std::string> notices = StartNotices(settings);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("2026-12-8"), std::string::npos);
    EXPECT_NE(notices[0].find("3725 秒"), std::string::npos);
    EXPECT_NE(notices[0].find("15:9:51"), std::string::npos);
    EXPECT_EQ(store::testing::StoredValue(document, "Data", "data[3]"), "2026-12-8,3725@15:9:51");
    EXPECT_EQ(store::testing::StoredValue(document, "Memory", "MaxDataNumber"), "3");
    EXPECT_FALSE(document.Find("Running", "Record").has_value());
    EXPECT_TRUE(StartNotices(settings).empty());
}

TEST(StartNoticesTest, RecoveryThatCannotBeStoredShowsTheRecord) {
    store::IniDocument document;
    document.Set("Running", "Record", "2026-12-8,40@9:1:2");
    store::testing::RecordingStore settings{document};
    settings.failWritesFrom = 0;
    const std::vector<std::string> notices = StartNotices(settings);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("请手工记下"), std::string::npos);
    EXPECT_NE(notices[0].find("2026-12-8,40@9:1:2"), std::string::npos);
}

class UnusableStore : public store::testing::RecordingStore {
public:
    using RecordingStore::RecordingStore;
    store::FileState State() const override { return store::FileState::TooLarge; }
};

TEST(StartNoticesTest, UnusableFileIsNamedAndNotWritten) {
    store::IniDocument document;
    UnusableStore settings{document};
    const std::vector<std::string> notices = StartNotices(settings);
    EXPECT_EQ(notices,
              std::vector<std::string>{store::FileStateNotice(store::FileState::TooLarge)});
    EXPECT_TRUE(settings.writes.empty());
}

} // namespace
} // namespace dialer
