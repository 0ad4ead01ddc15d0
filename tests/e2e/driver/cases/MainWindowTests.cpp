// The main window as it first appears: title, controls, their states and the focus.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/MainWindowView.h"
#include "probes/Screenshot.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <cstdio>

namespace {

using namespace e2e;

// The dialog's children in creation order, which is also the tab order.
const std::vector<ExpectedControl> kControls = {
    {ids::kUser, "Edit", "", {58, 42, 174, 56}},
    {ids::kPassword, "Edit", "", {58, 67, 174, 81}},
    {ids::kEntry, "ComboBox", nullptr, {58, 19, 174, 0}}, // a closed list's height is its own
    {ids::kDial, "Button", "开始拨号", {201, 15, 276, 38}},
    {ids::kHangUp, "Button", "挂断连接", {201, 43, 276, 66}},
    {ids::kLabel, "Static", "拨号连接：", {12, 22, 53, 30}},
    {ids::kLabel, "Static", "用户帐号：", {12, 45, 53, 53}},
    {ids::kLabel, "Static", "拨号密码：", {12, 70, 53, 78}},
    {ids::kLabel, "Static", "状态：", {12, 115, 36, 123}},
    {ids::kStatus, "Static", texts::kReady, {43, 115, 172, 123}},
    {ids::kLabel, "Static", "", {188, 11, 189, 130}},
    {ids::kStatistics, "Button", "时间统计", {201, 71, 276, 94}},
    {ids::kHelp, "Button", "使用帮助", {201, 99, 276, 122}},
    {ids::kSaveBox, "Button", "在这台计算机上保存用户名和密码", {12, 94, 175, 105}},
};

std::string Hex(LONG value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
    return text;
}

} // namespace

E2E_TEST(MainWindow, FirstAppearance) {
    Started s = StartShown();
    HWND window = s.main;
    // Every run leaves a picture of the window for people to look at.
    CHECK_MSG(ScreenshotTaken("main-window", window), "no screenshot of the main window");

    CHECK_EQ(WindowText(window), kMainTitle);
    CHECK(IsWindowVisible(window));
    CHECK_EQ(WindowText(Item(window, ids::kStatus)), texts::kReady);
    // The focus starts in the account name.
    CHECK_EQ(ItemId(FocusedWindow(window)), ids::kUser);

    CHECK(!IsEnabled(Item(window, ids::kHangUp)));
    for (int id : {ids::kEntry, ids::kUser, ids::kPassword, ids::kDial, ids::kStatistics,
                   ids::kHelp, ids::kSaveBox}) {
        CHECK_MSG(IsEnabled(Item(window, id)), "control " + std::to_string(id) + " disabled");
    }
}

E2E_TEST(MainWindow, IsATopmostFixedSizeDialog) {
    Started s = StartShown();
    HWND window = s.main;
    const LONG style = StyleOf(window);
    const LONG exStyle = ExStyleOf(window);
    CHECK_EQ(ClassNameOf(window), "#32770");
    CHECK_MSG((exStyle & WS_EX_TOPMOST) != 0,
              "not topmost: style " + Hex(style) + ", extended " + Hex(exStyle));
    CHECK_MSG((exStyle & WS_EX_APPWINDOW) != 0, "no taskbar button style");
    CHECK_MSG((style & WS_POPUP) != 0, "not a pop-up");
    CHECK_MSG((style & WS_CAPTION) == WS_CAPTION, "no title bar");
    CHECK_MSG((style & WS_SYSMENU) != 0, "no system menu");
    CHECK_MSG((style & WS_MINIMIZEBOX) != 0, "no minimise box");
    CHECK_MSG((style & WS_MAXIMIZEBOX) == 0, "has a maximise box");
    CHECK_MSG((style & WS_THICKFRAME) == 0, "can be resized");

    // 285 x 143 dialog units of "宋体" 9 pt.
    CheckClientSize(window, 285, 143);
}

E2E_TEST(MainWindow, HasTheControlsOfItsTemplateInOrder) {
    Started s = StartShown();
    CheckControls(s.main, kControls);
    CheckDialogFont(s.main, kMainTemplate);
}

E2E_TEST(MainWindow, ControlStylesAndTabOrder) {
    Started s = StartShown();
    HWND window = s.main;

    const LONG password = StyleOf(Item(window, ids::kPassword));
    CHECK_MSG((password & ES_PASSWORD) != 0, "the password is not masked");
    const LONG user = StyleOf(Item(window, ids::kUser));
    CHECK_MSG((user & ES_PASSWORD) == 0, "the account name is masked");
    CHECK_MSG((user & ES_AUTOHSCROLL) && (password & ES_AUTOHSCROLL), "edits do not scroll");

    const LONG combo = StyleOf(Item(window, ids::kEntry));
    CHECK_EQ(combo & 3, CBS_DROPDOWNLIST);
    CHECK_MSG((combo & CBS_SORT) != 0, "the entry list is not sorted");
    CHECK_EQ(StyleOf(Item(window, ids::kSaveBox)) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    CHECK_MSG((StyleOf(Item(window, ids::kHangUp)) & WS_DISABLED) != 0, "hang-up enabled");
    CHECK_MSG((StyleOf(Item(window, ids::kStatus)) & SS_CENTERIMAGE) != 0,
              "status text not centred vertically");

    // Tab walks the enabled tab stops in template order and wraps; the disabled hang-up
    // button is skipped.
    const std::vector<int> expected{ids::kPassword, ids::kEntry,   ids::kDial, ids::kStatistics,
                                    ids::kHelp,     ids::kSaveBox, ids::kUser};
    std::vector<int> walked;
    HWND at = Item(window, ids::kUser);
    for (size_t i = 0; i < expected.size() && at; ++i) {
        at = NextTabItem(window, at);
        walked.push_back(ItemId(at));
    }
    CHECK_EQ(walked, expected);
}

// Enter and Esc take the close box's way: the question first, and only Yes ends the program.
E2E_TEST(MainWindow, EscapeOrEnterInAFieldAsksBeforeEnding) {
    for (const WayOut* way : {&kByEscInTheAccount, &kByEnterInThePassword}) {
        for (const int answer : {IDNO, IDYES}) {
            const std::string name = std::string(way->name) + (answer == IDYES ? ", Yes" : ", No");
            Started s = StartShown();
            const MessageBoxView box = AskByWay(s, *way);
            REQUIRE(AnswerMessageBox(box.window, answer));
            if (answer == IDYES) {
                CHECK_MSG(s.app.WaitExit() == std::optional<DWORD>(0), name + ": did not end");
            } else {
                CHECK_MSG(WaitGone(box.window), name + ": the question stayed");
                CHECK_MSG(s.app.Running() && s.app.MainWindow() == s.main, name + ": window gone");
            }
        }
    }
}
