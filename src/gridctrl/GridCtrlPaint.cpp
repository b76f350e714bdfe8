// CGridCtrl, continued: painting, the scroll bars and scrolling, the auto-scroll timer,
// capture, the cursor and the system colours.
#include "GridCtrl.h"

#include "Dialog.h"
#include "InPlaceEdit.h"
#include "MemDC.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Painting

void CGridCtrl::OnPaint()
{
    CPaintDC dc(this);
    if (m_bDoubleBuffer) {
        CMemDC memDC(&dc);
        OnDraw(&memDC);
    } else {
        OnDraw(&dc);
    }
}

// OnDraw paints every pixel, so there is nothing to erase first.
BOOL CGridCtrl::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}

// Fixed corner, fixed columns, fixed rows, then the data cells; grid lines last.
void CGridCtrl::OnDraw(CDC* pDC)
{
    CRect rectClip;
    if (!m_bAllowDraw || pDC->GetClipBox(&rectClip) == ERROR)
        return;

    EraseBkgnd(pDC);

    const int nFixedRowHeight = GetFixedRowHeight();
    const int nFixedColWidth = GetFixedColumnWidth();
    CRect rectVisible;
    const CCellRange visibleCells = GetVisibleNonFixedCellRange(rectVisible);
    const int nMinRow = visibleCells.GetMinRow(), nMaxRow = visibleCells.GetMaxRow();
    const int nMinCol = visibleCells.GetMinCol(), nMaxCol = visibleCells.GetMaxCol();

    DrawCells(pDC, 0, m_nFixedRows - 1, 0, m_nFixedCols - 1, CPoint(0, 0), nullptr);
    DrawCells(pDC, nMinRow, nMaxRow, 0, m_nFixedCols - 1, CPoint(0, nFixedRowHeight), &rectClip);
    DrawCells(pDC, 0, m_nFixedRows - 1, nMinCol, nMaxCol, CPoint(nFixedColWidth, 0), &rectClip);
    DrawCells(pDC, nMinRow, nMaxRow, nMinCol, nMaxCol, CPoint(nFixedColWidth, nFixedRowHeight),
              &rectClip);

    DrawGridLines(pDC, visibleCells, rectVisible);
}

// Draws a block of cells laid out from ptOrigin; with a clip box, rows and columns that
// miss it are skipped and the walk stops past its far edge.
void CGridCtrl::DrawCells(CDC* pDC, int nMinRow, int nMaxRow, int nMinCol, int nMaxCol,
                          CPoint ptOrigin, const CRect* pClipRect)
{
    CRect rect;
    rect.bottom = ptOrigin.y - 1;
    for (int row = nMinRow; row <= nMaxRow; row++) {
        rect.top = rect.bottom + 1;
        rect.bottom = AddExtent(rect.top, GetRowHeight(row)) - 1;
        if (pClipRect && rect.top > pClipRect->bottom)
            break;
        if (pClipRect && rect.bottom < pClipRect->top)
            continue;

        rect.right = ptOrigin.x - 1;
        for (int col = nMinCol; col <= nMaxCol; col++) {
            rect.left = rect.right + 1;
            rect.right = AddExtent(rect.left, GetColumnWidth(col)) - 1;
            if (pClipRect && rect.left > pClipRect->right)
                break;
            if (pClipRect && rect.right < pClipRect->left)
                continue;
            if (CGridCellBase* pCell = GetCell(row, col))
                pCell->Draw(pDC, row, col, rect, FALSE);
        }
    }
}

// Lines over the data area only; the headings are separated by their raised edges.
BOOL CGridCtrl::DrawGridLines(CDC* pDC, const CCellRange& visibleCells, const CRect& rectVisible)
{
    CPen pen;
    if (!pen.CreatePen(PS_SOLID, 0, m_crGridColour))
        return FALSE;
    pDC->SelectObject(&pen);

    const int nFixedRowHeight = GetFixedRowHeight();
    const int nFixedColWidth = GetFixedColumnWidth();
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_VERT) {
        int x = nFixedColWidth;
        for (int col = visibleCells.GetMinCol(); col <= visibleCells.GetMaxCol(); col++) {
            x = AddExtent(x, GetColumnWidth(col));
            pDC->MoveTo(x - 1, nFixedRowHeight);
            pDC->LineTo(x - 1, rectVisible.bottom);
        }
    }
    if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_HORZ) {
        int y = nFixedRowHeight;
        for (int row = visibleCells.GetMinRow(); row <= visibleCells.GetMaxRow(); row++) {
            y = AddExtent(y, GetRowHeight(row));
            pDC->MoveTo(nFixedColWidth, y - 1);
            pDC->LineTo(rectVisible.right, y - 1);
        }
    }
    pDC->SelectStockObject(NULL_PEN);
    return TRUE;
}

// Backgrounds of the headings, the data area and the window outside the cells.
void CGridCtrl::EraseBkgnd(CDC* pDC)
{
    CRect rectClip;
    if (pDC->GetClipBox(&rectClip) == ERROR)
        return;
    CRect rectVisible;
    GetVisibleNonFixedCellRange(rectVisible);

    CBrush fixedBack(m_crFixedBkColour), textBack(m_crTextBkColour), back(m_crBkColour);
    const int nFixedColWidth = GetFixedColumnWidth();
    const int nFixedRowHeight = GetFixedRowHeight();

    if (rectClip.left < nFixedColWidth && rectClip.top < rectVisible.bottom)
        pDC->FillRect(CRect(rectClip.left, rectClip.top, nFixedColWidth, rectVisible.bottom), &fixedBack);
    if (rectClip.top < nFixedRowHeight && rectClip.right > nFixedColWidth &&
        rectClip.left < rectVisible.right)
        pDC->FillRect(CRect(nFixedColWidth - 1, rectClip.top, rectVisible.right, nFixedRowHeight),
                      &fixedBack);

    CRect rect;
    if (rect.IntersectRect(rectVisible, rectClip)) {
        const CRect rectCells(std::max<int>(nFixedColWidth, rect.left),
                              std::max<int>(nFixedRowHeight, rect.top), rect.right, rect.bottom);
        pDC->FillRect(rectCells, &textBack);
    }

    if (rectVisible.right < rectClip.right)
        pDC->FillRect(CRect(rectVisible.right, rectClip.top, rectClip.right, rectClip.bottom), &back);
    if (rectVisible.bottom < rectClip.bottom && rectClip.left < rectVisible.right)
        pDC->FillRect(CRect(rectClip.left, rectVisible.bottom, rectVisible.right, rectClip.bottom),
                      &back);
}

// Repaints one cell now. Its background is erased, so a data cell's own grid lines are drawn
// again afterwards.
BOOL CGridCtrl::RedrawCell(int nRow, int nCol, CDC* pDC)
{
    if (!m_bAllowDraw || !IsCellVisible(nRow, nCol))
        return FALSE;
    CRect rect;
    if (!GetCellRect(nRow, nCol, rect))
        return FALSE;

    BOOL bMustReleaseDC = FALSE;
    if (!pDC) {
        pDC = GetDC();
        bMustReleaseDC = pDC != nullptr;
    }
    if (!pDC) {
        // No DC to draw with: let the next paint do it (the grid line pixels included).
        rect.right++;
        rect.bottom++;
        InvalidateRect(rect, TRUE);
        return TRUE;
    }

    BOOL bResult = TRUE;
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (pCell)
        bResult = pCell->Draw(pDC, nRow, nCol, rect, TRUE);

    if (!IsCellFixed(nRow, nCol)) {
        CPen pen;
        pen.CreatePen(PS_SOLID, 0, m_crGridColour);
        CPen* pOldPen = pDC->SelectObject(&pen);
        if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_HORZ) {
            pDC->MoveTo(rect.left, rect.bottom);
            pDC->LineTo(rect.right + 1, rect.bottom);
        }
        if (m_nGridLines == GVL_BOTH || m_nGridLines == GVL_VERT) {
            pDC->MoveTo(rect.right, rect.top);
            pDC->LineTo(rect.right, rect.bottom + 1);
        }
        pDC->SelectObject(pOldPen);
    }

    if (bMustReleaseDC)
        ReleaseDC(pDC);
    return bResult;
}

BOOL CGridCtrl::InvalidateCellRect(const CCellID& cell)
{
    if (!GetSafeHwnd() || !m_bAllowDraw)
        return FALSE;
    ASSERT(IsValid(cell));
    if (!IsCellVisible(cell.row, cell.col))
        return FALSE;
    CRect rect;
    if (!GetCellRect(cell, rect))
        return FALSE;
    rect.right++;
    rect.bottom++;
    InvalidateRect(rect, TRUE);
    return TRUE;
}

// Whether any part of the cell lies in the client area.
BOOL CGridCtrl::IsCellVisible(int nRow, int nCol) const
{
    if (!GetSafeHwnd())
        return FALSE;

    CCellID idTopLeft;
    if (nCol >= m_nFixedCols || nRow >= m_nFixedRows) {
        idTopLeft = GetTopleftNonFixedCell();
        if (nCol >= m_nFixedCols && nCol < idTopLeft.col)
            return FALSE;
        if (nRow >= m_nFixedRows && nRow < idTopLeft.row)
            return FALSE;
    }

    CRect rect;
    GetClientRect(rect);

    const BOOL bFixedCol = nCol < m_nFixedCols;
    int x = bFixedCol ? 0 : GetFixedColumnWidth();
    for (int col = bFixedCol ? 0 : idTopLeft.col; col <= nCol; col++) {
        if (x >= rect.right)
            return FALSE;
        x = AddExtent(x, GetColumnWidth(col));
    }

    const BOOL bFixedRow = nRow < m_nFixedRows;
    int y = bFixedRow ? 0 : GetFixedRowHeight();
    for (int row = bFixedRow ? 0 : idTopLeft.row; row <= nRow; row++) {
        if (y >= rect.bottom)
            return FALSE;
        y = AddExtent(y, GetRowHeight(row));
    }
    return TRUE;
}

// Scrolls line by line until the cell is in view, stepping over hidden rows and columns.
void CGridCtrl::EnsureVisible(int nRow, int nCol)
{
    const CCellRange visibleCells = GetVisibleNonFixedCellRange();

    int nRight = nCol - visibleCells.GetMaxCol();
    int nLeft = visibleCells.GetMinCol() - nCol;
    int nDown = nRow - visibleCells.GetMaxRow();
    int nUp = visibleCells.GetMinRow() - nRow;

    for (int col = visibleCells.GetMaxCol() + 1; nRight > 0; nRight--, col++)
        if (GetColumnWidth(col) > 0)
            SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    for (int col = visibleCells.GetMinCol() - 1; nLeft > 0; nLeft--, col--)
        if (GetColumnWidth(col) > 0)
            SendMessage(WM_HSCROLL, SB_LINELEFT, 0);
    for (int row = visibleCells.GetMaxRow() + 1; nDown > 0; nDown--, row++)
        if (GetRowHeight(row) > 0)
            SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    for (int row = visibleCells.GetMinRow() - 1; nUp > 0; nUp--, row--)
        if (GetRowHeight(row) > 0)
            SendMessage(WM_VSCROLL, SB_LINEUP, 0);

    // One more step when only a part of the cell shows.
    CRect rectCell, rectClient;
    if (!GetCellRect(nRow, nCol, rectCell))
        return;
    GetClientRect(rectClient);
    if (rectCell.right > rectClient.right)
        SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    if (rectCell.bottom > rectClient.bottom)
        SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
}

// ---------------------------------------------------------------------------------------------
// Scroll bars

void CGridCtrl::ResetScrollBars()
{
    if (!m_bAllowDraw || !GetSafeHwnd())
        return;

    CRect rect;
    GetClientRect(rect);
    if (rect.left == rect.right || rect.top == rect.bottom)
        return;

    // Compute with the room of the bars the grid has shown.
    if (IsVisibleVScroll())
        rect.right += GetSystemMetrics(SM_CXVSCROLL) + GetSystemMetrics(SM_CXBORDER);
    if (IsVisibleHScroll())
        rect.bottom += GetSystemMetrics(SM_CYHSCROLL) + GetSystemMetrics(SM_CYBORDER);

    rect.left += GetFixedColumnWidth();
    rect.top += GetFixedRowHeight();
    if (rect.left >= rect.right || rect.top >= rect.bottom) {
        EnableScrollBarCtrl(SB_BOTH, FALSE);
        return;
    }

    CRect rectVisible(GetFixedColumnWidth(), GetFixedRowHeight(), rect.right, rect.bottom);
    const CRect rectVirtual(GetFixedColumnWidth(), GetFixedRowHeight(), (int)GetVirtualWidth(),
                            (int)GetVirtualHeight());

    SCROLLINFO si {};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_PAGE;
    si.nPage = (UINT)rectVisible.Width();
    SetScrollInfo(SB_HORZ, &si, FALSE);
    si.nPage = (UINT)rectVisible.Height();
    SetScrollInfo(SB_VERT, &si, FALSE);

    // A bar that will be shown takes room from the other direction.
    if (rectVisible.Height() < rectVirtual.Height())
        rectVisible.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (rectVisible.Width() < rectVirtual.Width())
        rectVisible.bottom -= GetSystemMetrics(SM_CYHSCROLL);

    if (rectVisible.Height() < rectVirtual.Height()) {
        EnableScrollBars(SB_VERT, TRUE);
        m_nVScrollMax = rectVirtual.Height() - 1;
    } else {
        m_nVScrollMax = 0;
    }
    if (rectVisible.Width() < rectVirtual.Width()) {
        EnableScrollBars(SB_HORZ, TRUE);
        m_nHScrollMax = rectVirtual.Width() - 1;
    } else {
        m_nHScrollMax = 0;
    }

    ASSERT(m_nVScrollMax < INT_MAX && m_nHScrollMax < INT_MAX);
    // An empty range hides the bar.
    SetScrollRange(SB_VERT, 0, m_nVScrollMax, TRUE);
    SetScrollRange(SB_HORZ, 0, m_nHScrollMax, TRUE);
}

void CGridCtrl::EnableScrollBars(int nBar, BOOL bEnable)
{
    const BOOL bHorz = nBar == SB_HORZ || nBar == SB_BOTH;
    const BOOL bVert = nBar == SB_VERT || nBar == SB_BOTH;
    if (bEnable) {
        if (bHorz && !IsVisibleHScroll()) {
            EnableScrollBarCtrl(SB_HORZ, TRUE);
            m_nBarState |= GVL_HORZ;
        }
        if (bVert && !IsVisibleVScroll()) {
            EnableScrollBarCtrl(SB_VERT, TRUE);
            m_nBarState |= GVL_VERT;
        }
    } else {
        if (bHorz && IsVisibleHScroll()) {
            EnableScrollBarCtrl(SB_HORZ, FALSE);
            m_nBarState &= ~GVL_HORZ;
        }
        if (bVert && IsVisibleVScroll()) {
            EnableScrollBarCtrl(SB_VERT, FALSE);
            m_nBarState &= ~GVL_VERT;
        }
    }
}

int CGridCtrl::GetScrollPos32(int nBar, BOOL bGetTrackPos)
{
    SCROLLINFO si {};
    si.cbSize = sizeof(SCROLLINFO);
    if (bGetTrackPos)
        return GetScrollInfo(nBar, &si, SIF_TRACKPOS) ? si.nTrackPos : 0;
    return GetScrollInfo(nBar, &si, SIF_POS) ? si.nPos : 0;
}

BOOL CGridCtrl::SetScrollPos32(int nBar, int nPos, BOOL bRedraw)
{
    SCROLLINFO si {};
    si.cbSize = sizeof(SCROLLINFO);
    si.fMask = SIF_POS;
    si.nPos = nPos;
    return SetScrollInfo(nBar, &si, bRedraw);
}

void CGridCtrl::OnSize(UINT nType, int cx, int cy)
{
    // Showing or hiding a bar resizes the client area again; one guard for all grids.
    static BOOL bAlreadyInsideThisProcedure = FALSE;
    if (bAlreadyInsideThisProcedure || !GetSafeHwnd())
        return;

    bAlreadyInsideThisProcedure = TRUE;
    EndEditing();
    CWnd::OnSize(nType, cx, cy);
    ResetScrollBars();
    bAlreadyInsideThisProcedure = FALSE;
}

void CGridCtrl::OnHScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* /*pScrollBar*/)
{
    ScrollGrid(SB_HORZ, nSBCode);
}

void CGridCtrl::OnVScroll(UINT nSBCode, UINT /*nPos*/, CScrollBar* /*pScrollBar*/)
{
    ScrollGrid(SB_VERT, nSBCode);
}

// One scroll step along a bar. Positions are pixel offsets into the data area; the view is
// repainted below the fixed rows (right of the fixed columns), never moved by blitting.
void CGridCtrl::ScrollGrid(int nBar, UINT nSBCode)
{
    const BOOL bVert = nBar == SB_VERT;
    EndEditing();
    if (m_TitleTip.GetSafeHwnd())
        m_TitleTip.Hide();

    const int nPos = GetScrollPos32(nBar);
    const int nMax = bVert ? m_nVScrollMax : m_nHScrollMax;
    const CCellID idTopLeft = GetTopleftNonFixedCell();
    const int nFirst = bVert ? m_nFixedRows : m_nFixedCols;
    const int nLast = (bVert ? m_nRows : m_nCols) - 1;
    const auto extent = [&](int i) { return bVert ? GetRowHeight(i) : GetColumnWidth(i); };

    CRect rect;
    GetClientRect(rect);
    if (bVert)
        rect.top = GetFixedRowHeight();
    else
        rect.left = GetFixedColumnWidth();
    const int nPage = bVert ? rect.Height() : rect.Width();

    switch (nSBCode) {
    case SB_LINEDOWN:
        if (nPos < nMax) {
            int i = bVert ? idTopLeft.row : idTopLeft.col;
            while (i < nLast && extent(i) < 1)
                i++;
            SetScrollPos32(nBar, AddExtent(nPos, extent(i)));
            if (GetScrollPos32(nBar) == nPos)
                break;
            InvalidateRect(rect, TRUE);
        }
        break;

    case SB_LINEUP: {
        const int nTop = bVert ? idTopLeft.row : idTopLeft.col;
        if (nPos > 0 && nTop > nFirst) {
            int i = nTop - 1;
            while (i > nFirst && extent(i) < 1)
                i--;
            SetScrollPos32(nBar, std::max(0, nPos - extent(i)));
            InvalidateRect(rect, TRUE);
        }
        break;
    }

    case SB_PAGEDOWN:
        if (nPos < nMax) {
            SetScrollPos32(nBar, std::min(nMax, nPos + nPage));
            InvalidateRect(rect, TRUE);
        }
        break;

    case SB_PAGEUP:
        if (nPos > 0) {
            SetScrollPos32(nBar, std::max(0, nPos - nPage));
            InvalidateRect(rect, TRUE);
        }
        break;

    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPos32(nBar, GetScrollPos32(nBar, TRUE));
        if (GetTopleftNonFixedCell() != idTopLeft)
            InvalidateRect(rect, TRUE);
        break;

    case SB_TOP:
        if (nPos > 0) {
            SetScrollPos32(nBar, 0);
            Invalidate();
        }
        break;

    case SB_BOTTOM:
        if (nPos < nMax) {
            SetScrollPos32(nBar, nMax);
            Invalidate();
        }
        break;

    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Timer, capture, cursor, system colours

// While a mouse selection runs with the pointer outside the data area, every tick moves the
// focus one cell that way and extends the selection to the cell at the edge.
void CGridCtrl::OnTimer(UINT_PTR nIDEvent)
{
    ASSERT(nIDEvent == WM_LBUTTONDOWN);
    if (nIDEvent != WM_LBUTTONDOWN)
        return;

    CPoint ptCursor;
    if (!GetCursorPos(&ptCursor))
        return;
    ScreenToClient(&ptCursor);

    CRect rect;
    GetClientRect(rect);
    const int nFixedRowHeight = GetFixedRowHeight();
    const int nFixedColWidth = GetFixedColumnWidth();

    CPoint pt = ptCursor;
    if (pt.y > rect.bottom || pt.y < nFixedRowHeight) {
        const BOOL bDown = pt.y > rect.bottom;
        SendMessage(WM_KEYDOWN, bDown ? VK_DOWN : VK_UP, 0);
        pt.x = std::clamp<LONG>(pt.x, rect.left, rect.right);
        pt.y = bDown ? rect.bottom : nFixedRowHeight + 1;
        OnSelecting(GetCellFromPt(pt));
    }

    pt = ptCursor;
    if (pt.x > rect.right || pt.x < nFixedColWidth) {
        const BOOL bRight = pt.x > rect.right;
        SendMessage(WM_KEYDOWN, bRight ? VK_RIGHT : VK_LEFT, 0);
        pt.y = std::clamp<LONG>(pt.y, rect.top, rect.bottom);
        pt.x = bRight ? rect.right : nFixedColWidth + 1;
        OnSelecting(GetCellFromPt(pt));
    }
}

void CGridCtrl::OnCaptureChanged(CWnd* pWnd)
{
    if (pWnd && pWnd->GetSafeHwnd() == GetSafeHwnd())
        return;
    if (m_nTimerID != 0)
        KillTimer(m_nTimerID);
    m_nTimerID = 0;
    if (m_MouseMode == MOUSE_DRAGGING)
        m_MouseMode = MOUSE_NOTHING;
}

BOOL CGridCtrl::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest != HTCLIENT)
        return CWnd::OnSetCursor(pWnd, nHitTest, message);

    switch (m_MouseMode) {
    case MOUSE_OVER_COL_DIVIDE:
        SetCursor(LoadStandardCursor(IDC_SIZEWE));
        break;
    case MOUSE_OVER_ROW_DIVIDE:
        SetCursor(LoadStandardCursor(IDC_SIZENS));
        break;
    case MOUSE_DRAGGING:
        break;
    default: {
        const DWORD dwPos = GetMessagePos();
        CPoint pt(GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos));
        ScreenToClient(&pt);
        const CCellID cell = GetCellFromPt(pt);
        CGridCellBase* pCell = IsValid(cell) ? GetCell(cell.row, cell.col) : nullptr;
        if (pCell)
            pCell->OnSetCursor();
        else
            SetCursor(LoadStandardCursor(IDC_ARROW));
        break;
    }
    }
    return TRUE;
}

// Colours that still follow the system follow its change; the application's own stay.
void CGridCtrl::OnSysColorChange()
{
    CWnd::OnSysColorChange();

    if (m_crTextColour == m_crWindowText)
        m_crTextColour = GetSysColor(COLOR_WINDOWTEXT);
    if (m_crTextBkColour == m_crWindowColour)
        m_crTextBkColour = GetSysColor(COLOR_WINDOW);
    if (m_crBkColour == m_crShadow)
        m_crBkColour = GetSysColor(COLOR_BTNSHADOW);
    if (m_crFixedTextColour == m_crWindowText)
        m_crFixedTextColour = GetSysColor(COLOR_WINDOWTEXT);
    if (m_crFixedBkColour == m_cr3DFace)
        m_crFixedBkColour = GetSysColor(COLOR_BTNFACE);

    m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
    m_crWindowColour = GetSysColor(COLOR_WINDOW);
    m_cr3DFace = GetSysColor(COLOR_BTNFACE);
    m_crShadow = GetSysColor(COLOR_BTNSHADOW);
}
