#include "probes/Desktop.h"

#include "Text.h"
#include "Wait.h"

#include <windows.h>

namespace e2e {
namespace {
std::string g_name;
}

bool JoinDesktop(const std::string& name, unsigned timeoutMs) {
    HDESK desktop =
        WaitFor([&] { return OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL); }, timeoutMs);
    // The handle stays open for the life of the driver: the thread keeps using the desktop.
    if (!desktop || !SetThreadDesktop(desktop)) {
        return false;
    }
    g_name = name;
    return true;
}

const std::string& DesktopName() {
    return g_name;
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool SessionEndDisabled() {
    std::string overrides = GetEnv("WINEDLLOVERRIDES");
    for (char& c : overrides) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return RunningUnderWine() && overrides.find("wineboot.exe=d") != std::string::npos;
}

} // namespace e2e
