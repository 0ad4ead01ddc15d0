// The image button as a user sees it: each case draws a real button through DrawItem into a
// bitmap and checks pixels at exact coordinates (icon edges, frame lines, the pressed shift,
// the focus marks, the disabled look), plus what the button does with its resources, its
// tooltip, its cursor and the pointer.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "controls/ImageButton.h"
#include "controls/MemoryDC.h"
#include "TestRunner.h"

namespace {

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06x", value);
    return text;
}

// A pixel compared with an expected colour (both 0xRRGGBB).
#define CHECK_PIXEL(canvas, x, y, expected)                                                        \
    CHECK_MSG((canvas).At((x), (y)) == (expected),                                                 \
              "at (" + std::to_string(x) + ", " + std::to_string(y) +                              \
                  "): " + Hex((canvas).At((x), (y))) + ", expected " + Hex(expected))

// ---------------------------------------------------------------------------------------------
// Colours as the bitmap holds them (0xRRGGBB).

unsigned FromColorRef(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

unsigned Sys(int index) {
    return FromColorRef(GetSysColor(index));
}

constexpr unsigned kBlue = 0x0000FF;
constexpr unsigned kRed = 0xFF0000;
constexpr unsigned kYellow = 0xFFFF00;
constexpr unsigned kGreen = 0x00FF00;
constexpr unsigned kMagenta = 0xFF00FF;
constexpr unsigned kBlack = 0x000000;
// What the canvas holds where nothing was drawn.
constexpr unsigned kUntouched = 0x123456;

constexpr UINT kRulerIcon = 901; // test icon: rings blue, red, yellow, then green
constexpr UINT kPlainIcon = 902; // test icon: all magenta
constexpr int kHandCursor = 132;

// ---------------------------------------------------------------------------------------------
// A 32-bit top-down bitmap in a memory context: the target of one draw request.

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        Fill(kUntouched);
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    void Fill(unsigned rgb) {
        GdiFlush();
        auto* bits = static_cast<unsigned*>(m_bits);
        for (int i = 0; i < m_width * m_height; ++i) {
            bits[i] = rgb;
        }
    }
    unsigned At(int x, int y) const {
        GdiFlush();
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
            return 0xFFFFFFFFu;
        }
        return static_cast<const unsigned*>(m_bits)[y * m_width + x] & 0xFFFFFFu;
    }
    // Every pixel of the rectangle is `rgb`.
    bool All(const RECT& r, unsigned rgb) const {
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) {
                if (At(x, y) != rgb) {
                    return false;
                }
            }
        }
        return true;
    }
    int Count(const RECT& r, unsigned rgb) const {
        int count = 0;
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) {
                count += At(x, y) == rgb ? 1 : 0;
            }
        }
        return count;
    }
    // The smallest rectangle holding every pixel of `r` that is not `background`.
    RECT Ink(const RECT& r, unsigned background) const {
        RECT ink{r.right, r.bottom, r.left, r.top};
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) {
                if (At(x, y) != background) {
                    ink.left = std::min(ink.left, x);
                    ink.top = std::min(ink.top, y);
                    ink.right = std::max(ink.right, x + 1);
                    ink.bottom = std::max(ink.bottom, y + 1);
                }
            }
        }
        return ink;
    }
    // A .bmp of the canvas, for looking at a failing case (PIXELS_DUMP_DIR).
    void Save(const std::string& path) const {
        GdiFlush();
        BITMAPFILEHEADER file{};
        BITMAPINFOHEADER info{};
        info.biSize = sizeof info;
        info.biWidth = m_width;
        info.biHeight = -m_height;
        info.biPlanes = 1;
        info.biBitCount = 32;
        const DWORD bytes = static_cast<DWORD>(m_width * m_height * 4);
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + bytes;
        if (FILE* out = std::fopen(path.c_str(), "wb")) {
            std::fwrite(&file, sizeof file, 1, out);
            std::fwrite(&info, sizeof info, 1, out);
            // Opaque, whatever the drawing left in the fourth byte.
            std::vector<unsigned> opaque(static_cast<const unsigned*>(m_bits),
                                         static_cast<const unsigned*>(m_bits) + m_width * m_height);
            for (unsigned& px : opaque) {
                px |= 0xFF000000u;
            }
            std::fwrite(opaque.data(), bytes, 1, out);
            std::fclose(out);
        }
    }
    bool SameAs(const Canvas& other, const RECT& r) const {
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) {
                if (At(x, y) != other.At(x, y)) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

bool operator==(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// A real button in a real (hidden) parent window, subclassed as the windows do it.

// Opens the options up to the checks, and counts the draw requests that reach the button.
class TestButton : public CImageButton {
public:
    using CImageButton::m_bDrawBorder;
    using CImageButton::m_bFlat;
    using CImageButton::m_bFlatFocusRect;
    using CImageButton::m_bHover;
    using CImageButton::m_bShowText;
    using CImageButton::m_hCursor;
    using CImageButton::m_hIconActive;
    using CImageButton::m_hIconIdle;
    using CImageButton::m_nIconPlacement;
    using CImageButton::m_tipCtrl;

    void DrawItem(LPDRAWITEMSTRUCT pDraw) override {
        ++m_nDrawRequests;
        CImageButton::DrawItem(pDraw);
    }
    int m_nDrawRequests = 0;
};

constexpr int kButtonId = 1008;
constexpr const char* kCaption = "开始拨号";

HFONT DialogFont() {
    static HFONT font = [] {
        HDC screen = GetDC(nullptr);
        const int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "宋体");
    }();
    return font;
}

const char* ParentClass() {
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = "ImageButtonPixelsParent";
        RegisterClassA(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

// The parent window (subclassed, so that it hands draw requests back) and its one button.
struct Fixture {
    explicit Fixture(const char* caption = kCaption, int width = 100, int height = 38,
                     DWORD buttonType = BS_PUSHBUTTON, bool show = false) {
        HWND hParent =
            CreateWindowExA(0, ParentClass(), "pixels", WS_POPUP | WS_CAPTION, 50, 50, width + 60,
                            height + 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        parent.SubclassWindow(hParent);
        hButton = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | buttonType, 20, 15,
                                  width, height, hParent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)),
                                  GetModuleHandleA(nullptr), nullptr);
        SendMessageA(hButton, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
        if (show) {
            ShowWindow(hParent, SW_SHOWNOACTIVATE);
            UpdateWindow(hParent);
        }
        subclassed = button.SubclassDlgItem(kButtonId, &parent);
    }
    ~Fixture() {
        if (IsWindow(parent.m_hWnd)) {
            DestroyWindow(parent.m_hWnd);
        }
    }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    CWnd parent;
    TestButton button;
    HWND hButton = nullptr;
    BOOL subclassed = FALSE;
};

// One draw request for the item `item` of the canvas, as the parent would pass it on; the
// context is clipped to `deviceClip` (device pixels), by default the item itself.
void Draw(Fixture& f, Canvas& canvas, const RECT& item, UINT state,
          const RECT* deviceClip = nullptr) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = kButtonId;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = f.hButton;
    draw.hDC = canvas.Dc();
    draw.rcItem = item;
    // A button's own context is clipped to its client area.
    HRGN clip = CreateRectRgnIndirect(deviceClip != nullptr ? deviceClip : &item);
    SelectClipRgn(canvas.Dc(), clip);
    DeleteObject(clip);
    f.button.DrawItem(&draw);
    SelectClipRgn(canvas.Dc(), nullptr);
    if (const char* dir = std::getenv("PIXELS_DUMP_DIR")) {
        static int serial = 0;
        canvas.Save(std::string(dir) + "\\" + e2e::CurrentTestName() + "-" +
                    std::to_string(++serial) + ".bmp");
    }
}

// The item of most cases: 100 x 38 pixels, away from the canvas's corner so that every
// coordinate must be taken from the item.
const RECT kItem{10, 8, 110, 46};
constexpr int kIconTop = 8 + (38 - 32) / 2; // 11
constexpr int kIconLeft = 10 + 3;           // 13

// Where the caption's box goes: measured in the button's font, centred in `area`.
RECT ExpectedTextBox(const char* text, const RECT& area) {
    Canvas scratch(8, 8);
    HGDIOBJ old = SelectObject(scratch.Dc(), DialogFont());
    RECT measured{0, 0, 0, 0};
    DrawTextA(scratch.Dc(), text, -1, &measured, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(scratch.Dc(), old);
    const LONG w = measured.right, h = measured.bottom;
    const LONG left = area.left + ((area.right - area.left) - w) / 2;
    const LONG top = area.top + ((area.bottom - area.top) - h) / 2;
    return {left, top, left + w, top + h};
}

// The caption drawn on its own at `box` in the normal style, on the face colour: what the
// button's caption must look like pixel for pixel.
void DrawReferenceText(Canvas& canvas, const char* text, const RECT& box, const RECT& area) {
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    FillRect(canvas.Dc(), &area, face);
    DeleteObject(face);
    HGDIOBJ old = SelectObject(canvas.Dc(), DialogFont());
    SetTextColor(canvas.Dc(), GetSysColor(COLOR_BTNTEXT));
    SetBkColor(canvas.Dc(), GetSysColor(COLOR_BTNFACE));
    DrawStateA(canvas.Dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(text), 0, box.left, box.top,
               box.right - box.left, box.bottom - box.top, DST_PREFIXTEXT);
    SelectObject(canvas.Dc(), old);
}

// The caption area of the button (from `area`) equals the reference drawn at `box`.
bool CaptionMatches(const Canvas& drawn, const char* text, const RECT& box, const RECT& area) {
    Canvas reference(drawn.Width(), drawn.Height());
    DrawReferenceText(reference, text, box, area);
    return drawn.SameAs(reference, area);
}

// The ruler icon's top-left corner is at (x, y): its rings in order from there.
void CheckRulerAt(const Canvas& c, int x, int y, int line) {
    const struct {
        int dx, dy;
        unsigned rgb;
    } probes[] = {{0, 0, kBlue},   {1, 1, kRed},    {2, 2, kYellow},  {3, 3, kGreen},
                  {31, 31, kBlue}, {30, 30, kRed},  {29, 3, kYellow}, {16, 0, kBlue},
                  {0, 16, kBlue},  {31, 16, kBlue}, {16, 31, kBlue},  {16, 16, kGreen}};
    for (const auto& p : probes) {
        const unsigned got = c.At(x + p.dx, y + p.dy);
        e2e::CheckTrue(got == p.rgb, "ruler icon pixel", __FILE__, line,
                       "icon corner (" + std::to_string(x) + ", " + std::to_string(y) + ") + (" +
                           std::to_string(p.dx) + ", " + std::to_string(p.dy) + "): " + Hex(got) +
                           ", expected " + Hex(p.rgb));
    }
}

// Rows and columns of the item's outer ring, and the ring one pixel in.
struct Ring {
    int l, t, r, b; // inclusive edges
};

// Every pixel of the ring: top row and left column in `topLeft`, bottom row and right column
// in `bottomRight`; the bottom-left and top-right corners belong to `bottomRight`.
void CheckRing(const Canvas& c, Ring ring, unsigned topLeft, unsigned bottomRight, int line) {
    int wrong = 0;
    std::string first;
    auto probe = [&](int x, int y, unsigned expected) {
        if (c.At(x, y) != expected && wrong++ == 0) {
            first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Hex(c.At(x, y)) +
                    ", expected " + Hex(expected);
        }
    };
    for (int x = ring.l; x < ring.r; ++x) {
        probe(x, ring.t, topLeft);
    }
    for (int y = ring.t; y < ring.b; ++y) {
        probe(ring.l, y, topLeft);
    }
    for (int x = ring.l; x <= ring.r; ++x) {
        probe(x, ring.b, bottomRight);
    }
    for (int y = ring.t; y <= ring.b; ++y) {
        probe(ring.r, y, bottomRight);
    }
    e2e::CheckTrue(wrong == 0, "frame ring", __FILE__, line,
                   std::to_string(wrong) + " pixels wrong, first " + first);
}

// ---------------------------------------------------------------------------------------------
// Cases: placement.

E2E_TEST(ImageButtonPixels, IdleButtonPlacesIconThreePixelsInAndCaptionInTheRest) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(130, 60);
    Draw(f, c, kItem, 0);
    const unsigned face = Sys(COLOR_BTNFACE);

    CheckRulerAt(c, kIconLeft, kIconTop, __LINE__);
    // Face colour just outside the icon on every side.
    CHECK_PIXEL(c, kIconLeft - 1, kIconTop + 16, face);
    CHECK_PIXEL(c, kIconLeft + 16, kIconTop - 1, face);
    CHECK_PIXEL(c, kIconLeft + 16, kIconTop + 32, face);
    // No frame while idle: the item's edges are face.
    CheckRing(c, {10, 8, 109, 45}, face, face, __LINE__);
    // Nothing outside the item.
    CHECK(c.All({0, 0, 130, 8}, kUntouched));
    CHECK(c.All({110, 0, 130, 60}, kUntouched));

    // The caption is centred between the icon's end (item left + 32 + 3) and the item's right.
    const RECT area{45, 8, 110, 46};
    const RECT box = ExpectedTextBox(kCaption, area);
    CHECK_MSG(CaptionMatches(c, kCaption, box, area), "caption box " + Describe(box));
    const RECT ink = c.Ink(area, face);
    CHECK_MSG(ink.left >= box.left && ink.right <= box.right && ink.left < ink.right,
              "ink " + Describe(ink) + " outside the box " + Describe(box));
    CHECK_PIXEL(c, kIconLeft + 32, kIconTop + 16, face);
}

E2E_TEST(ImageButtonPixels, PressedShiftsIconAndCaptionOnePixel) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(130, 60);
    Draw(f, c, kItem, ODS_SELECTED);
    CheckRulerAt(c, kIconLeft + 1, kIconTop + 1, __LINE__);
    const RECT area{46, 9, 111, 47};
    const RECT box = ExpectedTextBox(kCaption, area);
    // Compared inside the item only: the shifted area reaches one pixel beyond it.
    const RECT inside{46, 9, 109, 45};
    Canvas reference(130, 60);
    DrawReferenceText(reference, kCaption, box, area);
    CHECK_MSG(c.SameAs(reference, inside), "caption box " + Describe(box));
}

E2E_TEST(ImageButtonPixels, EmptyCaptionOrHiddenTextCentresTheIconBothWays) {
    for (int variant = 0; variant < 2; ++variant) {
        Fixture f(variant == 0 ? "" : kCaption);
        f.button.m_bShowText = variant == 0 ? TRUE : FALSE;
        f.button.SetIcons(kRulerIcon, 0, 32, 32);
        Canvas c(130, 60);
        Draw(f, c, kItem, 0);
        CheckRulerAt(c, 10 + (100 - 32) / 2, kIconTop, __LINE__);
        // No caption anywhere: left and right of the icon is face only.
        CHECK(c.All({11, 9, 44, 45}, Sys(COLOR_BTNFACE)));
        CHECK(c.All({76, 9, 109, 45}, Sys(COLOR_BTNFACE)));
    }
}

E2E_TEST(ImageButtonPixels, IconAboveCaptionIsCentredAtTheTopWithTheCaptionBelow) {
    Fixture f(kCaption, 100, 60);
    f.button.m_nIconPlacement = CImageButton::ICON_ABOVE_TEXT;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(130, 80);
    const RECT item{10, 8, 110, 68};
    Draw(f, c, item, 0);
    CheckRulerAt(c, 10 + 34, 8, __LINE__);
    const RECT area{10, 40, 110, 68};
    CHECK_MSG(CaptionMatches(c, kCaption, ExpectedTextBox(kCaption, area), area),
              "caption below the icon");
}

E2E_TEST(ImageButtonPixels, IconLargerThanTheItemIsOffsetTruncatedTowardZero) {
    // 29 x 29 item, 32 x 32 icon: (29 - 32) / 2 = -1, so the item's corner shows the icon's
    // second ring (red); -2 would show the third (yellow).
    Fixture f("", 29, 29);
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(60, 60);
    const RECT item{10, 10, 39, 39};
    Draw(f, c, item, 0);
    CHECK_PIXEL(c, 10, 10, kRed);
    CHECK_PIXEL(c, 11, 11, kYellow);
    CHECK_PIXEL(c, 38, 38, kYellow); // icon pixel (29, 29): ring 2
    CHECK_PIXEL(c, 9, 9, kUntouched);
}

E2E_TEST(ImageButtonPixels, CaptionWiderThanItsAreaOverhangsBothSidesAlike) {
    const char* text = "一段比按钮还宽得多的说明文字";
    Fixture f(text, 60, 30);
    Canvas c(100, 50);
    const RECT item{20, 10, 80, 40};
    Draw(f, c, item, 0);
    const RECT box = ExpectedTextBox(text, item);
    CHECK_MSG(box.left < item.left, "the text is not wider than the button: " + Describe(box));
    Canvas reference(100, 50);
    DrawReferenceText(reference, text, box, item);
    CHECK_MSG(c.SameAs(reference, item), "caption box " + Describe(box));
}

E2E_TEST(ImageButtonPixels, NoIconLeavesTheCaptionCentredInTheWholeItem) {
    Fixture f;
    Canvas c(130, 60);
    Draw(f, c, kItem, 0);
    CHECK_MSG(CaptionMatches(c, kCaption, ExpectedTextBox(kCaption, kItem), kItem),
              "caption in the whole item");
}

E2E_TEST(ImageButtonPixels, IdleAndActiveLooksUseTheirOwnIcons) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, kPlainIcon, 32, 32);
    CHECK(f.button.m_hIconIdle != f.button.m_hIconActive);
    Canvas idle(130, 60), hovered(130, 60), pressed(130, 60);
    Draw(f, idle, kItem, 0);
    Draw(f, pressed, kItem, ODS_SELECTED);
    f.button.m_bHover = TRUE;
    Draw(f, hovered, kItem, 0);
    CHECK_PIXEL(idle, kIconLeft, kIconTop, kMagenta);
    CHECK_PIXEL(idle, kIconLeft + 16, kIconTop + 16, kMagenta);
    CheckRulerAt(hovered, kIconLeft, kIconTop, __LINE__);
    CheckRulerAt(pressed, kIconLeft + 1, kIconTop + 1, __LINE__);
}

// ---------------------------------------------------------------------------------------------
// Cases: frames.

E2E_TEST(ImageButtonPixels, HoveredFlatButtonShowsTheRaisedThinFrame) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    f.button.m_bHover = TRUE;
    Canvas c(130, 60);
    Draw(f, c, kItem, 0);
    CheckRing(c, {10, 8, 109, 45}, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), __LINE__);
    // One pixel in is face again, and the icon has not moved.
    CheckRing(c, {11, 9, 108, 44}, Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE), __LINE__);
    CheckRulerAt(c, kIconLeft, kIconTop, __LINE__);
}

E2E_TEST(ImageButtonPixels, PressedFlatButtonShowsTheSunkenThinFrame) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(130, 60);
    Draw(f, c, kItem, ODS_SELECTED);
    CheckRing(c, {10, 8, 109, 45}, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT), __LINE__);
}

E2E_TEST(ImageButtonPixels, FlatButtonWithoutBorderDrawsNoFrame) {
    Fixture f;
    f.button.m_bDrawBorder = FALSE;
    f.button.m_bHover = TRUE;
    Canvas hovered(130, 60), pressed(130, 60);
    Draw(f, hovered, kItem, 0);
    Draw(f, pressed, kItem, ODS_SELECTED);
    const unsigned face = Sys(COLOR_BTNFACE);
    CheckRing(hovered, {10, 8, 109, 45}, face, face, __LINE__);
    CheckRing(pressed, {10, 8, 109, 45}, face, face, __LINE__);
}

E2E_TEST(ImageButtonPixels, ThreeDimensionalLookDrawsTwoRingsAndAShadowFrameWhenPressed) {
    Fixture f("");
    f.button.m_bFlat = FALSE;
    Canvas up(130, 60), down(130, 60);
    Draw(f, up, kItem, 0);
    Draw(f, down, kItem, ODS_SELECTED);
    CheckRing(up, {10, 8, 109, 45}, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW), __LINE__);
    CheckRing(up, {11, 9, 108, 44}, Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW), __LINE__);
    CHECK(up.All({12, 10, 108, 44}, Sys(COLOR_BTNFACE)));
    CheckRing(down, {10, 8, 109, 45}, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW), __LINE__);
    CHECK(down.All({11, 9, 109, 45}, Sys(COLOR_BTNFACE)));
}

E2E_TEST(ImageButtonPixels, ThreeDimensionalFocusAddsBlackFrameAndFocusRectangleFourPixelsIn) {
    Fixture f("");
    f.button.m_bFlat = FALSE;
    Canvas c(130, 60);
    Draw(f, c, kItem, ODS_FOCUS);
    const unsigned face = Sys(COLOR_BTNFACE);
    CheckRing(c, {10, 8, 109, 45}, kBlack, kBlack, __LINE__);
    CheckRing(c, {11, 9, 108, 44}, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW), __LINE__);
    CheckRing(c, {12, 10, 107, 43}, Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW), __LINE__);
    CheckRing(c, {13, 11, 106, 42}, face, face, __LINE__);
    // The dotted focus rectangle: its edges 4 pixels inside the item, face on both sides.
    const int onTop = 92 - c.Count({14, 12, 106, 13}, face);
    const int onLeft = 30 - c.Count({14, 12, 15, 42}, face);
    CHECK_MSG(onTop >= 30 && onLeft >= 10, std::to_string(onTop) + " dots on the top edge, " +
                                               std::to_string(onLeft) + " on the left edge");
    CHECK(c.All({15, 13, 105, 41}, face));
    CHECK(c.Count({14, 41, 106, 42}, face) < 92);
    CHECK(c.Count({105, 12, 106, 42}, face) < 30);
}

E2E_TEST(ImageButtonPixels, FlatFocusRectangleOnlyWhenAskedThreePixelsIn) {
    Fixture f("");
    Canvas plain(130, 60), asked(130, 60);
    Draw(f, plain, kItem, ODS_FOCUS);
    f.button.m_bFlatFocusRect = TRUE;
    Draw(f, asked, kItem, ODS_FOCUS);
    const unsigned face = Sys(COLOR_BTNFACE);
    CHECK(plain.All(kItem, face));
    CHECK(asked.All({10, 8, 110, 11}, face));
    CHECK(asked.Count({13, 11, 107, 12}, face) < 94 - 30);
    CHECK(asked.All({14, 12, 106, 42}, face));
}

E2E_TEST(ImageButtonPixels, DisabledButtonDrawsIconAndCaptionEmbossedOnTheFace) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Canvas c(130, 60);
    Draw(f, c, kItem, ODS_DISABLED);
    const RECT icon{kIconLeft, kIconTop, kIconLeft + 32, kIconTop + 32};
    for (unsigned colour : {kBlue, kRed, kYellow, kGreen}) {
        CHECK_MSG(c.Count(icon, colour) == 0, "icon colour " + Hex(colour) + " still there");
    }
    CHECK_MSG(c.Count(icon, Sys(COLOR_BTNSHADOW)) > 0, "no embossed icon");
    const RECT area{45, 9, 109, 45};
    CHECK_MSG(c.Count(area, Sys(COLOR_BTNTEXT)) == 0, "caption in the normal text colour");
    CHECK_MSG(c.Count(area, Sys(COLOR_BTNSHADOW)) > 10, "no embossed caption");
    CHECK_PIXEL(c, 10, 8, Sys(COLOR_BTNFACE));
    CHECK_PIXEL(c, 100, 12, Sys(COLOR_BTNFACE));
}

E2E_TEST(ImageButtonPixels, FrameColoursAreReadAtEachDrawFaceColoursAtConstruction) {
    Fixture f("");
    f.button.m_bHover = TRUE;
    const int indices[] = {COLOR_BTNFACE, COLOR_BTNHIGHLIGHT};
    const COLORREF saved[] = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT)};
    const COLORREF changed[] = {RGB(0x40, 0x80, 0x20), RGB(0x20, 0x40, 0xC0)};
    const unsigned oldFace = FromColorRef(saved[0]);
    SetSysColors(2, indices, changed);
    Canvas c(130, 60);
    Draw(f, c, kItem, 0);
    SetSysColors(2, indices, saved);
    CHECK_PIXEL(c, 10, 8, FromColorRef(changed[1]));
    CHECK_PIXEL(c, 50, 20, oldFace);
    // The colour operations read the system again.
    SetSysColors(2, indices, changed);
    f.button.SetDefaultIdleFaceColor(FALSE);
    f.button.SetDefaultActiveFaceColor(FALSE);
    const COLORREF idleFace = f.button.GetIdleFaceColor();
    const COLORREF activeFace = f.button.GetActiveFaceColor();
    SetSysColors(2, indices, saved);
    CHECK(idleFace == changed[0]);
    CHECK(activeFace == changed[0]);
}

// ---------------------------------------------------------------------------------------------
// Cases: the off-screen surface.

E2E_TEST(ImageButtonPixels, SurfaceCoversOnlyTheClipBoxAndLandsWhereTheTargetDrewIt) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    f.button.m_bHover = TRUE;
    Canvas whole(130, 60), part(130, 60);
    Draw(f, whole, kItem, 0);

    // Only the right part of the item is open to drawing.
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.hwndItem = f.hButton;
    draw.hDC = part.Dc();
    draw.rcItem = kItem;
    const RECT open{40, 20, 100, 46};
    HRGN clip = CreateRectRgnIndirect(&open);
    SelectClipRgn(part.Dc(), clip);
    DeleteObject(clip);
    f.button.DrawItem(&draw);
    SelectClipRgn(part.Dc(), nullptr);

    CHECK(part.SameAs(whole, open));
    CHECK(part.All({0, 0, 130, 20}, kUntouched));
    CHECK(part.All({0, 20, 40, 60}, kUntouched));
    CHECK(part.All({100, 20, 130, 60}, kUntouched));
}

E2E_TEST(ImageButtonPixels, SurfaceHonoursTheTargetsWindowOrigin) {
    // A target whose logical origin is moved: the surface must draw in the same logical
    // coordinates and copy back to the same device pixels.
    Fixture f;
    f.button.m_bHover = TRUE;
    Canvas direct(130, 60), moved(130, 60);
    Draw(f, direct, kItem, 0);
    SetWindowOrgEx(moved.Dc(), -5, -3, nullptr);
    const RECT item{5, 5, 105, 43}; // device (10, 8)-(110, 46)
    Draw(f, moved, item, 0, &kItem);
    CHECK(moved.SameAs(direct, {0, 0, 130, 60}));
}

E2E_TEST(ImageButtonPixels, PrinterTargetIsDrawnOnDirectly) {
    Canvas printer(130, 60);
    CDC target(printer.Dc());
    target.m_bPrinting = TRUE;
    {
        CMemoryDC dc(&target);
        CHECK(dc.m_hDC == printer.Dc());
        CHECK(dc.IsPrinting());
        RECT r{0, 0, 4, 4};
        CBrush red(RGB(255, 0, 0));
        dc.FillRect(&r, &red);
        // Straight onto the target, before the surface closes.
        CHECK_PIXEL(printer, 0, 0, kRed);
    }
    // The target's context is borrowed, never deleted.
    CHECK(GetObjectType(printer.Dc()) == OBJ_MEMDC);
}

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
    Canvas c(130, 60);
    Draw(f, c, kItem, 0);
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
