// The notification-area icon and its two menus: hiding to the tray, showing again, the menu
// for each connection state and where each of its items leads.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/PhoneBookPipe.h"
#include "probes/ProgramFile.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/SimulatedShell.h"
#include "probes/TaskbarlessDesktop.h"
#include "probes/TrayProbe.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

namespace {

using namespace e2e;

using namespace tray_positions;

// The item list of a tray menu in the program file, against the expected one.
void CheckMenuResource(UINT menuId, const std::vector<TrayMenuItem>& expected) {
    const std::string what = "menu " + std::to_string(menuId);
    const std::optional<MenuResource> menu = ReadMenuResource(AppPath(), menuId);
    REQUIRE_MSG(menu.has_value(), what + " is missing from " + AppPath());
    REQUIRE_EQ(menu->top.size(), 1u);
    CHECK_MSG(menu->top[0].popup, what + ": the only entry is not a pop-up");
    CHECK_EQ(menu->top[0].text, "pop");
    REQUIRE_EQ(menu->popupItems.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const MenuItem& item = menu->popupItems[i];
        const std::string where = what + " position " + std::to_string(i + 1);
        const bool separator = expected[i].id == 0;
        CHECK_MSG(item.separator == separator,
                  where + (separator ? ": not a separator" : ": a separator"));
        CHECK_MSG(!item.popup, where + ": a pop-up");
        if (!separator) {
            CHECK_MSG(item.id == expected[i].id, where + ": id " + std::to_string(item.id));
            CHECK_MSG(item.text == expected[i].text, where + ": text " + Describe(item.text));
        }
        // Never grayed, checked or the default item (separators are disabled by nature).
        CHECK_MSG(separator || (item.state & (MFS_GRAYED | MFS_CHECKED | MFS_DEFAULT)) == 0,
                  where + ": state " + std::to_string(item.state));
    }
    CHECK_EQ(menu->defaultItem, -1);
}

} // namespace

E2E_TEST(Tray, MenusInTheProgramFileHoldTheItemsInOrder) {
    CheckMenuResource(kIdleTrayMenu, kIdleTrayItems);
    CheckMenuResource(kConnectedTrayMenu, kConnectedTrayItems);
}

E2E_TEST(Tray, MinimiseWhileIdleHidesTheWindowToOneIcon) {
    Started s = StartShown(NeverConnectingBook());
    CHECK_MSG(!TrayIconPresent(s.main), "an icon before the first minimise");

    PostMinimise(s.main);
    RequireHiddenNotIconic(s.main);
    CheckOneIcon(s.main, "after the first minimise");
    CHECK_MSG(RightmostTrayIconShows(AppPath(), kProgramIcon),
              "the icon is not the program's icon " + std::to_string(kProgramIcon));
    // The comparison tells icons apart: the dial button's handshake is not what is shown.
    CHECK(!RightmostTrayIconShows(AppPath(), kDialIcon));

    // Shown and minimised again: still the one icon.
    PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
    bool iconic = false;
    REQUIRE_MSG(WaitShown(s.main, &iconic), "the double-click did not show the window");
    CHECK(!iconic);
    CheckOneIcon(s.main, "after showing");
    PostMinimise(s.main);
    RequireHiddenNotIconic(s.main);
    CheckOneIcon(s.main, "after the second minimise");
    CHECK(s.app.Running());
}

// The caption's box and the system menu send SC_MINIMIZE; the system may set the low four bits
// of the command, and such a request must also leave an icon to come back by.
E2E_TEST(Tray, MinimiseWithTheLowBitsSetAlsoAddsTheIcon) {
    Started s = StartShown(NeverConnectingBook());
    PostMinimise(s.main, SC_MINIMIZE | 0x0002);
    RequireHiddenNotIconic(s.main);
    CheckOneIcon(s.main, "after the minimise");
}

E2E_TEST(Tray, SystemMenuMinimiseHidesTheWindowToOneIcon) {
    Started s = StartShown(NeverConnectingBook());
    // Alt+Space opens the system menu; N is the access key of its Minimise item.
    PostMessageA(s.main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND menu = WaitPopupMenu(s.app.Id());
    REQUIRE_MSG(menu != nullptr, "the system menu did not open");
    PostMessageA(menu, WM_CHAR, 'n', 1);
    RequireHiddenNotIconic(s.main);
    CheckOneIcon(s.main, "after the minimise");
}

E2E_TEST(Tray, MinimiseWhileConnectedKeepsOneIcon) {
    Started s = StartConnected();
    CheckOneIcon(s.main, "after connecting");

    PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
    REQUIRE(WaitShown(s.main));
    PostMinimise(s.main);
    RequireHiddenNotIconic(s.main);
    CheckOneIcon(s.main, "after minimising while connected");
}

// The phone book is read through a pipe, and the read at the start of the dial is held: the
// program then sits inside the dial call, and what it did before is on the screen.
E2E_TEST(Tray, RightButtonOpensTheIdleMenuWhoseThirdItemShowsTheWindowThenDials) {
    PhoneBookPipe book(NeverConnectingBook());
    Started s = StartProgramReading(book.Path());
    REQUIRE(s.app.Started());
    HWND main = s.main;
    REQUIRE_MSG(main != nullptr, "the main window did not appear");
    PostMinimise(main);
    REQUIRE(WaitHidden(main));

    RequireSafeMenuChoice();
    PostTrayNotify(main, WM_RBUTTONDOWN);
    HWND menu = WaitPopupMenu(s.app.Id());
    REQUIRE_MSG(menu != nullptr, "the right button opened no menu");
    CHECK(ScreenshotTaken("tray-menu-idle"));
    const int readsBefore = book.Reads();
    book.HoldNextRead();
    ChooseMenuPosition(menu, kThird, kTrayMenuSeparators);
    const bool held = book.WaitHeld(DefaultTimeoutMs());
    const bool shownAtDial = IsWindowVisible(main) != FALSE;
    const int dialsLogged = RasCalls(s.app, "RasDialA");
    book.Release();
    REQUIRE_MSG(held, "the third item of the idle menu started no RAS call");
    CHECK_MSG(shownAtDial, "the dial started before the window was shown");
    CHECK_EQ(dialsLogged, 0);

    CHECK_MSG(WaitUntil([&] { return RasCalls(s.app, "RasDialA") == 1; }),
              "the held call was not the dial");
    CHECK_EQ(book.Reads(), readsBefore + 1);
    CHECK(IsWindowVisible(main));
}

E2E_TEST(Tray, RightButtonWhileConnectedOpensTheConnectedMenuWhoseThirdItemHangsUp) {
    Started s = StartConnected();

    RequireSafeMenuChoice();
    HWND menu = OpenTrayMenu(s);
    REQUIRE_MSG(menu != nullptr, "the right button opened no menu");
    CHECK(ScreenshotTaken("tray-menu-connected"));
    ChooseMenuPosition(menu, kThird, kTrayMenuSeparators);

    REQUIRE_MSG(WaitUntil([] { return StoredRecordSeconds(1).has_value(); }),
                "the third item of the connected menu stored no record");
    CHECK_EQ(StoredRecordCount(), 1);
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 1);
    CHECK_EQ(RasCalls(s.app, "RasDialA"), 1);
    // The icon stays and the window stays where it was.
    CheckOneIcon(s.main, "after the hang-up");
    CHECK(!IsWindowVisible(s.main));

    // The next press brings the idle menu: its third item dials again.
    ChooseTrayItem(s, kThird);
    CHECK_MSG(WaitUntil([&] { return RasCalls(s.app, "RasDialA") == 2; }),
              "the menu after the hang-up is not the idle one");
    CHECK(WaitShown(s.main));
    CHECK_EQ(StoredRecordCount(), 1);
}

E2E_TEST(Tray, NoTaskbarTheWindowStillHidesAndShows) {
    std::string error;
    const bool ran = RunOnDesktopWithoutTaskbar(
        [] {
            REQUIRE_MSG(FindWindowA("Shell_TrayWnd", nullptr) == nullptr, "there is a taskbar");
            Started s = StartShown(NeverConnectingBook());
            bool iconic = false;
            for (int round = 1; round <= 2; ++round) {
                const std::string when = " (round " + std::to_string(round) + ")";
                PostMinimise(s.main);
                CHECK_MSG(WaitHidden(s.main, &iconic), "minimise did not hide the window" + when);
                CHECK(!iconic);
                PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
                CHECK_MSG(WaitShown(s.main, &iconic), "the double-click did not show it" + when);
                CHECK(!iconic);
            }
            // The show command of the menu takes the same way.
            HideToTray(s);
            PostMessageA(s.main, WM_COMMAND, tray_ids::kShowMain, 0);
            CHECK_MSG(WaitShown(s.main), "the show command did not show the window");
            CHECK(s.app.Running());
        },
        &error);
    CHECK_MSG(ran, error);
}

// Explorer restarted while the window is hidden: the icon is the only way back to it.
E2E_TEST(Tray, TaskbarCreatedBringsTheIconBackWhileConnectedAndHidden) {
    Started s = StartConnected();
    RestartTaskbar(s.main);
    CHECK_MSG(WaitUntil([&] { return TrayIconPresent(s.main); }),
              "\"TaskbarCreated\" did not bring the icon back");
    CheckOneIcon(s.main, "after the taskbar's restart");
    CHECK(!IsWindowVisible(s.main));
    CHECK(SecondsKeepCounting(s.main));
}

// The shell not yet ready at log-on: without an icon the connected window stays on screen and a
// minimise leaves it on the taskbar, until the shell's start brings the icon, with the tip the
// allowance gives then.
E2E_TEST(Tray, WithoutAShellTheWindowStaysOnScreenUntilTaskbarCreatedAddsTheIcon) {
    std::string error;
    const bool ran = RunOnDesktopWithoutTaskbar(
        [] {
            SimulatedShell shell;
            shell.RefuseAdds(true);
            Started s = StartShown(QuickConnectBook(), "[Plan]\nHours=1\nFirstDay=1\n");
            PressButton(Item(s.main, ids::kDial));
            REQUIRE_MSG(WaitSecondsAbove(s.main, 0), "no connection: " + Describe(Status(s.main)));
            CHECK_MSG(IsWindowVisible(s.main), "the connection hid the window without an icon");
            PostMinimise(s.main);
            CHECK_MSG(WaitUntil([&] { return IsIconic(s.main) != FALSE; }),
                      "the minimise did not leave the window on the taskbar");
            CHECK(IsWindowVisible(s.main));

            shell.RefuseAdds(false);
            shell.Restart();
            const std::string planTip = std::string(texts::kTrayTip) + "\n本期剩余 ";
            CHECK_MSG(WaitUntil([&] {
                          return shell.Tip(s.main, kTrayIconId).value_or("").rfind(planTip, 0) == 0;
                      }),
                      "tip " + Describe(shell.Tip(s.main, kTrayIconId)));
            CHECK(IsWindowVisible(s.main));
            CHECK(SecondsKeepCounting(s.main));
        },
        &error);
    CHECK_MSG(ran, error);
}

namespace {

// Each item of the tray menu other than the third, restart, shut-down and the plan's (see
// PlanWindows) reaches its handler; the window is hidden before each choice.
void CheckItemsReachTheirHandlers(Started& s) {
    const std::string helpCaption =
        ReadDialogTemplate(AppPath(), kHelpTemplate).value_or(DialogTemplate{}).caption;

    ChooseTrayItem(s, kShow);
    CHECK_MSG(WaitShown(s.main), "the show item did not show the window");

    for (const int position : {kStatistics, kHelp, kGuard}) {
        const std::string item = "item " + std::to_string(position);
        HideToTray(s);
        ChooseTrayItem(s, position);
        HWND dialog = WaitOwnedDialog(s.app, s.main);
        REQUIRE_MSG(dialog != nullptr, item + " opened no window");
        const std::string expected = position == kStatistics ? kStatsTitle
                                     : position == kHelp     ? helpCaption
                                                             : kGuardTitle;
        CHECK_MSG(WindowText(dialog) == expected,
                  item + " opened " + Describe(WindowText(dialog)) + ", not " + Describe(expected));
        PressKey(dialog, VK_ESCAPE);
        CHECK_MSG(WaitGone(dialog), item + ": Esc did not close " + Describe(WindowText(dialog)));
    }

    const MessageBoxView box = AskByWay(s, kByExitItem);
    REQUIRE(AnswerMessageBox(box.window, IDNO));
    CHECK(WaitGone(box.window));
    CHECK(s.app.Running());
}

} // namespace

E2E_TEST(Tray, IdleMenuItemsReachTheirHandlers) {
    Started s = StartHidden();
    CheckItemsReachTheirHandlers(s);
    CHECK_EQ(RasCalls(s.app, "RasDialA"), 0);
    CHECK(!settings::Exists() || StoredRecordCount() == 0);
}

E2E_TEST(Tray, ConnectedMenuItemsReachTheirHandlers) {
    Started s = StartConnected();
    CheckItemsReachTheirHandlers(s);
    // The connection went on through all of it.
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 0);
    CHECK(!settings::Exists() || StoredRecordCount() == 0);
    CHECK_MSG(SecondsKeepCounting(s.main),
              "the seconds stopped counting: " + Describe(WindowText(Item(s.main, ids::kStatus))));
}

E2E_TEST(Tray, DoubleClickShowsTheWindowAlsoWhenItIsShown) {
    Started s = StartHidden();
    PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
    REQUIRE_MSG(WaitShown(s.main), "the double-click did not show the hidden window");

    const RECT before = ScreenRect(s.main);
    PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
    // The menu opened by the press after it shows that the double-click has been handled.
    PostTrayNotify(s.main, WM_RBUTTONDOWN);
    HWND menu = WaitPopupMenu(s.app.Id());
    REQUIRE(menu != nullptr);
    CHECK(IsWindowVisible(s.main));
    CHECK(!IsIconic(s.main));
    const RECT after = ScreenRect(s.main);
    CHECK_MSG(EqualRect(&before, &after), "the window moved");
    CloseMenuWithEscape(s, menu);
    CHECK(IsWindowVisible(s.main));
}

namespace {

// A message handled after everything posted before it, with an effect of its own that neither
// shows the window nor opens a menu: the account name set to `marker`, the save box ticked
// and its click posted; once the settings file holds the name, all before it was handled.
bool PostMarkerAndWait(const Started& s, const std::string& marker) {
    HWND saveBox = Item(s.main, ids::kSaveBox);
    if (!SetWindowTextTo(Item(s.main, ids::kUser), marker) ||
        !SendTo(saveBox, BM_SETCHECK, BST_CHECKED)) {
        return false;
    }
    PostMessageA(s.main, WM_COMMAND, MAKEWPARAM(ids::kSaveBox, BN_CLICKED),
                 reinterpret_cast<LPARAM>(saveBox));
    return WaitUntil(
        [&] { return settings::Stored("Option", "User") == std::optional<std::string>(marker); });
}

} // namespace

E2E_TEST(Tray, ClicksReleasesMovesAndOtherIconIdsDoNothing) {
    Started s = StartHidden();

    struct Notice {
        UINT id;
        UINT mouse;
        const char* name;
    };
    const Notice ignored[] = {
        {kTrayIconId, WM_LBUTTONDOWN, "left press"},
        {kTrayIconId, WM_LBUTTONUP, "left release"},
        {kTrayIconId, WM_RBUTTONUP, "right release"},
        {kTrayIconId, WM_MOUSEMOVE, "move"},
        {kTrayIconId, WM_MBUTTONDOWN, "middle press"},
        {kTrayIconId, WM_RBUTTONDBLCLK, "right double-click"},
        {127, WM_LBUTTONDBLCLK, "double-click on icon 127"},
        {129, WM_LBUTTONDBLCLK, "double-click on icon 129"},
        {0, WM_RBUTTONDOWN, "right press on icon 0"},
        {129, WM_RBUTTONDOWN, "right press on icon 129"},
    };
    int number = 0;
    for (const Notice& notice : ignored) {
        PostTrayNotify(s.main, notice.mouse, notice.id);
        REQUIRE_MSG(PostMarkerAndWait(s, "marker-" + std::to_string(++number)),
                    std::string("the program did not get past the ") + notice.name);
        CHECK_MSG(!IsWindowVisible(s.main),
                  std::string("the ") + notice.name + " showed the window");
        if (HWND menu = OpenPopupMenu(s.app.Id())) {
            CHECK_MSG(false, std::string("the ") + notice.name + " opened a menu");
            CloseMenuWithEscape(s, menu);
        }
    }
    CHECK_EQ(RasCalls(s.app, "RasDialA"), 0);

    // The same way sees a double-click and a right press that do act.
    PostTrayNotify(s.main, WM_RBUTTONDOWN);
    REQUIRE(PostMarkerAndWait(s, "marker-menu"));
    HWND menu = OpenPopupMenu(s.app.Id());
    CHECK_MSG(menu != nullptr, "the right press opened no menu");
    if (menu) {
        CloseMenuWithEscape(s, menu);
    }
    PostTrayNotify(s.main, WM_LBUTTONDBLCLK);
    REQUIRE(PostMarkerAndWait(s, "marker-show"));
    CHECK_MSG(IsWindowVisible(s.main), "the double-click did not show the window");
}

E2E_TEST(Tray, IconGoesWhenTheProgramEnds) {
    for (const bool connected : {false, true}) {
        const std::string when = connected ? " (connected)" : " (idle)";
        Started s = StartShown(QuickConnectBook());
        if (connected) {
            REQUIRE(ConnectAndWait(s));
        } else {
            HideToTray(s);
        }
        CheckOneIcon(s.main, when);
        PostMessageA(s.main, WM_CLOSE, 0, 0);
        const std::optional<MessageBoxView> box = s.app.WaitMessageBox();
        REQUIRE_MSG(box.has_value(), "the close request asked nothing" + when);
        REQUIRE(AnswerMessageBox(box->window, IDYES));
        CHECK_MSG(IconGoneWithTheWindow(s.main), "the icon outlived the window" + when);
        REQUIRE_MSG(s.app.WaitExit().has_value(), "the program did not end" + when);
        CheckNoIconLeft(s.main, when);
    }
}
