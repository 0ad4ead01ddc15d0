#pragma once

// The simulated service's connections: those the caller dialed, with the worker that plays their
// script, and those of the phone book's `connection` lines, up without a dial. Shared by the
// dial, status and hang-up calls (RasApi_win.cpp) and the enumeration and statistics calls
// (RasConnections_win.cpp).

#include <windows.h>
#include <ras.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "sim/SimConfig.h"
#include "sim/TrafficMeter.h"

namespace simras {

struct Connection {
    DWORD id = 0;
    std::string nameUtf8; // the entry's name as in the phone book
    std::string nameAnsi; // and as the caller sees it
    bool outside = false; // from a `connection` line, not dialed by this process
    DialScript script;
    DWORD notifierType = 0;
    LPVOID notifier = nullptr;
    ULONG_PTR callbackId = 0;
    fw::UniqueHandle stop{CreateEventA(nullptr, TRUE, FALSE, nullptr)};    // set by hang-up
    fw::UniqueHandle settled{CreateEventA(nullptr, TRUE, FALSE, nullptr)}; // no more events

    // Guarded by the registry's lock.
    bool hungUp = false;
    bool dropped = false;
    DWORD state = RASCS_OpenPort;
    DWORD error = 0;
    std::optional<TrafficMeter> meter; // from the moment the line first came up

    Connection() = default;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    HRASCONN Handle() const { return reinterpret_cast<HRASCONN>(static_cast<ULONG_PTR>(id)); }
    bool Up() const { return state == RASCS_Connected && !hungUp && !dropped; }
};

// The open connections by handle value. Handles count up from 1 and are never reused, so a stale
// handle is always unknown.
class Registry {
public:
    Registry() { InitializeCriticalSection(&cs_); }

    class Guard {
    public:
        explicit Guard(Registry& registry) : cs_(&registry.cs_) { EnterCriticalSection(cs_); }
        ~Guard() { LeaveCriticalSection(cs_); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CRITICAL_SECTION* cs_;
    };

    DWORD Add(const std::shared_ptr<Connection>& conn);

    // A connection still known: live, or hung up and still going (its script's hangup_ms).
    std::shared_ptr<Connection> Find(DWORD id);

    // Marks the connection hung up; null when the handle is unknown (or hung up before). It
    // stays known for its script's hangup_ms.
    std::shared_ptr<Connection> Remove(DWORD id);

    // Follows the phone book just read, as every call does: an outside connection whose line
    // is gone is gone, and the lines' meters count at the book's rates from now on. A listing
    // also makes a connection of each line not seen before. Returns the connections that are
    // up, the dialed ones first (in dial order), then the outside ones in file order.
    std::vector<std::shared_ptr<Connection>> Refresh(const SimConfig& config, bool listing);

private:
    struct Closing {
        std::shared_ptr<Connection> conn;
        DWORD hungUpAt = 0;
    };

    CRITICAL_SECTION cs_;
    std::map<DWORD, std::shared_ptr<Connection>> live_;
    std::map<DWORD, Closing> closing_;
    // The handle given to each `connection` line while it stays in the file, kept after a
    // hang-up so that the line is not listed again.
    std::map<std::string, DWORD> outsideByName_;
    DWORD nextId_ = 1;
};

Registry& Connections();

// The registry's number of a handle; 0, which no connection has, for values beyond it.
DWORD IdOf(HRASCONN handle);

} // namespace simras
