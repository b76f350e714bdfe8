// CGridCtrl, continued: the mouse (movement, title tips, clicks, dividers, the wheel) and
// the keyboard.
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
// Mouse movement and title tips

void CGridCtrl::OnMouseMove(UINT nFlags, CPoint point)
{
    CRect rect;
    GetClientRect(rect);
    if (m_MouseMode != MOUSE_DRAGGING && !rect.PtInRect(point))
        return;

    // Hovering: no button held, or held without anything started.
    if (!(nFlags & MK_LBUTTON) || m_MouseMode == MOUSE_NOTHING) {
        OnMouseHover(point);
        m_LastMousePoint = point;
        return;
    }

    if (!IsValid(m_LeftClickDownCell)) {
        m_LastMousePoint = point;
        return;
    }
    // Selecting, sizing and preparing a drag with the button held.
    OnMouseMoveWithButton(point);
}

// The divider cursors and modes, and the title tip over a cell whose text is cut off.
void CGridCtrl::OnMouseHover(CPoint point)
{
    UpdateDividerMode(point);
    if (m_MouseMode != MOUSE_NOTHING)
        return;

    const CCellID cell = GetCellFromPt(point, TRUE);
    CGridCellBase* pCell = IsValid(cell) ? GetCell(cell.row, cell.col) : nullptr;
    if (!pCell)
        return;
    pCell->OnMouseOver();
    if (m_bTitleTips)
        ShowTitleTip(cell);
}

// Enters the mode of the divider under the pointer, or MOUSE_NOTHING when there is none.
void CGridCtrl::UpdateDividerMode(CPoint point)
{
    if (m_bAllowColumnResize && MouseOverColumnResizeArea(point)) {
        if (m_MouseMode != MOUSE_OVER_COL_DIVIDE) {
            SetCursor(LoadStandardCursor(IDC_SIZEWE));
            m_MouseMode = MOUSE_OVER_COL_DIVIDE;
        }
    } else if (m_bAllowRowResize && MouseOverRowResizeArea(point)) {
        if (m_MouseMode != MOUSE_OVER_ROW_DIVIDE) {
            SetCursor(LoadStandardCursor(IDC_SIZENS));
            m_MouseMode = MOUSE_OVER_ROW_DIVIDE;
        }
    } else if (m_MouseMode != MOUSE_NOTHING) {
        SetCursor(LoadStandardCursor(IDC_ARROW));
        m_MouseMode = MOUSE_NOTHING;
    }
}

// Shows the cell's whole tip text over its text rectangle, unless the cell is being edited.
void CGridCtrl::ShowTitleTip(const CCellID& cell)
{
    CGridCellBase* pCell = GetCell(cell.row, cell.col);
    if (!pCell || !m_TitleTip.GetSafeHwnd())
        return;
    LPCTSTR pszTip = pCell->GetTipText();
    if (!pszTip || !*pszTip || pCell->IsEditing())
        return;

    CRect rectCell, rectText;
    if (!GetCellRect(cell, rectCell))
        return;
    rectText = rectCell;
    if (!pCell->GetTipTextRect(rectText))
        return;
    m_TitleTip.Show(rectText, pszTip, 0, rectCell, pCell->GetFont(), m_crTTipTextClr, m_crTTipBackClr);
}

// ---------------------------------------------------------------------------------------------
// The mouse, the keyboard and the clipboard

CPoint CGridCtrl::GetPointClicked(int nRow, int nCol, const CPoint& point)
{
    CPoint ptOrigin;
    if (!GetCellOrigin(nRow, nCol, &ptOrigin))
        return CPoint(0, 0);
    const CSize offset = point - ptOrigin;
    return CPoint(offset.cx, offset.cy);
}

void CGridCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    SetFocus();
    m_bLMouseButtonDown = TRUE;
    m_LeftClickDownPoint = point;
    m_LeftClickDownCell = GetCellFromPt(point);
    if (!IsValid(m_LeftClickDownCell))
        return;

    m_SelectionStartCell = (nFlags & MK_SHIFT) ? m_idCurrentCell : m_LeftClickDownCell;
    EndEditing();
    const CCellID cell = m_LeftClickDownCell;
    if (CGridCellBase* pCell = GetCell(cell.row, cell.col))
        pCell->OnClickDown(GetPointClicked(cell.row, cell.col, point));

    // A press on the focus cell only prepares an edit; its release decides.
    if (cell == m_idCurrentCell) {
        if (IsCellEditable(cell))
            m_MouseMode = MOUSE_PREPARE_EDIT;
        return;
    }
    if (!MoveFocusOnPress(nFlags))
        return;

    SetCapture();
    if (m_MouseMode == MOUSE_NOTHING)
        UpdateDividerMode(point);
    if (m_MouseMode == MOUSE_OVER_COL_DIVIDE || m_MouseMode == MOUSE_OVER_ROW_DIVIDE)
        BeginSizing(point);
    else if (m_MouseMode != MOUSE_PREPARE_DRAG)
        BeginSelecting(nFlags);
    m_LastMousePoint = point;
}

// The focus follows a press on a cell that is not selected. Ctrl on a selected cell takes it
// out of the selection and ends the press there (FALSE).
BOOL CGridCtrl::MoveFocusOnPress(UINT nFlags)
{
    const CCellID cell = m_LeftClickDownCell;
    if (IsCellSelected(cell)) {
        if (!(nFlags & MK_CONTROL))
            return TRUE;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GVIS_SELECTED);
        SetFocusCell(cell);
        RedrawCell(cell);
        return FALSE;
    }
    if (m_MouseMode != MOUSE_OVER_COL_DIVIDE && m_MouseMode != MOUSE_OVER_ROW_DIVIDE) {
        SetFocusCell(-1, -1);
        if (m_nRows > m_nFixedRows && m_nCols > m_nFixedCols)
            SetFocusCell(std::max(cell.row, m_nFixedRows), std::max(cell.col, m_nFixedCols));
    }
    return TRUE;
}

// Starts a mouse selection from the pressed cell; with Ctrl the old selection is kept.
void CGridCtrl::BeginSelecting(UINT nFlags)
{
    m_PrevSelectedCellMap.clear();
    if (nFlags & MK_CONTROL)
        m_PrevSelectedCellMap = m_SelectedCellMap;

    if (m_LeftClickDownCell.row < m_nFixedRows) {
        OnFixedRowClick(m_LeftClickDownCell);
    } else if (m_LeftClickDownCell.col < m_nFixedCols) {
        OnFixedColumnClick(m_LeftClickDownCell);
    } else {
        m_MouseMode = MOUSE_SELECT_CELLS;
        OnSelecting(m_LeftClickDownCell);
    }
    m_nTimerID = SetTimer(WM_LBUTTONDOWN, (UINT)m_nTimerInterval);
}

// A heading-row cell selects its column, the corner everything.
void CGridCtrl::OnFixedRowClick(CCellID& cell)
{
    if (!IsValid(cell))
        return;
    m_MouseMode = cell.col < m_nFixedCols ? MOUSE_SELECT_ALL : MOUSE_SELECT_COL;
    OnSelecting(cell);
}

// A heading-column cell selects its row, the corner everything.
void CGridCtrl::OnFixedColumnClick(CCellID& cell)
{
    if (!IsValid(cell))
        return;
    m_MouseMode = cell.row < m_nFixedRows ? MOUSE_SELECT_ALL : MOUSE_SELECT_ROW;
    OnSelecting(cell);
}

// Inverts the 2-pixel tracking band of a divider drag; inverting it again erases it.
void CGridCtrl::InvertTrackingLine(int nPos, BOOL bColumn)
{
    CDC* pDC = GetDC();
    if (!pDC)
        return;
    CRect rect;
    GetClientRect(rect);
    if (bColumn) {
        rect.left = nPos;
        rect.right = nPos + 2;
    } else {
        rect.top = nPos;
        rect.bottom = nPos + 2;
    }
    pDC->InvertRect(rect);
    ReleaseDC(pDC);
}

// A press on a divider sizes the column left of it (the row above it). The pointer is then
// kept right of (below) the origin of that column (row), so it cannot become narrower than 0.
void CGridCtrl::BeginSizing(CPoint point)
{
    const BOOL bColumn = m_MouseMode == MOUSE_OVER_COL_DIVIDE;
    m_MouseMode = bColumn ? MOUSE_SIZING_COL : MOUSE_SIZING_ROW;

    CPoint ptStart;
    const CCellID cellStart = bColumn ? CCellID(0, m_LeftClickDownCell.col) : m_LeftClickDownCell;
    if (!GetCellOrigin(cellStart, &ptStart))
        return;
    InvertTrackingLine(bColumn ? point.x : point.y, bColumn);

    // Just past the leading edge: the divider belongs to the column (row) before.
    if (bColumn && point.x - ptStart.x <= m_nResizeCaptureRange) {
        m_LeftClickDownCell.col--;
        if (!GetCellOrigin(0, m_LeftClickDownCell.col, &ptStart))
            return;
    } else if (!bColumn && point.y - ptStart.y <= m_nResizeCaptureRange) {
        m_LeftClickDownCell.row--;
        if (!GetCellOrigin(m_LeftClickDownCell, &ptStart))
            return;
    }

    CRect rectClip;
    GetClientRect(rectClip);
    if (bColumn)
        rectClip.left = ptStart.x;
    else
        rectClip.top = ptStart.y;
    ClientToScreen(rectClip);
    ClipCursor(rectClip);
}

// Erases the tracking band and gives the column (row) its new size, unless the pointer came
// back to where it was pressed.
void CGridCtrl::EndSizing(CPoint point)
{
    const BOOL bColumn = m_MouseMode == MOUSE_SIZING_COL;
    InvertTrackingLine(bColumn ? m_LastMousePoint.x : m_LastMousePoint.y, bColumn);
    if (point == m_LeftClickDownPoint)
        return;

    CPoint ptStart;
    if (!GetCellOrigin(m_LeftClickDownCell, &ptStart))
        return;
    // The confinement keeps the pointer past the origin; a view moved meanwhile may not.
    if (bColumn)
        SetColumnWidth(m_LeftClickDownCell.col, std::max<int>(0, point.x - ptStart.x));
    else
        SetRowHeight(m_LeftClickDownCell.row, std::max<int>(0, point.y - ptStart.y));
    ResetScrollBars();
    Invalidate();
}

void CGridCtrl::OnMouseMoveWithButton(CPoint point)
{
    switch (m_MouseMode) {
    case MOUSE_SELECT_ALL:
    case MOUSE_SELECT_COL:
    case MOUSE_SELECT_ROW:
    case MOUSE_SELECT_CELLS: {
        const CCellID cell = GetCellFromPt(point);
        if (!IsValid(cell))
            return;
        if (cell != m_idCurrentCell) {
            OnSelecting(cell);
            const BOOL bDataCell = cell.row >= m_nFixedRows && cell.col >= m_nFixedCols;
            if (bDataCell || m_MouseMode == MOUSE_SELECT_COL || m_MouseMode == MOUSE_SELECT_ROW)
                SetFocusCell(cell);
        }
        break;
    }
    case MOUSE_SIZING_COL:
        InvertTrackingLine(m_LastMousePoint.x, TRUE);
        InvertTrackingLine(point.x, TRUE);
        break;
    case MOUSE_SIZING_ROW:
        InvertTrackingLine(m_LastMousePoint.y, FALSE);
        InvertTrackingLine(point.y, FALSE);
        break;
    case MOUSE_PREPARE_EDIT:
    case MOUSE_PREPARE_DRAG:
        m_MouseMode = MOUSE_PREPARE_DRAG;
        BeginCellDrag();
        break;
    default:
        break;
    }
    m_LastMousePoint = point;
}

void CGridCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    CWnd::OnLButtonUp(nFlags, point);
    m_bLMouseButtonDown = FALSE;
    ClipCursor(nullptr);

    CWnd* pCapture = GetCapture();
    const BOOL bHadCapture = pCapture && pCapture->GetSafeHwnd() == GetSafeHwnd();
    if (bHadCapture) {
        ReleaseCapture();
        KillTimer(m_nTimerID);
        m_nTimerID = 0;
    }

    switch (m_MouseMode) {
    case MOUSE_PREPARE_EDIT:
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col,
                   GetPointClicked(m_idCurrentCell.row, m_idCurrentCell.col, point), VK_LBUTTON);
        break;
    case MOUSE_PREPARE_DRAG:
        ClickFocusCell(point);
        ResetSelectedRange();
        break;
    case MOUSE_SIZING_COL:
    case MOUSE_SIZING_ROW:
        EndSizing(point);
        break;
    default:
        ClickFocusCell(point);
        break;
    }

    m_MouseMode = MOUSE_NOTHING;
    SetCursor(LoadStandardCursor(IDC_ARROW));
    PostClickedCommand();

    // Releasing the capture counts as a move of the pointer: over a divider it is ready to
    // size (or fit, with a double click) again at once.
    CRect rect;
    GetClientRect(rect);
    if (bHadCapture && rect.PtInRect(point))
        UpdateDividerMode(point);
}

// The cell's click notification and NM_CLICK for the pressed cell.
void CGridCtrl::ClickFocusCell(CPoint point)
{
    if (CGridCellBase* pCell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col))
        pCell->OnClick(GetPointClicked(m_idCurrentCell.row, m_idCurrentCell.col, point));
    SendMessageToParent(m_LeftClickDownCell.row, m_LeftClickDownCell.col, NM_CLICK);
}

// Every release after a press on a cell tells the owner as a button click would.
void CGridCtrl::PostClickedCommand()
{
    if (!IsValid(m_LeftClickDownCell))
        return;
    CWnd* pOwner = GetOwner();
    if (IsWindow(CWnd::GetSafeHwnd(pOwner)))
        pOwner->PostMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(GetDlgCtrlID(), BN_CLICKED),
                            reinterpret_cast<LPARAM>(GetSafeHwnd()));
}

void CGridCtrl::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    TRACE("CGridCtrl::OnLButtonDblClk\n");
    const CCellID cell = GetCellFromPt(point);
    if (!IsValid(cell))
        return;

    if (m_MouseMode == MOUSE_OVER_COL_DIVIDE || m_MouseMode == MOUSE_OVER_ROW_DIVIDE) {
        if (!FitDividerCell(cell, point))
            return;
    } else if (m_MouseMode == MOUSE_NOTHING) {
        const CPoint ptCell = GetPointClicked(cell.row, cell.col, point);
        if (cell.row >= m_nFixedRows && cell.col >= m_nFixedCols && IsValid(m_LeftClickDownCell))
            OnEditCell(cell.row, cell.col, ptCell, VK_LBUTTON);
        if (CGridCellBase* pCell = GetCell(cell.row, cell.col))
            pCell->OnDblClick(ptCell);
        SendMessageToParent(cell.row, cell.col, NM_DBLCLK);
    }
    CWnd::OnLButtonDblClk(nFlags, point);
}

// Fits the nearest shown column left of (row above) the divider under the pointer to its
// contents, headings included. FALSE when nothing could be fitted.
BOOL CGridCtrl::FitDividerCell(CCellID cell, CPoint point)
{
    const BOOL bColumn = m_MouseMode == MOUSE_OVER_COL_DIVIDE;
    CPoint ptStart;
    if (!GetCellOrigin(bColumn ? CCellID(0, cell.col) : cell, &ptStart))
        return FALSE;

    if (bColumn) {
        int col = cell.col;
        if (point.x - ptStart.x <= m_nResizeCaptureRange)
            col--;
        while (col >= 0 && GetColumnWidth(col) <= 0)
            col--;
        if (col < 0)
            return FALSE;
        AutoSizeColumn(col);
    } else {
        int row = cell.row;
        if (point.y - ptStart.y <= m_nResizeCaptureRange)
            row--;
        while (row >= 0 && GetRowHeight(row) <= 0)
            row--;
        if (row < 0)
            return FALSE;
        AutoSizeRow(row);
    }
    Invalidate();
    return TRUE;
}

// Moves the focus to the clicked cell (into the data area) without touching the selection.
void CGridCtrl::OnRButtonUp(UINT nFlags, CPoint point)
{
    CWnd::OnRButtonUp(nFlags, point);
    const CCellID cell = GetCellFromPt(point);
    EndEditing();
    if (!IsValid(cell)) {
        SendMessageToParent(-1, -1, NM_RCLICK);
        return;
    }

    SetFocusCell(-1, -1);
    SetFocusCell(std::max(cell.row, m_nFixedRows), std::max(cell.col, m_nFixedCols));
    const CCellID focus = m_idCurrentCell;
    if (CGridCellBase* pCell = GetCell(focus.row, focus.col))
        pCell->OnRClick(GetPointClicked(focus.row, focus.col, point));
    SendMessageToParent(focus.row, focus.col, NM_RCLICK);
}

// Scrolls by lines (or pages, with -1 rows per notch); focus and selection stay.
BOOL CGridCtrl::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    PostWheelScrolls(WM_VSCROLL, zDelta);
    return CWnd::OnMouseWheel(nFlags, zDelta, pt);
}

// Sideways the same by columns: as many per notch as rows go down.
void CGridCtrl::OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt)
{
    PostWheelScrolls(WM_HSCROLL, -zDelta);
    CWnd::OnMouseHWheel(nFlags, zDelta, pt);
}

// A positive delta scrolls back (up, left), a negative one on.
void CGridCtrl::PostWheelScrolls(UINT nMessage, int nDelta)
{
    const BOOL bPages = m_nRowsPerWheelNotch == -1;
    const int nSteps = bPages ? nDelta / 120 : nDelta * m_nRowsPerWheelNotch / 120;
    const UINT nCode = nSteps > 0 ? (bPages ? SB_PAGEUP : SB_LINEUP) : (bPages ? SB_PAGEDOWN : SB_LINEDOWN);
    for (int i = 0; i < std::abs(nSteps); i++)
        PostMessage(nMessage, nCode, 0);
}

// ---------------------------------------------------------------------------------------------
// Keyboard

void CGridCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (!IsValid(m_idCurrentCell)) {
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    const BOOL bCtrl = GetKeyState(VK_CONTROL) < 0;
    const BOOL bShift = GetKeyState(VK_SHIFT) < 0;
    if (bCtrl)
        OnClipboardKey(nChar);
    if (bShift && nChar == VK_INSERT)
        OnEditPaste();

    CCellID next = m_idCurrentCell;
    BOOL bChangeLine = FALSE;
    if (!NextCellForKey(nChar, bCtrl, bShift, next, bChangeLine)) {
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    if (next == m_idCurrentCell)
        return;

    // The new focus cell alone, or with Shift the block from the anchor to it.
    if (m_MouseMode == MOUSE_NOTHING) {
        m_PrevSelectedCellMap.clear();
        m_MouseMode = MOUSE_SELECT_CELLS;
        if (!bShift || nChar == VK_TAB)
            m_SelectionStartCell = next;
        OnSelecting(next);
        m_MouseMode = MOUSE_NOTHING;
    }
    SetFocusCell(next);
    if (!IsCellVisible(next))
        ScrollToKeyedCell(next, nChar, bShift, bChangeLine);
}

void CGridCtrl::OnClipboardKey(UINT nChar)
{
    switch (nChar) {
    case 'C':
    case VK_INSERT: OnEditCopy(); break;
    case 'X': OnEditCut(); break;
    case 'V': OnEditPaste(); break;
    case 'A': OnEditSelectAll(); break;
    default: break;
    }
}

// Where a navigation key takes the focus. FALSE for a key that is passed on instead: one the
// grid does not handle, or Tab with nowhere to go.
BOOL CGridCtrl::NextCellForKey(UINT nChar, BOOL bCtrl, BOOL bShift, CCellID& next, BOOL& bChangeLine)
{
    switch (nChar) {
    case VK_DOWN: next.row = NextShownRow(next.row, +1); break;
    case VK_UP: next.row = NextShownRow(next.row, -1); break;
    case VK_RIGHT: next.col = NextShownColumn(next.col, +1); break;
    case VK_LEFT: next.col = NextShownColumn(next.col, -1); break;
    case VK_NEXT: next.row = RowAfterPage(next.row, SB_PAGEDOWN); break;
    case VK_PRIOR: next.row = RowAfterPage(next.row, SB_PAGEUP); break;
    case VK_HOME: HomeEndCell(next, bCtrl, TRUE); break;
    case VK_END: HomeEndCell(next, bCtrl, FALSE); break;
    case VK_TAB:
        return TabCell(next, bShift, bChangeLine);   // nowhere to go: the key is passed on
    case VK_DELETE: ClearFocusCell(); break;
    case VK_F2:
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), VK_LBUTTON);
        break;
    default:
        return FALSE;
    }
    return TRUE;
}

// The next row of height above 0 in the direction, or nRow when there is none (upwards not
// into the heading rows).
int CGridCtrl::NextShownRow(int nRow, int nStep) const
{
    for (int row = nRow + nStep; row >= m_nFixedRows && row < m_nRows; row += nStep)
        if (GetRowHeight(row) > 0)
            return row;
    return nRow;
}

int CGridCtrl::NextShownColumn(int nCol, int nStep) const
{
    for (int col = nCol + nStep; col >= m_nFixedCols && col < m_nCols; col += nStep)
        if (GetColumnWidth(col) > 0)
            return col;
    return nCol;
}

// Scrolls a page and moves the row as far as the view moved; a view that could not move
// sends the focus to the last (first data) row.
int CGridCtrl::RowAfterPage(int nRow, UINT nSBCode)
{
    const int nTopBefore = GetTopleftNonFixedCell().row;
    SendMessage(WM_VSCROLL, nSBCode, 0);
    const int nMoved = GetTopleftNonFixedCell().row - nTopBefore;
    if (nSBCode == SB_PAGEDOWN)
        return nMoved > 0 ? std::min(nRow + nMoved, m_nRows - 1) : m_nRows - 1;
    return nMoved < 0 ? std::max(nRow + nMoved, m_nFixedRows) : m_nFixedRows;
}

// Home goes to the first data column (with Ctrl the first data cell), End to the last column
// (with Ctrl the last cell), both onto shown columns and rows.
void CGridCtrl::HomeEndCell(CCellID& next, BOOL bCtrl, BOOL bHome)
{
    const UINT nSBCode = bHome ? SB_TOP : SB_BOTTOM;
    SendMessage(WM_HSCROLL, nSBCode, 0);
    next.col = bHome ? m_nFixedCols : m_nCols - 1;
    if (bCtrl) {
        SendMessage(WM_VSCROLL, nSBCode, 0);
        next.row = bHome ? m_nFixedRows : m_nRows - 1;
    }
    if (bHome) {
        while (next.col < m_nCols - 1 && GetColumnWidth(next.col) == 0)
            next.col++;
        while (next.row < m_nRows - 1 && GetRowHeight(next.row) == 0)
            next.row++;
    } else {
        while (next.col > m_nFixedCols && GetColumnWidth(next.col) == 0)
            next.col--;
        while (next.row > m_nFixedRows && GetRowHeight(next.row) == 0)
            next.row--;
    }
}

// Tab runs along the row and on into the next one; Shift+Tab back. Hidden columns count.
// FALSE at the end (start) of the table.
BOOL CGridCtrl::TabCell(CCellID& next, BOOL bShift, BOOL& bChangeLine)
{
    if (!bShift) {
        if (next.col < m_nCols - 1) {
            next.col++;
        } else if (next.row < m_nRows - 1) {
            next.row++;
            next.col = m_nFixedCols;
            bChangeLine = TRUE;
        } else {
            return FALSE;
        }
        return TRUE;
    }
    if (next.col > m_nFixedCols) {
        next.col--;
    } else if (next.row > m_nFixedRows) {
        next.row--;
        next.col = m_nCols - 1;
        bChangeLine = TRUE;
    } else {
        return FALSE;
    }
    return TRUE;
}

// Delete empties the focus cell only, as an edit would.
void CGridCtrl::ClearFocusCell()
{
    const CCellID cell = m_idCurrentCell;
    if (!IsCellEditable(cell))
        return;
    SendMessageToParent(cell.row, cell.col, GVN_BEGINLABELEDIT);
    SetItemText(cell.row, cell.col, "");
    SetModified(TRUE, cell.row, cell.col);
    SendMessageToParent(cell.row, cell.col, GVN_ENDLABELEDIT);
    RedrawCell(cell);
}

// Brings the new focus cell into view, then one step further in the key's direction.
void CGridCtrl::ScrollToKeyedCell(const CCellID& next, UINT nChar, BOOL bShift, BOOL bChangeLine)
{
    EnsureVisible(next);
    switch (nChar) {
    case VK_RIGHT: SendMessage(WM_HSCROLL, SB_LINEDOWN, 0); break;
    case VK_LEFT: SendMessage(WM_HSCROLL, SB_LINEUP, 0); break;
    case VK_DOWN: SendMessage(WM_VSCROLL, SB_LINEDOWN, 0); break;
    case VK_UP: SendMessage(WM_VSCROLL, SB_LINEUP, 0); break;
    case VK_TAB:
        if (bChangeLine) {
            SendMessage(WM_VSCROLL, bShift ? SB_LINEUP : SB_LINEDOWN, 0);
            SetScrollPos32(SB_HORZ, bShift ? m_nHScrollMax : 0);
        } else {
            SendMessage(WM_HSCROLL, bShift ? SB_LINEUP : SB_LINEDOWN, 0);
        }
        break;
    default:
        break;
    }
    Invalidate();
}

// A typed character starts editing the focus cell with it; Esc and the grid's own Tab do not.
void CGridCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const BOOL bCtrl = GetKeyState(VK_CONTROL) < 0;
    if (!bCtrl && m_MouseMode == MOUSE_NOTHING && nChar != VK_ESCAPE && !(nChar == VK_TAB && m_bHandleTabKey))
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nChar);
    CWnd::OnChar(nChar, nRepCnt, nFlags);
}

// Alt keys belong to the window system (menus, the dialog's mnemonics), never to navigation.
void CGridCtrl::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CWnd::OnSysKeyDown(nChar, nRepCnt, nFlags);
}
