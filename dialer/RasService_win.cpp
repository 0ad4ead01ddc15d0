#include "dialer/RasService_win.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>

#include <raserror.h>

#include "dialer/RasRecords_win.h"
#include "framework/SystemLibrary.h"

namespace dialer {
namespace {

// The listing fills entry-name records by their layout.
static_assert(offsetof(ras::EntryName, szEntryName) == kEntryNameOffset);
static_assert(sizeof(ras::EntryName::szEntryName) == kEntryNameField);

// Copies text into a fixed field, cut to what fits with its terminator.
template <size_t N> void CopyField(char (&field)[N], const std::string& text, size_t limit = N) {
    const size_t length = std::min(text.size(), std::min(limit, N) - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

HRASCONN ToHandle(RasHandle handle) {
    return reinterpret_cast<HRASCONN>(handle);
}

using EnumConnectionsCall = DWORD(WINAPI*)(ras::Conn*, LPDWORD, LPDWORD);
using StatisticsCall = DWORD(WINAPI*)(HRASCONN, ras::Stats*);

// The service's calls in the system's rasapi32.dll, looked up once; null when the DLL or any of
// the first four is missing, and the program then sees a phone book without entries. The
// listing of connections and their figures are extras the program works without.
struct RasCalls {
    decltype(&::RasDialA) dial;
    decltype(&::RasEnumEntriesA) enumEntries;
    decltype(&::RasGetConnectStatusA) connectStatus;
    decltype(&::RasHangUpA) hangUp;
    EnumConnectionsCall enumConnections;
    StatisticsCall statistics; // Windows 2000 and later; Wine's own service lacks it
};

const RasCalls* Ras() {
    static const RasCalls calls = [] {
        const HMODULE dll = fw::LoadSystemLibrary("rasapi32.dll");
        return RasCalls{
            fw::ModuleFunction<decltype(&::RasDialA)>(dll, "RasDialA"),
            fw::ModuleFunction<decltype(&::RasEnumEntriesA)>(dll, "RasEnumEntriesA"),
            fw::ModuleFunction<decltype(&::RasGetConnectStatusA)>(dll, "RasGetConnectStatusA"),
            fw::ModuleFunction<decltype(&::RasHangUpA)>(dll, "RasHangUpA"),
            fw::ModuleFunction<EnumConnectionsCall>(dll, "RasEnumConnectionsA"),
            fw::ModuleFunction<StatisticsCall>(dll, "RasGetConnectionStatistics")};
    }();
    const bool complete = calls.dial != nullptr && calls.enumEntries != nullptr &&
                          calls.connectStatus != nullptr && calls.hangUp != nullptr;
    return complete ? &calls : nullptr;
}

// Shared with the service's thread; nothing else of the program is.
std::atomic<HWND> g_eventWindow{nullptr};
std::atomic<bool> g_dialOpen{false};

// The connection is fully released once the service no longer knows its handle.
bool IsGone(RasHandle handle) {
    ras::ConnStatus status{};
    status.dwSize = ras::kConnStatusSize;
    return Ras() == nullptr ||
           Ras()->connectStatus(ToHandle(handle), reinterpret_cast<LPRASCONNSTATUSA>(&status)) ==
               ERROR_INVALID_HANDLE;
}

void WaitUntilGone(RasHandle handle) {
    const DWORD start = ::GetTickCount();
    while (!IsGone(handle) && ::GetTickCount() - start < RasService::kHangUpWaitMs) {
        ::Sleep(10);
    }
}

// Events of the ended dial that were posted before it was closed.
void DropQueuedDialEvents() {
    const HWND window = g_eventWindow.load();
    MSG message;
    while (window != nullptr &&
           ::PeekMessageA(&message, window, WM_RASDIALEVENT, WM_RASDIALEVENT, PM_REMOVE)) {
    }
}

} // namespace

void RasService::SetEventWindow(HWND window) {
    g_eventWindow.store(window);
}

void RasService::PostDialEvent(UINT state, DWORD error) {
    const HWND window = g_eventWindow.load();
    if (window != nullptr && g_dialOpen.load()) {
        ::PostMessageA(window, WM_RASDIALEVENT, static_cast<WPARAM>(state),
                       static_cast<LPARAM>(error));
    }
}

unsigned RasService::Dial(const DialRequest& request, RasHandle* handle) {
    ras::DialParams params{};
    params.dwSize = ras::kDialParamsSize;
    CopyField(params.szEntryName, request.entry, 255);
    CopyField(params.szUserName, request.user, 256);
    CopyField(params.szPassword, request.password, 256);

    HRASCONN connection = nullptr;
    g_dialOpen.store(true);
    const DWORD result =
        Ras() == nullptr
            ? ERROR_PROC_NOT_FOUND
            : Ras()->dial(nullptr, nullptr, reinterpret_cast<LPRASDIALPARAMSA>(&params), 0,
                          reinterpret_cast<LPVOID>(m_notifier), &connection);
    // The password is not left behind on the stack.
    ::SecureZeroMemory(params.szPassword, sizeof(params.szPassword));
    *handle = reinterpret_cast<RasHandle>(connection);
    if (result != 0) {
        g_dialOpen.store(false);
    }
    return result;
}

void RasService::HangUp(RasHandle handle) {
    g_dialOpen.store(false);
    if (handle != 0 && Ras() != nullptr) {
        Ras()->hangUp(ToHandle(handle));
        WaitUntilGone(handle);
    }
    DropQueuedDialEvents();
}

bool RasService::IsLineUp(RasHandle handle) {
    if (Ras() == nullptr) {
        return false; // no service, no line
    }
    ras::ConnStatus status{};
    status.dwSize = ras::kConnStatusSize;
    const DWORD result =
        Ras()->connectStatus(ToHandle(handle), reinterpret_cast<LPRASCONNSTATUSA>(&status));
    if (result == ERROR_INVALID_HANDLE) {
        return false;
    }
    // Any other failure to ask is not taken for a dropped line.
    return result != 0 || status.rasconnstate != RASCS_Disconnected;
}

std::vector<std::string> RasService::ListEntries() {
    if (Ras() == nullptr) {
        return {};
    }
    return ListEntryNames([](unsigned char* records, std::uint32_t* bytes, std::uint32_t* count) {
        DWORD size = *bytes;
        DWORD entries = *count;
        Ras()->enumEntries(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(records), &size,
                           &entries);
        *bytes = size;
        *count = entries;
    });
}

std::vector<ActiveConnection> RasService::ListConnections() {
    if (Ras() == nullptr || Ras()->enumConnections == nullptr) {
        return {};
    }
    // Room for a few; a machine with more lines up than that is asked again with enough.
    std::vector<ras::Conn> records(4);
    DWORD bytes = 0;
    DWORD count = 0;
    DWORD result = ERROR_BUFFER_TOO_SMALL;
    for (int attempt = 0; attempt < 2 && result == ERROR_BUFFER_TOO_SMALL; ++attempt) {
        for (ras::Conn& record : records) {
            record = ras::Conn{};
            record.dwSize = ras::kConnSize;
        }
        bytes = static_cast<DWORD>(records.size() * sizeof(ras::Conn));
        count = 0;
        result = Ras()->enumConnections(records.data(), &bytes, &count);
        if (result == ERROR_BUFFER_TOO_SMALL) {
            records.resize(bytes / sizeof(ras::Conn) + 1);
        }
    }
    std::vector<ActiveConnection> up;
    if (result != 0) {
        return up;
    }
    for (DWORD i = 0; i < count && i < records.size(); ++i) {
        ras::Conn& record = records[i];
        record.szEntryName[RAS_MaxEntryName] = '\0';
        up.push_back({reinterpret_cast<RasHandle>(record.hrasconn), record.szEntryName});
    }
    return up;
}

std::optional<LinkStatistics> RasService::Statistics(RasHandle handle) {
    if (Ras() == nullptr || Ras()->statistics == nullptr || handle == 0) {
        return std::nullopt;
    }
    ras::Stats stats{};
    stats.dwSize = ras::kStatsSize;
    if (Ras()->statistics(ToHandle(handle), &stats) != 0) {
        return std::nullopt;
    }
    return LinkStatistics{stats.dwBytesRcved, stats.dwBytesXmited, stats.dwConnectDuration};
}

bool RasService::HasStatistics() {
    return Ras() != nullptr && Ras()->statistics != nullptr;
}

std::int64_t SystemClock::MonotonicMs() const {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<std::int64_t>(counter.QuadPart / frequency * 1000 +
                                     counter.QuadPart % frequency * 1000 / frequency);
}

std::int64_t SystemClock::WallMs() const {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks; // 100 ns since 1601
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10000);
}

store::LocalTime SystemClock::LocalNow() const {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return store::LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace dialer
