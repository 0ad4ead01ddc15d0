#pragma once

// The system's DLLs that are not among its known DLLs (rasapi32, crypt32) are loaded at run time
// from the system directory only: a copy of the same name beside the program, as in a Downloads
// folder the portable zip was unpacked into, is never loaded in their place.

#include <windows.h>

namespace fw {

// Once at start, before any DLL is loaded at run time: the current folder leaves the search of
// later loads by name, where the system offers that (Windows XP SP1 and later).
void LeaveCurrentFolderOutOfDllSearch();

// The system's DLL of that name ("rasapi32.dll"), from the system directory and with its own
// imports found there; nullptr when it cannot be loaded. It stays loaded until the process ends.
HMODULE LoadSystemLibrary(const char* name);

// A function of a loaded module as the type it is declared with; nullptr when the module is
// null or has no such export.
template <typename Function> Function ModuleFunction(HMODULE module, const char* name) {
    const FARPROC found = module != nullptr ? ::GetProcAddress(module, name) : nullptr;
    // Through the type GCC takes for any function, which its cast check lets pass.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace fw
