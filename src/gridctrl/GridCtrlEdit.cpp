// CGridCtrl, continued: the clipboard (copy, cut, paste), drag and drop, and in-place editing.
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
// are skipped at both ends. Byte-wise splitting is safe in GB18030: no byte after the lead byte
// of a multi-byte character is a TAB, comma or LF.
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
