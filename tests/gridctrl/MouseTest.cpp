// The grid's mouse: selections by click and drag, sizing at the dividers with the tracking
// line, fitting by double click, right clicks, the wheel, and what the owner hears.
#include "InputTestSupport.h"

#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// The data area's background, and how it looks inverted.
bool IsInverted(const CWnd& wnd, int x, int y)
{
    const QRgb rgb = wnd.GetBackingImage().pixel(x, y);
    return qGray(rgb) < 64;
}

void ProcessPosted()
{
    QApplication::processEvents();
}

int CountCommands(const CCommandRecorder& owner, const CGridCtrl& grid)
{
    int n = 0;
    for (const auto& command : owner.commands) {
        EXPECT_EQ(LOWORD(command.first), grid.GetDlgCtrlID());
        EXPECT_EQ(HIWORD(command.first), (WORD)BN_CLICKED);
        EXPECT_EQ(command.second, reinterpret_cast<LPARAM>(grid.GetSafeHwnd()));
        n++;
    }
    return n;
}

std::vector<GridNote> NotesOf(const CNotifyRecorder& owner, int nCode)
{
    std::vector<GridNote> notes;
    for (const GridNote& note : owner.notes)
        if (note.code == (UINT)nCode)
            notes.push_back(note);
    return notes;
}

} // namespace

TEST(MouseTest, ClickSelectsTheCellFocusesTheGridAndTellsTheOwner)
{
    InputWindow w;
    Click(w.grid, w.grid.CellCenter(3, 2));
    ProcessPosted();

    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 2));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(3, 2, 3, 2)));
    EXPECT_EQ(CWnd::GetFocus(), &w.grid);
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_NOTHING);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    const std::vector<GridNote> clicks = NotesOf(w.owner, NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].row, 3);
    EXPECT_EQ(clicks[0].col, 2);
    EXPECT_EQ(CountCommands(w.owner, w.grid), 1);
}

TEST(MouseTest, ClicksWithShiftAndCtrlBuildTheSelection)
{
    InputWindow w;
    Click(w.grid, w.grid.CellCenter(2, 2));

    // Shift: the block from the previous focus cell.
    Click(w.grid, w.grid.CellCenter(4, 3), Qt::ShiftModifier);
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 2, 4, 3)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 3));

    // A selected cell that is not the focus: that cell alone, the focus stays.
    Click(w.grid, w.grid.CellCenter(3, 2));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(3, 2, 3, 2)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 3));

    // Ctrl on an unselected cell adds it.
    Click(w.grid, w.grid.CellCenter(5, 5), Qt::ControlModifier);
    EXPECT_EQ(w.grid.GetSelectedCount(), 2);
    EXPECT_TRUE(w.grid.IsCellSelected(3, 2));
    EXPECT_TRUE(w.grid.IsCellSelected(5, 5));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 5));

    // Ctrl on a selected cell that is not the focus takes it out and focuses it.
    Click(w.grid, w.grid.CellCenter(3, 2), Qt::ControlModifier);
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(5, 5, 5, 5)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 2));
    ProcessPosted();
    EXPECT_EQ(CountCommands(w.owner, w.grid), 5);
}

TEST(MouseTest, DraggingSelectsBlocksColumnsRowsAndTheCornerSelectsAll)
{
    InputWindow w;

    Press(w.grid, w.grid.CellCenter(2, 2));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_SELECT_CELLS);
    EXPECT_EQ(CWnd::GetCapture(), &w.grid);
    DragTo(w.grid, w.grid.CellCenter(3, 4));
    DragTo(w.grid, w.grid.CellCenter(4, 5));
    Release(w.grid, w.grid.CellCenter(4, 5));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 2, 4, 5)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 5));
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // Column headings: whole columns, the focus in the first data row of the pointer column.
    Press(w.grid, w.grid.CellCenter(0, 2));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_SELECT_COL);
    DragTo(w.grid, w.grid.CellCenter(0, 4));
    Release(w.grid, w.grid.CellCenter(0, 4));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(1, 2, 300, 4)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 4));

    // Row numbers: whole rows, the focus in the first data column of the pointer row.
    Press(w.grid, w.grid.CellCenter(6, 0));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_SELECT_ROW);
    DragTo(w.grid, w.grid.CellCenter(3, 0));
    Release(w.grid, w.grid.CellCenter(3, 0));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(3, 1, 6, 26)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(3, 1));

    // The corner: everything, the focus on the first data cell.
    Click(w.grid, w.grid.CellCenter(0, 0));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(1, 1, 300, 26)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 1));
    // Fixed cells are never selected.
    EXPECT_FALSE(w.grid.GetItemState(0, 1) & GVIS_SELECTED);
    EXPECT_FALSE(w.grid.GetItemState(1, 0) & GVIS_SELECTED);
}

TEST(MouseTest, PressOnTheFocusCellEditsOnReleaseUnlessThePointerMoved)
{
    InputWindow w;
    w.grid.SetItemText(2, 2, "text");
    Click(w.grid, w.grid.CellCenter(2, 2));
    EXPECT_FALSE(w.grid.GetCell(2, 2)->IsEditing());

    Press(w.grid, w.grid.CellCenter(2, 2));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_PREPARE_EDIT);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    Release(w.grid, w.grid.CellCenter(2, 2));
    EXPECT_TRUE(w.grid.GetCell(2, 2)->IsEditing());
    w.grid.EndEditing();
    QApplication::processEvents();
    EXPECT_FALSE(w.grid.GetCell(2, 2)->IsEditing());
    EXPECT_STREQ(w.grid.GetItemText(2, 2), "text");

    // Any movement in between: no edit, no focus and no selection.
    w.owner.notes.clear();
    Press(w.grid, w.grid.CellCenter(2, 2));
    DragTo(w.grid, w.grid.CellCenter(2, 2) + CSize(3, 0));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_PREPARE_DRAG);
    Release(w.grid, w.grid.CellCenter(2, 2) + CSize(3, 0));
    EXPECT_FALSE(w.grid.GetCell(2, 2)->IsEditing());
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(-1, -1));
    EXPECT_EQ(w.grid.GetSelectedCount(), 0);
    EXPECT_EQ(NotesOf(w.owner, NM_CLICK).size(), 1u);

    // A read-only focus cell is not prepared for editing.
    w.grid.SetItemState(3, 3, GVIS_READONLY);
    Click(w.grid, w.grid.CellCenter(3, 3));
    Click(w.grid, w.grid.CellCenter(3, 3));
    EXPECT_FALSE(w.grid.GetCell(3, 3)->IsEditing());
}

TEST(MouseTest, DraggingAColumnDividerSizesTheColumnLeftOfIt)
{
    InputWindow w;
    const CRect rect2 = w.grid.CellRect(0, 2);
    const int nWidth2 = w.grid.GetColumnWidth(2);
    const int xDivider = rect2.right + 1;   // the origin of column C
    const int yHeading = rect2.CenterPoint().y;
    const int yData = w.grid.CellCenter(3, 2).y;

    // Just left of the divider: column B itself.
    const CPoint ptPress(xDivider - 2, yHeading);
    Hover(w.grid, ptPress);
    ASSERT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_OVER_COL_DIVIDE);
    ASSERT_FALSE(IsInverted(w.grid, ptPress.x, yData));
    Press(w.grid, ptPress);
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_SIZING_COL);
    EXPECT_TRUE(IsInverted(w.grid, ptPress.x, yData));   // the tracking line

    DragTo(w.grid, CPoint(xDivider + 20, yHeading));
    EXPECT_FALSE(IsInverted(w.grid, ptPress.x, yData));
    EXPECT_TRUE(IsInverted(w.grid, xDivider + 20, yData));
    EXPECT_EQ(w.grid.GetColumnWidth(2), nWidth2);   // nothing changes before the release

    Release(w.grid, CPoint(xDivider + 20, yHeading));
    EXPECT_FALSE(IsInverted(w.grid, xDivider + 20, yData));
    EXPECT_EQ(w.grid.GetColumnWidth(2), xDivider + 20 - rect2.left);
    EXPECT_EQ(w.grid.GetSelectedCount(), 0);
    ProcessPosted();
    EXPECT_EQ(CountCommands(w.owner, w.grid), 1);   // a click on a cell, also after sizing

    // Just right of a divider: the column before it. Releasing where pressed changes nothing.
    const int nWidth3 = w.grid.GetColumnWidth(3);
    const CRect rect3 = w.grid.CellRect(0, 3);
    const CPoint ptRight(rect3.left + 2, yHeading);
    Hover(w.grid, ptRight);
    Press(w.grid, ptRight);
    Release(w.grid, ptRight);
    EXPECT_EQ(w.grid.GetColumnWidth(2), xDivider + 20 - rect2.left);
    Hover(w.grid, ptRight);
    Press(w.grid, ptRight);
    DragTo(w.grid, CPoint(ptRight.x + 10, yHeading));
    Release(w.grid, CPoint(ptRight.x + 10, yHeading));
    EXPECT_EQ(w.grid.GetColumnWidth(2), ptRight.x + 10 - rect2.left);
    EXPECT_EQ(w.grid.GetColumnWidth(3), nWidth3);

    // Dragged past its left edge, the column ends at width 0: the pointer stops at the edge.
    const CPoint ptDivider(w.grid.CellRect(0, 2).right - 1, yHeading);
    Hover(w.grid, ptDivider);
    Press(w.grid, ptDivider);
    DragTo(w.grid, CPoint(rect2.left - 30, yHeading));
    Release(w.grid, CPoint(rect2.left - 30, yHeading));
    EXPECT_EQ(w.grid.GetColumnWidth(2), 0);
    CPoint ptAfter;
    ASSERT_TRUE(w.grid.GetCellOrigin(0, 3, &ptAfter));
    EXPECT_EQ(ptAfter.x, rect2.left);
    EXPECT_EQ(w.grid.GetColumnWidth(1), rect2.left - w.grid.CellRect(0, 1).left);
}

TEST(MouseTest, DraggingARowDividerSizesTheRowAboveIt)
{
    InputWindow w;
    const CRect rect4 = w.grid.CellRect(4, 0);
    const int yDivider = rect4.bottom + 1;
    const int xNumbers = rect4.CenterPoint().x;
    const int xData = w.grid.CellCenter(4, 3).x;

    // Just below the divider: the row above.
    const CPoint ptPress(xNumbers, yDivider + 1);
    Hover(w.grid, ptPress);
    ASSERT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_OVER_ROW_DIVIDE);
    Press(w.grid, ptPress);
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_SIZING_ROW);
    EXPECT_TRUE(IsInverted(w.grid, xData, ptPress.y));
    DragTo(w.grid, CPoint(xNumbers, yDivider + 15));
    EXPECT_TRUE(IsInverted(w.grid, xData, yDivider + 15));
    Release(w.grid, CPoint(xNumbers, yDivider + 15));
    EXPECT_EQ(w.grid.GetRowHeight(4), yDivider + 15 - rect4.top);
    EXPECT_EQ(w.grid.GetRowHeight(5), w.grid.GetRowHeight(6));

    // Not above the row's top: height 0 hides it.
    const CPoint ptAgain(xNumbers, w.grid.CellRect(4, 0).bottom - 1);
    Hover(w.grid, ptAgain);
    Press(w.grid, ptAgain);
    DragTo(w.grid, CPoint(xNumbers, rect4.top - 40));
    Release(w.grid, CPoint(xNumbers, rect4.top - 40));
    EXPECT_EQ(w.grid.GetRowHeight(4), 0);
}

TEST(MouseTest, DoubleClickOnADividerFitsTheColumnOrRowToItsContents)
{
    InputWindow w;
    w.grid.SetItemText(0, 2, "A much longer heading than any cell");
    w.grid.SetItemText(7, 2, "short");
    CClientDC dc(&w.grid);
    const int nHeadingWidth = w.grid.GetCell(0, 2)->GetCellExtent(&dc).cx;
    ASSERT_GT(nHeadingWidth, w.grid.GetCell(7, 2)->GetCellExtent(&dc).cx);
    ASSERT_NE(nHeadingWidth, w.grid.GetColumnWidth(2));

    const CPoint ptDivider(w.grid.CellRect(0, 3).left + 1, w.grid.CellCenter(0, 3).y);
    Hover(w.grid, ptDivider);
    Click(w.grid, ptDivider);
    QTest::mouseDClick(w.grid.m_hWnd, Qt::LeftButton, Qt::NoModifier, ToWidget(ptDivider));
    Release(w.grid, ptDivider);
    EXPECT_EQ(w.grid.GetColumnWidth(2), nHeadingWidth);   // the heading included
    EXPECT_TRUE(NotesOf(w.owner, NM_DBLCLK).empty());

    // The row above a row divider.
    LOGFONT lf = *w.grid.GetItemFont(5, 3);
    lf.lfHeight = 40;
    w.grid.SetItemFont(5, 3, &lf);
    w.grid.SetItemText(5, 3, "Tall");
    const int nTall = w.grid.GetCell(5, 3)->GetCellExtent(&dc).cy;
    ASSERT_GT(nTall, w.grid.GetRowHeight(5));
    const CPoint ptRow(w.grid.CellCenter(5, 0).x, w.grid.CellRect(5, 0).bottom - 1);
    Hover(w.grid, ptRow);
    Click(w.grid, ptRow);
    QTest::mouseDClick(w.grid.m_hWnd, Qt::LeftButton, Qt::NoModifier, ToWidget(ptRow));
    Release(w.grid, ptRow);
    EXPECT_EQ(w.grid.GetRowHeight(5), nTall);
}

TEST(MouseTest, DoubleClickOnADataCellEditsItAndTellsTheOwner)
{
    InputWindow w;
    const CPoint pt = w.grid.CellCenter(4, 4);
    Click(w.grid, pt);
    QTest::mouseDClick(w.grid.m_hWnd, Qt::LeftButton, Qt::NoModifier, ToWidget(pt));
    EXPECT_TRUE(w.grid.GetCell(4, 4)->IsEditing());
    const std::vector<GridNote> doubles = NotesOf(w.owner, NM_DBLCLK);
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0].row, 4);
    EXPECT_EQ(doubles[0].col, 4);
    Release(w.grid, pt);
    w.grid.EndEditing();
    QApplication::processEvents();

    // On a heading: no edit.
    Click(w.grid, w.grid.CellCenter(0, 5));
    QTest::mouseDClick(w.grid.m_hWnd, Qt::LeftButton, Qt::NoModifier, ToWidget(w.grid.CellCenter(0, 5)));
    Release(w.grid, w.grid.CellCenter(0, 5));
    EXPECT_FALSE(w.grid.GetCell(0, 5)->IsEditing());
    EXPECT_FALSE(w.grid.GetCell(1, 5)->IsEditing());
    EXPECT_EQ(NotesOf(w.owner, NM_DBLCLK).size(), 2u);
}

TEST(MouseTest, RightClickMovesTheFocusAndKeepsTheSelection)
{
    InputWindow w;
    w.grid.SetSelectedRange(2, 2, 3, 3);
    w.grid.SetFocusCell(2, 2);
    QTest::mouseClick(w.grid.m_hWnd, Qt::RightButton, Qt::NoModifier, ToWidget(w.grid.CellCenter(5, 4)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(5, 4));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 2, 3, 3)));

    // On a heading the focus moves into the data area.
    QTest::mouseClick(w.grid.m_hWnd, Qt::RightButton, Qt::NoModifier, ToWidget(w.grid.CellCenter(0, 6)));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(1, 6));
    const std::vector<GridNote> clicks = NotesOf(w.owner, NM_RCLICK);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].row, 1);
    EXPECT_EQ(clicks[1].col, 6);
}

TEST(MouseTest, ClicksOutsideEveryCellChangeNothing)
{
    InputWindow w;
    w.grid.SetRowCount(4);
    w.grid.SetColumnCount(3);
    w.grid.SetFocusCell(2, 2);
    w.grid.SetSelectedRange(1, 1, 2, 2);
    w.owner.notes.clear();
    const CPoint ptOutside(w.grid.CellRect(3, 2).right + 30, w.grid.CellRect(3, 2).bottom + 30);

    Click(w.grid, ptOutside);
    ProcessPosted();
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 2));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(1, 1, 2, 2)));
    EXPECT_TRUE(w.owner.commands.empty());

    QTest::mouseClick(w.grid.m_hWnd, Qt::RightButton, Qt::NoModifier, ToWidget(ptOutside));
    const std::vector<GridNote> clicks = NotesOf(w.owner, NM_RCLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].row, -1);
    EXPECT_EQ(clicks[0].col, -1);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 2));
}

TEST(MouseTest, WheelScrollsByLinesAndKeepsFocusAndSelection)
{
    InputWindow w;
    w.grid.SetFocusCell(2, 2);
    w.grid.SetSelectedRange(2, 2, 2, 2);
    const int nLines = CGridCtrl::GetMouseScrollLines();
    ASSERT_GT(nLines, 0);

    const QPoint at = ToWidget(w.grid.CellCenter(3, 3));
    QWheelEvent down(at, w.grid.m_hWnd->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.grid.m_hWnd, &down);
    ProcessPosted();
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 1 + nLines);

    QWheelEvent up(at, w.grid.m_hWnd->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.grid.m_hWnd, &up);
    ProcessPosted();
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 1);
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(2, 2));
    EXPECT_TRUE(SelectionIs(w.grid, CCellRange(2, 2, 2, 2)));
}

// A touchpad's small steps, its pixels, a fast flick and sideways scrolling, as real wheel
// events: parts of a notch add up to whole lines (3 a notch: 40 a line), a turn back drops what
// the other way had gathered, nothing of a large delta is lost, and sideways moves columns.
TEST(MouseTest, WheelPartsAddUpToLinesAndSidewaysScrollsColumns)
{
    InputWindow w;
    const int nOldLines = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(3);
    const QPoint at = ToWidget(w.grid.CellCenter(3, 3));
    const auto wheel = [&](QPoint angle, QPoint pixels = QPoint(), Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWheelEvent event(at, w.grid.m_hWnd->mapToGlobal(at), pixels, angle, Qt::NoButton, mods,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.grid.m_hWnd, &event);
        ProcessPosted();
    };
    const auto top = [&] { return w.grid.GetTopleftNonFixedCell(); };

    // Slow two-finger scrolling: steps of 15, a line every 40.
    for (int i = 1; i <= 16; i++) {
        wheel(QPoint(0, -15));
        EXPECT_EQ(top().row, 1 + 15 * i / 40) << "after " << i << " steps of 15";
    }
    wheel(QPoint(0, -40));
    EXPECT_EQ(top().row, 8);
    // 240 gathered down, 0 left over: 10 down then back up 15 + 15 + 15, a line up.
    wheel(QPoint(0, -10));
    for (int i = 0; i < 3; i++)
        wheel(QPoint(0, 15));
    EXPECT_EQ(top().row, 7);
    // A fast flick of three notches: nine lines at once.
    wheel(QPoint(0, -360));
    EXPECT_EQ(top().row, 16);
    // Pixels only: a line for every line of text the fingers moved.
    const int nLine = QFontMetrics(QApplication::font()).height();
    wheel(QPoint(), QPoint(0, -nLine / 2));
    wheel(QPoint(), QPoint(0, -(nLine - nLine / 2)));
    EXPECT_EQ(top().row, 17);

    // Sideways: a tilt or swipe to the right (angle x negative), Shift with the wheel turned
    // down, and back to the left by a line's worth.
    ASSERT_EQ(top().col, 1);
    wheel(QPoint(-120, 0));
    EXPECT_EQ(top().col, 4);
    wheel(QPoint(0, -120), QPoint(), Qt::ShiftModifier);
    EXPECT_EQ(top().col, 7);
    EXPECT_EQ(top().row, 17);
    wheel(QPoint(40, 0));
    EXPECT_EQ(top().col, 6);
    QApplication::setWheelScrollLines(nOldLines);
}
