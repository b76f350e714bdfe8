// The grid's keys: focus navigation with Shift extension, Tab along the rows, Page, Home and
// End, Delete, the clipboard keys, and the keys that start an edit.
#include "InputTestSupport.h"

#include <gtest/gtest.h>

TEST(KeyboardTest, ArrowsMoveTheFocusAndShiftExtendsFromTheAnchor)
{
    InputWindow w;
    w.grid.SetFocusCell(3, 3);
    w.grid.SetFocus();

    Key(w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 3));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(4, 3, 4, 3)));

    Key(w.grid, Qt::Key_Down, Qt::ShiftModifier);
    Key(w.grid, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 4));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(4, 3, 5, 4)));
    Key(w.grid, Qt::Key_Up, Qt::ShiftModifier);
    Key(w.grid, Qt::Key_Up, Qt::ShiftModifier);
    Key(w.grid, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(3, 3, 4, 3)));

    // Without Shift only the new focus cell is selected.
    Key(w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 3));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(4, 3, 4, 3)));

    // Never into the headings; hidden rows and columns are passed over.
    w.grid.SetFocusCell(1, 1);
    Key(w.grid, Qt::Key_Up);
    Key(w.grid, Qt::Key_Left);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 1));
    w.grid.SetRowHeight(2, 0);
    w.grid.SetColumnWidth(2, 0);
    Key(w.grid, Qt::Key_Down);
    Key(w.grid, Qt::Key_Right);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 3));
    Key(w.grid, Qt::Key_Up);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 3));

    // Keys do nothing without a focus cell.
    w.grid.SetFocusCell(-1, -1);
    Key(w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(-1, -1));
}

TEST(KeyboardTest, ArrowsScrollANewFocusCellIntoView)
{
    InputWindow w;
    const CCellRange visible = w.grid.GetVisibleNonFixedCellRange();
    w.grid.SetFocusCell(visible.GetMaxRow(), 1);
    for (int i = 0; i < 3; i++)
        Key(w.grid, Qt::Key_Down);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(visible.GetMaxRow() + 3, 1));
    EXPECT_TRUE(w.grid.IsCellVisible(visible.GetMaxRow() + 3, 1));
    EXPECT_GT(w.grid.GetTopleftNonFixedCell().row, 1);
}

TEST(KeyboardTest, TabRunsAlongTheRowAndWrapsToTheNext)
{
    InputWindow w;
    w.grid.SetFocusCell(2, 25);
    w.grid.SetColumnWidth(26, 0);   // Tab does not pass over hidden columns
    Key(w.grid, Qt::Key_Tab);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 26));
    w.grid.SetColumnWidth(26, 60);

    // From the last column, out of view, to the first data column of the next row, with the
    // view back at the left.
    Key(w.grid, Qt::Key_End);
    EXPECT_GT(w.grid.GetScrollPos32(SB_HORZ), 0);
    Key(w.grid, Qt::Key_Tab);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 1));
    EXPECT_EQ(w.grid.GetScrollPos32(SB_HORZ), 0);
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(3, 1, 3, 1)));

    // Shift+Tab goes back over the line end; Tab with Shift never extends the selection.
    Key(w.grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 26));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 26, 2, 26)));
    EXPECT_TRUE(w.grid.IsCellVisible(2, 26));
    EXPECT_GT(w.grid.GetScrollPos32(SB_HORZ), 0);

    // At the ends of the table nothing moves.
    w.grid.SetFocusCell(300, 26);
    Key(w.grid, Qt::Key_Tab);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(300, 26));
    w.grid.SetFocusCell(1, 1);
    Key(w.grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 1));
}

TEST(KeyboardTest, HomeAndEndWithAndWithoutCtrl)
{
    InputWindow w;
    w.grid.SetFocusCell(5, 5);
    Key(w.grid, Qt::Key_End);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 26));
    EXPECT_TRUE(w.grid.IsCellVisible(5, 26));
    Key(w.grid, Qt::Key_Home);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 1));
    EXPECT_EQ(w.grid.GetScrollPos32(SB_HORZ), 0);

    Key(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(300, 26));
    EXPECT_TRUE(w.grid.IsCellVisible(300, 26));
    Key(w.grid, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 1));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(1, 1, 300, 26)));
    EXPECT_EQ(w.grid.GetScrollPos32(SB_VERT), 0);

    // Hidden columns and rows at the ends are passed over.
    w.grid.SetColumnWidth(1, 0);
    w.grid.SetColumnWidth(26, 0);
    w.grid.SetRowHeight(300, 0);
    w.grid.SetRowHeight(1, 0);
    w.grid.SetFocusCell(5, 5);
    Key(w.grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(299, 25));
    Key(w.grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 2));

    // End in a table whose columns are hidden but the first lands on the first.
    for (int col = 2; col <= 26; col++)
        w.grid.SetColumnWidth(col, 0);
    w.grid.SetColumnWidth(1, 60);
    w.grid.SetFocusCell(5, 10);
    Key(w.grid, Qt::Key_End);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 1));
}

TEST(KeyboardTest, PageKeysMoveByTheScrolledRows)
{
    InputWindow w;
    w.grid.SetFocusCell(3, 2);
    Key(w.grid, Qt::Key_PageDown);
    const int nTop = w.grid.GetTopleftNonFixedCell().row;
    ASSERT_GT(nTop, 1);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3 + nTop - 1, 2));

    Key(w.grid, Qt::Key_PageUp);
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 1);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 2));
    // A view that cannot move sends the focus to the first data row.
    Key(w.grid, Qt::Key_PageUp);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 2));

    // Likewise to the last row at the bottom, with Shift extending.
    Key(w.grid, Qt::Key_End, Qt::ControlModifier);
    Key(w.grid, Qt::Key_Left);
    Key(w.grid, Qt::Key_Up);
    Key(w.grid, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(300, 25));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(299, 25, 300, 25)));
}

TEST(KeyboardTest, DeleteClearsOnlyTheFocusCell)
{
    InputWindow w;
    for (int row = 2; row <= 3; row++)
        for (int col = 2; col <= 3; col++)
            w.grid.SetItemText(row, col, "full");
    w.grid.SetModified(FALSE);
    w.grid.SetSelectedRange(2, 2, 3, 3);
    w.grid.SetFocusCell(2, 2);
    w.owner.notes.clear();

    Key(w.grid, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "");
    EXPECT_STREQ(w.grid.GetItemText(2, 3), "full");
    EXPECT_STREQ(w.grid.GetItemText(3, 3), "full");
    EXPECT_TRUE(w.grid.GetModified(2, 2));
    EXPECT_EQ(w.owner.Codes(), (std::vector<UINT>{(UINT)GVN_BEGINLABELEDIT, (UINT)GVN_ENDLABELEDIT}));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 2));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 2, 3, 3)));

    // A read-only cell keeps its text.
    w.grid.SetFocusCell(3, 3);
    w.grid.SetItemState(3, 3, w.grid.GetItemState(3, 3) | GVIS_READONLY);
    Key(w.grid, Qt::Key_Delete);
    EXPECT_STREQ(w.grid.GetItemText(3, 3), "full");
}

TEST(KeyboardTest, CtrlAAndTheClipboardKeysKeepTheFocus)
{
    InputWindow w;
    w.grid.SetFocusCell(4, 4);
    Key(w.grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(1, 1, 300, 26)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 4));
    EXPECT_FALSE(w.grid.GetCell(4, 4)->IsEditing());   // Ctrl+A's character starts nothing
}

TEST(KeyboardTest, F2AndTypedCharactersStartEditingTheFocusCell)
{
    InputWindow w;
    w.grid.SetItemText(2, 2, "12");
    w.grid.SetFocusCell(2, 2);
    w.grid.SetFocus();

    Key(w.grid, Qt::Key_F2);
    EXPECT_TRUE(w.grid.GetCell(2, 2)->IsEditing());
    w.grid.EndEditing();
    QApplication::processEvents();
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "12");

    // Ctrl with a character and Esc never start an edit.
    w.grid.SetFocus();
    Key(w.grid, Qt::Key_Escape);
    Key(w.grid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(w.grid.GetCell(2, 2)->IsEditing());

    Key(w.grid, Qt::Key_7);
    EXPECT_TRUE(w.grid.GetCell(2, 2)->IsEditing());
    w.grid.EndEditing();
    QApplication::processEvents();
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "7");

    // A committed Chinese character is one character that starts the edit.
    w.grid.SetFocus();
    w.grid.SendMessage(WM_CHAR, 0xD6D0);
    EXPECT_TRUE(w.grid.GetCell(2, 2)->IsEditing());
    w.grid.EndEditing();
    QApplication::processEvents();
    EXPECT_EQ(w.grid.GetItemText(2, 2), Cp936("中"));

    // No focus cell: nothing to edit.
    w.grid.SetFocusCell(-1, -1);
    w.grid.SetFocus();
    Key(w.grid, Qt::Key_8);
    EXPECT_FALSE(w.grid.GetCell(2, 2)->IsEditing());
}
