// CGridDropTarget: the grid's drop target. It hands the drag calls for the grid's own window
// to the grid; drag and drop is off in this program, so the grid refuses every drag.
#pragma once

#include "Ole.h"

class CGridCtrl;

class CGridDropTarget : public COleDropTarget {
public:
    CGridDropTarget();
    ~CGridDropTarget() override;

    BOOL Register(CGridCtrl* pGridCtrl);
    void Revoke() override;
    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point) override;
    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point) override;
    void OnDragLeave(CWnd* pWnd) override;
    DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point) override;

    CGridCtrl* m_pGridCtrl;
    BOOL m_bRegistered;

private:
    BOOL IsGridWindow(const CWnd* pWnd) const;
};
