// The simulated rasapi32.dll's phone book and texts: the entries the caller may dial and the
// error texts, and the DLL's entry point.

#include <windows.h>
#include <ras.h>
#include <raserror.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/Connections_win.h"
#include "sim/RasLog_win.h"
#include "sim/SimConfig.h"
#include "sim/SimEnv_win.h"

using namespace simras;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        simras::SetModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, LPRASENTRYNAMEA buffer,
                             LPDWORD bytes, LPDWORD count) {
    std::string call = "RasEnumEntriesA reserved=" + NullOr(reserved) +
                       " phonebook=" + NullOr(phonebook) +
                       " size=" + (buffer ? Num(buffer->dwSize) : std::string("null")) +
                       " cb=" + (bytes ? Num(*bytes) : std::string("null"));
    auto result = [&](DWORD code) {
        std::string line = call + " -> " + Num(code);
        if (code == 0 || code == ERROR_BUFFER_TOO_SMALL)
            line += " cb=" + Num(*bytes) + " count=" + Num(*count);
        LogLine(line);
        return code;
    };
    if (!bytes || !count)
        return result(ERROR_INVALID_PARAMETER);
    // Without a buffer the caller asks for the size of the current record version.
    DWORD stride = buffer ? buffer->dwSize : sizeof(RASENTRYNAMEA);
    if (!IsOneOf(stride, kEntryNameSizes))
        return result(ERROR_INVALID_SIZE);

    SimConfig config = simras::LoadConfig();
    Connections().Refresh(config, false);
    std::vector<AnsiEntry> names = AnsiEntries(config);
    DWORD needed = static_cast<DWORD>(names.size()) * stride;
    *count = static_cast<DWORD>(names.size());
    if (names.empty()) {
        *bytes = 0;
        return result(0);
    }
    if (!buffer || *bytes < needed) {
        *bytes = needed;
        return result(ERROR_BUFFER_TOO_SMALL);
    }
    char* record = reinterpret_cast<char*>(buffer);
    for (const AnsiEntry& name : names) {
        std::memset(record, 0, stride);
        auto* entry = reinterpret_cast<ras::EntryName*>(record);
        entry->dwSize = stride;
        std::memcpy(entry->szEntryName, name.ansi.data(), name.ansi.size());
        record += stride;
    }
    *bytes = needed;
    return result(0);
}

DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size) {
    static const struct {
        UINT code;
        const char* text;
    } kTexts[] = {
        {ERROR_BUFFER_TOO_SMALL, "The buffer is too small."},
        {ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, "The phone book entry cannot be found."},
        {ERROR_INVALID_SIZE, "The structure size is incorrect."},
        {ERROR_PORT_NOT_AVAILABLE, "The port is already in use or is not configured."},
        {ERROR_NO_CARRIER, "The remote computer did not respond."},
        {ERROR_LINE_BUSY, "The line is busy."},
        {ERROR_NO_ANSWER, "The remote computer did not answer."},
        {ERROR_NO_DIALTONE, "There is no dial tone."},
        {ERROR_AUTHENTICATION_FAILURE, "The user name or password is not valid."},
        {ERROR_USER_DISCONNECTION, "The connection was closed by the user."},
    };
    const char* text = nullptr;
    for (const auto& entry : kTexts) {
        if (entry.code == code)
            text = entry.text;
    }
    DWORD rc = 0;
    if (!buffer || !text)
        rc = ERROR_INVALID_PARAMETER;
    else if (std::strlen(text) + 1 > size)
        rc = ERROR_INSUFFICIENT_BUFFER;
    else
        lstrcpyA(buffer, text);
    LogLine("RasGetErrorStringA code=" + Num(code) + " size=" + Num(size) + " -> " + Num(rc));
    return rc;
}
