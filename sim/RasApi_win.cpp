// The simulated rasapi32.dll's dial, hang-up and status calls (the phone book is in
// RasEntries_win.cpp, the listing and statistics in RasConnections_win.cpp). Each dial gets a
// worker thread that plays the entry's script; the notifier is always called with no lock held,
// and hang-up never waits for the worker, so a notifier that talks to a busy user-interface
// thread cannot deadlock. A script can keep a hung-up connection known for a while (hangup_ms)
// and send events after the hang-up (after_hangup), as the platform's service may.

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "dialer/RasRecords_win.h"
#include "framework/Handles.h"
#include "sim/Connections_win.h"
#include "sim/RasLog_win.h"
#include "sim/SimConfig.h"
#include "sim/SimEnv_win.h"

namespace {

using simras::AnsiEntries;
using simras::AnsiEntry;
using simras::Connection;
using simras::Connections;
using simras::DialEvent;
using simras::DialScript;
using simras::Field;
using simras::HandleText;
using simras::Hex;
using simras::IdOf;
using simras::IsOneOf;
using simras::kConnStatusSizes;
using simras::kDialParamsSizes;
using simras::LogLine;
using simras::NullOr;
using simras::Num;
using simras::QuoteForLog;
using simras::Registry;

constexpr DWORD kNotifierWindow = 0xFFFFFFFF;

// Returns false when the notifier asked for no more events (type 2 returning 0).
bool Notify(const Connection& conn, const DialEvent& ev) {
    RASCONNSTATE state = static_cast<RASCONNSTATE>(ev.state);
    switch (conn.notifierType) {
    case 0:
        reinterpret_cast<RASDIALFUNC>(conn.notifier)(WM_RASDIALEVENT, state, ev.error);
        return true;
    case 1:
        reinterpret_cast<RASDIALFUNC1>(conn.notifier)(conn.Handle(), WM_RASDIALEVENT, state,
                                                      ev.error, 0);
        return true;
    case 2:
        return reinterpret_cast<RASDIALFUNC2>(conn.notifier)(
                   conn.callbackId, 0, conn.Handle(), WM_RASDIALEVENT, state, ev.error, 0) != 0;
    case kNotifierWindow:
        PostMessageA(static_cast<HWND>(conn.notifier), WM_RASDIALEVENT, ev.state, ev.error);
        return true;
    }
    return true;
}

// Waits `ms` unless the connection is hung up first; true when the time passed.
bool Wait(const Connection& conn, DWORD ms) {
    return WaitForSingleObject(conn.stop, ms) == WAIT_TIMEOUT;
}

void PlayScript(Connection& conn) {
    Registry& registry = Connections();
    for (const DialEvent& ev : conn.script.events) {
        if (!Wait(conn, ev.delayMs))
            return;
        // The counters start as the phone book says at the moment the line comes up.
        std::optional<simras::SimConfig> config;
        if (ev.state == RASCS_Connected)
            config = simras::LoadConfig();
        {
            Registry::Guard guard(registry);
            if (conn.hungUp)
                return;
            conn.state = ev.state;
            conn.error = ev.error;
            const DWORD now = GetTickCount();
            if (config && !conn.meter)
                conn.meter.emplace(now, 0, config->CountersStartFor(conn.nameUtf8),
                                   config->TrafficFor(conn.nameUtf8));
            else if (!config && conn.meter)
                conn.meter->Stop(now); // for good: a line that comes back is not counted
        }
        LogLine("event handle=" + HandleText(conn.id) + " state=" + Hex(ev.state) +
                " error=" + Num(ev.error));
        bool more = conn.notifier == nullptr || Notify(conn, ev);
        if (ev.error != 0)
            return;
        if (!more) {
            LogLine("notifier_stopped handle=" + HandleText(conn.id));
            break;
        }
    }
    SetEvent(conn.settled);
    if (!conn.script.dropAfterMs || !Wait(conn, *conn.script.dropAfterMs))
        return;
    {
        Registry::Guard guard(registry);
        if (conn.hungUp)
            return;
        conn.dropped = true;
        if (conn.meter)
            conn.meter->Stop(GetTickCount());
    }
    LogLine("drop handle=" + HandleText(conn.id));
}

// The script's after_hangup events, once the connection is hung up: the service's thread
// still calls the notifier after RasHangUpA has returned.
void PlayAfterHangUp(const Connection& conn) {
    WaitForSingleObject(conn.stop, INFINITE);
    for (const DialEvent& ev : conn.script.afterHangUp) {
        Sleep(ev.delayMs);
        LogLine("event handle=" + HandleText(conn.id) + " state=" + Hex(ev.state) +
                " error=" + Num(ev.error) + " after_hangup");
        if (conn.notifier != nullptr)
            Notify(conn, ev);
    }
}

DWORD WINAPI DialWorker(LPVOID arg) {
    std::unique_ptr<std::shared_ptr<Connection>> holder(
        static_cast<std::shared_ptr<Connection>*>(arg));
    Connection& conn = **holder;
    PlayScript(conn);
    SetEvent(conn.settled);
    if (!conn.script.afterHangUp.empty())
        PlayAfterHangUp(conn);
    return 0;
}

} // namespace

DWORD WINAPI RasDialA(LPRASDIALEXTENSIONS extensions, LPCSTR phonebook, LPRASDIALPARAMSA params,
                      DWORD notifierType, LPVOID notifier, LPHRASCONN connOut) {
    std::string call = std::string("RasDialA ext=") + (extensions ? "set" : "null") +
                       " phonebook=" + NullOr(phonebook);
    if (params) {
        call += " size=" + Num(params->dwSize);
        if (IsOneOf(params->dwSize, kDialParamsSizes)) {
            const auto& p = *reinterpret_cast<const ras::DialParams*>(params);
            call +=
                " entry=" + QuoteForLog(Field(p.szEntryName, sizeof p.szEntryName)) +
                " phone=" + QuoteForLog(Field(p.szPhoneNumber, sizeof p.szPhoneNumber)) +
                " callback=" + QuoteForLog(Field(p.szCallbackNumber, sizeof p.szCallbackNumber)) +
                " user=" + QuoteForLog(Field(p.szUserName, sizeof p.szUserName)) +
                " password=" + QuoteForLog(Field(p.szPassword, sizeof p.szPassword)) +
                " domain=" + QuoteForLog(Field(p.szDomain, sizeof p.szDomain));
        }
    } else {
        call += " size=null";
    }
    call += " type=" + Num(notifierType) + " notifier=" + (notifier ? "set" : "null");
    auto result = [&](DWORD code) {
        LogLine(call + " -> " + Num(code));
        return code;
    };

    if (!params || !connOut)
        return result(ERROR_INVALID_PARAMETER);
    if (!IsOneOf(params->dwSize, kDialParamsSizes))
        return result(ERROR_INVALID_SIZE);
    if (notifier && notifierType > 2 && notifierType != kNotifierWindow)
        return result(ERROR_INVALID_PARAMETER);

    const auto& p = *reinterpret_cast<const ras::DialParams*>(params);
    std::string wanted(p.szEntryName, strnlen(p.szEntryName, sizeof p.szEntryName));
    simras::SimConfig config = simras::LoadConfig();
    Connections().Refresh(config, false);
    const AnsiEntry* found = nullptr;
    std::vector<AnsiEntry> names = AnsiEntries(config);
    for (const AnsiEntry& name : names) {
        if (name.ansi == wanted)
            found = &name;
    }
    if (!found)
        return result(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);

    auto conn = std::make_shared<Connection>();
    conn->nameUtf8 = found->utf8;
    conn->nameAnsi = found->ansi;
    conn->script = config.ScriptFor(found->utf8);
    if (conn->script.refuseCode != 0)
        return result(conn->script.refuseCode);
    conn->notifierType = notifierType;
    conn->notifier = notifier;
    if (params->dwSize >= 1060)
        conn->callbackId = params->dwCallbackId;

    DWORD id = Connections().Add(conn);
    *connOut = conn->Handle();
    // Logged before the worker starts, so the dial's line always precedes its events.
    if (notifier)
        LogLine(call + " -> 0 handle=" + HandleText(id));
    auto* holder = new std::shared_ptr<Connection>(conn);
    const fw::UniqueHandle thread(CreateThread(nullptr, 0, DialWorker, holder, 0, nullptr));
    if (!thread) {
        delete holder;
        Connections().Remove(id);
        return result(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (notifier)
        return 0;

    // No notifier: the call itself lasts until the script is over, as a synchronous dial does.
    WaitForSingleObject(conn->settled, INFINITE);
    DWORD error;
    {
        Registry::Guard guard(Connections());
        error = conn->hungUp ? ERROR_USER_DISCONNECTION : conn->error;
    }
    LogLine(call + " -> " + Num(error) + " handle=" + HandleText(id));
    return error;
}

DWORD WINAPI RasHangUpA(HRASCONN handle) {
    DWORD id = IdOf(handle);
    Connections().Refresh(simras::LoadConfig(), false); // a line removed from the file is gone
    std::shared_ptr<Connection> conn = id ? Connections().Remove(id) : nullptr;
    DWORD code = conn ? 0 : ERROR_INVALID_HANDLE;
    if (conn)
        SetEvent(conn->stop); // the worker sees it within its current wait and ends
    LogLine("RasHangUpA handle=" + HandleText(id) + " -> " + Num(code));
    return code;
}

DWORD WINAPI RasGetConnectStatusA(HRASCONN handle, LPRASCONNSTATUSA status) {
    DWORD id = IdOf(handle);
    std::string call = "RasGetConnectStatusA handle=" + HandleText(id) +
                       " size=" + (status ? Num(status->dwSize) : std::string("null"));
    if (!status) {
        LogLine(call + " -> " + Num(ERROR_INVALID_PARAMETER));
        return ERROR_INVALID_PARAMETER;
    }
    if (!IsOneOf(status->dwSize, kConnStatusSizes)) {
        LogLine(call + " -> " + Num(ERROR_INVALID_SIZE));
        return ERROR_INVALID_SIZE;
    }
    Connections().Refresh(simras::LoadConfig(), false);
    std::shared_ptr<Connection> conn = id ? Connections().Find(id) : nullptr;
    DWORD state = 0;
    DWORD error = 0;
    bool live = false;
    if (conn) {
        Registry::Guard guard(Connections());
        live = !conn->dropped;
        // Hung up and not yet gone: the line is going down.
        state = conn->hungUp ? DWORD{RASCS_Disconnected} : conn->state;
        error = conn->hungUp ? 0 : conn->error;
    }
    if (!live) {
        LogLine(call + " -> " + Num(ERROR_INVALID_HANDLE));
        return ERROR_INVALID_HANDLE;
    }
    DWORD size = status->dwSize;
    std::memset(status, 0, size);
    status->dwSize = size;
    auto* record = reinterpret_cast<ras::ConnStatus*>(status);
    record->rasconnstate = static_cast<RASCONNSTATE>(state);
    record->dwError = error;
    lstrcpynA(record->szDeviceType, "modem", sizeof record->szDeviceType);
    lstrcpynA(record->szDeviceName, "Simulated Modem", sizeof record->szDeviceName);
    LogLine(call + " -> 0 state=" + Hex(state) + " error=" + Num(error));
    return 0;
}
