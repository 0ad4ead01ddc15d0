#pragma once

// Starting kelvorin.exe on the test desktop with a phone book of the simulated RAS service,
// watching its windows and its end, and making sure no copy outlives a case. The cases start it
// through the start steps (steps/StartSteps.h).

#include "probes/MessageBoxProbe.h"
#include "probes/ProgramFacts.h"
#include "Wait.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The running case's own folder for phone books, RAS logs and other files; emptied when a
// case first asks for it. Under E2E_WORK_DIR, else under the temporary folder.
std::string CaseFolder();

// The entries the simulated RAS service reports, in enumeration order, and any further lines
// (dial sections). Texts are ANSI like the test literals; the file is written as UTF-8.
struct PhoneBook {
    std::vector<std::string> entries;
    std::string moreLines;
    std::string FileText() const;
};

// The entry of the phone books most cases use.
inline constexpr const char* kEntryName = "我的连接";
// That entry alone, dialled by the service's default script.
PhoneBook OneEntryBook();
// That entry, with a dial that connects 50 ms after it starts.
PhoneBook QuickConnectBook();
// That entry, with a dial that starts and never gets any further.
PhoneBook NeverConnectingBook();

// kelvorin.exe: E2E_APP, else beside the driver.
std::string AppPath();

class App {
public:
    // Writes the phone book into the case folder (none: no file at all, so no entries) and
    // starts the program; suspended starts wait for Resume (two copies at one moment).
    static App Start(const std::optional<PhoneBook>& book, bool suspended = false);
    // The same for a copy of the program at another path.
    static App StartCopy(const std::string& programPath, const PhoneBook& book);
    // The same with the phone book read from a path of the caller's (a pipe).
    static App StartReading(const std::string& phoneBookPath);

    App() = default;
    App(App&& other) noexcept;
    App& operator=(App&& other) noexcept;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    ~App(); // kills a copy that still runs

    bool Started() const { return m_process != nullptr; }
    void Resume();
    DWORD Id() const { return m_processId; }
    bool Running() const;
    const std::string& PhoneBookPath() const { return m_phoneBook; }
    std::string RasLog() const;

    // The main window if it is shown now, else nullptr.
    HWND MainWindow() const;
    HWND WaitMainWindow(unsigned timeoutMs = DefaultTimeoutMs()) const;
    // A message box of this process (not the main window).
    std::optional<MessageBoxView> WaitMessageBox(unsigned timeoutMs = DefaultTimeoutMs()) const;
    // A shown dialog of this process with the title and a control of the id (the statistics
    // and help windows); nullptr when none came before the deadline or the program ended.
    HWND WaitDialog(const char* title, int itemId) const;
    // The first shown dialog (#32770: also the main window and message boxes) `which` takes,
    // now or once one comes; nullptr when there is none (by the deadline, or the program ended).
    HWND Dialog(const std::function<bool(HWND)>& which) const;
    HWND WaitDialog(const std::function<bool(HWND)>& which,
                    unsigned timeoutMs = DefaultTimeoutMs()) const;
    // The exit code once the process has ended; empty on timeout.
    std::optional<DWORD> WaitExit(unsigned timeoutMs = DefaultTimeoutMs()) const;
    void Kill();
    // Ends the program as a user does with the close box: the close command, and Yes to the
    // question if one is asked. True once the process has ended.
    bool EndWithCloseBox(unsigned timeoutMs = DefaultTimeoutMs());

private:
    static App Launch(const std::string& path, const std::string& phoneBookPath, bool suspended);
    static std::string WritePhoneBook(const std::optional<PhoneBook>& book);
    void CloseHandles();

    HANDLE m_process = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_processId = 0;
    std::string m_phoneBook;
    std::string m_rasLog;
};

// Process ids of running copies of AppPath().
std::vector<DWORD> RunningCopies();
// Kills every running copy (a case that failed half-way can leave one behind) and waits
// until the single-instance name is free again.
bool KillStrayCopies();
bool MutexExists();

} // namespace e2e
