// CMemDC: an off-screen DC over another DC's clip box. Drawing goes into a bitmap that is
// copied to the target in one blit when the CMemDC ends, so painting never flickers.
#pragma once

#include "Dc.h"

class CMemDC : public CDC {
public:
    explicit CMemDC(CDC* pDC);
    ~CMemDC() override;
    CMemDC* operator->() { return this; }
    operator CMemDC*() { return this; }

private:
    CBitmap m_bitmap;
    CBitmap* m_pOldBitmap;
    CDC* m_pDC;
    CRect m_rect;
};

// Callers draw in the target's coordinates: the window origin is the clip box's corner.
inline CMemDC::CMemDC(CDC* pDC) : m_pOldBitmap(nullptr), m_pDC(pDC)
{
    ASSERT(m_pDC != nullptr);
    m_pDC->GetClipBox(&m_rect);
    CreateCompatibleDC(m_pDC);
    m_bitmap.CreateCompatibleBitmap(m_pDC, m_rect.Width(), m_rect.Height());
    m_pOldBitmap = SelectObject(&m_bitmap);
    SetWindowOrg(m_rect.left, m_rect.top);
    FillSolidRect(m_rect, m_pDC->GetBkColor());
}

inline CMemDC::~CMemDC()
{
    m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left,
                  m_rect.top, SRCCOPY);
    if (m_pOldBitmap)
        SelectObject(m_pOldBitmap);
    // The DC lets go of the bitmap before the bitmap goes away.
    DeleteDC();
    m_bitmap.DeleteObject();
}
