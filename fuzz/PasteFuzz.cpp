// Bytes as clipboard text pasted into the record table at a start cell the input chooses.
// The first byte says how the text reaches the clipboard (code page 936 or UTF-8); the next
// two choose the cell. The headings never change, and no record cell keeps a separator.
#include "FuzzSupport.h"

#include "Codec.h"

#include <QApplication>
#include <QClipboard>

#include <cstring>

namespace {

struct CPasteWindow {
    CWnd owner;
    CGridCtrl grid;
    CPasteWindow()
    {
        owner.CreateEx(0, nullptr, "fuzz", WS_POPUP, 0, 0, 800, 600, nullptr, 0);
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        Fuzz::SetUpRecordTable(grid);
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

void CheckTable(CGridCtrl& grid)
{
    CString str;
    for (int i = 1; i <= 26; i++) {
        str.Format("%c", 'A' + i - 1);
        if (grid.GetItemText(0, i) != str)
            Fuzz::Fail("a paste changed a column heading");
    }
    for (int nRow = 1; nRow < grid.GetRowCount(); nRow++) {
        str.Format("%d", nRow);
        if (grid.GetItemText(nRow, 0) != str)
            Fuzz::Fail("a paste changed a row heading");
        for (int nCol = 1; nCol < grid.GetColumnCount(); nCol++) {
            const CString strText = grid.GetItemText(nRow, nCol);
            if (std::strpbrk(strText, "\t,\n"))
                Fuzz::Fail("a cell kept a field or line separator");
        }
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
    grid.SetFocusCell(pData[1] % 302, pData[2] % 28);
    grid.OnEditPaste();
    CheckTable(grid);
    return 0;
}
