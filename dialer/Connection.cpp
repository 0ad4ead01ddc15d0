#include "dialer/Connection.h"

#include "store/SettingsFile.h"

namespace dialer {

void Connection::Dial(const DialRequest& request) {
    // A second dial would lose the handle of the first, which could then never be hung up.
    if (m_hRasConn != 0) {
        return;
    }
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
}

void Connection::OnDialEvent(unsigned state, unsigned error) {
    const DialEvent event = ClassifyDialEvent(state, error, m_hRasConn != 0, m_nMode == 2);
    if (event == DialEvent::Stale) {
        return;
    }
    m_view.ShowStageText(GetStateStringId(state));
    switch (event) {
    case DialEvent::Failed:
        FailDial();
        break;
    case DialEvent::Connected:
        m_view.ShowStatus(kConnectedText);
        m_nMode = 2;
        m_nSeconds = 0;
        m_connectedAt = ReadClock();
        SaveRunning();
        m_view.StartSecondsTimer();
        m_view.ShowConnected();
        break;
    case DialEvent::Dropped:
        m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
        EndConnection(kLineDroppedText);
        break;
    default:
        break;
    }
}

void Connection::OnTick() {
    if (m_nMode != 2) {
        return;
    }
    // Timer messages merge while the thread is busy: the clock, not their number, counts.
    m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
    if (!m_ras.IsLineUp(m_hRasConn)) {
        EndConnection(kLineDroppedText);
        return;
    }
    if (!m_runningSaved || RunningSaveDue(m_nSeconds, m_savedAtSeconds)) {
        SaveRunning();
    }
    m_view.ShowTickStatus(FormatConnectedStatus(m_nSeconds));
}

ClockReading Connection::ReadClock() const {
    return ClockReading{m_clock.MonotonicMs(), m_clock.WallMs()};
}

void Connection::SaveRunning() {
    // A failed save is tried again at the next tick; the hang-up reports a record it cannot
    // store.
    m_runningSaved = store::SaveRunningConnection(m_settings, m_clock.LocalNow(), m_nSeconds);
    if (m_runningSaved) {
        m_savedAtSeconds = m_nSeconds;
    }
}

void Connection::HangUp() {
    if (m_hRasConn == 0) {
        return;
    }
    if (m_nMode == 2) {
        m_nSeconds = ConnectedSeconds(m_connectedAt, ReadClock());
    }
    EndConnection(kHungUpText);
}

void Connection::OnSuspend() {
    if (m_nMode == 2) {
        HangUp();
    }
}

void Connection::OnResume() {
    if (m_nMode == 2) {
        EndConnection(kLineDroppedText);
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

void Connection::FailDial() {
    Release();
    ReturnToIdle();
    m_view.ShowStatus(kDialFailedText);
}

void Connection::EndConnection(const char* statusText) {
    const int seconds = m_nSeconds;
    Release();
    ReturnToIdle();
    m_view.StopSecondsTimer();
    const store::AppendedRecord record =
        store::AppendConnectionRecord(m_settings, m_clock.LocalNow(), seconds);
    m_nSeconds = 0;
    m_view.ShowStatus(statusText);
    if (!record.written) {
        m_view.ReportUnsavedRecord(UnsavedRecordMessage(record.text));
    }
}

std::vector<std::string> StartNotices(store::ProfileStore& settings) {
    const std::string fileNotice = store::FileStateNotice(settings.State());
    if (!fileNotice.empty()) {
        return {fileNotice};
    }
    const std::optional<store::AppendedRecord> recovered =
        store::RecoverRunningConnection(settings);
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
