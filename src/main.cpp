// Veltrane: prints award certificates in bulk. Until the main dialog arrives, the program
// opens a window that holds the record table set up as the main dialog sets it up.
#include "GridCtrl.h"

#include <QApplication>

namespace {

const int nRecords = 300;
const int nFields = 26;

class CTableWnd : public CWnd {
public:
    BOOL CreateTable()
    {
        if (!CreateEx(0, nullptr, "Veltrane", 0, 100, 100, 820, 640, nullptr, 0))
            return FALSE;
        CRect rect;
        GetClientRect(rect);
        rect.DeflateRect(8, 8);
        if (!m_Grid.Create(rect, this, 1000))
            return FALSE;
        SetUpTable();
        return TRUE;
    }

protected:
    void OnSize(UINT, int cx, int cy) override
    {
        if (m_Grid.GetSafeHwnd())
            m_Grid.MoveWindow(8, 8, cx - 16, cy - 16);
    }

private:
    // One heading row "A".."Z" and one heading column "1".."300".
    void SetUpTable()
    {
        m_Grid.SetRowCount(nRecords + 1);
        m_Grid.SetColumnCount(nFields + 1);
        m_Grid.SetFixedRowCount(1);
        m_Grid.SetFixedColumnCount(1);
        const UINT nHeadFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
        for (int nCol = 1; nCol <= nFields; nCol++) {
            m_Grid.SetItemText(0, nCol, CString(char('A' + nCol - 1)));
            m_Grid.SetItemFormat(0, nCol, nHeadFormat);
        }
        for (int nRow = 1; nRow <= nRecords; nRow++) {
            CString str;
            str.Format("%d", nRow);
            m_Grid.SetItemText(nRow, 0, str);
            m_Grid.SetItemFormat(nRow, 0, nHeadFormat);
        }
        m_Grid.SetColumnWidth(0, 40);
    }

    CGridCtrl m_Grid;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CTableWnd wnd;
    if (!wnd.CreateTable())
        return 1;
    wnd.ShowWindow(SW_SHOW);
    return app.exec();
}
