#include "dialer/Connection.h"

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
        m_connectedAtMs = m_clock.MonotonicMs();
        m_view.StartSecondsTimer();
        m_view.ShowConnected();
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
    m_nSeconds = ElapsedWholeSeconds(m_connectedAtMs, m_clock.MonotonicMs());
    if (!m_ras.IsLineUp(m_hRasConn)) {
        EndConnection(kLineDroppedText);
        return;
    }
    m_view.ShowTickStatus(FormatConnectedStatus(m_nSeconds));
}

void Connection::HangUp() {
    if (m_hRasConn == 0) {
        return;
    }
    if (m_nMode == 2) {
        m_nSeconds = ElapsedWholeSeconds(m_connectedAtMs, m_clock.MonotonicMs());
    }
    EndConnection(kHungUpText);
}

void Connection::ReturnToIdle() {
    m_hRasConn = 0;
    m_view.ApplyControls(ControlsFor(LinkState::Idle));
}

void Connection::FailDial() {
    m_ras.HangUp(m_hRasConn);
    ReturnToIdle();
    m_view.ShowStatus(kDialFailedText);
}

void Connection::EndConnection(const char* statusText) {
    m_ras.HangUp(m_hRasConn);
    ReturnToIdle();
    m_view.StopSecondsTimer();
    const store::AppendedRecord record =
        store::AppendConnectionRecord(m_settings, m_clock.LocalNow(), m_nSeconds);
    m_nSeconds = 0;
    m_nMode = 1;
    m_view.ShowStatus(statusText);
    if (!record.written) {
        m_view.ReportUnsavedRecord(UnsavedRecordMessage(record.text));
    }
}

} // namespace dialer
