// CGridCtrl: construction, the cell model (counts, cells, item accessors, sizes), geometry,
// focus, selection, notifications and fonts; painting, scrolling, the cursor, the title tip and
// the auto-scroll timer; the mouse, the keyboard and the clipboard; in-place editing. Cells
// paint themselves; the grid paints backgrounds and lines around them.
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

IMPLEMENT_DYNCREATE(CGridCtrl, CObject)

#define GRIDCTRL_CLASSNAME "MFCGridCtrl"

// Positions are sums of column widths and row heights. A sum that would pass the largest
// coordinate stays there, so that huge extents cannot wrap a position round to a negative one.
static int AddExtent(int nPos, int nExtent)
{
    return (int)std::clamp<int64_t>((int64_t)nPos + nExtent, INT_MIN, INT_MAX);
}

CGridCtrl::CGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
{
    RegisterWindowClass();

    m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
    m_crWindowColour = GetSysColor(COLOR_WINDOW);
    m_cr3DFace = GetSysColor(COLOR_3DFACE);
    m_crShadow = GetSysColor(COLOR_3DSHADOW);
    m_crGridColour = RGB(192, 192, 192);

    m_nGridLines = GVL_BOTH;
    m_bEditable = TRUE;
    m_bModified = FALSE;
    m_bAllowDragAndDrop = FALSE;
    m_bListMode = FALSE;
    m_bSingleRowSelection = FALSE;
    m_bAllowDraw = TRUE;
    m_bEnableSelection = TRUE;
    m_bHandleTabKey = TRUE;
    m_bDoubleBuffer = TRUE;
    m_bTitleTips = TRUE;
    m_nBarState = 0;

    m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
    m_nMargin = 0;
    m_nDefCellWidth = 30;
    m_nDefCellHeight = 10;
    m_nVScrollMax = m_nHScrollMax = 0;
    m_pImageList = nullptr;

    m_MouseMode = MOUSE_NOTHING;
    m_bLMouseButtonDown = FALSE;
    m_nTimerID = 0;
    m_nTimerInterval = 25;
    m_nResizeCaptureRange = 3;
    m_bAllowRowResize = m_bAllowColumnResize = TRUE;
    m_nRowsPerWheelNotch = GetMouseScrollLines();
    m_pRtcDefault = RUNTIME_CLASS(CGridCell);

    // Drag and drop and the clipboard need no process-wide initialisation here, so there is
    // nothing to undo either.
    std::memset(&m_Logfont, 0, sizeof(m_Logfont));
    GetMessageFont(&m_Logfont);

    SetRowCount(nRows);
    SetColumnCount(nCols);
    SetFixedRowCount(nFixedRows);
    SetFixedColumnCount(nFixedCols);

    SetTitleTipTextClr(CLR_DEFAULT);
    SetTitleTipBackClr(CLR_DEFAULT);
    SetTextColor(m_crWindowText);
    SetTextBkColor(m_crWindowColour);
    SetBkColor(m_crShadow);
    SetFixedTextColor(m_crWindowText);
    SetFixedBkColor(m_cr3DFace);

    m_SelectedCellMap.clear();
    m_PrevSelectedCellMap.clear();
}

CGridCtrl::~CGridCtrl()
{
    // The windows go first: emptying the grid then neither repaints nor notifies an owner
    // that may itself be half destroyed.
    if (m_TitleTip.GetSafeHwnd())
        m_TitleTip.DestroyWindow();
    if (GetSafeHwnd())
        DestroyWindow();
    DeleteAllItems();
    m_Font.DeleteObject();
    // Text this grid copied stays on the clipboard after the program ends.
    if (COleDataSource::IsClipboardOwned())
        COleDataSource::FlushClipboard();
}

BOOL CGridCtrl::RegisterWindowClass()
{
    WNDCLASS wndcls;
    if (AfxGetClassInfo(GRIDCTRL_CLASSNAME, &wndcls))
        return TRUE;
    wndcls.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wndcls.hCursor = IDC_ARROW;
    wndcls.nBackgroundColor = COLOR_3DFACE;
    wndcls.lpszClassName = GRIDCTRL_CLASSNAME;
    return AfxRegisterClass(&wndcls);
}

BOOL CGridCtrl::Create(const RECT& rect, CWnd* pParentWnd, UINT nID, DWORD dwStyle)
{
    ASSERT(CWnd::GetSafeHwnd(pParentWnd));
    if (!CWnd::GetSafeHwnd(pParentWnd))
        return FALSE;
    if (!CWnd::Create(GRIDCTRL_CLASSNAME, nullptr, dwStyle | WS_HSCROLL | WS_VSCROLL, rect, pParentWnd, nID))
        return FALSE;

    if (m_bTitleTips && !m_TitleTip.GetSafeHwnd())
        m_TitleTip.Create(this);
    m_DropTarget.Register(this);

    m_arRowHeights.assign((size_t)m_nRows, (UINT)m_nDefCellHeight);
    m_arColWidths.assign((size_t)m_nCols, (UINT)m_nDefCellWidth);
    // The bars were computed before the sizes above; bring them in step.
    ResetScrollBars();
    return TRUE;
}

BOOL CGridCtrl::SubclassWindow(HWND hWnd)
{
    if (!CWnd::SubclassWindow(hWnd))
        return FALSE;
    if (m_bTitleTips && !m_TitleTip.GetSafeHwnd())
        m_TitleTip.Create(this);
    m_DropTarget.Register(this);
    return TRUE;
}

void CGridCtrl::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    CFont font;
    font.CreateFontIndirect(&m_Logfont);
    OnSetFont((WPARAM)&font, 0);
    font.DeleteObject();
}

// ---------------------------------------------------------------------------------------------
// Fonts, dialog codes, wheel, notifications

LRESULT CGridCtrl::OnSetFont(WPARAM hFont, LPARAM lParam)
{
    const LRESULT result = CWnd::OnSetFont(hFont, lParam);

    const CFont* pFont = reinterpret_cast<const CFont*>(hFont);
    LOGFONT lf;
    if (!pFont || !pFont->GetLogFont(&lf))
        return result;

    m_Logfont = lf;
    for (int row = 0; row < m_nRows; row++)
        for (int col = 0; col < m_nCols; col++)
            SetItemFont(row, col, &m_Logfont);

    m_Font.DeleteObject();
    m_Font.CreateFontIndirect(&m_Logfont);
    if (CDC* pDC = GetSafeHwnd() ? GetDC() : nullptr) {
        CFont* pOldFont = pDC->SelectObject(&m_Font);
        TEXTMETRIC tm;
        pDC->GetTextMetrics(&tm);
        m_nMargin = pDC->GetTextExtent(" ", 1).cx;
        pDC->SelectObject(pOldFont);
        ReleaseDC(pDC);
        m_nDefCellHeight = tm.tmHeight + tm.tmExternalLeading + tm.tmHeight / 4;
        m_nDefCellWidth = tm.tmAveCharWidth * 12 + 2 * m_nMargin;
    }

    if (GetSafeHwnd())
        Invalidate();
    return result;
}

LRESULT CGridCtrl::OnGetFont(WPARAM /*hFont*/, LPARAM /*lParam*/)
{
    return (LRESULT)(HFONT)&m_Font;
}

UINT CGridCtrl::OnGetDlgCode()
{
    UINT nCodes = DLGC_WANTARROWS | DLGC_WANTCHARS;
    // Ctrl+Tab stays with the dialog.
    if (m_bHandleTabKey && GetKeyState(VK_CONTROL) >= 0)
        nCodes |= DLGC_WANTTAB;
    return nCodes;
}

int CGridCtrl::GetMouseScrollLines()
{
    return (int)GetWheelScrollLines();
}

LRESULT CGridCtrl::SendMessageToParent(int nRow, int nCol, int nMessage) const
{
    if (!GetSafeHwnd())
        return 0;
    CWnd* pOwner = GetOwner();
    if (!CWnd::GetSafeHwnd(pOwner))
        return 0;

    NM_GRIDVIEW nmgv;
    nmgv.iRow = nRow;
    nmgv.iColumn = nCol;
    nmgv.hdr.hwndFrom = m_hWnd;
    nmgv.hdr.idFrom = GetDlgCtrlID();
    nmgv.hdr.code = (UINT)nMessage;
    return pOwner->SendMessage(WM_NOTIFY, nmgv.hdr.idFrom, (LPARAM)&nmgv);
}

// ---------------------------------------------------------------------------------------------
// Counts

BOOL CGridCtrl::SetRowCount(int nRows)
{
    ASSERT(nRows >= 0);
    if (nRows < 0)
        return FALSE;
    if (nRows == m_nRows)
        return TRUE;

    if (nRows < m_nFixedRows)
        m_nFixedRows = nRows;
    if (m_idCurrentCell.row >= nRows)
        SetFocusCell(-1, -1);

    const int nOldRows = m_nRows;
    for (int row = nRows; row < nOldRows; row++) {
        for (int col = 0; col < m_nCols; col++)
            DestroyCell(row, col);
        delete m_RowData[(size_t)row];
    }

    if (nRows > nOldRows && !AddRows(nRows))
        return FALSE;
    m_nRows = nRows;
    m_RowData.resize((size_t)nRows);
    m_arRowHeights.resize((size_t)nRows);

    SetModified(TRUE, -1, -1);
    ResetScrollBars();
    Refresh();
    return TRUE;
}

// Grows the table to nRows rows, or leaves it as it was when memory runs out on the way.
BOOL CGridCtrl::AddRows(int nRows)
{
    const int nOldRows = m_nRows;
    try {
        m_RowData.reserve((size_t)nRows);
        m_arRowHeights.resize((size_t)nRows, (UINT)m_nDefCellHeight);
        // Top to bottom, so that each new cell finds the cell above it in place.
        for (int row = nOldRows; row < nRows; row++) {
            m_RowData.push_back(new GRID_ROW((size_t)m_nCols, nullptr));
            m_nRows = row + 1;
            for (int col = 0; col < m_nCols; col++)
                (*m_RowData[(size_t)row])[(size_t)col] = CreateCell(row, col);
        }
    } catch (const std::bad_alloc&) {
        for (int row = nOldRows; row < m_nRows; row++) {
            for (int col = 0; col < m_nCols; col++)
                DestroyCell(row, col);
            delete m_RowData[(size_t)row];
        }
        m_nRows = nOldRows;
        m_RowData.resize((size_t)nOldRows);
        m_arRowHeights.resize((size_t)nOldRows);
        return FALSE;
    }
    return TRUE;
}

BOOL CGridCtrl::SetColumnCount(int nCols)
{
    ASSERT(nCols >= 0);
    if (nCols < 0)
        return FALSE;
    if (nCols == m_nCols)
        return TRUE;

    if (nCols < m_nFixedCols)
        m_nFixedCols = nCols;
    if (m_idCurrentCell.col >= nCols)
        SetFocusCell(-1, -1);

    const int nOldCols = m_nCols;
    for (int row = 0; row < m_nRows; row++)
        for (int col = nCols; col < nOldCols; col++)
            DestroyCell(row, col);

    m_nCols = nCols;
    m_arColWidths.resize((size_t)nCols);
    for (GRID_ROW* pRow : m_RowData)
        pRow->resize((size_t)nCols, nullptr);

    for (int col = nOldCols; col < nCols; col++)
        m_arColWidths[(size_t)col] = (UINT)m_nDefCellWidth;
    for (int row = 0; row < m_nRows; row++)
        for (int col = nOldCols; col < nCols; col++)
            (*m_RowData[(size_t)row])[(size_t)col] = CreateCell(row, col);

    SetModified(TRUE, -1, -1);
    ResetScrollBars();
    Refresh();
    return TRUE;
}

void CGridCtrl::SetCellFixed(int nRow, int nCol, BOOL bFixed)
{
    const UINT nState = GetItemState(nRow, nCol);
    SetItemState(nRow, nCol, bFixed ? (nState | GVIS_FIXED) : (nState & ~GVIS_FIXED));
    SetItemBkColour(nRow, nCol, CLR_DEFAULT);
    SetItemFgColour(nRow, nCol, CLR_DEFAULT);
}

BOOL CGridCtrl::SetFixedRowCount(int nFixedRows)
{
    if (nFixedRows == m_nFixedRows)
        return TRUE;
    ASSERT(nFixedRows >= 0);
    if (nFixedRows < 0)
        return FALSE;
    if (nFixedRows > m_nRows && !SetRowCount(nFixedRows))
        return FALSE;
    if (m_idCurrentCell.row < nFixedRows)
        SetFocusCell(-1, -1);

    // The cells of the fixed columns are fixed either way.
    for (int row = m_nFixedRows; row < nFixedRows; row++)
        for (int col = m_nFixedCols; col < m_nCols; col++)
            SetCellFixed(row, col, TRUE);
    for (int row = nFixedRows; row < m_nFixedRows; row++)
        for (int col = m_nFixedCols; col < m_nCols; col++)
            SetCellFixed(row, col, FALSE);

    m_nFixedRows = nFixedRows;
    Refresh();
    return TRUE;
}

BOOL CGridCtrl::SetFixedColumnCount(int nFixedCols)
{
    if (nFixedCols == m_nFixedCols)
        return TRUE;
    ASSERT(nFixedCols >= 0);
    if (nFixedCols < 0)
        return FALSE;
    if (nFixedCols > m_nCols && !SetColumnCount(nFixedCols))
        return FALSE;
    if (m_idCurrentCell.col < nFixedCols)
        SetFocusCell(-1, -1);

    for (int col = m_nFixedCols; col < nFixedCols; col++)
        for (int row = m_nFixedRows; row < m_nRows; row++)
            SetCellFixed(row, col, TRUE);
    for (int col = nFixedCols; col < m_nFixedCols; col++)
        for (int row = m_nFixedRows; row < m_nRows; row++)
            SetCellFixed(row, col, FALSE);

    m_nFixedCols = nFixedCols;
    Refresh();
    return TRUE;
}

BOOL CGridCtrl::DeleteAllItems()
{
    ResetSelectedRange();
    m_arColWidths.clear();
    m_arRowHeights.clear();

    for (int row = 0; row < m_nRows; row++) {
        for (int col = 0; col < m_nCols; col++)
            DestroyCell(row, col);
        delete m_RowData[(size_t)row];
    }
    m_RowData.clear();

    m_idCurrentCell = CCellID(-1, -1);
    m_nRows = m_nFixedRows = m_nCols = m_nFixedCols = 0;
    ResetScrollBars();
    SetModified(TRUE, -1, -1);
    // An emptied window must not keep showing the old cells.
    Refresh();
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Cells

CGridCellBase* CGridCtrl::GetCell(int nRow, int nCol) const
{
    if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols)
        return nullptr;
    const GRID_ROW* pRow = m_RowData[(size_t)nRow];
    if (!pRow || nCol >= (int)pRow->size())
        return nullptr;
    return (*pRow)[(size_t)nCol];
}

CGridCellBase* CGridCtrl::CreateCell(int nRow, int nCol)
{
    ASSERT(m_pRtcDefault && m_pRtcDefault->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)));
    if (!m_pRtcDefault || !m_pRtcDefault->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)))
        return nullptr;
    CObject* pObject = m_pRtcDefault->CreateObject();
    CGridCellBase* pCell = dynamic_cast<CGridCellBase*>(pObject);
    if (!pCell) {
        delete pObject;
        return nullptr;
    }

    pCell->SetGrid(this);
    pCell->SetFont(&m_Logfont);
    pCell->SetCoords(nRow, nCol);
    // A new cell continues the format of its column.
    if (nRow > 0 && nCol >= 0 && nCol < m_nCols)
        pCell->SetFormat(GetItemFormat(nRow - 1, nCol));
    if (nCol < m_nFixedCols || nRow < m_nFixedRows)
        pCell->SetState(pCell->GetState() | GVIS_FIXED);
    return pCell;
}

void CGridCtrl::DestroyCell(int nRow, int nCol)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return;
    // Clearing the state also takes the cell out of the selection.
    SetItemState(nRow, nCol, 0);
    delete pCell;
    (*m_RowData[(size_t)nRow])[(size_t)nCol] = nullptr;
}

BOOL CGridCtrl::SetCellType(int nRow, int nCol, const CRuntimeClass* pRuntimeClass)
{
    CGridCellBase* pOldCell = GetCell(nRow, nCol);
    if (!pOldCell || !pRuntimeClass || !pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)))
        return FALSE;
    CObject* pObject = pRuntimeClass->CreateObject();
    CGridCellBase* pNewCell = dynamic_cast<CGridCellBase*>(pObject);
    if (!pNewCell) {
        delete pObject;
        return FALSE;
    }
    *pNewCell = *pOldCell;
    (*m_RowData[(size_t)nRow])[(size_t)nCol] = pNewCell;
    delete pOldCell;
    return TRUE;
}

void CGridCtrl::SetDefaultCellType(const CRuntimeClass* pRuntimeClass)
{
    if (!pRuntimeClass)
        pRuntimeClass = RUNTIME_CLASS(CGridCell);
    ASSERT(pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)));
    if (pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)))
        m_pRtcDefault = pRuntimeClass;
}

BOOL CGridCtrl::IsValid(int nRow, int nCol) const
{
    return nRow >= 0 && nRow < m_nRows && nCol >= 0 && nCol < m_nCols;
}

BOOL CGridCtrl::IsValid(const CCellID& cell) const
{
    return IsValid(cell.row, cell.col);
}

BOOL CGridCtrl::IsValid(const CCellRange& range) const
{
    return range.GetMinRow() >= 0 && range.GetMinCol() >= 0 && range.GetMaxRow() >= 0 &&
           range.GetMaxCol() >= 0 && range.GetMaxRow() < m_nRows && range.GetMaxCol() < m_nCols &&
           range.GetMinRow() <= range.GetMaxRow() && range.GetMinCol() <= range.GetMaxCol();
}

BOOL CGridCtrl::IsCellEditable(int nRow, int nCol) const
{
    // A position without a cell has nothing to edit.
    return m_bEditable && GetCell(nRow, nCol) && !(GetItemState(nRow, nCol) & GVIS_READONLY);
}

BOOL CGridCtrl::IsCellSelected(int nRow, int nCol) const
{
    return m_bEnableSelection && (GetItemState(nRow, nCol) & GVIS_SELECTED) != 0;
}

// ---------------------------------------------------------------------------------------------
// Item accessors

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR str)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return FALSE;
    pCell->SetText(str ? str : "");
    SetModified(TRUE, nRow, nCol);
    return TRUE;
}

BOOL CGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR pch, int nLength)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return FALSE;
    pCell->SetText(pch, nLength);
    // As SetModified (TRUE, nRow, nCol), without finding the cell again.
    if (nRow > 0 && nCol > 0)
        MarkModified(pCell);
    else
        m_bModified = TRUE;
    return TRUE;
}

CString CGridCtrl::GetItemText(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return CString();
    return CString(pCell->GetText());
}

BOOL CGridCtrl::SetItemState(int nRow, int nCol, UINT state)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    ASSERT(pCell);
    if (!pCell)
        return FALSE;

    // The selected-cell map follows the GVIS_SELECTED bit.
    const DWORD key = SelectionKey(nRow, nCol);
    const bool bWasSelected = (pCell->GetState() & GVIS_SELECTED) != 0;
    if (!bWasSelected && (state & GVIS_SELECTED))
        m_SelectedCellMap[key] = CCellID(nRow, nCol);
    else if (bWasSelected && !(state & GVIS_SELECTED))
        m_SelectedCellMap.erase(key);

    pCell->SetState(state);
    return TRUE;
}

UINT CGridCtrl::GetItemState(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetState() : 0;
}

BOOL CGridCtrl::SetItemFormat(int nRow, int nCol, UINT nFormat)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return FALSE;
    pCell->SetFormat(nFormat);
    return TRUE;
}

UINT CGridCtrl::GetItemFormat(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetFormat() : 0;
}

BOOL CGridCtrl::SetItemBkColour(int nRow, int nCol, COLORREF cr)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return FALSE;
    pCell->SetBackClr(cr);
    return TRUE;
}

COLORREF CGridCtrl::GetItemBkColour(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetBackClr() : CLR_DEFAULT;
}

BOOL CGridCtrl::SetItemFgColour(int nRow, int nCol, COLORREF cr)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell)
        return FALSE;
    pCell->SetTextClr(cr);
    return TRUE;
}

COLORREF CGridCtrl::GetItemFgColour(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetTextClr() : CLR_DEFAULT;
}

BOOL CGridCtrl::SetItemFont(int nRow, int nCol, const LOGFONT* lf)
{
    CGridCellBase* pCell = GetCell(nRow, nCol);
    if (!pCell || !lf)
        return FALSE;
    pCell->SetFont(lf);
    return TRUE;
}

const LOGFONT* CGridCtrl::GetItemFont(int nRow, int nCol) const
{
    const CGridCellBase* pCell = GetCell(nRow, nCol);
    return pCell ? pCell->GetFont() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Modification, refresh and options

void CGridCtrl::SetModified(BOOL bModified, int nRow, int nCol)
{
    // Heading cells and the defaults speak for the grid as a whole.
    if (nRow <= 0 || nCol <= 0) {
        m_bModified = bModified;
    } else if (CGridCellBase* pCell = GetCell(nRow, nCol)) {
        if (bModified) {
            MarkModified(pCell);
        } else {
            pCell->SetState(pCell->GetState() & ~GVIS_MODIFIED);
        }
    }

    if (!m_bModified)
        for (GRID_ROW* pRow : m_RowData)
            for (CGridCellBase* pCell : *pRow)
                if (pCell)
                    pCell->SetState(pCell->GetState() & ~GVIS_MODIFIED);
}

// A record cell that changed, and with it the grid.
void CGridCtrl::MarkModified(CGridCellBase* pCell)
{
    pCell->SetState(pCell->GetState() | GVIS_MODIFIED);
    m_bModified = TRUE;
}

BOOL CGridCtrl::GetModified(int nRow, int nCol) const
{
    if (nRow > 0 && nCol > 0)
        return (GetItemState(nRow, nCol) & GVIS_MODIFIED) != 0;
    return m_bModified;
}

void CGridCtrl::Refresh()
{
    if (GetSafeHwnd() && m_bAllowDraw)
        Invalidate();
}

void CGridCtrl::SetGridLines(int nWhichLines)
{
    m_nGridLines = nWhichLines;
    Refresh();
}

void CGridCtrl::EnableSelection(BOOL bEnable)
{
    ResetSelectedRange();
    m_bEnableSelection = bEnable;
    ResetSelectedRange();
}

void CGridCtrl::SetRedraw(BOOL bAllowDraw, BOOL bResetScrollBars)
{
    // Drawing was held back: what changed meanwhile must be painted now.
    if (bAllowDraw && !m_bAllowDraw && GetSafeHwnd())
        Invalidate();
    m_bAllowDraw = bAllowDraw;
    if (bResetScrollBars)
        ResetScrollBars();
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
    m_arRowHeights[(size_t)nRow] = (UINT)height;
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
    m_arColWidths[(size_t)nCol] = (UINT)width;
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
        edge = AddExtent(edge, (int)arSizes[(size_t)index]);
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

    m_arColWidths[(size_t)nCol] = (UINT)nWidth;
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

    m_arRowHeights[(size_t)nRow] = (UINT)nHeight;
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
// Dialog data exchange

void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridCtrl& rControl)
{
    if (rControl.GetSafeHwnd())
        return;
    ASSERT(!pDX->m_bSaveAndValidate);
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!AfxReleaseDialogControl(hWnd) || !rControl.SubclassWindow(hWnd)) {
        ASSERT(FALSE);
        AfxThrowNotSupportedException();
    }
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
    const BOOL bPages = m_nRowsPerWheelNotch == -1;
    const int nSteps = bPages ? zDelta / 120 : zDelta * m_nRowsPerWheelNotch / 120;
    const UINT nCode = nSteps > 0 ? (bPages ? SB_PAGEUP : SB_LINEUP) : (bPages ? SB_PAGEDOWN : SB_LINEDOWN);
    for (int i = 0; i < std::abs(nSteps); i++)
        PostMessage(WM_VSCROLL, nCode, 0);
    return CWnd::OnMouseWheel(nFlags, zDelta, pt);
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

// ---------------------------------------------------------------------------------------------
// Clipboard

namespace {

// The bytes that trimming a pasted field removes at either end.
constexpr std::string_view kPasteBlanks = " \t\r\n\v\f";

std::string_view TrimPastedField(std::string_view field)
{
    const size_t nFirst = field.find_first_not_of(kPasteBlanks);
    if (nFirst == std::string_view::npos)
        return {};
    const size_t nLast = field.find_last_not_of(kPasteBlanks);
    return field.substr(nFirst, nLast - nFirst + 1);
}

// Fields of one pasted line: TAB, comma and LF separate, a run of them counts once, and they
// are skipped at both ends. Byte-wise splitting is safe in code page 936: no trail byte of a
// double-byte character is a TAB, comma or LF.
void SplitPastedLine(std::string_view line, std::vector<std::string_view>& fields)
{
    const auto isSeparator = [](char ch) { return ch == '\t' || ch == ',' || ch == '\n'; };
    fields.clear();
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && isSeparator(line[pos]))
            pos++;
        const size_t nStart = pos;
        while (pos < line.size() && !isSeparator(line[pos]))
            pos++;
        if (pos > nStart)
            fields.push_back(line.substr(nStart, pos - nStart));
    }
}

} // namespace

// A new data source with the selection's text, or NULL without a selection.
COleDataSource* CGridCtrl::CopySelectedCells()
{
    const CCellRange range = GetSelectedCellRange();
    if (!IsValid(range))
        return nullptr;

    // Without the memory for the text the clipboard keeps what it had.
    try {
        auto pSource = std::make_unique<COleDataSource>();
        pSource->CacheText(CString(SelectedCellsText(range)));
        return pSource.release();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The selection's bounding block, row by row: fields joined by TAB, rows by LF. Hidden rows
// and columns give nothing, not even their separator; cells of the block that are not
// selected give empty fields. A full table is some 7800 fields, so the text is measured
// first and built in one buffer.
std::string CGridCtrl::SelectedCellsText(const CCellRange& range) const
{
    std::vector<int> shownCols;
    for (int col = range.GetMinCol(); col <= range.GetMaxCol(); col++)
        if (GetColumnWidth(col) != 0)
            shownCols.push_back(col);
    const auto selectedText = [this](int row, int col) -> std::string_view {
        const CGridCellBase* pCell = GetCell(row, col);
        const LPCTSTR pszText = pCell && (pCell->GetState() & GVIS_SELECTED) ? pCell->GetText() : nullptr;
        return pszText ? std::string_view(pszText) : std::string_view();
    };
    const auto separatorAfter = [&range](int col) { return col != range.GetMaxCol(); };
    const auto endOfRow = [&range](int row) { return row != range.GetMaxRow(); };

    // The cells are visited once; their texts are then copied in order into one buffer.
    std::vector<int> shownRows;
    std::vector<std::string_view> texts;
    texts.reserve((size_t)(range.GetMaxRow() - range.GetMinRow() + 1) * shownCols.size());
    size_t nLength = 0;
    for (int row = range.GetMinRow(); row <= range.GetMaxRow(); row++) {
        if (GetRowHeight(row) == 0)
            continue;
        shownRows.push_back(row);
        for (const int col : shownCols) {
            texts.push_back(selectedText(row, col));
            nLength += texts.back().size() + (separatorAfter(col) ? 1 : 0);
        }
        nLength += endOfRow(row) ? 1 : 0;
    }

    std::string strText;
    strText.reserve(nLength);
    auto itText = texts.cbegin();
    for (const int row : shownRows) {
        for (const int col : shownCols) {
            strText += *itText++;
            if (separatorAfter(col))
                strText += '\t';
        }
        if (endOfRow(row))
            strText += '\n';
    }
    ASSERT(strText.size() == nLength);
    return strText;
}

// Empties every shown selected cell; the cells stay selected. The read-only state does not
// protect a cell here.
void CGridCtrl::CutSelectedCells()
{
    if (!m_bEditable)
        return;
    // The owner hears of every cell and may change the selection meanwhile.
    std::vector<CCellID> cells;
    cells.reserve(m_SelectedCellMap.size());
    for (const auto& entry : m_SelectedCellMap)
        cells.push_back(entry.second);
    // In the order of the map's keys, column by column, so the owner hears a stable sequence.
    std::sort(cells.begin(), cells.end(), [](const CCellID& a, const CCellID& b) {
        return SelectionKey(a.row, a.col) < SelectionKey(b.row, b.col);
    });

    for (const CCellID& cell : cells) {
        if (!IsValid(cell) || !GetCell(cell.row, cell.col) || GetRowHeight(cell.row) == 0 ||
            GetColumnWidth(cell.col) == 0)
            continue;
        SendMessageToParent(cell.row, cell.col, GVN_BEGINLABELEDIT);
        if (CGridCellBase* pCell = GetCell(cell.row, cell.col))
            pCell->SetText("");
        SetModified(TRUE, cell.row, cell.col);
        SendMessageToParent(cell.row, cell.col, GVN_ENDLABELEDIT);
    }
    Invalidate();
}

// Writes the CF_TEXT of the data from the start cell on: line k to the k-th shown row, field j
// to the j-th shown column. What falls outside the table is dropped; the table never grows.
BOOL CGridCtrl::PasteTextAt(CCellID cell, COleDataObject* pDataObject)
{
    if (!IsValid(cell) || !IsCellEditable(cell) || !pDataObject || !pDataObject->IsDataAvailable(CF_TEXT))
        return FALSE;
    // The text is copied out whole first; without the memory for it nothing is pasted.
    CString strText;
    try {
        if (!pDataObject->GetText(strText))
            return FALSE;
    } catch (const std::bad_alloc&) {
        return FALSE;
    }

    // Fields are views into this local text, which notifications to the owner cannot touch.
    const std::string& text = strText.str();
    std::vector<std::string_view> fields;
    int nRowOffset = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t nLF = text.find('\n', pos);
        std::string_view line(text.data() + pos, (nLF == std::string::npos ? text.size() : nLF) - pos);
        pos = nLF == std::string::npos ? text.size() : nLF + 1;
        // A blank line still clears the cell in the start column.
        if (line.empty() && nLF != std::string::npos)
            line = " ";

        int nRow = cell.row + nRowOffset;
        while (nRow < m_nRows && GetRowHeight(nRow) <= 0) {
            nRowOffset++;
            nRow++;
        }
        if (nRow >= m_nRows)
            break;   // nothing further can land
        SplitPastedLine(line, fields);
        PasteFields(nRow, cell.col, fields);
        nRowOffset++;
    }

    Invalidate();
    return TRUE;
}

// One line's fields into a row from the start column on, passing over hidden columns.
void CGridCtrl::PasteFields(int nRow, int nStartCol, const std::vector<std::string_view>& fields)
{
    std::string strField;
    int nColOffset = 0;
    for (const std::string_view field : fields) {
        int nCol = nStartCol + nColOffset;
        while (nCol < m_nCols && GetColumnWidth(nCol) <= 0) {
            nColOffset++;
            nCol++;
        }
        if (nCol >= m_nCols || nRow >= m_nRows)
            break;
        nColOffset++;
        if (!GetCell(nRow, nCol))
            continue;

        strField.assign(TrimPastedField(field));
        SendMessageToParent(nRow, nCol, GVN_BEGINLABELEDIT);
        SetItemText(nRow, nCol, strField.c_str());
        SetModified(TRUE, nRow, nCol);
        SendMessageToParent(nRow, nCol, GVN_ENDLABELEDIT);
        if (GetCell(nRow, nCol))
            SetItemState(nRow, nCol, GetItemState(nRow, nCol) & ~GVIS_SELECTED);
    }
}

void CGridCtrl::OnEditCut()
{
    if (!m_bEditable)
        return;
    COleDataSource* pSource = CopySelectedCells();
    if (!pSource)
        return;
    pSource->SetClipboard();
    CutSelectedCells();
}

// Without a selection the clipboard keeps what it had.
void CGridCtrl::OnEditCopy()
{
    if (COleDataSource* pSource = CopySelectedCells())
        pSource->SetClipboard();
}

// Pastes at the focus cell, or at the top-left cell in view when there is none.
void CGridCtrl::OnEditPaste()
{
    if (!m_bEditable)
        return;
    CCellID cell = GetFocusCell();
    if (!IsValid(cell))
        cell = GetTopleftNonFixedCell();
    if (!IsValid(cell))
        return;
    COleDataObject data;
    if (data.AttachClipboard())
        PasteTextAt(cell, &data);
}

void CGridCtrl::OnEditSelectAll()
{
    SelectAllCells();
}

// The standard edit commands reach the operations through their virtual slots.
BOOL CGridCtrl::OnCommand(WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam)) {
    case ID_EDIT_CUT: OnEditCut(); return TRUE;
    case ID_EDIT_COPY: OnEditCopy(); return TRUE;
    case ID_EDIT_PASTE: OnEditPaste(); return TRUE;
    case ID_EDIT_SELECT_ALL: OnEditSelectAll(); return TRUE;
    default: return CWnd::OnCommand(wParam, lParam);
    }
}

// ---------------------------------------------------------------------------------------------
// Drag and drop: off in this program, so no drag starts here and every drag is refused.

void CGridCtrl::BeginCellDrag()
{
}

DROPEFFECT CGridCtrl::OnDragEnter(COleDataObject* /*pDataObject*/, DWORD /*dwKeyState*/, CPoint /*point*/)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT CGridCtrl::OnDragOver(COleDataObject* /*pDataObject*/, DWORD /*dwKeyState*/, CPoint /*point*/)
{
    return DROPEFFECT_NONE;
}

// Takes the drop highlight off the cell last dragged over, if any.
void CGridCtrl::OnDragLeave()
{
    if (!IsValid(m_LastDragOverCell))
        return;
    const CCellID cell = m_LastDragOverCell;
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~GVIS_DROPHILITED);
    RedrawCell(cell);
}

BOOL CGridCtrl::OnDrop(COleDataObject* /*pDataObject*/, DROPEFFECT /*dropEffect*/, CPoint /*point*/)
{
    return FALSE;
}

// ---------------------------------------------------------------------------------------------
// In-place editing

void CGridCtrl::OnEditCell(int nRow, int nCol, CPoint point, UINT nChar)
{
    if (m_TitleTip.GetSafeHwnd())
        m_TitleTip.Hide();

    if (!IsValid(nRow, nCol) || !IsCellEditable(nRow, nCol))
        return;
    EnsureVisible(nRow, nCol);
    if (!IsCellVisible(nRow, nCol))
        return;
    CRect rect;
    if (!GetCellRect(nRow, nCol, rect))
        return;

    SendMessageToParent(nRow, nCol, GVN_BEGINLABELEDIT);
    if (CGridCellBase* pCell = GetCell(nRow, nCol))
        pCell->Edit(nRow, nCol, rect, point, IDC_INPLACE_CONTROL, nChar);
}

void CGridCtrl::EndEditing()
{
    if (!IsValid(m_idCurrentCell))
        return;
    if (CGridCellBase* pCell = GetCell(m_idCurrentCell.row, m_idCurrentCell.col))
        pCell->EndEdit();
}

// Changed text marks the cell modified; the cell leaves editing state either way.
void CGridCtrl::OnEndEditCell(int nRow, int nCol, CString str)
{
    const CString strCurrentText = GetItemText(nRow, nCol);
    if (strCurrentText != str) {
        SetModified(TRUE, nRow, nCol);
        SetItemText(nRow, nCol, str);
    }
    if (CGridCellBase* pCell = GetCell(nRow, nCol))
        pCell->OnEndEdit();
}

BOOL CGridCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    auto* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
    if (pNMHDR && wParam == IDC_INPLACE_CONTROL && pNMHDR->code == (UINT)GVN_ENDLABELEDIT) {
        LRESULT result = 0;
        OnEndInPlaceEdit(pNMHDR, pResult ? pResult : &result);
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

void CGridCtrl::OnEndInPlaceEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    const GV_DISPINFO* pgvDispInfo = reinterpret_cast<const GV_DISPINFO*>(pNMHDR);
    const GV_ITEM* pgvItem = &pgvDispInfo->item;

    // The grid may be going away while its edit reports.
    if (!IsWindow(GetSafeHwnd()))
        return;

    OnEndEditCell(pgvItem->row, pgvItem->col, pgvItem->szText);
    SendMessageToParent(pgvItem->row, pgvItem->col, GVN_ENDLABELEDIT);

    // The key that ended the edit moves the focus cell (reading Shift now) and opens the next
    // edit with its text selected.
    const UINT nKey = (UINT)pgvItem->lParam;
    switch (nKey) {
    case VK_TAB:
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        OnKeyDown(nKey, 0, 0);
        OnEditCell(m_idCurrentCell.row, m_idCurrentCell.col, CPoint(-1, -1), nKey);
        break;
    default:
        break;
    }
    *pResult = 0;
}
