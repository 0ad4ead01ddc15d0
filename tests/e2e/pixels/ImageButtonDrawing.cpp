// The image button as a user sees it: each case draws a real button through DrawItem into a
// bitmap and checks pixels at exact coordinates (icon edges, frame lines, the pressed shift,
// the focus marks, the disabled look, the off-screen surface).

#include "ButtonFixture.h"

namespace {

using namespace pixels;

// ---------------------------------------------------------------------------------------------
// Cases: placement.

E2E_TEST(ImageButtonPixels, IdleButtonPlacesIconThreePixelsInAndCaptionInTheRest) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Drawn c(f, 0);
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
    Drawn c(f, ODS_SELECTED);
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
        Drawn c(f, 0);
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
    Drawn c(f, 0);
    CHECK_MSG(CaptionMatches(c, kCaption, ExpectedTextBox(kCaption, kItem), kItem),
              "caption in the whole item");
}

E2E_TEST(ImageButtonPixels, IdleAndActiveLooksUseTheirOwnIcons) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, kPlainIcon, 32, 32);
    CHECK(f.button.m_hIconIdle != f.button.m_hIconActive);
    Drawn idle(f, 0), pressed(f, ODS_SELECTED);
    f.button.m_bHover = TRUE;
    Drawn hovered(f, 0);
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
    Drawn c(f, 0);
    CheckRing(c, {10, 8, 109, 45}, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW), __LINE__);
    // One pixel in is face again, and the icon has not moved.
    CheckRing(c, {11, 9, 108, 44}, Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE), __LINE__);
    CheckRulerAt(c, kIconLeft, kIconTop, __LINE__);
}

E2E_TEST(ImageButtonPixels, PressedFlatButtonShowsTheSunkenThinFrame) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Drawn c(f, ODS_SELECTED);
    CheckRing(c, {10, 8, 109, 45}, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT), __LINE__);
}

E2E_TEST(ImageButtonPixels, FlatButtonWithoutBorderDrawsNoFrame) {
    Fixture f;
    f.button.m_bDrawBorder = FALSE;
    f.button.m_bHover = TRUE;
    Drawn hovered(f, 0), pressed(f, ODS_SELECTED);
    const unsigned face = Sys(COLOR_BTNFACE);
    CheckRing(hovered, {10, 8, 109, 45}, face, face, __LINE__);
    CheckRing(pressed, {10, 8, 109, 45}, face, face, __LINE__);
}

E2E_TEST(ImageButtonPixels, ThreeDimensionalLookDrawsTwoRingsAndAShadowFrameWhenPressed) {
    Fixture f("");
    f.button.m_bFlat = FALSE;
    Drawn up(f, 0), down(f, ODS_SELECTED);
    CheckRing(up, {10, 8, 109, 45}, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_3DDKSHADOW), __LINE__);
    CheckRing(up, {11, 9, 108, 44}, Sys(COLOR_3DLIGHT), Sys(COLOR_BTNSHADOW), __LINE__);
    CHECK(up.All({12, 10, 108, 44}, Sys(COLOR_BTNFACE)));
    CheckRing(down, {10, 8, 109, 45}, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW), __LINE__);
    CHECK(down.All({11, 9, 109, 45}, Sys(COLOR_BTNFACE)));
}

E2E_TEST(ImageButtonPixels, ThreeDimensionalFocusAddsBlackFrameAndFocusRectangleFourPixelsIn) {
    Fixture f("");
    f.button.m_bFlat = FALSE;
    Drawn c(f, ODS_FOCUS);
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
    Drawn plain(f, ODS_FOCUS);
    f.button.m_bFlatFocusRect = TRUE;
    Drawn asked(f, ODS_FOCUS);
    const unsigned face = Sys(COLOR_BTNFACE);
    CHECK(plain.All(kItem, face));
    CHECK(asked.All({10, 8, 110, 11}, face));
    CHECK(asked.Count({13, 11, 107, 12}, face) < 94 - 30);
    CHECK(asked.All({14, 12, 106, 42}, face));
}

E2E_TEST(ImageButtonPixels, DisabledButtonDrawsIconAndCaptionEmbossedOnTheFace) {
    Fixture f;
    f.button.SetIcons(kRulerIcon, 0, 32, 32);
    Drawn c(f, ODS_DISABLED);
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
    Drawn c(f, 0);
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
    Drawn whole(f, 0);
    Canvas part(130, 60);

    // Only the right part of the item is open to drawing.
    const RECT open{40, 20, 100, 46};
    Draw(f, part, kItem, 0, &open);

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
    Drawn direct(f, 0);
    Canvas moved(130, 60);
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

} // namespace
