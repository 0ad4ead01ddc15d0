#include "sim/SimEnv_win.h"

#include "framework/Handles.h"

#include <vector>

namespace simras {

namespace {

HMODULE g_module = nullptr;

// Log lines come from the caller's threads and from dial workers; nothing else is done while
// this is held.
class LogLock {
public:
    LogLock() { InitializeCriticalSection(&cs_); }
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

LogLock& TheLogLock() {
    static LogLock* lock = new LogLock; // never destroyed: workers may log during process exit
    return *lock;
}

std::string EnvOr(const char* name, const char* fileBesideDll) {
    char value[MAX_PATH];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n > 0 && n < sizeof value)
        return std::string(value, n);
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(g_module, path, sizeof path);
    std::string dir(path, len < sizeof path ? len : 0);
    std::size_t slash = dir.find_last_of("\\/");
    dir.resize(slash == std::string::npos ? 0 : slash + 1);
    return dir + fileBesideDll;
}

std::string Convert(std::string_view text, UINT from, UINT to) {
    if (text.empty())
        return std::string();
    int wideLen =
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(wideLen));
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLen);
    int outLen = WideCharToMultiByte(to, 0, wide.data(), wideLen, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(outLen), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLen, out.data(), outLen, nullptr, nullptr);
    return out;
}

} // namespace

void SetModule(HMODULE module) {
    g_module = module;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return Convert(utf8, CP_UTF8, CP_ACP);
}

std::string AnsiToUtf8(std::string_view ansi) {
    return Convert(ansi, CP_ACP, CP_UTF8);
}

SimConfig LoadConfig() {
    std::string path = EnvOr("SIMRAS_CONFIG", "simras.cfg");
    const fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file == INVALID_HANDLE_VALUE)
        return SimConfig();
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        text.append(chunk, got);

    SimConfig config = ParseSimConfig(text);
    for (const ConfigError& error : config.errors) {
        LogLine("config error path=" + QuoteForLog(AnsiToUtf8(path)) +
                " line=" + std::to_string(error.line) + " message=" + QuoteForLog(error.message));
    }
    return config;
}

void LogLine(const std::string& line) {
    std::string path = EnvOr("SIMRAS_LOG", "simras.log");
    std::string text = line + "\n";
    TheLogLock().Enter();
    {
        const fw::UniqueHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
    }
    TheLogLock().Leave();
}

} // namespace simras
