// Checks what the setup program left, from a 32-bit program as the setup program is one (so it
// sees Program Files (x86) and the 32-bit registry view). Run by tests/setup/run.sh under Wine.
//
//   setup_check installed VERSION        files, shortcuts, uninstall entry and version resource
//   setup_check versions VERSION FILE... the version resource of each file
//   setup_check refuses SETUP            while the program's mutex is held, setup and uninstall
//                                        end with exit code 2 and leave the installation as it is
//   setup_check removed                  none of it is left
//
// Prints "ok   ..." or "FAIL ..." per check; the exit code is the number of failures.

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvorin";
constexpr const char* kRunningMutex = "QuorvantaForWin32";
constexpr DWORD kProcessDeadlineMs = 120000;

int g_failures = 0;

void Check(bool ok, const std::string& what, const std::string& detail = "") {
    if (ok) {
        std::printf("ok   %s\n", what.c_str());
    } else {
        ++g_failures;
        std::printf("FAIL %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string InstallFolder() {
    return KnownFolder(CSIDL_PROGRAM_FILES) + "\\Kelvorin";
}

std::string StartMenuLink() {
    return KnownFolder(CSIDL_COMMON_PROGRAMS) + "\\Kelvorin.lnk";
}

std::string DesktopLink() {
    return KnownFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Kelvorin.lnk";
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// The target of a shell link, or nothing when it cannot be read.
std::optional<std::string> LinkTarget(const std::string& link) {
    std::optional<std::string> target;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink)))) {
        return target;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t widePath[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, widePath, MAX_PATH);
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(widePath, STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0))) {
            target = path;
        }
        file->Release();
    }
    shellLink->Release();
    return target;
}

// A value of the uninstall entry, with its registry type.
std::optional<std::string> UninstallValue(const char* name, DWORD wantedType) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const LONG result =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != wantedType) {
        return std::nullopt;
    }
    return std::string(value, wantedType == REG_SZ ? std::strlen(value) : size);
}

bool UninstallKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::optional<std::string> UninstallText(const char* name) {
    return UninstallValue(name, REG_SZ);
}

std::optional<DWORD> UninstallNumber(const char* name) {
    const auto bytes = UninstallValue(name, REG_DWORD);
    if (!bytes || bytes->size() != sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD value = 0;
    std::memcpy(&value, bytes->data(), sizeof value);
    return value;
}

void CheckUninstallText(const char* name, const std::string& expected) {
    const auto value = UninstallText(name);
    Check(value == expected, std::string("uninstall entry ") + name + " is " + expected,
          value ? *value : "missing");
}

// The version a file's resource gives: the fixed numbers as "a.b.c.d" and the ProductVersion
// string of its first translation.
struct FileVersion {
    std::string numbers;
    std::string text;
};

std::optional<FileVersion> ReadVersion(const std::string& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) {
        return std::nullopt;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length)) {
        return std::nullopt;
    }
    FileVersion version;
    version.numbers = std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." +
                      std::to_string(LOWORD(fixed->dwProductVersionMS)) + "." +
                      std::to_string(HIWORD(fixed->dwProductVersionLS)) + "." +
                      std::to_string(LOWORD(fixed->dwProductVersionLS));
    WORD* translation = nullptr;
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) &&
        length >= 4) {
        char query[64];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\ProductVersion",
                      translation[0], translation[1]);
        char* text = nullptr;
        if (VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&text), &length)) {
            version.text = text;
        }
    }
    return version;
}

// "3.0" is "3.0.0.0" in the fixed numbers.
std::string FourNumbers(const std::string& version) {
    std::string numbers = version;
    for (size_t dots = std::count(version.begin(), version.end(), '.'); dots < 3; ++dots) {
        numbers += ".0";
    }
    return numbers;
}

void CheckVersion(const std::string& path, const std::string& version) {
    const auto found = ReadVersion(path);
    const std::string expected = FourNumbers(version) + " / " + version;
    const std::string seen = found ? found->numbers + " / " + found->text : "no version resource";
    Check(found && seen == expected, "version of " + path + " is " + expected, seen);
}

int Installed(const std::string& version) {
    const std::string folder = InstallFolder();
    const std::string exe = folder + "\\kelvorin.exe";
    const std::string uninstaller = folder + "\\uninstall.exe";
    // Only what ships; the simulated rasapi32.dll of the tests never does.
    const auto entries = FolderEntries(folder);
    Check(entries == std::vector<std::string>{"LICENSE.txt", "kelvorin.exe", "readme.txt",
                                              "uninstall.exe"},
          "installed into " + folder + ": kelvorin.exe, LICENSE.txt, readme.txt, uninstall.exe",
          Joined(entries));
    CheckVersion(exe, version);

    for (const std::string& link : {StartMenuLink(), DesktopLink()}) {
        const auto target = LinkTarget(link);
        Check(target && SameText(*target, exe), link + " starts " + exe,
              target ? *target : "cannot be read");
    }

    CheckUninstallText("DisplayName", "Kelvorin");
    CheckUninstallText("DisplayVersion", version);
    CheckUninstallText("Publisher", "the Kelvorin authors");
    CheckUninstallText("DisplayIcon", exe);
    CheckUninstallText("UninstallString", Quoted(uninstaller));
    CheckUninstallText("QuietUninstallString", Quoted(uninstaller) + " /S");
    // In KB: at least the exe's own size.
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    GetFileAttributesExA(exe.c_str(), GetFileExInfoStandard, &attributes);
    const DWORD exeKb = attributes.nFileSizeLow / 1024;
    const auto size = UninstallNumber("EstimatedSize");
    Check(size && *size >= exeKb && *size < exeKb + 1024,
          "uninstall entry EstimatedSize counts the installed files in KB",
          size ? std::to_string(*size) + " KB for an exe of " + std::to_string(exeKb) + " KB"
               : "missing");
    return g_failures;
}

int Removed() {
    const std::string folder = InstallFolder();
    Check(!Exists(folder), folder + " is gone", Joined(FolderEntries(folder)));
    Check(!Exists(StartMenuLink()), StartMenuLink() + " is gone");
    Check(!Exists(DesktopLink()), DesktopLink() + " is gone");
    Check(!UninstallKeyExists(),
          std::string("uninstall entry HKLM\\") + kUninstallKey + " is gone");
    return g_failures;
}

// Runs a command line and returns its exit code, or nothing when it did not end in time.
std::optional<DWORD> Run(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return std::nullopt;
    }
    std::optional<DWORD> code;
    if (WaitForSingleObject(info.hProcess, kProcessDeadlineMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(info.hProcess, &exitCode);
        code = exitCode;
    } else {
        TerminateProcess(info.hProcess, 1);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

std::string Described(const std::optional<DWORD>& code) {
    return code ? "exit code " + std::to_string(*code) : "did not end";
}

int Refuses(const std::string& setup) {
    const std::string folder = InstallFolder();
    const std::string exe = folder + "\\kelvorin.exe";
    HANDLE running = CreateMutexA(nullptr, TRUE, kRunningMutex);
    const auto setupCode = Run(Quoted(setup) + " /S");
    Check(setupCode == DWORD{2}, "setup refuses while the program runs", Described(setupCode));
    // _?= runs the uninstaller in place, so its exit code is the uninstall's own.
    const auto uninstallCode = Run(Quoted(folder + "\\uninstall.exe") + " /S _?=" + folder);
    Check(uninstallCode == DWORD{2}, "uninstall refuses while the program runs",
          Described(uninstallCode));
    CloseHandle(running);
    Check(Exists(exe) && UninstallKeyExists(), "the refused runs left the installation in place");
    return g_failures;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    CoInitialize(nullptr);
    int failures = -1;
    if (args.size() == 2 && args[0] == "installed") {
        failures = Installed(args[1]);
    } else if (args.size() >= 3 && args[0] == "versions") {
        for (size_t i = 2; i < args.size(); ++i) {
            CheckVersion(args[i], args[1]);
        }
        failures = g_failures;
    } else if (args.size() == 2 && args[0] == "refuses") {
        failures = Refuses(args[1]);
    } else if (args.size() == 1 && args[0] == "removed") {
        failures = Removed();
    } else {
        std::fprintf(stderr, "usage: setup_check installed VERSION | versions VERSION FILE... | "
                             "refuses SETUP | removed\n");
    }
    CoUninitialize();
    std::fflush(stdout);
    return failures < 0 ? 100 : failures;
}
