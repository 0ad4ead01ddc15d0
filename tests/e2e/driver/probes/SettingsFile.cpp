#include "probes/SettingsFile.h"

#include "Text.h"
#include "Wait.h"

#include <windows.h>

namespace e2e::settings {
namespace {

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

std::string Path() {
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, 100);
    return std::string(directory) + "\\corvantile.ini";
}

bool Exists() {
    return FileExists(Path());
}

bool Remove() {
    const std::string path = Path();
    DeleteFileA(path.c_str());
    return WaitUntil([&] { return !FileExists(path); }, ScaledMs(2000));
}

bool Write(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) {
            crlf += '\r';
        }
        crlf += c;
    }
    const FILETIME before = WriteTime();
    if (!WriteFileBytes(Path(), crlf)) {
        return false;
    }
    const FILETIME after = WriteTime();
    if (CompareFileTime(&after, &before) != 0) {
        return true;
    }
    ULARGE_INTEGER later{};
    later.LowPart = after.dwLowDateTime;
    later.HighPart = after.dwHighDateTime;
    later.QuadPart += 10'000'000; // one second
    return SetWriteTime({later.LowPart, later.HighPart});
}

FILETIME WriteTime() {
    FILETIME written{};
    HANDLE file = CreateFileA(Path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    return written;
}

bool SetWriteTime(const FILETIME& written) {
    HANDLE file = CreateFileA(Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool set = SetFileTime(file, nullptr, nullptr, &written) != FALSE;
    CloseHandle(file);
    return set;
}

std::string Bytes() {
    return ReadFileBytes(Path());
}

std::optional<std::string> Value(const std::string& section, const std::string& key) {
    const std::string path = Path();
    if (!FileExists(path)) {
        return std::nullopt;
    }
    // All three names empty: the documented way to make the reader forget the cached file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    static const char kMissing[] = "\x01missing\x01";
    char buffer[4096] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, buffer, sizeof buffer,
                             path.c_str());
    if (std::string(buffer) == kMissing) {
        return std::nullopt;
    }
    return std::string(buffer);
}

std::optional<std::string> ValueInText(const std::string& text, const std::string& section,
                                       const std::string& key) {
    bool inSection = false;
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            inSection = close != std::string::npos && SameName(line.substr(1, close - 1), section);
            continue;
        }
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos &&
            SameName(Trim(line.substr(0, equals)), key)) {
            return Trim(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

std::optional<std::string> Stored(const std::string& section, const std::string& key) {
    return ValueInText(Bytes(), section, key);
}

std::optional<std::string> RecordCounter() {
    return Stored("Memory", "MaxDataNumber");
}

std::optional<std::string> Record(int number) {
    return Stored("Data", "data[" + std::to_string(number) + "]");
}

} // namespace e2e::settings
