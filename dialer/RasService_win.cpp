#include "dialer/RasService_win.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "dialer/RasRecords_win.h"

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

} // namespace

unsigned RasService::Dial(const DialRequest& request, RasHandle* handle) {
    ras::DialParams params{};
    params.dwSize = ras::kDialParamsSize;
    CopyField(params.szEntryName, request.entry, 255);
    CopyField(params.szUserName, request.user, 256);
    CopyField(params.szPassword, request.password, 256);

    HRASCONN connection = nullptr;
    const DWORD result = ::RasDialA(nullptr, nullptr, reinterpret_cast<LPRASDIALPARAMSA>(&params),
                                    0, reinterpret_cast<LPVOID>(m_notifier), &connection);
    // The password is not left behind on the stack.
    ::SecureZeroMemory(params.szPassword, sizeof(params.szPassword));
    *handle = reinterpret_cast<RasHandle>(connection);
    return result;
}

void RasService::HangUp(RasHandle handle) {
    if (handle != 0) {
        ::RasHangUpA(ToHandle(handle));
    }
}

bool RasService::IsLineUp(RasHandle handle) {
    ras::ConnStatus status{};
    status.dwSize = ras::kConnStatusSize;
    const DWORD result =
        ::RasGetConnectStatusA(ToHandle(handle), reinterpret_cast<LPRASCONNSTATUSA>(&status));
    if (result == ERROR_INVALID_HANDLE) {
        return false;
    }
    // Any other failure to ask is not taken for a dropped line.
    return result != 0 || status.rasconnstate != RASCS_Disconnected;
}

std::vector<std::string> RasService::ListEntries() {
    return ListEntryNames([](unsigned char* records, std::uint32_t* bytes, std::uint32_t* count) {
        DWORD size = *bytes;
        DWORD entries = *count;
        ::RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<LPRASENTRYNAMEA>(records), &size,
                          &entries);
        *bytes = size;
        *count = entries;
    });
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

store::LocalTime SystemClock::LocalNow() const {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return store::LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

} // namespace dialer
