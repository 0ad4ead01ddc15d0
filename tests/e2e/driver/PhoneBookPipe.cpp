#include "PhoneBookPipe.h"

#include "Desktop.h"
#include "TestRunner.h"
#include "Text.h"
#include "Wait.h"
#include "WindowProbe.h"

#include <cstring>

namespace e2e {
namespace {

constexpr DWORD kPipeBuffer = 65536;

std::string NewPipeName() {
    static int counter = 0;
    return "\\\\.\\pipe\\kelvorin-e2e-phonebook-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

HANDLE NewInstance(const std::string& path) {
    return CreateNamedPipeA(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr);
}

// The driver's environment with the simulated service's two variables replaced.
std::string EnvironmentWith(const std::string& config, const std::string& log) {
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; entry && *entry; entry += std::strlen(entry) + 1) {
        const std::string line(entry);
        if (_strnicmp(entry, "SIMRAS_CONFIG=", 14) != 0 &&
            _strnicmp(entry, "SIMRAS_LOG=", 11) != 0) {
            block += line;
            block += '\0';
        }
    }
    FreeEnvironmentStringsA(strings);
    block += "SIMRAS_CONFIG=" + config + '\0';
    block += "SIMRAS_LOG=" + log + '\0';
    block += '\0';
    return block;
}

} // namespace

PhoneBookPipe::PhoneBookPipe(const PhoneBook& book)
    : m_path(NewPipeName()), m_text(book.FileText()),
      m_held(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_released(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    // The first instance exists before any reader can come.
    HANDLE first = NewInstance(m_path);
    m_server = std::thread([this, first] {
        HANDLE pipe = first;
        while (pipe != INVALID_HANDLE_VALUE && !m_stop) {
            const bool connected =
                ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
            // The next reader finds an instance waiting while this one is served.
            HANDLE next = m_stop ? INVALID_HANDLE_VALUE : NewInstance(m_path);
            if (connected && !m_stop) {
                ServeOne(pipe);
            }
            CloseHandle(pipe);
            pipe = next;
        }
        if (pipe != INVALID_HANDLE_VALUE) {
            CloseHandle(pipe);
        }
    });
}

PhoneBookPipe::~PhoneBookPipe() {
    m_stop = true;
    SetEvent(m_released);
    // A reader of our own ends the server's wait for one.
    HANDLE wake = CreateFileA(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    m_server.join();
    if (wake != INVALID_HANDLE_VALUE) {
        CloseHandle(wake);
    }
    CloseHandle(m_held);
    CloseHandle(m_released);
}

bool PhoneBookPipe::ServeOne(HANDLE pipe) {
    if (m_holdNext.exchange(false)) {
        SetEvent(m_held);
        WaitForSingleObject(m_released, INFINITE);
        if (m_stop) {
            return false;
        }
    }
    DWORD written = 0;
    WriteFile(pipe, m_text.data(), static_cast<DWORD>(m_text.size()), &written, nullptr);
    ++m_reads;
    // Returns once the reader has taken everything; closing this end then tells it the end.
    FlushFileBuffers(pipe);
    return true;
}

void PhoneBookPipe::HoldNextRead() {
    ResetEvent(m_held);
    ResetEvent(m_released);
    m_holdNext = true;
}

bool PhoneBookPipe::WaitHeld(unsigned timeoutMs) {
    return WaitForSingleObject(m_held, timeoutMs) == WAIT_OBJECT_0;
}

void PhoneBookPipe::Release() {
    SetEvent(m_released);
}

PipedApp::PipedApp(const PhoneBookPipe& pipe) {
    m_log = JoinPath(CaseFolder(), "ras-piped.log");
    DeleteFileA(m_log.c_str());
    std::string desktop = DesktopName();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.empty() ? nullptr : desktop.data();
    PROCESS_INFORMATION info{};
    const std::string path = AppPath();
    std::string commandLine = "\"" + path + "\"";
    std::string environment = EnvironmentWith(pipe.Path(), m_log);
    const std::string folder = path.substr(0, path.find_last_of("\\/"));
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        environment.data(), folder.c_str(), &startup, &info)) {
        ReportFailure(__FILE__, __LINE__,
                      "cannot start " + path + " (error " + std::to_string(GetLastError()) + ")");
        return;
    }
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_processId = info.dwProcessId;
}

PipedApp::~PipedApp() {
    if (m_process) {
        TerminateProcess(m_process, 0xDEAD);
        WaitForSingleObject(m_process, 5000);
        CloseHandle(m_process);
    }
}

std::string PipedApp::RasLog() const {
    return ReadFileBytes(m_log);
}

HWND PipedApp::WaitMainWindow() const {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopWindowsOf(m_processId, "#32770")) {
            if (WindowText(window) == kMainTitle && GetDlgItem(window, 1000) != nullptr) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

} // namespace e2e
