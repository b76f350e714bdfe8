#include "DynamicLayout.h"

#include <algorithm>

BOOL CDynamicLayout::Create(CWnd* pHostWnd)
{
    if (!CWnd::GetSafeHwnd(pHostWnd))
        return FALSE;
    m_pHostWnd = pHostWnd;
    CRect rect;
    pHostWnd->GetClientRect(&rect);
    m_sizeBase = rect.Size();
    m_items.clear();
    return TRUE;
}

BOOL CDynamicLayout::AddItem(int nID, MoveSettings move, SizeSettings size)
{
    CWnd* pWnd = m_pHostWnd ? m_pHostWnd->GetDlgItem(nID) : nullptr;
    if (!pWnd)
        return FALSE;
    CRect rect;
    pWnd->GetWindowRect(&rect);
    m_pHostWnd->ScreenToClient(&rect);
    m_items.push_back(Item {nID, rect, move, size});
    return TRUE;
}

// The growth is never taken below nothing: a host smaller than the base leaves the controls
// where the template put them.
CRect CDynamicLayout::PlaceItem(const Item& item) const
{
    CRect rectClient;
    m_pHostWnd->GetClientRect(&rectClient);
    const int dx = std::max(0, (int)rectClient.Width() - (int)m_sizeBase.cx);
    const int dy = std::max(0, (int)rectClient.Height() - (int)m_sizeBase.cy);
    CRect rect = item.rectBase;
    rect.OffsetRect(dx * item.move.m_nXRatio / 100, dy * item.move.m_nYRatio / 100);
    rect.right += dx * item.size.m_nXRatio / 100;
    rect.bottom += dy * item.size.m_nYRatio / 100;
    return rect;
}

void CDynamicLayout::Adjust()
{
    if (!CWnd::GetSafeHwnd(m_pHostWnd))
        return;
    for (const Item& item : m_items) {
        if (CWnd* pWnd = m_pHostWnd->GetDlgItem(item.nID))
            pWnd->MoveWindow(PlaceItem(item));
    }
}

BOOL CDynamicLayout::GetItemRect(int nID, CRect& rect) const
{
    if (!CWnd::GetSafeHwnd(m_pHostWnd))
        return FALSE;
    for (const Item& item : m_items) {
        if (item.nID == nID) {
            rect = PlaceItem(item);
            return TRUE;
        }
    }
    return FALSE;
}
