#pragma once

// Starting kelvorin.exe on the test desktop with a phone book of the simulated RAS service,
// watching its windows and its end, and making sure no copy outlives a case; and the start step
// of the cases (StartProgram).

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
    static App Launch(const std::string& phoneBookPath, bool suspended);
    void CloseHandles();

    HANDLE m_process = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_processId = 0;
    std::string m_phoneBook;
    std::string m_rasLog;
};

// The start step of the cases: the settings file replaced by `settingsText` (left as it is
// when that is empty), the program started with the phone book, and its main window up with
// the program idle. The dialog manager shows a dialog once more when its queue first runs
// empty, which would undo a hide requested before. `main` is nullptr when the window did not
// appear; cases about what comes instead of the window start the program with App::Start.
struct Started {
    App app;
    HWND main = nullptr;
};
Started StartProgram(const PhoneBook& book = OneEntryBook(), const std::string& settingsText = {});
// The same with the phone book read from a path of the caller's (a pipe).
Started StartProgramReading(const std::string& phoneBookPath);
// StartProgram for the cases that need the window: ends the case when it did not appear.
Started StartShown(const PhoneBook& book = OneEntryBook(), const std::string& settingsText = {});

// Waits for a message box, reads it, answers it (OK for a notice) and waits until it has gone
// (ends the case when it cannot be answered or stays); empty when no box came.
std::optional<MessageBoxView> Answered(const App& app, int answer = IDOK);
// Presses the button, then Answered.
std::optional<MessageBoxView> AnsweredAfter(const App& app, HWND button, int answer = IDOK);

// Answered, and the box a notice of `owner` with the text: the caption "提示", OK its only
// button, the information icon.
void CheckNotice(const App& app, HWND owner, const std::string& text);

// Presses "时间统计" in the main window and waits for the statistics window; nullptr when none
// came. RequireStats ends the case instead.
HWND OpenStats(const App& app, HWND main);
HWND RequireStats(const Started& s);

// Process ids of running copies of AppPath().
std::vector<DWORD> RunningCopies();
// Kills every running copy (a case that failed half-way can leave one behind) and waits
// until the single-instance name is free again.
bool KillStrayCopies();
bool MutexExists();

} // namespace e2e
