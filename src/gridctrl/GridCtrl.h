// CGridCtrl: the record table control. A rectangular array of cell objects with per-row
// heights and per-column widths, leading fixed rows and columns as headings, a focus cell,
// a selection, painting with scroll bars and title tips.
#pragma once

#include "CellRange.h"
#include "GridCell.h"
#include "GridDropTarget.h"
#include "TitleTip.h"
#include "Wnd.h"

#include <unordered_map>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

// Grid lines.
#define GVL_NONE 0
#define GVL_HORZ 1
#define GVL_VERT 2
#define GVL_BOTH 3

// Notifications to the owner (NM_GRIDVIEW codes).
#define NM_CLICK (-2)
#define NM_DBLCLK (-3)
#define NM_RCLICK (-5)
#define GVN_SELCHANGING (-100)
#define GVN_SELCHANGED (-101)
#define GVN_BEGINLABELEDIT (-105)
#define GVN_ENDLABELEDIT (-106)
// A paste grew the table (iRow: the first new row), or ran past the most rows a growing table
// may have (iRow: the row count), so that lines were left out.
#define GVN_ROWSADDED (-120)
#define GVN_PASTECUT (-121)

#define BN_CLICKED 0

// The standard edit commands, routed to the grid through WM_COMMAND.
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_SELECT_ALL 0xE12A

struct NM_GRIDVIEW {
    NMHDR hdr;
    int iRow;
    int iColumn;
};

class CImageList;
class CInPlaceEdit;

// One row of cells, one entry per column; the grid owns the row and its cells.
typedef std::vector<CGridCellBase*> GRID_ROW;

class CGridCtrl : public CWnd {
    DECLARE_DYNCREATE(CGridCtrl)
public:
    CGridCtrl(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);
    ~CGridCtrl() override;

    // Clipboard: CF_TEXT, fields joined by TAB, rows by LF.
    virtual void CutSelectedCells();
    virtual COleDataSource* CopySelectedCells();   // NULL without a selection; the caller owns it
    virtual BOOL PasteTextAt(CCellID cell, COleDataObject* pDataObject);
    virtual void OnEditCut();
    virtual void OnEditCopy();
    virtual void OnEditPaste();
    virtual void OnEditSelectAll();

    BOOL Create(const RECT& rect, CWnd* pParentWnd, UINT nID,
                DWORD dwStyle = WS_CHILD | WS_BORDER | WS_TABSTOP | WS_VISIBLE);
    BOOL SubclassWindow(HWND hWnd);
    void PreSubclassWindow() override;

    // Counts.
    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int GetFixedRowCount() const { return m_nFixedRows; }
    int GetFixedColumnCount() const { return m_nFixedCols; }
    // FALSE, the table unchanged, when memory runs out while it grows.
    BOOL SetRowCount(int nRows = 10);
    BOOL SetColumnCount(int nCols = 10);
    BOOL SetFixedRowCount(int nFixedRows = 1);
    BOOL SetFixedColumnCount(int nFixedCols = 1);
    BOOL DeleteAllItems();
    // A paste that runs past the last row adds rows, up to nMaxRows rows in all, and tells the
    // owner (GVN_ROWSADDED); 0, as at first, keeps the row count.
    void SetGrowRowLimit(int nMaxRows) { m_nGrowRowLimit = nMaxRows; }
    int GetGrowRowLimit() const { return m_nGrowRowLimit; }
    int GetCurrentRow() const { return m_idCurrentCell.row; }
    int GetCurrentColumn() const { return m_idCurrentCell.col; }

    // Sizes. No column is wider and no row taller than MAX_CELL_EXTENT pixels, the largest
    // size a window can have: a larger size, asked for or fitted, is held at that bound.
    enum { MAX_CELL_EXTENT = 0x7FFF };
    int GetRowHeight(int nRow) const;
    BOOL SetRowHeight(int nRow, int height);
    int GetColumnWidth(int nCol) const;
    BOOL SetColumnWidth(int nCol, int width);
    int GetFixedRowHeight() const;
    int GetFixedColumnWidth() const;
    long GetVirtualWidth() const;
    long GetVirtualHeight() const;

    // Colours and options.
    void SetTextColor(COLORREF clr) { m_crTextColour = clr; }
    COLORREF GetTextColor() const { return m_crTextColour; }
    void SetTextBkColor(COLORREF clr) { m_crTextBkColour = clr; }
    COLORREF GetTextBkColor() const { return m_crTextBkColour; }
    void SetBkColor(COLORREF clr) { m_crBkColour = clr; }
    COLORREF GetBkColor() const { return m_crBkColour; }
    void SetFixedTextColor(COLORREF clr) { m_crFixedTextColour = clr; }
    COLORREF GetFixedTextColor() const { return m_crFixedTextColour; }
    void SetFixedBkColor(COLORREF clr) { m_crFixedBkColour = clr; }
    COLORREF GetFixedBkColor() const { return m_crFixedBkColour; }
    void SetGridColor(COLORREF clr) { m_crGridColour = clr; }
    COLORREF GetGridColor() const { return m_crGridColour; }
    void SetTitleTipBackClr(COLORREF clr = CLR_DEFAULT) { m_crTTipBackClr = clr; }
    COLORREF GetTitleTipBackClr() const { return m_crTTipBackClr; }
    void SetTitleTipTextClr(COLORREF clr = CLR_DEFAULT) { m_crTTipTextClr = clr; }
    COLORREF GetTitleTipTextClr() const { return m_crTTipTextClr; }
    // What follows a tip's text cut at the widest tip (CTitleTip::MAX_TIP_WIDTH).
    void SetTitleTipCutNote(LPCTSTR lpszNote) { m_TitleTip.SetCutNote(lpszNote); }
    void SetGridLines(int nWhichLines = GVL_BOTH);
    int GetGridLines() const { return m_nGridLines; }
    void SetImageList(CImageList* pList) { m_pImageList = pList; }
    CImageList* GetImageList() const { return m_pImageList; }
    void SetEditable(BOOL bEditable = TRUE) { m_bEditable = bEditable; }
    BOOL IsEditable() const { return m_bEditable; }
    void EnableSelection(BOOL bEnable = TRUE);
    BOOL IsSelectable() const { return m_bEnableSelection; }
    void EnableTitleTips(BOOL bEnable = TRUE) { m_bTitleTips = bEnable; }
    BOOL GetTitleTips() const { return m_bTitleTips; }
    void SetDoubleBuffering(BOOL bBuffer = TRUE) { m_bDoubleBuffer = bBuffer; }
    BOOL GetDoubleBuffering() const { return m_bDoubleBuffer; }
    void SetRedraw(BOOL bAllowDraw, BOOL bResetScrollBars = FALSE);
    BOOL GetRedraw() const { return m_bAllowDraw; }
    void SetDefaultCellType(const CRuntimeClass* pRuntimeClass = nullptr);
    const LOGFONT* GetGridLogFont() const { return &m_Logfont; }
    int GetDefCellHeight() const { return m_nDefCellHeight; }
    int GetDefCellWidth() const { return m_nDefCellWidth; }

    // Cells.
    // Inline: loading a document or pasting a table looks up thousands of cells in a row.
    CGridCellBase* GetCell(int nRow, int nCol) const
    {
        if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols)
            return nullptr;
        const GRID_ROW* pRow = m_RowData[(size_t)nRow];
        if (!pRow || nCol >= (int)pRow->size())
            return nullptr;
        return (*pRow)[(size_t)nCol];
    }
    BOOL IsValid(int nRow, int nCol) const;
    BOOL IsValid(const CCellID& cell) const;
    BOOL IsValid(const CCellRange& range) const;
    BOOL IsCellEditable(int nRow, int nCol) const;
    BOOL IsCellEditable(const CCellID& cell) const { return IsCellEditable(cell.row, cell.col); }
    BOOL IsCellSelected(int nRow, int nCol) const;
    BOOL IsCellSelected(const CCellID& cell) const { return IsCellSelected(cell.row, cell.col); }
    BOOL IsCellFixed(int nRow, int nCol) const { return nRow < m_nFixedRows || nCol < m_nFixedCols; }

    BOOL SetItemText(int nRow, int nCol, LPCTSTR str);
    // The nLength bytes at pch, which hold no NUL; otherwise as above. Inline, and the
    // standard cell served without virtual calls: a document fills thousands of cells.
    BOOL SetItemText(int nRow, int nCol, LPCTSTR pch, int nLength)
    {
        CGridCellBase* pCell = GetCell(nRow, nCol);
        if (!pCell)
            return FALSE;
        StoreText(pCell, nRow, nCol, pch, nLength);
        return TRUE;
    }
    // The cells nCol to nCol + nCount - 1 of row nRow, each as the counted SetItemText above
    // stores it: nCount texts lying one after another at pch, their lengths at pLengths.
    // Cells the row does not have are passed over. The row is looked up once for all of
    // them: a document fills the table a row at a time.
    void SetRowTexts(int nRow, int nCol, int nCount, LPCTSTR pch, const uint32_t* pLengths);
    CString GetItemText(int nRow, int nCol) const;
    BOOL SetItemState(int nRow, int nCol, UINT state);
    UINT GetItemState(int nRow, int nCol) const;
    BOOL SetItemFormat(int nRow, int nCol, UINT nFormat);
    UINT GetItemFormat(int nRow, int nCol) const;
    BOOL SetItemBkColour(int nRow, int nCol, COLORREF cr = CLR_DEFAULT);
    COLORREF GetItemBkColour(int nRow, int nCol) const;
    BOOL SetItemFgColour(int nRow, int nCol, COLORREF cr = CLR_DEFAULT);
    COLORREF GetItemFgColour(int nRow, int nCol) const;
    BOOL SetItemFont(int nRow, int nCol, const LOGFONT* lf);
    const LOGFONT* GetItemFont(int nRow, int nCol) const;

    void SetModified(BOOL bModified = TRUE, int nRow = -1, int nCol = -1);
    BOOL GetModified(int nRow = -1, int nCol = -1) const;
    void Refresh();

    // Geometry.
    CCellID GetTopleftNonFixedCell() const;
    CCellRange GetVisibleNonFixedCellRange(LPRECT pRect = nullptr) const;
    CCellRange GetCellRange() const;
    BOOL GetCellOrigin(int nRow, int nCol, LPPOINT p) const;
    BOOL GetCellOrigin(const CCellID& cell, LPPOINT p) const { return GetCellOrigin(cell.row, cell.col, p); }
    BOOL GetCellRect(int nRow, int nCol, LPRECT pRect) const;
    BOOL GetCellRect(const CCellID& cell, LPRECT pRect) const { return GetCellRect(cell.row, cell.col, pRect); }
    CCellID GetCellFromPt(CPoint point, BOOL bAllowFixed = TRUE) const;
    BOOL MouseOverRowResizeArea(CPoint& point) const;
    BOOL MouseOverColumnResizeArea(CPoint& point) const;
    BOOL AutoSizeColumn(int nCol, BOOL bIgnoreFixedRows = FALSE);
    BOOL AutoSizeRow(int nRow);

    // Focus and selection.
    CCellID GetFocusCell() const { return m_idCurrentCell; }
    CCellID SetFocusCell(CCellID cell);
    CCellID SetFocusCell(int nRow, int nCol) { return SetFocusCell(CCellID(nRow, nCol)); }
    void SetSelectedRange(const CCellRange& Range, BOOL bForceRepaint = FALSE);
    void SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL bForceRepaint = FALSE);
    void ResetSelectedRange();
    CCellRange GetSelectedCellRange() const;
    int GetSelectedCount() const { return (int)m_SelectedCellMap.size(); }
    void SelectAllCells();
    void SelectColumns(CCellID currentCell);
    void SelectRows(CCellID currentCell);
    void SelectCells(CCellID currentCell);
    void OnSelecting(const CCellID& currentCell);

    // Painting and scrolling.
    virtual void OnDraw(CDC* pDC);
    void EraseBkgnd(CDC* pDC);
    BOOL RedrawCell(int nRow, int nCol, CDC* pDC = nullptr);
    BOOL RedrawCell(const CCellID& cell, CDC* pDC = nullptr) { return RedrawCell(cell.row, cell.col, pDC); }
    BOOL InvalidateCellRect(const CCellID& cell);
    BOOL IsCellVisible(int nRow, int nCol) const;
    BOOL IsCellVisible(const CCellID& cell) const { return IsCellVisible(cell.row, cell.col); }
    void EnsureVisible(int nRow, int nCol);
    void EnsureVisible(const CCellID& cell) { EnsureVisible(cell.row, cell.col); }
    void ResetScrollBars();
    void EnableScrollBars(int nBar, BOOL bEnable = TRUE);
    BOOL IsVisibleHScroll() const { return (m_nBarState & GVL_HORZ) != 0; }
    BOOL IsVisibleVScroll() const { return (m_nBarState & GVL_VERT) != 0; }
    int GetScrollPos32(int nBar, BOOL bGetTrackPos = FALSE);
    BOOL SetScrollPos32(int nBar, int nPos, BOOL bRedraw = TRUE);
    int GetVScrollMax() const { return m_nVScrollMax; }
    int GetHScrollMax() const { return m_nHScrollMax; }

    // Editing. OnEditCell opens an in-place edit over a cell (nChar: the key or character
    // that started it, VK_LBUTTON for the mouse and F2); OnEndEditCell takes a finished edit's
    // text into its cell; EndEditing ends the edit of the focus cell, if one is under way.
    virtual void OnEndEditCell(int nRow, int nCol, CString str);
    virtual void OnEditCell(int nRow, int nCol, CPoint point, UINT nChar);
    virtual void EndEditing();
    // Where typed text goes: the caret of the open in-place edit, else the focus cell.
    BOOL GetCaretRect(LPRECT lpRect) override;

    LRESULT SendMessageToParent(int nRow, int nCol, int nMessage) const;
    static int GetMouseScrollLines();

    // Drag and drop, reached through m_DropTarget; refused while drag and drop is off.
    void BeginCellDrag();
    DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    void OnDragLeave();
    BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);

protected:
    BOOL RegisterWindowClass();
    virtual CGridCellBase* CreateCell(int nRow, int nCol);
    virtual void DestroyCell(int nRow, int nCol);
    BOOL SetCellType(int nRow, int nCol, const CRuntimeClass* pRuntimeClass);
    void ShowTitleTip(const CCellID& cell);
    // Painting, scrolling and hovering steps.
    void DrawCells(CDC* pDC, int nMinRow, int nMaxRow, int nMinCol, int nMaxCol, CPoint ptOrigin,
                   const CRect* pClipRect);
    BOOL DrawGridLines(CDC* pDC, const CCellRange& visibleCells, const CRect& rectVisible);
    void ScrollGrid(int nBar, UINT nSBCode);
    void PostWheelScrolls(UINT nMessage, int nDelta);
    void UpdateDividerMode(CPoint point);
    void OnMouseHover(CPoint point);
    // Model helpers.
    BOOL AddRows(int nRows);
    void SetCellFixed(int nRow, int nCol, BOOL bFixed);
    void RedrawFixedCellsOf(const CCellID& cell, const CCellID& other);
    void RedrawSelectionChange(int nRow, int nCol, CDC* pDC, const CCellRange& visible);
    // Mouse and keyboard steps.
    CPoint GetPointClicked(int nRow, int nCol, const CPoint& point);
    virtual void OnFixedColumnClick(CCellID& cell);
    virtual void OnFixedRowClick(CCellID& cell);
    BOOL MoveFocusOnPress(UINT nFlags);
    void BeginSelecting(UINT nFlags);
    void InvertTrackingLine(int nPos, BOOL bColumn);
    void BeginSizing(CPoint point);
    void EndSizing(CPoint point);
    void OnMouseMoveWithButton(CPoint point);
    void ClickFocusCell(CPoint point);
    void PostClickedCommand();
    BOOL FitDividerCell(CCellID cell, CPoint point);
    void OnClipboardKey(UINT nChar);
    BOOL NextCellForKey(UINT nChar, BOOL bCtrl, BOOL bShift, CCellID& next, BOOL& bChangeLine);
    int NextShownRow(int nRow, int nStep) const;
    int NextShownColumn(int nCol, int nStep) const;
    int RowAfterPage(int nRow, UINT nSBCode);
    void HomeEndCell(CCellID& next, BOOL bCtrl, BOOL bHome);
    BOOL TabCell(CCellID& next, BOOL bShift, BOOL& bChangeLine);
    void ClearFocusCell();
    void ScrollToKeyedCell(const CCellID& next, UINT nChar, BOOL bShift, BOOL bChangeLine);
    void PasteFields(int nRow, int nStartCol, const std::vector<std::string_view>& fields);
    int PasteRowsNeeded(const std::string& text, int nStartRow) const;
    void GrowForPaste(int nRows);
    std::string SelectedCellsText(const CCellRange& range) const;

    // Window handlers.
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnCaptureChanged(CWnd* pWnd) override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    void OnSysColorChange() override;
    UINT OnGetDlgCode() override;
    LRESULT OnSetFont(WPARAM hFont, LPARAM lParam) override;
    LRESULT OnGetFont(WPARAM hFont, LPARAM lParam) override;
    // The in-place edit's end-edit report (WM_NOTIFY GVN_ENDLABELEDIT from its control id).
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnEndInPlaceEdit(NMHDR* pNMHDR, LRESULT* pResult);
    CInPlaceEdit* GetOpenEdit() const;
    // An input method composing on the grid opens the edit, as a typed character does.
    CWnd* OnImeStartComposition() override;
    void OnImeEndComposition() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    void OnRButtonUp(UINT nFlags, CPoint point) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    void OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;

public:
    // Mouse modes.
    enum eMouseModes {
        MOUSE_NOTHING, MOUSE_SELECT_ALL, MOUSE_SELECT_COL, MOUSE_SELECT_ROW,
        MOUSE_SELECT_CELLS, MOUSE_SCROLLING_CELLS, MOUSE_OVER_ROW_DIVIDE,
        MOUSE_SIZING_ROW, MOUSE_OVER_COL_DIVIDE, MOUSE_SIZING_COL,
        MOUSE_PREPARE_EDIT, MOUSE_PREPARE_DRAG, MOUSE_DRAGGING
    };
    int GetMouseMode() const { return m_MouseMode; }
    // nPos + nExtent, held at the largest or smallest coordinate instead of wrapping round.
    static int AddExtent(int nPos, int nExtent);

protected:
    void MarkModified(CGridCellBase* pCell);
    BOOL SetCellText(CGridCellBase* pCell, int nRow, int nCol, LPCTSTR pch, int nLength);
    // The counted text into a cell of the table, marked modified; the standard cell without
    // virtual calls, any other class through its own overrides.
    void StoreText(CGridCellBase* pCell, int nRow, int nCol, LPCTSTR pch, int nLength)
    {
        if (typeid(*pCell) != typeid(CGridCell)) {
            SetCellText(pCell, nRow, nCol, pch, nLength);
            return;
        }
        auto* pGridCell = static_cast<CGridCell*>(pCell);
        pGridCell->CGridCell::SetText(pch, nLength);
        if (nRow > 0 && nCol > 0)
            pGridCell->CGridCellBase::SetState(pGridCell->CGridCellBase::GetState() | GVIS_MODIFIED);
        m_bModified = TRUE;
    }

    COLORREF m_crTextColour, m_crTextBkColour, m_crBkColour,
             m_crFixedTextColour, m_crFixedBkColour, m_crGridColour;
    COLORREF m_crWindowText, m_crWindowColour, m_cr3DFace, m_crShadow;
    COLORREF m_crTTipBackClr, m_crTTipTextClr;
    int m_nGridLines;
    BOOL m_bEditable;
    BOOL m_bModified;
    BOOL m_bAllowDragAndDrop;
    BOOL m_bListMode;
    BOOL m_bSingleRowSelection;
    BOOL m_bAllowDraw;
    BOOL m_bEnableSelection;
    BOOL m_bHandleTabKey;
    BOOL m_bDoubleBuffer;
    BOOL m_bTitleTips;
    int m_nBarState;   // GVL_HORZ and GVL_VERT bits: the bars the grid has shown

    int m_nRows, m_nFixedRows, m_nCols, m_nFixedCols;
    int m_nGrowRowLimit;
    std::vector<UINT> m_arRowHeights, m_arColWidths;
    int m_nMargin;
    int m_nDefCellWidth, m_nDefCellHeight;
    int m_nVScrollMax, m_nHScrollMax;

    LOGFONT m_Logfont;
    CFont m_Font;
    CImageList* m_pImageList;
    std::vector<GRID_ROW*> m_RowData;

    int m_MouseMode;
    BOOL m_bLMouseButtonDown;
    CPoint m_LeftClickDownPoint, m_LastMousePoint;
    CCellID m_LeftClickDownCell, m_SelectionStartCell;
    CCellID m_idCurrentCell;
    UINT_PTR m_nTimerID;
    int m_nTimerInterval;
    int m_nResizeCaptureRange;
    BOOL m_bAllowRowResize, m_bAllowColumnResize;
    int m_nRowsPerWheelNotch;
    // Key (col << 16) | (row & 0xFFFF).
    std::unordered_map<DWORD, CCellID> m_SelectedCellMap, m_PrevSelectedCellMap;
    const CRuntimeClass* m_pRtcDefault;
    CTitleTip m_TitleTip;
    CCellID m_LastDragOverCell;
    CGridDropTarget m_DropTarget;

    static DWORD SelectionKey(int nRow, int nCol) { return ((DWORD)nCol << 16) | ((DWORD)nRow & 0xFFFF); }
};

class CDataExchange;
// Attaches a grid without a window to the dialog's placeholder control nIDC (a custom control
// of class "MFCGridCtrl"); a grid that has a window is left alone. Throws
// CNotSupportedException when the control cannot be attached.
void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridCtrl& rControl);
