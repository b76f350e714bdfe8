#include "GridTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Heading row 20 pixels, records 18; heading column 40 pixels, fields 60.
void SetKnownSizes(CGridCtrl& grid)
{
    for (int row = 0; row < grid.GetRowCount(); row++)
        grid.SetRowHeight(row, row == 0 ? 20 : 18);
    for (int col = 0; col < grid.GetColumnCount(); col++)
        grid.SetColumnWidth(col, col == 0 ? 40 : 60);
}

struct KnownGrid : WindowedGrid {
    explicit KnownGrid(int nRows = 301, int nCols = 27) : WindowedGrid(false)
    {
        grid.SetRowCount(nRows);
        grid.SetColumnCount(nCols);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        SetKnownSizes(grid);
    }
};

CPoint Origin(const CGridCtrl& grid, int row, int col)
{
    CPoint p(-99, -99);
    EXPECT_TRUE(grid.GetCellOrigin(row, col, &p)) << row << "," << col;
    return p;
}

CSize ExtentOf(CGridCtrl& grid, int row, int col)
{
    CDC* pDC = grid.GetDC();
    const CSize size = grid.GetCell(row, col)->GetCellExtent(pDC);
    grid.ReleaseDC(pDC);
    return size;
}

} // namespace

TEST(GeometryTest, CellOriginsAndRects)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;

    EXPECT_EQ(grid.GetFixedRowHeight(), 20);
    EXPECT_EQ(grid.GetFixedColumnWidth(), 40);
    EXPECT_EQ(grid.GetVirtualHeight(), 20 + 300 * 18);
    EXPECT_EQ(grid.GetVirtualWidth(), 40 + 26 * 60);
    EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(1, 1));
    EXPECT_EQ(grid.GetCellRange(), CCellRange(0, 0, 300, 26));

    EXPECT_EQ(Origin(grid, 0, 0), CPoint(0, 0));
    EXPECT_EQ(Origin(grid, 0, 1), CPoint(40, 0));
    EXPECT_EQ(Origin(grid, 1, 0), CPoint(0, 20));
    EXPECT_EQ(Origin(grid, 2, 3), CPoint(40 + 2 * 60, 20 + 18));

    // Inclusive rectangles: the last pixel of the cell is right and bottom.
    CRect rect;
    ASSERT_TRUE(grid.GetCellRect(2, 3, &rect));
    EXPECT_TRUE(rect.EqualRect(CRect(160, 38, 219, 55)));
    ASSERT_TRUE(grid.GetCellRect(0, 0, &rect));
    EXPECT_TRUE(rect.EqualRect(CRect(0, 0, 39, 19)));

    // A hidden column takes no room.
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(Origin(grid, 2, 3), CPoint(40 + 60, 38));
    grid.SetColumnWidth(2, 60);

    CPoint p;
    EXPECT_FALSE(grid.GetCellOrigin(301, 1, &p));
    EXPECT_FALSE(grid.GetCellOrigin(1, -1, &p));
    EXPECT_FALSE(grid.GetCellRect(-1, -1, &rect));
}

TEST(GeometryTest, ScrolledGridPlacesCellsAfterTheHeadings)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;
    ASSERT_GT(grid.GetVScrollMax(), 0);
    ASSERT_GT(grid.GetHScrollMax(), 0);

    // Two records down; the scroll position is a pixel offset into the records.
    grid.SetScrollPos32(SB_VERT, 2 * 18);
    EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(3, 1));
    CPoint p;
    EXPECT_FALSE(grid.GetCellOrigin(2, 1, &p));
    EXPECT_EQ(Origin(grid, 3, 1), CPoint(40, 20));
    EXPECT_EQ(Origin(grid, 3, 0), CPoint(0, 20));
    EXPECT_EQ(Origin(grid, 0, 1), CPoint(40, 0));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(45, 25)), CCellID(3, 1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(45, 5)), CCellID(0, 1));

    // One pixel past a column boundary moves to the next whole column.
    grid.SetScrollPos32(SB_HORZ, 61);
    EXPECT_EQ(grid.GetTopleftNonFixedCell(), CCellID(3, 3));
    EXPECT_FALSE(grid.GetCellOrigin(3, 2, &p));
    EXPECT_EQ(Origin(grid, 3, 3), CPoint(40, 20));
    EXPECT_EQ(Origin(grid, 4, 5), CPoint(40 + 2 * 60, 20 + 18));
}

TEST(GeometryTest, CellFromPoint)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;

    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 5)), CCellID(0, 0));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(39, 19)), CCellID(0, 0));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(40, 20)), CCellID(1, 1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(219, 55)), CCellID(2, 3));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(220, 56)), CCellID(3, 4));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 56)), CCellID(3, 0));

    // Without fixed cells the headings give -1 in their direction.
    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 5), FALSE), CCellID(-1, -1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(45, 5), FALSE), CCellID(-1, 1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(5, 25), FALSE), CCellID(1, -1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(45, 25), FALSE), CCellID(1, 1));

    // Left of or above the window, and past the last column or row.
    EXPECT_EQ(grid.GetCellFromPt(CPoint(-1, 25)), CCellID(1, -1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(45, -3)), CCellID(-1, 1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(40 + 26 * 60, 25)), CCellID(1, -1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(40 + 26 * 60 - 1, 20 + 300 * 18)), CCellID(-1, 26));

    // An empty grid has no cells anywhere.
    CGridCtrl empty;
    EXPECT_EQ(empty.GetCellFromPt(CPoint(5, 5)), CCellID(-1, -1));
}

TEST(GeometryTest, VisibleRangeEndsAtTheWindowEdge)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;
    CRect client;
    grid.GetClientRect(&client);
    ASSERT_GT(client.bottom, 100);
    ASSERT_GT(client.right, 100);

    // The last visible record is the one that reaches the bottom edge, even partly.
    int lastRow = 1;
    while (20 + 18 * lastRow < client.bottom)
        lastRow++;
    int lastCol = 1;
    while (40 + 60 * lastCol < client.right)
        lastCol++;

    CRect painted;
    EXPECT_EQ(grid.GetVisibleNonFixedCellRange(&painted), CCellRange(1, 1, lastRow, lastCol));
    EXPECT_TRUE(painted.EqualRect(CRect(0, 0, client.right, client.bottom)));

    grid.SetScrollPos32(SB_VERT, 18 * 10);
    EXPECT_EQ(grid.GetVisibleNonFixedCellRange(), CCellRange(11, 1, lastRow + 10, lastCol));

    // A table smaller than the window ends at its last cell.
    KnownGrid small(4, 3);
    EXPECT_EQ(small.grid.GetVisibleNonFixedCellRange(&painted), CCellRange(1, 1, 3, 2));
    EXPECT_TRUE(painted.EqualRect(CRect(0, 0, 40 + 2 * 60, 20 + 3 * 18)));
}

TEST(GeometryTest, DividerHitTests)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;

    // Row 2 spans y 38..55 (bottom divider at 56); only the heading column counts.
    const struct {
        int x, y;
        BOOL bRow;
    } rows[] = {
        {10, 38 + 3, TRUE}, {10, 38 + 4, FALSE}, {10, 56 - 3, TRUE}, {10, 56 - 4, FALSE},
        {10, 38, TRUE},     {50, 38 + 1, FALSE}, {39, 38 + 1, TRUE},
        {10, 2, FALSE},     // the top of row 0 is no divider
        {10, 17, TRUE},     // the bottom of row 0 is one
    };
    for (const auto& r : rows) {
        CPoint point(r.x, r.y);
        EXPECT_EQ(grid.MouseOverRowResizeArea(point), r.bRow) << r.x << "," << r.y;
    }

    // Column 2 spans x 100..159 (right divider at 160); only the heading row counts.
    const struct {
        int x, y;
        BOOL bCol;
    } cols[] = {
        {100 + 3, 10, TRUE}, {100 + 4, 10, FALSE}, {160 - 3, 10, TRUE}, {160 - 4, 10, FALSE},
        {100 + 1, 25, FALSE}, {2, 10, FALSE}, {37, 10, TRUE},
    };
    for (const auto& c : cols) {
        CPoint point(c.x, c.y);
        EXPECT_EQ(grid.MouseOverColumnResizeArea(point), c.bCol) << c.x << "," << c.y;
    }
}

TEST(GeometryTest, AutoSizeFitsTheWidestCell)
{
    KnownGrid w;
    CGridCtrl& grid = w.grid;
    grid.SetItemText(0, 3, "A heading that is longer than every record below it");
    grid.SetItemText(5, 3, "W");
    grid.SetItemText(7, 3, "A record of moderate length");

    const int nHeading = ExtentOf(grid, 0, 3).cx;
    const int nRecord = ExtentOf(grid, 7, 3).cx;
    ASSERT_GT(nRecord, ExtentOf(grid, 5, 3).cx);
    ASSERT_GT(nHeading, nRecord);

    ASSERT_TRUE(grid.AutoSizeColumn(3));
    EXPECT_EQ(grid.GetColumnWidth(3), nHeading);
    ASSERT_TRUE(grid.AutoSizeColumn(3, TRUE));
    EXPECT_EQ(grid.GetColumnWidth(3), nRecord);
    // The other columns keep their widths.
    EXPECT_EQ(grid.GetColumnWidth(4), 60);

    // Two lines with word breaks: the row grows to hold both.
    grid.SetItemFormat(9, 2, DT_LEFT | DT_WORDBREAK);
    grid.SetItemText(9, 2, "first\nsecond line");
    const int nTall = ExtentOf(grid, 9, 2).cy;
    ASSERT_TRUE(grid.AutoSizeRow(9));
    EXPECT_EQ(grid.GetRowHeight(9), nTall);
    EXPECT_GT(grid.GetRowHeight(9), ExtentOf(grid, 9, 1).cy);

    // Hidden, missing and windowless columns are refused.
    grid.SetColumnWidth(6, 0);
    EXPECT_FALSE(grid.AutoSizeColumn(6));
    EXPECT_EQ(grid.GetColumnWidth(6), 0);
    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.AutoSizeColumn(27)));
    EXPECT_CONTRACT_BROKEN(EXPECT_FALSE(grid.AutoSizeRow(-1)));
    CGridCtrl windowless(3, 3);
    EXPECT_FALSE(windowless.AutoSizeColumn(1));
}

// No size, asked for, dragged or fitted, passes the largest a window can have: a column
// fitted to a text of thousands of characters stops there too. The grid then still finds its
// cells and scrolls.
TEST(GeometryTest, SizesStopAtTheLargestAWindowCanHave)
{
    const int nMax = CGridCtrl::MAX_CELL_EXTENT;
    KnownGrid w;
    CGridCtrl& grid = w.grid;
    for (int col = 1; col < grid.GetColumnCount(); col++)
        ASSERT_TRUE(grid.SetColumnWidth(col, col == 1 ? INT_MAX : nMax + col));
    ASSERT_TRUE(grid.SetRowHeight(1, INT_MAX));
    grid.SetRowHeight(2, nMax);
    for (int col = 1; col < grid.GetColumnCount(); col++)
        ASSERT_EQ(grid.GetColumnWidth(col), nMax) << col;
    EXPECT_EQ(grid.GetRowHeight(1), nMax);
    EXPECT_EQ(grid.GetVirtualWidth(), 40 + 26 * nMax);
    EXPECT_EQ(Origin(grid, 3, 26), CPoint(40 + 25 * nMax, 20 + 2 * nMax));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(40 + nMax - 1, 25)), CCellID(1, 1));
    EXPECT_EQ(grid.GetCellFromPt(CPoint(40 + nMax, 25)), CCellID(1, 2));

    // 3000 double-byte characters, and as many lines, are wider and taller than that.
    grid.SetColumnWidth(3, 60);
    CString strWide, strTall;
    for (int i = 0; i < 3000; i++) {
        strWide += "\xCD\xF5";   // 王
        strTall += "x\n";
    }
    grid.SetItemText(5, 3, strWide);
    grid.SetItemFormat(6, 4, DT_LEFT | DT_WORDBREAK);
    grid.SetItemText(6, 4, strTall);
    ASSERT_GT(ExtentOf(grid, 5, 3).cx, nMax);
    ASSERT_TRUE(grid.AutoSizeColumn(3));
    EXPECT_EQ(grid.GetColumnWidth(3), nMax);
    ASSERT_TRUE(grid.AutoSizeRow(6));
    EXPECT_EQ(grid.GetRowHeight(6), nMax);

    // Scrolling a line steps a whole column, however wide, and stays within the range.
    EXPECT_GT(grid.GetHScrollMax(), 0);
    grid.SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(grid.GetScrollPos32(SB_HORZ), nMax);
    EXPECT_LE(grid.GetScrollPos32(SB_HORZ), grid.GetHScrollMax());
    grid.Invalidate();
    grid.UpdateWindow();
}
