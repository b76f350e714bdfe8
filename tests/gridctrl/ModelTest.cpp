#include "GridTestSupport.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstring>

namespace {

// Counts the cells that carry a state bit.
int CountState(const CGridCtrl& grid, UINT nBit)
{
    int n = 0;
    for (int row = 0; row < grid.GetRowCount(); row++)
        for (int col = 0; col < grid.GetColumnCount(); col++)
            if (grid.GetItemState(row, col) & nBit)
                n++;
    return n;
}

// A cell class of the application's own, to check that the grid creates its cells by class.
class CTaggedCell : public CGridCell {
    DECLARE_DYNCREATE(CTaggedCell)
};
IMPLEMENT_DYNCREATE(CTaggedCell, CGridCell)

// A cell of its own that stores every text it is given in capitals.
class CCapitalCell : public CGridCell {
    DECLARE_DYNCREATE(CCapitalCell)
public:
    void SetText(LPCTSTR pch, int nLength) override
    {
        CString str(pch, nLength);
        str.MakeUpper();
        CGridCell::SetText(str);
    }
};
IMPLEMENT_DYNCREATE(CCapitalCell, CGridCell)

} // namespace

TEST(ModelTest, RecordTableSetUp)
{
    WindowedGrid w;
    CGridCtrl& grid = w.grid;

    EXPECT_EQ(grid.GetRowCount(), 301);
    EXPECT_EQ(grid.GetColumnCount(), 27);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    EXPECT_TRUE(grid.GetModified());

    for (int row = 0; row < 301; row++) {
        ASSERT_EQ(grid.GetRowHeight(row), grid.GetDefCellHeight()) << "row " << row;
        for (int col = 0; col < 27; col++) {
            const CGridCellBase* pCell = grid.GetCell(row, col);
            ASSERT_NE(pCell, nullptr) << row << "," << col;
            ASSERT_EQ(pCell->GetGrid(), &grid);
            const bool bFixed = (pCell->GetState() & GVIS_FIXED) != 0;
            ASSERT_EQ(bFixed, row == 0 || col == 0) << row << "," << col;
            ASSERT_EQ(pCell->GetFormat(), 0x8824u);
            ASSERT_EQ(std::memcmp(pCell->GetFont(), grid.GetGridLogFont(), sizeof(LOGFONT)), 0);
        }
    }
    for (int col = 0; col < 27; col++)
        EXPECT_EQ(grid.GetColumnWidth(col), grid.GetDefCellWidth()) << "col " << col;
    EXPECT_EQ(grid.GetCell(301, 0), nullptr);
    EXPECT_EQ(grid.GetCell(0, 27), nullptr);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_EQ(grid.GetCurrentRow(), -1);
    EXPECT_STREQ(grid.GetRuntimeClass()->m_lpszClassName, "CGridCtrl");

    // Headings and a record written the way the main window does.
    grid.SetItemText(0, 1, "A");
    grid.SetItemText(300, 0, "300");
    grid.SetItemText(5, 3, "\xd5\xc5\xc8\xfd");
    EXPECT_EQ(grid.GetItemText(0, 1), CString("A"));
    EXPECT_EQ(grid.GetItemText(300, 0), CString("300"));
    EXPECT_EQ(grid.GetItemText(5, 3), CString("\xd5\xc5\xc8\xfd"));
    EXPECT_TRUE(grid.SetColumnWidth(0, 40));
    EXPECT_EQ(grid.GetColumnWidth(0), 40);
}

TEST(ModelTest, NewCellsContinueTheFormatOfTheirColumn)
{
    CGridCtrl grid;
    SetUpRecordTable(grid);
    grid.SetItemFormat(0, 5, 0x8025);
    grid.SetItemFormat(300, 5, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);

    ASSERT_TRUE(grid.SetRowCount(302));
    EXPECT_EQ(grid.GetItemFormat(301, 5), (UINT)(DT_RIGHT | DT_VCENTER | DT_SINGLELINE));
    EXPECT_EQ(grid.GetItemFormat(301, 4), 0x8824u);
    EXPECT_EQ(grid.GetItemState(301, 0), (UINT)GVIS_FIXED);
    EXPECT_EQ(grid.GetItemState(301, 1), 0u);
    EXPECT_EQ(grid.GetRowHeight(301), grid.GetDefCellHeight());

    // Below a lone heading row the first record takes the heading's format.
    CGridCtrl headed(1, 3);
    headed.SetItemFormat(0, 1, DT_RIGHT | DT_SINGLELINE);
    headed.SetRowCount(3);
    EXPECT_EQ(headed.GetItemFormat(1, 1), (UINT)(DT_RIGHT | DT_SINGLELINE));
    EXPECT_EQ(headed.GetItemFormat(2, 1), (UINT)(DT_RIGHT | DT_SINGLELINE));
    EXPECT_EQ(headed.GetItemFormat(2, 2), 0x8824u);

    // A new column starts from the default format at the top and carries it down.
    ASSERT_TRUE(grid.SetColumnCount(28));
    EXPECT_EQ(grid.GetItemFormat(0, 27), 0x8824u);
    EXPECT_EQ(grid.GetItemFormat(301, 27), 0x8824u);
    EXPECT_EQ(grid.GetItemState(0, 27), (UINT)GVIS_FIXED);
    EXPECT_EQ(grid.GetItemState(1, 27), 0u);
    EXPECT_EQ(grid.GetColumnWidth(27), grid.GetDefCellWidth());
}

TEST(ModelTest, SameCountChangesNothing)
{
    CGridCtrl grid;
    SetUpRecordTable(grid);
    grid.SetItemText(4, 4, "kept");
    grid.SetRowHeight(4, 33);
    grid.SetModified(FALSE);

    EXPECT_TRUE(grid.SetRowCount(301));
    EXPECT_TRUE(grid.SetColumnCount(27));
    EXPECT_TRUE(grid.SetFixedRowCount(1));
    EXPECT_TRUE(grid.SetFixedColumnCount(1));
    EXPECT_FALSE(grid.GetModified());
    EXPECT_EQ(grid.GetItemText(4, 4), CString("kept"));
    EXPECT_EQ(grid.GetRowHeight(4), 33);
}

TEST(ModelTest, ShrinkingToNothingDestroysEveryCell)
{
    WindowedGrid w;
    CGridCtrl& grid = w.grid;
    grid.SetItemText(7, 7, "gone");
    grid.SetSelectedRange(2, 2, 4, 4);
    grid.SetFocusCell(3, 3);
    grid.SetModified(FALSE);
    w.owner.notes.clear();

    ASSERT_TRUE(grid.SetRowCount(0));
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetFixedRowCount(), 0);
    EXPECT_EQ(grid.GetColumnCount(), 27);
    EXPECT_EQ(grid.GetCell(0, 0), nullptr);
    EXPECT_EQ(grid.GetItemText(7, 7), CString(""));
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
    EXPECT_TRUE(grid.GetModified());
    EXPECT_CONTRACT_BROKEN(EXPECT_EQ(grid.GetRowHeight(0), -1));
    // Losing the focus was reported.
    ASSERT_EQ(w.owner.notes.size(), 1u);
    EXPECT_EQ(w.owner.notes[0].code, (UINT)GVN_SELCHANGING);
    EXPECT_EQ(w.owner.notes[0].row, 3);

    // Growing again: only the heading column is fixed now.
    ASSERT_TRUE(grid.SetRowCount(3));
    EXPECT_EQ(grid.GetItemState(0, 0), (UINT)GVIS_FIXED);
    EXPECT_EQ(grid.GetItemState(0, 1), 0u);
    EXPECT_EQ(grid.GetItemText(2, 2), CString(""));

    ASSERT_TRUE(grid.DeleteAllItems());
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetColumnCount(), 0);
    EXPECT_EQ(grid.GetFixedColumnCount(), 0);
    EXPECT_CONTRACT_BROKEN(EXPECT_EQ(grid.GetColumnWidth(0), -1));
}

TEST(ModelTest, FixedCountsGrowAndShrinkTheFixedBit)
{
    CGridCtrl grid(1, 3);
    grid.SetItemBkColour(0, 2, RGB(255, 0, 0));

    // More fixed rows than rows: the grid grows first.
    ASSERT_TRUE(grid.SetFixedRowCount(2));
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetFixedRowCount(), 2);
    EXPECT_EQ(CountState(grid, GVIS_FIXED), 6);
    EXPECT_EQ(grid.GetItemBkColour(0, 2), CLR_DEFAULT);

    ASSERT_TRUE(grid.SetFixedColumnCount(1));
    ASSERT_TRUE(grid.SetRowCount(4));
    EXPECT_EQ(CountState(grid, GVIS_FIXED), 2 * 3 + 2);

    // Shrinking leaves the heading column fixed.
    grid.SetItemFgColour(1, 1, RGB(0, 0, 255));
    ASSERT_TRUE(grid.SetFixedRowCount(1));
    EXPECT_EQ(grid.GetItemState(1, 0), (UINT)GVIS_FIXED);
    EXPECT_EQ(grid.GetItemState(1, 1), 0u);
    EXPECT_EQ(grid.GetItemFgColour(1, 1), CLR_DEFAULT);
    EXPECT_EQ(CountState(grid, GVIS_FIXED), 3 + 3);

    ASSERT_TRUE(grid.SetFixedColumnCount(0));
    EXPECT_EQ(CountState(grid, GVIS_FIXED), 3);

    // More fixed columns than columns grows the columns.
    ASSERT_TRUE(grid.SetFixedColumnCount(5));
    EXPECT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(CountState(grid, GVIS_FIXED), 4 * 5);
}

TEST(ModelTest, SelectedCellMapFollowsTheSelectedBit)
{
    CGridProbe grid;
    SetUpRecordTable(grid);

    ASSERT_TRUE(grid.SetItemState(7, 3, GVIS_SELECTED | GVIS_MODIFIED));
    ASSERT_EQ(grid.m_SelectedCellMap.size(), 1u);
    const auto it = grid.m_SelectedCellMap.find((3u << 16) | 7u);
    ASSERT_NE(it, grid.m_SelectedCellMap.end());
    EXPECT_EQ(it->second, CCellID(7, 3));
    EXPECT_TRUE(grid.IsCellSelected(7, 3));

    // Setting the bit again does not add a second entry; other bits do not touch the map.
    grid.SetItemState(7, 3, GVIS_SELECTED);
    grid.SetItemState(3, 7, GVIS_READONLY);
    EXPECT_EQ(grid.m_SelectedCellMap.size(), 1u);

    grid.SetItemState(7, 3, GVIS_MODIFIED);
    EXPECT_TRUE(grid.m_SelectedCellMap.empty());
    EXPECT_FALSE(grid.IsCellSelected(7, 3));
    EXPECT_EQ(grid.GetItemState(7, 3), (UINT)GVIS_MODIFIED);

    // A cell that goes away leaves the map.
    grid.SetItemState(300, 26, GVIS_SELECTED);
    grid.SetRowCount(300);
    EXPECT_TRUE(grid.m_SelectedCellMap.empty());

    grid.SetItemState(5, 26, GVIS_SELECTED);
    grid.SetColumnCount(26);
    EXPECT_TRUE(grid.m_SelectedCellMap.empty());
}

TEST(ModelTest, ModifiedMarks)
{
    CGridCtrl grid;
    SetUpRecordTable(grid);
    grid.SetModified(FALSE);
    EXPECT_FALSE(grid.GetModified());

    grid.SetModified(TRUE, 3, 4);
    EXPECT_TRUE(grid.GetModified());
    EXPECT_TRUE(grid.GetModified(3, 4));
    EXPECT_EQ(CountState(grid, GVIS_MODIFIED), 1);

    // Writing a text marks its cell.
    grid.SetItemText(10, 2, "x");
    EXPECT_TRUE(grid.GetModified(10, 2));

    // Unmarking one cell leaves the grid modified.
    grid.SetModified(FALSE, 3, 4);
    EXPECT_FALSE(grid.GetModified(3, 4));
    EXPECT_TRUE(grid.GetModified());
    EXPECT_EQ(CountState(grid, GVIS_MODIFIED), 1);

    grid.SetModified(FALSE);
    EXPECT_FALSE(grid.GetModified());
    EXPECT_EQ(CountState(grid, GVIS_MODIFIED), 0);

    // A heading cell speaks for the grid only.
    grid.SetModified(TRUE, 0, 4);
    EXPECT_TRUE(grid.GetModified());
    EXPECT_EQ(CountState(grid, GVIS_MODIFIED), 0);
    grid.SetItemText(0, 4, "D");
    EXPECT_EQ(CountState(grid, GVIS_MODIFIED), 0);

    // The counted form marks the same way, for the standard cell and any other.
    CGridProbe probe;
    SetUpRecordTable(probe);
    ASSERT_TRUE(probe.SetCellType(7, 7, RUNTIME_CLASS(CCapitalCell)));
    probe.SetModified(FALSE);
    EXPECT_TRUE(probe.SetItemText(6, 6, "abcdef", 3));
    EXPECT_TRUE(probe.SetItemText(7, 7, "abcdef", 3));
    EXPECT_FALSE(probe.SetItemText(301, 7, "abc", 3));
    EXPECT_EQ(probe.GetItemText(6, 6), CString("abc"));
    EXPECT_EQ(probe.GetItemText(7, 7), CString("ABC"));
    EXPECT_TRUE(probe.GetModified(6, 6));
    EXPECT_TRUE(probe.GetModified(7, 7));
    EXPECT_EQ(CountState(probe, GVIS_MODIFIED), 2);
    probe.SetModified(FALSE);
    EXPECT_TRUE(probe.SetItemText(0, 7, "G", 1));
    EXPECT_TRUE(probe.GetModified());
    EXPECT_EQ(CountState(probe, GVIS_MODIFIED), 0);

    // A row at a time: texts one after another, the other cell class through its override,
    // and fields past the last column passed over.
    probe.SetModified(FALSE);
    const uint32_t arrLengths[] = {2, 0, 5, 3, 1, 1};
    probe.SetRowTexts(7, 5, 4, "xyabcdedef", arrLengths);
    EXPECT_EQ(probe.GetItemText(7, 5), CString("xy"));
    EXPECT_EQ(probe.GetItemText(7, 6), CString());
    EXPECT_EQ(probe.GetItemText(7, 7), CString("ABCDE"));
    EXPECT_EQ(probe.GetItemText(7, 8), CString("def"));
    EXPECT_EQ(probe.GetItemText(7, 9), CString());
    EXPECT_EQ(CountState(probe, GVIS_MODIFIED), 4);
    probe.SetRowTexts(8, 25, 6, "xyabcdedef", arrLengths);
    EXPECT_EQ(probe.GetItemText(8, 25), CString("xy"));
    EXPECT_EQ(probe.GetItemText(8, 26), CString());
    probe.SetRowTexts(301, 1, 2, "xy", arrLengths);
    probe.SetRowTexts(-1, 1, 2, "xy", arrLengths);
    EXPECT_EQ(CountState(probe, GVIS_MODIFIED), 6);
    EXPECT_TRUE(probe.GetModified());
}

TEST(ModelTest, BadInputIsRefused)
{
    CGridCtrl grid;
    SetUpRecordTable(grid);
    grid.SetItemText(1, 1, "a");
    grid.SetModified(FALSE);

    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.SetRowCount(-1)));
    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.SetColumnCount(-5)));
    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.SetFixedRowCount(-1)));
    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.SetFixedColumnCount(-2)));
    EXPECT_EQ(grid.GetRowCount(), 301);
    EXPECT_EQ(grid.GetColumnCount(), 27);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);

    const int bad[][2] = {{-1, 1}, {1, -1}, {301, 1}, {1, 27}, {-5, -5}, {70000, 3}};
    for (const auto& p : bad) {
        const int row = p[0], col = p[1];
        EXPECT_FALSE(grid.SetItemText(row, col, "x"));
        EXPECT_EQ(grid.GetItemText(row, col), CString(""));
        EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.SetItemState(row, col, GVIS_SELECTED)));
        EXPECT_EQ(grid.GetItemState(row, col), 0u);
        EXPECT_FALSE(grid.SetItemFormat(row, col, DT_RIGHT));
        EXPECT_EQ(grid.GetItemFormat(row, col), 0u);
        EXPECT_FALSE(grid.SetItemBkColour(row, col, 0));
        EXPECT_FALSE(grid.SetItemFgColour(row, col, 0));
        EXPECT_FALSE(grid.SetItemFont(row, col, grid.GetGridLogFont()));
        EXPECT_EQ(grid.GetItemFont(row, col), nullptr);
        EXPECT_EQ(grid.GetCell(row, col), nullptr);
        EXPECT_FALSE(grid.IsValid(row, col));
        EXPECT_FALSE(grid.IsCellEditable(row, col));
        EXPECT_FALSE(grid.IsCellSelected(row, col));
    }
    EXPECT_FALSE(grid.SetItemFont(1, 1, nullptr));
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_FALSE(grid.GetModified());

    // A missing text is stored as an empty one.
    EXPECT_TRUE(grid.SetItemText(1, 1, nullptr));
    EXPECT_EQ(grid.GetItemText(1, 1), CString(""));

    EXPECT_CONTRACT_BROKEN(EXPECT_EQ(grid.GetRowHeight(-1), -1));
    EXPECT_CONTRACT_BROKEN(EXPECT_EQ(grid.GetRowHeight(301), -1));
    EXPECT_CONTRACT_BROKEN(EXPECT_EQ(grid.GetColumnWidth(27), -1));
    EXPECT_FALSE(grid.SetRowHeight(301, 20));
    EXPECT_FALSE(grid.SetRowHeight(2, -1));
    EXPECT_FALSE(grid.SetColumnWidth(-1, 20));
    EXPECT_FALSE(grid.SetColumnWidth(2, -8));
    EXPECT_EQ(grid.GetRowHeight(2), grid.GetDefCellHeight());
    EXPECT_EQ(grid.GetColumnWidth(2), grid.GetDefCellWidth());
    // Zero hides a row.
    EXPECT_TRUE(grid.SetRowHeight(2, 0));
    EXPECT_EQ(grid.GetRowHeight(2), 0);

    EXPECT_TRUE(grid.IsValid(CCellRange(1, 1, 300, 26)));
    EXPECT_FALSE(grid.IsValid(CCellRange(1, 1, 301, 26)));
    EXPECT_FALSE(grid.IsValid(CCellRange(3, 1, 2, 26)));
    EXPECT_FALSE(grid.IsValid(CCellRange(-1, 1, 2, 26)));
    EXPECT_FALSE(grid.IsValid(CCellID(-1, -1)));

    // Read-only cells and a read-only grid refuse editing.
    EXPECT_TRUE(grid.IsCellEditable(4, 4));
    grid.SetItemState(4, 4, GVIS_READONLY);
    EXPECT_FALSE(grid.IsCellEditable(4, 4));
    grid.SetEditable(FALSE);
    EXPECT_FALSE(grid.IsCellEditable(5, 5));
}

TEST(ModelTest, CellsAreMadeOfTheChosenClass)
{
    CGridCtrl grid;
    grid.SetDefaultCellType(RUNTIME_CLASS(CTaggedCell));
    grid.SetRowCount(2);
    grid.SetColumnCount(2);
    EXPECT_TRUE(grid.GetCell(1, 1)->IsKindOf(RUNTIME_CLASS(CTaggedCell)));

    // A class that is not a cell is refused; the previous choice stays.
    EXPECT_CONTRACT_BROKEN(grid.SetDefaultCellType(RUNTIME_CLASS(CGridCtrl)));
    grid.SetColumnCount(3);
    EXPECT_TRUE(grid.GetCell(0, 2)->IsKindOf(RUNTIME_CLASS(CTaggedCell)));

    // One cell changes class and keeps what it held.
    CGridProbe probe;
    SetUpRecordTable(probe);
    probe.SetItemText(3, 3, "kept");
    probe.SetItemState(3, 3, GVIS_SELECTED | GVIS_READONLY);
    probe.SetItemFormat(3, 3, DT_RIGHT);
    ASSERT_TRUE(probe.SetCellType(3, 3, RUNTIME_CLASS(CTaggedCell)));
    EXPECT_TRUE(probe.GetCell(3, 3)->IsKindOf(RUNTIME_CLASS(CTaggedCell)));
    EXPECT_EQ(probe.GetItemText(3, 3), CString("kept"));
    EXPECT_EQ(probe.GetItemState(3, 3), (UINT)(GVIS_SELECTED | GVIS_READONLY));
    EXPECT_EQ(probe.GetItemFormat(3, 3), (UINT)DT_RIGHT);
    EXPECT_EQ(probe.GetCell(3, 3)->GetGrid(), &probe);
    EXPECT_EQ(probe.GetSelectedCount(), 1);
    EXPECT_FALSE(probe.SetCellType(3, 3, RUNTIME_CLASS(CGridCtrl)));
    EXPECT_FALSE(probe.SetCellType(301, 3, RUNTIME_CLASS(CTaggedCell)));

    grid.SetDefaultCellType(nullptr);
    grid.SetRowCount(3);
    EXPECT_FALSE(grid.GetCell(2, 0)->IsKindOf(RUNTIME_CLASS(CTaggedCell)));
    EXPECT_TRUE(grid.GetCell(2, 0)->IsKindOf(RUNTIME_CLASS(CGridCell)));
}

TEST(ModelTest, NotificationsReachTheOwnerInOrder)
{
    WindowedGrid w;
    CGridCtrl& grid = w.grid;

    grid.SetFocusCell(2, 2);
    grid.SetFocusCell(3, 4);
    // Fewer rows than the focus row: the focus goes.
    grid.SetRowCount(3);
    grid.SetRowCount(10);
    grid.SetFocusCell(5, 5);
    // The focus row becomes a heading: the focus goes.
    grid.SetFixedRowCount(6);

    const std::vector<UINT> expected = {
        (UINT)GVN_SELCHANGED, (UINT)GVN_SELCHANGING, (UINT)GVN_SELCHANGED,
        (UINT)GVN_SELCHANGING, (UINT)GVN_SELCHANGED, (UINT)GVN_SELCHANGING,
    };
    EXPECT_EQ(w.owner.Codes(), expected);
    ASSERT_EQ(w.owner.notes.size(), expected.size());
    EXPECT_EQ(w.owner.notes[3].row, 3);
    EXPECT_EQ(w.owner.notes[3].col, 4);
    for (const GridNote& note : w.owner.notes) {
        EXPECT_EQ(note.idFrom, 1u);
        EXPECT_EQ(note.hwndFrom, grid.GetSafeHwnd());
    }

    // The owner's answer comes back; a grid without a window tells nobody.
    w.owner.answer = 42;
    EXPECT_EQ(grid.SendMessageToParent(1, 1, NM_CLICK), 42);
    EXPECT_EQ(w.owner.notes.back().code, (UINT)NM_CLICK);
    CGridCtrl windowless(5, 5, 1, 1);
    EXPECT_EQ(windowless.SendMessageToParent(1, 1, NM_CLICK), 0);
}

TEST(ModelTest, DestroyingTheGridDoesNotCallTheOwner)
{
    CNotifyRecorder owner;
    owner.CreateTopLevel();
    {
        CGridCtrl grid;
        grid.Create(CRect(0, 0, 400, 300), &owner, 3);
        SetUpRecordTable(grid);
        grid.SetFocusCell(4, 4);
        owner.notes.clear();
    }
    EXPECT_TRUE(owner.notes.empty());
}

TEST(ModelTest, FontSetsTheCellsAndTheDefaultSizes)
{
    WindowedGrid w;
    CGridCtrl& grid = w.grid;
    const int nOldRowHeight = grid.GetRowHeight(5);

    LOGFONT lf = *grid.GetGridLogFont();
    lf.lfHeight = -30;
    lf.lfWeight = FW_BOLD;
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    grid.SetFont(&font);

    EXPECT_EQ(grid.GetGridLogFont()->lfHeight, -30);
    EXPECT_EQ(std::memcmp(grid.GetItemFont(150, 13), &lf, sizeof(LOGFONT)), 0);
    EXPECT_EQ(std::memcmp(grid.GetItemFont(0, 0), &lf, sizeof(LOGFONT)), 0);
    // WM_GETFONT answers the grid's own font, made from the same description.
    LOGFONT lfGot;
    ASSERT_NE(grid.GetFont(), nullptr);
    ASSERT_TRUE(grid.GetFont()->GetLogFont(&lfGot));
    EXPECT_EQ(lfGot.lfHeight, -30);

    // The defaults follow the font's metrics; existing rows keep their height.
    CDC* pDC = grid.GetDC();
    ASSERT_NE(pDC, nullptr);
    CFont* pOld = pDC->SelectObject(&font);
    TEXTMETRIC tm;
    pDC->GetTextMetrics(&tm);
    const int nBlank = pDC->GetTextExtent(" ", 1).cx;
    pDC->SelectObject(pOld);
    grid.ReleaseDC(pDC);
    EXPECT_GE(tm.tmHeight, 30);
    EXPECT_EQ(grid.GetDefCellHeight(), tm.tmHeight + tm.tmExternalLeading + tm.tmHeight / 4);
    EXPECT_EQ(grid.GetDefCellWidth(), tm.tmAveCharWidth * 12 + 2 * nBlank);
    EXPECT_EQ(grid.GetRowHeight(5), nOldRowHeight);

    grid.SetRowCount(302);
    EXPECT_EQ(grid.GetRowHeight(301), grid.GetDefCellHeight());
}

TEST(ModelTest, DialogCodesAndWheelLines)
{
    WindowedGrid w(false);
    // Arrows, characters and Tab; Enter and Esc stay with the dialog.
    EXPECT_EQ((UINT)w.grid.SendMessage(WM_GETDLGCODE), (UINT)(DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB));

    const int nOld = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(7);
    EXPECT_EQ(CGridCtrl::GetMouseScrollLines(), 7);
    QApplication::setWheelScrollLines(nOld);
}

TEST(ModelTest, SubclassingAPlaceholderTakesTheFont)
{
    // The main window's way: the grid takes over a placeholder window of its dialog.
    CNotifyRecorder owner;
    owner.CreateTopLevel();
    CWnd placeholder;
    ASSERT_TRUE(placeholder.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 400, 300), &owner, 7));
    const HWND hWnd = placeholder.UnsubclassWindow();
    ASSERT_NE(hWnd, nullptr);

    CGridCtrl grid;
    EXPECT_EQ(grid.GetDefCellHeight(), 10);
    EXPECT_EQ(grid.GetDefCellWidth(), 30);
    ASSERT_TRUE(grid.SubclassWindow(hWnd));
    EXPECT_EQ(grid.GetSafeHwnd(), hWnd);

    // The message font now sets the sizes of the rows and columns made from here on.
    EXPECT_GT(grid.GetDefCellHeight(), 10);
    EXPECT_GT(grid.GetDefCellWidth(), 30);
    SetUpRecordTable(grid);
    EXPECT_EQ(grid.GetRowHeight(150), grid.GetDefCellHeight());
    EXPECT_EQ(grid.GetColumnWidth(13), grid.GetDefCellWidth());

    grid.SetFocusCell(2, 2);
    ASSERT_EQ(owner.notes.size(), 1u);
    EXPECT_EQ(owner.notes[0].idFrom, 7u);
}
