#include "UserSession.h"

#include "Codec.h"
#include "DocumentFile.h"
#include "EditDlg.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "PageSizeEditDlg.h"
#include "SafeFile.h"
#include "SetupDlg.h"
#include "Testing.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The bytes, read front to back. Past their end every read gives 0, so an input ends in the
// plainest choices.
class CByteSource {
public:
    CByteSource(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nLeft(nSize) {}
    bool IsEmpty() const { return m_nLeft == 0; }
    unsigned Byte()
    {
        if (m_nLeft == 0)
            return 0;
        m_nLeft--;
        return *m_pData++;
    }
    // 0 to n - 1.
    int Below(int n)
    {
        const unsigned nValue = Byte() | Byte() << 8;
        return n > 1 ? (int)(nValue % (unsigned)n) : 0;
    }
    int Between(int nLow, int nHigh) { return nLow + Below(nHigh - nLow + 1); }
    bool OneIn(int n) { return Below(n) == 0; }

private:
    const uint8_t* m_pData;
    size_t m_nLeft;
};

CString Gbk(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

// An LF without a CR before it, or a CR without an LF after it.
bool HasLoneBreak(const CString& str)
{
    const std::string& s = str.str();
    for (size_t i = 0; i < s.size(); i++)
        if ((s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) || (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')))
            return true;
    return false;
}

// Everything of a document that its file keeps, as text, so that a difference can be named.
struct CDocumentImage {
    int nRows = 0;
    std::vector<std::string> arrCells;   // rows 1 to nRows - 1, the heading column and fields A to Z
    std::vector<int> arrWidths;          // fields A to Z
    std::vector<std::string> arrItems;
    LONG nPaperWidth = 0, nPaperHeight = 0;

    explicit CDocumentImage(const CMainDlg& dlg)
    {
        const CGridCtrl& grid = dlg.m_wndGrid;
        nRows = grid.GetRowCount();
        for (int nRow = 1; nRow < nRows; nRow++)
            for (int nCol = 0; nCol <= 26; nCol++)
                arrCells.push_back(grid.GetItemText(nRow, nCol).str());
        for (int nCol = 1; nCol <= 26; nCol++)
            arrWidths.push_back(grid.GetColumnWidth(nCol));
        for (int i = 0; i < dlg.m_printSet.GetItemCount(); i++) {
            const CPrintItem* pItem = dlg.m_printSet.GetItem(i);
            const CRect& r = pItem->m_rectPaper;
            arrItems.push_back(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
                               "," + std::to_string(r.bottom) + "|" + pItem->m_strText.str() + "|" +
                               pItem->m_strFontName.str());
        }
        nPaperWidth = dlg.m_printSet.m_nPaperWidth;
        nPaperHeight = dlg.m_printSet.m_nPaperHeight;
    }

    // "" when equal, else the first difference.
    std::string DifferenceFrom(const CDocumentImage& other) const
    {
        if (nRows != other.nRows)
            return "row count " + std::to_string(nRows) + " read as " + std::to_string(other.nRows);
        for (size_t i = 0; i < arrCells.size(); i++)
            if (arrCells[i] != other.arrCells[i])
                return "cell " + std::to_string(i / 27 + 1) + "," + std::to_string(i % 27) + " \"" + arrCells[i] +
                       "\" read as \"" + other.arrCells[i] + "\"";
        for (size_t i = 0; i < arrWidths.size(); i++)
            if (arrWidths[i] != other.arrWidths[i])
                return "width of field " + std::to_string(i + 1) + " " + std::to_string(arrWidths[i]) + " read as " +
                       std::to_string(other.arrWidths[i]);
        if (arrItems != other.arrItems)
            return "items differ (" + std::to_string(arrItems.size()) + " saved, " + std::to_string(other.arrItems.size()) +
                   " read)";
        if (nPaperWidth != other.nPaperWidth || nPaperHeight != other.nPaperHeight)
            return "paper size differs";
        return "";
    }
};

// Texts a user pastes or types: names, awards, numbers, spaces, separators, now and then a
// text far wider than any column.
const char* const s_pszWords[] = {"王五", "张三", "一等奖", "数学竞赛", "李", "高二（3）班", "Ann", "2024-06-01",
                                  "x", "  padded  ", "１２３", "陈"};

class CSessionRun {
public:
    CSessionRun(CByteSource& source, CMainDlg& dlg, CMainDlg& reader, const std::string& strFolder,
                std::map<std::string, int>& tally)
        : m_source(source), m_dlg(dlg), m_grid(dlg.m_wndGrid), m_reader(reader), m_strFolder(strFolder),
          m_tally(tally), m_nRecords(dlg.m_wndGrid.GetRowCount() - 1)
    {
    }

    std::string Play();

private:
    CString Word();
    CString ShortWord() { return Gbk(s_pszWords[m_source.Below((int)std::size(s_pszWords))]); }
    CString PastedText();
    CCellID SomeCell();
    CCellID FilledCell(bool bLongest = false);
    QWidget* KeyTarget() const;
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(KeyTarget(), key, mods); }
    void EndOpenEdit();
    void FocusOn(const CCellID& cell);
    void ScrollHome();
    // The table's texts and sizes, to tell whether a step changed them.
    std::string TableState() const;
    static std::string LayoutState(const CPrintSet& printSet);
    void Count(const char* pszKind, bool bChanged = true)
    {
        if (bChanged)
            m_tally[pszKind]++;
    }
    void Fail(const std::string& strWhat)
    {
        if (m_strFailure.empty())
            m_strFailure = strWhat;
    }

    void Paste();
    void TypeIntoCell();
    void AppendWithF2();
    void CutBlock();
    void DeleteCell();
    void SizeDivider(bool bColumn, bool bFit);
    void OpenGrownDocument();
    void Design();
    void DesignStep(CSetupDlg& dlg, QWidget* pWidget);
    void EditItem(CSetupDlg& dlg, QWidget* pWidget, CPrintItem* pItem, CPoint pt);
    void SaveAndReopen();

    CByteSource& m_source;
    CMainDlg& m_dlg;
    CGridCtrl& m_grid;
    CMainDlg& m_reader;
    std::string m_strFolder;
    std::map<std::string, int>& m_tally;
    const int m_nRecords;   // of the table as the session began
    std::string m_strFailure;
    Testing::CMessageBoxRecorder m_boxes;
    Testing::CFileDialogAnswerer m_files;
};

CString CSessionRun::Word()
{
    switch (m_source.Below(16)) {
    case 0: {
        CString str;
        for (int i = 0; i < 3000; i++)
            str += Gbk("王");
        return str;
    }
    case 1:
        return CString('w', m_source.OneIn(2) ? 33000 : 300);
    default:
        return ShortWord();
    }
}

// Lines of fields joined by TAB or comma, ended by LF or CR LF; some lines blank.
CString CSessionRun::PastedText()
{
    CString strText;
    const int nLines = m_source.OneIn(3) ? m_source.Between(1, 14) : m_source.Between(1, 3);
    for (int nLine = 0; nLine < nLines; nLine++) {
        const int nFields = m_source.OneIn(6) ? 0 : m_source.Between(1, 5);
        for (int i = 0; i < nFields; i++) {
            if (i > 0)
                strText += m_source.OneIn(4) ? "," : "\t";
            strText += Word();
        }
        if (nLine + 1 < nLines || m_source.OneIn(2))
            strText += m_source.OneIn(2) ? "\r\n" : "\n";
    }
    return strText;
}

// Mostly near the top, sometimes in the last rows, where a paste grows the table.
CCellID CSessionRun::SomeCell()
{
    const int nLast = m_grid.GetRowCount() - 1;
    const int nRow = m_source.OneIn(4) ? nLast - m_source.Below(4) : m_source.Between(1, std::min(nLast, 30));
    return CCellID(nRow, m_source.OneIn(2) ? m_source.Between(1, 6) : m_source.Between(1, 26));
}

// A cell near the top that holds text: the first one from some cell on, or the one with the
// longest text. Some cell when there is none.
CCellID CSessionRun::FilledCell(bool bLongest)
{
    const CCellID start = SomeCell();
    const int nRows = std::min(m_grid.GetRowCount() - 1, 40);
    CCellID found = start;
    int nLongest = 0;
    for (int i = 0; i < nRows * 26; i++) {
        const int nRow = 1 + (start.row - 1 + i / 26) % nRows, nCol = 1 + (start.col - 1 + i) % 26;
        const int nLength = m_grid.GetItemText(nRow, nCol).GetLength();
        if (nLength > nLongest) {
            found = CCellID(nRow, nCol);
            nLongest = nLength;
            if (!bLongest)
                break;
        }
    }
    return found;
}

QWidget* CSessionRun::KeyTarget() const
{
    QWidget* pFocus = QApplication::focusWidget();
    return pFocus && m_dlg.GetSafeHwnd()->isAncestorOf(pFocus) ? pFocus : m_grid.GetSafeHwnd();
}

// An edit left open by the last step ends as Enter ends it.
void CSessionRun::EndOpenEdit()
{
    if (!qobject_cast<QLineEdit*>(KeyTarget()))
        return;
    Key(Qt::Key_Return);
    // Its window closes at its posted WM_CLOSE.
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void CSessionRun::FocusOn(const CCellID& cell)
{
    EndOpenEdit();
    m_grid.SetFocus();
    m_grid.SetFocusCell(cell);
}

void CSessionRun::ScrollHome()
{
    EndOpenEdit();
    m_grid.SendMessage(WM_HSCROLL, SB_TOP, 0);
    m_grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
}

std::string CSessionRun::LayoutState(const CPrintSet& printSet)
{
    std::string strState = std::to_string(printSet.m_nPaperWidth) + "x" + std::to_string(printSet.m_nPaperHeight);
    for (int i = 0; i < printSet.GetItemCount(); i++) {
        const CPrintItem* pItem = printSet.GetItem(i);
        const CRect& r = pItem->m_rectScreen;
        strState += "|" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                    std::to_string(r.bottom) + ":" + pItem->m_strText.str() + ":" + pItem->m_strFontName.str();
    }
    return strState;
}

// The rows the steps mostly touch, the row count and the widths: enough to tell whether a step
// changed the table, and quick.
std::string CSessionRun::TableState() const
{
    std::string strState = std::to_string(m_grid.GetRowCount()) + "|";
    for (int nRow = 0; nRow < std::min(m_grid.GetRowCount(), 41); nRow++) {
        strState += std::to_string(m_grid.GetRowHeight(nRow)) + "|";
        for (int nCol = 0; nCol < m_grid.GetColumnCount(); nCol++)
            strState += m_grid.GetItemText(nRow, nCol).str() + "|";
    }
    for (int nCol = 0; nCol < m_grid.GetColumnCount(); nCol++)
        strState += std::to_string(m_grid.GetColumnWidth(nCol)) + "|";
    return strState;
}

void CSessionRun::Paste()
{
    QApplication::clipboard()->setText(Codec::ToUnicode(PastedText()));
    FocusOn(SomeCell());
    const int nRows = m_grid.GetRowCount();
    const std::string strBefore = TableState();
    Key(Qt::Key_V, Qt::ControlModifier);
    Count("pasted", TableState() != strBefore);
    Count("grew", m_grid.GetRowCount() > nRows);
}

// Typing starts an edit; letters and input-method text follow; Enter, Tab, Esc or an arrow
// ends it.
void CSessionRun::TypeIntoCell()
{
    FocusOn(SomeCell());
    const std::string strBefore = TableState();
    QTest::keyClick(m_grid.GetSafeHwnd(), (char)('a' + m_source.Below(26)));
    QWidget* pEdit = qobject_cast<QLineEdit*>(KeyTarget());
    if (!pEdit)
        return;
    QTest::keyClicks(pEdit, QString("xyz").left(m_source.Below(4)));
    if (m_source.OneIn(2)) {
        QInputMethodEvent commit;
        commit.setCommitString(Codec::ToUnicode(ShortWord()));
        QApplication::sendEvent(pEdit, &commit);
    }
    static const Qt::Key s_keys[] = {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Down, Qt::Key_Right};
    Key(s_keys[m_source.Below((int)std::size(s_keys))]);
    Count("typed", TableState() != strBefore);
}

// F2 opens the cell's whole text; what is typed at its end is added to all of it.
void CSessionRun::AppendWithF2()
{
    const CCellID cell = FilledCell(m_source.OneIn(2));
    FocusOn(cell);
    // Sometimes a text longer than an edit holds by default is pasted there first.
    if (m_source.OneIn(3)) {
        QApplication::clipboard()->setText(QString(33000, 'w') + "end");
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    const CString strBefore = m_grid.GetItemText(cell.row, cell.col);
    Key(Qt::Key_F2);
    if (!qobject_cast<QLineEdit*>(KeyTarget()))
        return;
    Key(Qt::Key_End);
    QTest::keyClicks(KeyTarget(), "+1");
    Key(Qt::Key_Return);
    if (m_grid.GetItemText(cell.row, cell.col) != strBefore + "+1")
        Fail("F2 and typing at the end did not keep the cell's " + std::to_string(strBefore.GetLength()) +
             " bytes and add the typed ones");
    Count(strBefore.GetLength() > 32767 ? "appended to a long text" : "appended");
}

// A block chosen with Shift and the arrows, cut with Ctrl+X.
void CSessionRun::CutBlock()
{
    FocusOn(FilledCell());
    for (int i = m_source.Between(1, 3); i > 0; i--)
        Key(Qt::Key_Right, Qt::ShiftModifier);
    for (int i = m_source.Below(4); i > 0; i--)
        Key(Qt::Key_Down, Qt::ShiftModifier);
    const std::string strBefore = TableState();
    Key(Qt::Key_X, Qt::ControlModifier);
    Count("cut", TableState() != strBefore);
}

void CSessionRun::DeleteCell()
{
    FocusOn(FilledCell());
    const std::string strBefore = TableState();
    Key(Qt::Key_Delete);
    Count("deleted", TableState() != strBefore);
}

// Drags a divider in the headings by some pixels, or double-clicks it to fit the column (row)
// before it.
void CSessionRun::SizeDivider(bool bColumn, bool bFit)
{
    ScrollHome();
    CRect rectClient;
    m_grid.GetClientRect(&rectClient);
    // Often the divider after a cell with text, where fitting changes something.
    const CCellID cellFilled = m_source.OneIn(2) ? FilledCell() : CCellID(m_source.Between(1, 30), m_source.Between(1, 26));
    const int nIndex = bColumn ? cellFilled.col : cellFilled.row;
    int nDivider = 0;
    for (int i = 0; i <= nIndex; i++)
        nDivider += bColumn ? m_grid.GetColumnWidth(i) : m_grid.GetRowHeight(i);
    const int nLimit = bColumn ? rectClient.right : rectClient.bottom;
    if (nDivider <= 3 || nDivider >= nLimit - 4)
        return;
    const auto At = [bColumn](int nPos) { return bColumn ? QPoint(nPos, 5) : QPoint(10, nPos); };
    QWidget* pWidget = m_grid.GetSafeHwnd();
    const std::string strBefore = TableState();
    QTest::mouseMove(pWidget, At(nDivider - 8));
    QTest::mouseMove(pWidget, At(nDivider - 1));
    if (bFit) {
        QTest::mouseDClick(pWidget, Qt::LeftButton, {}, At(nDivider - 1));
    } else {
        const int nTo = std::clamp(nDivider - 1 + m_source.Between(-60, 240), 1, nLimit - 1);
        QTest::mousePress(pWidget, Qt::LeftButton, {}, At(nDivider - 1));
        QTest::mouseMove(pWidget, At(nTo));
        QTest::mouseRelease(pWidget, Qt::LeftButton, {}, At(nTo));
    }
    QApplication::processEvents();
    Count(bColumn ? (bFit ? "column fitted" : "column sized") : (bFit ? "row fitted" : "row sized"),
          TableState() != strBefore);
}

// A document of more rows than the table, with columns wider than the table holds (as an
// earlier version wrote them) and item texts with lone LF or CR, opened with "打开文件".
void CSessionRun::OpenGrownDocument()
{
    EndOpenEdit();
    CGridCtrl grid;
    grid.SetRowCount(m_source.Between(m_nRecords + 2, m_nRecords + 2 + m_nRecords * 4 / 3));
    grid.SetColumnCount(27);
    for (int i = m_source.Below(12); i > 0; i--)
        grid.SetItemText(m_source.Between(1, grid.GetRowCount() - 1), m_source.Between(1, 26), Word());
    CPrintSet printSet;
    printSet.m_nPaperWidth = m_source.Between(100, 20000);
    printSet.m_nPaperHeight = m_source.Between(100, 20000);
    static const char* const s_pszTexts[] = {"{A}同学", "AB\nCD", "AB\rCD", "{B}\r\n获{C}", "\n{D}\n"};
    for (int i = m_source.Between(1, 4); i > 0; i--) {
        auto* pItem = new CPrintItem;
        const int x = m_source.Between(-50, (int)printSet.m_nPaperWidth), y = m_source.Between(-50, (int)printSet.m_nPaperHeight);
        pItem->m_rectPaper.SetRect(x, y, x + m_source.Between(0, 900), y + m_source.Between(0, 200));
        pItem->m_strText = Gbk(s_pszTexts[m_source.Below((int)std::size(s_pszTexts))]);
        pItem->m_strFontName = m_source.OneIn(2) ? Gbk("楷体_GB2312") : CString();
        printSet.m_arrItems.Add(pItem);
    }
    std::string strData = CDocumentFile::Build(grid, printSet);
    for (int nField = 0; nField < 26; nField++) {
        const int32_t nWidth = m_source.OneIn(8) ? 32767 + m_source.Below(9000) : m_source.Between(0, 300);
        for (int i = 0; i < 4; i++)
            strData[32 + 4 * nField + i] = (char)((uint32_t)nWidth >> (8 * i));
    }
    const CString strPath(m_strFolder + "/grown.zs");
    CSafeFile::Write(strPath, strData);
    if (m_dlg.IsModified())
        m_boxes.QueueAnswer(IDNO);
    if (!m_dlg.OpenDocument(strPath))
        Fail("a document with more rows did not open");
    Count("opened", m_grid.GetRowCount() > m_nRecords + 1);
}

// The design window, opened with "界面排版", for a few steps, then its close box.
void CSessionRun::Design()
{
    // As the window asks, records are pasted first (mostly).
    if (m_dlg.IsTableEmpty() && !m_source.OneIn(4)) {
        QApplication::clipboard()->setText(QString::fromUtf8("张三\t一年级\t数学\t一等奖\n"));
        FocusOn(CCellID(1, 1));
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    EndOpenEdit();
    const int nSteps = m_source.Between(1, 6);
    // Each dialog gets its answer from an answerer of its own, so that an answer the dialog
    // did not take (the window refused an empty table) is not taken by a later one.
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [this, nSteps](CDialog& d) {
        auto& dlg = static_cast<CSetupDlg&>(d);
        QWidget* pWidget = dlg.GetSafeHwnd();
        dlg.Invalidate(FALSE);
        dlg.UpdateWindow();   // places the items on the page
        Count("designed");
        for (int i = 0; i < nSteps && pWidget->isVisible(); i++)
            DesignStep(dlg, pWidget);
        if (pWidget->isVisible())
            pWidget->close();
    });
    QTest::mouseClick(qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_LAYOUT_DESIGN)->GetSafeHwnd()), Qt::LeftButton);
}

void CSessionRun::DesignStep(CSetupDlg& dlg, QWidget* pWidget)
{
    const CRect& rectPage = dlg.m_rectPage;
    CPrintSet& printSet = *dlg.m_pPrintSet;
    const CPoint ptAny(m_source.Between(rectPage.left, rectPage.right - 1), m_source.Between(rectPage.top, rectPage.bottom - 1));
    CPrintItem* pItem = printSet.GetItemCount() ? printSet.GetItem(m_source.Below(printSet.GetItemCount())) : nullptr;
    CRect rectItem = pItem ? pItem->m_rectScreen : CRect();
    rectItem.NormalizeRect();
    const CPoint ptItem = rectItem.CenterPoint();
    const auto at = [](CPoint pt) { return QPoint(pt.x, pt.y); };
    const auto click = [&](CPoint pt) { QTest::mouseClick(pWidget, Qt::LeftButton, {}, at(pt)); };
    const auto drag = [&](CPoint ptFrom, int dx, int dy) {
        QTest::mousePress(pWidget, Qt::LeftButton, {}, at(ptFrom));
        QTest::mouseMove(pWidget, at(CPoint(ptFrom.x + dx / 2, ptFrom.y + dy / 2)));
        QTest::mouseMove(pWidget, at(CPoint(ptFrom.x + dx, ptFrom.y + dy)));
        QTest::mouseRelease(pWidget, Qt::LeftButton, {}, at(CPoint(ptFrom.x + dx, ptFrom.y + dy)));
    };
    const std::string strBefore = LayoutState(printSet);
    const char* pszKind = "item edited";
    switch (m_source.Below(pItem ? 8 : 3)) {
    case 0:   // double-click the page: a new item there, or the editor of the item there
        if (CPrintItem* pHit = dlg.ItemFromPoint(ptAny)) {
            EditItem(dlg, pWidget, pHit, ptAny);
        } else {
            pszKind = "item added";
            QTest::mouseDClick(pWidget, Qt::LeftButton, {}, at(ptAny));
        }
        break;
    case 1: {   // the paper size, within the editor's limits
        const int nWidth = m_source.Between(100, 20000), nHeight = m_source.Between(100, 20000);
        Testing::CModalDialogAnswerer dialogs;
        dialogs.QueueAnswer(IDD_PAGESIZE_DIALOG, IDOK, [nWidth, nHeight](CDialog& size) {
            static_cast<QLineEdit*>(size.GetDlgItem(IDC_PAPER_WIDTH)->GetSafeHwnd())->setText(QString::number(nWidth));
            static_cast<QLineEdit*>(size.GetDlgItem(IDC_PAPER_HEIGHT)->GetSafeHwnd())->setText(QString::number(nHeight));
        });
        pszKind = "paper sized";
        click(dlg.m_rectSizeButton.CenterPoint());
        break;
    }
    case 2:
        pszKind = "undone or redone";
        QTest::keyClick(pWidget, m_source.OneIn(2) ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
        break;
    case 3:
        pszKind = "item moved";
        drag(ptItem, m_source.Between(-120, 120), m_source.Between(-120, 120));
        break;
    case 4:   // select, then drag one of the edge handles
        pszKind = "item resized";
        click(ptItem);
        if (dlg.m_pSelItem)
            drag(dlg.m_rectHandles[m_source.Between(4, 7)].CenterPoint(), m_source.Between(-80, 80), m_source.Between(-40, 40));
        break;
    case 5:
        pszKind = "item deleted";
        click(ptItem);
        QTest::keyClick(pWidget, Qt::Key_Delete);
        break;
    case 6:
        pszKind = "item nudged";
        click(ptItem);
        QTest::keyClick(pWidget, m_source.OneIn(2) ? Qt::Key_Left : Qt::Key_Down, m_source.OneIn(2) ? Qt::ShiftModifier : Qt::NoModifier);
        break;
    default:
        if (CPrintItem* pHit = dlg.ItemFromPoint(ptItem))
            EditItem(dlg, pWidget, pHit, ptItem);
        break;
    }
    Count(pszKind, LayoutState(printSet) != strBefore);
}

// The item editor on the item at pt: left as it is, given a new text or size, cancelled or
// told to delete. "确定" on an untouched text gives the item its text back byte for byte.
void CSessionRun::EditItem(CSetupDlg&, QWidget* pWidget, CPrintItem* pItem, CPoint pt)
{
    const CString strBefore = pItem->m_strText;
    // 0: a new size only; 1: a new text and size; 2: nothing changed; 3: cancel; 4: delete.
    const int nKind = m_source.Below(5);
    const int nWidth = m_source.Between(10, 1900), nHeight = m_source.Between(5, 100);
    const CString strTyped = ShortWord();
    static const int s_nButtons[] = {IDOK, IDOK, IDOK, IDCANCEL, IDC_DELETE_ITEM};
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_EDIT_DIALOG, s_nButtons[nKind], [=](CDialog& edit) {
        if (nKind == 1) {
            // The editor is the active window, as a dialog the user has just opened is.
            auto* pText = qobject_cast<QPlainTextEdit*>(edit.GetDlgItem(IDC_ITEM_TEXT)->GetSafeHwnd());
            pText->window()->activateWindow();
            pText->setFocus();
            QTest::keyClick(pText, Qt::Key_End, Qt::ControlModifier);
            QInputMethodEvent commit;
            commit.setCommitString(Codec::ToUnicode(strTyped));
            QApplication::sendEvent(pText, &commit);
            QTest::keyClick(pText, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(pText, "{A}");
        }
        if (nKind == 0 || nKind == 1) {
            static_cast<QLineEdit*>(edit.GetDlgItem(IDC_ITEM_WIDTH)->GetSafeHwnd())->setText(QString::number(nWidth));
            static_cast<QLineEdit*>(edit.GetDlgItem(IDC_ITEM_HEIGHT)->GetSafeHwnd())->setText(QString::number(nHeight));
        }
    });
    QTest::mouseDClick(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y));
    // The delete button may have taken the item away.
    if (nKind == 1 || nKind == 4)
        return;
    if (pItem->m_strText != strBefore)
        Fail("the item editor changed a text it was not asked to change");
    Count("item text with a lone LF or CR kept", HasLoneBreak(strBefore));
}

// Saves with "保存文件" (a new document asks for its name), then opens the file in a fresh
// main window. A table without any text is refused, with its message.
void CSessionRun::SaveAndReopen()
{
    EndOpenEdit();
    const size_t nMessages = m_boxes.Calls().size();
    const BOOL bBlank = m_dlg.IsTableBlank();
    if (m_dlg.m_strPathName == Gbk("新文件"))
        m_files.QueueAnswer(CString(m_strFolder + "/session.zs"));
    QTest::mouseClick(qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_SAVE_FILE)->GetSafeHwnd()), Qt::LeftButton);
    if (bBlank) {
        if (m_boxes.Calls().size() != nMessages + 1 || m_boxes.Calls().back().strText != Gbk("是空表，不能保存。"))
            Fail("a table without text was not refused with its message");
        Count("refused");
        return;
    }
    if (m_boxes.Calls().size() != nMessages)
        Fail("saving showed a message: " + Codec::ToUnicode(m_boxes.Calls().back().strText).toStdString());
    if (m_dlg.IsModified())
        Fail("the saved document is still marked modified");

    const CDocumentImage saved(m_dlg);
    CMainDlg& reader = m_reader;
    if (!reader.LoadDocument(m_dlg.m_strPathName))
        Fail("the saved document did not open again");
    else if (m_boxes.Calls().size() != nMessages)
        Fail("opening the saved document showed a message");
    else
        Fail(saved.DifferenceFrom(CDocumentImage(reader)));
    Count("saved and read", m_strFailure.empty());
    Count("saved and read with more rows", m_strFailure.empty() && saved.nRows > m_nRecords + 1);
    Count("saved and read with items", m_strFailure.empty() && !saved.arrItems.empty());
}

// Up to 24 steps while the bytes last, then the round trip.
std::string CSessionRun::Play()
{
    for (int nStep = 0; nStep < 24 && !m_source.IsEmpty() && m_strFailure.empty(); nStep++) {
        switch (m_source.Below(12)) {
        case 0: case 1: Paste(); break;
        case 2: TypeIntoCell(); break;
        case 3: AppendWithF2(); break;
        case 4: CutBlock(); break;
        case 5: DeleteCell(); break;
        case 6: SizeDivider(true, false); break;
        case 7: SizeDivider(true, true); break;
        case 8: SizeDivider(false, m_source.OneIn(2)); break;
        case 9: OpenGrownDocument(); break;
        default: Design(); break;
        }
    }
    if (m_strFailure.empty())
        SaveAndReopen();
    return m_strFailure;
}

} // namespace

// A small background picture in the program's folder keeps the design window quick.
CUserSession::CUserSession(CMainApp& app, const std::string& strFolder, int nRecords, bool bReuseWindows)
    : m_app(app), m_strFolder(strFolder), m_nRecords(nRecords), m_bReuseWindows(bReuseWindows)
{
    std::strcpy(m_app.m_szAppDir, Codec::FromUnicode(QString::fromStdString(m_strFolder)));
    QImage picture(48, 34, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.save(QString::fromStdString(m_strFolder + "/back.jpg"), "JPG");
}

CUserSession::~CUserSession()
{
    CloseWindows();
}

void CUserSession::CloseWindows()
{
    for (std::unique_ptr<CMainDlg>* ppDlg : {&m_pDialog, &m_pReader}) {
        if (*ppDlg)
            (*ppDlg)->DestroyWindow();
        ppDlg->reset();
    }
}

// The two windows are made once when the session reuses them. The main window then goes back
// to a new document of m_nRecords records before each run: no text, the new table's sizes,
// no items, the default paper, no path, nothing modified. The reader starts from the new
// table's rows; opening a document replaces everything else it keeps.
std::string CUserSession::Run(const uint8_t* pData, size_t nSize)
{
    if (!m_pDialog)
        m_pDialog = MakeWindow();
    if (!m_pReader)
        m_pReader = MakeWindow();
    if (!m_pDialog || !m_pReader)
        return "the main window could not be made";
    CMainDlg& dlg = *m_pDialog;
    NewDocument(dlg);
    m_pReader->m_wndGrid.SetRowCount(m_nRecords + 1);
    dlg.ShowWindow(SW_SHOW);
    m_app.m_pMainWnd = &dlg;
    CByteSource source(pData, nSize);
    std::string strFailure = CSessionRun(source, dlg, *m_pReader, m_strFolder, m_tally).Play();
    m_app.m_pMainWnd = nullptr;
    if (!m_bReuseWindows)
        CloseWindows();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return strFailure;
}

std::unique_ptr<CMainDlg> CUserSession::MakeWindow() const
{
    auto pDlg = std::make_unique<CMainDlg>();
    if (!pDlg->Create(CMainDlg::IDD))
        return nullptr;
    pDlg->m_wndGrid.SetRowCount(m_nRecords + 1);
    return pDlg;
}

void CUserSession::NewDocument(CMainDlg& dlg) const
{
    CGridCtrl& grid = dlg.m_wndGrid;
    grid.SetFocusCell(-1, -1);
    grid.ResetSelectedRange();
    grid.SetRowCount(m_nRecords + 1);
    for (int nRow = 1; nRow <= m_nRecords; nRow++) {
        grid.SetRowHeight(nRow, grid.GetDefCellHeight());
        for (int nCol = 1; nCol <= 26; nCol++)
            grid.SetItemText(nRow, nCol, "");
    }
    grid.SetRowHeight(0, grid.GetDefCellHeight());
    for (int nCol = 1; nCol <= 26; nCol++)
        grid.SetColumnWidth(nCol, grid.GetDefCellWidth());
    grid.SetColumnWidth(0, 40);
    grid.SendMessage(WM_HSCROLL, SB_TOP, 0);
    grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
    dlg.m_printSet.RemoveAllItems();
    dlg.m_printSet.m_nPaperWidth = 2450;
    dlg.m_printSet.m_nPaperHeight = 1760;
    dlg.m_strPathName = Gbk("新文件");
    dlg.m_nCurRecord = 2;
    dlg.SetModified(FALSE);
    dlg.UpdateTitle();
}
