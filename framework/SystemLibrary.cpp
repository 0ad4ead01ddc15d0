#include "framework/SystemLibrary.h"

#include <cstring>

namespace fw {
namespace {

// The search flag of LoadLibraryEx that KB2533623 brought (built into Windows 8, an update on
// Windows 7 and Vista, never on XP, which would take an unknown flag for none).
constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32

HMODULE Kernel32() {
    return ::GetModuleHandleA("kernel32.dll");
}

// AddDllDirectory came with the flag: where it exists, the system knows it.
bool KnowsSearchFlags() {
    static const bool knows = ::GetProcAddress(Kernel32(), "AddDllDirectory") != nullptr;
    return knows;
}

} // namespace

void LeaveCurrentFolderOutOfDllSearch() {
    const auto setDirectory = ModuleFunction<BOOL(WINAPI*)(LPCSTR)>(Kernel32(), "SetDllDirectoryA");
    if (setDirectory != nullptr) {
        setDirectory(""); // the empty folder takes the current one's place
    }
}

HMODULE LoadSystemLibrary(const char* name) {
    if (KnowsSearchFlags()) {
        return ::LoadLibraryExA(name, nullptr, kSearchSystem32);
    }
    char path[MAX_PATH];
    const UINT folderLength = ::GetSystemDirectoryA(path, MAX_PATH);
    const std::size_t nameLength = std::strlen(name);
    if (folderLength == 0 || folderLength + 1 + nameLength >= MAX_PATH) {
        return nullptr;
    }
    path[folderLength] = '\\';
    std::memcpy(path + folderLength + 1, name, nameLength + 1);
    // With the full path its own imports are looked for in its folder, not the program's first.
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace fw
