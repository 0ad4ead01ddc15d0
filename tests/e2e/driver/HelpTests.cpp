// The help window: its fixed text, built afresh at every opening from the main window's
// "使用帮助" button.

#include "AppProcess.h"
#include "MainWindowView.h"
#include "Screenshot.h"
#include "TestRunner.h"
#include "Text.h"
#include "WindowProbe.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;

constexpr const char* kHelpTitle = "使用帮助";
const PhoneBook kBook{{"我的连接"}, ""};

namespace help_ids {
constexpr int kEdit = 1045;
constexpr int kReturn = 1027;
} // namespace help_ids

// The whole text: six lines joined by "\r\n", two of them bare line feeds.
// clang-format off
const std::string kHelpText =
    "Kelvorin使用说明"
    "\r\n"
    "==============================="
    "\r\n"
    "\n\n"
    "\r\n"
    "    现在很多地方的 163/169包月上网都限制包月时间，"
    "比如每月限制100个小时！如果超出了时间，每小时还要加收电话费，"
    "很多朋友往往由于超出时间而被多收费！如果采用手工记录方式，"
    "每次都得把时间计下来，最后核算的时候仍然很麻烦！本软件就是为解决这个问题而写的！"
    "它件能记录每次上网的时间，以便到时候核对总时间，确保不会超过ISP规定的包月时间，"
    "以此节约上网费用！"
    "\r\n"
    "\n\n"
    "\r\n"
    "    软件使用方法很简单，运行程序后，软件将检测所有拨号连接。"
    "此时您只需选择一个连接，然后输入用户名合密码，点击“开始拨号”即可，"
    "拨号成功后，软件将最小化到系统托盘中，同时在后台为你计时，"
    "当你不需要上网的时候，打开软件界面，点击“挂断网络”即可，"
    "此时上网时间已经被自动保存了，如果你想查看上网时间记录，"
    "只需点击“时间统计”即可！是不是很简单方便呢？";
// clang-format on

HWND HelpWindow(const App& app) {
    for (HWND window : TopWindowsOf(app.Id(), "#32770")) {
        if (WindowText(window) == kHelpTitle && Item(window, help_ids::kEdit) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

HWND OpenHelp(const App& app, HWND main) {
    PressButton(Item(main, ids::kHelp));
    HWND found = nullptr;
    WaitUntil([&] {
        found = HelpWindow(app);
        return found != nullptr || !app.Running();
    });
    return found;
}

bool WaitGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); });
}

bool CloseHelp(HWND help) {
    PressButton(Item(help, help_ids::kReturn));
    return WaitGone(help);
}

std::string Units(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

bool Near(LONG actual, LONG expected) {
    return actual - expected <= 1 && expected - actual <= 1;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

// Text with its line ends made visible, for failure messages.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

void CheckHelpText(HWND help, const std::string& context) {
    const std::string shown = WindowText(Item(help, help_ids::kEdit));
    if (shown == kHelpText) {
        return;
    }
    size_t first = 0;
    while (first < shown.size() && first < kHelpText.size() && shown[first] == kHelpText[first]) {
        ++first;
    }
    CHECK_MSG(false, context + ": text differs from byte " + std::to_string(first) + " of " +
                         std::to_string(kHelpText.size()) + "; shown " +
                         std::to_string(shown.size()) +
                         " bytes from there: " + Escaped(shown.substr(first, 40)));
}

} // namespace

E2E_TEST(Help, OpensAsAModalDialogOfItsTemplate) {
    App app = App::Start(kBook);
    HWND main = app.WaitMainWindow();
    REQUIRE(main != nullptr);
    // Away from the corner, so that centring shows.
    SetWindowPos(main, nullptr, 420, 260, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    REQUIRE(WaitUntil([&] { return ScreenRect(main).left == 420 && ScreenRect(main).top == 260; }));
    HWND help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    CHECK_MSG(!TakeScreenshot("help-window", help).empty() || GetEnv("E2E_SHOT_DIR").empty(),
              "no screenshot of the help window");

    const LONG style = StyleOf(help);
    CHECK_MSG((style & WS_POPUP) && (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU),
              "style " + std::to_string(style));
    CHECK_MSG(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), "resizable");
    CHECK_MSG(ExStyleOf(help) & WS_EX_DLGMODALFRAME, "no modal frame");
    CHECK_EQ(GetWindow(help, GW_OWNER), main);
    CHECK(!IsEnabled(main));

    // Centred over the main window, kept inside the work area.
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const RECT over = ScreenRect(main);
    const RECT at = ScreenRect(help);
    const LONG width = at.right - at.left, height = at.bottom - at.top;
    const LONG left =
        std::max(area.left, std::min((over.left + over.right) / 2 - width / 2, area.right - width));
    const LONG top = std::max(
        area.top, std::min((over.top + over.bottom) / 2 - height / 2, area.bottom - height));
    CHECK_MSG(Near(at.left, left) && Near(at.top, top),
              "at " + Units(at) + ", main window at " + Units(over));

    const DialogUnits units = SimSunDialogUnits();
    REQUIRE(units.baseX > 0 && units.baseY > 0);
    RECT client{};
    GetClientRect(help, &client);
    const RECT size = units.ToUnits(client);
    CHECK_MSG(Near(size.right, 284) && Near(size.bottom, 189), "client area " + Units(size));

    std::vector<HWND> children;
    for (HWND child = GetWindow(help, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetParent(child) == help) {
            children.push_back(child);
        }
    }
    REQUIRE_EQ(children.size(), 2u);
    HWND edit = children[0];
    HWND button = children[1];
    CHECK_EQ(ItemId(edit), help_ids::kEdit);
    CHECK_EQ(ClassNameOf(edit), "Edit");
    CHECK_EQ(ItemId(button), help_ids::kReturn);
    CHECK_EQ(ClassNameOf(button), "Button");
    CHECK_EQ(WindowText(button), "返回主界面");

    const RECT editAt = units.ToUnits(RectInClient(help, edit));
    CHECK_MSG(Near(editAt.left, 7) && Near(editAt.top, 7) && Near(editAt.right, 275) &&
                  Near(editAt.bottom, 153),
              "edit at " + Units(editAt));
    const RECT buttonAt = units.ToUnits(RectInClient(help, button));
    CHECK_MSG(Near(buttonAt.left, 194) && Near(buttonAt.top, 157) && Near(buttonAt.right, 274) &&
                  Near(buttonAt.bottom, 181),
              "button at " + Units(buttonAt));

    const LONG editStyle = StyleOf(edit);
    CHECK_MSG(IsShown(edit), "edit hidden");
    CHECK_MSG(editStyle & ES_MULTILINE, "single-line edit");
    // The edit control turns a WS_BORDER of its template into a sunken client edge.
    CHECK_MSG((editStyle & WS_BORDER) || (ExStyleOf(edit) & WS_EX_CLIENTEDGE),
              "edit without a border");
    CHECK_MSG(editStyle & WS_VSCROLL, "edit without a vertical scroll bar");
    CHECK_MSG(!(editStyle & ES_READONLY), "read-only edit");
    CHECK_MSG(!(editStyle & ES_AUTOHSCROLL), "edit scrolls sideways instead of wrapping");
    CHECK_MSG(!(editStyle & ES_AUTOVSCROLL), "edit has ES_AUTOVSCROLL");
    CHECK_MSG(!(editStyle & WS_TABSTOP), "edit is a tab stop");
    CHECK_MSG(IsShown(button) && (StyleOf(button) & WS_TABSTOP), "button hidden or no tab stop");
    // The default button of the template (its style may later change to owner-drawn).
    const LRESULT defId = Ask(help, DM_GETDEFID);
    CHECK_EQ(HIWORD(defId), DC_HASDEFID);
    CHECK_EQ(LOWORD(defId), help_ids::kReturn);
    CHECK_EQ(ItemId(FocusedWindow(help)), help_ids::kReturn);

    REQUIRE(CloseHelp(help));
    CHECK(IsEnabled(main));
}

E2E_TEST(Help, ShowsTheTextByteForByteScrolledToItsEnd) {
    App app = App::Start(kBook);
    HWND main = app.WaitMainWindow();
    REQUIRE(main != nullptr);
    HWND help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    CheckHelpText(help, "first opening");

    // The last character is in view, and the text is longer than the control shows at once.
    HWND edit = Item(help, help_ids::kEdit);
    // Character positions count characters, not ANSI bytes: ask for the length in UTF-16.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    const LRESULT lastPos = Ask(edit, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1));
    RECT client{};
    GetClientRect(edit, &client);
    const int y = static_cast<short>(HIWORD(lastPos));
    CHECK_MSG(lastPos != -1 && y >= 0 && y < client.bottom,
              "last character at y " + std::to_string(y) + ", client height " +
                  std::to_string(client.bottom));
    CHECK_MSG(Ask(edit, EM_GETFIRSTVISIBLELINE) > 0, "the view was not scrolled");
    CHECK(CloseHelp(help));
}

E2E_TEST(Help, TypedTextIsGoneAndTheSameTextShownAtTheNextOpening) {
    App app = App::Start(kBook);
    HWND main = app.WaitMainWindow();
    REQUIRE(main != nullptr);
    HWND help = OpenHelp(app, main);
    REQUIRE(help != nullptr);

    // The text can be changed: it is no read-only control.
    HWND edit = Item(help, help_ids::kEdit);
    ClickControl(edit);
    TypeText(edit, "用户输入");
    CHECK_MSG(WaitUntil([&] { return WindowText(edit).find("用户输入") != std::string::npos; }),
              "typing did not change the text");
    REQUIRE(CloseHelp(help));

    for (const char* opening : {"second opening", "third opening"}) {
        help = OpenHelp(app, main);
        REQUIRE(help != nullptr);
        CheckHelpText(help, opening);
        REQUIRE(CloseHelp(help));
    }
}

E2E_TEST(Help, EndsByItsButtonEnterEscAndTheCloseBox) {
    App app = App::Start(kBook);
    HWND main = app.WaitMainWindow();
    REQUIRE(main != nullptr);

    HWND help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    CHECK_MSG(CloseHelp(help), "the back button did not end the window");

    // Enter presses the default button.
    help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    PressKey(Item(help, help_ids::kReturn), VK_RETURN);
    CHECK_MSG(WaitGone(help), "Enter did not end the window");

    help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    PressKey(Item(help, help_ids::kReturn), VK_ESCAPE);
    CHECK_MSG(WaitGone(help), "Esc did not end the window");

    help = OpenHelp(app, main);
    REQUIRE(help != nullptr);
    PostMessageA(help, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK_MSG(WaitGone(help), "the close box did not end the window");

    CHECK(WaitUntil([&] { return IsEnabled(main); }));
    CHECK(app.Running());
}
