// A rasapi32.dll planted beside a copy of the program (StartupTests): loading it leaves a file
// beside it (its own path and ".loaded"), and its phone book has no entries.

#include "probes/PlantedDll.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH + 8] = {};
        const DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcatA(marker, e2e::kLoadedMarkerSuffix);
            CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    return TRUE;
}

// The calls the program makes, as a service that knows nothing.
extern "C" __declspec(dllexport) DWORD WINAPI
    RasEnumEntriesA(LPVOID, LPVOID, LPVOID, LPDWORD, LPDWORD count) {
    *count = 0;
    return 0;
}
extern "C" __declspec(dllexport) DWORD WINAPI
    RasDialA(LPVOID, LPVOID, LPVOID, DWORD, LPVOID, LPVOID) {
    return 623; // ERROR_CANNOT_FIND_PHONEBOOK_ENTRY
}
extern "C" __declspec(dllexport) DWORD WINAPI RasGetConnectStatusA(LPVOID, LPVOID) {
    return ERROR_INVALID_HANDLE;
}
extern "C" __declspec(dllexport) DWORD WINAPI RasHangUpA(LPVOID) {
    return ERROR_INVALID_HANDLE;
}
