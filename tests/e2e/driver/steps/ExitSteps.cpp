#include "steps/ExitSteps.h"

#include "probes/ProgramFacts.h"
#include "probes/TrayProbe.h"
#include "probes/WindowProbe.h"
#include "steps/TraySteps.h"
#include "TestRunner.h"

namespace e2e {
namespace {

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

} // namespace e2e
