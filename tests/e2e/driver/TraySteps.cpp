#include "TraySteps.h"

#include "Desktop.h"
#include "MainWindowView.h"
#include "RasLog.h"
#include "SettingsFile.h"
#include "TestRunner.h"
#include "TrayProbe.h"
#include "WindowProbe.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

bool WaitVisibility(HWND window, bool visible, bool* everIconic, unsigned timeoutMs) {
    bool iconic = false;
    const bool reached = WaitUntil(
        [&] {
            iconic = iconic || IsIconic(window);
            return (IsWindowVisible(window) != FALSE) == visible;
        },
        timeoutMs);
    if (everIconic) {
        *everIconic = iconic || IsIconic(window);
    }
    return reached;
}

} // namespace

HWND OpenTrayMenu(const Started& s) {
    PostTrayNotify(s.main, WM_RBUTTONDOWN);
    return WaitPopupMenu(s.app.Id());
}

void RequireSafeMenuChoice(bool mayEndSession) {
    REQUIRE_MSG(RunningUnderWine(), "tray menu items are chosen only under Wine");
    REQUIRE_MSG(mayEndSession || SessionEndDisabled(),
                "run through tests/e2e/run.sh: it keeps the programs from ending the session");
}

void ChooseTrayItem(const Started& s, int position, bool mayEndSession) {
    RequireSafeMenuChoice(mayEndSession);
    HWND menu = OpenTrayMenu(s);
    REQUIRE_MSG(menu != nullptr, "the tray menu did not open");
    ChooseMenuPosition(menu, position, kTrayMenuSeparators);
    REQUIRE_MSG(WaitNoPopupMenu(s.app.Id()), "the tray menu stayed open");
}

bool ConnectAndWait(Started& s) {
    PressButton(Item(s.main, ids::kDial));
    return WaitHidden(s.main) && WaitUntil([&] { return TrayIconPresent(s.main); });
}

bool IconGoneWithTheWindow(HWND main) {
    const DWORD start = GetTickCount();
    while (IsWindow(main)) {
        if (GetTickCount() - start > DefaultTimeoutMs()) {
            return false;
        }
        Sleep(0); // a tight poll: the moment right after the window went matters
    }
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    const bool taskbarShown = taskbar && IsWindowVisible(taskbar);
    return !TrayIconPresent(main) && !taskbarShown;
}

bool WaitHidden(HWND window, bool* everIconic, unsigned timeoutMs) {
    return WaitVisibility(window, false, everIconic, timeoutMs);
}

bool WaitShown(HWND window, bool* everIconic, unsigned timeoutMs) {
    return WaitVisibility(window, true, everIconic, timeoutMs);
}

void PostMinimise(HWND window, WPARAM command) {
    PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

std::optional<int> ShownSeconds(HWND main) {
    const std::optional<TickText> tick = ParseTickText(WindowText(Item(main, ids::kStatus)));
    return tick ? std::optional<int>(tick->seconds) : std::nullopt;
}

bool WaitSecondsAbove(HWND main, int seconds, unsigned timeoutMs) {
    return WaitUntil(
        [&] {
            const std::optional<int> shown = ShownSeconds(main);
            return shown && *shown > seconds;
        },
        timeoutMs);
}

bool SecondsKeepCounting(HWND main) {
    std::optional<int> first;
    WaitUntil([&] {
        first = ShownSeconds(main);
        return first.has_value();
    });
    return first && WaitSecondsAbove(main, *first);
}

bool Responds(HWND window, unsigned timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

int StoredRecordCount() {
    const std::optional<std::string> counter = settings::RecordCounter();
    return counter ? std::atoi(counter->c_str()) : 0;
}

std::optional<int> StoredRecordSeconds(int number) {
    const std::optional<std::string> record = settings::Record(number);
    if (!record) {
        return std::nullopt;
    }
    // year-month-day,seconds@hour:minute:second
    int year = 0, month = 0, day = 0, seconds = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(record->c_str(), "%d-%d-%d,%d@%d:%d:%d", &year, &month, &day, &seconds, &hour,
                    &minute, &second) != 7) {
        return std::nullopt;
    }
    return seconds;
}

int RasCalls(const App& app, const std::string& call) {
    return static_cast<int>(RasLogLinesNamed(ParseRasLog(app.RasLog()), call).size());
}

} // namespace e2e
