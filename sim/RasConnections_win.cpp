// The simulated rasapi32.dll's listing of the connections that are up and their statistics: the
// connections this process dialed and those of the phone book's `connection` lines, which the
// caller finds only here.

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sim/Connections_win.h"
#include "sim/RasLog_win.h"
#include "sim/SimEnv_win.h"

using namespace simras;

namespace {

// What a 56k modem's line reports as its speed.
constexpr DWORD kLineBps = 56000;

// The documented answer to a null record, a zero handle or an unknown record version.
constexpr DWORD kInvalidArgument = static_cast<DWORD>(E_INVALIDARG);

} // namespace

DWORD WINAPI RasEnumConnectionsA(LPRASCONNA buffer, LPDWORD bytes, LPDWORD count) {
    std::string call =
        "RasEnumConnectionsA size=" + (buffer ? Num(buffer->dwSize) : std::string("null")) +
        " cb=" + (bytes ? Num(*bytes) : std::string("null"));
    std::string handles;
    auto result = [&](DWORD code) {
        std::string line = call + " -> " + Num(code);
        if (code == 0 || code == ERROR_BUFFER_TOO_SMALL)
            line += " cb=" + Num(*bytes) + " count=" + Num(*count);
        if (code == 0)
            line += " handles=" + handles;
        LogLine(line);
        return code;
    };
    if (!bytes || !count)
        return result(ERROR_INVALID_PARAMETER);
    // Without a buffer the caller asks for the size of the current record version.
    DWORD stride = buffer ? buffer->dwSize : sizeof(RASCONNA);
    if (!IsOneOf(stride, kConnSizes))
        return result(ERROR_INVALID_SIZE);

    std::vector<std::shared_ptr<Connection>> up = Connections().Refresh(LoadConfig(), true);
    DWORD needed = static_cast<DWORD>(up.size()) * stride;
    *count = static_cast<DWORD>(up.size());
    if (up.empty()) {
        *bytes = 0;
        return result(0);
    }
    if (!buffer || *bytes < needed) {
        *bytes = needed;
        return result(ERROR_BUFFER_TOO_SMALL);
    }
    char* record = reinterpret_cast<char*>(buffer);
    for (const std::shared_ptr<Connection>& conn : up) {
        // Only the fields every version has; the later ones stay zero.
        std::memset(record, 0, stride);
        auto* entry = reinterpret_cast<RASCONNA*>(record);
        entry->dwSize = stride;
        entry->hrasconn = conn->Handle();
        std::memcpy(entry->szEntryName, conn->nameAnsi.data(), conn->nameAnsi.size());
        lstrcpynA(entry->szDeviceType, "modem", sizeof entry->szDeviceType);
        lstrcpynA(entry->szDeviceName, "Simulated Modem", sizeof entry->szDeviceName);
        record += stride;
        handles += (handles.empty() ? "" : ",") + HandleText(conn->id);
    }
    *bytes = needed;
    return result(0);
}

DWORD WINAPI RasGetConnectionStatistics(HRASCONN handle, RAS_STATS* stats) {
    DWORD id = IdOf(handle);
    std::string call = "RasGetConnectionStatistics handle=" + HandleText(id) +
                       " size=" + (stats ? Num(stats->dwSize) : std::string("null"));
    auto failed = [&](DWORD code) {
        LogLine(call + " -> " + Num(code));
        return code;
    };
    if (!stats || id == 0 || stats->dwSize != sizeof(RAS_STATS))
        return failed(kInvalidArgument);

    Connections().Refresh(LoadConfig(), false); // counts up to now at the file's rates
    std::shared_ptr<Connection> conn = Connections().Find(id);
    bool known = false;
    ByteCounts counters;
    DWORD durationMs = 0;
    if (conn) {
        Registry::Guard guard(Connections());
        known = !conn->dropped;
        // A line that never came up has moved nothing yet.
        if (conn->meter) {
            counters = conn->meter->Counters();
            durationMs = conn->meter->ConnectDurationMs();
        }
    }
    if (!known)
        return failed(ERROR_INVALID_HANDLE);
    std::memset(stats, 0, sizeof *stats);
    stats->dwSize = sizeof *stats;
    stats->dwBytesRcved = counters.received;
    stats->dwBytesXmited = counters.sent;
    stats->dwBps = kLineBps;
    stats->dwConnectDuration = durationMs;
    LogLine(call + " -> 0 rx=" + Num(counters.received) + " tx=" + Num(counters.sent) +
            " duration_ms=" + Num(durationMs) + " bps=" + Num(kLineBps));
    return 0;
}
