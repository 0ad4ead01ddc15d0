#include "dialer/Connection.h"

#include <algorithm>
#include <utility>

#include "store/SettingsFile.h"

namespace dialer {

namespace {

std::string FollowingText(const std::string& entry) {
    return "“" + entry + "”已在别处连接，开始对它计时...";
}

std::string AlreadyUpText(const std::string& entry) {
    return "“" + entry + "”已经连接，不再拨号，开始对它计时...";
}

} // namespace

void Connection::Dial(const DialRequest& request) {
    // A second dial would lose the handle of the first, which could then never be hung up.
    if (m_hRasConn != 0) {
        return;
    }
    // A second line of the same account would be billed twice, and could not be hung up here.
    const std::vector<ActiveConnection> up = m_ras.ListConnections();
    if (!up.empty()) {
        if (const auto found = ConnectionToFollow(up, m_ras.ListEntries(), 0)) {
            FollowFound(*found);
            m_view.ShowStatus(AlreadyUpText(found->entry));
            return;
        }
    }
    m_entry = request.entry;
    m_origin = store::ConnectionOrigin::Dialed;
    m_view.ApplyControls(ControlsFor(LinkState::Dialing));
    RasHandle handle = 0;
    const unsigned result = m_ras.Dial(request, &handle);
    if (result == 0) {
        m_hRasConn = handle;
        return;
    }
    if (handle != 0) {
        m_ras.HangUp(handle);
    }
    ReturnToIdle();
    m_view.ShowStatus(kDialFailedText);
    m_view.DialFailed(result);
}

void Connection::OnDialEvent(unsigned state, unsigned error) {
    const DialEvent event = ClassifyDialEvent(state, error, m_hRasConn != 0, m_nMode == 2);
    if (event == DialEvent::Stale) {
        return;
    }
    m_view.ShowStageText(GetStateStringId(state));
    switch (event) {
    case DialEvent::Failed:
        FailDial(error);
        break;
    case DialEvent::Connected:
        m_view.ShowStatus(kConnectedText);
        m_traffic.Start(0, 0, false);
        BeginConnected(0);
        m_view.ShowConnected();
        break;
    case DialEvent::Dropped:
        m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
        EndConnection(kLineDroppedText, true);
        break;
    default:
        break;
    }
}

void Connection::OnTick() {
    if (m_nMode != 2) {
        RetryUnsaved();
        return;
    }
    // Timer messages merge while the thread is busy: the clock, not their number, counts.
    m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
    if (!m_ras.IsLineUp(m_hRasConn)) {
        EndConnection(kLineDroppedText, true);
        return;
    }
    SampleTraffic();
    if (RunningSaveDue(m_nSeconds, m_savedAtSeconds)) {
        SaveRunning();
    }
    m_view.ShowTickStatus(FormatConnectedStatus(m_nSeconds));
}

ClockReading Connection::ReadClock() const {
    return ClockReading{m_clock.MonotonicMs(), m_clock.WallMs()};
}

void Connection::BeginConnected(int elapsedSeconds) {
    m_nMode = 2;
    m_nSeconds = elapsedSeconds;
    const ClockReading now = ReadClock();
    const std::int64_t elapsedMs = static_cast<std::int64_t>(elapsedSeconds) * 1000;
    m_connectedAt = ClockReading{now.monotonicMs - elapsedMs, now.wallMs - elapsedMs};
    SampleTraffic();
    SaveRunning();
    m_view.StartSecondsTimer();
}

void Connection::Follow(const ActiveConnection& connection, int elapsedSeconds,
                        store::ConnectionOrigin origin) {
    m_hRasConn = connection.handle;
    m_entry = connection.entry;
    m_origin = origin;
    m_view.ApplyControls(ControlsFor(LinkState::Connected));
    m_view.ShowStatus(FollowingText(connection.entry));
    BeginConnected(elapsedSeconds);
    m_view.ShowFollowing(connection.entry);
}

void Connection::OnWatch() {
    if (m_hRasConn != 0) {
        return;
    }
    const std::vector<ActiveConnection> up = m_ras.ListConnections();
    if (up.empty()) {
        return; // the phone book is read only when something is up
    }
    if (const auto found = ConnectionToFollow(up, m_ras.ListEntries(), 0)) {
        FollowFound(*found);
    }
}

void Connection::FollowFound(const ActiveConnection& connection) {
    const std::optional<LinkStatistics> figures = m_ras.Statistics(connection.handle);
    // Its counters ran since its own connect, as its seconds did.
    m_traffic.Start(0, 0, true);
    Follow(connection, ElapsedSeconds({figures, std::nullopt, 0, m_clock.WallMs()}),
           store::ConnectionOrigin::TakenOver);
}

void Connection::SampleTraffic() {
    if (const std::optional<LinkStatistics> figures = m_ras.Statistics(m_hRasConn)) {
        m_traffic.Sample(figures->received, figures->sent);
    }
}

store::ConnectionDetail Connection::Detail() const {
    store::ConnectionDetail detail;
    detail.entry = m_entry;
    detail.origin = m_origin;
    if (m_traffic.Known()) {
        detail.received = m_traffic.Received();
        detail.sent = m_traffic.Sent();
    }
    return detail;
}

void Connection::SaveRunning() {
    // A failed save is tried again at the same pace: a file that cannot be written now is
    // rarely writable a second later, and every try costs the window a replace.
    const store::LocalTime now = m_clock.LocalNow();
    const store::RunningExtras extras{Detail(), m_connectedAt.wallMs};
    const bool written =
        store::SaveRunningConnection(m_settings, now, m_nSeconds, m_owner, &extras);
    m_savedAtSeconds = m_nSeconds;
    NoteWrite(written, store::FormatConnectionRecord(now, m_nSeconds));
}

void Connection::NoteWrite(bool written, const std::string& recordText) {
    if (written) {
        m_unwrittenTold = false;
        return;
    }
    // A write the store does not hold (a file it may not use) is the hang-up's to report.
    if (!m_unwrittenTold && m_settings.HasUnsaved()) {
        m_unwrittenTold = true;
        m_view.ReportUnsavedRecord(UnwrittenFileMessage(m_settings.Location(), recordText));
    }
}

void Connection::RetryUnsaved() {
    if (!m_retryingIdle) {
        return;
    }
    const std::int64_t now = m_clock.MonotonicMs();
    if (ElapsedWholeSeconds(m_triedAtMs, now) < kRunningSaveSeconds) {
        return;
    }
    m_triedAtMs = now;
    if (m_settings.WriteUnsaved()) {
        m_retryingIdle = false;
        m_unwrittenTold = false;
        m_view.StopSecondsTimer();
    }
}

void Connection::HangUp() {
    if (m_hRasConn == 0) {
        if (m_settings.HasUnsaved()) {
            m_settings.WriteUnsaved();
        }
        return;
    }
    if (m_nMode == 2) {
        m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
    }
    EndConnection(kHungUpText, false);
}

void Connection::OnSuspend() {
    if (m_nMode == 2) {
        HangUp();
    }
}

void Connection::OnResume() {
    if (m_nMode == 2) {
        EndConnection(kLineDroppedText, false); // the sleep ended it, not the line
    }
}

void Connection::ReturnToIdle() {
    m_hRasConn = 0;
    m_view.ApplyControls(ControlsFor(LinkState::Idle));
}

void Connection::Release() {
    // Cleared before the call, which waits for the line to go: an event handled meanwhile
    // finds no dial and changes nothing.
    const RasHandle handle = m_hRasConn;
    m_hRasConn = 0;
    m_nMode = 1;
    m_ras.HangUp(handle);
}

void Connection::FailDial(unsigned error) {
    Release();
    ReturnToIdle();
    m_view.ShowStatus(kDialFailedText);
    m_view.DialFailed(error);
}

void Connection::EndConnection(const char* statusText, bool dropped) {
    const int seconds = m_nSeconds;
    const store::ConnectionDetail detail = Detail();
    Release();
    ReturnToIdle();
    m_view.StopSecondsTimer();
    const store::AppendedRecord record =
        store::AppendConnectionRecord(m_settings, m_clock.LocalNow(), seconds, &detail);
    m_nSeconds = 0;
    m_view.ShowStatus(statusText);
    m_view.ConnectionEnded(dropped);
    if (!record.written && !m_settings.HasUnsaved()) {
        // Nothing holds it for a later write.
        m_view.ReportUnsavedRecord(UnsavedRecordMessage(record.text));
        return;
    }
    NoteWrite(record.written, record.text);
    if (!record.written) {
        m_retryingIdle = true;
        m_triedAtMs = m_clock.MonotonicMs();
        m_view.StartSecondsTimer();
    }
}

std::vector<std::string> Connection::Start(const store::ProcessTable* processes) {
    std::optional<ActiveConnection> stillUp;
    std::optional<store::SavedRunningConnection> continued;
    const store::RunningContinues continues = [&](const store::SavedRunningConnection& saved) {
        if (!saved.detail || saved.detail->entry.empty()) {
            return false; // saved by a version that did not name its entry
        }
        for (const ActiveConnection& connection : m_ras.ListConnections()) {
            if (connection.handle != 0 && connection.entry == saved.detail->entry) {
                stillUp = connection;
                continued = saved;
                return true;
            }
        }
        return false;
    };
    std::vector<std::string> notices = StartNotices(m_settings, processes, continues);
    if (stillUp && continued) {
        m_continued = Continued{*stillUp, *continued};
    }
    return notices;
}

void Connection::FollowOnStart() {
    if (!m_continued) {
        OnWatch();
        return;
    }
    const Continued continued = std::move(*m_continued);
    m_continued.reset();
    const std::optional<store::RecordParts> parts =
        store::SplitConnectionRecord(continued.saved.record);
    const int savedSeconds = parts ? std::max(0, store::SecondsAsRead(parts->seconds)) : 0;
    const int elapsed =
        ElapsedSeconds({m_ras.Statistics(continued.line.handle), continued.saved.connectedAtWallMs,
                        savedSeconds, m_clock.WallMs()});
    const store::ConnectionDetail& saved = *continued.saved.detail;
    // The bytes since the last save are lost with the run that counted them.
    m_traffic.Start(saved.received.value_or(0), saved.sent.value_or(0), false);
    Follow(continued.line, elapsed, saved.origin);
}

std::vector<std::string> StartNotices(store::ProfileStore& settings,
                                      const store::ProcessTable* processes,
                                      const store::RunningContinues& continues) {
    const std::string fileNotice = store::FileStateNotice(settings.State());
    if (!fileNotice.empty()) {
        return {fileNotice};
    }
    const std::optional<store::AppendedRecord> recovered =
        store::RecoverRunningConnection(settings, processes, continues);
    if (!recovered) {
        return {};
    }
    return {RecoveredRecordNotice(*recovered)};
}

std::string RecoveredRecordNotice(const store::AppendedRecord& record) {
    const std::optional<store::RecordParts> parts = store::SplitConnectionRecord(record.text);
    std::string what = record.text;
    if (parts) {
        what = "日期 " + std::string(parts->date) + "，上网 " + std::string(parts->seconds) +
               " 秒，挂断时间 " + std::string(parts->time) + "（程序最后一次记下的时刻）";
    }
    const std::string intro = "上次运行时程序没有正常结束（可能被强行关闭或突然断电）。";
    if (!record.written) {
        return intro + "当时正在进行的连接无法保存到设置文件，请手工记下：\n\n" + record.text;
    }
    return intro + "当时正在进行的连接已经恢复为一条上网记录：\n\n" + what + "。";
}

} // namespace dialer
