#include "probes/AppProcess.h"

#include "probes/Desktop.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"
#include "Text.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>
#include <map>

namespace e2e {
namespace {

std::string SafeName(const std::string& name) {
    std::string safe;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        safe += plain ? c : '_';
    }
    return safe.empty() ? std::string("outside-case") : safe;
}

// Counts the files handed out per case so that several copies get separate phone books.
int NextFileNumber() {
    static std::string lastCase;
    static int number = 0;
    if (lastCase != CurrentTestName()) {
        lastCase = CurrentTestName();
        number = 0;
    }
    return ++number;
}

// The driver's environment with the simulated RAS service's two variables replaced.
std::string EnvironmentWith(const std::string& config, const std::string& log) {
    std::string block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; entry && *entry; entry += std::strlen(entry) + 1) {
        if (_strnicmp(entry, "SIMRAS_CONFIG=", 14) != 0 &&
            _strnicmp(entry, "SIMRAS_LOG=", 11) != 0) {
            block += entry;
            block += '\0';
        }
    }
    FreeEnvironmentStringsA(strings);
    block += "SIMRAS_CONFIG=" + config + '\0';
    block += "SIMRAS_LOG=" + log + '\0';
    block += '\0';
    return block;
}

std::string ImagePath(HANDLE process) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
    return std::string(path, length);
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

std::string CaseFolder() {
    static std::map<std::string, bool> prepared;
    std::string base = GetEnv("E2E_WORK_DIR");
    if (base.empty()) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        base = JoinPath(temp, "kelvorin-e2e");
    }
    const std::string folder = JoinPath(base, SafeName(CurrentTestName()));
    if (!prepared[folder]) {
        MakeFolders(folder);
        EmptyFolder(folder);
        prepared[folder] = true;
    }
    return folder;
}

std::string PhoneBook::FileText() const {
    std::string text = "# phone book written by the end-to-end driver\n";
    for (const auto& entry : entries) {
        text += "entry = " + AnsiToUtf8(entry) + "\n";
    }
    text += AnsiToUtf8(moreLines);
    return text;
}

PhoneBook OneEntryBook() {
    return PhoneBook{{kEntryName}, ""};
}

PhoneBook QuickConnectBook() {
    return PhoneBook{{kEntryName}, "[dial]\nevent = 0x2000 50\n"};
}

PhoneBook NeverConnectingBook() {
    return PhoneBook{{kEntryName}, "[dial]\n"};
}

std::string AppPath() {
    const std::string configured = GetEnv("E2E_APP");
    return configured.empty() ? JoinPath(DriverFolder(), "kelvorin.exe") : configured;
}

std::string App::WritePhoneBook(const std::optional<PhoneBook>& book) {
    const std::string config =
        JoinPath(CaseFolder(), "phonebook-" + std::to_string(NextFileNumber()) + ".cfg");
    DeleteFileA(config.c_str());
    if (book && !WriteFileBytes(config, book->FileText())) {
        ReportFailure(__FILE__, __LINE__, "cannot write the phone book " + config);
        return {};
    }
    return config;
}

App App::Start(const std::optional<PhoneBook>& book, bool suspended) {
    const std::string config = WritePhoneBook(book);
    return config.empty() ? App() : Launch(AppPath(), config, suspended);
}

App App::StartCopy(const std::string& programPath, const PhoneBook& book) {
    const std::string config = WritePhoneBook(book);
    return config.empty() ? App() : Launch(programPath, config, false);
}

App App::StartReading(const std::string& phoneBookPath) {
    return Launch(AppPath(), phoneBookPath, false);
}

App App::Launch(const std::string& path, const std::string& phoneBookPath, bool suspended) {
    App app;
    app.m_phoneBook = phoneBookPath;
    app.m_rasLog = JoinPath(CaseFolder(), "ras-" + std::to_string(NextFileNumber()) + ".log");
    DeleteFileA(app.m_rasLog.c_str());

    std::string desktop = DesktopName();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop.empty() ? nullptr : desktop.data();
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + path + "\"";
    std::string environment = EnvironmentWith(phoneBookPath, app.m_rasLog);
    const std::string folderOfApp = path.substr(0, path.find_last_of("\\/"));
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        suspended ? CREATE_SUSPENDED : 0, environment.data(), folderOfApp.c_str(),
                        &startup, &info)) {
        ReportFailure(__FILE__, __LINE__,
                      "cannot start " + path + " (error " + std::to_string(GetLastError()) + ")");
        return app;
    }
    app.m_process = info.hProcess;
    app.m_thread = info.hThread;
    app.m_processId = info.dwProcessId;
    return app;
}

App::App(App&& other) noexcept {
    *this = std::move(other);
}

App& App::operator=(App&& other) noexcept {
    if (this != &other) {
        Kill();
        CloseHandles();
        std::swap(m_process, other.m_process);
        std::swap(m_thread, other.m_thread);
        std::swap(m_processId, other.m_processId);
        std::swap(m_phoneBook, other.m_phoneBook);
        std::swap(m_rasLog, other.m_rasLog);
    }
    return *this;
}

App::~App() {
    Kill();
    CloseHandles();
}

void App::CloseHandles() {
    if (m_thread) {
        CloseHandle(m_thread);
    }
    if (m_process) {
        CloseHandle(m_process);
    }
    m_thread = m_process = nullptr;
}

void App::Resume() {
    if (m_thread) {
        ResumeThread(m_thread);
    }
}

bool App::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

std::string App::RasLog() const {
    return ReadFileBytes(m_rasLog);
}

HWND App::Dialog(const std::function<bool(HWND)>& which) const {
    if (m_process) {
        for (HWND window : TopWindowsOf(m_processId, "#32770")) {
            if (which(window)) {
                return window;
            }
        }
    }
    return nullptr;
}

HWND App::WaitDialog(const std::function<bool(HWND)>& which, unsigned timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Dialog(which)) != nullptr || !Running(); }, timeoutMs);
    return found;
}

HWND App::MainWindow() const {
    return Dialog([](HWND w) { return WindowText(w) == kMainTitle && !LooksLikeMessageBox(w); });
}

HWND App::WaitMainWindow(unsigned timeoutMs) const {
    return WaitDialog([](HWND w) { return WindowText(w) == kMainTitle && !LooksLikeMessageBox(w); },
                      timeoutMs);
}

std::optional<MessageBoxView> App::WaitMessageBox(unsigned timeoutMs) const {
    HWND found = WaitDialog(LooksLikeMessageBox, timeoutMs);
    return found ? std::optional<MessageBoxView>(ReadMessageBox(found)) : std::nullopt;
}

HWND App::WaitDialog(const char* title, int itemId) const {
    return WaitDialog([&](HWND w) { return WindowText(w) == title && Item(w, itemId) != nullptr; });
}

std::optional<DWORD> App::WaitExit(unsigned timeoutMs) const {
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return code;
}

void App::Kill() {
    if (Running()) {
        TerminateProcess(m_process, 0xDEAD);
        WaitForSingleObject(m_process, ScaledMs(5000));
    }
}

bool App::EndWithCloseBox(unsigned timeoutMs) {
    HWND window = MainWindow();
    if (!window) {
        return false;
    }
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitUntil(
        [&] {
            if (!Running()) {
                return true;
            }
            if (HWND box = Dialog(LooksLikeMessageBox)) {
                AnswerMessageBox(box, IDYES);
            }
            return false;
        },
        timeoutMs);
}

std::vector<DWORD> RunningCopies() {
    std::vector<DWORD> ids;
    const std::string path = AppPath();
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return ids;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (!SamePath(entry.szExeFile, name)) {
            continue;
        }
        HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (process) {
            // Only our own build's program: never a same-named program elsewhere.
            if (SamePath(ImagePath(process), path)) {
                ids.push_back(entry.th32ProcessID);
            }
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return ids;
}

bool MutexExists() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kMutexName);
    if (mutex) {
        CloseHandle(mutex);
    }
    return mutex != nullptr;
}

bool KillStrayCopies() {
    for (DWORD id : RunningCopies()) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process) {
            TerminateProcess(process, 0xDEAD);
            WaitForSingleObject(process, ScaledMs(5000));
            CloseHandle(process);
        }
    }
    // A killed holder's mutex goes away shortly after the process.
    return WaitUntil([] { return RunningCopies().empty() && !MutexExists(); });
}

} // namespace e2e
