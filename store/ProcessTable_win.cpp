// ProcessTable on Windows, with what Windows XP offers.

#include "store/ProcessTable_win.h"

#include <windows.h>

#include "framework/Handles.h"

namespace store {

namespace {

std::uint64_t CreationTime(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

class Win32ProcessTable : public ProcessTable {
public:
    ProcessIdentity Current() const override {
        return ProcessIdentity{GetCurrentProcessId(), CreationTime(GetCurrentProcess())};
    }

    bool IsRunning(const ProcessIdentity& process) const override {
        const fw::UniqueHandle handle(
            OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, static_cast<DWORD>(process.id)));
        if (handle == nullptr) {
            // No such id: gone. Anything else (another user's process refuses us): alive.
            return GetLastError() != ERROR_INVALID_PARAMETER;
        }
        DWORD exitCode = 0;
        if (GetExitCodeProcess(handle, &exitCode) && exitCode != STILL_ACTIVE) {
            return false;
        }
        const std::uint64_t created = CreationTime(handle);
        // Another process under the same id: the one that saved is gone.
        return created == 0 || created == process.created;
    }
};

} // namespace

const ProcessTable& SystemProcessTable() {
    static const Win32ProcessTable table;
    return table;
}

} // namespace store
