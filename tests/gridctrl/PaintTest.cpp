// The grid's paint: backgrounds, grid lines over the data area, heading edges, selection,
// the area outside the cells, partial repaints and single-cell redraws.
#include "ViewTestGrid.h"

#include <QApplication>
#include <QPalette>
#include <gtest/gtest.h>

#include <utility>

namespace {

// Pixels of one colour inside a rectangle (right and bottom excluded).
int CountColour(const CWnd& wnd, const CRect& rect, COLORREF cr)
{
    int n = 0;
    for (int y = rect.top; y < rect.bottom; y++)
        for (int x = rect.left; x < rect.right; x++)
            n += PixelAt(wnd, x, y) == cr ? 1 : 0;
    return n;
}

} // namespace

TEST(PaintTest, GridLinesRunOnTheLastPixelOfDataCellsOnly)
{
    GridWindow w;
    const COLORREF crGrid = w.grid.GetGridColor();
    const COLORREF crBack = w.grid.GetTextBkColor();
    const CRect r = w.grid.CellRect(3, 3);
    const CPoint c = r.CenterPoint();
    // Whether the vertical and the horizontal line of cell (3, 3) are there.
    auto lines = [&](int nMode) {
        w.grid.SetGridLines(nMode);
        w.grid.PaintAll();
        EXPECT_EQ(PixelAt(w.grid, r.right - 1, c.y), crBack);
        EXPECT_EQ(PixelAt(w.grid, c.x, r.bottom - 1), crBack);
        return std::make_pair(PixelAt(w.grid, r.right, c.y) == crGrid, PixelAt(w.grid, c.x, r.bottom) == crGrid);
    };
    EXPECT_EQ(lines(GVL_BOTH), std::make_pair(true, true));
    EXPECT_EQ(lines(GVL_HORZ), std::make_pair(false, true));
    EXPECT_EQ(lines(GVL_VERT), std::make_pair(true, false));
    EXPECT_EQ(lines(GVL_NONE), std::make_pair(false, false));
    CRect rectData;
    w.grid.GetClientRect(rectData);
    rectData.left = w.grid.GetFixedColumnWidth();
    rectData.top = w.grid.GetFixedRowHeight();
    EXPECT_EQ(CountColour(w.grid, rectData, crGrid), 0);

    // Headings are separated by their raised edges, not by grid lines.
    lines(GVL_BOTH);
    const CRect rHead = w.grid.CellRect(0, 3);
    EXPECT_EQ(PixelAt(w.grid, rHead.right, rHead.CenterPoint().y), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, rHead.left, rHead.CenterPoint().y), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(PixelAt(w.grid, rHead.CenterPoint().x, rHead.top), GetSysColor(COLOR_3DHIGHLIGHT));
    const CRect rRowHead = w.grid.CellRect(3, 0);
    EXPECT_EQ(PixelAt(w.grid, rRowHead.CenterPoint().x, rRowHead.bottom), GetSysColor(COLOR_3DDKSHADOW));
}

TEST(PaintTest, SelectedCellsInHighlightColours)
{
    GridWindow w;
    w.grid.SetSelectedRange(2, 2, 3, 5);
    w.grid.SetItemText(3, 4, "MMMM");
    w.grid.PaintAll();
    const COLORREF crHighlight = GetSysColor(COLOR_HIGHLIGHT);

    const CRect r22 = w.grid.CellRect(2, 2);
    EXPECT_EQ(PixelAt(w.grid, r22.left, r22.top), crHighlight);
    EXPECT_EQ(PixelAt(w.grid, r22.right, r22.CenterPoint().y), w.grid.GetGridColor());
    const CRect r35 = w.grid.CellRect(3, 5);
    EXPECT_EQ(PixelAt(w.grid, r35.CenterPoint().x, r35.CenterPoint().y), crHighlight);
    // Neighbours outside the range stay as they were.
    const CRect r26 = w.grid.CellRect(2, 6), r12 = w.grid.CellRect(1, 2);
    EXPECT_EQ(PixelAt(w.grid, r26.CenterPoint().x, r26.CenterPoint().y), w.grid.GetTextBkColor());
    EXPECT_EQ(PixelAt(w.grid, r12.CenterPoint().x, r12.CenterPoint().y), w.grid.GetTextBkColor());

    // Selected text is drawn in the highlight text colour: no pixel of the normal text colour.
    const COLORREF crHighlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const CRect r34 = w.grid.CellRect(3, 4);
    EXPECT_GT(CountColour(w.grid, r34, crHighlightText), 0);
    EXPECT_EQ(CountColour(w.grid, r34, w.grid.GetTextColor()), 0);
}

TEST(PaintTest, OutsideColourRightOfTheLastColumn)
{
    GridWindow w;
    for (int col = 1; col < 27; col++)
        w.grid.SetColumnWidth(col, 20);
    w.grid.PaintAll();

    const int nLastRight = 40 + 26 * 20 - 1;
    ASSERT_EQ(w.grid.CellRect(5, 26).right, nLastRight);
    EXPECT_EQ(PixelAt(w.grid, nLastRight, 100), w.grid.GetGridColor());
    EXPECT_EQ(PixelAt(w.grid, nLastRight + 1, 100), w.grid.GetBkColor());
    EXPECT_EQ(PixelAt(w.grid, 700, 5), w.grid.GetBkColor());
    EXPECT_EQ(PixelAt(w.grid, 700, 300), w.grid.GetBkColor());
}

TEST(PaintTest, PartialRepaintMatchesFullPaint)
{
    GridWindow w;
    w.grid.PaintAll();
    w.grid.SetItemText(7, 3, "MMMMMMMMMMMMMMMMMMMM");
    w.grid.SetItemBkColour(7, 4, RGB(250, 240, 10));
    ASSERT_TRUE(w.grid.InvalidateCellRect(CCellID(7, 3)));
    ASSERT_TRUE(w.grid.InvalidateCellRect(CCellID(7, 4)));
    w.grid.UpdateWindow();
    const QImage partial = w.grid.GetBackingImage().copy();
    EXPECT_GT(DarkPixels(w.grid, w.grid.CellRect(7, 3)), 0);

    w.grid.SetDoubleBuffering(FALSE);
    w.grid.PaintAll();
    EXPECT_TRUE(w.grid.GetBackingImage() == partial);
}

TEST(PaintTest, RedrawCellPaintsOneCellAtOnce)
{
    GridWindow w;
    w.grid.PaintAll();
    const int nDraws = w.grid.nDrawCount;

    w.grid.SetItemBkColour(4, 4, RGB(10, 200, 10));
    EXPECT_TRUE(w.grid.RedrawCell(4, 4));
    const CRect r = w.grid.CellRect(4, 4);
    EXPECT_EQ(PixelAt(w.grid, r.CenterPoint().x, r.CenterPoint().y), RGB(10, 200, 10));
    // The fill covers the cell's grid line; the line is drawn again.
    EXPECT_EQ(PixelAt(w.grid, r.right, r.CenterPoint().y), w.grid.GetGridColor());
    EXPECT_EQ(PixelAt(w.grid, r.CenterPoint().x, r.bottom), w.grid.GetGridColor());
    w.grid.UpdateWindow();
    EXPECT_EQ(w.grid.nDrawCount, nDraws);

    // A cell out of view is not drawn.
    EXPECT_FALSE(w.grid.RedrawCell(250, 4));
}

TEST(PaintTest, SystemColourChangeReachesOnlyColoursTheApplicationKept)
{
    GridWindow w;
    GridWindow own;
    own.grid.SetTextBkColor(RGB(255, 255, 200));
    const COLORREF crText = w.grid.GetTextColor();

    const QPalette paletteBefore = QApplication::palette();
    QPalette palette = paletteBefore;
    palette.setColor(QPalette::Base, QColor(230, 240, 250));
    QApplication::setPalette(palette);   // the windows hear of it as WM_SYSCOLORCHANGE
    QApplication::processEvents();
    const COLORREF crNewWindow = GetSysColor(COLOR_WINDOW);
    const COLORREF crFollowed = w.grid.GetTextBkColor(), crOwn = own.grid.GetTextBkColor();
    const COLORREF crTextAfter = w.grid.GetTextColor();
    QApplication::setPalette(paletteBefore);
    QApplication::processEvents();

    ASSERT_EQ(crNewWindow, RGB(230, 240, 250));
    EXPECT_EQ(crFollowed, crNewWindow);
    EXPECT_EQ(crTextAfter, crText);
    EXPECT_EQ(crOwn, RGB(255, 255, 200));
    // Back again with the system.
    EXPECT_EQ(w.grid.GetTextBkColor(), GetSysColor(COLOR_WINDOW));
}
