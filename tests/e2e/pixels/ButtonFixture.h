#pragma once

// What the pixel checks of the image button draw with: a real button subclassed in a hidden
// parent window, a 32-bit bitmap as the target of one draw request, the pictures a caption and
// the test icons must leave, and checks of single pixels and whole frame rings.

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/ImageButton_win.h"
#include "controls/MemoryDC_win.h"
#include "TestRunner.h"

namespace pixels {

inline std::string Hex(unsigned value) {
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

inline unsigned FromColorRef(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

inline unsigned Sys(int index) {
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
    // Calls f(x, y) for every pixel of the rectangle.
    template <class F> void Visit(const RECT& r, F f) const {
        for (LONG y = r.top; y < r.bottom; ++y) {
            for (LONG x = r.left; x < r.right; ++x) {
                f(x, y);
            }
        }
    }
    // Every pixel of the rectangle is `rgb`.
    bool All(const RECT& r, unsigned rgb) const {
        bool all = true;
        Visit(r, [&](LONG x, LONG y) { all = all && At(x, y) == rgb; });
        return all;
    }
    int Count(const RECT& r, unsigned rgb) const {
        int count = 0;
        Visit(r, [&](LONG x, LONG y) { count += At(x, y) == rgb ? 1 : 0; });
        return count;
    }
    // The smallest rectangle holding every pixel of `r` that is not `background`.
    RECT Ink(const RECT& r, unsigned background) const {
        RECT ink{r.right, r.bottom, r.left, r.top};
        Visit(r, [&](LONG x, LONG y) {
            if (At(x, y) != background) {
                ink = {std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                       std::max(ink.bottom, y + 1)};
            }
        });
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
        bool same = true;
        Visit(r, [&](LONG x, LONG y) { same = same && At(x, y) == other.At(x, y); });
        return same;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

inline std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

inline bool operator==(const RECT& a, const RECT& b) {
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

inline HFONT DialogFont() {
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

inline const char* ParentClass() {
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
inline void Draw(Fixture& f, Canvas& canvas, const RECT& item, UINT state,
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
inline const RECT kItem{10, 8, 110, 46};
constexpr int kIconTop = 8 + (38 - 32) / 2; // 11
constexpr int kIconLeft = 10 + 3;           // 13

// A canvas of 130 x 60 with the button drawn once at kItem in `state`.
struct Drawn : Canvas {
    Drawn(Fixture& f, UINT state) : Canvas(130, 60) { Draw(f, *this, kItem, state); }
};

// Where the caption's box goes: measured in the button's font, centred in `area`.
inline RECT ExpectedTextBox(const char* text, const RECT& area) {
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
inline void DrawReferenceText(Canvas& canvas, const char* text, const RECT& box, const RECT& area) {
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
inline bool CaptionMatches(const Canvas& drawn, const char* text, const RECT& box,
                           const RECT& area) {
    Canvas reference(drawn.Width(), drawn.Height());
    DrawReferenceText(reference, text, box, area);
    return drawn.SameAs(reference, area);
}

// The ruler icon's top-left corner is at (x, y): its rings in order from there.
inline void CheckRulerAt(const Canvas& c, int x, int y, int line) {
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
inline void CheckRing(const Canvas& c, Ring ring, unsigned topLeft, unsigned bottomRight,
                      int line) {
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

} // namespace pixels
