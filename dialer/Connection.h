#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialer/DialState.h"
#include "dialer/LineWatch.h"
#include "store/ConnectionDetail.h"
#include "store/ConnectionRecord.h"
#include "store/ProfileStore.h"

namespace dialer {

struct DialRequest {
    std::string entry;
    std::string user;
    std::string password;
};

// The Remote Access Service as the connection uses it.
class RasPort {
public:
    virtual ~RasPort() = default;
    // 0 when the dial has started (events follow) and *handle is set; else a RAS error code,
    // with *handle set when the service handed one out anyway.
    virtual unsigned Dial(const DialRequest& request, RasHandle* handle) = 0;
    virtual void HangUp(RasHandle handle) = 0;
    // False once the line behind handle is gone.
    virtual bool IsLineUp(RasHandle handle) = 0;
    // The names of the default phone book's entries, in the order the service lists them.
    virtual std::vector<std::string> ListEntries() = 0;
    // The connections that are up, whoever dialed them, in the service's order.
    virtual std::vector<ActiveConnection> ListConnections() { return {}; }
    // Nothing where the service gives no figures (before Windows 2000, Wine's own service).
    virtual std::optional<LinkStatistics> Statistics(RasHandle) { return std::nullopt; }
    // Whether the service gives figures at all.
    virtual bool HasStatistics() { return false; }
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t MonotonicMs() const = 0;
    // Milliseconds of the wall clock (UTC): it jumps when the clock is set, but never runs on
    // while the process is frozen.
    virtual std::int64_t WallMs() const = 0;
    virtual store::LocalTime LocalNow() const = 0;
};

// What the connection shows of itself in the main window.
class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    virtual void ApplyControls(const ControlStates& states) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // The text of a dial stage, from the program's string table.
    virtual void ShowStageText(unsigned stringId) = 0;
    // The per-second status, which goes through the window's data exchange.
    virtual void ShowTickStatus(const std::string& text) = 0;
    virtual void StartSecondsTimer() = 0;
    virtual void StopSecondsTimer() = 0;
    // The line is up: the tray icon is added and the window hides.
    virtual void ShowConnected() = 0;
    // A connection dialed elsewhere is followed: its entry is selected and the tray icon added;
    // the window stays as it is.
    virtual void ShowFollowing(const std::string& entry) { (void)entry; }
    // The connection ended and is stored: dropped when the line went by itself (or by the
    // service's event), not by a hang-up here.
    virtual void ConnectionEnded(bool dropped) { (void)dropped; }
    // A dial failed, with the service's error code (0 when it gave none).
    virtual void DialFailed(unsigned error) { (void)error; }
    // A 提示 notice: the settings file could not be written.
    virtual void ReportUnsavedRecord(const std::string& message) = 0;
};

// The dial-up connection: dialing, its events, the connected seconds and the record stored
// at its end.
class Connection {
public:
    // owner: this process, named with the running connection it saves.
    Connection(RasPort& ras, Clock& clock, store::ProfileStore& settings, ConnectionView& view,
               std::optional<store::ProcessIdentity> owner = std::nullopt)
        : m_ras(ras), m_clock(clock), m_settings(settings), m_view(view), m_owner(owner) {}

    // Ignored while a dial or connection is held. While a connection of the phone book is up,
    // nothing is dialed: that connection is followed instead.
    void Dial(const DialRequest& request);
    // While idle: a connection of the phone book that came up elsewhere is followed.
    void OnWatch();
    // At start, before the window is used: the notices to show, in order. A settings file that
    // cannot be used is named (and left alone). A running connection that a run which never ended
    // it left behind (its process gone, as processes tells) is followed on when its line is
    // still up, else it becomes an ordinary record and the user is told what was recovered.
    std::vector<std::string> Start(const store::ProcessTable* processes = nullptr);
    // Once the window is ready: follows the connection Start found still up, else any connection
    // of the phone book that is up.
    void FollowOnStart();
    void OnDialEvent(unsigned state, unsigned error);
    // Every second while connected, and while idle as long as writes are held in memory.
    void OnTick();
    // When no dial or connection is held, only tries once more to write what is held in
    // memory (the program is about to end).
    void HangUp();
    // The system goes to sleep: a connection is hung up and stored as the hang-up button does,
    // with its seconds up to now. A dial in progress is left to fail on its own.
    void OnSuspend();
    // The system woke up: a connection still held (its sleep was not announced) ends with the
    // seconds of its last tick before the sleep.
    void OnResume();

    RasHandle Handle() const { return m_hRasConn; }
    int Seconds() const { return m_nSeconds; }
    // 1 idle or dialing, 2 connected.
    int Mode() const { return m_nMode; }
    // What the connection held is: its entry, who dialed it, its bytes.
    store::ConnectionDetail Detail() const;

private:
    // Hangs up the dial or connection held, which is then no longer held.
    void Release();
    void ReturnToIdle();
    void FailDial(unsigned error);
    void EndConnection(const char* statusText, bool dropped);
    // Counting begins: elapsedSeconds already up, at the moment of the call.
    void BeginConnected(int elapsedSeconds);
    // Takes over a connection dialed elsewhere (or by a run that is gone).
    void Follow(const ActiveConnection& connection, int elapsedSeconds,
                store::ConnectionOrigin origin);
    void FollowFound(const ActiveConnection& connection);
    void SampleTraffic();
    // The record a hang-up now would store, kept in the file as the running connection.
    void SaveRunning();
    ClockReading ReadClock() const;
    // After each write: the user is told once when the file cannot be written, and again only
    // after a write has gone through. recordText is the record kept in memory.
    void NoteWrite(bool written, const std::string& recordText);
    // While idle: writes held in memory are tried at the checkpoints' pace until they go out.
    void RetryUnsaved();

    RasPort& m_ras;
    Clock& m_clock;
    store::ProfileStore& m_settings;
    ConnectionView& m_view;

    RasHandle m_hRasConn = 0;
    int m_nSeconds = 0;
    int m_nMode = 1;
    ClockReading m_connectedAt;
    int m_savedAtSeconds = 0; // m_nSeconds when the running connection was last tried
    std::optional<store::ProcessIdentity> m_owner;
    std::string m_entry;
    store::ConnectionOrigin m_origin = store::ConnectionOrigin::Dialed;
    TrafficSum m_traffic;
    struct Continued {
        ActiveConnection line;
        store::SavedRunningConnection saved;
    };
    std::optional<Continued> m_continued; // found by Start, followed by FollowOnStart
    bool m_unwrittenTold = false;         // the user knows the file cannot be written now
    std::int64_t m_triedAtMs = 0;         // the last try, while idle, of writes held in memory
    bool m_retryingIdle = false;          // the timer runs while idle for those writes
};

// At start: the notices to show, in order. A settings file that cannot be used is named (and
// left alone); else a running connection that a run which never ended it left behind (its
// process gone, as processes tells) becomes an ordinary record and the user is told what was
// recovered - unless `continues` takes it on, its line still being up.
std::vector<std::string> StartNotices(store::ProfileStore& settings,
                                      const store::ProcessTable* processes = nullptr,
                                      const store::RunningContinues& continues = {});

// The notice for a recovered running connection: what it was, and whether it is stored.
std::string RecoveredRecordNotice(const store::AppendedRecord& record);

} // namespace dialer
