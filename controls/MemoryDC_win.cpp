#include "controls/MemoryDC_win.h"

CMemoryDC::CMemoryDC(CDC* pDC) : m_pTargetDC(pDC), m_bOffscreen(!pDC->IsPrinting()) {
    if (m_bOffscreen) {
        pDC->GetClipBox(&m_rcArea);
        CreateCompatibleDC(pDC);
        m_bmpSurface.CreateCompatibleBitmap(pDC, m_rcArea.right - m_rcArea.left,
                                            m_rcArea.bottom - m_rcArea.top);
        m_pDisplacedBitmap = SelectObject(m_bmpSurface);
        // Logical coordinates mean the same here as on the target.
        SetWindowOrg(m_rcArea.left, m_rcArea.top);
    } else {
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
        m_bPrinting = pDC->m_bPrinting;
    }
}

CMemoryDC::~CMemoryDC() {
    if (m_bOffscreen) {
        m_pTargetDC->BitBlt(m_rcArea.left, m_rcArea.top, m_rcArea.right - m_rcArea.left,
                            m_rcArea.bottom - m_rcArea.top, this, m_rcArea.left, m_rcArea.top,
                            SRCCOPY);
    } else {
        // The target's handles are only borrowed.
        m_hDC = m_hAttribDC = nullptr;
    }
    // Then the displaced bitmap goes back, the surface is deleted and the base class deletes
    // the memory context.
}
