// In-place editing of the record table, driven by real key, mouse and input-method events: the
// keys that open an edit and what the edit then shows, the keys that end it and what reaches
// the cell and the owner, Tab and arrow chains, growth while typing, and refusals.
#include "EditTestSupport.h"

#include "Codec.h"
#include "Dialog.h"
#include "Edit.h"

#include <cstring>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// An owner that, like a dialog, takes Enter, Esc and Tab in its PreTranslateMessage.
class CDialogLikeOwner : public CNotifyRecorder {
public:
    std::vector<UINT> keysTaken;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message != WM_KEYDOWN)
            return FALSE;
        if (pMsg->wParam != VK_RETURN && pMsg->wParam != VK_ESCAPE && pMsg->wParam != VK_TAB)
            return FALSE;
        keysTaken.push_back((UINT)pMsg->wParam);
        return TRUE;
    }
};

struct EditWindow {
    CDialogLikeOwner owner;
    CGridProbe grid;

    EditWindow()
    {
        owner.CreateTopLevel();
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        SetUpRecordTable(grid);
        grid.SetFocus();
    }
    ~EditWindow() { FinishClosing(); }

    QWidget* Grid() { return grid.m_hWnd; }

    // Makes the cell the focus cell of a focused grid.
    void FocusOn(int row, int col)
    {
        grid.SetFocusCell(row, col);
        grid.SetFocus();
    }

    // Types a key on the focus cell (row, col) and returns the edit it opened.
    CInPlaceEdit* TypeOn(int row, int col, char ch)
    {
        FocusOn(row, col);
        QTest::keyClick(Grid(), ch);
        return FocusedInPlaceEdit();
    }

    // The edit notifications of the owner, as (code, row, col).
    std::vector<std::tuple<int, int, int>> EditNotes() const
    {
        std::vector<std::tuple<int, int, int>> notes;
        for (const GridNote& note : owner.notes)
            if ((int)note.code == GVN_BEGINLABELEDIT || (int)note.code == GVN_ENDLABELEDIT)
                notes.emplace_back((int)note.code, note.row, note.col);
        return notes;
    }
};

CRect CellRect(const CGridCtrl& grid, int row, int col)
{
    CRect rect;
    grid.GetCellRect(row, col, rect);
    return rect;
}

std::pair<int, int> Sel(const CEdit* pEdit)
{
    int nStart, nEnd;
    pEdit->GetSel(nStart, nEnd);
    return {nStart, nEnd};
}

CString FromUtf8(const char* psz)
{
    return Codec::FromUnicode(QString::fromUtf8(psz));
}

// The rectangle without the cell's frame and focus frame.
CRect InsideOf(CRect rect)
{
    rect.DeflateRect(3, 3);
    return rect;
}

int DarkPixels(const CWnd& wnd, const CRect& rect)
{
    const QImage& image = wnd.GetBackingImage();
    int n = 0;
    for (int y = rect.top; y < rect.bottom; y++)
        for (int x = rect.left; x < rect.right; x++)
            n += qGray(image.pixel(x, y)) < 96;
    return n;
}

// A dialog with the record table, OK and Cancel, recording OnOK and OnCancel.
enum : UINT { IDD_GRID_DIALOG = 9601, IDC_GRID = 1000 };

class CGridDialog : public CDialog {
public:
    CGridDialog() : CDialog(IDD_GRID_DIALOG)
    {
        const DWORD dwStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
        AfxRegisterDialogTemplate(IDD_GRID_DIALOG, DialogTemplate(320, 200, "grid", dwStyle, "宋体", 9)
            .Control("", IDC_GRID, "MFCGridCtrl", WS_BORDER | WS_TABSTOP, 7, 7, 250, 180)
            .DefPushButton("OK", IDOK, 265, 7, 50, 14)
            .PushButton("Cancel", IDCANCEL, 265, 25, 50, 14));
    }
    CGridProbe grid;
    std::vector<std::string> log;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_GRID, grid); }
    void OnOK() override { log.push_back("ok"); }
    void OnCancel() override { log.push_back("cancel"); }
};

const int BEGIN = GVN_BEGINLABELEDIT;
const int END = GVN_ENDLABELEDIT;

} // namespace

TEST(InPlaceEditTest, TypedKeysOpenTheEditWithTheirText)
{
    struct Case {
        char ch;
        const char* text;
        std::pair<int, int> sel;
    } cases[] = {
        {'7', "7", {1, 1}},          // replaces the text, caret after it
        {' ', "12", {0, 2}},         // selects, types nothing
        {'!', "12", {0, 2}}, {'"', "12", {0, 2}}, {'#', "12", {0, 2}}, {'$', "12", {0, 2}},
        {'%', "12", {0, 2}}, {'&', "12", {0, 2}}, {'\'', "12", {0, 2}}, {'(', "12", {0, 2}},
        {')', ")", {1, 1}},          // the first character past them types again
        {'a', "a", {1, 1}},
    };
    EditWindow w;
    for (const Case& c : cases) {
        w.grid.SetItemText(3, 3, "12");
        CInPlaceEdit* pEdit = w.TypeOn(3, 3, c.ch);
        ASSERT_NE(pEdit, nullptr) << c.ch;
        EXPECT_STREQ(WindowText(pEdit), c.text) << c.ch;
        EXPECT_EQ(Sel(pEdit), c.sel) << c.ch;
        EXPECT_TRUE(pEdit->ExitsOnArrows());
        EXPECT_EQ(WindowRectInGrid(w.grid, pEdit), CellRect(w.grid, 3, 3));
        QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
        FinishClosing();
    }
    EXPECT_STREQ(w.grid.GetItemText(3, 3), "12");
}

TEST(InPlaceEditTest, BackspaceF2AndAClickOpenWithTheCaretAtTheEnd)
{
    EditWindow w;
    w.grid.SetItemText(3, 3, "12");

    w.FocusOn(3, 3);
    QTest::keyClick(w.Grid(), Qt::Key_Backspace);
    CInPlaceEdit* pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), "1");   // the last character is already gone
    EXPECT_EQ(Sel(pEdit), std::make_pair(1, 1));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    FinishClosing();

    w.FocusOn(3, 3);
    QTest::keyClick(w.Grid(), Qt::Key_F2);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), "12");
    EXPECT_EQ(Sel(pEdit), std::make_pair(2, 2));
    EXPECT_FALSE(pEdit->ExitsOnArrows());
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    FinishClosing();

    // Press and release on the focus cell.
    w.FocusOn(3, 3);
    const CPoint pt = CellRect(w.grid, 3, 3).CenterPoint();
    QTest::mouseClick(w.Grid(), Qt::LeftButton, Qt::NoModifier, QPoint(pt.x + 1, pt.y + 1));
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), "12");
    EXPECT_EQ(Sel(pEdit), std::make_pair(2, 2));
    EXPECT_FALSE(pEdit->ExitsOnArrows());
}

TEST(InPlaceEditTest, EnterTakesTheTextAndEscRestoresIt)
{
    EditWindow w;
    w.grid.SetItemText(3, 3, "12");

    // Digit 7 on "12", Enter: the cell holds 7, the focus stays, no new edit.
    CInPlaceEdit* pEdit = w.TypeOn(3, 3, '7');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_TRUE(pEdit->HasEnded());
    EXPECT_STREQ(w.grid.GetItemText(3, 3), "7");
    EXPECT_TRUE(w.grid.GetModified(3, 3));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 3));
    EXPECT_EQ(CWnd::GetFocus(), &w.grid);
    EXPECT_FALSE(w.grid.GetCell(3, 3)->IsEditing());
    FinishClosing();
    EXPECT_EQ(w.grid.GetDlgItem(IDC_INPLACE_CONTROL), nullptr);

    // Typing more, then Esc: the cell keeps its text and is not marked.
    w.grid.SetItemText(4, 4, "old");
    w.grid.SetModified(FALSE);
    pEdit = w.TypeOn(4, 4, 'n');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClicks(pEdit->m_hWnd, "ew");
    EXPECT_STREQ(WindowText(pEdit), "new");
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    EXPECT_STREQ(w.grid.GetItemText(4, 4), "old");
    EXPECT_FALSE(w.grid.GetModified(4, 4));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 4));
    EXPECT_EQ(CWnd::GetFocus(), &w.grid);

    // An edit started with Esc itself ends at once and leaves the cell idle.
    w.FocusOn(4, 4);
    w.grid.OnEditCell(4, 4, CPoint(-1, -1), VK_ESCAPE);
    EXPECT_EQ(FocusedInPlaceEdit(), nullptr);
    EXPECT_FALSE(w.grid.GetCell(4, 4)->IsEditing());
    FinishClosing();
    w.grid.EndEditing();
    EXPECT_STREQ(w.grid.GetItemText(4, 4), "old");

    // Neither key reached the dialog; the owner heard of every edit in order.
    EXPECT_TRUE(w.owner.keysTaken.empty());
    using Note = std::tuple<int, int, int>;
    EXPECT_EQ(w.EditNotes(), (std::vector<Note>{{BEGIN, 3, 3}, {END, 3, 3}, {BEGIN, 4, 4}, {END, 4, 4},
                                                {BEGIN, 4, 4}, {END, 4, 4}}));
}

TEST(InPlaceEditTest, AnUnchangedEditChangesNothing)
{
    EditWindow w;
    // Bytes the widget cannot show as they are still come back unchanged.
    const CString strOdd = CString("A\xFF") + FromUtf8("张");
    w.grid.SetItemText(2, 2, strOdd);
    w.grid.SetModified(FALSE);
    w.FocusOn(2, 2);
    QTest::keyClick(w.Grid(), Qt::Key_F2);
    CInPlaceEdit* pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_STREQ(w.grid.GetItemText(2, 2), strOdd);
    EXPECT_FALSE(w.grid.GetModified(2, 2));
    EXPECT_FALSE(w.grid.GetModified());
}

TEST(InPlaceEditTest, TabChainsAlongTheRowAndShiftTabBack)
{
    EditWindow w;
    w.grid.SetItemText(2, 3, "a0");
    w.grid.SetItemText(2, 4, "b0");
    w.grid.SetModified(FALSE);

    CInPlaceEdit* pFirst = w.TypeOn(2, 3, 'x');
    ASSERT_NE(pFirst, nullptr);
    QTest::keyClick(pFirst->m_hWnd, Qt::Key_Tab);
    EXPECT_STREQ(w.grid.GetItemText(2, 3), "x");
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 4));
    CInPlaceEdit* pSecond = FocusedInPlaceEdit();
    ASSERT_NE(pSecond, nullptr);
    ASSERT_NE(pSecond, pFirst);
    EXPECT_EQ(pSecond->GetColumn(), 4);
    EXPECT_STREQ(WindowText(pSecond), "b0");
    EXPECT_EQ(Sel(pSecond), std::make_pair(0, 2));
    EXPECT_TRUE(w.grid.GetCell(2, 4)->IsEditing());
    EXPECT_FALSE(w.grid.GetCell(2, 3)->IsEditing());

    // Shift+Tab before the old window has closed: back to (2, 3), "b0" untouched.
    QTest::keyClick(pSecond->m_hWnd, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 3));
    EXPECT_FALSE(w.grid.GetModified(2, 4));
    CInPlaceEdit* pThird = FocusedInPlaceEdit();
    ASSERT_NE(pThird, nullptr);
    EXPECT_EQ(pThird->GetColumn(), 3);
    EXPECT_STREQ(WindowText(pThird), "x");
    EXPECT_EQ(Sel(pThird), std::make_pair(0, 1));
    QTest::keyClick(pThird->m_hWnd, Qt::Key_Escape);

    EXPECT_TRUE(w.owner.keysTaken.empty());
    using Note = std::tuple<int, int, int>;
    EXPECT_EQ(w.EditNotes(), (std::vector<Note>{{BEGIN, 2, 3}, {END, 2, 3}, {BEGIN, 2, 4},
                                                {END, 2, 4}, {BEGIN, 2, 3}, {END, 2, 3}}));
    FinishClosing();

    // Tab wraps at the end of a row; in the last cell of the table it reopens the same cell.
    CInPlaceEdit* pEdit = w.TypeOn(5, 26, 'e');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Tab);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(6, 1));
    ASSERT_NE(FocusedInPlaceEdit(), nullptr);
    EXPECT_EQ(FocusedInPlaceEdit()->GetRow(), 6);
    QTest::keyClick(FocusedInPlaceEdit()->m_hWnd, Qt::Key_Escape);
    FinishClosing();

    pEdit = w.TypeOn(300, 26, 'q');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Tab);
    EXPECT_STREQ(w.grid.GetItemText(300, 26), "q");
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(300, 26));
    CInPlaceEdit* pAgain = FocusedInPlaceEdit();
    ASSERT_NE(pAgain, nullptr);
    EXPECT_NE(pAgain, pEdit);
    EXPECT_STREQ(WindowText(pAgain), "q");
    EXPECT_TRUE(w.grid.GetCell(300, 26)->IsEditing());
    FinishClosing();
    // The old window closed; the new one still edits the cell.
    EXPECT_EQ(FocusedInPlaceEdit(), pAgain);
    EXPECT_TRUE(w.grid.GetCell(300, 26)->IsEditing());
    QTest::keyClick(pAgain->m_hWnd, Qt::Key_Return);
    EXPECT_FALSE(w.grid.GetCell(300, 26)->IsEditing());
}

TEST(InPlaceEditTest, ArrowsEndATypedEditButMoveTheCaretOfAClickedOne)
{
    EditWindow w;
    w.grid.SetItemText(5, 4, "below");

    // Opened by typing: Down stores and opens the cell below, Right the next one.
    CInPlaceEdit* pEdit = w.TypeOn(4, 4, 'm');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Down);
    EXPECT_STREQ(w.grid.GetItemText(4, 4), "m");
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 4));
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), "below");
    EXPECT_EQ(Sel(pEdit), std::make_pair(0, 5));
    EXPECT_TRUE(pEdit->ExitsOnArrows());
    // Home and End stay in the edit.
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Home);
    EXPECT_EQ(FocusedInPlaceEdit(), pEdit);
    EXPECT_EQ(Sel(pEdit), std::make_pair(0, 0));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Right);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 5));
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    // Page Down scrolls a page and edits the cell a page further down.
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_PageDown);
    EXPECT_GT(w.grid.GetFocusCell().row, 20);
    EXPECT_EQ(w.grid.GetFocusCell().col, 5);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->GetRow(), w.grid.GetFocusCell().row);
    EXPECT_EQ(WindowRectInGrid(w.grid, pEdit), CellRect(w.grid, pEdit->GetRow(), 5));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    FinishClosing();
    w.grid.SendMessage(WM_VSCROLL, SB_TOP, 0);

    // Opened by F2: arrows move the caret; Ctrl+Left ends the edit and moves left.
    w.grid.SetItemText(5, 5, "abc");
    w.FocusOn(5, 5);
    QTest::keyClick(w.Grid(), Qt::Key_F2);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Left);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Left);
    EXPECT_EQ(FocusedInPlaceEdit(), pEdit);
    EXPECT_EQ(Sel(pEdit), std::make_pair(1, 1));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Down);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_PageDown);
    EXPECT_EQ(FocusedInPlaceEdit(), pEdit);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 5));
    QTest::keyClick(pEdit->m_hWnd, 'Z');
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_STREQ(w.grid.GetItemText(5, 5), "aZbc");
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 4));
    ASSERT_NE(FocusedInPlaceEdit(), nullptr);
    EXPECT_EQ(FocusedInPlaceEdit()->GetColumn(), 4);
}

TEST(InPlaceEditTest, TheEditGrowsRightUpToTheClientEdgeAndNeverShrinks)
{
    EditWindow w;
    w.grid.SetColumnWidth(3, 40);
    CInPlaceEdit* pEdit = w.TypeOn(2, 3, 'a');
    ASSERT_NE(pEdit, nullptr);
    const CRect rectCell = CellRect(w.grid, 2, 3);
    EXPECT_EQ(WindowRectInGrid(w.grid, pEdit), rectCell);

    QTest::keyClicks(pEdit->m_hWnd, "bcdefghijklmnop");
    const CRect rectGrown = WindowRectInGrid(w.grid, pEdit);
    EXPECT_EQ(rectGrown.left, rectCell.left);
    EXPECT_EQ(rectGrown.top, rectCell.top);
    EXPECT_EQ(rectGrown.bottom, rectCell.bottom);
    EXPECT_GT(rectGrown.right, rectCell.right);
    // The text still fits: the widget shows it from its first character.
    auto* pLine = qobject_cast<QLineEdit*>(pEdit->m_hWnd);
    ASSERT_NE(pLine, nullptr);
    EXPECT_GE(rectGrown.Width(), pLine->fontMetrics().horizontalAdvance(pLine->text()));

    CRect rectClient;
    w.grid.GetClientRect(&rectClient);
    QTest::keyClicks(pEdit->m_hWnd, QString(120, 'W'));
    EXPECT_EQ(WindowRectInGrid(w.grid, pEdit).right, rectClient.right);

    for (int i = 0; i < 131; i++)
        QTest::keyClick(pEdit->m_hWnd, Qt::Key_Backspace);
    EXPECT_STREQ(WindowText(pEdit), "abcde");
    EXPECT_EQ(WindowRectInGrid(w.grid, pEdit).right, rectClient.right);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_STREQ(w.grid.GetItemText(2, 3), "abcde");
}

TEST(InPlaceEditTest, LosingTheFocusOrScrollingStoresTheText)
{
    EditWindow w;
    CEdit other;
    ASSERT_TRUE(other.Create(WS_VISIBLE | WS_BORDER, CRect(0, 585, 200, 600), &w.owner, 50));

    w.grid.UpdateWindow();
    const CRect rectInk = InsideOf(CellRect(w.grid, 2, 2));
    ASSERT_EQ(DarkPixels(w.grid, rectInk), 0);

    CInPlaceEdit* pEdit = w.TypeOn(2, 2, 'W');
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClicks(pEdit->m_hWnd, "WW");

    // The edit's own context menu takes the keyboard away without ending the edit.
    QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
    QCoreApplication::sendEvent(pEdit->m_hWnd, &popupOut);
    EXPECT_FALSE(pEdit->HasEnded());
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "");

    other.SetFocus();
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "WWW");
    EXPECT_EQ(pEdit->GetLastChar(), 0u);
    EXPECT_EQ(CWnd::GetFocus(), &other);   // no new edit takes the focus back
    FinishClosing();
    EXPECT_EQ(w.grid.GetDlgItem(IDC_INPLACE_CONTROL), nullptr);

    // The cell that was under the edit is painted anew, with its new text.
    w.grid.UpdateWindow();
    EXPECT_GT(DarkPixels(w.grid, rectInk), 0);

    // A click on the scroll bar's down arrow ends the edit before the view moves.
    pEdit = w.TypeOn(2, 2, 'z');
    ASSERT_NE(pEdit, nullptr);
    QScrollBar* pBar = w.grid.GetScrollBarWidget(SB_VERT);
    ASSERT_NE(pBar, nullptr);
    QTest::mouseClick(pBar, Qt::LeftButton, Qt::NoModifier, QPoint(pBar->width() / 2, pBar->height() - 4));
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "z");
    EXPECT_TRUE(pEdit->HasEnded());
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 2);
    FinishClosing();
    w.grid.SendMessage(WM_VSCROLL, SB_TOP, 0);

    // A press elsewhere in the grid does the same.
    pEdit = w.TypeOn(4, 4, 'p');
    ASSERT_NE(pEdit, nullptr);
    const CPoint pt = CellRect(w.grid, 6, 6).CenterPoint();
    QTest::mouseClick(w.Grid(), Qt::LeftButton, Qt::NoModifier, QPoint(pt.x + 1, pt.y + 1));
    EXPECT_STREQ(w.grid.GetItemText(4, 4), "p");
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(6, 6));
    EXPECT_EQ(FocusedInPlaceEdit(), nullptr);
}

TEST(InPlaceEditTest, ReadOnlyAndUnreachableCellsRefuseTheEdit)
{
    EditWindow w;
    w.grid.SetItemText(3, 3, "fixed");
    w.grid.SetItemState(3, 3, w.grid.GetItemState(3, 3) | GVIS_READONLY);
    EXPECT_EQ(w.TypeOn(3, 3, '5'), nullptr);
    w.FocusOn(3, 3);
    QTest::keyClick(w.Grid(), Qt::Key_F2);
    EXPECT_EQ(FocusedInPlaceEdit(), nullptr);
    EXPECT_STREQ(w.grid.GetItemText(3, 3), "fixed");

    w.grid.SetEditable(FALSE);
    EXPECT_EQ(w.TypeOn(4, 4, '5'), nullptr);
    w.grid.SetEditable(TRUE);

    w.grid.OnEditCell(-1, -1, CPoint(-1, -1), 'x');
    w.grid.OnEditCell(301, 3, CPoint(-1, -1), 'x');
    EXPECT_EQ(FocusedInPlaceEdit(), nullptr);
    EXPECT_TRUE(w.EditNotes().empty());
    EXPECT_EQ(w.grid.GetDlgItem(IDC_INPLACE_CONTROL), nullptr);
}

TEST(InPlaceEditTest, ChineseArrivesAsWholeCharacters)
{
    EditWindow w;
    w.grid.SetItemText(2, 2, "old");

    // An input method commits two characters to the grid: the first opens the edit and
    // replaces the text, the second follows it into the edit.
    w.FocusOn(2, 2);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("张三"));
    QCoreApplication::sendEvent(w.Grid(), &commit);
    CInPlaceEdit* pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), FromUtf8("张三"));

    // Composing shows in the edit without changing its text; the commit lands at the caret.
    QInputMethodEvent preedit(QString::fromUtf8("li"), {});
    QCoreApplication::sendEvent(pEdit->m_hWnd, &preedit);
    EXPECT_STREQ(WindowText(pEdit), FromUtf8("张三"));
    QInputMethodEvent commit2;
    commit2.setCommitString(QString::fromUtf8("李四"));
    QCoreApplication::sendEvent(pEdit->m_hWnd, &commit2);
    EXPECT_STREQ(WindowText(pEdit), FromUtf8("张三李四"));
    EXPECT_EQ(Sel(pEdit), std::make_pair(8, 8));   // after four double-byte characters
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "\xD5\xC5\xC8\xFD\xC0\xEE\xCB\xC4");
    FinishClosing();

    // A double-byte WM_CHAR sent to the grid is one character.
    w.FocusOn(3, 3);
    w.grid.SendMessage(WM_CHAR, 0xD6D0);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_STREQ(WindowText(pEdit), "\xD6\xD0");
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Backspace);
    EXPECT_STREQ(WindowText(pEdit), "");   // one Backspace removes the whole character
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    FinishClosing();

    // Characters outside GBK: committed by an input method they open the edit, and each
    // Backspace takes one whole character, a four-byte sequence or a surrogate pair.
    w.FocusOn(4, 4);
    QInputMethodEvent commitWide;
    commitWide.setCommitString(QString::fromUtf8("王䶮𠀾😀"));
    QCoreApplication::sendEvent(w.Grid(), &commitWide);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    const char* const arrStates[] = {"\xCD\xF5\xFE\x9F\x95\x32\x88\x38\x94\x39\xFC\x36",
                                     "\xCD\xF5\xFE\x9F\x95\x32\x88\x38", "\xCD\xF5\xFE\x9F", "\xCD\xF5", ""};
    for (const char* pszState : arrStates) {
        EXPECT_STREQ(WindowText(pEdit), pszState);
        const int nBytes = (int)std::strlen(pszState);
        EXPECT_EQ(Sel(pEdit), std::make_pair(nBytes, nBytes));
        QTest::keyClick(pEdit->m_hWnd, Qt::Key_Backspace);
    }
    // A four-byte WM_CHAR is one character too; the cell stores its bytes.
    pEdit->SendMessage(WM_CHAR, 0x95328838);
    pEdit->SendMessage(WM_CHAR, 'x');
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_STREQ(w.grid.GetItemText(4, 4), "\x95\x32\x88\x38x");
    FinishClosing();

    // In an edit opened with F2 the arrows step over whole characters.
    QTest::keyClick(w.Grid(), Qt::Key_F2);
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(Sel(pEdit), std::make_pair(5, 5));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Left);
    EXPECT_EQ(Sel(pEdit), std::make_pair(4, 4));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Left);
    EXPECT_EQ(Sel(pEdit), std::make_pair(0, 0));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Right);
    EXPECT_EQ(Sel(pEdit), std::make_pair(4, 4));
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Delete);
    EXPECT_STREQ(WindowText(pEdit), "\x95\x32\x88\x38");
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
}

TEST(InPlaceEditTest, SysCharsAndTheDialogCodes)
{
    EditWindow w;
    CInPlaceEdit* pEdit = w.TypeOn(2, 2, 'a');
    ASSERT_NE(pEdit, nullptr);
    EXPECT_EQ(pEdit->SendMessage(WM_GETDLGCODE), (LRESULT)DLGC_WANTALLKEYS);
    MSG msg {pEdit->m_hWnd, WM_SYSCHAR, 'f', 0, 0, {0, 0}};
    EXPECT_TRUE(pEdit->PreTranslateMessage(&msg));
    msg.message = WM_CHAR;
    EXPECT_FALSE(pEdit->PreTranslateMessage(&msg));
    // Alt+F reaches neither the text nor the grid's edit state.
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_F, Qt::AltModifier);
    EXPECT_STREQ(WindowText(pEdit), "a");
    EXPECT_EQ(FocusedInPlaceEdit(), pEdit);
}

TEST(InPlaceEditTest, EnterAndEscInADialogEndTheEditOnly)
{
    CGridDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_GRID_DIALOG));
    SetUpRecordTable(dlg.grid);
    dlg.grid.SetFocusCell(2, 2);
    dlg.grid.SetFocus();

    QTest::keyClick(dlg.grid.m_hWnd, 'a');
    CInPlaceEdit* pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
    EXPECT_STREQ(dlg.grid.GetItemText(2, 2), "a");

    QTest::keyClick(dlg.grid.m_hWnd, 'b');
    pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClick(pEdit->m_hWnd, Qt::Key_Escape);
    EXPECT_STREQ(dlg.grid.GetItemText(2, 2), "a");
    EXPECT_TRUE(dlg.log.empty());

    // Without an edit the keys are the dialog's.
    FinishClosing();
    ASSERT_EQ(CWnd::GetFocus(), &dlg.grid);
    QTest::keyClick(dlg.grid.m_hWnd, Qt::Key_Escape);
    QTest::keyClick(dlg.grid.m_hWnd, Qt::Key_Return);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"cancel", "ok"}));
}
