#include "steps/TraySteps.h"

#include "probes/Desktop.h"
#include "probes/MainWindowView.h"
#include "probes/RasLog.h"
#include "probes/SettingsFile.h"
#include "probes/TrayProbe.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"

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

void ByExitItem(const Started& s) {
    ChooseTrayItem(s, tray_positions::kExit);
}

void ByCloseMessage(const Started& s) {
    PostMessageA(s.main, WM_CLOSE, 0, 0);
}

void ByCloseBox(const Started& s) {
    PostMessageA(s.main, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// Alt+Space opens the system menu; C is the access key of its Close item.
void BySystemMenu(const Started& s) {
    PostMessageA(s.main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND menu = WaitPopupMenu(s.app.Id());
    REQUIRE_MSG(menu != nullptr, "the system menu did not open");
    PostMessageA(menu, WM_CHAR, 'c', 1);
}

void ByAltF4(const Started& s) {
    HWND field = Item(s.main, ids::kUser);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(VK_F4, 0)) << 16;
    const LPARAM altDown = 1 << 29;
    PostMessageA(field, WM_SYSKEYDOWN, VK_F4, scan | altDown | 1);
    PostMessageA(field, WM_SYSKEYUP, VK_F4, scan | altDown | 1 | (1u << 30) | (1u << 31));
}

void ByEnterInThePassword(const Started& s) {
    PressKey(Item(s.main, ids::kPassword), VK_RETURN);
}

void ByEscInTheAccount(const Started& s) {
    PressKey(Item(s.main, ids::kUser), VK_ESCAPE);
}

} // namespace

const WayOut kByExitItem{"the exit item of the tray menu", false, ByExitItem};
const WayOut kByEnterInThePassword{"Enter in the password", true, ByEnterInThePassword};
const WayOut kByEscInTheAccount{"Esc in the account name", true, ByEscInTheAccount};

const std::vector<WayOut>& WaysOut() {
    static const std::vector<WayOut> ways = {
        kByExitItem,
        {"WM_CLOSE", true, ByCloseMessage},
        {"the close box", true, ByCloseBox},
        {"the system menu's close", true, BySystemMenu},
        {"Alt+F4", true, ByAltF4},
        kByEnterInThePassword,
        kByEscInTheAccount,
    };
    return ways;
}

void ShowIfNeeded(const Started& s, const WayOut& way) {
    if (way.needsShownWindow && !IsWindowVisible(s.main)) {
        PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
        REQUIRE_MSG(WaitShown(s.main), "the double-click did not show the window");
    }
}

// Takes the way out and returns the question it asks; ends the case when none is asked.
MessageBoxView AskByWay(const Started& s, const WayOut& way) {
    way.take(s);
    const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
    REQUIRE_MSG(box.has_value() && s.app.Running(), std::string(way.name) + " asked nothing");
    const std::string where = std::string(" (") + way.name + ")";
    CHECK_MSG(box->text == texts::kExitQuestion, "text " + Describe(box->text) + where);
    CHECK_MSG(box->caption == texts::kNotice, "caption " + Describe(box->caption) + where);
    CHECK_MSG(box->buttons == (std::vector<int>{IDYES, IDNO}),
              "buttons " + Describe(box->buttons) + where);
    CHECK_MSG(box->icon == BoxIcon::Question,
              std::string("icon ") + BoxIconName(box->icon) + where);
    CHECK_MSG(box->owner == s.main, "not owned by the main window" + where);
    return *box;
}

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

Started StartConnected() {
    Started s = StartShown(QuickConnectBook());
    REQUIRE_MSG(ConnectAndWait(s), "the connect step did not hide the window to the tray");
    return s;
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

void HideToTray(const Started& s) {
    PostMinimise(s.main);
    REQUIRE_MSG(WaitHidden(s.main), "minimise did not hide the window");
}

Started StartHidden(const PhoneBook& book) {
    Started s = StartShown(book);
    HideToTray(s);
    return s;
}

void CheckNoIconLeft(HWND main, const std::string& where) {
    CHECK_MSG(!TrayIconPresent(main), "the icon stayed" + where);
    CHECK_MSG(WaitUntil([] { return VisibleTrayIconCount() == 0; }),
              "the taskbar still shows an icon" + where);
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
    const std::optional<int> first = WaitFor([&] { return ShownSeconds(main); });
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
