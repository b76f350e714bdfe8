// CGridCtrl: construction, fonts and notifications, the row and column counts, the cells and
// their item accessors, modification and options.
// The rest of the class: GridCtrlGeometry.cpp, GridCtrlPaint.cpp, GridCtrlInput.cpp and
// GridCtrlEdit.cpp. Cells paint themselves; the grid paints backgrounds and lines around them.
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
    m_nGrowRowLimit = 0;
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

// SetItemText for any other kind of cell.
BOOL CGridCtrl::SetCellText(CGridCellBase* pCell, int nRow, int nCol, LPCTSTR pch, int nLength)
{
    pCell->SetText(pch, nLength);
    // As SetModified (TRUE, nRow, nCol), without finding the cell again.
    if (nRow > 0 && nCol > 0)
        MarkModified(pCell);
    else
        m_bModified = TRUE;
    return TRUE;
}

void CGridCtrl::SetRowTexts(int nRow, int nCol, int nCount, LPCTSTR pch, const uint32_t* pLengths)
{
    if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCount <= 0 || !m_RowData[(size_t)nRow])
        return;
    // The row's cells are taken once: a text written through a char pointer could be any
    // member of the table as far as the compiler knows, so each cell would look them up again.
    const GRID_ROW& row = *m_RowData[(size_t)nRow];
    CGridCellBase* const* ppCells = row.data();
    const int nEnd = std::min(std::min(nCol + nCount, m_nCols), (int)row.size());
    for (int i = nCol; i < nEnd; pch += *pLengths++, i++)
        if (CGridCellBase* pCell = ppCells[i])
            StoreText(pCell, nRow, i, pch, (int)*pLengths);
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
