// The abstract cell of the grid: state bits kept by the grid, the drawing routine, measuring,
// and the virtual accessors that a usable cell class overrides.
#pragma once

#include "Dc.h"
#include "Geometry.h"
#include "Object.h"
#include "String.h"

class CGridCtrl;

// Cell states.
#define GVIS_FOCUSED 0x0001
#define GVIS_SELECTED 0x0002
#define GVIS_DROPHILITED 0x0004
#define GVIS_READONLY 0x0008
#define GVIS_FIXED 0x0010
#define GVIS_MODIFIED 0x0020

class CGridCellBase : public CObject {
    DECLARE_DYNAMIC(CGridCellBase)
public:
    CGridCellBase();
    ~CGridCellBase() override = default;

    virtual void SetText(LPCTSTR) { ASSERT(FALSE); }
    // nLength bytes at pch, which hold no NUL.
    virtual void SetText(LPCTSTR pch, int nLength) { SetText(CString(pch, nLength)); }
    virtual void SetImage(int) { ASSERT(FALSE); }
    virtual void SetData(LPARAM) { ASSERT(FALSE); }
    virtual void SetState(DWORD nState) { m_nState = nState; }
    virtual void SetFormat(DWORD) { ASSERT(FALSE); }
    virtual void SetTextClr(COLORREF) { ASSERT(FALSE); }
    virtual void SetBackClr(COLORREF) { ASSERT(FALSE); }
    virtual void SetFont(const LOGFONT*) { ASSERT(FALSE); }
    virtual void SetMargin(UINT) { ASSERT(FALSE); }
    virtual void SetGrid(CGridCtrl*) { ASSERT(FALSE); }
    virtual void SetCoords(int, int) { ASSERT(FALSE); }

    virtual LPCTSTR GetText() const { ASSERT(FALSE); return nullptr; }
    virtual LPCTSTR GetTipText() const { return GetText(); }
    virtual int GetImage() const { ASSERT(FALSE); return -1; }
    virtual LPARAM GetData() const { ASSERT(FALSE); return 0; }
    virtual DWORD GetState() const { return m_nState; }
    virtual DWORD GetFormat() const { ASSERT(FALSE); return 0; }
    virtual COLORREF GetTextClr() const { ASSERT(FALSE); return 0; }
    virtual COLORREF GetBackClr() const { ASSERT(FALSE); return 0; }
    virtual LOGFONT* GetFont() const { ASSERT(FALSE); return nullptr; }
    virtual CGridCtrl* GetGrid() const { ASSERT(FALSE); return nullptr; }
    virtual UINT GetMargin() const { ASSERT(FALSE); return 0; }
    virtual BOOL IsEditing() const { ASSERT(FALSE); return FALSE; }
    virtual CWnd* GetEditWnd() const { return nullptr; }   // the in-place edit showing the cell

    virtual CGridCellBase& operator=(const CGridCellBase& cell);
    virtual void Reset();

    virtual BOOL Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd = TRUE);
    virtual BOOL GetTextRect(LPRECT pRect);
    virtual BOOL GetTipTextRect(LPRECT pRect) { return GetTextRect(pRect); }
    virtual CSize GetTextExtent(LPCTSTR str);
    virtual CSize GetCellExtent(CDC* pDC);

    virtual BOOL Edit(int, int, CRect, CPoint, UINT, UINT) { ASSERT(FALSE); return FALSE; }
    virtual void EndEdit() {}
    virtual void OnEndEdit() { ASSERT(FALSE); }

    virtual void OnMouseEnter();
    virtual void OnMouseOver();
    virtual void OnMouseLeave();
    virtual void OnClick(CPoint PointCellRelative);
    virtual void OnClickDown(CPoint PointCellRelative);
    virtual void OnRClick(CPoint PointCellRelative);
    virtual void OnDblClick(CPoint PointCellRelative);
    virtual BOOL OnSetCursor();

protected:
    DWORD m_nState;
};
