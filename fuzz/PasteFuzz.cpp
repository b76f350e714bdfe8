// Bytes as clipboard text pasted into the record table at a start cell the input chooses.
// The first byte says how the text reaches the clipboard (GB18030 bytes or UTF-8); the next
// two choose the cell. The headings never change, and no record cell keeps a separator.
#include "FuzzSupport.h"

#include "Codec.h"

#include <QApplication>
#include <QClipboard>

#include <algorithm>
#include <cstring>

namespace {

// Fewer records than the program's 300 keep the check of every cell quick; a paste of more
// lines than the table holds is cut the same way at any size.
const int s_nRecords = 30;

struct CPasteWindow {
    CWnd owner;
    CGridCtrl grid;
    CPasteWindow()
    {
        owner.CreateEx(0, nullptr, "fuzz", WS_POPUP, 0, 0, 800, 600, nullptr, 0);
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        Fuzz::SetUpRecordTable(grid, s_nRecords);
    }
};

CPasteWindow& Window()
{
    static CPasteWindow* pWindow = [] {
        Fuzz::StartApplication();
        return new CPasteWindow;
    }();
    return *pWindow;
}

LPCTSTR CellText(const CGridCtrl& grid, int nRow, int nCol)
{
    const CGridCellBase* pCell = grid.GetCell(nRow, nCol);
    return pCell && pCell->GetText() ? pCell->GetText() : "";
}

// Only the cells from the start cell on can have changed.
void CheckTable(const CGridCtrl& grid, int nStartRow, int nStartCol)
{
    CString str;
    for (int i = 1; i <= 26; i++) {
        str.Format("%c", 'A' + i - 1);
        if (str != CellText(grid, 0, i))
            Fuzz::Fail("a paste changed a column heading");
    }
    for (int nRow = 1; nRow < grid.GetRowCount(); nRow++) {
        str.Format("%d", nRow);
        if (str != CellText(grid, nRow, 0))
            Fuzz::Fail("a paste changed a row heading");
        for (int nCol = std::max(nStartCol, 1); nRow >= nStartRow && nCol < grid.GetColumnCount(); nCol++)
            if (std::strpbrk(CellText(grid, nRow, nCol), "\t,\n"))
                Fuzz::Fail("a cell kept a field or line separator");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 3)
        return 0;
    CGridCtrl& grid = Window().grid;
    const char* pText = reinterpret_cast<const char*>(pData + 3);
    const int nText = (int)(nSize - 3);
    const QString strText = (pData[0] & 1) ? QString::fromUtf8(pText, nText)
                                           : Codec::ToUnicode(pText, nText);
    QApplication::clipboard()->setText(strText);

    // Rows and columns one past the table and the headings are chosen too.
    grid.SetFocusCell(pData[1] % (s_nRecords + 2), pData[2] % 28);
    // Without a valid focus cell the paste starts at the first cell shown.
    const CCellID cellFocus = grid.GetFocusCell();
    const bool bValid = grid.IsValid(cellFocus);
    grid.OnEditPaste();
    CheckTable(grid, bValid ? cellFocus.row : 0, bValid ? cellFocus.col : 0);
    return 0;
}
