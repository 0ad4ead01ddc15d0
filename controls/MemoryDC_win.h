#pragma once

// An off-screen surface for one draw: everything drawn on the object lands in a bitmap the
// size of the target's clip box, and reaches the target in one copy when the object ends, so
// the screen never shows a half-drawn picture. Printer contexts are drawn on directly.

#include <windows.h>

#include "framework/DC.h"

class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(CDC* pDC);
    ~CMemoryDC() override;

    CMemoryDC* operator->() { return this; }
    operator CMemoryDC*() { return this; }

private:
    CBitmap m_bmpSurface;
    // The surface's selection: ends after the copy to the target and before the surface
    // bitmap and the context are deleted (members go in reverse order).
    fw::ScopedSelect m_pDisplacedBitmap;
    CDC* m_pTargetDC;
    RECT m_rcArea{};
    BOOL m_bOffscreen;
};
