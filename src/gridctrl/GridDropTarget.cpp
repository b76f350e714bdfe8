#include "GridDropTarget.h"

#include "GridCtrl.h"

CGridDropTarget::CGridDropTarget() : m_pGridCtrl(nullptr), m_bRegistered(FALSE)
{
}

CGridDropTarget::~CGridDropTarget()
{
    CGridDropTarget::Revoke();
}

// Once per grid, and only for a grid that has its window.
BOOL CGridDropTarget::Register(CGridCtrl* pGridCtrl)
{
    if (m_bRegistered)
        return FALSE;
    if (!CWnd::GetSafeHwnd(pGridCtrl) || !pGridCtrl->IsKindOf(RUNTIME_CLASS(CGridCtrl)))
        return FALSE;
    m_pGridCtrl = pGridCtrl;
    m_bRegistered = COleDropTarget::Register(pGridCtrl);
    return m_bRegistered;
}

void CGridDropTarget::Revoke()
{
    m_bRegistered = FALSE;
    COleDropTarget::Revoke();
}

// Calls for any other window than the grid's own are answered here and go no further.
BOOL CGridDropTarget::IsGridWindow(const CWnd* pWnd) const
{
    return CWnd::GetSafeHwnd(pWnd) && CWnd::GetSafeHwnd(pWnd) == CWnd::GetSafeHwnd(m_pGridCtrl);
}

DROPEFFECT CGridDropTarget::OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    TRACE("In CGridDropTarget::OnDragEnter\n");
    if (!IsGridWindow(pWnd))
        return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragEnter(pDataObject, dwKeyState, point);
}

DROPEFFECT CGridDropTarget::OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
    if (!IsGridWindow(pWnd))
        return DROPEFFECT_NONE;
    return m_pGridCtrl->OnDragOver(pDataObject, dwKeyState, point);
}

BOOL CGridDropTarget::OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point)
{
    TRACE("In CGridDropTarget::OnDrop\n");
    if (!IsGridWindow(pWnd))
        return FALSE;
    return m_pGridCtrl->OnDrop(pDataObject, dropEffect, point);
}

void CGridDropTarget::OnDragLeave(CWnd* pWnd)
{
    TRACE("In CGridDropTarget::OnDragLeave\n");
    if (IsGridWindow(pWnd))
        m_pGridCtrl->OnDragLeave();
}

// Never scrolls, so every move goes on to OnDragOver.
DROPEFFECT CGridDropTarget::OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint /*point*/)
{
    if (!IsGridWindow(pWnd))
        return DROPEFFECT_NONE;
    return (dwKeyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}
