#include "steps/TraySteps.h"

#include "probes/Desktop.h"
#include "probes/TrayIconProbe.h"
#include "probes/TrayProbe.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"

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

void CloseMenuWithEscape(const Started& s, HWND menu) {
    PressKey(menu, VK_ESCAPE);
    CHECK_MSG(WaitNoPopupMenu(s.app.Id()), "Esc did not close the tray menu");
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

void CheckNoIconLeft(HWND main, const std::string& where) {
    CHECK_MSG(!TrayIconPresent(main), "the icon stayed" + where);
    CHECK_MSG(WaitUntil([] { return VisibleTrayIconCount() == 0; }),
              "the taskbar still shows an icon" + where);
}

void RequireHiddenNotIconic(HWND main) {
    bool iconic = false;
    REQUIRE_MSG(WaitHidden(main, &iconic), "the window stayed on screen");
    CHECK_MSG(!iconic, "the window was minimised instead of hidden");
}

void CheckOneIcon(HWND main, const std::string& when) {
    CHECK_MSG(WaitUntil([&] { return TrayIconPresent(main); }), "no tray icon " + when);
    CHECK_MSG(WaitUntil([] { return VisibleTrayIconCount() == 1; }),
              "taskbar shows " + std::to_string(VisibleTrayIconCount()) + " icons " + when);
}

void RestartTaskbar(HWND main) {
    REQUIRE_MSG(DeleteTrayIcon(main), "no icon to lose");
    REQUIRE_MSG(!TrayIconPresent(main), "the icon outlived its removal");
    PostMessageA(main, TaskbarCreatedMessage(), 0, 0);
}

} // namespace e2e
