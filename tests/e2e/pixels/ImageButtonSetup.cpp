// What the image button sets up and owns: owner drawing, its tooltip, its cursor, the pointer's
// capture, and the program's own pictures it shows.

#include "ButtonFixture.h"

namespace {

using namespace pixels;

// ---------------------------------------------------------------------------------------------
// Cases: what the button sets up and owns.

E2E_TEST(ImageButtonPixels, SubclassingMakesTheButtonOwnerDrawnAndDrawRequestsReachIt) {
    for (DWORD type : {static_cast<DWORD>(BS_PUSHBUTTON), static_cast<DWORD>(BS_DEFPUSHBUTTON)}) {
        Fixture f(kCaption, 100, 38, type, true);
        CHECK(f.subclassed);
        CHECK((GetWindowLongA(f.hButton, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW);
        const int before = f.button.m_nDrawRequests;
        f.button.SetIcons(kRulerIcon, 0, 32, 32); // repaints at once
        CHECK_MSG(f.button.m_nDrawRequests > before, "no draw request reached the button");
        // The button still reports clicks to its parent as a push button does.
        CHECK((SendMessageA(f.hButton, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON) != 0);
    }
}

E2E_TEST(ImageButtonPixels, TooltipHasOneToolOverTheClientRectangleOfTheSubclassing) {
    Fixture f;
    HWND tip = f.button.m_tipCtrl.m_hWnd;
    if (!CHECK(tip != nullptr && IsWindow(tip))) {
        return;
    }
    char className[64]{};
    GetClassNameA(tip, className, sizeof className);
    CHECK(lstrcmpiA(className, TOOLTIPS_CLASSA) == 0);
    CHECK(GetWindow(tip, GW_OWNER) == f.parent.m_hWnd);
    CHECK(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0) == 1);

    f.button.SetTooltipText("连接网络，开始计时");
    // The tool keeps the rectangle of the subclassing even when the button grows.
    SetWindowPos(f.hButton, nullptr, 0, 0, 140, 50, SWP_NOMOVE | SWP_NOZORDER);
    char text[1024]{};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = f.hButton;
    info.uId = 1;
    info.lpszText = text;
    CHECK(SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)) != 0);
    CHECK_MSG(info.rect == (RECT{0, 0, 100, 38}), "tool rectangle " + Describe(info.rect));
    CHECK((info.uFlags & TTF_IDISHWND) == 0);
    text[0] = '\0';
    info.lpszText = text;
    SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    CHECK_MSG(std::string(text) == "连接网络，开始计时",
              "tooltip text \"" + std::string(text) + "\"");
}

E2E_TEST(ImageButtonPixels, HandCursorIsMonochrome32WithHotSpotAtTheCorner) {
    Fixture f;
    CHECK(f.button.SetButtonCursor(kHandCursor) == TRUE);
    HCURSOR cursor = f.button.m_hCursor;
    ICONINFO info{};
    if (CHECK(cursor != nullptr && GetIconInfo(cursor, &info))) {
        CHECK(info.fIcon == FALSE);
        CHECK(info.xHotspot == 0 && info.yHotspot == 0);
        CHECK(info.hbmColor == nullptr); // monochrome: one bitmap, AND over XOR
        BITMAP mask{};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        CHECK_MSG(mask.bmWidth == 32 && mask.bmHeight == 64,
                  std::to_string(mask.bmWidth) + " x " + std::to_string(mask.bmHeight));
        if (info.hbmMask) {
            DeleteObject(info.hbmMask);
        }
        if (info.hbmColor) {
            DeleteObject(info.hbmColor);
        }
    }
    // Over the button the cursor is the button's own, without default processing.
    CHECK(SendMessageA(f.hButton, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.hButton),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE);
    CHECK(GetCursor() == cursor);

    CHECK(f.button.SetButtonCursor(-1) == TRUE);
    CHECK(f.button.m_hCursor == nullptr);
    CHECK(GetIconInfo(cursor, &info) == FALSE); // destroyed
    CHECK(f.button.SetButtonCursor(31999) == FALSE);
    CHECK(f.button.m_hCursor == nullptr);
    // Without a cursor of its own the button leaves the choice to default processing.
    SetCursor(nullptr);
    SendMessageA(f.hButton, WM_SETCURSOR, reinterpret_cast<WPARAM>(f.hButton),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    CHECK(GetCursor() != cursor);
}

E2E_TEST(ImageButtonPixels, DestroyingTheButtonReleasesItsIconsAndCursor) {
    HICON active = nullptr, idle = nullptr, shared = nullptr;
    HCURSOR cursor = nullptr;
    {
        Fixture f;
        f.button.SetIcons(kRulerIcon, kPlainIcon, 32, 32);
        active = f.button.m_hIconActive;
        idle = f.button.m_hIconIdle;
        f.button.SetButtonCursor(kHandCursor);
        cursor = f.button.m_hCursor;
    }
    {
        Fixture f;
        f.button.SetIcons(kRulerIcon, 0, 32, 32);
        shared = f.button.m_hIconActive;
        CHECK(f.button.m_hIconIdle == shared);
    }
    ICONINFO info{};
    CHECK(active != nullptr && GetIconInfo(active, &info) == FALSE);
    CHECK(idle != nullptr && GetIconInfo(idle, &info) == FALSE);
    CHECK(shared != nullptr && GetIconInfo(shared, &info) == FALSE);
    CHECK(cursor != nullptr && GetIconInfo(cursor, &info) == FALSE);
}

E2E_TEST(ImageButtonPixels, MissingIconsLeaveTheCaptionCentredInTheWholeItem) {
    Fixture f;
    f.button.SetIcons(31999, 0, 32, 32);
    CHECK(f.button.m_hIconActive == nullptr);
    Drawn c(f, 0);
    CHECK(CaptionMatches(c, kCaption, ExpectedTextBox(kCaption, kItem), kItem));
}

E2E_TEST(ImageButtonPixels, PointerOverTheButtonTakesTheCaptureAndLeavingReleasesIt) {
    Fixture f(kCaption, 100, 38, BS_PUSHBUTTON, true);
    const LPARAM inside = MAKELPARAM(30, 10), outside = MAKELPARAM(300, 10);
    SendMessageA(f.hButton, WM_MOUSEMOVE, 0, inside);
    CHECK(f.button.m_bHover == TRUE);
    CHECK(GetCapture() == f.hButton);
    SendMessageA(f.hButton, WM_MOUSEMOVE, 0, inside);
    CHECK(f.button.m_bHover == TRUE);
    // Dragged out with the left button held: idle look, capture kept.
    SendMessageA(f.hButton, WM_MOUSEMOVE, MK_LBUTTON, outside);
    CHECK(f.button.m_bHover == FALSE);
    CHECK(GetCapture() == f.hButton);
    SendMessageA(f.hButton, WM_MOUSEMOVE, 0, outside);
    CHECK(GetCapture() == nullptr);

    // Hovering, then the capture goes elsewhere: the active look stays (hover kept).
    SendMessageA(f.hButton, WM_MOUSEMOVE, 0, inside);
    CHECK(GetCapture() == f.hButton);
    ReleaseCapture();
    CHECK(f.button.m_bHover == TRUE);
    CHECK(GetCapture() == nullptr);
    // Losing the focus ends it.
    SendMessageA(f.hButton, WM_KILLFOCUS, 0, 0);
    CHECK(f.button.m_bHover == FALSE);

    // The three-dimensional look does not follow the pointer.
    f.button.m_bFlat = FALSE;
    SendMessageA(f.hButton, WM_MOUSEMOVE, 0, inside);
    CHECK(f.button.m_bHover == FALSE);
    CHECK(GetCapture() == nullptr);
}

// Messages sent to the tooltip, as a window hook on this thread sees them.
int g_relayedToTip = 0;
HWND g_tip = nullptr;
LRESULT CALLBACK WatchTip(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && sent->hwnd == g_tip && sent->message == TTM_RELAYEVENT) {
        ++g_relayedToTip;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

E2E_TEST(ImageButtonPixels, TooltipSeesTheMessagesOfTheModalLoop) {
    // A message that a dialog manager's loop takes from the queue is offered to the button's
    // pre-translation step, which relays it to the tooltip.
    Fixture f(kCaption, 100, 38, BS_PUSHBUTTON, true);
    g_tip = f.button.m_tipCtrl.m_hWnd;
    g_relayedToTip = 0;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchTip, nullptr, GetCurrentThreadId());
    PostMessageA(f.hButton, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(f.parent.m_hWnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    UnhookWindowsHookEx(hook);
    CHECK_MSG(g_relayedToTip >= 1, "relayed " + std::to_string(g_relayedToTip));
    ReleaseCapture();
}

// ---------------------------------------------------------------------------------------------
// Cases: the program's own pictures.

// One image of an icon group as the resource directory lists it.
struct GroupEntry {
    int width;
    int height;
    int bitCount;
};

std::vector<GroupEntry> IconGroup(UINT id) {
#pragma pack(push, 2)
    struct DirEntry {
        BYTE width, height, colorCount, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Dir {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    std::vector<GroupEntry> entries;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    if (!found) {
        return entries;
    }
    const auto* dir = static_cast<const Dir*>(LockResource(LoadResource(module, found)));
    const auto* entry = reinterpret_cast<const DirEntry*>(dir + 1);
    for (WORD i = 0; i < dir->count; ++i) {
        entries.push_back({entry[i].width ? entry[i].width : 256,
                           entry[i].height ? entry[i].height : 256, entry[i].bitCount});
    }
    return entries;
}

E2E_TEST(ImageButtonPixels, ButtonIconsHaveTheirSizesAndColourDepths) {
    const struct {
        UINT id;
        int bitCount;
        bool small;
    } icons[] = {{131, 4, true}, {133, 4, false}, {141, 4, true},
                 {142, 4, true}, {143, 4, true},  {144, 8, false}};
    for (const auto& icon : icons) {
        const std::vector<GroupEntry> entries = IconGroup(icon.id);
        std::string listed;
        bool large = false, small = false;
        for (const GroupEntry& e : entries) {
            listed += " " + std::to_string(e.width) + "x" + std::to_string(e.height) + "@" +
                      std::to_string(e.bitCount);
            large |= e.width == 32 && e.height == 32 && e.bitCount == icon.bitCount;
            small |= e.width == 16 && e.height == 16 && e.bitCount == icon.bitCount;
        }
        const std::string where = "icon " + std::to_string(icon.id) + ":" + listed;
        CHECK_MSG(large, where);
        CHECK_MSG(small == icon.small, where);
        CHECK_MSG(entries.size() == (icon.small ? 2u : 1u), where);
        // And each loads as the button loads it (no size asked for: the 32 x 32 image).
        HICON loaded =
            static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon.id),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
        ICONINFO info{};
        if (CHECK_MSG(loaded != nullptr && GetIconInfo(loaded, &info), where)) {
            BITMAP mask{};
            GetObjectA(info.hbmMask, sizeof mask, &mask);
            CHECK_MSG(mask.bmWidth == 32, where);
            DeleteObject(info.hbmMask);
            if (info.hbmColor) {
                DeleteObject(info.hbmColor);
            }
            DestroyIcon(loaded);
        }
    }
}

E2E_TEST(ImageButtonPixels, HandCursorIsACursorResourceOfItsOwn) {
    HMODULE module = GetModuleHandleA(nullptr);
    CHECK(FindResourceA(module, MAKEINTRESOURCEA(132), RT_GROUP_CURSOR) != nullptr);
    CHECK(FindResourceA(module, MAKEINTRESOURCEA(132), RT_GROUP_ICON) == nullptr);
}

} // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    return e2e::RunTests({argv + 1, argv + argc});
}
