// Scroll bars and scrolling: ranges, every scroll code, hidden rows, repaint economy and
// bringing a cell into view.
#include "ViewTestGrid.h"

#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <utility>

namespace {

// The certificate table in a window 200 pixels high.
struct ShortGridWindow : GridWindow {
    ShortGridWindow() : GridWindow(780, 200) {}

    int Pos() { return grid.GetScrollPos32(SB_VERT); }
    void Scroll(UINT nCode) { grid.SendMessage(WM_VSCROLL, nCode, 0); }
    int DataRowsHeight() const
    {
        int n = 0;
        for (int row = 1; row < grid.GetRowCount(); row++)
            n += grid.GetRowHeight(row);
        return n;
    }
    // The data area's height: one page.
    int Page() const
    {
        CRect rect;
        grid.GetClientRect(rect);
        return rect.Height() - grid.GetFixedRowHeight();
    }
    // Scroll codes repaint by invalidating; count the paints that follow.
    int PaintsAfter(UINT nCode)
    {
        grid.UpdateWindow();
        const int nBefore = grid.nDrawCount;
        Scroll(nCode);
        grid.UpdateWindow();
        return grid.nDrawCount - nBefore;
    }
};

} // namespace

TEST(ScrollTest, TallTableShowsTheVerticalBar)
{
    ShortGridWindow w;
    EXPECT_TRUE(w.grid.IsVisibleVScroll());
    EXPECT_EQ(w.grid.GetVScrollMax(), w.DataRowsHeight() - 1);
    EXPECT_EQ(w.grid.GetVScrollMax(), 300 * w.grid.GetRowHeight(1) - 1);
    EXPECT_EQ(w.Pos(), 0);
}

TEST(ScrollTest, EveryScrollCodeMovesToItsPositionAndRepaintsOnlyThen)
{
    ShortGridWindow w;
    const int h = w.grid.GetRowHeight(1);
    SCROLLINFO si {};
    si.cbSize = sizeof(si);
    ASSERT_TRUE(w.grid.GetScrollInfo(SB_VERT, &si, SIF_ALL));
    // The window system keeps the position within a page of the end.
    const int nLastPos = w.grid.GetVScrollMax() - ((int)si.nPage - 1);

    // Each step: the paints it caused and the position it left.
    auto step = [&](UINT nCode) {
        const int nPaints = w.PaintsAfter(nCode);
        return std::make_pair(nPaints, w.Pos());
    };
    EXPECT_EQ(step(SB_LINEDOWN), std::make_pair(1, h));
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 2);
    EXPECT_EQ(step(SB_LINEDOWN), std::make_pair(1, 2 * h));
    EXPECT_EQ(step(SB_LINEUP), std::make_pair(1, h));
    EXPECT_EQ(step(SB_PAGEDOWN), std::make_pair(1, h + w.Page()));
    EXPECT_EQ(step(SB_PAGEUP), std::make_pair(1, h));
    EXPECT_EQ(step(SB_PAGEUP), std::make_pair(1, 0));
    EXPECT_EQ(step(SB_LINEUP), std::make_pair(0, 0));
    EXPECT_EQ(step(SB_PAGEUP), std::make_pair(0, 0));
    EXPECT_EQ(step(SB_TOP), std::make_pair(0, 0));

    EXPECT_EQ(step(SB_BOTTOM), std::make_pair(1, nLastPos));
    EXPECT_EQ(w.grid.GetVisibleNonFixedCellRange().GetMaxRow(), 300);
    // At the end a line down changes nothing and paints nothing.
    EXPECT_EQ(step(SB_LINEDOWN), std::make_pair(0, nLastPos));
    EXPECT_EQ(step(SB_ENDSCROLL), std::make_pair(0, nLastPos));
    EXPECT_EQ(step(SB_TOP), std::make_pair(1, 0));
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 1);
}

TEST(ScrollTest, LineDownStepsOverHiddenRows)
{
    ShortGridWindow w;
    const int h = w.grid.GetRowHeight(1);
    w.grid.SetRowHeight(2, 0);
    w.grid.SetRowHeight(3, 0);
    w.grid.SetRowHeight(4, 2 * h);

    w.Scroll(SB_LINEDOWN);
    EXPECT_EQ(w.Pos(), h);
    // Rows 2 and 3 are hidden: the next step is row 4's height.
    w.Scroll(SB_LINEDOWN);
    EXPECT_EQ(w.Pos(), 3 * h);
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 5);
    // Back up over the hidden rows by row 4's height.
    w.Scroll(SB_LINEUP);
    EXPECT_EQ(w.Pos(), h);
}

TEST(ScrollTest, ThumbTrackRepaintsOnlyWhenTheTopRowChanges)
{
    ShortGridWindow w;
    const int h = w.grid.GetRowHeight(1);
    QScrollBar* pBar = nullptr;
    for (QScrollBar* p : w.grid.m_hWnd->findChildren<QScrollBar*>())
        if (p->orientation() == Qt::Vertical)
            pBar = p;
    ASSERT_NE(pBar, nullptr);

    // Dragging the thumb: each move is an SB_THUMBTRACK at the track position.
    pBar->setSliderDown(true);
    auto dragTo = [&](int nPos) {
        w.grid.UpdateWindow();
        const int nBefore = w.grid.nDrawCount;
        pBar->setSliderPosition(nPos);
        w.grid.UpdateWindow();
        return w.grid.nDrawCount - nBefore;
    };
    EXPECT_EQ(dragTo(h + 1), 1);
    EXPECT_EQ(w.Pos(), h + 1);
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 3);
    EXPECT_EQ(dragTo(2 * h - 1), 0);
    EXPECT_EQ(w.Pos(), 2 * h - 1);
    EXPECT_EQ(dragTo(2 * h + 1), 1);
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().row, 4);
    pBar->setSliderDown(false);
    EXPECT_EQ(w.Pos(), 2 * h + 1);
}

TEST(ScrollTest, OnlyTheBarThatIsNeededIsShown)
{
    ShortGridWindow w;
    // The default widths need both bars.
    EXPECT_TRUE(w.grid.IsVisibleHScroll());
    EXPECT_GT(w.grid.GetHScrollMax(), 0);

    // Narrow columns from the start: the horizontal bar is never needed.
    struct { CWnd parent; CViewTestGrid grid; } narrow;
    narrow.parent.CreateEx(0, nullptr, "test", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, 0);
    narrow.grid.SetRedraw(FALSE);
    narrow.grid.Create(CRect(0, 0, 780, 200), &narrow.parent, 1);
    SetUpCertificateTable(narrow.grid);
    for (int col = 1; col < 27; col++)
        narrow.grid.SetColumnWidth(col, 20);
    narrow.grid.SetRedraw(TRUE, TRUE);
    EXPECT_TRUE(narrow.grid.IsVisibleVScroll());
    EXPECT_FALSE(narrow.grid.IsVisibleHScroll());
    EXPECT_EQ(narrow.grid.GetHScrollMax(), 0);
    // Without a horizontal bar the client area keeps the bar's height.
    CRect rectNarrow, rectWide;
    narrow.grid.GetClientRect(rectNarrow);
    w.grid.GetClientRect(rectWide);
    EXPECT_EQ(rectNarrow.Height(), rectWide.Height() + GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_EQ(rectNarrow.Width(), rectWide.Width());
}

TEST(ScrollTest, EnsureVisibleBringsTheCellIntoView)
{
    ShortGridWindow w;
    ASSERT_FALSE(w.grid.IsCellVisible(250, 20));
    w.grid.EnsureVisible(250, 20);
    EXPECT_TRUE(w.grid.IsCellVisible(250, 20));
    CRect rectCell, rectClient;
    ASSERT_TRUE(w.grid.GetCellRect(250, 20, rectCell));
    w.grid.GetClientRect(rectClient);
    EXPECT_LE(rectCell.bottom, rectClient.bottom);
    EXPECT_LE(rectCell.right, rectClient.right);

    w.grid.EnsureVisible(3, 2);
    EXPECT_TRUE(w.grid.IsCellVisible(3, 2));
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell(), CCellID(3, 2));
}

TEST(ScrollTest, HorizontalScrollRepaintsRightOfTheHeadings)
{
    ShortGridWindow w;
    w.grid.SetItemText(0, 2, "MMM");
    w.grid.PaintAll();
    const int nWidth = w.grid.GetColumnWidth(1);
    w.grid.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(w.grid.GetScrollPos32(SB_HORZ), nWidth);
    EXPECT_EQ(w.grid.GetTopleftNonFixedCell().col, 2);
    w.grid.UpdateWindow();
    // Column B's heading now sits right after the heading column.
    EXPECT_GT(DarkPixels(w.grid, w.grid.CellRect(0, 2)), 0);
    EXPECT_EQ(w.grid.CellRect(0, 2).left, 40);
}

TEST(ScrollTest, TimerWithThePointerBelowExtendsTheSelectionToTheBottomEdge)
{
    ShortGridWindow w;
    w.grid.SetFocusCell(2, 3);
    w.grid.m_SelectionStartCell = CCellID(2, 3);
    w.grid.m_MouseMode = CGridCtrl::MOUSE_SELECT_CELLS;
    CRect rectClient;
    w.grid.GetClientRect(rectClient);
    const int x = w.grid.CellRect(2, 5).CenterPoint().x;
    QTest::mouseMove(w.grid.m_hWnd, QPoint(x, rectClient.bottom + 30));

    w.grid.SendMessage(WM_TIMER, WM_LBUTTONDOWN, 0);
    const CCellID idEdge = w.grid.GetCellFromPt(CPoint(x, rectClient.bottom));
    ASSERT_GT(idEdge.row, 2);
    EXPECT_EQ(w.grid.GetSelectedCellRange(), CCellRange(2, 3, idEdge.row, 5));
}
