#include "EditTestSupport.h"

#include <gtest/gtest.h>

namespace {

int CountFocused(const CGridCtrl& grid)
{
    int n = 0;
    for (int row = 0; row < grid.GetRowCount(); row++)
        for (int col = 0; col < grid.GetColumnCount(); col++)
            if (grid.GetItemState(row, col) & GVIS_FOCUSED)
                n++;
    return n;
}

// Every selected cell lies in the range, and the map holds exactly the selected cells.
void ExpectSelection(const CGridProbe& grid, const CCellRange& range)
{
    int nSelected = 0;
    for (int row = 0; row < grid.GetRowCount(); row++)
        for (int col = 0; col < grid.GetColumnCount(); col++) {
            const bool bSelected = (grid.GetItemState(row, col) & GVIS_SELECTED) != 0;
            ASSERT_EQ(bSelected, range.IsValid() && range.InRange(row, col) != 0) << row << "," << col;
            if (bSelected)
                nSelected++;
        }
    EXPECT_EQ(grid.GetSelectedCount(), nSelected);
    EXPECT_EQ((int)grid.m_SelectedCellMap.size(), nSelected);
}

} // namespace

TEST(SelectionTest, FocusMovesOffTheHeadingsAndNotifiesOnce)
{
    WindowedGrid w;
    CGridCtrl& grid = w.grid;
    std::vector<GridNote>& notes = w.owner.notes;

    EXPECT_EQ(grid.SetFocusCell(0, 0), CCellID(-1, -1));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 1));
    EXPECT_EQ(grid.GetItemState(1, 1), (UINT)GVIS_FOCUSED);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].code, (UINT)GVN_SELCHANGED);
    EXPECT_EQ(notes[0].row, 1);
    EXPECT_EQ(notes[0].col, 1);

    // The same focus again, directly or through the heading, tells nobody.
    EXPECT_EQ(grid.SetFocusCell(1, 1), CCellID(1, 1));
    grid.SetFocusCell(0, 0);
    EXPECT_EQ(notes.size(), 1u);

    // A heading in one direction only is moved in that direction.
    EXPECT_EQ(grid.SetFocusCell(0, 5), CCellID(1, 1));
    EXPECT_EQ(grid.GetFocusCell(), CCellID(1, 5));
    grid.SetFocusCell(7, 0);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(7, 1));

    EXPECT_EQ(grid.SetFocusCell(4, 5), CCellID(7, 1));
    EXPECT_EQ(grid.GetCurrentRow(), 4);
    EXPECT_EQ(grid.GetCurrentColumn(), 5);
    EXPECT_EQ(CountFocused(grid), 1);
    EXPECT_EQ(grid.GetItemState(4, 5), (UINT)GVIS_FOCUSED);

    // Leaving is announced before arriving, each with its own cell.
    ASSERT_EQ(notes.size(), 7u);
    EXPECT_EQ(notes[5].code, (UINT)GVN_SELCHANGING);
    EXPECT_EQ(notes[5].row, 7);
    EXPECT_EQ(notes[5].col, 1);
    EXPECT_EQ(notes[6].code, (UINT)GVN_SELCHANGED);
    EXPECT_EQ(notes[6].row, 4);
    EXPECT_EQ(notes[6].col, 5);

    EXPECT_EQ(grid.SetFocusCell(-1, -1), CCellID(4, 5));
    EXPECT_EQ(grid.GetCurrentRow(), -1);
    EXPECT_EQ(CountFocused(grid), 0);
    ASSERT_EQ(notes.size(), 8u);
    EXPECT_EQ(notes[7].code, (UINT)GVN_SELCHANGING);

    // A focus outside the table is held but marks no cell and tells nobody.
    grid.SetFocusCell(500, 500);
    EXPECT_EQ(grid.GetFocusCell(), CCellID(500, 500));
    EXPECT_EQ(CountFocused(grid), 0);
    EXPECT_EQ(notes.size(), 8u);
}

TEST(SelectionTest, SelectedRangeIsClampedToTheRecords)
{
    WindowedGrid w;
    CGridProbe& grid = w.grid;
    grid.SetFocusCell(3, 3);

    grid.SetSelectedRange(2, 2, 4, 3);
    ExpectSelection(grid, CCellRange(2, 2, 4, 3));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(2, 2, 4, 3));
    EXPECT_TRUE(grid.IsCellSelected(4, 3));
    EXPECT_FALSE(grid.IsCellSelected(5, 3));

    // A range reaching into the headings starts at the first record instead.
    grid.SetSelectedRange(CCellRange(0, 0, 2, 2));
    ExpectSelection(grid, CCellRange(1, 1, 2, 2));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(1, 1, 2, 2));

    // A range past the table only clears.
    grid.SetSelectedRange(1, 1, 301, 3);
    ExpectSelection(grid, CCellRange());
    grid.SetSelectedRange(5, 5, 4, 6);
    ExpectSelection(grid, CCellRange());

    // Clearing keeps the focus.
    grid.SetSelectedRange(2, 2, 3, 3);
    grid.SetSelectedRange(-1, -1, -1, -1);
    ExpectSelection(grid, CCellRange());
    EXPECT_EQ(grid.GetFocusCell(), CCellID(3, 3));

    const CCellRange empty = grid.GetSelectedCellRange();
    EXPECT_EQ(empty, CCellRange(301, 27, -1, -1));
    EXPECT_FALSE(grid.IsValid(empty));
    EXPECT_FALSE(empty.IsValid());

    // Reset clears the selection and the focus.
    grid.SetSelectedRange(2, 2, 3, 3);
    grid.ResetSelectedRange();
    ExpectSelection(grid, CCellRange());
    EXPECT_EQ(grid.GetFocusCell(), CCellID(-1, -1));
}

TEST(SelectionTest, SelectAllAndTheSwitch)
{
    WindowedGrid w;
    CGridProbe& grid = w.grid;

    grid.SelectAllCells();
    EXPECT_EQ(grid.GetSelectedCount(), 300 * 26);
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(1, 1, 300, 26));
    EXPECT_FALSE(grid.GetItemState(0, 5) & GVIS_SELECTED);

    // With selection off nothing is or reads as selected.
    grid.EnableSelection(FALSE);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    grid.SelectAllCells();
    grid.SetSelectedRange(1, 1, 5, 5);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    grid.SetItemState(2, 2, GVIS_SELECTED);
    EXPECT_FALSE(grid.IsCellSelected(2, 2));

    grid.EnableSelection(TRUE);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    grid.SetSelectedRange(1, 1, 2, 2);
    ExpectSelection(grid, CCellRange(1, 1, 2, 2));
}

TEST(SelectionTest, RowsColumnsAndCellsFromTheAnchor)
{
    WindowedGrid w;
    CGridProbe& grid = w.grid;

    grid.m_SelectionStartCell = CCellID(5, 4);
    grid.SelectCells(CCellID(3, 6));
    ExpectSelection(grid, CCellRange(3, 4, 5, 6));

    grid.SelectRows(CCellID(7, 2));
    ExpectSelection(grid, CCellRange(5, 1, 7, 26));

    grid.SelectColumns(CCellID(9, 2));
    ExpectSelection(grid, CCellRange(1, 2, 300, 4));

    // A heading or a position outside the table leaves the selection alone.
    grid.SelectCells(CCellID(0, 6));
    grid.SelectRows(CCellID(0, 3));
    grid.SelectColumns(CCellID(3, 0));
    grid.SelectCells(CCellID(301, 6));
    ExpectSelection(grid, CCellRange(1, 2, 300, 4));

    // The mouse mode decides what OnSelecting extends.
    grid.m_MouseMode = CGridCtrl::MOUSE_SELECT_ROW;
    grid.OnSelecting(CCellID(6, 9));
    ExpectSelection(grid, CCellRange(5, 1, 6, 26));
    grid.m_MouseMode = CGridCtrl::MOUSE_SELECT_CELLS;
    grid.OnSelecting(CCellID(6, 9));
    ExpectSelection(grid, CCellRange(5, 4, 6, 9));
    grid.m_MouseMode = CGridCtrl::MOUSE_SELECT_ALL;
    grid.OnSelecting(CCellID(6, 9));
    ExpectSelection(grid, CCellRange(1, 1, 300, 26));
    grid.m_MouseMode = CGridCtrl::MOUSE_NOTHING;
    grid.OnSelecting(CCellID(2, 2));
    EXPECT_EQ(grid.GetSelectedCount(), 300 * 26);
}

TEST(SelectionTest, EarlierSelectionSurvivesAnExtension)
{
    WindowedGrid w;
    CGridProbe& grid = w.grid;

    // What was selected when a Ctrl extension began stays selected beside the new range.
    grid.m_PrevSelectedCellMap[(9u << 16) | 20u] = CCellID(20, 9);
    grid.SetSelectedRange(2, 2, 3, 3);
    EXPECT_EQ(grid.GetSelectedCount(), 5);
    EXPECT_TRUE(grid.IsCellSelected(20, 9));
    EXPECT_EQ(grid.GetSelectedCellRange(), CCellRange(2, 2, 20, 9));

    // Clearing drops it too.
    grid.SetSelectedRange(-1, -1, -1, -1);
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    grid.ResetSelectedRange();
    EXPECT_TRUE(grid.m_PrevSelectedCellMap.empty());
}

TEST(SelectionTest, EndEditingEndsTheFocusCellsEdit)
{
    WindowedGrid w;
    CGridProbe& grid = w.grid;
    auto ended = [&] {
        int n = 0;
        for (UINT code : w.owner.Codes())
            n += code == (UINT)GVN_ENDLABELEDIT;
        return n;
    };

    // No focus: nothing to end.
    grid.EndEditing();
    EXPECT_EQ(ended(), 0);

    grid.SetFocusCell(4, 4);
    CGridCellBase* pCell = grid.GetCell(4, 4);
    CRect rect;
    ASSERT_TRUE(grid.GetCellRect(4, 4, &rect));
    ASSERT_TRUE(pCell->Edit(4, 4, rect, CPoint(0, 0), 8, 'a'));

    // Another cell's edit is not the focus cell's.
    grid.SetFocusCell(5, 5);
    grid.EndEditing();
    EXPECT_EQ(ended(), 0);
    EXPECT_TRUE(pCell->IsEditing());

    grid.SetFocusCell(4, 4);
    grid.EndEditing();
    EXPECT_EQ(ended(), 1);
    EXPECT_FALSE(pCell->IsEditing());
    EXPECT_STREQ(grid.GetItemText(4, 4), "a");
    FinishClosing();
}
