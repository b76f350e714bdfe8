// CGridCtrl, continued: row heights and column widths, cell geometry and hit testing, the
// focus cell and the selection.
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

// Positions are sums of column widths and row heights. A sum that would pass the largest
// coordinate stays there, so that huge extents cannot wrap a position round to a negative one.
int CGridCtrl::AddExtent(int nPos, int nExtent)
{
    return (int)std::clamp<int64_t>((int64_t)nPos + nExtent, INT_MIN, INT_MAX);
}

// ---------------------------------------------------------------------------------------------
// Row heights and column widths

int CGridCtrl::GetRowHeight(int nRow) const
{
    ASSERT(nRow >= 0 && nRow < (int)m_arRowHeights.size());
    if (nRow < 0 || nRow >= (int)m_arRowHeights.size())
        return -1;
    return (int)m_arRowHeights[(size_t)nRow];
}

BOOL CGridCtrl::SetRowHeight(int nRow, int height)
{
    if (nRow < 0 || nRow >= (int)m_arRowHeights.size() || height < 0)
        return FALSE;
    m_arRowHeights[(size_t)nRow] = (UINT)std::min<int>(height, MAX_CELL_EXTENT);
    ResetScrollBars();
    return TRUE;
}

int CGridCtrl::GetColumnWidth(int nCol) const
{
    ASSERT(nCol >= 0 && nCol < (int)m_arColWidths.size());
    if (nCol < 0 || nCol >= (int)m_arColWidths.size())
        return -1;
    return (int)m_arColWidths[(size_t)nCol];
}

BOOL CGridCtrl::SetColumnWidth(int nCol, int width)
{
    if (nCol < 0 || nCol >= (int)m_arColWidths.size() || width < 0)
        return FALSE;
    m_arColWidths[(size_t)nCol] = (UINT)std::min<int>(width, MAX_CELL_EXTENT);
    ResetScrollBars();
    return TRUE;
}

int CGridCtrl::GetFixedRowHeight() const
{
    int nHeight = 0;
    for (int row = 0; row < m_nFixedRows; row++)
        nHeight = AddExtent(nHeight, GetRowHeight(row));
    return nHeight;
}

int CGridCtrl::GetFixedColumnWidth() const
{
    int nWidth = 0;
    for (int col = 0; col < m_nFixedCols; col++)
        nWidth = AddExtent(nWidth, GetColumnWidth(col));
    return nWidth;
}

long CGridCtrl::GetVirtualHeight() const
{
    int64_t lHeight = 0;
    for (UINT nHeight : m_arRowHeights)
        lHeight += nHeight;
    return (long)std::min<int64_t>(lHeight, INT_MAX);
}

long CGridCtrl::GetVirtualWidth() const
{
    int64_t lWidth = 0;
    for (UINT nWidth : m_arColWidths)
        lWidth += nWidth;
    return (long)std::min<int64_t>(lWidth, INT_MAX);
}

// ---------------------------------------------------------------------------------------------
// Geometry: client coordinates of the grid window; the scroll positions are pixel offsets
// into the non-fixed part.

CCellID CGridCtrl::GetTopleftNonFixedCell() const
{
    CGridCtrl* pThis = const_cast<CGridCtrl*>(this);
    const int nVertScroll = GetSafeHwnd() ? pThis->GetScrollPos32(SB_VERT) : 0;
    const int nHorzScroll = GetSafeHwnd() ? pThis->GetScrollPos32(SB_HORZ) : 0;

    int nColumn = m_nFixedCols, nRight = 0;
    while (nRight < nHorzScroll && nColumn < m_nCols - 1)
        nRight = AddExtent(nRight, GetColumnWidth(nColumn++));

    int nRow = m_nFixedRows, nTop = 0;
    while (nTop < nVertScroll && nRow < m_nRows - 1)
        nTop = AddExtent(nTop, GetRowHeight(nRow++));

    return CCellID(nRow, nColumn);
}

CCellRange CGridCtrl::GetVisibleNonFixedCellRange(LPRECT pRect) const
{
    CRect rect;
    if (GetSafeHwnd())
        GetClientRect(&rect);
    const CCellID idTopLeft = GetTopleftNonFixedCell();

    int bottom = GetFixedRowHeight();
    int row = idTopLeft.row;
    for (; row < m_nRows; row++) {
        bottom = AddExtent(bottom, GetRowHeight(row));
        if (bottom >= rect.bottom) {
            bottom = rect.bottom;
            break;
        }
    }
    const int nMaxVisibleRow = std::min(row, m_nRows - 1);

    int right = GetFixedColumnWidth();
    int col = idTopLeft.col;
    for (; col < m_nCols; col++) {
        right = AddExtent(right, GetColumnWidth(col));
        if (right >= rect.right) {
            right = rect.right;
            break;
        }
    }
    const int nMaxVisibleCol = std::min(col, m_nCols - 1);

    if (pRect) {
        pRect->left = pRect->top = 0;
        pRect->right = right;
        pRect->bottom = bottom;
    }
    return CCellRange(idTopLeft.row, idTopLeft.col, nMaxVisibleRow, nMaxVisibleCol);
}

CCellRange CGridCtrl::GetCellRange() const
{
    return CCellRange(0, 0, m_nRows - 1, m_nCols - 1);
}

BOOL CGridCtrl::GetCellOrigin(int nRow, int nCol, LPPOINT p) const
{
    if (!IsValid(nRow, nCol) || !p)
        return FALSE;

    CCellID idTopLeft;
    if (nCol >= m_nFixedCols || nRow >= m_nFixedRows)
        idTopLeft = GetTopleftNonFixedCell();
    // Scrolled out above or to the left.
    if ((nRow >= m_nFixedRows && nRow < idTopLeft.row) || (nCol >= m_nFixedCols && nCol < idTopLeft.col))
        return FALSE;

    p->x = 0;
    if (nCol < m_nFixedCols) {
        for (int col = 0; col < nCol; col++)
            p->x = AddExtent(p->x, GetColumnWidth(col));
    } else {
        p->x = GetFixedColumnWidth();
        for (int col = idTopLeft.col; col < nCol; col++)
            p->x = AddExtent(p->x, GetColumnWidth(col));
    }

    p->y = 0;
    if (nRow < m_nFixedRows) {
        for (int row = 0; row < nRow; row++)
            p->y = AddExtent(p->y, GetRowHeight(row));
    } else {
        p->y = GetFixedRowHeight();
        for (int row = idTopLeft.row; row < nRow; row++)
            p->y = AddExtent(p->y, GetRowHeight(row));
    }
    return TRUE;
}

BOOL CGridCtrl::GetCellRect(int nRow, int nCol, LPRECT pRect) const
{
    CPoint CellOrigin;
    if (!pRect || !GetCellOrigin(nRow, nCol, &CellOrigin))
        return FALSE;
    pRect->left = CellOrigin.x;
    pRect->top = CellOrigin.y;
    pRect->right = AddExtent(CellOrigin.x, GetColumnWidth(nCol)) - 1;
    pRect->bottom = AddExtent(CellOrigin.y, GetRowHeight(nRow)) - 1;
    return TRUE;
}

// The index whose extent holds pos, adding sizes from nFirst on starting at nStart; nLast + 1
// when the sizes run out first.
static int IndexAt(const std::vector<UINT>& arSizes, int nFirst, int nLast, int nStart, int pos)
{
    int index = nFirst;
    for (int edge = nStart; index <= nLast; index++) {
        edge = CGridCtrl::AddExtent(edge, (int)arSizes[(size_t)index]);
        if (edge > pos)
            break;
    }
    return index;
}

CCellID CGridCtrl::GetCellFromPt(CPoint point, BOOL bAllowFixed) const
{
    CCellID cellID;
    const CCellID idTopLeft = GetTopleftNonFixedCell();
    if (!IsValid(idTopLeft))
        return cellID;

    const int nFixedColWidth = GetFixedColumnWidth();
    if (point.x < 0 || (!bAllowFixed && point.x < nFixedColWidth))
        cellID.col = -1;
    else if (point.x < nFixedColWidth)
        cellID.col = IndexAt(m_arColWidths, 0, m_nFixedCols - 1, 0, point.x);
    else {
        const int col = IndexAt(m_arColWidths, idTopLeft.col, m_nCols - 1, nFixedColWidth, point.x);
        cellID.col = col < m_nCols ? col : -1;
    }

    const int nFixedRowHeight = GetFixedRowHeight();
    if (point.y < 0 || (!bAllowFixed && point.y < nFixedRowHeight))
        cellID.row = -1;
    else if (point.y < nFixedRowHeight)
        cellID.row = IndexAt(m_arRowHeights, 0, m_nFixedRows - 1, 0, point.y);
    else {
        const int row = IndexAt(m_arRowHeights, idTopLeft.row, m_nRows - 1, nFixedRowHeight, point.y);
        cellID.row = row < m_nRows ? row : -1;
    }
    return cellID;
}

BOOL CGridCtrl::MouseOverRowResizeArea(CPoint& point) const
{
    // Rows are resized at their dividers in the fixed columns only.
    if (point.x >= GetFixedColumnWidth())
        return FALSE;

    const CCellID idCurrentCell = GetCellFromPt(point);
    CPoint start;
    if (!GetCellOrigin(idCurrentCell, &start))
        return FALSE;

    const int endy = AddExtent(start.y, GetRowHeight(idCurrentCell.row));
    return (point.y - start.y <= m_nResizeCaptureRange && idCurrentCell.row != 0) ||
           endy - point.y <= m_nResizeCaptureRange;
}

BOOL CGridCtrl::MouseOverColumnResizeArea(CPoint& point) const
{
    if (point.y >= GetFixedRowHeight())
        return FALSE;

    const CCellID idCurrentCell = GetCellFromPt(point);
    CPoint start;
    if (!GetCellOrigin(idCurrentCell, &start))
        return FALSE;

    const int endx = AddExtent(start.x, GetColumnWidth(idCurrentCell.col));
    return (point.x - start.x <= m_nResizeCaptureRange && idCurrentCell.col != 0) ||
           endx - point.x <= m_nResizeCaptureRange;
}

BOOL CGridCtrl::AutoSizeColumn(int nCol, BOOL bIgnoreFixedRows)
{
    ASSERT(nCol >= 0 && nCol < m_nCols);
    if (nCol < 0 || nCol >= m_nCols || GetColumnWidth(nCol) <= 0)
        return FALSE;
    CDC* pDC = GetSafeHwnd() ? GetDC() : nullptr;
    if (!pDC)
        return FALSE;

    int nWidth = 0;
    for (int row = bIgnoreFixedRows ? m_nFixedRows : 0; row < m_nRows; row++)
        if (CGridCellBase* pCell = GetCell(row, nCol))
            nWidth = std::max(nWidth, (int)pCell->GetCellExtent(pDC).cx);

    m_arColWidths[(size_t)nCol] = (UINT)std::min<int>(nWidth, MAX_CELL_EXTENT);
    ReleaseDC(pDC);
    ResetScrollBars();
    return TRUE;
}

BOOL CGridCtrl::AutoSizeRow(int nRow)
{
    ASSERT(nRow >= 0 && nRow < m_nRows);
    if (nRow < 0 || nRow >= m_nRows || GetRowHeight(nRow) <= 0)
        return FALSE;
    CDC* pDC = GetSafeHwnd() ? GetDC() : nullptr;
    if (!pDC)
        return FALSE;

    int nHeight = 0;
    for (int col = 0; col < m_nCols; col++)
        if (CGridCellBase* pCell = GetCell(nRow, col))
            nHeight = std::max(nHeight, (int)pCell->GetCellExtent(pDC).cy);

    m_arRowHeights[(size_t)nRow] = (UINT)std::min<int>(nHeight, MAX_CELL_EXTENT);
    ReleaseDC(pDC);
    ResetScrollBars();
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Focus

// Repaints the headings of cell's column and row where they differ from other's, so the
// highlighted headings follow the focus.
void CGridCtrl::RedrawFixedCellsOf(const CCellID& cell, const CCellID& other)
{
    if (cell.col != other.col)
        for (int row = 0; row < m_nFixedRows; row++)
            RedrawCell(row, cell.col);
    if (cell.row != other.row)
        for (int col = 0; col < m_nFixedCols; col++)
            RedrawCell(cell.row, col);
}

CCellID CGridCtrl::SetFocusCell(CCellID cell)
{
    if (cell == m_idCurrentCell)
        return m_idCurrentCell;

    const CCellID idPrev = m_idCurrentCell;
    // The focus never rests on a heading.
    if (cell.row >= 0 && cell.row < m_nFixedRows)
        cell.row = m_nFixedRows;
    if (cell.col >= 0 && cell.col < m_nFixedCols)
        cell.col = m_nFixedCols;
    // Clamped onto the current focus: nothing changes, nothing to tell.
    if (cell == idPrev)
        return idPrev;

    m_idCurrentCell = cell;

    if (IsValid(idPrev)) {
        SendMessageToParent(idPrev.row, idPrev.col, GVN_SELCHANGING);
        SetItemState(idPrev.row, idPrev.col, GetItemState(idPrev.row, idPrev.col) & ~GVIS_FOCUSED);
        RedrawCell(idPrev);
        RedrawFixedCellsOf(idPrev, cell);
    }

    if (IsValid(cell)) {
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GVIS_FOCUSED);
        RedrawCell(cell);
        RedrawFixedCellsOf(cell, idPrev);
        SendMessageToParent(cell.row, cell.col, GVN_SELCHANGED);
    }
    return idPrev;
}

// ---------------------------------------------------------------------------------------------
// Selection

void CGridCtrl::RedrawSelectionChange(int nRow, int nCol, CDC* pDC, const CCellRange& visible)
{
    // Cells well outside the view have nothing on screen to repaint; selecting all cells
    // touches thousands of them, and this spares each its walk over the columns.
    if (nRow > visible.GetMaxRow() + 1 || nCol > visible.GetMaxCol() + 1 ||
        (nRow >= m_nFixedRows && nRow < visible.GetMinRow() - 1) ||
        (nCol >= m_nFixedCols && nCol < visible.GetMinCol() - 1))
        return;
    if (pDC)
        RedrawCell(nRow, nCol, pDC);
    else
        InvalidateCellRect(CCellID(nRow, nCol));
}

void CGridCtrl::SetSelectedRange(const CCellRange& Range, BOOL bForceRepaint)
{
    SetSelectedRange(Range.GetMinRow(), Range.GetMinCol(), Range.GetMaxRow(), Range.GetMaxCol(),
                     bForceRepaint);
}

void CGridCtrl::SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint)
{
    if (!m_bEnableSelection)
        return;
    CDC* pDC = (bForceRepaint && GetSafeHwnd()) ? GetDC() : nullptr;

    // Headings are never selected.
    auto clamp = [](int& n, int nFixed) {
        if (n >= 0 && n < nFixed)
            n = nFixed;
    };
    clamp(nMinRow, m_nFixedRows);
    clamp(nMaxRow, m_nFixedRows);
    clamp(nMinCol, m_nFixedCols);
    clamp(nMaxCol, m_nFixedCols);
    const CCellRange range(nMinRow, nMinCol, nMaxRow, nMaxCol);
    const CCellRange visible = GetVisibleNonFixedCellRange();

    const bool bAllSet = nMinRow >= 0 && nMinCol >= 0 && nMaxRow >= 0 && nMaxCol >= 0;
    const bool bRangeSelected =
        bAllSet && nMaxRow < m_nRows && nMaxCol < m_nCols && nMinRow <= nMaxRow && nMinCol <= nMaxCol;
    // The selection held when a Ctrl-extension began stays selected.
    const auto isKept = [this, bAllSet](int row, int col) {
        return bAllSet && !m_PrevSelectedCellMap.empty() &&
               m_PrevSelectedCellMap.count(SelectionKey(row, col)) != 0;
    };

    // Only the cells whose state changes are touched and repainted: those that stay selected
    // keep their entry, so selecting all of a table that is all selected walks it and no
    // more. Clearing the bit edits the map, so the leavers are gathered first.
    std::vector<CCellID> leaving;
    size_t nInRange = 0;
    for (auto it = m_SelectedCellMap.begin(); it != m_SelectedCellMap.end();) {
        const CCellID cell = it->second;
        if (!IsValid(cell)) {
            it = m_SelectedCellMap.erase(it);
            continue;
        }
        if (bRangeSelected && range.InRange(cell))
            nInRange++;
        else if (!isKept(cell.row, cell.col))
            leaving.push_back(cell);
        ++it;
    }
    for (const CCellID& cell : leaving) {
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GVIS_SELECTED);
        RedrawSelectionChange(cell.row, cell.col, pDC, visible);
    }

    const auto select = [&](int row, int col) {
        const UINT nState = GetItemState(row, col);
        if (nState & GVIS_SELECTED)
            return;
        SetItemState(row, col, nState | GVIS_SELECTED);
        RedrawSelectionChange(row, col, pDC, visible);
    };
    if (bAllSet)
        for (const auto& [key, cell] : m_PrevSelectedCellMap)
            if (IsValid(cell))
                select(cell.row, cell.col);
    // A range whose every cell is selected already has nothing to add.
    const size_t nRangeCells =
        bRangeSelected ? (size_t)(nMaxRow - nMinRow + 1) * (size_t)(nMaxCol - nMinCol + 1) : 0;
    if (bRangeSelected && nInRange < nRangeCells) {
        m_SelectedCellMap.reserve(nRangeCells);
        for (int row = nMinRow; row <= nMaxRow; row++)
            for (int col = nMinCol; col <= nMaxCol; col++)
                select(row, col);
    }

    if (pDC)
        ReleaseDC(pDC);
}

void CGridCtrl::ResetSelectedRange()
{
    m_PrevSelectedCellMap.clear();
    SetSelectedRange(-1, -1, -1, -1);
    SetFocusCell(-1, -1);
}

CCellRange CGridCtrl::GetSelectedCellRange() const
{
    CCellRange Selection(m_nRows, m_nCols, -1, -1);
    for (const auto& [key, cell] : m_SelectedCellMap) {
        Selection.SetMinRow(std::min(Selection.GetMinRow(), cell.row));
        Selection.SetMinCol(std::min(Selection.GetMinCol(), cell.col));
        Selection.SetMaxRow(std::max(Selection.GetMaxRow(), cell.row));
        Selection.SetMaxCol(std::max(Selection.GetMaxCol(), cell.col));
    }
    return Selection;
}

void CGridCtrl::SelectAllCells()
{
    if (!m_bEnableSelection)
        return;
    SetSelectedRange(m_nFixedRows, m_nFixedCols, m_nRows - 1, m_nCols - 1);
}

void CGridCtrl::SelectColumns(CCellID currentCell)
{
    if (!m_bEnableSelection || currentCell.col < m_nFixedCols || !IsValid(currentCell))
        return;
    SetSelectedRange(m_nFixedRows, std::min(m_SelectionStartCell.col, currentCell.col),
                     m_nRows - 1, std::max(m_SelectionStartCell.col, currentCell.col), FALSE);
}

void CGridCtrl::SelectRows(CCellID currentCell)
{
    if (!m_bEnableSelection || currentCell.row < m_nFixedRows || !IsValid(currentCell))
        return;
    SetSelectedRange(std::min(m_SelectionStartCell.row, currentCell.row), m_nFixedCols,
                     std::max(m_SelectionStartCell.row, currentCell.row), m_nCols - 1, FALSE);
}

void CGridCtrl::SelectCells(CCellID currentCell)
{
    if (!m_bEnableSelection || currentCell.row < m_nFixedRows || currentCell.col < m_nFixedCols ||
        !IsValid(currentCell))
        return;
    SetSelectedRange(std::min(m_SelectionStartCell.row, currentCell.row),
                     std::min(m_SelectionStartCell.col, currentCell.col),
                     std::max(m_SelectionStartCell.row, currentCell.row),
                     std::max(m_SelectionStartCell.col, currentCell.col), FALSE);
}

void CGridCtrl::OnSelecting(const CCellID& currentCell)
{
    if (!m_bEnableSelection)
        return;
    switch (m_MouseMode) {
    case MOUSE_SELECT_ALL: SelectAllCells(); break;
    case MOUSE_SELECT_COL: SelectColumns(currentCell); break;
    case MOUSE_SELECT_ROW: SelectRows(currentCell); break;
    case MOUSE_SELECT_CELLS: SelectCells(currentCell); break;
    default: break;
    }
}
